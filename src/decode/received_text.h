#pragma once
// Where received text leaves the receive chain: to the logger through the emitter and,
// while Save Text is on, to the received-text file. The file keeps every character the
// framing decodes, those the squelch holds back too, and a word Repeat Match mended as
// " {WORD} "; the logger gets what is shown.
#include <string_view>

#include "decode/received_char_emitter.h"
#include "modem_state.h"
#include "platform/save_text_file_port.h"

namespace kestrel {

class ReceivedText {
  public:
    ReceivedText(const ModemState& state, ReceivedCharEmitter& emitter, SaveTextFilePort& file)
        : state_(state), emitter_(emitter), file_(file) {}

    // A character the framing decoded, before the squelch has its say: saved.
    void decoded(char16_t c);
    // A character shown to the operator.
    void show(char16_t c) { emitter_.emitReceivedChar(c); }
    // A word Repeat Match mended: shown as " { WORD } ", saved as " {WORD} ".
    void mended(std::u16string_view word);
    // Where shown characters go: the squelch's hold shows what it held there.
    ReceivedCharEmitter& emitter() { return emitter_; }

  private:
    bool saving() const;
    void save(char16_t c);

    const ModemState& state_;
    ReceivedCharEmitter& emitter_;
    SaveTextFilePort& file_;
};

}  // namespace kestrel
