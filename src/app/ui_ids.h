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

// The Settings dialog and its controls.
inline constexpr int kSettingsDialog = 1001;
inline constexpr int kInputDeviceList = 40001;
inline constexpr int kRxMonoButton = 40002;
inline constexpr int kRxLeftButton = 40003;
inline constexpr int kRxRightButton = 40004;
inline constexpr int kOutputDeviceList = 40006;
inline constexpr int kTxMonoButton = 40050;
inline constexpr int kTxLeftButton = 40051;
inline constexpr int kTxRightButton = 40052;
inline constexpr int kMarkField = 40007;
inline constexpr int kSpaceField = 40008;
inline constexpr int kTonePairButton = 40045;
inline constexpr int kSwapButton = 40011;
inline constexpr int kAfskTxButton = 40054;
inline constexpr int kDookTxButton = 40055;
inline constexpr int kTinyFskTxButton = 40057;
inline constexpr int kFskTxButton = 40058;
inline constexpr int kBaud45Button = 40047;
inline constexpr int kBaud50Button = 40048;
inline constexpr int kBaud75Button = 40049;
inline constexpr int kWidthField = 40046;
inline constexpr int kOkButton = 1;
inline constexpr int kCancelButton = 2;

// The port dialogs and their controls.
inline constexpr int kPttSetupDialog = 40069;
inline constexpr int kFskSetupDialog = 40059;
inline constexpr int kTinyPortDialog = 40070;
inline constexpr int kPortList = 40060;
inline constexpr int kFskLineDtrButton = 40061;
inline constexpr int kFskLineRtsButton = 40062;
inline constexpr int kFskLineTxdButton = 40063;
inline constexpr int kNormalButton = 40064;
inline constexpr int kInvertButton = 40065;
inline constexpr int kPttNoButton = 40066;
inline constexpr int kPttDtrButton = 40067;
inline constexpr int kPttRtsButton = 40068;
inline constexpr int kMarkHighButton = 40071;
inline constexpr int kMarkLowButton = 40072;

// The recording dialog: its folder, its Browse button and its four times.
inline constexpr int kRecordingDialog = 117;
inline constexpr int kRecordingPathBox = 40090;
inline constexpr int kRecordingBrowseButton = 40091;
inline constexpr int kRunBeforeBox = 40092;
inline constexpr int kRunAfterBox = 40093;
inline constexpr int kSnpBeforeBox = 40094;
inline constexpr int kSnpAfterBox = 40095;

}  // namespace kestrel
