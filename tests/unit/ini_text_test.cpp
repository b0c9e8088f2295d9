#include "app/ini_text.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using namespace std::string_literals;

constexpr std::string_view kSection = "Kestrel Modem";

// As Windows leaves it: byte-order mark, CRLF, another program's section first.
const std::string kWindowsFile =
    "\xEF\xBB\xBF[Other Program]\r\n"
    "Markfrequency=1000\r\n"
    "\r\n"
    "; Kestrel's own settings\r\n"
    "[kestrel modem]\r\n"
    "  MARKFREQUENCY  =  2200  \r\n"
    "RXnameid=\"Line In (USB)\"\r\n"
    "TXnameid='Speakers\r\n"
    "Empty=\r\n"
    "\r\n"
    "[Last]\r\n"
    "Contest=0\r\n";

TEST(SettingsIniText, ReadsOnlyItsSectionIgnoringCaseBlanksAndQuotes) {
    const IniText text(kWindowsFile);
    EXPECT_EQ(text.value(kSection, "Markfrequency"), "2200");
    EXPECT_EQ(text.value(kSection, "RXnameid"), "Line In (USB)");
    EXPECT_EQ(text.value(kSection, "TXnameid"), "'Speakers");  // no closing quote: kept
    EXPECT_EQ(text.value(kSection, "Empty"), "");
    EXPECT_EQ(text.value(kSection, "Contest"), std::nullopt);  // in [Last] only
    EXPECT_EQ(text.value("Other Program", "markfrequency"), "1000");
    EXPECT_EQ(text.value("Missing", "Contest"), std::nullopt);
}

TEST(SettingsIniText, ReplacingAValueChangesOnlyThatValue) {
    IniText text(kWindowsFile);
    ASSERT_TRUE(text.setValue(kSection, "markFrequency", "2125"));
    ASSERT_TRUE(text.setValue(kSection, "rxnameid", "Line"));
    ASSERT_TRUE(text.setValue(kSection, "Empty", "x"));
    std::string expected = kWindowsFile;
    expected.replace(expected.find("2200"), 4, "2125");
    expected.replace(expected.find("\"Line In (USB)\""), 15, "Line");
    expected.insert(expected.find("Empty=") + 6, "x");
    EXPECT_EQ(text.bytes(), expected);
}

TEST(SettingsIniText, AValueCannotAddLinesAndBadNamesAreRefused) {
    IniText text("[Kestrel Modem]\r\nA=1\r\n");
    ASSERT_TRUE(text.setValue(kSection, "RXopenwav", "C:\\x.wav\r\n[Evil]\r\nA=2"));
    EXPECT_EQ(text.bytes(), "[Kestrel Modem]\r\nA=1\r\nRXopenwav=C:\\x.wav\r\n");
    for (std::string_view key : {"", "A=B", "[A]", " A", "A\nB"})
        EXPECT_FALSE(text.setValue(kSection, key, "1")) << key;
    EXPECT_FALSE(text.setValue("Bad]Section", "A", "1"));
    EXPECT_EQ(text.bytes(), "[Kestrel Modem]\r\nA=1\r\nRXopenwav=C:\\x.wav\r\n");
}

TEST(SettingsIniText, BinaryBytesSurviveAWrite) {
    std::string binary;
    for (int i = 0; i < 512; ++i) binary += static_cast<char>((i * 37) & 0xFF);
    IniText text(binary);
    ASSERT_TRUE(text.setValue(kSection, "Contest", "0"));
    ASSERT_TRUE(text.setValue(kSection, "PTT", "1"));
    EXPECT_EQ(text.bytes().substr(0, binary.size()), binary);
    EXPECT_EQ(text.value(kSection, "Contest"), "0");
    EXPECT_EQ(text.value(kSection, "PTT"), "1");
}

}  // namespace
}  // namespace kestrel
