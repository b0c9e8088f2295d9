#pragma once
// A transmitter on the bench: state, buffer and recording fakes wired as the program wires
// them, with the end-of-transmission reporter counted instead of started.
#include <cmath>
#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "transmit/tx_frame.h"

namespace kestrel {

struct TxRig {
    TxRig() { state.txState = 0; }

    void type(const std::string& text) {
        for (char c : text) buffer.txBuffer(static_cast<std::uint8_t>(c), TXB_ADD);
    }

    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    FakePttSwitch ptt;
    TxBuffer buffer{state, logger, ui};
    int releaseStarts = 0;
    TxLinks links{state, buffer, ptt, logger, ui, [this] { ++releaseStarts; }};
};

// The tone of a steady stretch of samples: a sinusoid obeys x[n+1] + x[n-1] = 2 cos(w) x[n],
// so cos(w) is the least-squares ratio over the stretch.
inline double toneFrequency(const std::vector<std::int16_t>& x, int begin, int end,
                            double sampleRate) {
    double num = 0.0, den = 0.0;
    for (int n = begin + 1; n + 1 < end; ++n) {
        num += (double(x[n + 1]) + x[n - 1]) * x[n];
        den += 2.0 * double(x[n]) * x[n];
    }
    return std::acos(num / den) * sampleRate / (2.0 * 3.14159265358979323846);
}

// How far three consecutive samples stray from one sinusoid of increment w: near 0 for a
// continuous tone, about the amplitude times the sine of the jump after a phase step.
inline double continuityResidual(double before, double at, double after, double w) {
    return std::abs(after + before - 2.0 * std::cos(w) * at);
}

}  // namespace kestrel
