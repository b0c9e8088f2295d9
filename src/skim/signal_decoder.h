// The decoder each signal of the skimmer runs: it takes the signal as complex baseband
// samples, centred between its tones, and hands back the characters it decodes. The
// skimmer mixes, filters, follows and resamples; a decoder only decodes, so another
// decoding mode plugs in behind the same two classes.
#pragma once

#include <complex>
#include <functional>
#include <memory>
#include <span>

namespace kestrel::skim {

// One signal as a decoder receives it: the mark at -shiftHz / 2, the space at +shiftHz / 2.
struct SignalFormat {
    double baud = 45.45;
    double shiftHz = 170.0;
    double sampleRate = 3000.0;  // what the decoder asked for at this baud
};

// Where a decoder hands its characters.
class DecodedText {
  public:
    virtual ~DecodedText() = default;
    virtual void character(char16_t c) = 0;
};

class SignalDecoder {
  public:
    virtual ~SignalDecoder() = default;
    // The next samples, in order, at the format's rate, in the units of a WAV sample
    // divided by 3726 (as the receive chain takes them).
    virtual void process(std::span<const std::complex<double>> baseband) = 0;
};

// A decoding mode as the skimmer uses it: the baseband rate it wants at a baud rate, and a
// new decoder for one signal.
struct DecoderKind {
    std::function<double(double baud)> sampleRate;
    std::function<std::unique_ptr<SignalDecoder>(const SignalFormat&, DecodedText&)> make;
    // Whether the decoder is to hear only the keyed signal, its tones and their keying:
    // one with no tone filters of its own, which a neighbour's tone a shift away reaches.
    bool keyedOnly = false;
    // Whether the decoder follows the signal's tones itself: the channel then measures its
    // drift (for the spots' frequency) without moving what the decoder hears.
    bool followsTones = false;
};

}  // namespace kestrel::skim
