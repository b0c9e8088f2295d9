#include "audio_in/contact_recorder.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

#include "audio_in/capture_reduction.h"
#include "audio_in/wav_file.h"

namespace kestrel {
namespace {

constexpr std::size_t kRingRate = kRecordingRingSamples / kRecordingRingSeconds;  // 48000

std::int16_t saturated(int value) {
    return static_cast<std::int16_t>(std::clamp<int>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

}  // namespace

std::int64_t utcSecondNow() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

const char* bookingMessage(Booking booking) {
    switch (booking) {
        case Booking::booked:
            return nullptr;
        case Booking::noFreeSlot:
            return "WAV not saved: 10 waiting";
        case Booking::pathTooLong:
            return "WAV not saved: path too long";
        case Booking::outOfTime:
            return "WAV not saved: QSO time";
    }
    return nullptr;
}

int recordingGain(int peak) {
    if (peak <= 0 || peak > kRecordingTargetPeak) return 1;
    return kRecordingTargetPeak / peak;
}

ContactRecorder::ContactRecorder(UiPort& ui)
    : ui_(ui), ring_(std::make_unique<std::int16_t[]>(kRecordingRingSamples)) {}

ContactRecorder::~ContactRecorder() {
    while (writersRunning_ != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void ContactRecorder::storeCapture(std::span<const std::int16_t> buffer, int rxChannel) {
    const std::size_t channels = static_cast<std::size_t>(captureChannels(rxChannel));
    for (std::size_t at = captureFirstSample(rxChannel); at < buffer.size(); at += channels) {
        const std::int16_t sample = buffer[at];
        // -32768 counts as 32767: the loudest a 16-bit peak can say.
        peak_ = std::max(peak_, std::min(std::abs(int{sample}), 32767));
        ring_[writeIndex_] = sample;
        if (++writeIndex_ == kRecordingRingSamples) writeIndex_ = 0;
    }
}

void ContactRecorder::triggerCheck(std::int64_t utcSecond) {
    for (RecordingSlot& slot : slots_) {
        const std::int64_t trigger = slot.triggerSecond.load(std::memory_order_acquire);
        if (trigger == 0 || trigger > utcSecond || slot.state != RecordingSlot::waiting) continue;
        const std::int64_t late = utcSecond - trigger;
        if (late > kRecordingRingSeconds - slot.duration) {
            slot.triggerSecond.store(0, std::memory_order_release);  // the stretch is gone
            continue;
        }
        const std::size_t back = static_cast<std::size_t>(late) * kRingRate;
        slot.peak = peak_;
        slot.ringPosition = (writeIndex_ + kRecordingRingSamples - back) % kRecordingRingSamples;
        slot.state = RecordingSlot::beingWritten;
        peak_ = 0;
        ++writersRunning_;
        try {
            std::thread([this, &slot] {
                recordingWriter(slot);
                --writersRunning_;
            }).detach();
        } catch (const std::system_error&) {
            --writersRunning_;
            slot.state = RecordingSlot::waiting;
            slot.triggerSecond.store(0, std::memory_order_release);
        }
    }
}

Booking ContactRecorder::book(const ContactDatagram& contact, const RecordingSetup& setup,
                              std::int64_t nowSecond) {
    const RecordingTimes& t = setup.times;
    const int before = contact.run ? t.runBefore : t.snpBefore;
    const int after = contact.run ? t.runAfter : t.snpAfter;
    const std::int64_t trigger = contact.contactSecond + after;
    const int duration = before + after;
    if (nowSecond - trigger > kRecordingRingSeconds - duration ||
        trigger - nowSecond > kRecordingRingSeconds)
        return Booking::outOfTime;
    std::string path = recordingPath(setup.folder, contact);
    if (path.empty()) return Booking::pathTooLong;
    for (RecordingSlot& slot : slots_) {
        if (slot.triggerSecond.load(std::memory_order_acquire) != 0) continue;
        slot.duration = duration;
        slot.path = std::move(path);
        slot.state = RecordingSlot::waiting;
        slot.triggerSecond.store(trigger, std::memory_order_release);
        return Booking::booked;
    }
    return Booking::noFreeSlot;
}

bool ContactRecorder::idle() const {
    if (writersRunning_ != 0) return false;
    return std::all_of(slots_.begin(), slots_.end(),
                       [](const RecordingSlot& s) { return s.triggerSecond == 0; });
}

// Takes every sixth ring sample of the stretch that ends where the slot fired, scaled by
// the gain, saves them and frees the slot.
void ContactRecorder::recordingWriter(RecordingSlot& slot) {
    const std::size_t covered =
        std::min(static_cast<std::size_t>(slot.duration) * kRingRate, kRecordingRingSamples);
    const std::size_t step = kRecordingStep;
    std::vector<std::int16_t> samples(covered / step);
    const int gain = recordingGain(slot.peak);
    const std::size_t start =
        (slot.ringPosition + kRecordingRingSamples - covered) % kRecordingRingSamples;
    std::size_t index = (start + step - 1) / step * step % kRecordingRingSamples;
    for (std::int16_t& sample : samples) {
        sample = saturated(ring_[index] * gain);
        index = (index + step) % kRecordingRingSamples;
    }
    const std::u8string path(slot.path.begin(), slot.path.end());
    writeWavFile(std::filesystem::path(path), samples, ui_);
    slot.state = RecordingSlot::waiting;
    slot.triggerSecond.store(0, std::memory_order_release);
}

}  // namespace kestrel
