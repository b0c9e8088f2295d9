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
