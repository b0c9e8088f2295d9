// The ideal receiver, printed: the codes the measuring transmission really carries, each
// data bit wrong with the ideal non-coherent probability, decoded with Kestrel's own Baudot
// shift handling and scored as a decoder's text is. A lost shift spoils the characters
// after it here too, so this is the line a real decoder is measured against.
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

#include "decode/baudot_decoder.h"
#include "decode/received_char_emitter.h"
#include "lab/lab.h"
#include "lab/theory.h"
#include "platform/logger_codes.h"
#include "text/wide_text.h"

namespace kestrel::lab {

namespace {

// Energy of one tone over [from, from + length) of the clean audio, by direct summation.
double toneEnergy(const Audio& a, double hz, std::size_t from, std::size_t length) {
    std::complex<double> sum;
    const double w = 2.0 * std::numbers::pi * hz / a.rate;
    for (std::size_t n = from; n < from + length && n < a.samples.size(); ++n)
        sum += a.samples[n] * std::polar(1.0, -w * static_cast<double>(n));
    return std::norm(sum);
}

// The text as the logger receives it.
struct TextPort final : LoggerPort {
    bool post(std::uint32_t code, std::int64_t value) override {
        if (code == TXM_CHAR) text += utf8FromUnit(static_cast<char16_t>(value));
        return true;
    }
    std::string text;
};

}  // namespace

// The clean transmission read back at its known timing: hunt a space after mark with a
// short window, then take each element over its whole length. There is no noise, so the
// codes are exactly those sent (the caller checks them against the text).
const std::vector<std::uint8_t>& sentCodes() {
    static const std::vector<std::uint8_t> codes = [] {
        const Audio& a = measuringTransmission();
        const Tones tones;
        const double element = a.rate / kMeasureBaud;
        const auto whole = static_cast<std::size_t>(std::lround(element));
        const std::size_t probe = whole / 4;
        const double floor = 0.01 * probe * probe * kMeasureRms * kMeasureRms;
        std::vector<std::uint8_t> out;
        std::size_t n = 0;
        while (n + 8 * whole < a.samples.size()) {
            const double m = toneEnergy(a, tones.mark, n, probe);
            const double s = toneEnergy(a, tones.space, n, probe);
            if (s < m || s < floor) {
                n += 4;
                continue;
            }
            // The space half fills the probe from about half a probe after the edge.
            const double edge = static_cast<double>(n) + probe / 2.0 - 2.0;
            std::uint8_t code = 0;
            for (int bit = 0; bit < 5; ++bit) {
                const auto from = static_cast<std::size_t>(std::lround(edge + (bit + 1) * element));
                if (toneEnergy(a, tones.mark, from, whole) >
                    toneEnergy(a, tones.space, from, whole))
                    code |= static_cast<std::uint8_t>(1u << bit);
            }
            out.push_back(code);
            n = static_cast<std::size_t>(edge + 7.0 * element);
        }
        return out;
    }();
    return codes;
}

std::string idealPrint(const std::vector<std::uint8_t>& codes, double bitError, std::uint64_t seed,
                       const FadingProfile* fading, double snrDb, double baud) {
    ModemState state;
    state.Contest = 1;
    BaudotDecoder baudot(state);
    TextPort port;
    ReceivedCharEmitter emitter(state, port);
    Gaussian random(seed);
    for (std::uint8_t code : codes) {
        double p = bitError;
        if (fading) {
            // Flat Rayleigh, constant over a character: an exponential share of the power.
            const double g = -std::log(1.0 - random.nextUniform());
            p = 0.5 * std::exp(-g * ebN0(snrDb, baud) / 2.0);
        }
        for (int bit = 0; bit < 5; ++bit)
            if (random.nextUniform() < p) code ^= static_cast<std::uint8_t>(1u << bit);
        if (const char16_t c = baudot.baudotDecode(code)) emitter.emitReceivedChar(c);
    }
    return port.text;
}

double idealErrorRate(const FadingProfile* fading, double snrDb, int runs, double baud) {
    const std::vector<std::uint8_t>& codes = sentCodes();
    const double p = bfskBitErrorAwgn(snrDb, baud);
    std::size_t errors = 0, characters = 0;
    for (int run = 0; run < runs; ++run) {
        const auto seed = static_cast<std::uint64_t>(1000 * run + std::lround(10 * (snrDb + 50)));
        errors +=
            messageErrors(measuredMessage(), idealPrint(codes, p, seed + 11, fading, snrDb, baud));
        characters += normaliseText(measuredMessage()).size();
    }
    return static_cast<double>(errors) / characters;
}

}  // namespace kestrel::lab
