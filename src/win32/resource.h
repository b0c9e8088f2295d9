#pragma once
// Resource identifiers, shared by the resource script and the code. The menu items and
// panel buttons repeat app/ui_ids.h for the script; win32/resource_check.cpp holds the
// two together.

// Strings.
#define IDS_APP_TITLE 103
#define IDC_KESTREL 109
#define IDS_TX_CLASS 40016
#define IDS_FFT_CLASS 40033

// Icons, the menu and the dialogs.
#define IDI_KESTREL 107
#define IDI_SMALL 108
#define IDD_ABOUTBOX 103
#define IDD_CONTROL_PANEL 40017
#define IDD_RECORDING 117
#define IDD_SETTINGS 1001
#define IDD_PTT_SETUP 40069
#define IDD_FSK_SETUP 40059
#define IDD_TINY_PORT 40070

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

// Settings dialog.
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

// Port dialogs.
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

// Main window children.
#define IDC_STATUS_BAR 2333

// Recording dialog.
#define IDC_WAV_PATH 40090
#define IDC_WAV_BROWSE 40091
#define IDC_RUN_BEFORE 40092
#define IDC_RUN_AFTER 40093
#define IDC_SNP_BEFORE 40094
#define IDC_SNP_AFTER 40095

// About box.
#define IDC_ABOUT_VERSION 1001
#define KESTREL_VERSION_TEXT "2026.01a"
