#pragma once
// The record through which a decoder hands every decided envelope sample to the
// character framing. Each decoder owns one; the framing reads the windows around
// sampleIndex and the floors, and reports the noise it measured at each character's end.
#include <array>
#include <cstdint>
#include <optional>

namespace kestrel {

constexpr int kSamplesPerBit = 66;       // envelope samples per bit at every baud rate
constexpr int kDecodeBlock = 512;        // envelope samples per decoder pass
constexpr int kEnvelopeWindow = 2560;    // five blocks of envelope history
constexpr double kInitialFloor = 1e-10;  // noise floor before the first character

using EnvelopeWindow = std::array<double, kEnvelopeWindow>;

// The noise the framing measured under each channel at the end of a character, where
// it had samples to measure.
struct NoiseMeasurement {
    std::optional<double> mark;
    std::optional<double> space;
};

struct DecoderFrame {
    EnvelopeWindow markEnv{};        // index 0 oldest, 2559 newest
    EnvelopeWindow spaceEnv{};       // same indexing
    std::int32_t sampleIndex = 0;    // window index of the sample being decided
    std::array<double, 12> peaks{};  // decoder-private window statistics
    std::array<double, 2> markThreshold{};
    std::array<double, 2> spaceThreshold{};
    std::int32_t thresholdSlot = 0;  // which threshold of each pair is current
    double markFloor = kInitialFloor;
    double spaceFloor = kInitialFloor;
    double markExcess = 0.0;  // markEnv[i] - current mark threshold
    double spaceExcess = 0.0;
    double powerDiff = 0.0;     // the decoder's own soft decision: below 0 means space
    std::int32_t rawSpace = 0;  // 1 when powerDiff < 0
    std::int32_t initialised = 0;

    double tM() const { return markThreshold[thresholdSlot]; }
    double tS() const { return spaceThreshold[thresholdSlot]; }

    // Moves the newest 2048 entries of both windows down by one block, making room
    // for a new block at 2048..2559.
    void slideWindows();
    // Moves each floor toward the noise measured under its channel.
    void updateFloors(const NoiseMeasurement& noise);
    // The start of every decoder pass: on the first one, clears the windows and
    // thresholds; then slides the windows. True on the first pass.
    bool startPass();
};

}  // namespace kestrel
