// Character error rate against SNR for each decode mode, beside minimodem on the very same
// files and beside the ideal non-coherent FSK receiver (its text printed and scored as the
// decoders' are, and its share of codes received wrong), on white noise and on CCIR
// moderate and poor fading. Prints Markdown for docs/benchmarks.md. The files are those of
// lab/measure.h: a lead-in, then the scored message (steady reception).
//
//   receive_quality [--channel awgn|moderate|poor|squelch|all] [--runs N] [--step DB]
//                   [--from DB] [--to DB]   (a part of the channel's range)
//                   [--baud 45.45|50|75] [--mode NAME]   (one decode mode, no minimodem)
//                   [--offset HZ]   (the signal HZ above where Kestrel's modes listen)
//
// "squelch": the message's error rate with squelch off and on, what each mode prints on
// white noise alone, squelch off and on, and whether a call after noise (and one after
// noise and a carrier) is copied from its first word.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "frontend/spectrum_view.h"
#include "lab/lab.h"
#include "lab/theory.h"

using namespace kestrel;
using namespace kestrel::lab;

namespace {

constexpr int kDecoders = kDecodeModes + 2;  // the modes, minimodem, the ideal printed

// What a run measures: the speed, and every receiver or one decode mode alone.
struct Run {
    double baud = kMeasureBaud;
    int mode = -1;        // -1: every mode and minimodem
    double offset = 0.0;  // Hz the signal lies above the tones Kestrel's modes are set to
    bool measures(int decoder) const {
        return mode < 0 || decoder == mode || decoder == kDecodeModes + 1;
    }
};

struct Channel {
    const char* name;
    const FadingProfile* fading;  // nullptr: white noise only
    double lowDb, highDb;
};

struct Point {
    double snr;
    double cer[kDecoders];
    double theory;
};

double ideal(const Channel& channel, double snr, double baud) {
    return channel.fading ? bfskCharErrorRayleigh(snr, baud) : bfskCharErrorAwgn(snr, baud);
}

Point measure(const Channel& channel, double snr, int runs, const Run& run) {
    const std::vector<Audio> files = measuringFiles(channel.fading, snr, runs, run.baud);
    Point p{snr, {}, ideal(channel, snr, run.baud)};
    for (int d = 0; d < kDecodeModes; ++d) {
        if (!run.measures(d)) continue;
        KestrelSettings settings;
        settings.baud = run.baud;
        settings.mode = static_cast<DecodeMode>(d);
        settings.mark -= run.offset;
        settings.space -= run.offset;
        p.cer[d] = kestrelErrorRate(files, settings);
    }
    if (run.measures(kDecodeModes)) p.cer[kDecodeModes] = minimodemErrorRate(files, run.baud);
    p.cer[kDecodeModes + 1] = idealErrorRate(channel.fading, snr, runs, run.baud);
    return p;
}

const char* decoderName(int d) {
    return d < kDecodeModes    ? decodeModeText(d).data()
           : d == kDecodeModes ? "minimodem"
                               : "ideal, printed";
}

// The SNR above which the rate stays at or below target, interpolated between the last
// point above it and the next one.
std::string snrFor(const std::vector<Point>& points, const std::function<double(const Point&)>& cer,
                   double target) {
    for (std::size_t k = points.size(); k-- > 0;) {
        if (cer(points[k]) <= target) continue;
        if (k + 1 == points.size()) return "> " + std::to_string(static_cast<int>(points[k].snr));
        const double c0 = cer(points[k]), c1 = cer(points[k + 1]);
        const double s =
            points[k].snr + (c0 - target) / (c0 - c1) * (points[k + 1].snr - points[k].snr);
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", s);
        return text;
    }
    return "< " + std::to_string(static_cast<int>(points.front().snr));
}

void report(const Channel& channel, int runs, double step, const Run& run) {
    std::printf("\n### %s, %g baud (%d files of %zu scored characters per point)\n\n", channel.name,
                run.baud, runs, normaliseText(measuredMessage()).size());
    if (run.offset != 0.0)
        std::printf("Kestrel's modes set %+g Hz from the signal's tones (minimodem on them).\n\n",
                    -run.offset);
    std::printf("| SNR dB |");
    for (int d = 0; d < kDecoders; ++d)
        if (run.measures(d)) std::printf(" %s |", decoderName(d));
    std::printf(" ideal FSK, codes |\n|---:|");
    for (int d = 0; d < kDecoders; ++d)
        if (run.measures(d)) std::printf("---:|");
    std::printf("---:|\n");
    std::vector<Point> points;
    for (double snr = channel.lowDb; snr <= channel.highDb + 1e-9; snr += step) {
        points.push_back(measure(channel, snr, runs, run));
        const Point& p = points.back();
        std::printf("| %+.0f |", p.snr);
        for (int d = 0; d < kDecoders; ++d)
            if (run.measures(d)) std::printf(" %.2f%% |", 100 * p.cer[d]);
        std::printf(" %.2f%% |\n", 100 * p.theory);
        std::fflush(stdout);
    }
    for (const double target : {0.01, 0.05}) {
        std::printf("| SNR for %.0f%% |", 100 * target);
        for (int d = 0; d < kDecoders; ++d)
            if (run.measures(d))
                std::printf(" %s |", snrFor(
                                         points, [d](const Point& p) { return p.cer[d]; }, target)
                                         .c_str());
        const double best =
            snrForErrorRate([&](double s) { return ideal(channel, s, run.baud); }, target);
        std::printf(" %.1f |\n", best);
    }
    std::fflush(stdout);
}

KestrelSettings withSquelch(DecodeMode mode, bool squelch) {
    KestrelSettings settings;
    settings.baud = kMeasureBaud;
    settings.mode = mode;
    settings.squelch = squelch;
    return settings;
}

// The columns of a squelch table, after its first: each mode with squelch off and on.
void squelchColumns() {
    for (int d = 0; d < kDecodeModes; ++d)
        std::printf(" %s off | %s on |", decodeModeText(d).data(), decodeModeText(d).data());
    std::printf("\n|---:|");
    for (int d = 0; d < kDecodeModes; ++d) std::printf("---:|---:|");
    std::printf("\n");
}

// Whether the call's first words are copied, in `runs` noises from seed `seed` on.
void reportCall(const char* what, const char* copied, const Audio& clean,
                std::initializer_list<double> snrs, std::uint64_t seed, const std::string& first,
                int runs) {
    std::printf("\n### Squelch: %s (%d calls per point, %s)\n\n| SNR dB |", what, runs, copied);
    squelchColumns();
    for (const double snr : snrs) {
        std::printf("| %+.0f |", snr);
        for (int mode = 0; mode < kDecodeModes; ++mode) {
            for (const bool squelch : {false, true}) {
                int calls = 0;
                for (int run = 0; run < runs; ++run) {
                    Audio a = clean;
                    addNoise(a, kMeasureRms * kMeasureRms, snr, seed + static_cast<unsigned>(run));
                    const std::string text = normaliseText(
                        kestrelDecode(limitedToPeak(a, 32000.0),
                                      withSquelch(static_cast<DecodeMode>(mode), squelch))
                            .text);
                    calls += text.find(first) != std::string::npos;
                }
                std::printf(" %d |", calls);
            }
        }
        std::printf("\n");
        std::fflush(stdout);
    }
}

void reportSquelch(int runs) {
    std::printf("\n### Squelch: the message, white noise (%d files per point)\n\n| SNR dB |", runs);
    squelchColumns();
    for (const double snr : {-9.0, -6.0, -3.0, 0.0, 3.0, 10.0}) {
        const std::vector<Audio> files = measuringFiles(nullptr, snr, runs);
        std::printf("| %+.0f |", snr);
        for (int d = 0; d < kDecodeModes; ++d) {
            for (const bool squelch : {false, true})
                std::printf(" %.2f%% |",
                            100 * kestrelErrorRate(
                                      files, withSquelch(static_cast<DecodeMode>(d), squelch)));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    constexpr int kMinutes = 2;
    std::printf("\n### Squelch: white noise alone (%d minutes, characters per minute)\n\n|",
                kMinutes);
    for (int d = 0; d < kDecodeModes; ++d) std::printf(" | %s", decodeModeText(d).data());
    std::printf(" |\n|---|");
    for (int d = 0; d < kDecodeModes; ++d) std::printf("---:|");
    std::printf("\n");
    Audio noise;
    noise.samples.assign(static_cast<std::size_t>(kMinutes * 60 * noise.rate), 0.0);
    addNoise(noise, kMeasureRms * kMeasureRms, 0.0, 4242);
    noise = limitedToPeak(noise, 32000.0);
    for (const bool squelch : {false, true}) {
        std::printf("| squelch %s |", squelch ? "on" : "off");
        for (int d = 0; d < kDecodeModes; ++d) {
            const std::string text =
                kestrelDecode(noise, withSquelch(static_cast<DecodeMode>(d), squelch)).text;
            std::printf(" %.1f |", static_cast<double>(printingCharacters(text)) / kMinutes);
        }
        std::printf("\n");
    }

    // The message above follows a long lead-in, which hides a squelch that opens late: a
    // call with none, after ten seconds of noise, shows whether its first word is copied.
    const Audio call = scaledToRms(
        minimodemTransmit("\r\nCQ TEST DE W1AW W1AW K\r\n", kMeasureBaud, 12000), kMeasureRms);
    reportCall("a call after 10 s of noise, no lead-in", "first word copied",
               padded(call, 10.0, 1.5), {-6.0, 0.0, 6.0, 20.0}, 77, "CQ TEST", runs);
    // A sender that keys its carrier a moment before the text: the clock and the AFC are
    // still out in the noise when the first start comes.
    const Audio text = scaledToRms(
        minimodemTransmit("CQ TEST DE W1AW W1AW K\r\n", kMeasureBaud, 12000), kMeasureRms);
    reportCall("a call after 3 s of noise and 150 ms of mark carrier",
               "copied from its first character",
               padded(afterCarrier(text, 0.15, Tones{}.mark, kMeasureRms), 3.0, 1.5),
               {0.0, 3.0, 6.0}, 500, "CQ TEST DE W1AW", runs);
}

}  // namespace

int main(int argc, char** argv) {
    std::string which = "all";
    int runs = 3;
    double step = 1.0;
    double from = -100.0, to = 100.0;
    Run run;
    if (argc > 1 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::printf(
            "receive_quality [--channel awgn|moderate|poor|squelch|all] [--runs N] [--step DB]\n"
            "                [--from DB] [--to DB] [--baud 45.45|50|75] [--mode NAME]\n"
            "                [--offset HZ]\n"
            "--mode measures that decode mode alone (and the ideal), without minimodem;\n"
            "--offset puts the signal HZ above the tones Kestrel's modes listen on;\n"
            "the squelch tables are at 45.45 baud.\n");
        return 0;
    }
    for (int k = 1; k + 1 < argc; k += 2) {
        if (!std::strcmp(argv[k], "--channel"))
            which = argv[k + 1];
        else if (!std::strcmp(argv[k], "--runs"))
            runs = std::atoi(argv[k + 1]);
        else if (!std::strcmp(argv[k], "--step"))
            step = std::atof(argv[k + 1]);
        else if (!std::strcmp(argv[k], "--from"))
            from = std::atof(argv[k + 1]);
        else if (!std::strcmp(argv[k], "--to"))
            to = std::atof(argv[k + 1]);
        else if (!std::strcmp(argv[k], "--baud"))
            run.baud = std::atof(argv[k + 1]);
        else if (!std::strcmp(argv[k], "--offset"))
            run.offset = std::atof(argv[k + 1]);
        else if (!std::strcmp(argv[k], "--mode") && (run.mode = decodeModeNamed(argv[k + 1])) < 0) {
            std::fprintf(stderr, "no decode mode named %s\n", argv[k + 1]);
            return 2;
        }
    }
    if (run.baud != 45.45 && run.baud != 50.0 && run.baud != 75.0) {
        std::fprintf(stderr, "--baud takes 45.45, 50 or 75\n");
        return 2;
    }
    const Channel channels[] = {{"White noise", nullptr, -16.0, 10.0},
                                {"CCIR moderate (1 ms, 0.5 Hz)", &kCcirModerate, -6.0, 15.0},
                                {"CCIR poor (2 ms, 1 Hz)", &kCcirPoor, -6.0, 15.0}};
    const char* keys[] = {"awgn", "moderate", "poor"};
    const auto start = std::chrono::steady_clock::now();
    if (which == "squelch") reportSquelch(runs);
    for (int c = 0; c < 3; ++c) {
        if (which != "all" && which != keys[c]) continue;
        Channel part = channels[c];
        part.lowDb = std::max(part.lowDb, from);
        part.highDb = std::min(part.highDb, to);
        report(part, runs, step, run);
    }
    std::printf("\n(%.0f s)\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
}
