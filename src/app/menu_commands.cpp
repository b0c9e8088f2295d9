#include "app/menu_commands.h"

#include <array>

#include "app/recording_dialog.h"
#include "platform/logger_codes.h"
#include "settings/settings_access.h"
#include "text/captions.h"
#include "text/ui_ids.h"

namespace kestrel {
namespace {

constexpr int kSquelchBit = 128;
constexpr int kLoggerSwitchCount = 2;  // "-r" and "-h"

// The receive options of the Setup menu: each a flag, its check mark and its key.
struct ReceiveOption {
    int itemId;
    std::atomic<int> ModemState::*flag;
    const char* key;
};

constexpr std::array<ReceiveOption, 4> kReceiveOptions{{
    {IDM_REPEAT_MATCH, &ModemState::CorrelateState, "CorrelateState"},
    {IDM_SAME_REJECT, &ModemState::CorrelateStateSame, "CorrelateStateSame"},
    {IDM_CONTEST_MODE, &ModemState::Contest, "Contest"},
    {IDM_NEW_SIG_NEW_LINE, &ModemState::NewsigNewline, "NewsigNewline"},
}};

const char* flagText(bool on) {
    return on ? "1" : "0";
}

}  // namespace

std::string helpDocumentPath(std::string_view exePath) {
    const std::string_view stem = exePath.substr(0, exePath.size() < 3 ? 0 : exePath.size() - 3);
    return std::string(stem) + "pdf";
}

std::string_view folderOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string saveTextDialogName(SettingsAccess& settings, std::string_view settingsPath) {
    const std::string fallback = std::string(folderOf(settingsPath)) + kDefaultSaveTextName;
    std::string stored = settings.readString("RXsavetext", fallback, kPathCapacity);
    const std::size_t last = stored.find_last_of(".\\");
    if (last != std::string::npos && stored[last] == '\\') return {};
    return stored;
}

std::string wavDialogName(SettingsAccess& settings, std::string_view settingsPath) {
    const std::string fallback = std::string(folderOf(settingsPath)) + kWavPattern;
    const std::string stored = settings.readString("RXopenwav", fallback, kPathCapacity);
    return std::string(folderOf(stored)) + kWavPattern;
}

MenuFollowUp MenuCommands::menuCommand(int itemId) {
    switch (itemId) {
        case IDM_HELP_PDF:
            helpPdf();
            return MenuFollowUp::done;
        case IDM_ABOUT:
            return MenuFollowUp::showAbout;
        case IDM_EXIT:
            app.mainWindow.postClose();
            return MenuFollowUp::done;
        case IDM_TOP_MOST:
            return toggleTopMost();
        case IDM_SQUELCH_ON:
            toggleSquelch();
            return MenuFollowUp::done;
        case IDM_SAVE_TEXT:
            saveText();
            return MenuFollowUp::done;
        case IDM_REPEAT_MATCH:
        case IDM_SAME_REJECT:
        case IDM_CONTEST_MODE:
        case IDM_NEW_SIG_NEW_LINE:
            toggleReceiveOption(itemId);
            return MenuFollowUp::done;
        case IDM_SAVE_WAV:
            if (app.state.saveWavActive != 1) return MenuFollowUp::showRecordingDialog;
            disarmRecording(app);
            return MenuFollowUp::done;
        case IDM_SETTINGS:
            return MenuFollowUp::showSettings;
        case IDM_PLAY_WAV:
            return MenuFollowUp::done;  // played by the Modem, or its dialog not built yet
        default:
            return MenuFollowUp::defaultHandling;
    }
}

bool MenuCommands::prepareMenus(int startSwitchCount) {
    if (startSwitchCount < kLoggerSwitchCount) app.ui.enableMenuItem(IDM_SAVE_WAV, false);
    const bool topMost = app.settings.readInt("TopMost", 0) == 1;
    if (topMost) {
        app.state.topMost = 1;
        app.ui.checkMenuItem(IDM_TOP_MOST, true);
    }
    if (app.state.SquelchState == 1) app.ui.checkMenuItem(IDM_SQUELCH_ON, true);
    for (const ReceiveOption& option : kReceiveOptions) {
        if (app.state.*option.flag != 0) app.ui.checkMenuItem(option.itemId, true);
    }
    if (app.state.saveTextActive == 1) app.ui.checkMenuItem(IDM_SAVE_TEXT, true);
    return topMost;
}

MenuFollowUp MenuCommands::toggleTopMost() {
    const bool on = app.state.topMost == 0;
    app.state.topMost = on ? 1 : 0;
    app.ui.checkMenuItem(IDM_TOP_MOST, on);
    app.settings.writeString("Topmost", flagText(on));
    return on ? MenuFollowUp::placeTopMost : MenuFollowUp::placeNotTopMost;
}

// The squelch lives twice in the settings file, as its own flag and as bit 7 of the
// switch word the logger sees; both change, and the logger is told the new word.
void MenuCommands::toggleSquelch() {
    const bool on = app.state.SquelchState == 0;
    app.state.SquelchState = on ? 1 : 0;
    app.ui.checkMenuItem(IDM_SQUELCH_ON, on);
    app.settings.writeString("SquelchState", flagText(on));
    int word = app.settings.readInt("N1MM_SWITCH", kDefaultSwitchWord);
    word = on ? word | kSquelchBit : word & ~kSquelchBit;
    app.state.switchWord = word;
    app.settings.writeString("N1MM_SWITCH", std::to_string(word));
    app.logger.post(TXM_SWITCH, word);
}

void MenuCommands::toggleReceiveOption(int itemId) {
    for (const ReceiveOption& option : kReceiveOptions) {
        if (option.itemId != itemId) continue;
        const bool on = app.state.*option.flag == 0;
        app.state.*option.flag = on ? 1 : 0;
        app.ui.checkMenuItem(itemId, on);
        app.settings.writeString(option.key, flagText(on));
        return;
    }
}

void MenuCommands::saveText() {
    if (app.state.saveTextActive == 1) {
        app.state.saveTextActive = 0;
        app.ui.checkMenuItem(IDM_SAVE_TEXT, false);
        textFile.closeSaveTextFile();
        return;
    }
    const FileDialogResult chosen =
        dialogs.saveTextFileDialog(kSaveTextTitle, saveTextDialogName(app.settings, settingsPath));
    // Cancelled, or the dialog failed (its error code): there is no file to open.
    if (chosen.code != kFileDialogConfirmed) return;
    if (!textFile.openSaveTextFile(chosen.path)) {
        app.ui.messageBox(kSaveTextOpenFailed, kErrorCaption, kMbOk | kMbTopMost);
        return;
    }
    app.settings.writeString("RXsavetext", chosen.path);
    app.state.saveTextActive = 1;
    app.ui.checkMenuItem(IDM_SAVE_TEXT, true);
}

// A document that exists but opens in nothing is named with its full path, so that the
// user can open it another way.
void MenuCommands::helpPdf() {
    const std::string path = helpDocumentPath(exePath);
    std::string message;
    switch (documents.openDocument(path)) {
        case DocumentOpening::opened:
            return;
        case DocumentOpening::missing:
            message = kHelpMissingMessage;
            break;
        case DocumentOpening::noViewer:
            message = kHelpNoViewerMessage + path;
            break;
        case DocumentOpening::failed:
            message = kHelpFailedMessage + path;
            break;
    }
    app.ui.messageBox(message, kRequestCaption, kMbOk | kMbTopMost);
}

}  // namespace kestrel
