#pragma once
// Captions and status texts shown by more than one part of the program: message-box
// captions, the AFC button's caption and the net part of the status bar.

namespace kestrel {

// Message-box captions.
inline constexpr const char* kErrorCaption = "Kestrel Error";
inline constexpr const char* kInfoCaption = "Kestrel Info";
inline constexpr const char* kRequestCaption = "Kestrel Request";
inline constexpr const char* kReportCaption = "Kestrel Report";

// The AFC button.
inline constexpr const char* kAfcOnCaption = "AFC on";
inline constexpr const char* kAfcOffCaption = "AFC off";

// The net part of the status bar.
inline constexpr const char* kNetOnStatus = "Net On";
inline constexpr const char* kNetOffStatus = "Net Off";
inline constexpr const char* kFskStatus = "  FSK";

}  // namespace kestrel
