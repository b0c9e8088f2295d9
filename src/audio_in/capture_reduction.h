#pragma once
// The step from a captured sound-card buffer (48000 samples/s, 16-bit, mono or two
// interleaved channels) to samples at sampleRate for the receive chain: pick the channel,
// keep sampleRate of every 48000 frames, scale by 1/750, low-pass.
#include <cstddef>
#include <cstdint>
#include <span>

#include "function_ref.h"

namespace kestrel {

constexpr double kCaptureRate = 48000.0;
constexpr double kCaptureSampleScale = 750.0;  // captured samples are divided by this

struct CaptureReduction {
    double decimationPhase = 0.0;  // in [0, 1); carries across buffers, never reset
};

// The number of interleaved channels captured for an RXChannel value: mono for 0, else two.
int captureChannels(int rxChannel);

// Where the wanted channel's first sample lies in a captured buffer: with two channels the
// left sample of each frame comes first, and the right one is used only when rxChannel is
// exactly 2.
std::size_t captureFirstSample(int rxChannel);

// Runs one captured buffer (its 16-bit samples as recorded) through the reduction. With
// two channels the left sample of each frame comes first; the right one is used only when
// rxChannel is exactly 2. Each kept sample is divided by 750, passed through inputLowPass
// and handed to processSample. Frames that do not carry the phase over 1.0 are dropped.
void reduceCapture(CaptureReduction& reduction, std::span<const std::int16_t> buffer, int rxChannel,
                   int sampleRate, FunctionRef<double(double)> inputLowPass,
                   FunctionRef<void(double)> processSample);

}  // namespace kestrel
