#include "app/command_line.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(CommandLine, SwitchesAreCountedAndTheLastHandleIsTaken) {
    struct Case {
        const wchar_t* line;
        int switches;
        std::int64_t window;
    };
    const Case cases[] = {
        {L"-r -h1A2B3C", 2, 0x1A2B3C},
        {L"-h1a2b3c", 1, 0x1A2B3C},
        // The handle ends at a blank or the first character that is not hexadecimal.
        {L"-h -r", 2, 0},
        {L"-h12G4 -r", 2, 0x12},
        {L"-hxyz", 1, 0},
        {L"-h", 1, 0},
        {L"-h\t5", 1, 0},
        // Empty or foreign arguments count nothing.
        {L"", 0, 0},
        {L"-", 0, 0},
        {L"-R -H12 /r", 0, 0},
        // Every occurrence counts, also inside an option's value.
        {L"-r -r -h10 -h20", 4, 0x20},
        {L"-hAB-r", 2, 0xAB},
        // A 32-bit long conversion saturates; at most 13 digits are collected.
        {L"-h7FFFFFFF", 1, 0x7FFFFFFF},
        {L"-h80000000", 1, 0x7FFFFFFF},
        {L"-h0000000000000000000001", 1, 0},
        {L"-h0000000000001", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.line << '"');
        const CommandLine cl = parseCommandLine(c.line);
        EXPECT_EQ(cl.startSwitchCount, c.switches);
        EXPECT_EQ(cl.loggerWindow, c.window);
    }
}

}  // namespace
}  // namespace kestrel
