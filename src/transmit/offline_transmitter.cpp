#include "transmit/offline_transmitter.h"

#include "platform/logger_codes.h"

namespace kestrel {

bool OfflineTransmitter::EchoLogger::post(std::uint32_t code, std::int64_t value) {
    if (code == TXM_CHAR) echoed += static_cast<char>(value);
    return true;
}

int OfflineTransmitter::WatchedUi::messageBox(std::string_view text, std::string_view caption,
                                              unsigned flags) {
    if (text == kTxBufferFullMessage) bufferFull = true;
    return ui.messageBox(text, caption, flags);
}

OfflineTransmitter::OfflineTransmitter(ModemState& state, UiPort& ui)
    : state_(state),
      ui_(ui),
      buffer_(std::make_unique<TxBuffer>(state, logger_, ui_)),
      links_{state, *buffer_, ptt_, logger_, ui_, [] {}},
      generators_(links_),
      output_(state, generators_, device_, clock_),
      window_(state, *buffer_, output_, ptt_, logger_,
              {[] {}, [] {}, [] {}, [this](std::uint8_t c) { posted_.push_back(c); }}) {}

void OfflineTransmitter::type(std::uint8_t character) {
    posted_.push_back(character);
    while (!posted_.empty()) {
        const std::uint8_t next = posted_.front();
        posted_.pop_front();
        window_.handleCharacter(next);
    }
}

std::vector<std::int16_t> OfflineTransmitter::transmit(std::string_view text) {
    for (char c : text) {
        type(static_cast<std::uint8_t>(c));
        if (ui_.bufferFull) return {};
    }
    if (state_.txState.load() == kTxIdle && device_.writes == 0) type(kCtrlT);
    const int txState = state_.txState.load();
    if (txState >= kTxRequested && txState <= kTxSending) type(kCtrlT);
    device_.playAll(output_);
    return device_.played;
}

}  // namespace kestrel
