#include "modem.h"

#include <initializer_list>
#include <utility>

#include "app/ui_ids.h"
#include "frontend/filter_design.h"
#include "frontend/pause_thread.h"

namespace kestrel {

Modem::Modem(const ModemPorts& modemPorts, std::string exePath, const CommandLine& line)
    : ports(modemPorts),
      commandLine(line),
      store{settingsPath(exePath)},
      decoders(state, framing, designEqualisedRaisedCosine),
      link(state,
           {ports.logger, ports.ui, ports.mainWindow, txBufferControl, settings, ports.sharedBlock,
            ports.clock, linkThreads},
           line.loggerWindow),
      menu{app,       ports.fileDialogs, ports.saveTextFile, ports.documents, std::move(exePath),
           store.path} {
    frontEnd.setDecodeSink(&decoders);
}

Modem::~Modem() {
    state.pauseState = 0;
    tinyFsk.stopRequested = true;
    for (std::thread* worker : {&pauseWorker_, &tinyConfigWorker_}) {
        if (worker->joinable()) worker->join();
    }
}

void Modem::loadSettings() {
    kestrel::loadSettings(store, ports.audioDevices, state, strings);
}

void Modem::prepareTransmitOutput() {
    switch (state.TXmode) {
        case 3:
            openFskPort(comPorts, state, strings.fskPortName);
            return;
        case 4:
            // The keyer is asked for its set-up even when its port did not open; the
            // thread then says that no keyer answers.
            openTinyPort(tinyFsk, strings.fskPortName);
            if (tinyConfigWorker_.joinable()) tinyConfigWorker_.join();
            tinyConfigWorker_ = launchTinyConfigThread(tinyFsk, strings.markPolarity);
            return;
        default:
            if (state.pttLine != 0) openPttPort(comPorts, strings.pttPortName, state.pttLine);
            return;
    }
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
        ports.ui.setControlCaption(kModeButton, click.modeButtonText);
    if (click.action == SpectrumClick::startPause) startPauseThread();
    if (click.action == SpectrumClick::notWhilePlaying) {
        for (const char c : kPauseWhilePlayingText)
            emitter.emitReceivedChar(static_cast<char16_t>(c));
    }
}

void Modem::spectrumRightClick() {
    kestrel::spectrumRightClick(state);
}

// A pause starts only while none runs, so the last one's thread has ended or is ending.
void Modem::startPauseThread() {
    if (pauseWorker_.joinable()) pauseWorker_.join();
    pauseWorker_ = std::thread([this] {
        pauseThread(
            state, frontEnd.pauseHistory, [this](double x) { frontEnd.processSample(x); },
            [this](char16_t c) { emitter.emitReceivedChar(c); }, ports.clock);
    });
}

}  // namespace kestrel
