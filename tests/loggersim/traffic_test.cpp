#include "loggersim/traffic.h"

#include <gtest/gtest.h>

#include "platform/logger_codes.h"

namespace kestrel {
namespace {

TEST(MmttyTraffic, EveryProtocolCodeHasANameThatReadsBackAsTheCode) {
    for (std::uint32_t code = 0; code <= 29; ++code) {
        const std::string name = mmttyCodeName(code);
        EXPECT_TRUE(name.starts_with("RXM_")) << code;
        EXPECT_EQ(parseMmttyCode(name), code) << name;
    }
    for (std::uint32_t code = 32768; code <= 32787; ++code) {
        const std::string name = mmttyCodeName(code);
        EXPECT_TRUE(name.starts_with("TXM_")) << code;
        EXPECT_EQ(parseMmttyCode(name), code) << name;
    }
    EXPECT_EQ(mmttyCodeName(9), "RXM_SETMARK");
    EXPECT_EQ(mmttyCodeName(26), "RXM_ENBFOCUS");
    EXPECT_EQ(mmttyCodeName(32775), "TXM_MARK");
    EXPECT_EQ(mmttyCodeName(32786), "TXM_DEFSHIFT");
}

TEST(MmttyTraffic, CodesWithoutANameAreShownAndReadAsNumbers) {
    EXPECT_EQ(mmttyCodeName(30), "30");
    EXPECT_EQ(mmttyCodeName(40000), "40000");
    EXPECT_EQ(parseMmttyCode("31"), 31u);
    EXPECT_EQ(parseMmttyCode("0x8007"), TXM_MARK);
    EXPECT_EQ(parseMmttyCode("rxm_setmark"), std::nullopt);
    EXPECT_EQ(parseMmttyCode("RXM_SETMARKS"), std::nullopt);
    EXPECT_EQ(parseMmttyCode("-1"), std::nullopt);
    EXPECT_EQ(parseMmttyCode("4294967296"), std::nullopt);
    EXPECT_EQ(parseMmttyCode(""), std::nullopt);
}

TEST(MmttyTraffic, IntegersAreDecimalWithSignOrHexadecimal) {
    EXPECT_EQ(parseInteger("2125"), 2125);
    EXPECT_EQ(parseInteger("-7"), -7);
    EXPECT_EQ(parseInteger("0x3047E"), 197758);
    EXPECT_EQ(parseInteger("0X7fff7fff"), 2147450879);
    EXPECT_EQ(parseInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseInteger("9223372036854775808"), std::nullopt);
    for (const char* bad : {"", "-", "0x", "+5", "--5", "-0x5", "12a", "1 2", "0x-1", " 1"})
        EXPECT_EQ(parseInteger(bad), std::nullopt) << bad;
}

TEST(MmttyTraffic, LogLinesCarryTimeDirectionNameValueAndPrintableCharacter) {
    EXPECT_EQ(formatTraffic(1234, Direction::Received, TXM_CHAR, 65), "  1234 < TXM_CHAR 65 'A'");
    EXPECT_EQ(formatTraffic(7, Direction::Sent, RXM_SETMARK, 249), "     7 > RXM_SETMARK 249");
    EXPECT_EQ(formatTraffic(7, Direction::Sent, RXM_CHAR, 32), "     7 > RXM_CHAR 32 ' '");
    EXPECT_EQ(formatTraffic(0, Direction::Received, TXM_CHAR, 13), "     0 < TXM_CHAR 13");
    EXPECT_EQ(formatTraffic(0, Direction::Received, TXM_MARK, 65), "     0 < TXM_MARK 65");
    EXPECT_EQ(formatTraffic(0, Direction::Received, 40000, -1), "     0 < 40000 -1");
    EXPECT_EQ(stampedLine(12345678, "# line 3"), "12345678 # line 3");
}

}  // namespace
}  // namespace kestrel
