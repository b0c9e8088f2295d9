#pragma once
// The identifiers of Kestrel's menu items, controls and dialogs, as the resource script
// numbers them. The core names them when it asks the user interface to check a menu
// item or change a caption; the Windows resource header repeats them for the script.

namespace kestrel {

// Main menu items.
inline constexpr int kMenuHelpPdf = 104;
inline constexpr int kMenuAbout = 105;
inline constexpr int kMenuExit = 106;
inline constexpr int kMenuTopMost = 110;
inline constexpr int kMenuSettings = 111;
inline constexpr int kMenuSquelchOn = 112;
inline constexpr int kMenuPlayWav = 114;
inline constexpr int kMenuSaveText = 115;
inline constexpr int kMenuSaveWavFile = 116;
inline constexpr int kMenuRepeatMatch = 119;
inline constexpr int kMenuSameReject = 120;
inline constexpr int kMenuContestMode = 121;
inline constexpr int kMenuNewSigNewLine = 122;

// Control-panel buttons, and the command that only hands the focus back.
inline constexpr int kAfcButton = 40031;
inline constexpr int kModeButton = 40043;
inline constexpr int kSetupButton = 40042;
inline constexpr int kPanelFocusCommand = 40030;

// Status-bar parts.
inline constexpr int kOffsetStatusPart = 0;
inline constexpr int kSignalToNoiseStatusPart = 1;
inline constexpr int kNetStatusPart = 2;
inline constexpr int kBitLengthStatusPart = 3;
inline constexpr int kRecordingStatusPart = 5;  // why a contact was not recorded
inline constexpr int kStatusParts = 6;

// The recording dialog: its folder, its Browse button and its four times.
inline constexpr int kRecordingDialog = 117;
inline constexpr int kRecordingPathBox = 40090;
inline constexpr int kRecordingBrowseButton = 40091;
inline constexpr int kRunBeforeBox = 40092;
inline constexpr int kRunAfterBox = 40093;
inline constexpr int kSnpBeforeBox = 40094;
inline constexpr int kSnpAfterBox = 40095;

}  // namespace kestrel
