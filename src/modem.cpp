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
    capture.requestStop();
    soundOutput.stopWriterThread();
    listenerStop_ = true;
    workers_.joinAll();
}

void Modem::loadSettings() {
    const SettingsSnapshot settingsFile = store.snapshot();
    kestrel::loadSettings(settingsFile, ports.audioDevices, state, strings);
    if (const std::string text = settingsFileMessage(settingsFile.fileState(), store.path);
        !text.empty())
        ports.ui.messageBox(text, kErrorCaption, kMbOk | kMbTopMost);
    capture.open();
    workers_.restart(Workers::captureSupervisor, [this] { capture.supervise(); });
}

void Modem::closeSoundDevices() {
    capture.requestStop();
    playbackDevice.stopRequested = true;
    for (const auto slot :
         {Workers::captureSupervisor, Workers::playbackSupervisor, Workers::transmissionWatchdog})
        workers_.join(slot);
    capture.close();
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
    workers_.restart(Workers::tinyConfig, [this, polarity = strings.markPolarity] {
        tinyConfigThread(tinyFsk, polarity);
    });
}

// One supervisor and its watchdog run from the first sound mode to the program's end.
void Modem::startPlaybackSupervisor() {
    if (supervisorRunning_.exchange(true)) return;
    workers_.restart(Workers::playbackSupervisor, [this] { playbackSupervisor(playbackDevice); });
    workers_.restart(Workers::transmissionWatchdog,
                     [this] { transmissionWatchdog(playbackDevice); });
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
    workers_.restart(Workers::wav, [this, playing = std::shared_ptr<WavToPlay>(std::move(file))] {
        capture.waitForLiveBuffer();
        wavPlayer(
            *playing, state, [this](double x) { receiveChain.processSample(x); },
            [this](char16_t c) { receiveChain.emitReceivedChar(c); });
        ports.ui.checkMenuItem(IDM_PLAY_WAV, false);
    });
}

// A listener of an earlier arming is ended first, so that one socket listens at a time.
RecordingDialogResult Modem::recordingDialogConfirmed(const RecordingDialogTexts& entered) {
    listenerStop_ = true;
    workers_.join(Workers::listener);
    listenerStop_ = false;
    RecordingDialogResult result = recordingDialog.confirm(entered);
    if (!result.confirmed) return result;
    const ContactListenerLinks links{state, ports.udp, ports.ui, recorder, utcSecondNow};
    workers_.restart(Workers::listener, [this, links, setup = *result.confirmed] {
        contactListener(links, setup, listenerStop_);
    });
    return result;
}

TxWindowHooks Modem::txWindowHooks() {
    return {
        [this] { workers_.restart(Workers::fsk, [this] { fskThread(fskKeyer); }); },
        [this] { workers_.restart(Workers::tinyTx, [this] { tinyTxThread(tinyFsk); }); },
        [this] {
            workers_.restart(Workers::feeder, [this] { testTextFeeder(txBuffer, kTestTextPath); });
        },
        [this](std::uint8_t c) { ports.mainWindow.postTxChar(c); },
    };
}

// Started by a generator once a transmission's last audio is made.
void Modem::startPttReleaseReporter() {
    const std::lock_guard lock(releaseLock_);
    workers_.restart(Workers::release,
                     [this] { pttReleaseReporter(state, ports.logger, ptt, ports.clock); });
}

// The message waits for the operator on a thread of its own; another stall while it
// shows is not told again.
void Modem::tellPlaybackStall() {
    if (stallShowing_.exchange(true)) return;
    workers_.restart(Workers::stall, [this] {
        ports.ui.messageBox(kPlaybackStalledMessage, kErrorCaption, kMbOk);
        stallShowing_ = false;
    });
}

void Modem::Workers::restart(Slot slot, std::function<void()> body) {
    join(slot);
    threads_[slot] = std::thread(std::move(body));
}

void Modem::Workers::join(Slot slot) {
    if (threads_[slot].joinable()) threads_[slot].join();
}

void Modem::Workers::joinAll() {
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
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
    workers_.restart(Workers::pause, [this] {
        capture.waitForLiveBuffer();
        pauseThread(
            state, receiveChain.frontEnd().pauseHistory(),
            [this](double x) { receiveChain.processSample(x); },
            [this](char16_t c) { receiveChain.emitReceivedChar(c); }, ports.clock);
    });
}

}  // namespace kestrel
