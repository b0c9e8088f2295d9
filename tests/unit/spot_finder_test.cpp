#include "skim/spot_finder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kestrel::skim {
namespace {

TEST(SpotFinder, CallsAreShapedLikeAmateurCallsigns) {
    for (const char* call : {"K1ABC", "W1AW", "9A1A", "VK4FFI", "4U1ITU", "3DA0RU", "3DA0ABCD",
                             "DL/K1ABC", "K1ABC/P", "K1ABC/3", "DL/K1ABC/P"})
        EXPECT_TRUE(looksLikeCall(call)) << call;
    for (const char* word : {"TEST", "CQ", "599", "5NN", "K1", "1ABC", "K1ABCDE", "ABCD1EF", "123A",
                             "K1ABC/P/3/X", "/K1ABC", "K1ABC/", "DL//K1ABC", "K1ABC/PORTA"})
        EXPECT_FALSE(looksLikeCall(word)) << word;
}

TEST(SpotFinder, CallsAreTakenOnlyFromTheWaysStationsCall) {
    using Calls = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(callsInLine("CQ TEST DE 9A1A 9A1A"), (Calls{{"9A1A", "CQ"}, {"9A1A", "CQ"}}));
    EXPECT_EQ(callsInLine("TU K1ABC CQ"), (Calls{{"K1ABC", "CQ"}}));
    EXPECT_EQ(callsInLine("QRZ? DE DL/K1ABC/P"), (Calls{{"DL/K1ABC/P", "QRZ"}}));
    EXPECT_EQ(callsInLine("K1ABC TEST"), (Calls{{"K1ABC", "TEST"}}));
    // An exchange names calls, but no station calls in it.
    EXPECT_EQ(callsInLine("W1AW DE K1ABC 599 001 001 K"), Calls{});
    // At most three words between CQ and the call.
    EXPECT_EQ(callsInLine("CQ RTTY WW TEST DE K1ABC"), Calls{});
}

}  // namespace
}  // namespace kestrel::skim
