#pragma once
// The one transmit-buffer operation the logger may ask for: discard every unsent
// character (the buffer's clear command). The transmit code implements it.

namespace kestrel {

class TxBufferControl {
  public:
    virtual ~TxBufferControl() = default;
    virtual void clearTxBuffer() = 0;
};

}  // namespace kestrel
