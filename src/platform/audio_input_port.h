#pragma once
// Live sound input for kestrel-cli: an input device chosen by name, read in blocks of
// 16-bit mono samples as it records. PulseAudio on Linux, the wave input on Windows.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// The rate live input is captured at.
inline constexpr int kLiveInputRate = 48000;

class AudioInput {
  public:
    virtual ~AudioInput() = default;
    // Waits until samples is full, or until stop is set or the device fails (then
    // error() says why). Returns the count filled, less than asked only at the end.
    virtual std::size_t read(std::span<std::int16_t> samples, const std::atomic<bool>& stop) = 0;
    virtual std::string error() const = 0;
};

struct AudioInputName {
    std::string name;         // what the system calls it
    std::string description;  // what a person reads, where the system has one
};

// The inputs there are; empty with error set when the sound system cannot be asked.
std::vector<AudioInputName> audioInputNames(std::string& error);

// Opens the input called name (either of its names) at kLiveInputRate, one channel;
// nullptr with error set when it cannot.
std::unique_ptr<AudioInput> openAudioInput(const std::string& name, std::string& error);

}  // namespace kestrel
