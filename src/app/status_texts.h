#pragma once
// The receive chain's measurements as the status bar shows them, and the AFC's tones as
// the logger is told them.
#include "frontend/receive_measurements.h"
#include "platform/logger_port.h"
#include "platform/ui_port.h"

namespace kestrel {

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
