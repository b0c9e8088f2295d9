#include "link/ident.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "fakes/fake_window_title_port.h"
#include "link/logger_codes.h"
#include "unit/link_rig.h"

namespace kestrel {
namespace {

constexpr std::int64_t kParent = 0x200;
constexpr std::int64_t kGrandparent = 0x300;

class IdentTest : public ::testing::Test, protected LinkRig {
  protected:
    IdentTest() {
        windows.parents[kLoggerWindow] = kParent;
        windows.parents[kParent] = kGrandparent;
    }
    void run() { identThread(link, windows, stop); }
    std::vector<std::uint32_t> polls(int n, bool settled) {
        std::vector<std::uint32_t> sleeps(n, 53);
        if (settled) sleeps.push_back(503);
        return sleeps;
    }

    FakeWindowTitles windows;
    std::atomic<bool> stop{false};
};

TEST_F(IdentTest, InterfaceNumberAfterDiGivesTheSecondTitleEndingInABlank) {
    windows.titles[kParent] = u"DI1 RTTY";
    run();
    EXPECT_EQ(state.diNumber, 1);
    EXPECT_EQ(ui.titles(), (std::vector<std::string>{"DI1 XX9XX Kestrel "}));
    EXPECT_EQ(state.switchesLocked, 0);
    EXPECT_EQ(clock.sleeps, polls(1, true));
}

TEST_F(IdentTest, DashBeforeTheNumberIsSkipped) {
    windows.titles[kParent] = u"DI-2 RTTY";
    run();
    EXPECT_EQ(state.diNumber, 2);
    EXPECT_EQ(ui.titles(), (std::vector<std::string>{"DI2 XX9XX Kestrel "}));
}

TEST_F(IdentTest, MarkerFoundInsideTheTitle) {
    windows.titles[kParent] = u"N1MM DI3";
    run();
    EXPECT_EQ(state.diNumber, 3);
    EXPECT_EQ(ui.titles(), (std::vector<std::string>{"DI3 XX9XX Kestrel "}));
}

TEST_F(IdentTest, ReceiverMarkLocksTheSwitchesAndForcesAfcOn) {
    windows.titles[kParent] = u"DI4  X12345678\u00e9";  // "X" at 5, "é" at 14
    state.afcOff = 1;
    run();
    EXPECT_EQ(state.diNumber, 4);
    EXPECT_EQ(ui.titles(), (std::vector<std::string>{"DI4 RX\xC3\xA9 XX9XX Kestrel"}));
    EXPECT_EQ(state.switchesLocked, 1);
    EXPECT_EQ(state.afcOff, 0);
    EXPECT_EQ(ui.captions(), (std::vector<UiItemText>{{40031, "AFC on"}}));
    EXPECT_EQ(ui.menuEnables(), (std::vector<UiItemFlag>{{116, false}}));

    link.handleLoggerCommand(RXM_SETSWITCH, 0);
    EXPECT_TRUE(logger.posts().empty());
    EXPECT_EQ(state.afcOff, 0);
}

TEST_F(IdentTest, ReceiverTitleKeepsTheDashAndPositionsPastTheEndHoldNothing) {
    windows.titles[kParent] = u"DI-5 X";
    run();
    EXPECT_EQ(state.diNumber, 5);
    EXPECT_EQ(ui.titles(), (std::vector<std::string>{"DI- RX XX9XX Kestrel"}));
    EXPECT_EQ(state.switchesLocked, 1);
}

TEST_F(IdentTest, EmptyParentTitleIsSkippedForTheGrandparent) {
    windows.titles[kParent] = u"";
    windows.titles[kGrandparent] = u"DI7 Main";
    run();
    EXPECT_EQ(state.diNumber, 7);
    EXPECT_EQ(ui.titles(), (std::vector<std::string>{"DI7 XX9XX Kestrel "}));
    EXPECT_EQ(windows.reads[kGrandparent], 2);  // the scan and the final read
}

TEST_F(IdentTest, NoQualifyingTitleGivesUpAfter31PollsChangingNothing) {
    windows.titles[kParent] = u"D";  // a lone "D" never qualifies
    run();
    EXPECT_EQ(clock.sleeps, polls(31, false));
    EXPECT_TRUE(ui.titles().empty());
    EXPECT_EQ(state.diNumber, 0);
    EXPECT_EQ(windows.reads[kParent], 31);
}

TEST_F(IdentTest, TitleFirstSeenOnTheLastPollIsTooLate) {
    windows.titles[kParent] = u"DI1 RTTY";
    windows.titleLateBy[kParent] = 30;
    run();
    EXPECT_EQ(clock.sleeps, polls(31, false));
    EXPECT_TRUE(ui.titles().empty());
}

TEST_F(IdentTest, TitleFirstSeenOnPoll30IsTaken) {
    windows.titles[kParent] = u"DI1 RTTY";
    windows.titleLateBy[kParent] = 29;
    run();
    EXPECT_EQ(clock.sleeps, polls(30, true));
    EXPECT_EQ(ui.titles(), (std::vector<std::string>{"DI1 XX9XX Kestrel "}));
}

TEST(IdentTitle, QualifyingAndMarkerScansAreComplements) {
    EXPECT_FALSE(titleQualifies(u""));
    EXPECT_FALSE(titleQualifies(u"D"));
    EXPECT_FALSE(titleQualifies(u"DDD"));
    EXPECT_TRUE(titleQualifies(u"DI"));
    EXPECT_TRUE(titleQualifies(u"RTTY"));
    EXPECT_EQ(markerPosition(u"RTTY"), 4u);
    EXPECT_EQ(markerPosition(u"xDI1"), 1u);
    EXPECT_EQ(markerPosition(u"xxI1"), 1u);  // the place before an "I" counts too
}

TEST(IdentTitle, OnlyTheFirst99CharactersCount) {
    std::u16string title(94, u'a');
    title += u"DI8  X";  // the "X" falls at position 99, past the title buffer
    const IdentTitle ident = readIdentTitle(title);
    EXPECT_EQ(ident.diNumber, 8);
    EXPECT_FALSE(ident.receiverMark);
}

}  // namespace
}  // namespace kestrel
