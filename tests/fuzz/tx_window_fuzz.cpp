// Any stream of characters typed or sent into the transmit window, as the UTF-16 units a
// window receives, with the sound card playing now and then: Kestrel never crashes, a
// unit beyond ASCII changes nothing, and the transmit state stays one it knows.
#include <cstdint>
#include <deque>

#include "fakes/fakes.h"
#include "fuzz/fuzz_check.h"
#include "support/tx_rig.h"
#include "transmit/offline_playback.h"
#include "transmit/tx_window.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrel;
    TxRig rig;
    rig.state.TXmode = static_cast<int>(size % 3);  // AFSK, DOOK or PFSK
    SoundGenerators generators{rig.links};
    OfflinePlayback device;
    FakeClock clock;
    SoundOutput output{rig.state, generators, device, clock};
    std::deque<std::uint8_t> posted;
    int plays = 0;
    TxWindow window{
        rig.state, rig.buffer, output,
        rig.ptt,   rig.logger, {[] {}, [] {}, [] {}, [&](std::uint8_t c) { posted.push_back(c); }}};
    for (std::size_t at = 0; at + 2 <= size; at += 2) {
        // Mostly ASCII, so the commands and braces are reached; the rest beyond it.
        std::uint16_t unit = static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
        if (unit % 4 != 0) unit &= 0x7F;
        const TxBuffer::Statistics before = rig.buffer.statistics();
        const int txState = rig.state.txState.load(), braces = window.braceLength;
        window.handleCharacter(unit);
        if (unit > 0x7F) {
            const TxBuffer::Statistics after = rig.buffer.statistics();
            FUZZ_CHECK(after.head == before.head && after.tail == before.tail);
            FUZZ_CHECK(rig.state.txState.load() == txState && window.braceLength == braces);
        }
        while (!posted.empty()) {
            const std::uint8_t next = posted.front();
            posted.pop_front();
            window.handleCharacter(next);
        }
        // A few frames per input: a frame of DOOK takes long under the sanitizers.
        if (at % 32 == 30 && plays < 6) plays += device.playNext(output) ? 1 : 0;
        FUZZ_CHECK(rig.state.txState.load() >= 0 && rig.state.txState.load() <= 5);
        FUZZ_CHECK(window.braceLength >= 0 && window.braceLength <= kBraceTextMax + 1);
    }
    return 0;
}
