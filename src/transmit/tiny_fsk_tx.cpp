// One TinyFSK transmission: "[", the characters one per pass, "]" once the end is asked
// for; the keyer's three status bytes or an abort end it with "\".
#include <array>
#include <cstdint>
#include <cstdio>
#include <span>

#include "platform/logger_codes.h"
#include "transmit/tiny_fsk.h"
#include "transmit/tx_buffer.h"

namespace kestrel {
namespace {

constexpr int kConfigLooks = 20;
constexpr std::uint32_t kConfigLookMs = 10;
constexpr std::uint32_t kPassMs = 33;
constexpr std::size_t kReadBytes = 490;
constexpr int kStatusBytesToEnd = 3;

class TinyTransmission {
  public:
    explicit TinyTransmission(TinyFsk& tiny) : tiny_(tiny) {}

    void run() {
        if (!waitForConfiguration()) return;
        port_ = tiny_.ports.fskPort.load();
        std::size_t got = 0;
        if (port_) port_->read(std::span(buffer_), got);  // stale bytes from before
        if (!writeAll(port_.get(), "[")) message("Tiny TX WriteFile [ error");
        // No preamble in this mode. An end request or abort that came before this thread
        // got here stays, so the first pass acts on it.
        int started = kTxRequested;
        tiny_.state.txState.compare_exchange_strong(started, kTxSending);
        int previous = kTxSending;
        while (!tiny_.stopRequested.load()) {
            tiny_.clock.sleepMs(kPassMs);
            port_ = tiny_.ports.fskPort.load();
            if (tiny_.state.txState.load() == kTxIdle) {
                abortKeyer();
                return;
            }
            previous = endIfAsked(previous, "Tiny TX WriteFile ] error");
            previous = sendNextCharacter(previous);
            passOnReceived();
            if (previous == kTxIdle) {
                // An abort that came after this pass looked: the keyer must still stop.
                abortKeyer();
                tiny_.state.txState.store(kTxIdle);
                return;
            }
        }
    }

  private:
    void message(const char* text) { showPortMessage(tiny_.ui, text, kDefaultCaption, true); }

    bool waitForConfiguration() {
        for (int look = 1; look <= kConfigLooks; ++look) {
            if (tiny_.state.tinyConfigured.load() != 0) return true;
            if (look < kConfigLooks) tiny_.clock.sleepMs(kConfigLookMs);
        }
        message("Kestrel TinyFSK config taking too long\nTinyFSK connected?");
        tiny_.state.txState.store(kTxIdle);
        tiny_.logger.post(TXM_PTTEVENT, 0);
        return false;
    }

    // Sends "]" when the end was asked for since the last look; returns the state seen.
    int endIfAsked(int previous, const char* failureText) {
        int now = tiny_.state.txState.load();
        if (previous == kTxSending && now == kTxEndRequested && !writeAll(port_.get(), "]"))
            message(failureText);
        return now;
    }

    int sendNextCharacter(int previous) {
        std::uint8_t c = tiny_.txBuffer.takeRaw();
        if (c >= 'a' && c <= 'z') c = static_cast<std::uint8_t>(c - 'a' + 'A');
        if (c == 0) return endIfAsked(previous, "Tiny TX WriteFile ] error 97");
        if (!writeAll(port_.get(), std::string_view(reinterpret_cast<const char*>(&c), 1)))
            message("Tiny TX WriteFile character send error");
        return previous;
    }

    std::span<const std::uint8_t> readReceived() {
        std::size_t got = 0;
        if (port_ && port_->read(std::span(buffer_), got)) return std::span(buffer_).first(got);
        char text[48];
        int error = port_ ? static_cast<int>(port_->lastError()) : kInvalidHandleError;
        std::snprintf(text, sizeof text, "TinyFSK TX, GetLastError=%5.5d", error);
        message(text);
        return {};
    }

    // The keyer's echo goes to the logger; lower-case a to m are its status bytes, and
    // three of them, not separated by printable text, end the transmission.
    void passOnReceived() {
        for (std::uint8_t byte : readReceived()) {
            if (byte >= 'a' && byte <= 'm') {
                if (++statusBytes == kStatusBytesToEnd) {
                    tiny_.state.txState.store(kTxIdle);
                    return;
                }
                continue;
            }
            if (byte != 0) tiny_.logger.post(TXM_CHAR, byte);
            if (byte >= 0x21 && byte <= 0x60) statusBytes = 0;
        }
    }

    void abortKeyer() {
        if (port_) port_->cancelPending();
        if (!writeAll(port_.get(), "\\")) message("Tiny TX WriteFile \\ error 67");
        tiny_.logger.post(TXM_PTTEVENT, 0);
    }

    static constexpr int kInvalidHandleError = 6;

    TinyFsk& tiny_;
    std::shared_ptr<SerialPort> port_;
    std::array<std::uint8_t, kReadBytes> buffer_{};
    int statusBytes = 0;
};

}  // namespace

void tinyTxThread(TinyFsk& tiny) {
    TinyTransmission(tiny).run();
}

std::thread launchTinyTxThread(TinyFsk& tiny) {
    return std::thread([&tiny] { tinyTxThread(tiny); });
}

}  // namespace kestrel
