#include "audio_in/capture_reduction.h"

namespace kestrel {

int captureChannels(int rxChannel) {
    return rxChannel == 0 ? 1 : 2;
}

std::size_t captureFirstSample(int rxChannel) {
    return rxChannel == 2 ? 1 : 0;
}

void reduceCapture(CaptureReduction& reduction, std::span<const std::int16_t> buffer, int rxChannel,
                   int sampleRate, FunctionRef<double(double)> inputLowPass,
                   FunctionRef<void(double)> processSample) {
    const std::size_t channels = static_cast<std::size_t>(captureChannels(rxChannel));
    const std::size_t first = captureFirstSample(rxChannel);
    const std::size_t frames = buffer.size() / channels;
    const double step = sampleRate / kCaptureRate;
    for (std::size_t f = 0; f < frames; ++f) {
        reduction.decimationPhase += step;
        if (reduction.decimationPhase < 1.0) continue;
        reduction.decimationPhase -= 1.0;
        processSample(inputLowPass(buffer[f * channels + first] / kCaptureSampleScale));
    }
}

}  // namespace kestrel
