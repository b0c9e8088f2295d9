#pragma once
// A transmitter with its sound output, on a recording device.
#include "fakes/fake_clock_port.h"
#include "fakes/fake_playback_port.h"
#include "support/tx_rig.h"
#include "transmit/sound_output.h"

namespace kestrel {

struct SoundRig : TxRig {
    SoundRig() { state.TXmode = 0; }

    // The mono samples of one written buffer (its left channel).
    static std::vector<std::int16_t> left(const PlaybackWrite& w) {
        std::vector<std::int16_t> out;
        for (std::size_t n = 0; n < w.stereo.size(); n += 2) out.push_back(w.stereo[n]);
        return out;
    }

    SoundGenerators generators{links};
    FakePlaybackPort port;
    FakeClock clock;
    SoundOutput output{state, generators, port, clock};
};

}  // namespace kestrel
