#pragma once
// The character framing with everything it talks to recorded: the start of every rig that
// drives a decoder, the framing or Repeat Match.
#include <cmath>
#include <vector>

#include "app/status_texts.h"
#include "decode/decoder_frame.h"
#include "decode/framing.h"
#include "decode/received_char_emitter.h"
#include "fakes/fake_logger_port.h"
#include "fakes/fake_text_sink_port.h"
#include "fakes/fake_ui_port.h"
#include "modem_state.h"
#include "unit/keyed_envelope.h"

namespace kestrel {

struct FramingRig {
    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    FakeTextSinkPort textFile;
    ReceivedCharEmitter emitter{state, logger};
    StatusTexts statusTexts{ui};
    Framing framing{state, emitter, statusTexts, textFile};
};

// The framing fed as the envelope decoder feeds it: each sample decided on the decoder's
// power difference, with the frame's thresholds as they are set.
struct KeyedFramingRig : FramingRig {
    static constexpr int kDecided = 1516;  // where the envelope decoder decides a sample
    DecoderFrame frame;

    void decide(int i) {
        const double m = frame.markEnv[i];
        const double s = frame.spaceEnv[i];
        frame.sampleIndex = i;
        frame.markExcess = m - frame.tM();
        frame.spaceExcess = s - frame.tS();
        frame.powerDiff = m * std::abs(m) - s * std::abs(s);
        frame.rawSpace = frame.powerDiff < 0.0 ? 1 : 0;
        frame.updateFloors(framing.frameSample(frame));
    }

    // Keyed envelopes in 512-sample blocks, each sample decided at window index 1516 + j
    // with 1043 newer samples in the window. Outside the envelopes the signal idles on
    // mark.
    void run(const test::KeyedEnvelope& e) {
        auto at = [&](const std::vector<double>& v, int t, double pad) {
            return t < 0 || t >= e.size() ? pad : v[t];
        };
        for (int base = 0; base < e.size(); base += kDecodeBlock) {
            for (int w = 0; w < kEnvelopeWindow; ++w) {
                frame.markEnv[w] = at(e.mark, base + w - kDecided, e.on);
                frame.spaceEnv[w] = at(e.space, base + w - kDecided, e.off);
            }
            for (int j = 0; j < kDecodeBlock && base + j < e.size(); ++j) decide(kDecided + j);
        }
    }
};

}  // namespace kestrel
