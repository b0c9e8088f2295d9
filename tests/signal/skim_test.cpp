// The skimmer on a small band: stations spotted with their calls and frequencies,
// nothing spotted on the interferers or on the noise.
#include <gtest/gtest.h>

#include <cmath>

#include "lab/lab.h"

using namespace kestrel::lab;

TEST(Skim, SpotsStationsOfABandAndNothingElse) {
    const Band band = makeBand(16000, 4, 25, 7);
    const SkimResult result = skim(band.audio);
    EXPECT_GE(result.spots.size(), 3u);
    for (const auto& spot : result.spots) {
        int matching = 0;
        for (const BandStation& s : band.stations)
            matching += spot.call == s.call && std::abs(spot.markHz - s.markHz) < 100;
        EXPECT_EQ(matching, 1) << spot.call << " at " << spot.markHz << " Hz";
    }
}

TEST(Skim, SpotsNothingOnNoise) {
    const SkimResult result = skim(makeBand(16000, 0, 60, 11, false).audio);
    EXPECT_TRUE(result.spots.empty());
}

// A station the skimmer opens a channel on while it sends: Deep's first hunt begins inside
// a character, and a clock one element late must not hold (this one lost 15% of its
// characters so).
TEST(Skim, DeepCopiesAStationJoinedWhileItSends) {
    const Band band = makeBand(48000, 20, 30, 19);
    const BandStation& station = band.stations[16];
    const SkimResult result = skim(aloneInNoise(band, 16), kestrel::kDecodeDeep);
    EXPECT_LE(characterErrorRate(station.text, result.textNear(station.markHz)), 0.02);
}
