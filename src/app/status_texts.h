#pragma once
// The receive chain's measurements as the status bar shows them, and the AFC's tones as
// the logger is told them.
#include <string>

#include "frontend/receive_measurements.h"
#include "platform/logger_port.h"
#include "platform/ui_port.h"

namespace kestrel {

// The texts of the status bar's measurement parts.
std::string tuningOffsetText(int hz);
std::string signalToNoiseText(std::optional<int> db);  // none: the signal is lost
std::string bitLengthText(int ms);

class StatusTexts final : public ReceiveMeasurements {
  public:
    StatusTexts(UiPort& ui, LoggerPort& logger) : ui_(ui), logger_(logger) {}

    void tuningOffset(int hz) override;
    void afcTones(double markHz, double spaceHz) override;
    void bitLength(int ms) override;
    void signalToNoise(std::optional<int> db) override;
    void spectrumReady() override;
    void spectrumFailed() override;

  private:
    UiPort& ui_;
    LoggerPort& logger_;
};

}  // namespace kestrel
