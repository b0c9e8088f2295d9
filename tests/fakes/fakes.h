#pragma once
// Recording fakes of the platform ports, shared by the unit and signal tests, the fuzz
// targets and the benchmarks. Each keeps what a test asks of it, nothing more.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "audio_in/wav_file.h"
#include "platform/audio_devices_port.h"
#include "platform/capture_device_port.h"
#include "platform/clock_port.h"
#include "platform/dialog_port.h"
#include "platform/document_viewer_port.h"
#include "platform/file_dialog_port.h"
#include "platform/logger_port.h"
#include "platform/main_window_port.h"
#include "platform/playback_device_port.h"
#include "platform/priority_port.h"
#include "platform/serial_port.h"
#include "platform/shared_block_port.h"
#include "platform/udp_port.h"
#include "platform/ui_port.h"
#include "platform/window_title_port.h"
#include "settings/settings_access.h"
#include "transmit/ptt_switch.h"
#include "transmit/tx_buffer_control.h"

namespace kestrel {

// What a fake was asked, in order; safe to add to from several threads, read as a copy.
template <typename T>
struct Journal {
    void add(T item) {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(item));
    }
    std::vector<T> items() const {
        std::lock_guard lock(mutex_);
        return items_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        items_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<T> items_;
};

// Sound devices for tests: fixed lists of product names in device-number order.
struct FakeAudioDevicesPort : AudioDevicesPort {
    FakeAudioDevicesPort() = default;
    FakeAudioDevicesPort(std::vector<std::string> inputs, std::vector<std::string> outputs)
        : inputs(std::move(inputs)), outputs(std::move(outputs)) {}

    std::vector<std::string> inputDeviceNames() override { return inputs; }
    std::vector<std::string> outputDeviceNames() override { return outputs; }
    std::vector<std::string> endpointNames(bool capture) override {
        return capture ? inputEndpoints : outputEndpoints;
    }

    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    std::vector<std::string> inputEndpoints;
    std::vector<std::string> outputEndpoints;
};

// A sound input device that journals what is done to it ("open 1 2", "prepare 0",
// "add 0", "start", "stop", ...) and plays the driver's part: it announces the open on the
// sink as a driver does, keeps the buffers handed to it in order, and deliver() fills the
// oldest with the given samples and reports it. A step whose first word is in `failing`
// fails with kFailure, whose text is "error 32".
struct FakeCaptureDevice : CaptureDevicePort {
    static constexpr int kFailure = 32;
    std::set<std::string> failing;  // set before the device is in use

    int openDevice(std::uint32_t deviceId, int channels, CaptureEventSink events) override {
        step("open " + std::to_string(deviceId) + " " + std::to_string(channels));
        {
            std::lock_guard lock(mutex_);
            open_ = true;
            sink_ = std::move(events);
            queued_.clear();
        }
        sink_(CaptureEvent::opened, -1, 0);
        return 0;
    }
    bool deviceOpen() override {
        std::lock_guard lock(mutex_);
        return open_;
    }
    int prepareBuffer(int index, std::span<std::int16_t> audio) override {
        {
            std::lock_guard lock(mutex_);
            if (buffers_.size() <= static_cast<std::size_t>(index)) buffers_.resize(index + 1);
            buffers_[index] = audio;
        }
        return step("prepare " + std::to_string(index));
    }
    int addBuffer(int index) override {
        std::lock_guard lock(mutex_);
        queued_.push_back(index);
        changed_.notify_all();
        return 0;
    }
    int startCapture() override { return step("start"); }
    int stopCapture() override { return step("stop"); }
    int resetCapture() override {
        std::lock_guard lock(mutex_);
        queued_.clear();  // returned, but the capture no longer takes them
        return stepLocked("reset");
    }
    int unprepareBuffer(int index) override { return step("unprepare " + std::to_string(index)); }
    int closeDevice() override {
        std::lock_guard lock(mutex_);
        open_ = false;
        return stepLocked("close");
    }
    std::string errorText(int code) override { return "error " + std::to_string(code); }
    std::int64_t recordedPosition() override { return position.load(); }
    std::atomic<std::int64_t> position{-1};  // what the device says it has recorded

    // Fills the oldest buffer the device holds with `samples` (at most one buffer) and
    // reports it; false when none comes within two seconds.
    bool deliver(std::span<const std::int16_t> samples) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::seconds(2), [&] { return !queued_.empty(); }))
            return false;
        const int index = queued_.front();
        queued_.pop_front();
        std::span<std::int16_t> audio = buffers_[index];
        const std::size_t n = std::min(samples.size(), audio.size());
        std::copy_n(samples.begin(), n, audio.begin());
        CaptureEventSink sink = sink_;
        lock.unlock();
        sink(CaptureEvent::data, index, n * sizeof(std::int16_t));
        return true;
    }
    // Waits until the device holds `count` buffers again (all handed back).
    bool holds(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5),
                                 [&] { return queued_.size() >= count; });
    }

    // The journal without the adds, which the receive thread makes all the time.
    std::vector<std::string> journal() const {
        std::lock_guard lock(mutex_);
        return journal_;
    }

  private:
    int step(std::string what) {
        std::lock_guard lock(mutex_);
        return stepLocked(std::move(what));
    }
    int stepLocked(std::string what) {
        const bool fails = failing.count(what.substr(0, what.find(' '))) > 0;
        journal_.push_back(std::move(what));
        return fails ? kFailure : 0;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    CaptureEventSink sink_;
    std::vector<std::span<std::int16_t>> buffers_;
    std::deque<int> queued_;
    std::vector<std::string> journal_;
};

// A simulated clock: sleeps return at once and advance the counter; every sleep is
// recorded. Reading the counter does not move it unless ticksPerRead says so, which code
// that spins on the counter needs. Actions scheduled with at() run, on the thread that
// moves the clock, as soon as it reaches their tick.
struct FakeClock : ClockPort {
    static constexpr std::int64_t kFrequency = 10'000'000;

    std::int64_t now = 0;
    std::int64_t ticksPerRead = 0;
    std::vector<std::uint32_t> sleeps;

    std::int64_t counter() override {
        now += ticksPerRead;
        runDue();
        return now;
    }
    std::int64_t counterFrequency() override { return kFrequency; }
    void sleepMs(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += static_cast<std::int64_t>(ms) * (kFrequency / 1000);
        runDue();
    }

    void at(std::int64_t tick, std::function<void()> action) {
        actions_.emplace(tick, std::move(action));
    }

  private:
    void runDue() {
        while (!actions_.empty() && actions_.begin()->first <= now) {
            std::function<void()> action = std::move(actions_.begin()->second);
            actions_.erase(actions_.begin());
            action();
        }
    }

    std::multimap<std::int64_t, std::function<void()>> actions_;
};

// An open dialog for tests: keeps the controls' texts, the marked radio button of each
// group (by its first button), the focus, the lists and their selections, and how it ended. The
// dialogs it is asked to run are cancelled.
struct FakeDialog : DialogPort {
    void setItemText(int id, std::string_view text) override { texts[id] = text; }
    std::string itemText(int id, std::size_t maxChars) override {
        return texts[id].substr(0, maxChars);
    }
    void checkRadioButton(int first, int, int checkedId) override { marked[first] = checkedId; }
    void enableItem(int, bool) override {}
    void setFocus(int id) override { focused.push_back(id); }
    void addListItem(int listId, std::string_view text) override {
        lists[listId].emplace_back(text);
    }
    void selectListItem(int listId, int index) override {
        const bool listed = index >= 0 && index < static_cast<int>(lists[listId].size());
        selections[listId] = listed ? index : kNoListItem;
    }
    int selectedListItem(int listId) override {
        const auto it = selections.find(listId);
        return it == selections.end() ? kNoListItem : it->second;
    }
    void end(int result) override { ended = result; }
    int runDialog(int) override { return 0; }

    std::map<int, std::string> texts;
    std::map<int, int> marked;
    std::vector<int> focused;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, int> selections;
    int ended = -1;
};

// A document viewer that finds no document.
struct FakeDocumentViewer : DocumentViewerPort {
    DocumentOpening openDocument(const std::string&) override { return DocumentOpening::missing; }
};

// File dialogs that answer with a prepared result.
struct FakeFileDialogs : FileDialogPort {
    FileDialogResult answer{kFileDialogCancelled, ""};

    FileDialogResult saveTextFileDialog(std::string_view, std::string_view) override {
        return answer;
    }
    FileDialogResult openSoundFileDialog(std::string_view, std::string_view) override {
        return answer;
    }
};

// Records every notification posted to the logger. Safe to post from several threads.
struct LoggerPost {
    std::uint32_t code;
    std::int64_t value;
    bool operator==(const LoggerPost&) const = default;
};

struct RecordingLogger : LoggerPort {
    bool post(std::uint32_t code, std::int64_t value) override {
        posts_.add({code, value});
        if (onPost) onPost(code, value);
        return true;
    }
    // Called after each post, on the posting thread: to interleave with other journals.
    std::function<void(std::uint32_t, std::int64_t)> onPost;

    std::vector<LoggerPost> posts() const { return posts_.items(); }
    // The values posted with one code, in order; textOf: as text, one character a post.
    std::vector<std::int64_t> values(std::uint32_t code) const {
        std::vector<std::int64_t> out;
        for (const auto& p : posts())
            if (p.code == code) out.push_back(p.value);
        return out;
    }
    std::string textOf(std::uint32_t code) const {
        const auto v = values(code);
        return {v.begin(), v.end()};
    }

  private:
    Journal<LoggerPost> posts_;
};

// Records what the core posts to the main window and the transmit window.
struct FakeMainWindow : MainWindowPort {
    std::vector<std::int64_t> txChars;

    std::int64_t mainWindowHandle() override { return 0x5150; }
    std::uint32_t uiThreadId() override { return 4321; }
    void postClose() override {}
    void postQuit() override {}
    void postTxChar(std::int64_t character) override { txChars.push_back(character); }
    void postMenuCommand(int) override {}
    void postSize() override {}
};

// A sound output device that journals what is done to it ("open 65535 13200",
// "prepare 0", "reset", ...).
struct FakePlaybackDevice : PlaybackDevicePort {
    int openDevice(std::uint32_t deviceId, int sampleRate, PlaybackEventSink events) override {
        open = true;
        events_ = std::move(events);
        const int result =
            step("open " + std::to_string(deviceId) + " " + std::to_string(sampleRate));
        if (deliverEvents) events_(PlaybackEvent::opened, 0);
        return result;
    }
    bool deviceOpen() override { return open; }
    int prepareBuffer(int index, std::span<std::int16_t>) override {
        return step("prepare " + std::to_string(index));
    }
    int unprepareBuffer(int index) override { return step("unprepare " + std::to_string(index)); }
    int closeDevice() override {
        open = false;
        return step("close");
    }
    int writeBuffer(int index, std::span<const std::int16_t>) override {
        return step("write " + std::to_string(index));
    }
    // As the system does, a reset hands back every buffer as done.
    int resetOutput() override {
        const int result = step("reset");
        if (deliverEvents)
            for (int index = 0; index < 2; ++index) events_(PlaybackEvent::bufferDone, index);
        return result;
    }

    std::vector<std::string> journal() const { return journal_.items(); }
    // The buffers written, in order.
    std::vector<int> writtenIndices() const {
        std::vector<int> out;
        for (const std::string& step : journal())
            if (step.starts_with("write ")) out.push_back(std::stoi(step.substr(6)));
        return out;
    }

    std::atomic<bool> open{false};  // read by the tests while a supervisor opens it
    bool deliverEvents = false;     // the open and reset notifications, which start the writer
    std::set<std::string> failing;  // steps, by their first word, that fail with 32
    // Called after each step, on the thread that took it: to interleave with other threads.
    std::function<void(const std::string&)> onStep;

  private:
    int step(const std::string& what) {
        journal_.add(what);
        if (onStep) onStep(what);
        return failing.count(what.substr(0, what.find(' '))) ? 32 : 0;
    }
    Journal<std::string> journal_;
    PlaybackEventSink events_;
};

// Records the keying thread's priority and memory-lock requests ("lock", "unlock",
// "realtime", "normal class", "time-critical", "normal thread").
struct FakePriorityPort : PriorityPort {
    bool lockKeyingCode() override { return record("lock"); }
    bool unlockKeyingCode() override { return record("unlock"); }
    bool setRealtimeClass(bool on) override { return record(on ? "realtime" : "normal class"); }
    bool setTimeCriticalThread(bool on) override {
        return record(on ? "time-critical" : "normal thread");
    }
    bool raiseAudioThread() override { return record("audio thread"); }

    std::vector<std::string> calls() const { return calls_.items(); }

    std::function<void(const std::string&)> onCall;  // to interleave with other journals

  private:
    bool record(const std::string& what) {
        calls_.add(what);
        if (onCall) onCall(what);
        return true;
    }
    Journal<std::string> calls_;
};

// Records every push-to-talk change.
struct FakePttSwitch : PttSwitch {
    void setPtt(bool on) override { calls_.add(on); }
    std::vector<bool> calls() const { return calls_.items(); }

  private:
    Journal<bool> calls_;
};

// Scripted serial ports. FakeSerialPorts is the system: which devices exist, which opens
// fail, and one journal of everything done to any of its ports ("DTR on", "write [", ...),
// each entry stamped with the time source's reading. Tests may add their own entries with
// note(), so the order against other fakes can be checked. Nothing ever arrives to be read.
struct SerialEvent {
    std::string what;
    std::int64_t at = 0;
};

struct FakeSerialPorts : SerialPorts {
    std::unique_ptr<SerialPort> open(std::string_view devicePath, SerialAccess access,
                                     SerialOpenError& error) override;
    bool deviceExists(std::string_view name) override {
        return devices.count(std::string(name)) > 0;
    }

    void note(std::string what) {
        std::lock_guard lock(mutex_);
        events_.push_back({std::move(what), timeSource ? timeSource() : 0});
    }
    std::vector<SerialEvent> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    // The journal's texts only, optionally just those starting with prefix.
    std::vector<std::string> journal(const std::string& prefix = "") const {
        std::vector<std::string> out;
        for (const auto& e : events())
            if (e.what.rfind(prefix, 0) == 0) out.push_back(e.what);
        return out;
    }
    std::set<std::string> devices;  // names such as "COM3"
    std::function<std::int64_t()> timeSource;

  private:
    friend struct FakeSerialPort;
    mutable std::recursive_mutex mutex_;
    std::vector<SerialEvent> events_;
};

struct FakeSerialPort : SerialPort {
    FakeSerialPort(FakeSerialPorts& system, std::string path)
        : path(std::move(path)), system_(system) {}

    bool close() override {
        return step("close", [&] { closed = true; });
    }
    bool readState() override { return step("readState"); }
    bool buildState(std::string_view definition) override {
        return step("buildState " + std::string(definition));
    }
    bool writeState() override { return step("writeState"); }
    bool setQueueSizes(std::uint32_t in, std::uint32_t out) override {
        return step("queues " + std::to_string(in) + "/" + std::to_string(out));
    }
    bool setTimeouts(const SerialTimeouts&) override { return step("timeouts"); }
    bool lineAction(SerialLineAction action) override {
        using enum SerialLineAction;
        const std::pair<SerialLineAction, const char*> lines[] = {
            {setDtr, "DTR on"},    {clearDtr, "DTR off"},  {setRts, "RTS on"},
            {clearRts, "RTS off"}, {setBreak, "break on"}, {clearBreak, "break off"}};
        for (const auto& [a, text] : lines)
            if (a == action) return step(text);
        return false;
    }
    bool read(std::span<std::uint8_t>, std::size_t& got) override {
        got = 0;
        return step("read");
    }
    bool write(std::span<const std::uint8_t> bytes, std::size_t& written) override {
        const bool ok = step("write " + std::string(bytes.begin(), bytes.end()));
        written = ok ? bytes.size() : 0;
        return ok;
    }
    void cancelPending() override { step("cancel"); }
    std::uint32_t lastError() override { return 0; }

    const std::string path;
    bool closed = false;

  private:
    bool step(const std::string& what, const std::function<void()>& effect = {}) {
        std::lock_guard lock(system_.mutex_);
        const bool ok = !closed;
        system_.note(what + (ok ? "" : " FAILED"));
        if (ok && effect) effect();
        return ok;
    }

    FakeSerialPorts& system_;
};

inline std::unique_ptr<SerialPort> FakeSerialPorts::open(std::string_view devicePath,
                                                         SerialAccess access,
                                                         SerialOpenError& error) {
    const std::string path(devicePath);
    note("open " + path + (access == SerialAccess::plain ? " plain" : " overlapped"));
    error = devices.count(path.substr(path.rfind('\\') + 1)) ? SerialOpenError::none
                                                             : SerialOpenError::fileNotFound;
    if (error != SerialOpenError::none) return nullptr;
    return std::make_unique<FakeSerialPort>(*this, path);
}

// Settings kept in memory: keys match without regard to case, as in the settings file;
// a value that does not start with a number reads as the default. Every write is
// recorded in order.
struct MemorySettings : SettingsAccess {
    std::vector<std::pair<std::string, std::string>> writes;

    void set(std::string_view key, std::string_view text) { values_[lower(key)] = text; }
    std::string value(std::string_view key) const {
        const auto it = values_.find(lower(key));
        return it == values_.end() ? std::string() : it->second;
    }

    std::int32_t readInt(std::string_view key, std::int32_t defaultValue) override {
        const std::string text = value(key);  // "" when missing
        char* end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 10);
        return end == text.c_str() ? defaultValue : static_cast<std::int32_t>(number);
    }
    std::string readString(std::string_view key, std::string_view defaultValue,
                           std::size_t capacity) override {
        const auto it = values_.find(lower(key));
        const std::string text = it == values_.end() ? std::string(defaultValue) : it->second;
        return text.substr(0, capacity > 0 ? capacity - 1 : 0);
    }
    void writeString(std::string_view key, std::string_view text) override {
        writes.emplace_back(key, text);
        set(key, text);
    }

  private:
    static std::string lower(std::string_view key) {
        std::string out(key);
        for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    }
    std::map<std::string, std::string> values_;
};

// The logger's shared block as a plain buffer, filled with a marker byte so that what
// the core writes (and what it leaves alone) shows.
struct FakeSharedBlock : SharedBlockPort {
    static constexpr std::byte kUntouched{0xA5};

    explicit FakeSharedBlock(std::size_t size = 24576) : bytes(size, kUntouched) {}

    std::vector<std::byte> bytes;

    std::span<std::byte> openSharedBlock() override { return bytes; }

    // The raw bytes of a field, for exact comparisons.
    std::string textAt(std::size_t offset, std::size_t size) const {
        return std::string(reinterpret_cast<const char*>(bytes.data() + offset), size);
    }
};

// Counts the transmit buffer's clear commands.
struct RecordingTxBuffer : TxBufferControl {
    int clears = 0;
    void clearTxBuffer() override { ++clears; }
};

// A UDP socket played by the test: each step can be made to fail, and the datagrams it
// delivers are queued by the test (from any thread). Calls are journalled in order.
struct FakeUdpPort : UdpPort {
    int startupError = 0;
    bool socketOpens = true;
    SocketCall reuseResult{};
    SocketCall bindResult{};
    bool closes = true;

    void deliver(std::string datagram) {
        std::lock_guard lock(mutex_);
        datagrams_.push_back(std::move(datagram));
    }
    // A failing receive, delivered in turn with the datagrams.
    void failNextReceive(int error) { deliver(std::string("\0fail", 5) + std::to_string(error)); }
    std::vector<std::string> journal() const { return journal_.items(); }
    bool drained() const {
        std::lock_guard lock(mutex_);
        return datagrams_.empty();
    }

    int startup() override { return note("startup"), startupError; }
    bool openSocket() override { return note("socket"), socketOpens; }
    SocketCall reuseAddress() override { return note("reuse"), reuseResult; }
    SocketCall bind(int port) override { return note("bind " + std::to_string(port)), bindResult; }
    bool waitForDatagram(int) override {
        {
            std::lock_guard lock(mutex_);
            if (!datagrams_.empty()) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return false;
    }
    SocketCall receive(std::span<char> buffer) override {
        std::lock_guard lock(mutex_);
        const std::string d = datagrams_.front();
        datagrams_.pop_front();
        if (d.starts_with(std::string("\0fail", 5))) return {-1, std::stoi(d.substr(5))};
        const std::size_t n = std::min(d.size(), buffer.size());
        std::copy_n(d.begin(), n, buffer.begin());
        return {static_cast<int>(n), 0};
    }
    bool closeSocket() override { return note("close"), closes; }
    void cleanup() override { note("cleanup"); }

  private:
    void note(std::string step) { journal_.add(std::move(step)); }
    mutable std::mutex mutex_;
    std::deque<std::string> datagrams_;
    Journal<std::string> journal_;
};

// Records what the core asks of the user interface. Message boxes answer `answer` (OK
// unless a test says otherwise).
struct UiMessageBox {
    std::string text;
    std::string caption;
    unsigned flags;
    bool operator==(const UiMessageBox&) const = default;
};
using Boxes = std::vector<UiMessageBox>;
using UiItemText = std::pair<int, std::string>;  // a control or status part, its text
using UiItemFlag = std::pair<int, bool>;         // a menu item, checked or not

struct RecordingUi : WindowlessUi {
    int messageBox(std::string_view text, std::string_view caption, unsigned flags) override {
        messageBoxes_.add({std::string(text), std::string(caption), flags});
        if (whileBoxShows) whileBoxShows();  // what a box's own message loop may dispatch
        return answer;
    }
    void setStatusText(int part, std::string_view text) override {
        statusTexts_.add({part, std::string(text)});
    }
    void setControlCaption(int controlId, std::string_view text) override {
        captions_.add({controlId, std::string(text)});
    }
    void checkMenuItem(int itemId, bool checked) override { menuChecks_.add({itemId, checked}); }
    void requestSpectrumRepaint() override { ++repaints; }

    std::atomic<int> answer{kIdOk};
    std::atomic<int> repaints{0};
    std::function<void()> whileBoxShows;

    Boxes messageBoxes() const { return messageBoxes_.items(); }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& box : messageBoxes()) out.push_back(box.text);
        return out;
    }
    std::vector<UiItemText> captions() const { return captions_.items(); }
    std::vector<UiItemFlag> menuChecks() const { return menuChecks_.items(); }

    // The text a status part shows now, if anything was written to it.
    std::optional<std::string> statusText(int part) const {
        std::optional<std::string> now;
        for (const auto& [id, text] : statusTexts_.items())
            if (id == part) now = text;
        return now;
    }

    void clear() {
        messageBoxes_.clear();
        statusTexts_.clear();
        captions_.clear();
        menuChecks_.clear();
    }

  private:
    Journal<UiMessageBox> messageBoxes_;
    Journal<UiItemText> statusTexts_;
    Journal<UiItemText> captions_;
    Journal<UiItemFlag> menuChecks_;
};

// A window tree without parents or titles.
struct FakeWindowTitles : WindowTitlePort {
    std::int64_t parentWindow(std::int64_t) override { return 0; }
    std::u16string windowTitle(std::int64_t) override { return {}; }
};

// A ByteSource over bytes in memory, for WAV tests.
struct MemoryByteSource : ByteSource {
    explicit MemoryByteSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::uint64_t size() const override { return bytes_.size(); }

    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset >= bytes_.size()) return 0;
        const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - offset);
        std::memcpy(out.data(), bytes_.data() + offset, n);
        return n;
    }

  private:
    std::vector<std::uint8_t> bytes_;
};

// Waits up to five seconds for a thread the test let run to bring the condition about.
inline bool eventually(const std::function<bool()>& condition) {
    for (int waited = 0; waited < 5000 && !condition(); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

// A clock whose sleeps really sleep, for threads that a test lets run in real time.
struct SleepingClock : ClockPort {
    std::int64_t counter() override {
        return std::chrono::steady_clock::now().time_since_epoch().count();
    }
    std::int64_t counterFrequency() override {
        return std::chrono::steady_clock::period::den / std::chrono::steady_clock::period::num;
    }
    void sleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

}  // namespace kestrel
