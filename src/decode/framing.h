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
    double newest() const;
};

struct Framing {
    Framing(const ModemState& state, ReceivedText& text, ReceiveMeasurements& measurements);

    // One decided sample; at the end of a character, the noise it measured on each
    // channel, which the decoder keeps its floors from.
    NoiseMeasurement frameSample(const DecoderFrame& frame);

    // Optional: Repeat Match and a trace observer. Both may stay null.
    RepeatMatchSink* repeatMatch = nullptr;
    FramingTrace* trace = nullptr;

    BaudotDecoder baudot;

    std::int32_t decidedSpace = 0;    // the final decision on the last sample, 1 = space
    std::int32_t bitClock = 0;        // samples since the start edge; 0 while hunting
    std::int32_t framingErrors = 10;  // below 8 the three-character rule decides
    std::int32_t markRun = 0;
    std::int32_t idleRun = 0;
    std::int32_t charBits = 0;
    bool charSilent = false;  // a bit of the current character was taken from silence
    std::array<std::int32_t, kStopSlots> stopSlots{};
    std::int32_t stopSlotIndex = 0;
    std::int32_t stopEstimate = 99;
    std::int32_t stopSlotBad = 0;
    LevelList markSignal, spaceSignal, markNoiseList, spaceNoiseList;
    double markPeak = 0.0;
    double spacePeak = 0.0;
    double markNoise = 0.0;
    double spaceNoise = 0.0;
    SnrRing markSnr, spaceSnr;
    std::int32_t signalPresent = 0;
    bool squelchOpen = false;  // a signal by the S/N, framed steadily when it opened
    double snrFigure = 0.0;
    std::int64_t samplesFramed = 0;

    // The stop length the three-character rule assumes for the current estimate.
    int stopLength() const;

  private:
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

    static constexpr int kTile = 64;
    static constexpr int kTiles = kEnvelopeWindow / kTile;
    std::array<double, kTiles> tileLoudest_{};
    const DecoderFrame* tiledFrame_ = nullptr;
    int tiledIndex_ = 0;
    bool silent_ = false;

    // A character waiting for its own S/N, measured at its stop element, to be shown.
    SquelchHold squelch_;
    bool lastHeard_ = false;  // the last character's own S/N was a signal's
    bool judgeShown_ = false;
    char16_t waiting_ = 0;
    int waitingCode_ = 0;
    bool waitingOpen_ = false;
    double waitingFigure_ = 0.0;  // the S/N figure before the character

    const ModemState& state_;
    ReceivedText& text_;
    ReceiveMeasurements& measurements_;
};

}  // namespace kestrel
