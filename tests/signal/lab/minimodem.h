#pragma once
// minimodem, an independent soft modem, as the lab's RTTY transmitter and as the receiver
// Kestrel is compared with. Baudot, 1.5 stop bits, the given tones. minimodem's figures
// case is the US one, so texts for it avoid ' + = and the bell.
#include <filesystem>
#include <string>
#include <string_view>

#include "lab/audio.h"

namespace kestrel::lab {

struct Tones {
    double mark = 2125.0;
    double space = 2295.0;
};

// The audio minimodem sends for text at baud, written at rate samples/s.
Audio minimodemTransmit(std::string_view text, double baud, int rate, Tones tones = {});

// What minimodem decodes from a file (its text output only).
std::string minimodemReceive(const std::filesystem::path& wav, double baud, Tones tones = {});

}  // namespace kestrel::lab
