#pragma once
// Records every push-to-talk change.
#include <mutex>
#include <vector>

#include "transmit/ptt_switch.h"

namespace kestrel {

class FakePttSwitch : public PttSwitch {
  public:
    void setPtt(bool on) override {
        std::lock_guard lock(mutex_);
        calls_.push_back(on);
    }
    std::vector<bool> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<bool> calls_;
};

}  // namespace kestrel
