#pragma once
// The identifiers of Kestrel's menu items, controls and dialogs: the resource script
// numbers its menu and dialogs with them, and the core names them when it asks the user
// interface to check a menu item or change a caption. Defined once, here, as the
// preprocessor names the resource compiler reads.

// Main menu items.
#define IDM_HELP_PDF 104
#define IDM_ABOUT 105
#define IDM_EXIT 106
#define IDM_TOP_MOST 110
#define IDM_SETTINGS 111
#define IDM_SQUELCH_ON 112
#define IDM_PLAY_WAV 114
#define IDM_SAVE_TEXT 115
#define IDM_SAVE_WAV 116
#define IDM_REPEAT_MATCH 119
#define IDM_SAME_REJECT 120
#define IDM_CONTEST_MODE 121
#define IDM_NEW_SIG_NEW_LINE 122

// Control-panel buttons.
#define IDC_AFC_BUTTON 40031
#define IDC_MODE_BUTTON 40043
#define IDC_SETUP_BUTTON 40042

// The Settings dialog and its controls.
#define IDD_SETTINGS 1001
#define IDC_INPUT_LIST 40001
#define IDC_RX_MONO 40002
#define IDC_RX_LEFT 40003
#define IDC_RX_RIGHT 40004
#define IDC_OUTPUT_LIST 40006
#define IDC_TX_MONO 40050
#define IDC_TX_LEFT 40051
#define IDC_TX_RIGHT 40052
#define IDC_MARK 40007
#define IDC_SPACE 40008
#define IDC_TONE_PAIR 40045
#define IDC_SWAP 40011
#define IDC_AFSK_TX 40054
#define IDC_DOOK_TX 40055
#define IDC_TINYFSK_TX 40057
#define IDC_FSK_TX 40058
#define IDC_BAUD_45 40047
#define IDC_BAUD_50 40048
#define IDC_BAUD_75 40049
#define IDC_WIDTH 40046

// The port dialogs and their controls.
#define IDD_PTT_SETUP 40069
#define IDD_FSK_SETUP 40059
#define IDD_TINY_PORT 40070
#define IDC_PORT_LIST 40060
#define IDC_FSK_DTR 40061
#define IDC_FSK_RTS 40062
#define IDC_FSK_TXD 40063
#define IDC_NORMAL 40064
#define IDC_INVERT 40065
#define IDC_PTT_NO 40066
#define IDC_PTT_DTR 40067
#define IDC_PTT_RTS 40068
#define IDC_MARK_HIGH 40071
#define IDC_MARK_LOW 40072

// The recording dialog: its folder, its Browse button and its four times.
#define IDD_RECORDING 117
#define IDC_WAV_PATH 40090
#define IDC_WAV_BROWSE 40091
#define IDC_RUN_BEFORE 40092
#define IDC_RUN_AFTER 40093
#define IDC_SNP_BEFORE 40094
#define IDC_SNP_AFTER 40095

#ifndef RC_INVOKED
namespace kestrel {

// The command that only hands the focus back to the main window, and the dialogs' OK
// and Cancel (the system's own numbers, which the resource script takes from it).
inline constexpr int kPanelFocusCommand = 40030;
inline constexpr int kOkButton = 1;
inline constexpr int kCancelButton = 2;

}  // namespace kestrel
#endif
