// The transmitted spectrum and the cost of a frame.
//
// For AFSK and DOOK at 45.45 baud, 2125/2295 Hz, on a long random text: the occupied
// bandwidth (the band holding 99 % of the power, 0.5 % left out on each side) and the
// strongest emission more than 250 Hz from the centre, from a Welch spectrum (Hann window,
// 8192 points, half overlap). An unshaped phase-continuous FSK signal of the same text,
// made here, is the reference. Then the time each generator takes for one character frame
// at 75 baud, against the 100 ms the frame lasts on air.
#include <kiss_fft.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "transmit/offline_transmitter.h"
#include "transmit/sound_generators.h"

namespace {

using namespace kestrel;

constexpr int kFftSize = 8192;
constexpr double kCentreHz = 2210.0;

std::string randomText(int length, unsigned seed) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 /?-.";
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string text;
    for (int i = 0; i < length; ++i) text += alphabet[pick(random)];
    return text;
}

std::vector<double> transmitted(int txMode, const std::string& text) {
    ModemState state;
    state.TXmode = txMode;
    RecordingUi ui;
    OfflineTransmitter transmitter(state, ui);
    const auto stereo = transmitter.transmit(text);
    std::vector<double> mono;
    for (std::size_t n = 0; n < stereo.size(); n += 2) mono.push_back(stereo[n]);
    return mono;
}

// Hard-keyed, phase-continuous FSK of the same characters and shifts: the frequency steps
// where AFSK glides.
std::vector<double> unshapedFsk(const std::string& text) {
    ModemState state;
    RecordingUi ui;
    RecordingLogger logger;
    auto buffer = std::make_unique<TxBuffer>(state, logger, ui);
    for (char c : text) buffer->add(static_cast<std::uint8_t>(c));
    state.txState = kTxEndRequested;
    std::vector<double> out;
    double phase = 0.0;
    const double mark = 2.0 * std::numbers::pi * 2125.0 / 12000.0;
    const double space = 2.0 * std::numbers::pi * 2295.0 / 12000.0;
    while (state.txState.load() == kTxEndRequested) {
        const std::uint8_t code = buffer->nextCode();
        for (const FrameSlot& slot : frameSlots(code))
            for (int n = 0; n < slot.length; ++n) {
                out.push_back(24000.0 * std::sin(phase));
                phase = std::fmod(phase + (slot.space ? space : mark), 2.0 * std::numbers::pi);
            }
    }
    return out;
}

// Welch power spectrum, Hann window, half overlap; bin k is k * rate / 8192 Hz.
std::vector<double> welch(const std::vector<double>& x) {
    kiss_fft_cfg cfg = kiss_fft_alloc(kFftSize, 0, nullptr, nullptr);
    std::vector<kiss_fft_cpx> in(kFftSize), out(kFftSize);
    std::vector<double> power(kFftSize / 2 + 1, 0.0);
    for (std::size_t start = 0; start + kFftSize <= x.size(); start += kFftSize / 2) {
        for (int n = 0; n < kFftSize; ++n) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / kFftSize);
            in[n] = {x[start + n] * w, 0.0};
        }
        kiss_fft(cfg, in.data(), out.data());
        for (int k = 0; k <= kFftSize / 2; ++k)
            power[k] += out[k].r * out[k].r + out[k].i * out[k].i;
    }
    kiss_fft_free(cfg);
    return power;
}

struct SpectrumFigures {
    double occupiedHz;
    double lowHz, highHz;
    double outsideDb;  // strongest bin beyond +-250 Hz of centre, relative to the peak bin
    double outsideHz;
};

SpectrumFigures measure(const std::vector<double>& x, double rate) {
    const auto p = welch(x);
    const double binHz = rate / kFftSize;
    double total = 0.0, peak = 0.0;
    for (double v : p) {
        total += v;
        peak = std::max(peak, v);
    }
    SpectrumFigures f{};
    double running = 0.0;
    bool haveLow = false;
    for (std::size_t k = 0; k < p.size(); ++k) {
        running += p[k];
        if (!haveLow && running >= 0.005 * total) {
            f.lowHz = k * binHz;
            haveLow = true;
        }
        if (running <= 0.995 * total) f.highHz = (k + 1) * binHz;
    }
    f.occupiedHz = f.highHz - f.lowHz;
    double outside = 0.0;
    for (std::size_t k = 0; k < p.size(); ++k)
        if (std::abs(k * binHz - kCentreHz) > 250.0 && p[k] > outside) {
            outside = p[k];
            f.outsideHz = k * binHz;
        }
    f.outsideDb = 10.0 * std::log10(outside / peak);
    return f;
}

void reportSpectrum(const char* name, const std::vector<double>& x) {
    const SpectrumFigures f = measure(x, 12000.0);
    std::printf("  %-22s %7.1f Hz (%.1f to %.1f Hz)   %6.1f dB at %.0f Hz\n", name, f.occupiedHz,
                f.lowHz, f.highHz, f.outsideDb, f.outsideHz);
}

// Microseconds per character frame of one generator at 75 baud, text from a long buffer.
double frameMicroseconds(int txMode, int frames) {
    ModemState state;
    state.TXmode = txMode;
    state.baudIndex = 2;
    state.sampleRate = 19800;
    RecordingUi ui;
    RecordingLogger logger;
    FakePttSwitch ptt;
    auto buffer = std::make_unique<TxBuffer>(state, logger, ui);
    TxLinks links{state, *buffer, ptt, logger, ui, [] {}};
    SoundGenerators generators(links);
    for (char c : randomText(frames, 7)) buffer->add(static_cast<std::uint8_t>(c));
    TxFrame frame;
    state.txState = kTxRequested;
    generators.generateFrame(frame);  // the preamble, and the DOOK filter design, untimed
    generators.generateFrame(frame);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) generators.generateFrame(frame);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::micro>(elapsed).count() / frames;
}

}  // namespace

int main() {
    const std::string text = randomText(3000, 2026);
    std::printf(
        "Transmit spectrum, 45.45 baud, mark 2125 Hz, space 2295 Hz, %zu random "
        "characters\n",
        text.size());
    std::printf("  %-22s %s   %s\n", "signal", "99 % occupied bandwidth",
                "strongest beyond +-250 Hz (rel. peak bin, 1.46 Hz bins)");
    reportSpectrum("AFSK", transmitted(kAfskMode, text));
    reportSpectrum("DOOK", transmitted(kDookMode, text));
    reportSpectrum("unshaped FSK (ref.)", unshapedFsk(text));

    std::printf("\nGenerator time per 1980-sample frame at 75 baud (frame lasts 100 ms)\n");
    const char* names[] = {"AFSK", "DOOK", "PFSK"};
    for (int mode : {kAfskMode, kDookMode, kPfskMode}) {
        const double us = frameMicroseconds(mode, mode == kDookMode ? 400 : 2000);
        std::printf("  %-5s %8.1f us   %6.3f %% of the frame time\n", names[mode], us, us / 1000.0);
    }
    return 0;
}
