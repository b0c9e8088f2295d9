#pragma once
// Resource identifiers, shared by the resource script and the code.

#define IDS_APP_TITLE 103
#define IDC_KESTREL 109
#define IDI_KESTREL 107
#define IDI_SMALL 108
#define IDS_TX_CLASS 40016
#define IDS_FFT_CLASS 40033
