#include "link/ident.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "fakes/fake_window_title_port.h"
#include "platform/logger_codes.h"
#include "unit/link_rig.h"

namespace kestrel {
namespace {

constexpr std::int64_t kParent = 0x200;
constexpr std::int64_t kGrandparent = 0x300;

TEST(IdentThread, TitlesAreReadUntilOneQualifiesOrTheThirtyFirstPoll) {
    struct Case {
        std::u16string parent, grandparent;
        int lateBy;  // parent reads that find no title yet
        int diNumber;
        std::vector<std::string> titles;
        int switchesLocked, polls;
        bool settled;
    };
    const Case cases[] = {
        {u"DI1 RTTY", u"", 0, 1, {"DI1 XX9XX Kestrel "}, 0, 1, true},
        {u"DI-2 RTTY", u"", 0, 2, {"DI2 XX9XX Kestrel "}, 0, 1, true},  // the dash is skipped
        {u"N1MM DI3", u"", 0, 3, {"DI3 XX9XX Kestrel "}, 0, 1, true},   // found inside
        // A receiver title keeps the dash; positions past the end hold nothing.
        {u"DI-5 X", u"", 0, 5, {"DI- RX XX9XX Kestrel"}, 1, 1, true},
        {u"", u"DI7 Main", 0, 7, {"DI7 XX9XX Kestrel "}, 0, 1, true},  // the grandparent's
        {u"D", u"", 0, 0, {}, 0, 31, false},                           // a lone "D" never qualifies
        {u"DI1 RTTY", u"", 30, 0, {}, 0, 31, false},  // first seen on the last poll: too late
        {u"DI1 RTTY", u"", 29, 1, {"DI1 XX9XX Kestrel "}, 0, 30, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.diNumber << " late by " << c.lateBy);
        LinkRig rig;
        FakeWindowTitles windows;
        windows.parents = {{LinkRig::kLoggerWindow, kParent}, {kParent, kGrandparent}};
        windows.titles = {{kParent, c.parent}, {kGrandparent, c.grandparent}};
        windows.titleLateBy[kParent] = c.lateBy;
        std::atomic<bool> stop{false};
        identThread(rig.link, windows, stop);
        EXPECT_EQ(rig.state.diNumber, c.diNumber);
        EXPECT_EQ(rig.ui.titles(), c.titles);
        EXPECT_EQ(rig.state.switchesLocked, c.switchesLocked);
        std::vector<std::uint32_t> sleeps(c.polls, 53);
        if (c.settled) sleeps.push_back(503);
        EXPECT_EQ(rig.clock.sleeps, sleeps);
        // Without a title the parent is read at every poll; the grandparent's is read by
        // the scan and once more for the title.
        if (!c.settled) {
            EXPECT_EQ(windows.reads[kParent], 31);
        }
        if (c.parent.empty()) {
            EXPECT_EQ(windows.reads[kGrandparent], 2);
        }
    }
}

TEST(IdentThread, ReceiverMarkLocksTheSwitchesAndForcesAfcOn) {
    LinkRig rig;
    FakeWindowTitles windows;
    windows.parents[LinkRig::kLoggerWindow] = kParent;
    windows.titles[kParent] = u"DI4  X12345678\u00e9";  // "X" at 5, "é" at 14
    rig.state.afcOff = 1;
    std::atomic<bool> stop{false};
    identThread(rig.link, windows, stop);
    EXPECT_EQ(rig.state.diNumber, 4);
    EXPECT_EQ(rig.ui.titles(), (std::vector<std::string>{"DI4 RX\xC3\xA9 XX9XX Kestrel"}));
    EXPECT_EQ(rig.state.switchesLocked, 1);
    EXPECT_EQ(rig.state.afcOff, 0);
    EXPECT_EQ(rig.ui.captions(), (std::vector<UiItemText>{{40031, "AFC on"}}));
    EXPECT_EQ(rig.ui.menuEnables(), (std::vector<UiItemFlag>{{116, false}}));

    rig.link.handleLoggerCommand(RXM_SETSWITCH, 0);
    EXPECT_TRUE(rig.logger.posts().empty());
    EXPECT_EQ(rig.state.afcOff, 0);
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
