// Any stream of logger commands: Kestrel never crashes, keeps its tones in range and
// stores a switch word it can read back.
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_check.h"
#include "unit/link_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrel::LinkRig rig;
    // Each command is 10 bytes: a 16-bit code and a 64-bit value. Codes are folded so
    // most land on real commands.
    for (std::size_t at = 0; at + 10 <= size; at += 10) {
        std::uint16_t code;
        std::int64_t value;
        std::memcpy(&code, data + at, sizeof code);
        std::memcpy(&value, data + at + 2, sizeof value);
        const std::uint64_t folded = code % 4 == 0 ? code : code % 40;
        rig.link.handleLoggerCommand(folded, value);
        const double mark = rig.state.markFrequency;
        const double space = rig.state.spaceFrequency;
        FUZZ_CHECK(mark >= 250 && mark <= 3000);
        FUZZ_CHECK(space >= 250 && space <= 3000);
        FUZZ_CHECK(rig.state.afcOff == 0 || rig.state.afcOff == 1);
    }
    return 0;
}
