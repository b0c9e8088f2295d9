#include "app/sound_device_lookup.h"

#include <gtest/gtest.h>

#include "fakes/fake_audio_devices_port.h"

namespace kestrel {
namespace {

TEST(SettingsDeviceLookup, AStoredNameMatchesTheFirstDeviceItStartsOrEndsIn) {
    const std::vector<std::string> inputs = {"Microphone (USB Audio CODEC)", "Line In (USB)",
                                             "Line In (Realtek High Defini", "Line"};
    EXPECT_EQ(findDevice(inputs, "Line"), 1u);
    EXPECT_EQ(findDevice(inputs, "Line In (Realtek High"), 2u);
    EXPECT_EQ(findDevice(inputs, "Line In (Realtek High Definition Audio)"), 2u);
    EXPECT_EQ(findDevice(inputs, "Line Out"), 3u);     // "Line" ends first
    EXPECT_EQ(findDevice(inputs, "line"), kNoDevice);  // letter case counts
    EXPECT_EQ(findDevice(inputs, ""), 0u);
    EXPECT_EQ(findDevice({}, ""), kNoDevice);
    EXPECT_EQ(findDevice({"Speakers"}, "Headphones"), kNoDevice);
}

TEST(SettingsDeviceLookup, OnlyThe31CharactersOfTheProductNameFieldCount) {
    // An endpoint's friendly name as the Settings dialog stores it, and the product name
    // the sound system keeps of it (31 characters and the terminator).
    const std::string friendly = "Speakers (Realtek High Definition Audio)";
    const std::string product = friendly.substr(0, 31);
    ASSERT_EQ(product, "Speakers (Realtek High Definiti");
    EXPECT_EQ(findDevice({"Headphones", product}, friendly), 1u);

    // A name reported longer is cut at 31 characters as well, so a difference at the
    // 32nd character does not reject it, and one at the 31st does.
    EXPECT_EQ(findDevice({product + "on Audio"}, product + "XX"), 0u);
    EXPECT_EQ(findDevice({product}, friendly.substr(0, 30) + "X"), kNoDevice);
    // Characters, not bytes: 31 two-byte letters fill the field.
    std::string wide;
    for (int i = 0; i < 32; ++i) wide += "\xC3\xA9";
    EXPECT_EQ(findDevice({wide}, wide.substr(0, 62) + "X"), 0u);
    EXPECT_EQ(findDevice({wide}, wide.substr(0, 60) + "X"), kNoDevice);
}

TEST(SettingsDeviceLookup, InputsAndOutputsAreSeparateLists) {
    FakeAudioDevicesPort devices({"Line In", "Microphone"}, {"Headphones", "Speakers"});
    EXPECT_EQ(findInputDevice(devices, "Speakers"), kNoDevice);
    EXPECT_EQ(findOutputDevice(devices, "Speakers"), 1u);
    EXPECT_EQ(findInputDevice(devices, "Line In"), 0u);
    EXPECT_EQ(findOutputDevice(devices, "Line In"), kNoDevice);
}

}  // namespace
}  // namespace kestrel
