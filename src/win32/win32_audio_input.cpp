// Live input for kestrel-cli.exe through the wave input Kestrel.exe captures with: the
// driver's thread hands each filled buffer over, the reader copies it out and queues it
// again.
#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/audio_input_port.h"
#include "win32_audio_devices_port.h"
#include "win32_capture_device.h"

namespace kestrel {
namespace {

constexpr int kBuffers = 32;
constexpr std::size_t kBufferSamples = kLiveInputRate / 50;  // 20 ms
constexpr auto kWaitStep = std::chrono::milliseconds(50);
// The wave input's names are product names cut to this many characters.
constexpr std::size_t kNameChars = 31;

class WaveInput final : public AudioInput {
  public:
    int open(std::uint32_t deviceId) {
        int result = device_.openDevice(
            deviceId, 1, [this](CaptureEvent event, int index, std::size_t bytes) {
                if (event != CaptureEvent::data || index < 0 || index >= kBuffers) return;
                {
                    const std::lock_guard lock(mutex_);
                    filled_.push_back({index, bytes / sizeof(std::int16_t)});
                }
                ready_.notify_one();
            });
        for (int k = 0; result == 0 && k < kBuffers; ++k) {
            result = device_.prepareBuffer(k, audio_[static_cast<std::size_t>(k)]);
            if (result == 0) result = device_.addBuffer(k);
        }
        if (result == 0) result = device_.startCapture();
        if (result != 0) error_ = device_.errorText(result);
        return result;
    }
    ~WaveInput() override {
        if (!device_.deviceOpen()) return;
        device_.resetCapture();
        for (int k = 0; k < kBuffers; ++k) device_.unprepareBuffer(k);
        device_.closeDevice();
    }

    std::size_t read(std::span<std::int16_t> samples, const std::atomic<bool>& stop) override {
        std::size_t filled = 0;
        while (filled < samples.size() && !stop) {
            Filled buffer;
            {
                std::unique_lock lock(mutex_);
                if (!ready_.wait_for(lock, kWaitStep, [this] { return !filled_.empty(); }))
                    continue;
                buffer = filled_.front();
            }
            const auto& audio = audio_[static_cast<std::size_t>(buffer.index)];
            const std::size_t n = std::min(samples.size() - filled, buffer.samples - offset_);
            std::copy_n(audio.begin() + static_cast<std::ptrdiff_t>(offset_), n,
                        samples.begin() + static_cast<std::ptrdiff_t>(filled));
            filled += n;
            offset_ += n;
            if (offset_ < buffer.samples) continue;
            offset_ = 0;
            {
                const std::lock_guard lock(mutex_);
                filled_.pop_front();
            }
            if (const int result = device_.addBuffer(buffer.index); result != 0) {
                error_ = device_.errorText(result);
                return filled;
            }
        }
        return filled;
    }
    std::string error() const override { return error_; }

  private:
    struct Filled {
        int index = 0;
        std::size_t samples = 0;
    };
    win32::Win32CaptureDevice device_;
    std::array<std::array<std::int16_t, kBufferSamples>, kBuffers> audio_{};
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Filled> filled_;  // in the order the device filled them
    std::size_t offset_ = 0;     // into the first of them
    std::string error_;
};

}  // namespace

std::vector<AudioInputName> audioInputNames(std::string&) {
    std::vector<AudioInputName> names;
    for (const std::string& name : win32::Win32AudioDevicesPort().inputDeviceNames())
        names.push_back({name, ""});
    return names;
}

// A name longer than the wave input's names finds the device whose name it begins with.
std::unique_ptr<AudioInput> openAudioInput(const std::string& name, std::string& error) {
    const auto names = win32::Win32AudioDevicesPort().inputDeviceNames();
    for (std::uint32_t id = 0; id < names.size(); ++id) {
        if (names[id].empty() || (names[id] != name && name.substr(0, kNameChars) != names[id]))
            continue;
        auto input = std::make_unique<WaveInput>();
        if (input->open(id) != 0) return error = input->error(), nullptr;
        return input;
    }
    return error = "no input called '" + name + "'", nullptr;
}

}  // namespace kestrel
