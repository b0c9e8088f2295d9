#include "decode/decoder_frame.h"

#include <algorithm>

namespace kestrel {

bool DecoderFrame::startPass() {
    const bool firstPass = initialised == 0;
    if (firstPass) {
        markEnv.fill(0.0);
        spaceEnv.fill(0.0);
        markThreshold.fill(0.0);
        spaceThreshold.fill(0.0);
        initialised = 1;
    }
    slideWindows();
    return firstPass;
}

void DecoderFrame::updateFloors(const NoiseMeasurement& noise) {
    if (noise.mark) markFloor = 0.5 * (0.6 * markFloor + 1.4 * *noise.mark);
    if (noise.space) spaceFloor = 0.5 * (0.6 * spaceFloor + 1.4 * *noise.space);
}

void DecoderFrame::slideWindows() {
    std::copy(markEnv.begin() + kDecodeBlock, markEnv.end(), markEnv.begin());
    std::copy(spaceEnv.begin() + kDecodeBlock, spaceEnv.end(), spaceEnv.begin());
}

}  // namespace kestrel
