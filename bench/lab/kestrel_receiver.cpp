#include <cmath>
#include <stdexcept>

#include "app/status_texts.h"
#include "audio_in/capture.h"
#include "audio_in/receive_chain.h"
#include "audio_in/wav_player.h"
#include "fakes/fakes.h"
#include "lab/lab.h"
#include "platform/logger_codes.h"
#include "text/wide_text.h"

namespace kestrel::lab {

namespace {

class LabPorts final : public LoggerPort, public WindowlessUi {
  public:
    explicit LabPorts(KestrelResult& result) : result_(result) {}

    bool post(std::uint32_t code, std::int64_t value) override {
        result_.posts.push_back({result_.samples, code, value});
        if (code == TXM_CHAR) result_.text += utf8FromUnit(static_cast<char16_t>(value));
        return true;
    }
    int messageBox(std::string_view, std::string_view, unsigned) override { return kIdOk; }

  private:
    KestrelResult& result_;
};

std::vector<std::uint8_t> wavBytes(const Audio& audio) {
    const auto path = tempWavPath("decode");
    writeWav(path, audio);
    WavToPlay file;
    if (const char* message = openWavToPlay(path, file)) throw std::runtime_error(message);
    std::vector<std::uint8_t> bytes(file.source->size());
    file.source->readAt(0, bytes);
    file.source.reset();
    std::filesystem::remove(path);
    return bytes;
}

void applySettings(ModemState& state, const KestrelSettings& settings) {
    state.baudIndex = settings.baud < 47.0 ? 0 : settings.baud < 60.0 ? 1 : 2;
    state.sampleRate = sampleRateFor(settings.baud);
    state.markFrequency = settings.mark;
    state.spaceFrequency = settings.space;
    state.Decodemode = static_cast<int>(settings.mode);
    state.afcOff = settings.afc ? 0 : 1;
    state.rxReverse = settings.reverse ? 1 : 0;
    state.SquelchState = settings.squelch ? 1 : 0;
    state.Contest = settings.contest ? 1 : 0;
    state.NewsigNewline = settings.newline ? 1 : 0;
    state.CorrelateState = settings.repeatMatch ? 1 : 0;
    state.CorrelateStateSame = settings.sameReject ? 1 : 0;
}

// The settings are in the state before the chain that reads them is made.
struct SettledState {
    explicit SettledState(const KestrelSettings& settings) { applySettings(state, settings); }
    ModemState state;
};

// A receive chain set up as a test asks, posting into `result`.
struct LabChain : SettledState {
    explicit LabChain(const KestrelSettings& settings) : SettledState(settings) {
        result.sampleRate = state.sampleRate;
    }
    KestrelResult result;
    LabPorts ports{result};
    NoSaveTextFile noFile;
    StatusTexts statusTexts{ports, ports};
    ReceiveChain chain{state, ports, statusTexts, noFile};
};

}  // namespace

int sampleRateFor(double baud) {
    return static_cast<int>(std::lround(264.0 * baud / 100.0) * 100);
}

std::vector<std::int64_t> KestrelResult::reportedMarks() const {
    std::vector<std::int64_t> marks;
    for (const KestrelPost& p : posts)
        if (p.code == TXM_MARK) marks.push_back(p.value);
    return marks;
}

KestrelResult kestrelDecode(const Audio& audio, const KestrelSettings& settings) {
    LabChain lab(settings);
    ModemState& state = lab.state;
    WavToPlay file;
    file.source = std::make_unique<MemoryByteSource>(wavBytes(audio));
    if (inspectWav(*file.source, file.layout) != WavVerdict::playable)
        throw std::runtime_error("lab audio not playable");
    state.wavPlaying = 1;
    wavPlayer(
        file, state,
        [&](double x) {
            lab.chain.processSample(x);
            ++lab.result.samples;
        },
        [&](char16_t c) { lab.chain.emitReceivedChar(c); });
    return lab.result;
}

KestrelResult kestrelCapture(const std::vector<std::int16_t>& captured, int rxChannel,
                             const KestrelSettings& settings) {
    LabChain lab(settings);
    lab.state.RXChannel = rxChannel;  // read when capture opens
    FakeCaptureDevice device;
    SleepingClock clock;
    {
        // The receive thread runs the chain while this thread plays the driver.
        Capture capture(lab.state, lab.chain, device, lab.ports, clock);
        if (capture.open() != 0) throw std::runtime_error("capture did not open");
        for (std::size_t at = 0; at < captured.size(); at += kCaptureBufferSamples) {
            const std::size_t n = std::min(kCaptureBufferSamples, captured.size() - at);
            if (!device.deliver(std::span(captured).subspan(at, n)))
                throw std::runtime_error("the receive thread kept every buffer");
        }
        if (!device.holds(kCaptureBuffers))
            throw std::runtime_error("the receive thread did not hand every buffer back");
    }
    const std::size_t frames =
        captured.size() / static_cast<std::size_t>(captureChannels(rxChannel));
    lab.result.samples = frames * static_cast<std::size_t>(lab.state.sampleRate) / 48000;
    return lab.result;
}

}  // namespace kestrel::lab
