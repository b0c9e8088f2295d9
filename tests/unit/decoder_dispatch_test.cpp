#include "decode/decoder_dispatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "unit/framing_rig.h"
#include "unit/keyed_envelope.h"

namespace kestrel {
namespace {

using test::KeyedEnvelope;
constexpr std::uint32_t kTxmChar = 32771;

// A stand-in for the receive filter design: a raised-cosine pulse one symbol wide on
// each side of the centre tap, unity gain.
void testDesign(double* taps, int n, double, double designRate, double symbolRate) {
    const double halfWidth = designRate / symbolRate;
    double sum = 0.0;
    for (int k = 0; k < n; ++k) {
        const double x = (k - n / 2) / halfWidth;
        taps[k] = std::abs(x) < 1.0 ? 0.5 * (1.0 + std::cos(std::numbers::pi * x)) : 0.0;
        sum += taps[k];
    }
    for (int k = 0; k < n; ++k) taps[k] /= sum;
}

struct DecodeRig : FramingRig {
    DecoderDispatch dispatch{state, framing, &testDesign};
    ToneFilterRings rings;
    int d = 0;
    double phase = 0.0;

    explicit DecodeRig(int mode) {
        state.Decodemode = mode;
        state.Contest = 0;
    }
    std::string received() const { return logger.textOf(kTxmChar); }

    // Writes the envelopes into the rings as slowly turning phasors, one decimated
    // sample at a time, calling the dispatch after each as the tone filters do.
    void feed(const KeyedEnvelope& e) {
        for (int t = 0; t < e.size(); ++t) {
            phase += 0.05;
            rings.markI[d] = e.mark[t] * std::cos(phase);
            rings.markQ[d] = e.mark[t] * std::sin(phase);
            rings.spaceI[d] = e.space[t] * std::sin(1.3 * phase);
            rings.spaceQ[d] = e.space[t] * std::cos(1.3 * phase);
            dispatch.decodeDispatch(d, rings);
            d = (d + 1) % kToneRingSize;
        }
    }
};

struct TraceRecorder : FramingTrace {
    void traceSample(const FramingTraceRow& row) override { rows.push_back(row); }
    std::vector<FramingTraceRow> rows;
};

constexpr const char* kText = "RYRY CQ TEST DE K1ABC K1ABC 599 05 NH TU/73 QRZ?";

TEST(DecoderDispatch, EachModeDecodesACleanKeyedSignal) {
    for (int mode = 0; mode <= 2; ++mode) {
        auto rig = std::make_unique<DecodeRig>(mode);
        // The decoders start from empty windows: let them settle on the idle tone first.
        KeyedEnvelope warmUp;
        warmUp.idle(4000);
        rig->feed(warmUp);
        rig->logger.clear();

        KeyedEnvelope e;
        e.ripple = 0.03;
        e.idle(500);
        e.text(kText);
        e.idle(3000);
        rig->feed(e);
        EXPECT_EQ(rig->received(), kText) << "mode " << mode;
    }
}

TEST(DecoderDispatch, ARingHalfIsDecodedOnceTheSampleAfterItIsWritten) {
    auto rig = std::make_unique<DecodeRig>(0);
    auto& f = rig->framing;
    for (int d = 1; d < 512; ++d) rig->dispatch.decodeDispatch(d, rig->rings);
    EXPECT_EQ(f.samplesFramed, 0);
    rig->dispatch.decodeDispatch(512, rig->rings);
    EXPECT_EQ(f.samplesFramed, 512);
    EXPECT_EQ(rig->rings.decodeStart, 0);
    for (int d = 513; d < 1024; ++d) rig->dispatch.decodeDispatch(d, rig->rings);
    EXPECT_EQ(f.samplesFramed, 512);
    rig->dispatch.decodeDispatch(0, rig->rings);
    EXPECT_EQ(f.samplesFramed, 1024);
    EXPECT_EQ(rig->rings.decodeStart, 512);
}

TEST(DecoderDispatch, NothingIsDecodedWhileSendingCharacters) {
    auto rig = std::make_unique<DecodeRig>(0);
    for (int txState : {3, 4, 5}) {
        rig->state.txState = txState;
        rig->dispatch.decodeDispatch(0, rig->rings);
        rig->dispatch.decodeDispatch(512, rig->rings);
    }
    EXPECT_EQ(rig->framing.samplesFramed, 0);
    EXPECT_EQ(rig->dispatch.envelopeThreshold.frame.initialised, 0);
    rig->state.txState = 2;  // the preamble: still receiving
    rig->dispatch.decodeDispatch(0, rig->rings);
    EXPECT_EQ(rig->framing.samplesFramed, 512);
}

TEST(DecoderDispatch, ModeIsReadAtEachBlock) {
    auto rig = std::make_unique<DecodeRig>(1);
    auto& dispatch = rig->dispatch;
    dispatch.decodeDispatch(512, rig->rings);
    EXPECT_EQ(dispatch.localPeak.frame.initialised, 1);
    EXPECT_EQ(dispatch.envelopeThreshold.frame.initialised, 0);
    rig->state.Decodemode = 2;
    for (int d = 513; d < 1024; ++d) dispatch.decodeDispatch(d, rig->rings);
    EXPECT_EQ(dispatch.envelopeThreshold.frame.initialised, 0);
    dispatch.decodeDispatch(0, rig->rings);
    EXPECT_EQ(dispatch.envelopeThreshold.frame.initialised, 1);
}

TEST(DecoderDispatch, SilenceDecidesMarkWithThresholdsNextToZero) {
    for (int mode : {0, 1}) {
        auto rig = std::make_unique<DecodeRig>(mode);
        TraceRecorder trace;
        rig->framing.trace = &trace;
        rig->framing.snrFigure = 9.0;  // Selectiv on its local-peak thresholds
        KeyedEnvelope silence;
        silence.on = silence.off = 0.0;
        silence.idle(3 * kDecodeBlock);
        rig->feed(silence);
        ASSERT_EQ(trace.rows.size(), 3u * kDecodeBlock);
        for (const auto& row : trace.rows) {
            ASSERT_EQ(row.powerDiff, 0.0);
            ASSERT_EQ(row.rawSpace, 0);
            ASSERT_LT(row.tM, 1e-9);
            ASSERT_LT(row.tS, 1e-9);
        }
    }
}

TEST(DecoderDispatch, DecidedSamplesTrailTheInputByTheWindowPosition) {
    // A sample written at ring count t is decided 1044 framed samples later in the
    // envelope decoder (window index 1516) and 1064 later in Selectiv (index 1496).
    const struct { int mode, lag; } cases[] = {{0, 1044}, {1, 1064}};
    for (const auto& c : cases) {
        auto rig = std::make_unique<DecodeRig>(c.mode);
        TraceRecorder trace;
        rig->framing.trace = &trace;
        KeyedEnvelope e;
        e.idle(6000);
        e.mark[4000] = 7.0;
        rig->feed(e);
        int found = -1;
        for (const auto& row : trace.rows) {
            if (row.markEnv > 6.0) found = static_cast<int>(row.n);
        }
        EXPECT_EQ(found, 4000 + c.lag) << "mode " << c.mode;
    }
}

}  // namespace
}  // namespace kestrel
