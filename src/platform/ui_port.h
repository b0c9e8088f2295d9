#pragma once
// What the core asks of the user interface. Texts are UTF-8; the Win32 shell converts
// them at its boundary. Message boxes raised from a worker thread are modal on that
// thread, as on Windows.
#include <string_view>

namespace kestrel {

// Message-box flags, with the values of the Windows API so the shell can pass them on.
enum MessageBoxFlags : unsigned {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconWarning = 0x30,
    kMbIconInformation = 0x40,
    kMbSetForeground = 0x10000,
    kMbTopMost = 0x40000,
};

// Message-box results, Windows values.
enum MessageBoxResult : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// The status bar's parts, as setStatusText numbers them: the tuning offset, the
// signal-to-noise figure, the net state, the measured bit length and notices (why a
// contact was not recorded, why a transmission was ended); part 4 stays empty.
enum StatusPart : int {
    kOffsetStatusPart = 0,
    kSignalToNoiseStatusPart = 1,
    kNetStatusPart = 2,
    kBitLengthStatusPart = 3,
    kNoticeStatusPart = 5,  // why a contact was not recorded, or a transmission ended
};
inline constexpr int kStatusParts = 6;

class UiPort {
  public:
    virtual ~UiPort() = default;
    virtual int messageBox(std::string_view text, std::string_view caption, unsigned flags) = 0;
    virtual void setStatusText(int part, std::string_view text) = 0;
    virtual void setControlCaption(int controlId, std::string_view text) = 0;
    virtual void checkMenuItem(int itemId, bool checked) = 0;
    virtual void enableMenuItem(int itemId, bool enabled) = 0;
    virtual void setWindowTitle(std::string_view title) = 0;
    virtual void requestSpectrumRepaint() = 0;
};

// A user interface without a window (the command line, the test lab): status texts,
// captions, menu marks, the title and the spectrum have nowhere to go. Message boxes
// are still the owner's to show.
class WindowlessUi : public UiPort {
  public:
    void setStatusText(int, std::string_view) override {}
    void setControlCaption(int, std::string_view) override {}
    void checkMenuItem(int, bool) override {}
    void enableMenuItem(int, bool) override {}
    void setWindowTitle(std::string_view) override {}
    void requestSpectrumRepaint() override {}
};

}  // namespace kestrel
