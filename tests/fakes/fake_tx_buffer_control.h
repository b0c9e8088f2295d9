#pragma once
// Counts the transmit buffer's clear commands.
#include "link/tx_buffer_control.h"

namespace kestrel {

class RecordingTxBuffer : public TxBufferControl {
  public:
    int clears = 0;
    void clearTxBuffer() override { ++clears; }
};

}  // namespace kestrel
