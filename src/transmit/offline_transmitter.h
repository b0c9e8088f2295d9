#pragma once
// A whole sound-card transmission made at once and played into memory: the text is typed
// into the transmit window (braces and control characters act as they do there), the
// transmission is started if the text did not start it, asked to end after the text, and
// played out. What kestrel-cli encode writes and what the signal tests send.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "modem_state.h"
#include "platform/clock_port.h"
#include "platform/logger_port.h"
#include "platform/ui_port.h"
#include "transmit/offline_playback.h"
#include "transmit/tx_window.h"

namespace kestrel {

class OfflineTransmitter {
  public:
    OfflineTransmitter(ModemState& state, UiPort& ui);

    // Returns the audio the sound card would play, in left/right pairs, from the first
    // preamble frame to the closing frame. The whole text is typed before anything plays,
    // so it must fit the transmit buffer: at the first character the buffer loses,
    // typing stops, nothing plays and the result is empty (overflowed() tells).
    std::vector<std::int16_t> transmit(std::string_view text);
    bool overflowed() const { return ui_.bufferFull; }

    // The characters echoed to the logger as they went on air.
    const std::string& echoed() const { return logger_.echoed; }

  private:
    struct EchoLogger : LoggerPort {
        bool post(std::uint32_t code, std::int64_t value) override;
        std::string echoed;
    };
    // The caller's user interface, noting the transmit buffer's "full" message.
    struct WatchedUi : WindowlessUi {
        explicit WatchedUi(UiPort& ui) : ui(ui) {}
        int messageBox(std::string_view text, std::string_view caption, unsigned flags) override;
        UiPort& ui;
        bool bufferFull = false;
    };
    struct NoPtt : PttSwitch {
        void setPtt(bool) override {}
    };
    struct NoClock : ClockPort {
        std::int64_t counter() override { return 0; }
        std::int64_t counterFrequency() override { return 1; }
        void sleepMs(std::uint32_t) override {}
    };

    void type(std::uint8_t character);

    ModemState& state_;
    WatchedUi ui_;
    EchoLogger logger_;
    NoPtt ptt_;
    NoClock clock_;
    std::unique_ptr<TxBuffer> buffer_;
    TxLinks links_;
    SoundGenerators generators_;
    OfflinePlayback device_;
    SoundOutput output_;
    std::deque<std::uint8_t> posted_;
    TxWindow window_;
};

}  // namespace kestrel
