#pragma once
// Kestrel's receive chain in the lab: audio played through it as the "Play WAV file"
// command plays a file (the same reader and player), with the settings of a test.
#include <cstdint>
#include <string>
#include <vector>

#include "lab/audio.h"

namespace kestrel::lab {

enum class DecodeMode { flutter = 0, selectiv = 1, spread = 2 };

const char* modeName(DecodeMode mode);

struct KestrelSettings {
    double baud = 45.45;
    double mark = 2125.0;
    double space = 2295.0;
    DecodeMode mode = DecodeMode::selectiv;
    bool afc = true;
    bool reverse = false;
    bool squelch = false;
    bool contest = true;
    bool newline = false;
    // Off by default here: the lab measures the plain text; Repeat Match is measured on
    // its own.
    bool repeatMatch = false;
    bool sameReject = true;  // two identical copies print nothing
};

struct KestrelPost {
    std::uint64_t sample;  // samples processed when it was posted
    std::uint32_t code;
    std::int64_t value;
};

struct KestrelResult {
    std::string text;                // what the logger received as characters, UTF-8
    std::vector<KestrelPost> posts;  // every notification, in order
    std::uint64_t samples = 0;       // samples processed
    int sampleRate = 0;

    // The mark tones reported to the logger, in order.
    std::vector<std::int64_t> reportedMarks() const;
};

// Plays audio (written as a 16-bit mono file at its rate) through a fresh receive chain.
KestrelResult kestrelDecode(const Audio& audio, const KestrelSettings& settings);

// Feeds 16-bit sound-card audio at 48000 samples/s (interleaved stereo unless rxChannel is
// 0) through live capture, in 128-byte buffers as a sound card delivers them: the queue to
// the receive thread, channel pick, rate reduction, 1/750, input low-pass, then the chain.
KestrelResult kestrelCapture(const std::vector<std::int16_t>& captured, int rxChannel,
                             const KestrelSettings& settings);

// The processing rate of a baud rate: 264 samples per bit.
int sampleRateFor(double baud);

}  // namespace kestrel::lab
