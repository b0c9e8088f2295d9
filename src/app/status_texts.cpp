#include "app/status_texts.h"

#include <cstdint>
#include <cstdio>

#include "platform/logger_codes.h"
#include "text/captions.h"

namespace kestrel {

std::string tuningOffsetText(int hz) {
    char text[32];
    std::snprintf(text, sizeof text, " %3.2dHz", hz);
    return text;
}

std::string signalToNoiseText(std::optional<int> db) {
    if (!db) return "Sig to Noise";
    char text[32];
    std::snprintf(text, sizeof text, "%2.2d dB S/N", *db);
    return text;
}

std::string bitLengthText(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%2.2dmS ", ms);
    return text;
}

void StatusTexts::tuningOffset(int hz) {
    ui_.setStatusText(kOffsetStatusPart, tuningOffsetText(hz));
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
    ui_.setStatusText(kBitLengthStatusPart, bitLengthText(ms));
}

void StatusTexts::signalToNoise(std::optional<int> db) {
    ui_.setStatusText(kSignalToNoiseStatusPart, signalToNoiseText(db));
}

}  // namespace kestrel
