// Any stream of soft bit values and codes into Repeat Match: it never crashes, keeps its
// lengths in range and prints only printable characters and line breaks.
#include <cmath>
#include <cstdint>

#include "decode/repeat_match.h"
#include "fakes/fakes.h"
#include "fuzz/fuzz_check.h"
#include "platform/logger_codes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrel;
    ModemState state;
    state.CorrelateState = 1;
    state.Contest = data != nullptr && size > 0 ? data[0] & 1 : 0;
    RecordingLogger logger;
    NoSaveTextFile noFile;
    ReceivedCharEmitter emitter{state, logger};
    ReceivedText text{state, emitter, noFile};
    RepeatMatch match{state, text};
    // Each feed is 4 bytes: the tone and bit (or code) in one, then value, threshold and
    // floor as signed steps of 1/32 around the framing's usual range.
    for (std::size_t at = 1; at + 4 <= size; at += 4) {
        const bool character = data[at] % 4 == 2;
        const bool mark = data[at] % 2 == 0;
        const int n = character ? (data[at] >> 2) % 32 : (data[at] >> 2) % 5;
        const auto level = [&](int k) { return static_cast<std::int8_t>(data[at + k]) / 32.0; };
        const ToneAtBit tone{level(1), level(2), std::abs(level(3))};
        if (character)
            match.characterEnd(n, true);
        else if (mark)
            match.markBit(n, tone);
        else
            match.spaceBit(n, tone);
        const RepeatMatch::Search last = match.lastSearch();
        FUZZ_CHECK(last.sequenceLength >= 0 && last.sequenceLength <= kRepeatSequence);
        FUZZ_CHECK(last.bestLength >= 0 && last.bestLength <= kLongestRepeat);
    }
    for (const auto& post : logger.posts()) {
        if (post.code != TXM_CHAR) continue;
        FUZZ_CHECK(post.value == '\r' || post.value == '\n' ||
                   (post.value >= 0x20 && post.value < 0x7F));
    }
    return 0;
}
