// The resource script numbers its menu items and buttons with resource.h; the core
// names them with app/ui_ids.h. They must agree.
#include "app/ui_ids.h"
#include "resource.h"

namespace kestrel::win32 {

static_assert(IDM_HELP_PDF == kMenuHelpPdf && IDM_ABOUT == kMenuAbout && IDM_EXIT == kMenuExit);
static_assert(IDM_TOP_MOST == kMenuTopMost && IDM_SETTINGS == kMenuSettings &&
              IDM_SQUELCH_ON == kMenuSquelchOn);
static_assert(IDM_PLAY_WAV == kMenuPlayWav && IDM_SAVE_TEXT == kMenuSaveText &&
              IDM_SAVE_WAV == kMenuSaveWavFile);
static_assert(IDM_REPEAT_MATCH == kMenuRepeatMatch && IDM_SAME_REJECT == kMenuSameReject &&
              IDM_CONTEST_MODE == kMenuContestMode && IDM_NEW_SIG_NEW_LINE == kMenuNewSigNewLine);
static_assert(IDC_AFC_BUTTON == kAfcButton && IDC_MODE_BUTTON == kModeButton &&
              IDC_SETUP_BUTTON == kSetupButton);
static_assert(IDD_RECORDING == kRecordingDialog && IDC_WAV_PATH == kRecordingPathBox &&
              IDC_WAV_BROWSE == kRecordingBrowseButton);
static_assert(IDC_RUN_BEFORE == kRunBeforeBox && IDC_RUN_AFTER == kRunAfterBox &&
              IDC_SNP_BEFORE == kSnpBeforeBox && IDC_SNP_AFTER == kSnpAfterBox);
static_assert(IDD_SETTINGS == kSettingsDialog && IDD_PTT_SETUP == kPttSetupDialog &&
              IDD_FSK_SETUP == kFskSetupDialog && IDD_TINY_PORT == kTinyPortDialog);
static_assert(IDC_INPUT_LIST == kInputDeviceList && IDC_OUTPUT_LIST == kOutputDeviceList &&
              IDC_RX_MONO == kRxMonoButton && IDC_RX_LEFT == kRxLeftButton &&
              IDC_RX_RIGHT == kRxRightButton && IDC_TX_MONO == kTxMonoButton &&
              IDC_TX_LEFT == kTxLeftButton && IDC_TX_RIGHT == kTxRightButton);
static_assert(IDC_MARK == kMarkField && IDC_SPACE == kSpaceField &&
              IDC_TONE_PAIR == kTonePairButton && IDC_SWAP == kSwapButton &&
              IDC_WIDTH == kWidthField);
static_assert(IDC_AFSK_TX == kAfskTxButton && IDC_DOOK_TX == kDookTxButton &&
              IDC_TINYFSK_TX == kTinyFskTxButton && IDC_FSK_TX == kFskTxButton &&
              IDC_BAUD_45 == kBaud45Button && IDC_BAUD_50 == kBaud50Button &&
              IDC_BAUD_75 == kBaud75Button);
static_assert(IDC_PORT_LIST == kPortList && IDC_FSK_DTR == kFskLineDtrButton &&
              IDC_FSK_RTS == kFskLineRtsButton && IDC_FSK_TXD == kFskLineTxdButton &&
              IDC_NORMAL == kNormalButton && IDC_INVERT == kInvertButton &&
              IDC_PTT_NO == kPttNoButton && IDC_PTT_DTR == kPttDtrButton &&
              IDC_PTT_RTS == kPttRtsButton && IDC_MARK_HIGH == kMarkHighButton &&
              IDC_MARK_LOW == kMarkLowButton);

}  // namespace kestrel::win32
