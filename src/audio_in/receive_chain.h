#pragma once
// The receive chain as one piece: the tone front end with its AFC and spectrum step, the
// decoders, the character framing and the text output, wired for one ModemState and the
// ports. The receive thread (through the capture reduction), the WAV player and
// kestrel-cli feed it sample by sample; it runs on the one thread that feeds it.
#include <memory>

#include "decode/framing_trace.h"
#include "frontend/receive_measurements.h"
#include "modem_state.h"
#include "platform/logger_port.h"
#include "platform/save_text_file_port.h"

namespace kestrel {

class FrontEnd;

class ReceiveChain {
  public:
    // measurements receives what the chain measures as it goes (the status bar, the
    // spectrum and the logger's tones in the program).
    ReceiveChain(ModemState& state, LoggerPort& logger, ReceiveMeasurements& measurements,
                 SaveTextFilePort& textFile);
    ~ReceiveChain();
    ReceiveChain(const ReceiveChain&) = delete;
    ReceiveChain& operator=(const ReceiveChain&) = delete;

    // One sample at sampleRate into the front end.
    void processSample(double x);
    // The low-pass live audio passes before processSample.
    double inputLowPass(double x);
    // The one way text reaches the logger (also used for the WAV player's line feeds).
    void emitReceivedChar(char16_t ch);
    // An observer of every decided envelope sample, or nullptr.
    void setTrace(FramingTrace* trace);
    // The front end itself: the spectrum window paints its trace, the pause replays its
    // history.
    FrontEnd& frontEnd();

  private:
    struct Stages;
    std::unique_ptr<Stages> stages_;  // the rings and windows are large: allocated once
};

}  // namespace kestrel
