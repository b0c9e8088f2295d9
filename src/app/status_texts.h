#pragma once
// The receive chain's measurements as the status bar shows them.
#include "frontend/receive_measurements.h"
#include "platform/ui_port.h"

namespace kestrel {

class StatusTexts final : public ReceiveMeasurements {
  public:
    explicit StatusTexts(UiPort& ui) : ui_(ui) {}

    void tuningOffset(int hz) override;
    void bitLength(int ms) override;
    void signalToNoise(std::optional<int> db) override;

  private:
    UiPort& ui_;
};

}  // namespace kestrel
