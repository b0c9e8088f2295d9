#include "transmit/fsk_thread.h"

#include "platform/logger_codes.h"
#include "transmit/ptt_port.h"
#include "transmit/tx_buffer.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kEndSettleMs = 53;  // after the last stop element, before PTT off

class FskTransmission {
  public:
    explicit FskTransmission(FskKeyer& keyer) : keyer_(keyer) {}

    void run() {
        setUp();
        while (!stopped()) {
            port_ = keyer_.ports.fskPort.load();
            if (!prepareFrame()) return;
            sendFrame();
            ++framesSent_;
            if (stopped()) return;
            if (keyer_.state.txState.load() != kTxClosing &&
                !lineAction(port_, timing_.actions.space))
                report("FSK Start bit 575");
        }
    }

  private:
    bool stopped() const { return keyer_.stopRequested.load(); }
    void report(const char* text) { showPortMessage(keyer_.ui, text, kFskCaption, true); }

    void setUp() {
        timing_.counterFrequency = keyer_.clock.counterFrequency();
        if (!keyer_.priority.lockKeyingCode()) report("Virtual lock error 348");
        int baudIndex = keyer_.state.baudIndex.load();
        timing_.elementTicks = elementTicks(timing_.counterFrequency, baudIndex);
        timing_.maxSleepMs = maxSleepMs(baudIndex);
        timing_.actions =
            fskLineActions(keyer_.state.fskLine.load(), keyer_.state.fskInvert.load());
        if (!keyer_.priority.setRealtimeClass(true)) report("Unable to change priority class");
        if (!keyer_.priority.setTimeCriticalThread(true))
            report("Unable to change thread priority");
    }

    // Sets up the next frame; false when the transmission is over. The first two frames
    // are the preamble whatever txState says by then: an end request that comes before
    // this thread first looks must not cost the PTT switching and the preamble.
    bool prepareFrame() {
        timing_.elementIndex = 0;
        int txState = keyer_.state.txState.load();
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
        int pttLine = keyer_.state.pttLine.load();
        if (!switchPttLine(port_, pttLine, true))
            report(pttLine == kPttDtr ? "PTT DTR on 448" : "PTT RTS on 454");
        timing_.lastCount = keyer_.clock.counter();
        timing_.elementValue.fill(1);
        timing_.elementDeadline = frameDeadlines(timing_.lastCount, timing_.elementTicks);
        advanceState(kTxRequested, kTxSecondPreamble);
    }

    void markPreamble() {
        timing_.elementValue.fill(0);
        timing_.elementDeadline =
            frameDeadlines(timing_.elementDeadline[kStopElement], timing_.elementTicks);
        advanceState(kTxSecondPreamble, kTxSending);
    }

    // Only from the state just seen: an end request or an abort that arrived since stays.
    void advanceState(int from, int to) { keyer_.state.txState.compare_exchange_strong(from, to); }

    void loadCharacter() {
        timing_.elementValue[0] = 1;
        for (int bit = 0; bit < 5; ++bit)
            timing_.elementValue[bit + 1] = (timing_.nextCode >> bit) & 1;
        timing_.elementValue[kStopElement] = 0;
        timing_.elementDeadline =
            frameDeadlines(timing_.elementDeadline[kStopElement], timing_.elementTicks);
    }

    void sendFrame() {
        for (; timing_.elementIndex < kFrameElements; ++timing_.elementIndex) {
            int i = timing_.elementIndex;
            SerialLineAction action =
                timing_.elementValue[i] ? timing_.actions.space : timing_.actions.mark;
            if (!lineAction(port_, action)) report("FSK out error 545");
            // The next character is taken as its predecessor's stop element starts, the
            // first one during the mark preamble.
            if (i == kStopElement && framesSent_ > 0 &&
                keyer_.state.txState.load() > kTxSecondPreamble)
                timing_.nextCode = keyer_.txBuffer.nextCode();
            waitForDeadline(timing_.elementDeadline[i]);
            if (stopped()) return;
        }
    }

    // Sleeps while that is safe, then spins on the counter up to the deadline.
    void waitForDeadline(std::int64_t deadline) {
        std::uint32_t ms = sleepBeforeDeadline(deadline, timing_.lastCount,
                                               timing_.counterFrequency, timing_.maxSleepMs);
        if (ms > 0) keyer_.clock.sleepMs(ms);
        do {
            timing_.lastCount = keyer_.clock.counter();
        } while (timing_.lastCount < deadline && !stopped());
    }

    void endAfterText() {
        keyer_.clock.sleepMs(kEndSettleMs);
        keyer_.logger.post(TXM_PTTEVENT, 0);
        int pttLine = keyer_.state.pttLine.load();
        if (!switchPttLine(port_, pttLine, false))
            report(pttLine == kPttDtr ? "PTT DTR off 500" : "PTT CTS off 501");
        if (!lineAction(port_, timing_.actions.mark)) report("FSK out error 504");
        keyer_.state.txState.store(kTxIdle);
        if (!keyer_.priority.setTimeCriticalThread(false))
            report("Unable to change to normal thread priority class 508");
        if (!keyer_.priority.setRealtimeClass(false))
            report("Unable to change normal priority class 510");
        keyer_.priority.unlockKeyingCode();
    }

    void endAborted() {
        keyer_.logger.post(TXM_PTTEVENT, 0);
        if (!keyer_.priority.setRealtimeClass(false))
            report("TX FSK Unable to change to normal priority class");
        int pttLine = keyer_.state.pttLine.load();
        if (!switchPttLine(port_, pttLine, false))
            report(pttLine == kPttDtr ? "PTT DTR off 428" : "PTT RTS off 429");
        if (!lineAction(port_, timing_.actions.mark)) report("FSK out mark error 432");
    }

    FskKeyer& keyer_;
    FskTiming timing_;
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
