#pragma once
// A transmitter on the bench: state, buffer and recording fakes wired as the program wires
// them, with the end-of-transmission reporter counted instead of started.
#include <string>

#include "fakes/fakes.h"
#include "transmit/tx_frame.h"

namespace kestrel {

struct TxRig {
    TxRig() { state.txState = 0; }

    void type(const std::string& text) {
        for (char c : text) buffer.add(static_cast<std::uint8_t>(c));
    }

    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    FakePttSwitch ptt;
    TxBuffer buffer{state, logger, ui};
    int releaseStarts = 0;
    TxLinks links{state, buffer, ptt, logger, ui, [this] { ++releaseStarts; }};
};

}  // namespace kestrel
