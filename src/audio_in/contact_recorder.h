#pragma once
// Contact recording: while armed, the receive thread keeps the last 70 seconds of raw
// input (48000 samples/s, the selected channel) in a ring. The contact listener books a
// slot for each contact the logger announces; when the slot's second comes, the receive
// thread hands the slot to a writer thread, which cuts the stretch around the contact out
// of the ring and saves it as an 8000 samples/s .wav file.
//
// A slot changes hands without locks: it belongs to the listener while its trigger
// second is 0, to the receive thread while it waits, and to its writer while it is
// written. Trigger second and state are atomics, and the one who hands a slot on stores
// them last.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "audio_in/contact_datagram.h"

namespace kestrel {

class UiPort;

inline constexpr int kRecordingRingSeconds = 70;
inline constexpr std::size_t kRecordingRingSamples = 3'360'000;  // 70 s at 48000 samples/s
inline constexpr std::size_t kRecordingSlotCount = 10;
inline constexpr int kRecordingStep = 6;            // 48000 -> 8000 samples/s, no filter
inline constexpr int kRecordingTargetPeak = 23170;  // about 3 dB below full scale

// Seconds to save before and after a contact, as last confirmed in the recording dialog.
struct RecordingTimes {
    int runBefore = 10;
    int runAfter = 1;
    int snpBefore = 10;
    int snpAfter = 10;
};

// What the listener needs to book a contact.
struct RecordingSetup {
    RecordingTimes times;
    std::string folder;  // ends in a backslash
};

struct RecordingSlot {
    enum State : int { waiting = 0, beingWritten = 1 };
    std::atomic<int> state{waiting};
    // The UTC second (since 1970) at which to save; 0 = slot free.
    std::atomic<std::int64_t> triggerSecond{0};
    int duration = 0;              // seconds: time before plus time after
    std::string path;              // UTF-8
    int peak = 0;                  // the recording peak when the slot fired
    std::size_t ringPosition = 0;  // the ring's write index when the slot fired
};

enum class Booking { booked, noFreeSlot, pathTooLong, outOfTime };

// The system clock as UTC seconds since 1970: the recording's time base.
std::int64_t utcSecondNow();

// What the status bar says when a contact could not be booked; nullptr when it was.
const char* bookingMessage(Booking booking);

// The whole-number gain that brings the recording peak to 23170. A silent recording
// (peak 0) and a loud one (peak above 23170) are saved unscaled.
int recordingGain(int peak);

class ContactRecorder {
  public:
    explicit ContactRecorder(UiPort& ui);
    // Waits for the writers that still run.
    ~ContactRecorder();
    ContactRecorder(const ContactRecorder&) = delete;
    ContactRecorder& operator=(const ContactRecorder&) = delete;

    // Receive thread, while armed: the selected channel of one captured buffer (16-bit,
    // mono or two interleaved channels as rxChannel says) into the ring and the peak.
    void storeCapture(std::span<const std::int16_t> buffer, int rxChannel);

    // Receive thread, after each stored buffer, with the current UTC second: every waiting
    // slot whose second has come goes to a writer thread of its own. A slot whose second
    // was missed goes too, with the stretch placed where it belongs, as long as the ring
    // still holds it; otherwise it is freed, so no slot waits for ever.
    void triggerCheck(std::int64_t utcSecond);

    // Listener: books the contact in the first free slot, with the RUN or SnP times.
    // A contact whose save time lies behind what the ring holds, or more than 70 s
    // ahead of nowSecond, is not booked.
    Booking book(const ContactDatagram& contact, const RecordingSetup& setup,
                 std::int64_t nowSecond);

    // True while no slot is taken and no writer runs.
    bool idle() const;

  private:
    void recordingWriter(RecordingSlot& slot);

    UiPort& ui_;
    std::unique_ptr<std::int16_t[]> ring_;  // 6.7 MB: allocated once
    std::size_t writeIndex_ = 0;
    int peak_ = 0;  // largest absolute sample since the last fired slot
    std::array<RecordingSlot, kRecordingSlotCount> slots_;
    std::atomic<int> writersRunning_{0};
};

}  // namespace kestrel
