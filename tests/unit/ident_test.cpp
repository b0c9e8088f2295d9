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

}  // namespace
}  // namespace kestrel
