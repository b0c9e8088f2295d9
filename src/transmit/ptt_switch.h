#pragma once
// Push-to-talk as the transmit code sees it. The COM-port implementation switches the
// configured DTR or RTS line; with no PTT port configured it does nothing.

namespace kestrel {

class PttSwitch {
  public:
    virtual ~PttSwitch() = default;
    virtual void setPtt(bool on) = 0;
};

}  // namespace kestrel
