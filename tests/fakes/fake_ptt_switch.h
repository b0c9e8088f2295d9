#pragma once
// Records every push-to-talk change.
#include <vector>

#include "transmit/ptt_switch.h"

namespace kestrel {

class RecordingPtt : public PttSwitch {
  public:
    std::vector<bool> changes;
    void setPtt(bool on) override { changes.push_back(on); }
};

}  // namespace kestrel
