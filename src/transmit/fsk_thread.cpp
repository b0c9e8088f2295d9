#include "transmit/fsk_thread.h"

#include "platform/logger_codes.h"
#include "transmit/ptt_port.h"
#include "transmit/tx_buffer.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kEndSettleMs = 53;  // after the last stop element, before PTT off

class FskTransmission {
  public:
    explicit FskTransmission(FskKeyer& keyer) : k_(keyer) {}

    void run() {
        setUp();
        while (!stopped()) {
            port_ = k_.ports.fskPort.load();
            if (!prepareFrame()) return;
            sendFrame();
            ++framesSent_;
            if (stopped()) return;
            if (k_.state.txState.load() != kTxClosing && !lineAction(port_, t_.actions.space))
                report("FSK Start bit 575");
        }
    }

  private:
    bool stopped() const { return k_.stopRequested.load(); }
    void report(const char* text) { showPortMessage(k_.ui, text, kFskCaption, true); }

    void setUp() {
        t_.counterFrequency = k_.clock.counterFrequency();
        if (!k_.priority.lockKeyingCode()) report("Virtual lock error 348");
        int baudIndex = k_.state.baudIndex.load();
        t_.elementTicks = elementTicks(t_.counterFrequency, baudIndex);
        t_.maxSleepMs = maxSleepMs(baudIndex);
        t_.actions = fskLineActions(k_.state.fskLine.load(), k_.state.fskInvert.load());
        if (!k_.priority.setRealtimeClass(true)) report("Unable to change priority class");
        if (!k_.priority.setTimeCriticalThread(true)) report("Unable to change thread priority");
    }

    // Sets up the next frame; false when the transmission is over. The first two frames
    // are the preamble whatever txState says by then: an end request that comes before
    // this thread first looks must not cost the PTT switching and the preamble.
    bool prepareFrame() {
        t_.elementIndex = 0;
        int txState = k_.state.txState.load();
        if (txState == kTxClosing) {
            endAfterText();
            return false;
        }
        if (txState < kTxRequested || txState > kTxClosing) {
            endAborted();
            return false;
        }
        if (framesSent_ == 0)
            startPreamble();
        else if (framesSent_ == 1)
            markPreamble();
        else
            loadCharacter();
        return true;
    }

    void startPreamble() {
        int pttLine = k_.state.pttLine.load();
        if (!switchPttLine(port_, pttLine, true))
            report(pttLine == kPttDtr ? "PTT DTR on 448" : "PTT RTS on 454");
        t_.lastCount = k_.clock.counter();
        t_.elementValue.fill(1);
        t_.elementDeadline = frameDeadlines(t_.lastCount, t_.elementTicks);
        advanceState(kTxRequested, kTxSecondPreamble);
    }

    void markPreamble() {
        t_.elementValue.fill(0);
        t_.elementDeadline = frameDeadlines(t_.elementDeadline[kStopElement], t_.elementTicks);
        advanceState(kTxSecondPreamble, kTxSending);
    }

    // Only from the state just seen: an end request or an abort that arrived since stays.
    void advanceState(int from, int to) { k_.state.txState.compare_exchange_strong(from, to); }

    void loadCharacter() {
        t_.elementValue[0] = 1;
        for (int bit = 0; bit < 5; ++bit) t_.elementValue[bit + 1] = (t_.nextCode >> bit) & 1;
        t_.elementValue[kStopElement] = 0;
        t_.elementDeadline = frameDeadlines(t_.elementDeadline[kStopElement], t_.elementTicks);
    }

    void sendFrame() {
        for (; t_.elementIndex < kFrameElements; ++t_.elementIndex) {
            int i = t_.elementIndex;
            SerialLineAction action = t_.elementValue[i] ? t_.actions.space : t_.actions.mark;
            if (!lineAction(port_, action)) report("FSK out error 545");
            // The next character is taken as its predecessor's stop element starts, the
            // first one during the mark preamble.
            if (i == kStopElement && framesSent_ > 0 && k_.state.txState.load() > kTxSecondPreamble)
                t_.nextCode = k_.txBuffer.txBuffer(0, TXB_NEXT_CODE);
            waitForDeadline(t_.elementDeadline[i]);
            if (stopped()) return;
        }
    }

    // Sleeps while that is safe, then spins on the counter up to the deadline.
    void waitForDeadline(std::int64_t deadline) {
        std::uint32_t ms =
            sleepBeforeDeadline(deadline, t_.lastCount, t_.counterFrequency, t_.maxSleepMs);
        if (ms > 0) k_.clock.sleepMs(ms);
        do {
            t_.lastCount = k_.clock.counter();
        } while (t_.lastCount < deadline && !stopped());
    }

    void endAfterText() {
        k_.clock.sleepMs(kEndSettleMs);
        k_.logger.post(TXM_PTTEVENT, 0);
        int pttLine = k_.state.pttLine.load();
        if (!switchPttLine(port_, pttLine, false))
            report(pttLine == kPttDtr ? "PTT DTR off 500" : "PTT CTS off 501");
        if (!lineAction(port_, t_.actions.mark)) report("FSK out error 504");
        k_.state.txState.store(kTxIdle);
        if (!k_.priority.setTimeCriticalThread(false))
            report("Unable to change to normal thread priority class 508");
        if (!k_.priority.setRealtimeClass(false))
            report("Unable to change normal priority class 510");
        k_.priority.unlockKeyingCode();
    }

    void endAborted() {
        k_.logger.post(TXM_PTTEVENT, 0);
        if (!k_.priority.setRealtimeClass(false))
            report("TX FSK Unable to change to normal priority class");
        int pttLine = k_.state.pttLine.load();
        if (!switchPttLine(port_, pttLine, false))
            report(pttLine == kPttDtr ? "PTT DTR off 428" : "PTT RTS off 429");
        if (!lineAction(port_, t_.actions.mark)) report("FSK out mark error 432");
    }

    FskKeyer& k_;
    FskTiming t_;
    std::shared_ptr<SerialPort> port_;
    int framesSent_ = 0;
};

}  // namespace

void fskThread(FskKeyer& keyer) {
    FskTransmission(keyer).run();
}

std::thread launchFskThread(FskKeyer& keyer) {
    return std::thread([&keyer] { fskThread(keyer); });
}

}  // namespace kestrel
