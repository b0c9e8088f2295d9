#include "transmit/dook_generator.h"

#include <cmath>
#include <numbers>

#include "frontend/filter_design.h"

namespace kestrel {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::array<double, kDookTaps> designDookTaps() {
    std::array<double, kDookTaps> taps{};
    designEqualisedRaisedCosine(taps.data(), kDookTaps, 0.85, 12000.0, 1000.0 / 11.0);
    return taps;
}

void advance(double& phase, double increment) {
    phase += increment;
    if (phase >= kTwoPi) phase -= kTwoPi;
}

}  // namespace

const std::array<double, kDookTaps>& dookTaps() {
    static const std::array<double, kDookTaps> taps = designDookTaps();
    return taps;
}

double DookGenerator::dookEnvelope(double target, int tone) {
    const auto& taps = dookTaps();
    auto& line = delayLines[tone];
    int& start = delayStart[tone];
    start = start == 0 ? kDookTaps - 1 : start - 1;
    line[start] = target;
    line[start + kDookTaps] = target;
    // The taps are symmetric, so each pair of positions shares one product.
    const double* newest = line.data() + start;
    const double* oldest = newest + kDookTaps - 1;
    const double* tap = taps.data();
    double sum = tap[kDookTaps / 2] * newest[kDookTaps / 2];
    for (int i = 0; i < kDookTaps / 2; ++i) sum += tap[i] * (newest[i] + oldest[-i]);
    return sum;
}

DookGenerator::Increments DookGenerator::increments() const {
    ModemState& s = links.state;
    const double offset = effectiveToneOffset(s);
    const double perHz = kTwoPi / s.sampleRate.load();
    return {(s.markFrequency.load() - offset) * perHz, (s.spaceFrequency.load() - offset) * perHz};
}

void DookGenerator::synthesise(TxFrame& frame, int begin, int count, double markTarget,
                               double spaceTarget, const Increments& inc) {
    for (int n = begin; n < begin + count; ++n) {
        dookMarkLevel = dookEnvelope(markTarget, kDookMark);
        dookSpaceLevel = dookEnvelope(spaceTarget, kDookSpace);
        const double value =
            std::sin(dookMarkPhase) * dookMarkLevel - std::sin(dookSpacePhase) * dookSpaceLevel;
        frame[n] = toSample(value * kDookAmplitude);
        advance(dookMarkPhase, inc.mark);
        advance(dookSpacePhase, inc.space);
    }
}

void DookGenerator::generateDook(TxFrame& frame) {
    const int txState = txStateForFrame(links, frame, "TX DOOK error 95");
    if (txState == kFrameDealtWith) return;
    const Increments inc = increments();
    switch (txState) {
        case kTxRequested:
            links.ptt.setPtt(true);
            // Fill the filter first, so the space tone is at full level from the first
            // sample: the preamble has no fade-in.
            for (int n = 0; n < kDookTaps; ++n) {
                dookMarkLevel = dookEnvelope(0.0, kDookMark);
                dookSpaceLevel = dookEnvelope(kDookPreambleLevel, kDookSpace);
            }
            synthesise(frame, 0, kTxFrameSamples, 0.0, kDookPreambleLevel, inc);
            links.state.txState = kTxSecondPreamble;
            dookStarted = 0;
            return;
        case kTxSecondPreamble:
            synthesise(frame, 0, kTxFrameSamples, kDookPreambleLevel, 0.0, inc);
            links.state.txState = kTxSending;
            return;
        case kTxClosing:
            synthesise(frame, 0, kTxFrameSamples, 0.0, 0.0, inc);
            links.startPttReleaseReporter();
            links.state.txState = kTxIdle;
            return;
        default:
            character(frame, inc);
            return;
    }
}

void DookGenerator::character(TxFrame& frame, const Increments& inc) {
    std::uint8_t code = kBaudotLtrs;  // the first frame is LTRS, not taken from the buffer
    if (dookStarted == 0)
        dookStarted = 1;
    else
        code = links.buffer.nextCode();
    for (const FrameSlot& slot : frameSlots(code)) {
        const double mark = slot.space ? 0.0 : kDookCharacterLevel;
        const double space = slot.space ? kDookCharacterLevel : 0.0;
        synthesise(frame, slot.begin, slot.length, mark, space, inc);
    }
}

}  // namespace kestrel
