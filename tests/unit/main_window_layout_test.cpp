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

TEST(WindowPositionTest, MovesSaveFiveDigitsAndTheLayoutFour) {
    MemorySettings settings;
    const WindowRect window{88, 116, 776, 682};
    saveWindowPosition(settings, window, PositionSource::move);
    saveWindowPosition(settings, window, PositionSource::layout);
    EXPECT_EQ(settings.writes, (Writes{{"left", "00088"},
                                       {"top", "00116"},
                                       {"right", "00688"},
                                       {"bottom", "00566"},
                                       {"left", "0088"},
                                       {"top", "0116"},
                                       {"right", "0688"},
                                       {"bottom", "0566"}}));
    EXPECT_EQ(storedWindowPlacement(settings), (Placement{88, 116, 688, 566}));
}

TEST(WindowPositionTest, AMinimisedWindowIsNotSavedOnMoveButIsByTheLayout) {
    MemorySettings settings;
    saveWindowPosition(settings, {-32000, -32000, -31840, -31970}, PositionSource::move);
    saveWindowPosition(settings, {100, -201, 788, 365}, PositionSource::move);
    saveWindowPosition(settings, {-2001, 10, -1313, 576}, PositionSource::move);
    EXPECT_TRUE(settings.writes.empty());

    saveWindowPosition(settings, {-2000, -200, -1312, 366}, PositionSource::move);
    EXPECT_EQ(settings.value("left"), "-02000");
    EXPECT_EQ(settings.value("top"), "-00200");

    saveWindowPosition(settings, {-32000, -32000, -31840, -31970}, PositionSource::layout);
    EXPECT_EQ(settings.value("left"), "-32000");
    EXPECT_EQ(settings.value("right"), "0160");
}

TEST(WindowPositionTest, NothingStoredGivesTheDefaultRectangle) {
    MemorySettings settings;
    EXPECT_EQ(storedWindowPlacement(settings), (Placement{88, 116, 688, 566}));
}

TEST(WindowPositionTest, AWindowOffEveryMonitorIsCentredInTheNearestWorkArea) {
    EXPECT_EQ(centredInWorkArea({5000, 5000, 5688, 5566}, {0, 0, 1024, 738}),
              (Placement{168, 86, 688, 566}));
    EXPECT_EQ(centredInWorkArea({-3000, 40, -2311, 607}, {1920, 30, 3200, 1024}),
              (Placement{2215, 243, 689, 567}));
}

TEST(StatusBarTest, SixPartsTheLastTwoFollowingTheSpectrumAndTheWindow) {
    EXPECT_EQ(statusBarEdges(115, 400), (std::array<int, 6>{38, 96, 146, 183, 176, 550}));
    EXPECT_EQ(statusBarEdges(731, 900), (std::array<int, 6>{38, 96, 146, 183, 792, 900}));
}

TEST(StatusBarTest, InitialTextsShowTheNetStateOrFsk) {
    ModemState state;
    EXPECT_EQ(initialStatusTexts(state),
              (std::array<std::string, 6>{" 00Hz", "", "Net Off", " 33mS", "", ""}));
    state.netOn = 1;
    EXPECT_EQ(initialStatusTexts(state)[2], "Net On");
    for (const int mode : {2, 3, 4}) {
        state.TXmode = mode;
        EXPECT_EQ(initialStatusTexts(state)[2], "  FSK");
    }
}

}  // namespace
}  // namespace kestrel
