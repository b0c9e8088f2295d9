#include "app/main_window_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_settings_access.h"

namespace kestrel {
namespace {

using Writes = std::vector<std::pair<std::string, std::string>>;

TEST(MainLayoutTest, ChildrenAndWindowFollowThePanelAndTheSpectrumWidth) {
    const MainLayout layout = mainLayout(45, 107, 115, 88, 116, 19, 23);
    EXPECT_EQ(layout.panel, (Placement{0, 0, 48, 110}));
    EXPECT_EQ(layout.spectrum, (Placement{51, 0, 115, 110}));
    EXPECT_EQ(layout.window, (Placement{88, 116, 185, 191}));

    // A wider spectrum widens the window by as much and changes nothing else.
    const MainLayout wide = mainLayout(45, 107, 731, 88, 116, 19, 23);
    EXPECT_EQ(wide.window, (Placement{88, 116, 801, 191}));
    EXPECT_EQ(wide.spectrum, (Placement{51, 0, 731, 110}));
}

TEST(WindowPositionTest, AWindowOffEveryMonitorIsCentredInTheNearestWorkArea) {
    EXPECT_EQ(centredInWorkArea({5000, 5000, 5688, 5566}, {0, 0, 1024, 738}),
              (Placement{168, 86, 688, 566}));
    EXPECT_EQ(centredInWorkArea({-3000, 40, -2311, 607}, {1920, 30, 3200, 1024}),
              (Placement{2215, 243, 689, 567}));
}

}  // namespace
}  // namespace kestrel
