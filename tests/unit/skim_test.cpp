#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "skim/carrier_canceller.h"
#include "skim/spot_finder.h"

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

// A carrier in noise is placed between the transform's bins to a fiftieth of a bin.
TEST(CarrierSearch, PlacesALineBetweenBins) {
    CarrierSearch search;
    std::array<std::complex<float>, kCarrierBlock> block;
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0, 0.05F);
    for (const double hz : {-151.3, -40.0, 23.7, 148.9}) {
        for (int n = 0; n < kCarrierBlock; ++n)
            block[n] = std::complex<float>(noise(random), noise(random)) +
                       std::polar(2.0F, float(2 * std::numbers::pi * hz * n / 3000));
        EXPECT_NEAR(search.lineHz(block, 3000, 85), hz, 0.03) << hz;
    }
}

}  // namespace
}  // namespace kestrel::skim
