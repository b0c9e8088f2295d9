#pragma once
// What the receive chain measures as it goes, handed up as plain numbers the moment
// each is known. What to show for them is decided above the chain.
#include <optional>

namespace kestrel {

class ReceiveMeasurements {
  public:
    virtual ~ReceiveMeasurements() = default;
    // The AFC's mean tone correction after a character, in whole hertz (receiving only).
    virtual void tuningOffset(int hz) = 0;
    // The tones the AFC has followed the signal to, after each character, in hertz.
    virtual void afcTones(double markHz, double spaceHz) = 0;
    // The stop length the framing measured, in milliseconds.
    virtual void bitLength(int ms) = 0;
    // The signal-to-noise figure after a character, in whole dB; none when the signal is
    // lost.
    virtual void signalToNoise(std::optional<int> db) = 0;
    // A new spectrum trace is ready to be shown; or none could be computed (the transform
    // could not be set up).
    virtual void spectrumReady() = 0;
    virtual void spectrumFailed() = 0;
};

}  // namespace kestrel
