#include "app/command_line.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(CommandLine, LoggerStartGivesBothSwitchesAndTheHandle) {
    const CommandLine cl = parseCommandLine(L"-r -h1A2B3C");
    EXPECT_EQ(cl.startSwitchCount, 2);
    EXPECT_EQ(cl.loggerWindow, 0x1A2B3C);
}

TEST(CommandLine, LowerCaseDigitsGiveTheSameHandleAndOneSwitch) {
    const CommandLine cl = parseCommandLine(L"-h1a2b3c");
    EXPECT_EQ(cl.startSwitchCount, 1);
    EXPECT_EQ(cl.loggerWindow, 0x1A2B3C);
}

TEST(CommandLine, HandleEndsAtBlankOrFirstNonHexCharacter) {
    EXPECT_EQ(parseCommandLine(L"-h -r").loggerWindow, 0);
    EXPECT_EQ(parseCommandLine(L"-h -r").startSwitchCount, 2);
    EXPECT_EQ(parseCommandLine(L"-h12G4 -r").loggerWindow, 0x12);
    EXPECT_EQ(parseCommandLine(L"-hxyz").loggerWindow, 0);
    EXPECT_EQ(parseCommandLine(L"-h").loggerWindow, 0);
    EXPECT_EQ(parseCommandLine(L"-h\t5").loggerWindow, 0);
}

TEST(CommandLine, EmptyOrForeignArgumentsCountNothing) {
    EXPECT_EQ(parseCommandLine(L"").startSwitchCount, 0);
    EXPECT_EQ(parseCommandLine(L"-").startSwitchCount, 0);
    EXPECT_EQ(parseCommandLine(L"-R -H12 /r").startSwitchCount, 0);
    EXPECT_EQ(parseCommandLine(L"-R -H12").loggerWindow, 0);
}

TEST(CommandLine, EveryOccurrenceCountsAndTheLastHandleWins) {
    const CommandLine cl = parseCommandLine(L"-r -r -h10 -h20");
    EXPECT_EQ(cl.startSwitchCount, 4);
    EXPECT_EQ(cl.loggerWindow, 0x20);
    // The scan goes on inside an option's value too.
    EXPECT_EQ(parseCommandLine(L"-hAB-r").startSwitchCount, 2);
    EXPECT_EQ(parseCommandLine(L"-hAB-r").loggerWindow, 0xAB);
}

TEST(CommandLine, OverlongAndOverflowingHandlesStayInRange) {
    // A 32-bit long conversion saturates; at most 13 digits are collected.
    EXPECT_EQ(parseCommandLine(L"-h7FFFFFFF").loggerWindow, 0x7FFFFFFF);
    EXPECT_EQ(parseCommandLine(L"-h80000000").loggerWindow, 0x7FFFFFFF);
    EXPECT_EQ(parseCommandLine(L"-h0000000000000000000001").loggerWindow, 0);
    EXPECT_EQ(parseCommandLine(L"-h0000000000001").loggerWindow, 1);
}

}  // namespace
}  // namespace kestrel
