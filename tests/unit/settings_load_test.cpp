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

TEST_F(SettingsLoad, WithoutAFileEverySettingHasItsDefault) {
    // Start from values that differ from every default.
    state.markFrequency = 1;
    state.spaceFrequency = 1;
    state.baudIndex = state.sampleRate = state.RXChannel = state.TXChannel = 9;
    state.TXmode = state.Decodemode = state.FFTDisplay = state.afcOff = 9;
    state.SquelchState = state.NewsigNewline = state.bitOrSymbol = 1;
    state.CorrelateState = state.CorrelateStateSame = state.Contest = 0;
    state.pttLine = state.fskLine = state.fskInvert = 9;
    strings = {"x", "x", "x", "x", "x"};

    loadSettings(store, devices, state, strings);
    EXPECT_EQ(state.markFrequency, 2125.0);
    EXPECT_EQ(state.spaceFrequency, 2295.0);
    EXPECT_EQ(state.baudIndex, 0);
    EXPECT_EQ(state.sampleRate, 12000);
    EXPECT_EQ(state.bitOrSymbol, 0);
    EXPECT_EQ(state.RXChannel, 1);
    EXPECT_EQ(state.TXChannel, 0);
    EXPECT_EQ(strings.RXnameid, "Line In");
    EXPECT_EQ(state.rxDeviceId, 1u);
    EXPECT_EQ(strings.TXnameid, "Speakers");
    EXPECT_EQ(state.txDeviceId, 1u);
    EXPECT_EQ(state.TXmode, 1);
    EXPECT_EQ(state.Decodemode, 1);
    EXPECT_EQ(state.FFTDisplay, 115);
    EXPECT_EQ(state.SquelchState, 0);
    EXPECT_EQ(state.CorrelateState, 1);
    EXPECT_EQ(state.CorrelateStateSame, 1);
    EXPECT_EQ(state.Contest, 1);
    EXPECT_EQ(state.NewsigNewline, 0);
    EXPECT_EQ(state.afcOff, 0);
    EXPECT_EQ(strings.fskPortName, "NONE");
    EXPECT_EQ(state.fskLine, 0);
    EXPECT_EQ(state.fskInvert, 0);
    EXPECT_EQ(strings.pttPortName, "NONE");
    EXPECT_EQ(state.pttLine, 0);
    EXPECT_EQ(strings.markPolarity, "H");
    EXPECT_FALSE(std::filesystem::exists(store.path));  // reading creates nothing
}

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

TEST_F(SettingsLoad, ModesAreCheckedAsUnsignedAndTheSpectrumWidthClamped) {
    struct Case {
        std::string txMode, decodeMode, fftDisplay, afcOff;  // as stored
        int txModeRead, decodeModeRead, fftDisplayRead, afcOffRead;
    };
    const Case cases[] = {{"-1", "-1", "-5", "-1", 1, 1, 115, 0},
                          {"5", "3", "900", "2", 1, 1, 731, 0},
                          {"4", "2", "731", "1", 4, 2, 731, 1},
                          {"0", "0", "114", "0", 0, 0, 115, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE("TXmode=" + c.txMode);
        load("TXmode=" + c.txMode + "\r\nDecodemode=" + c.decodeMode +
             "\r\nFFTDisplay=" + c.fftDisplay + "\r\nAFC_ON_OFF=" + c.afcOff + "\r\n");
        EXPECT_EQ(state.TXmode, c.txModeRead);
        EXPECT_EQ(state.Decodemode, c.decodeModeRead);
        EXPECT_EQ(state.FFTDisplay, c.fftDisplayRead);
        EXPECT_EQ(state.afcOff, c.afcOffRead);
    }
}

TEST_F(SettingsLoad, FlagsKeepOnlyTheirLowestBit) {
    load(
        "SquelchState=3\r\nCorrelateState=2\r\nCorrelateStateSame=-1\r\nContest=2\r\n"
        "NewsigNewline=5\r\n");
    EXPECT_EQ(state.SquelchState, 1);
    EXPECT_EQ(state.CorrelateState, 0);
    EXPECT_EQ(state.CorrelateStateSame, 1);
    EXPECT_EQ(state.Contest, 0);
    EXPECT_EQ(state.NewsigNewline, 1);
}

TEST_F(SettingsLoad, BaudIndexSetsTheProcessingRate) {
    for (const auto& [index, rate] :
         {std::pair{0, 12000}, {1, 13200}, {2, 19800}, {7, 12000}, {-1, 12000}}) {
        state.bitOrSymbol = 1;
        load("Baud Rate=" + std::to_string(index) + "\r\n");
        EXPECT_EQ(state.baudIndex, index);
        EXPECT_EQ(state.sampleRate, rate) << index;
        EXPECT_EQ(state.bitOrSymbol, 0);
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
