#include "link/logger_code_names.h"

#include <array>

#include "platform/logger_codes.h"

namespace kestrel {
namespace {

struct CodeName {
    std::uint32_t code;
    std::string_view name;
};

#define KESTREL_CODE_NAME(code) \
    CodeName {                  \
        code, #code             \
    }

constexpr std::array kCodeNames{
    KESTREL_CODE_NAME(RXM_HANDLE),     KESTREL_CODE_NAME(RXM_REQHANDLE),
    KESTREL_CODE_NAME(RXM_EXIT),       KESTREL_CODE_NAME(RXM_PTT),
    KESTREL_CODE_NAME(RXM_CHAR),       KESTREL_CODE_NAME(RXM_WINPOS),
    KESTREL_CODE_NAME(RXM_WIDTH),      KESTREL_CODE_NAME(RXM_REQPARA),
    KESTREL_CODE_NAME(RXM_SETBAUD),    KESTREL_CODE_NAME(RXM_SETMARK),
    KESTREL_CODE_NAME(RXM_SETSPACE),   KESTREL_CODE_NAME(RXM_SETSWITCH),
    KESTREL_CODE_NAME(RXM_SETHAM),     KESTREL_CODE_NAME(RXM_SHOWSETUP),
    KESTREL_CODE_NAME(RXM_SETVIEW),    KESTREL_CODE_NAME(RXM_SETSQLVL),
    KESTREL_CODE_NAME(RXM_SHOW),       KESTREL_CODE_NAME(RXM_SETFIG),
    KESTREL_CODE_NAME(RXM_SETRESO),    KESTREL_CODE_NAME(RXM_SETLPF),
    KESTREL_CODE_NAME(RXM_SETTXDELAY), KESTREL_CODE_NAME(RXM_UPDATECOM),
    KESTREL_CODE_NAME(RXM_SUSPEND),    KESTREL_CODE_NAME(RXM_NOTCH),
    KESTREL_CODE_NAME(RXM_PROFILE),    KESTREL_CODE_NAME(RXM_TIMER),
    KESTREL_CODE_NAME(RXM_ENBFOCUS),   KESTREL_CODE_NAME(RXM_SETDEFFREQ),
    KESTREL_CODE_NAME(RXM_SETLENGTH),  KESTREL_CODE_NAME(RXM_ENBSHARED),
    KESTREL_CODE_NAME(TXM_HANDLE),     KESTREL_CODE_NAME(TXM_REQHANDLE),
    KESTREL_CODE_NAME(TXM_START),      KESTREL_CODE_NAME(TXM_CHAR),
    KESTREL_CODE_NAME(TXM_PTTEVENT),   KESTREL_CODE_NAME(TXM_WIDTH),
    KESTREL_CODE_NAME(TXM_BAUD),       KESTREL_CODE_NAME(TXM_MARK),
    KESTREL_CODE_NAME(TXM_SPACE),      KESTREL_CODE_NAME(TXM_SWITCH),
    KESTREL_CODE_NAME(TXM_VIEW),       KESTREL_CODE_NAME(TXM_LEVEL),
    KESTREL_CODE_NAME(TXM_FIGEVENT),   KESTREL_CODE_NAME(TXM_RESO),
    KESTREL_CODE_NAME(TXM_LPF),        KESTREL_CODE_NAME(TXM_THREAD),
    KESTREL_CODE_NAME(TXM_PROFILE),    KESTREL_CODE_NAME(TXM_NOTCH),
    KESTREL_CODE_NAME(TXM_DEFSHIFT),   KESTREL_CODE_NAME(TXM_RADIOFREQ),
};

#undef KESTREL_CODE_NAME

}  // namespace

std::string mmttyCodeName(std::uint32_t code) {
    for (const CodeName& entry : kCodeNames) {
        if (entry.code == code) return std::string(entry.name);
    }
    return std::to_string(code);
}

std::optional<std::uint32_t> mmttyCodeNamed(std::string_view name) {
    for (const CodeName& entry : kCodeNames) {
        if (entry.name == name) return entry.code;
    }
    return std::nullopt;
}

}  // namespace kestrel
