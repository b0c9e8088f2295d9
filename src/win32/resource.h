#pragma once
// Resource identifiers, shared by the resource script and the shell. The menu items,
// buttons and dialogs that the core names too are in text/ui_ids.h.
#include "text/ui_ids.h"

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

// Main window children.
#define IDC_STATUS_BAR 2333

// About box.
#define IDC_ABOUT_VERSION 1001
#define KESTREL_VERSION_TEXT "2026.01a"
