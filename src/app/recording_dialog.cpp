#include "app/recording_dialog.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/platform_checks.h"
#include "settings/settings_store.h"
#include "text/numbers.h"
#include "text/ui_ids.h"

namespace kestrel {
namespace {

// One time box: where it is kept, its limit and what is said when it is exceeded.
struct TimeBox {
    int RecordingTimes::*seconds;
    const char* key;
    int defaultSeconds;
    int limit;
    const char* message;
};

constexpr std::array<TimeBox, 4> kTimeBoxes{{
    {&RecordingTimes::runBefore, "RXwaveRUNtimebefore", 10, 35,
     "Maximum value of time before is 35 seconds"},
    {&RecordingTimes::runAfter, "RXwaveRUNtimeafter", 1, 35,
     "Maximum value of time after is 35 seconds"},
    {&RecordingTimes::snpBefore, "RXwaveSnPtimebefore", 10, 30,
     "Maximum value of time before is 30 seconds"},
    {&RecordingTimes::snpAfter, "RXwaveSnPtimeafter", 10, 30,
     "Maximum value of time after is 30 seconds"},
}};

constexpr const char* kDefaultRecordingFolder = "C:\\";

std::string boxText(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, " %2.2d", seconds);
    return text;
}

// A time box's first five characters as a whole number of seconds within the limit;
// nothing for anything else (a negative or a non-number counts as too much).
std::optional<int> secondsIn(std::string_view text, int limit) {
    text = text.substr(0, kTimeBoxChars);
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    const std::optional<int> value = numberIn<int>(text);
    if (!value || *value < 0 || *value > limit) return std::nullopt;
    return value;
}

bool folderExists(std::string_view folder) {
    std::string_view dir = folder.substr(0, folder.size() - 1);  // without its backslash
    if (dir.empty()) dir = "\\";
    std::error_code error;
    return std::filesystem::is_directory(
        std::filesystem::path(std::u8string(dir.begin(), dir.end())), error);
}

}  // namespace

std::string withBackslash(std::string_view folder) {
    std::string out(folder);
    if (out.empty() || out.back() != '\\') out += '\\';
    return out;
}

RecordingDialogTexts RecordingDialog::open() {
    RecordingDialogTexts texts;
    texts.path =
        app_.settings.readString("RXsavewavpath", kDefaultRecordingFolder, kRecordingPathChars + 1);
    for (std::size_t k = 0; k < kTimeBoxes.size(); ++k) {
        const TimeBox& box = kTimeBoxes[k];
        shown_.*box.seconds = app_.settings.readInt(box.key, box.defaultSeconds);
        texts.times[k] = boxText(shown_.*box.seconds);
    }
    return texts;
}

RecordingDialogResult RecordingDialog::confirm(const RecordingDialogTexts& entered) {
    RecordingSetup setup;
    for (std::size_t k = 0; k < kTimeBoxes.size(); ++k) {
        const TimeBox& box = kTimeBoxes[k];
        const std::optional<int> seconds = secondsIn(entered.times[k], box.limit);
        if (!seconds) {
            app_.ui.messageBox(box.message, kRecordingInputCaption, kMbOk);
            return {DialogBoxText{kRecordingTimeBoxes[k], boxText(shown_.*box.seconds)}, {}};
        }
        setup.times.*box.seconds = *seconds;
    }
    setup.folder = withBackslash(entered.path);
    const DialogBoxText pathShown{IDC_WAV_PATH, setup.folder};
    if (!folderExists(setup.folder)) {
        app_.ui.messageBox(kFolderMissing, kInfoCaption, kMbOk);
        return {pathShown, {}};
    }
    for (const TimeBox& box : kTimeBoxes) {
        app_.settings.writeString(
            box.key, formatSettingInt(setup.times.*box.seconds, IntFormat::fourDigits));
    }
    app_.settings.writeString("RXsavewavpath", setup.folder);
    app_.state.saveWavActive = 1;
    app_.ui.checkMenuItem(IDM_SAVE_WAV, true);
    app_.settings.writeString("RXwavsave", "1");
    return {pathShown, std::move(setup)};
}

void disarmRecording(AppPorts& app) {
    app.state.saveWavActive = 0;
    app.ui.checkMenuItem(IDM_SAVE_WAV, false);
    app.settings.writeString("RXwavsave", "0");
}

}  // namespace kestrel
