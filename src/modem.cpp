#include "modem.h"

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <utility>

#include "app/test_text_feeder.h"
#include "audio_in/contact_listener.h"
#include "audio_in/wav_file.h"
#include "audio_in/wav_player.h"
#include "frontend/front_end.h"
#include "frontend/pause_thread.h"
#include "link/ptt_release_reporter.h"
#include "text/captions.h"
#include "text/ui_ids.h"

namespace kestrel {
Modem::Modem(const ModemPorts& modemPorts, std::string exePath, const CommandLine& line)
    : ports(modemPorts),
      commandLine(line),
      store{settingsPath(exePath)},
      txWindow(state, txBuffer, soundOutput, ptt, ports.logger, txWindowHooks()),
      link(state,
           {ports.logger, ports.ui, ports.mainWindow, txBuffer, settings, ports.sharedBlock,
            ports.clock, linkThreads},
           line.loggerWindow),
      menu{app,       ports.fileDialogs, ports.textFile, ports.documents, std::move(exePath),
           store.path} {}

Modem::~Modem() {
    state.pauseState = 0;
    state.wavPlaying = 0;
    tinyFsk.stopRequested = true;
    fskKeyer.stopRequested = true;
    playbackDevice.stopRequested = true;
    capture.stopRequested = true;
    soundOutput.stopWriterThread();
    listenerStop_ = true;
    for (std::thread* worker :
         {&captureSupervisorWorker_, &listenerWorker_, &pauseWorker_, &wavWorker_,
          &tinyConfigWorker_, &supervisorWorker_, &watchdogWorker_, &fskWorker_, &tinyTxWorker_,
          &feederWorker_, &releaseWorker_, &stallWorker_}) {
        if (worker->joinable()) worker->join();
    }
}

void Modem::loadSettings() {
    const SettingsSnapshot settingsFile = store.snapshot();
    kestrel::loadSettings(settingsFile, ports.audioDevices, state, strings);
    if (const std::string text = settingsFileMessage(settingsFile.fileState(), store.path);
        !text.empty())
        ports.ui.messageBox(text, kErrorCaption, kMbOk | kMbTopMost);
    openCapture(capture);
    restart(captureSupervisorWorker_, [this] { captureSupervisor(capture); });
}

void Modem::closeSoundDevices() {
    capture.stopRequested = true;
    playbackDevice.stopRequested = true;
    for (std::thread* worker : {&captureSupervisorWorker_, &supervisorWorker_, &watchdogWorker_}) {
        if (worker->joinable()) worker->join();
    }
    closeCapture(capture);
    // A transmission under way ends here and the writer stops, so that the buffers the
    // reset hands back are not written again and every one can be released.
    state.txState = kTxIdle;
    soundOutput.stopWriterThread();
    if (ports.playback.deviceOpen()) closePlayback(playbackDevice);
}

void Modem::requestCaptureReopen() {
    state.captureState = kReopenRequest;
}

void Modem::prepareTransmitOutput() {
    switch (state.TXmode) {
        case kFskMode:
            openFskPort(comPorts, state, strings.fskPortName);
            return;
        case kTinyFskMode:
            // The keyer is asked for its set-up even when its port did not open; the
            // thread then says that no keyer answers.
            openTinyPort(tinyFsk, strings.fskPortName);
            startTinyConfig();
            return;
        default:
            openPlayback(playbackDevice, state.txDeviceId);
            if (state.pttLine != 0) openPttPort(comPorts, strings.pttPortName, state.pttLine);
            startPlaybackSupervisor();
            return;
    }
}

void Modem::startTinyConfig() {
    restart(tinyConfigWorker_,
            [this, polarity = strings.markPolarity] { tinyConfigThread(tinyFsk, polarity); });
}

// One supervisor and its watchdog run from the first sound mode to the program's end.
void Modem::startPlaybackSupervisor() {
    if (supervisorRunning_.exchange(true)) return;
    restart(supervisorWorker_, [this] { playbackSupervisor(playbackDevice); });
    restart(watchdogWorker_, [this] { transmissionWatchdog(playbackDevice); });
}

SettingsDialogHooks Modem::settingsDialogHooks() {
    return {
        [this] { requestCaptureReopen(); },
        [this] {
            state.txSoundState = kReopenRequest;
            startPlaybackSupervisor();
        },
        [this] { startTinyConfig(); },
        [this] { link.updateComPortNames(strings.fskPortName, strings.pttPortName); },
    };
}

MenuFollowUp Modem::menuCommand(int itemId) {
    if (itemId != IDM_PLAY_WAV) return menu.menuCommand(itemId);
    playWavCommand();
    return MenuFollowUp::done;
}

// Plays a checked file into the receive chain on a thread of its own, or stops the one
// that plays; stopping asks for the sound card to be reopened.
void Modem::playWavCommand() {
    if (state.wavPlaying == 1) {
        state.wavPlaying = 0;
        requestCaptureReopen();
        return;
    }
    const FileDialogResult chosen =
        ports.fileDialogs.openSoundFileDialog(kPlayWavTitle, wavDialogName(settings, store.path));
    if (chosen.code != kFileDialogConfirmed) return;
    auto file = std::make_unique<WavToPlay>();
    const std::u8string path(chosen.path.begin(), chosen.path.end());
    if (const char* problem = openWavToPlay(std::filesystem::path(path), *file)) {
        ports.ui.messageBox(problem, kErrorCaption, kMbOk | kMbTopMost);
        return;
    }
    settings.writeString("RXopenwav", chosen.path);
    state.wavPlaying = 1;
    ports.ui.checkMenuItem(IDM_PLAY_WAV, true);
    restart(wavWorker_, [this, playing = std::shared_ptr<WavToPlay>(std::move(file))] {
        waitForLiveBuffer(capture);
        wavPlayer(
            *playing, state, [this](double x) { receiveChain.processSample(x); },
            [this](char16_t c) { receiveChain.emitReceivedChar(c); });
        ports.ui.checkMenuItem(IDM_PLAY_WAV, false);
    });
}

// A listener of an earlier arming is ended first, so that one socket listens at a time.
RecordingDialogResult Modem::recordingDialogConfirmed(const RecordingDialogTexts& entered) {
    listenerStop_ = true;
    if (listenerWorker_.joinable()) listenerWorker_.join();
    listenerStop_ = false;
    RecordingDialogResult result = recordingDialog.confirm(entered);
    if (!result.confirmed) return result;
    const ContactListenerLinks links{state, ports.udp, ports.ui, recorder, utcSecondNow};
    listenerWorker_ = std::thread(
        [this, links, setup = *result.confirmed] { contactListener(links, setup, listenerStop_); });
    return result;
}

TxWindowHooks Modem::txWindowHooks() {
    return {
        [this] { restart(fskWorker_, [this] { fskThread(fskKeyer); }); },
        [this] { restart(tinyTxWorker_, [this] { tinyTxThread(tinyFsk); }); },
        [this] { restart(feederWorker_, [this] { testTextFeeder(txBuffer, kTestTextPath); }); },
        [this](std::uint8_t c) { ports.mainWindow.postTxChar(c); },
    };
}

// Started by a generator once a transmission's last audio is made.
void Modem::startPttReleaseReporter() {
    const std::lock_guard lock(releaseLock_);
    restart(releaseWorker_, [this] { pttReleaseReporter(state, ports.logger, ptt, ports.clock); });
}

// The message waits for the operator on a thread of its own; another stall while it
// shows is not told again.
void Modem::tellPlaybackStall() {
    if (stallShowing_.exchange(true)) return;
    restart(stallWorker_, [this] {
        ports.ui.messageBox(kPlaybackStalledMessage, kErrorCaption, kMbOk);
        stallShowing_ = false;
    });
}

void Modem::restart(std::thread& slot, std::function<void()> body) {
    if (slot.joinable()) slot.join();
    slot = std::thread(std::move(body));
}

void Modem::spectrumWindowCreated() {
    if (!spectrumView) spectrumView.emplace(state);
}

SpectrumPaint Modem::spectrumPaint() const {
    return kestrel::spectrumPaint(state, *spectrumView);
}

void Modem::spectrumLeftClick(int x) {
    const SpectrumClickResult click = kestrel::spectrumLeftClick(*spectrumView, state, x);
    if (!click.modeButtonText.empty())
        ports.ui.setControlCaption(IDC_MODE_BUTTON, click.modeButtonText);
    if (click.action == SpectrumClick::startPause) startPauseThread();
    if (click.action == SpectrumClick::notWhilePlaying) receiveText(kPauseWhilePlayingText);
}

void Modem::receiveText(std::string_view text) {
    for (const char c : text) receiveChain.emitReceivedChar(static_cast<char16_t>(c));
}

void Modem::spectrumRightClick() {
    kestrel::spectrumRightClick(state);
}

// A pause starts only while none runs, so the last one's thread has ended or is ending.
void Modem::startPauseThread() {
    restart(pauseWorker_, [this] {
        waitForLiveBuffer(capture);
        pauseThread(
            state, receiveChain.frontEnd().pauseHistory,
            [this](double x) { receiveChain.processSample(x); },
            [this](char16_t c) { receiveChain.emitReceivedChar(c); }, ports.clock);
    });
}

}  // namespace kestrel
