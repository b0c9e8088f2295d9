// Weak and fading signals: character error rates of steady reception, on the benchmark's
// own files (lab/measure.h), three files of 240 scored characters per point.
#include <gtest/gtest.h>

#include "frontend/spectrum_view.h"
#include "lab/lab.h"
#include "signal_helpers.h"

namespace kestrel::lab {
namespace {

constexpr int kFiles = 3;

double rate(const FadingProfile* fading, double snrDb, DecodeMode mode, int files = kFiles) {
    return kestrelErrorRate(measuringFiles(fading, snrDb, files), mode);
}

TEST(WhiteNoise, FlutterAndSelectivAt45Baud) {
    EXPECT_LE(rate(nullptr, -6.0, kDecodeFlutter), 0.01);
    EXPECT_LE(rate(nullptr, -6.0, kDecodeSelectiv), 0.01);
    // Flutter reaches 1% at about -6.7 dB, not yet at -7 dB (1.5% on these files).
    EXPECT_LE(rate(nullptr, -7.0, kDecodeFlutter), 0.02);
    EXPECT_LT(rate(nullptr, -10.0, kDecodeFlutter), 0.30);
}

TEST(CcirPoor, SelectivAt0And3Db) {
    // Slow fading needs more text for a steady figure: six files per point.
    EXPECT_LE(rate(&kCcirPoor, 0.0, kDecodeSelectiv, 6), 0.05);
    // 2.0% on these files (2.15% on twelve): just above the 2% aimed at.
    EXPECT_LE(rate(&kCcirPoor, 3.0, kDecodeSelectiv, 6), 0.025);
}

TEST(CcirPoor, FlutterAndSpreadBeatMinimodemOnTheSameFiles) {
    for (const double snr : {-3.0, 3.0, 10.0}) {
        const std::vector<Audio> files = measuringFiles(&kCcirPoor, snr, kFiles);
        const double peer = minimodemErrorRate(files);
        for (const DecodeMode mode : {kDecodeFlutter, kDecodeSpread})
            EXPECT_LT(kestrelErrorRate(files, mode), peer)
                << decodeModeText(mode) << " at " << snr << " dB";
    }
}

// Deep at every speed, in white noise and in CCIR poor fading, four of the benchmark's
// files per point. The limits stand some way above what Deep reaches.
TEST(Deep, CopiesWeakAndFadingSignalsAtEverySpeed) {
    struct Point {
        double baud;
        const FadingProfile* fading;
        double snrDb, limit;
    };
    // Reached when written: 0.5%, 5.0%, 2.1%, 0.1%, 0.8%, 0.8%; in white noise each limit
    // lies below what deciding element by element reaches (1.9%, 10.3%, 1.6%, 2.5%).
    for (const Point p : {Point{45.45, nullptr, -8.0, 0.012}, Point{45.45, nullptr, -10.0, 0.075},
                          Point{45.45, &kCcirPoor, 0.0, 0.05}, Point{50.0, nullptr, -7.0, 0.008},
                          Point{75.0, nullptr, -6.0, 0.016}, Point{75.0, &kCcirPoor, 3.0, 0.035}}) {
        const double cer =
            kestrelErrorRate(measuringFiles(p.fading, p.snrDb, 4, p.baud), kDecodeDeep, p.baud);
        EXPECT_LE(cer, p.limit) << p.baud << " baud, " << (p.fading ? p.fading->name : "white")
                                << " at " << p.snrDb << " dB";
    }
}

// A signal 50 Hz off the set tones at -8 dB, three of the benchmark's files, each a way
// its start can go wrong: the AFC's tones parted far beyond a sender's shift error in the
// noise before (the 30th), a tone learned afresh while the AFC pulls in (the 6th), the
// clock starting with one tone still 30 Hz off (the 9th).
TEST(Deep, TakesUpASignalFiftyHertzOffTune) {
    struct File {
        std::uint64_t seed;
        double setAbove;  // Hz the tones are set above the signal's
    };
    std::uint64_t pin = kUnpinned;
    for (const File f : {File{29427, 50.0}, File{5427, -50.0}, File{8427, 50.0}}) {
        Audio audio = measuringTransmission();
        addNoise(audio, kMeasureRms * kMeasureRms, -8.0, f.seed);
        KestrelSettings settings = settingsFor(kDecodeDeep);
        settings.mark += f.setAbove;
        settings.space += f.setAbove;
        const KestrelResult got = kestrelDecode(limitedToPeak(audio, 32000.0), settings);
        EXPECT_LE(messageErrors(measuredMessage(), got.text), 8u) << f.seed << ": " << got.text;
        pin = pinOf(got, pin);
    }
    EXPECT_EQ(pin, 9587821948672447945ull);
}

}  // namespace
}  // namespace kestrel::lab
