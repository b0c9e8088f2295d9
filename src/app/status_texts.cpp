#include "app/status_texts.h"

#include <cstdio>

namespace kestrel {

void StatusTexts::tuningOffset(int hz) {
    char text[32];
    std::snprintf(text, sizeof text, " %3.2dHz", hz);
    ui_.setStatusText(kOffsetStatusPart, text);
}

void StatusTexts::bitLength(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%2.2dmS ", ms);
    ui_.setStatusText(kBitLengthStatusPart, text);
}

void StatusTexts::signalToNoise(std::optional<int> db) {
    if (!db) {
        ui_.setStatusText(kSignalToNoiseStatusPart, "Sig to Noise");
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%2.2d dB S/N", *db);
    ui_.setStatusText(kSignalToNoiseStatusPart, text);
}

}  // namespace kestrel
