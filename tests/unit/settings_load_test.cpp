#include "app/settings_load.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/fake_audio_devices_port.h"
#include "scratch_folder.h"

namespace kestrel {
namespace {

class SettingsLoad : public ::testing::Test {
  protected:
    // Loads from a file holding these lines in Kestrel's section.
    void load(std::string_view lines) {
        ScratchFolder::write(store.path, "[Kestrel Modem]\r\n" + std::string(lines));
        loadSettings(store, devices, state, strings);
    }
    ScratchFolder folder;
    SettingsStore store{folder.file("Kestrel.ini")};
    FakeAudioDevicesPort devices{{"Microphone", "Line In (USB Audio CODEC)", "Line 2"},
                                 {"Headphones", "Speakers (Realtek High Definiti"}};
    ModemState state;
    SettingsStrings strings;
};

TEST_F(SettingsLoad, TonesOutside250To2999HzFallBackToTheStandardPair) {
    for (const auto& [stored, mark, space] : {std::tuple{"249", 2125.0, 2295.0},
                                              {"250", 250.0, 250.0},
                                              {"2999", 2999.0, 2999.0},
                                              {"3000", 2125.0, 2295.0},
                                              {"-2200", 2125.0, 2295.0},
                                              {"1275", 1275.0, 1275.0}}) {
        load("Markfrequency=" + std::string(stored) + "\r\nSpacefrequency=" + stored + "\r\n");
        EXPECT_EQ(state.markFrequency, mark) << stored;
        EXPECT_EQ(state.spaceFrequency, space) << stored;
    }
}

TEST_F(SettingsLoad, AWindowsWrittenFileLoadsDevicesPortsAndLines) {
    ScratchFolder::write(store.path,
                         "\xEF\xBB\xBF[Logger]\r\nRXnameid=Microphone\r\n\r\n"
                         "[KESTREL MODEM]\r\n"
                         "rxnameid = Line\r\n"
                         "TXnameid=Speakers (Realtek High Definition Audio)\r\n"
                         "RXChannel=2\r\nTXChannel=1\r\n"
                         "FSKCOMport=COM3\r\nDTRorRTSorTxD=2\r\nNORMorINVERT=1\r\n"
                         "PTTCOMport=COM123456789012345678\r\nPTT=2\r\nMarkpolarity=Low\r\n");
    loadSettings(store, devices, state, strings);
    EXPECT_EQ(strings.RXnameid, "Line");
    EXPECT_EQ(state.rxDeviceId, 1u);
    EXPECT_EQ(state.txDeviceId, 1u);
    EXPECT_EQ(state.RXChannel, 2);
    EXPECT_EQ(state.TXChannel, 1);
    EXPECT_EQ(strings.fskPortName, "COM3");
    EXPECT_EQ(state.fskLine, 2);
    EXPECT_EQ(state.fskInvert, 1);
    EXPECT_EQ(strings.pttPortName, "COM1234567890123456");
    EXPECT_EQ(state.pttLine, 2);
    EXPECT_EQ(strings.markPolarity, "L");
}

}  // namespace
}  // namespace kestrel
