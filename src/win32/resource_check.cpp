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

}  // namespace kestrel::win32
