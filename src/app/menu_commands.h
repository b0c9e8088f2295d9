#pragma once
// What each command of the main menu does to the flags, the settings, the check marks
// and the logger. The main window hands every menu command here; what is left for it is
// window work: moving the window in or out of the top-most band, and the About box.
#include <string>
#include <string_view>

#include "app/app_ports.h"
#include "platform/document_viewer_port.h"
#include "platform/file_dialog_port.h"
#include "platform/save_text_file_port.h"
#include "text/captions.h"

namespace kestrel {

inline constexpr const char* kVersionText = "2026.01a";
inline constexpr const char* kHelpMissingMessage =
    "pdf file not in Kestrel folder\n Copy Kestrel.pdf to Kestrel.exe folder";
// Followed by the document's full path.
inline constexpr const char* kHelpNoViewerMessage =
    "No program on this computer opens .pdf files.\nThe manual is ";
inline constexpr const char* kHelpFailedMessage = "Windows could not open the manual.\nIt is ";
inline constexpr const char* kSaveTextTitle = "Save Text to File";
inline constexpr const char* kSaveTextOpenFailed = "Could not open file specified";
inline constexpr const char* kDefaultSaveTextName = "decodedtext.txt";
inline constexpr const char* kPlayWavTitle = "Play .wav Sound file";
inline constexpr const char* kWavPattern = "*.wav";
inline constexpr std::size_t kPathCapacity = 260;  // characters, with the terminator

// What the main window still has to do once a menu command has run.
enum class MenuFollowUp {
    defaultHandling,  // not a command of the menu: the window's default handling
    done,
    placeTopMost,         // move the window into the top-most band, without moving or sizing it
    placeNotTopMost,      // and out of it
    showAbout,            // the modal About box
    showSettings,         // the modal Settings dialog
    showRecordingDialog,  // the modal recording dialog, which arms contact recording
};

// The help document: the executable's path with its last three characters, the
// extension, replaced by "pdf".
std::string helpDocumentPath(std::string_view exePath);

// The folder part of a Windows path: everything up to and including its last backslash.
std::string_view folderOf(std::string_view path);

// The save dialog's first file name: RXsavetext (by default "decodedtext.txt" beside the
// settings file), or an empty name when the stored name's last part has no extension.
std::string saveTextDialogName(SettingsAccess& settings, std::string_view settingsPath);

// The open dialog's first file name: "*.wav" in the folder of the file played last
// (RXopenwav), by default the settings file's folder.
std::string wavDialogName(SettingsAccess& settings, std::string_view settingsPath);

// The commands of the menu but "Play WAV file", which the Modem runs: it plays into the
// receive chain.
struct MenuCommands {
    AppPorts app;
    FileDialogPort& dialogs;
    SaveTextFilePort& textFile;
    DocumentViewerPort& documents;
    std::string exePath;       // UTF-8, Windows form
    std::string settingsPath;  // Kestrel.ini beside it

    MenuFollowUp menuCommand(int itemId);

    // The menu as the main window's creation leaves it: "Save WAV file" greyed when the
    // program was not started with both of the logger's switches, "Top Most" from
    // TopMost (only 1 counts), and the receive options checked as their settings say.
    // True when the window goes into the top-most band.
    bool prepareMenus(int startSwitchCount);

  private:
    MenuFollowUp toggleTopMost();
    void toggleSquelch();
    void toggleReceiveOption(int itemId);
    void saveText();
    void helpPdf();
};

}  // namespace kestrel
