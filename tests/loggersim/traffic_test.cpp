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

}  // namespace
}  // namespace kestrel
