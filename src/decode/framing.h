#pragma once
// The asynchronous character receiver. Both decoders call frameSample once per decided
// envelope sample. It makes the final mark/space decision, hunts for the start bit,
// samples the five data bits at their middles, checks the stop bit, and measures the
// stop length, the noise floors and the signal-to-noise figure as it goes. It also
// holds text back while the squelch is closed.
#include <array>
#include <cstdint>

#include "decode/baudot_decoder.h"
#include "decode/decoder_frame.h"
#include "decode/framing_trace.h"
#include "decode/received_text.h"
#include "decode/repeat_match_sink.h"
#include "decode/squelch_hold.h"
#include "frontend/receive_measurements.h"
#include "modem_state.h"

namespace kestrel {

constexpr int kStopSlots = 6;
constexpr int kSnrSlots = 7;
constexpr int kLevelListSize = 7;  // start, five data bits and the stop bit

// Up to seven envelope levels collected over one character.
struct LevelList {
    std::array<double, kLevelListSize> values{};
    int count = 0;

    void append(double v) {
        if (count < kLevelListSize) values[count++] = v;
    }
    void clear() { count = 0; }
    bool empty() const { return count == 0; }
    double largest() const;
    double rms() const;
};

// A signal-to-noise history in dB, one entry per character; its figure is the mean of
// the seven entries without the largest and the smallest.
struct SnrRing {
    std::array<double, kSnrSlots> values{};
    int writeIndex = 0;

    void fill(double v) { values.fill(v); }
    void add(double v);
    double trimmedMean() const;
};

class Framing {
  public:
    Framing(const ModemState& state, ReceivedText& text, ReceiveMeasurements& measurements);

    // One decided sample; at the end of a character, the noise it measured on each
    // channel, which the decoder keeps its floors from.
    NoiseMeasurement frameSample(const DecoderFrame& frame);
    // The signal-to-noise figure in dB of the characters framed lately, 0 or more: the
    // decoders weigh their envelopes by it.
    double snrFigure() const { return snrFigure_; }

    // Optional: Repeat Match and a trace observer. Both may stay null.
    void setRepeatMatch(RepeatMatchSink* repeatMatch) { repeatMatch_ = repeatMatch; }
    void setTrace(FramingTrace* trace) { trace_ = trace; }

  private:
    // The stop length the three-character rule assumes for the current estimate.
    int stopLength() const;
    int decide(const DecoderFrame& f, int p) const;
    void watchIdle(const DecoderFrame& f);
    void clockCharacter(const DecoderFrame& f, int p, NoiseMeasurement& noise);
    void hunt();
    void startDetected();
    bool confirmStart(const DecoderFrame& f);
    void sampleDataBit(const DecoderFrame& f, int bitNumber);
    void feedRepeatMatch(const DecoderFrame& f, int bitNumber);
    void recordBit(const DecoderFrame& f, bool space, int weight);
    void finishCharacter();
    void holdOrRelease(char16_t& c);
    void show(char16_t c, int code, bool open);
    void judgeByOwnSnr(double own);
    void checkStop(const DecoderFrame& f, NoiseMeasurement& noise);
    void measureSignal(NoiseMeasurement& noise);
    void addToStopSlot(int limit);
    void newSignal();
    bool isSilent(const DecoderFrame& f);

    RepeatMatchSink* repeatMatch_ = nullptr;
    FramingTrace* trace_ = nullptr;
    BaudotDecoder baudot_;

    std::int32_t decidedSpace_ = 0;    // the final decision on the last sample, 1 = space
    std::int32_t bitClock_ = 0;        // samples since the start edge; 0 while hunting
    std::int32_t framingErrors_ = 10;  // below 8 the three-character rule decides
    std::int32_t markRun_ = 0;
    std::int32_t idleRun_ = 0;
    std::int32_t charBits_ = 0;
    bool charSilent_ = false;  // a bit of the current character was taken from silence
    std::array<std::int32_t, kStopSlots> stopSlots_{};
    std::int32_t stopSlotIndex_ = 0;
    std::int32_t stopEstimate_ = 99;
    std::int32_t stopSlotBad_ = 0;
    LevelList markSignal_, spaceSignal_, markNoiseList_, spaceNoiseList_;
    double markPeak_ = 0.0;
    double spacePeak_ = 0.0;
    double markNoise_ = 0.0;
    double spaceNoise_ = 0.0;
    SnrRing markSnr_, spaceSnr_;
    std::int32_t signalPresent_ = 0;
    bool squelchOpen_ = false;  // a signal by the S/N, framed steadily when it opened
    double snrFigure_ = 0.0;
    std::int64_t samplesFramed_ = 0;

    static constexpr int kTile = 64;
    static constexpr int kTiles = kEnvelopeWindow / kTile;
    std::array<double, kTiles> tileLoudest_{};
    const DecoderFrame* tiledFrame_ = nullptr;
    int tiledIndex_ = 0;
    bool silent_ = false;

    SquelchHold squelch_;
    bool lastHeard_ = false;  // the last character's own S/N was a signal's
    // A character waiting for its own S/N, measured at its stop element, to be shown.
    bool judgeShown_ = false;
    char16_t waiting_ = 0;
    int waitingCode_ = 0;

    const ModemState& state_;
    ReceivedText& text_;
    ReceiveMeasurements& measurements_;
};

}  // namespace kestrel
