#include "app/status_texts.h"

#include <cstdint>
#include <cstdio>

#include "platform/logger_codes.h"
#include "text/captions.h"

namespace kestrel {

void StatusTexts::tuningOffset(int hz) {
    char text[32];
    std::snprintf(text, sizeof text, " %3.2dHz", hz);
    ui_.setStatusText(kOffsetStatusPart, text);
}

// The logger shows the tones in whole hertz, cut toward zero.
void StatusTexts::afcTones(double markHz, double spaceHz) {
    logger_.post(TXM_MARK, static_cast<std::int64_t>(markHz));
    logger_.post(TXM_SPACE, static_cast<std::int64_t>(spaceHz));
}

void StatusTexts::spectrumReady() {
    ui_.requestSpectrumRepaint();
}

void StatusTexts::spectrumFailed() {
    ui_.messageBox("RX_FFTcalculate 84, malloc failed", kErrorCaption, kMbOk | kMbTopMost);
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
