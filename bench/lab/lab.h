#pragma once
// The signal lab, shared by the signal tests and the benchmarks.
#include <complex>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "modem_state.h"

namespace kestrel::lab {

// Mono audio for the signal lab: samples as doubles in 16-bit units, with their rate.
struct Audio {
    int rate = 12000;
    std::vector<double> samples;

    double seconds() const { return static_cast<double>(samples.size()) / rate; }
};

// Reads a mono 16-bit file through Kestrel's own WAV reader; throws std::runtime_error
// with the reader's message when the file is rejected.
Audio readWav(const std::filesystem::path& path);

// Writes a mono 16-bit PCM file at audio.rate; samples are rounded and clipped to 16 bits.
// Returns the number of samples that had to be clipped.
std::size_t writeWav(const std::filesystem::path& path, const Audio& audio);

// Mean square of the samples (the power of a signal that is present throughout).
double meanSquare(const Audio& audio);

// The audio scaled so its RMS is rms.
Audio scaledToRms(const Audio& audio, double rms);

// The audio with seconds of silence before and after it.
Audio padded(const Audio& audio, double before, double after);

// The audio after seconds of a steady tone at hz and the given RMS: a sender keying its
// carrier before its text, the carrier's phase not running on into the text's.
Audio afterCarrier(const Audio& audio, double seconds, double hz, double rms);

// The audio scaled down, if needed, so its largest magnitude is at most peak.
Audio limitedToPeak(const Audio& audio, double peak);

// A fresh file name in the temporary directory (the file is not created).
std::filesystem::path tempWavPath(const char* stem);

// What the lab does to a clean signal on its way to the receiver: white Gaussian noise at
// a stated signal-to-noise ratio and the two-path Watterson model of an HF channel.
// Everything is drawn from fixed seeds, so a run is repeatable to the sample.
// Gaussian numbers from a fixed seed, the same with every standard library: the 64-bit
// Mersenne Twister is fully specified, the library's distributions are not, so the
// Box-Muller step is our own.
class Gaussian {
  public:
    explicit Gaussian(std::uint64_t seed) : bits_(seed) {}
    double next();         // mean 0, variance 1
    double nextUniform();  // [0, 1)

  private:
    std::mt19937_64 bits_;
    double spare_ = 0.0;
    bool haveSpare_ = false;
};

// The SNR is signal power over the noise power in a 3000 Hz bandwidth. White noise of
// variance v spreads over rate/2 Hz, so its power in 3000 Hz is v * 3000 / (rate / 2).
constexpr double kNoiseBandwidth = 3000.0;
double noiseVariance(double signalPower, double snrDb, int rate);

// Adds white Gaussian noise for snrDb against signalPower.
void addNoise(Audio& audio, double signalPower, double snrDb, std::uint64_t seed);

struct FadingProfile {
    const char* name;
    double delay;     // seconds between the two paths
    double spreadHz;  // Doppler spread: twice the standard deviation of the Gaussian spectrum
};
inline constexpr FadingProfile kCcirModerate{"CCIR moderate", 0.001, 0.5};
inline constexpr FadingProfile kCcirPoor{"CCIR poor", 0.002, 1.0};

// The complex gain of one Rayleigh path, sample by sample at rate: complex Gaussian noise
// with a Gaussian Doppler spectrum of the given spread and mean power `power`.
std::vector<std::complex<double>> rayleighPathGains(double spreadHz, double power, int rate,
                                                    std::size_t count, std::uint64_t seed);

// The analytic signal of the audio (a windowed Hilbert transformer, centred).
std::vector<std::complex<double>> analyticSignal(const Audio& audio);

// Passes audio through two independent Rayleigh paths of equal mean power (half each, so
// the mean output power equals the input power), the second delayed by profile.delay.
Audio watterson(const Audio& audio, const FadingProfile& profile, std::uint64_t seed);

// minimodem, an independent soft modem, as the lab's RTTY transmitter and as the receiver
// Kestrel is compared with. Baudot, 1.5 stop bits unless told, the given tones. minimodem's
// figures case is the US one, so texts for it avoid ' + = and the bell.
struct Tones {
    double mark = 2125.0;
    double space = 2295.0;
};
inline constexpr double kRttyStopBits = 1.5;

// The audio minimodem sends for text at baud, written at rate samples/s.
Audio minimodemTransmit(std::string_view text, double baud, int rate, Tones tones = {},
                        double stopBits = kRttyStopBits);

// What minimodem decodes from a file (its text output only).
std::string minimodemReceive(const std::filesystem::path& wav, double baud, Tones tones = {});

// Kestrel's receive chain in the lab: audio played through it as the "Play WAV file"
// command plays a file (the same reader and player), with the settings of a test.
struct KestrelSettings {
    double baud = 45.45;
    double mark = 2125.0;
    double space = 2295.0;
    DecodeMode mode = kDecodeSelectiv;
    bool afc = true;
    bool reverse = false;
    bool squelch = false;
    bool contest = true;
    bool newline = false;
    // Off by default here: the lab measures the plain text; Repeat Match is measured on
    // its own.
    bool repeatMatch = false;
    bool sameReject = true;  // two identical copies print nothing
};

struct KestrelPost {
    std::uint64_t sample;  // samples processed when it was posted
    std::uint32_t code;
    std::int64_t value;
};

struct KestrelResult {
    std::string text;                // what the logger received as characters, UTF-8
    std::vector<KestrelPost> posts;  // every notification, in order
    std::uint64_t samples = 0;       // samples processed
    int sampleRate = 0;

    // The mark tones reported to the logger, in order.
    std::vector<std::int64_t> reportedMarks() const;
};

// Plays audio (written as a 16-bit mono file at its rate) through a fresh receive chain.
KestrelResult kestrelDecode(const Audio& audio, const KestrelSettings& settings);

// Feeds 16-bit sound-card audio at 48000 samples/s (interleaved stereo unless rxChannel is
// 0) through live capture, in 128-byte buffers as a sound card delivers them: the queue to
// the receive thread, channel pick, rate reduction, 1/750, input low-pass, then the chain.
KestrelResult kestrelCapture(const std::vector<std::int16_t>& captured, int rxChannel,
                             const KestrelSettings& settings);

// The processing rate of a baud rate: 264 samples per bit.
int sampleRateFor(double baud);

// One measuring point of the receive benchmarks and tests: the same files for every
// receiver. Each file is the lead-in and the scored message, sent by minimodem at 45.45
// baud (or another speed) on 2125/2295 Hz at the speed's processing rate (12000
// samples/s at 45.45 baud), with a second of silence before and 1.5 s after, through the
// channel, with noise at the SNR. Seeds follow from the run number and the SNR, so a test
// and the benchmark at the same point use the very same files.
constexpr double kMeasureBaud = 45.45;
constexpr double kMeasureRms = 4000.0;

// The scored message of every measuring file (a contest exchange and serial numbers).
const std::string& measuredMessage();

// The clean transmission the files are made from, before channel and noise.
const Audio& measuringTransmission(double baud = kMeasureBaud);

// The files of a point; fading nullptr means white noise only.
std::vector<Audio> measuringFiles(const FadingProfile* fading, double snrDb, int runs,
                                  double baud = kMeasureBaud);

// Character error rate over all the files: errors over scored characters.
double kestrelErrorRate(const std::vector<Audio>& files, DecodeMode mode,
                        double baud = kMeasureBaud);
double kestrelErrorRate(const std::vector<Audio>& files, const KestrelSettings& settings);
double minimodemErrorRate(const std::vector<Audio>& files, double baud = kMeasureBaud);

// The ideal receiver, printed: perfect timing and tones, each data bit of the codes the
// transmission carries (sentCodes) wrong with the ideal non-coherent probability at the
// SNR (with fading, that probability over a flat Rayleigh fade drawn per character), the
// codes decoded with Kestrel's Baudot shift handling and text output in contest mode and
// scored as the decoders are. Seeds follow from the run and the SNR, as for the files.
const std::vector<std::uint8_t>& sentCodes();
std::string idealPrint(const std::vector<std::uint8_t>& codes, double bitError, std::uint64_t seed,
                       const FadingProfile* fading = nullptr, double snrDb = 0.0,
                       double baud = kMeasureBaud);
double idealErrorRate(const FadingProfile* fading, double snrDb, int runs,
                      double baud = kMeasureBaud);

// Scoring received text against the message that was sent.
// Upper case, every run of blanks, carriage returns and line feeds made one space, no
// blank at either end: the form in which sent and received texts are compared.
std::string normaliseText(std::string_view text);

// Character errors of the message: the edit distance (substitutions, insertions,
// deletions) between the normalised message and the best-matching stretch of the
// normalised received text. What a decoder prints on the noise before and after the
// message is left out.
std::size_t messageErrors(std::string_view sent, std::string_view received);

// Characters that print something: all but blanks, carriage returns and line feeds.
std::size_t printingCharacters(std::string_view text);

// messageErrors over the number of characters of the normalised message.
double characterErrorRate(std::string_view sent, std::string_view received);

// Texts the lab sends: contest exchanges as heard on the air. Each begins with CR LF as a
// transmission does; only characters both Baudot figure sets share (no ' + = or bell).
inline constexpr const char* kContestText =
    "\r\nCQ TEST DL5XYZ DL5XYZ TEST\r\n"
    "DL5XYZ DE W1AW W1AW K\r\n"
    "W1AW 599 14 14 DL5XYZ\r\n"
    "TU 599 05 CT 05 CT W1AW\r\n"
    "TU W1AW QRZ? DL5XYZ TEST\r\n"
    "DL5XYZ DE VE3ABC VE3ABC\r\n"
    "VE3ABC 599 14 14 DL5XYZ\r\n";

// Sent before a message whose error rate is measured in steady state: a receiver needs a
// few characters after noise alone to find the character timing and the levels, and
// these characters give it that time without being scored. The closing space puts a
// receiver that the noise left in figures case back into letters.
inline constexpr const char* kLeadIn = "\r\nRYRYRYRYRYRYRYRY ";

inline constexpr const char* kShortText = "\r\nCQ TEST DE W1AW W1AW K\r\n";

inline constexpr const char* kSerialText =
    "\r\nK3LR 599 0123 0123 NJ\r\n"
    "TU DE N1MM 599 0456 0456 MA\r\n"
    "G4ABC 599 0789 0789 BK\r\n";

}  // namespace kestrel::lab

namespace kestrel::lab {

// A synthetic contest band for the skimmer: stations sent by minimodem at their own tones,
// speeds and SNRs, some through fading, each starting at its own time, with a CW signal,
// a BPSK31 signal and a steady carrier among them, over one white noise.
struct BandStation {
    std::string call;
    double markHz;
    double baud;
    double snrDb;  // against the noise in 3000 Hz
    bool faded;
    std::string text;  // what it sends: CQs
    Audio audio;       // its signal alone, at its level, before the noise
};

struct Band {
    Audio audio;  // everything, with the noise
    Audio noise;  // the noise alone
    std::vector<BandStation> stations;
};

// count stations spread over 300 Hz to 0.42 of rate, cycling through the speeds, the
// SNRs {0, 6, 12, 20} dB and fading on every third; seconds long; all from seed.
Band makeBand(int rate, int count, double seconds, std::uint64_t seed, bool interferers = true);

// Station k's signal and the band's noise, nothing else.
Audio aloneInNoise(const Band& band, std::size_t k);

// Adds signal to band from start seconds on, as far as the band goes.
void addAt(Audio& band, const Audio& signal, double start);

struct SkimResult {
    struct Line {
        double time, markHz, baud;
        std::string text;
    };
    struct SpotSeen {
        std::string call;
        double markHz;
    };
    std::vector<Line> lines;
    std::vector<SpotSeen> spots;
    double cpuSeconds = 0;
    std::size_t mostSignals = 0;  // channels open at once, at most

    // What the skimmer decoded within 30 Hz of markHz, lines joined by line feeds.
    std::string textNear(double markHz) const;
};

// The skimmer in-process on audio in whole 16-bit units (every speed, 170 Hz shift),
// decoding in mode.
SkimResult skim(const Audio& audio, DecodeMode mode = kDecodeSelectiv, int mostSignals = 0);

}  // namespace kestrel::lab
