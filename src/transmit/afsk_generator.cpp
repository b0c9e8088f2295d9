#include "transmit/afsk_generator.h"

#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// 0.5 - 0.5 cos(pi k / length): the raised-cosine ramp from 0 to 1.
double rampUp(int k, int length) {
    return 0.5 - 0.5 * std::cos(std::numbers::pi * k / length);
}

}  // namespace

double blackmanStep(int n) {
    if (n >= kGlideSamples) return 1.0;
    const double x = std::numbers::pi * n / kGlideSamples;
    // 7938/18608, 9240/18608 and 1430/18608: the exact Blackman coefficients.
    return 0.42659071367153911 - 0.49656061908856408 * std::cos(x) +
           0.076848667239896806 * std::cos(2.0 * x);
}

AfskGenerator::Increments AfskGenerator::increments() const {
    ModemState& s = links.state;
    const double offset = effectiveToneOffset(s);
    const double perHz = kTwoPi / s.sampleRate.load();
    return {(s.markFrequency.load() - offset) * perHz, (s.spaceFrequency.load() - offset) * perHz};
}

double AfskGenerator::oscillate(double increment) {
    const double value = std::sin(afskPhase);
    afskPhase += increment;
    if (afskPhase > kTwoPi) afskPhase -= kTwoPi;
    return value;
}

void AfskGenerator::glide(TxFrame& frame, int begin, int count, double from, double to) {
    for (int n = 0; n < count; ++n) {
        const double increment = from + (to - from) * blackmanStep(n);
        frame[begin + n] = toSample(kAfskAmplitude * oscillate(increment));
    }
}

void AfskGenerator::generateAfsk(TxFrame& frame) {
    const int txState = txStateForFrame(links, frame, "TX AFSK error 105");
    if (txState == kFrameDealtWith) return;
    const Increments inc = increments();
    switch (txState) {
        case kTxRequested:
            links.ptt.setPtt(true);
            preambleSpace(frame, inc);
            links.state.txState = kTxSecondPreamble;
            return;
        case kTxSecondPreamble:
            glide(frame, 0, kTxFrameSamples, inc.space, inc.mark);
            links.state.txState = kTxSending;
            return;
        case kTxClosing:
            closingFade(frame, inc);
            links.startPttReleaseReporter();
            links.state.txState = kTxIdle;
            return;
        default:
            character(frame);  // may end a requested end: kTxEndRequested to kTxClosing
            return;
    }
}

void AfskGenerator::preambleSpace(TxFrame& frame, const Increments& inc) {
    for (int k = 0; k < kTxFrameSamples; ++k) {
        const double ramp = k < kPreambleRampSamples ? rampUp(k, kPreambleRampSamples) : 1.0;
        frame[k] = toSample(kAfskAmplitude * ramp * oscillate(inc.space));
    }
}

void AfskGenerator::character(TxFrame& frame) {
    std::uint8_t code = links.buffer.nextCode();
    if (code > kBaudotDataBits) {
        links.ui.messageBox("TX char error", "", kMbOk);
        code &= kBaudotDataBits;
    }
    characterFrame(frame, code);
}

void AfskGenerator::characterFrame(TxFrame& frame, std::uint8_t code) {
    const Increments inc = increments();
    double previous = inc.mark;  // every frame ends on mark
    for (const FrameSlot& slot : frameSlots(code)) {
        const double current = slot.space ? inc.space : inc.mark;
        glide(frame, slot.begin, slot.length, previous, current);
        previous = current;
    }
}

void AfskGenerator::closingFade(TxFrame& frame, const Increments& inc) {
    frame.fill(0);
    for (int k = 0; k < kClosingRampSamples; ++k) {
        const double ramp = rampUp(kClosingRampSamples - k, kClosingRampSamples);
        frame[k] = toSample(kAfskAmplitude * ramp * oscillate(inc.mark));
    }
}

}  // namespace kestrel
