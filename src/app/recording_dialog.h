#pragma once
// The recording dialog ("Select .WAV path and time"): the folder for contact recordings
// and the seconds to save before and after RUN and SnP contacts. What it shows when it
// opens, and what its OK button checks, stores and arms. The Win32 shell draws it, runs
// the system's folder browser and hands the texts of its boxes here.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_ports.h"
#include "audio_in/contact_recorder.h"
#include "text/ui_ids.h"

namespace kestrel {

inline constexpr const char* kRecordingInputCaption = "Input Error";
inline constexpr const char* kFolderMissing = "Directory is invalid or does not exist";
inline constexpr const char* kBrowseTitle = "Please select Folder to Save WAV files to";
inline constexpr const char* kBrowseFailed = "Sorry selecting folder failed- about 98";
inline constexpr std::size_t kRecordingPathChars = 259;  // the folder box's text is cut there
inline constexpr std::size_t kTimeBoxChars = 5;          // a time box is read this far

// The texts of the dialog's boxes.
struct RecordingDialogTexts {
    std::string path;
    std::array<std::string, 4> times;  // RUN before, RUN after, SnP before, SnP after
};

// The box ids of RecordingDialogTexts::times, in that order.
inline constexpr std::array<int, 4> kRecordingTimeBoxes{IDC_RUN_BEFORE, IDC_RUN_AFTER,
                                                        IDC_SNP_BEFORE, IDC_SNP_AFTER};

struct DialogBoxText {
    int boxId = 0;
    std::string text;
};

// What OK leaves for the dialog to do: show a text in a box, and close when confirmed.
struct RecordingDialogResult {
    std::optional<DialogBoxText> show;
    std::optional<RecordingSetup> confirmed;  // armed with these; the listener starts
};

// A folder as the dialog keeps it: ending in a backslash.
std::string withBackslash(std::string_view folder);

class RecordingDialog {
  public:
    explicit RecordingDialog(AppPorts app) : app_(app) {}

    // The dialog opens: the stored folder and times (" %2.2d").
    RecordingDialogTexts open();

    // OK: each time checked against its limit, in the boxes' order, then the folder.
    // A failure is shown ("Input Error" or "Kestrel Info") and the dialog stays open; a
    // time box gets its value back. Else the values are stored and recording is armed.
    RecordingDialogResult confirm(const RecordingDialogTexts& entered);

  private:
    AppPorts app_;
    RecordingTimes shown_;  // as the dialog opened
};

// Menu item "Save WAV file" while armed: disarmed at once (the listener ends by itself).
void disarmRecording(AppPorts& app);

}  // namespace kestrel
