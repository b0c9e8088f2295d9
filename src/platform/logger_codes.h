#pragma once
// The MMTTY protocol's codes. The logger posts RXM_ commands (code n is the n-th name
// of the command list); Kestrel posts TXM_ notifications (code 32768 + n for the n-th
// name of the notification list). Both travel in the first message parameter.
#include <cstdint>

namespace kestrel {

// Commands from the logger.
inline constexpr std::uint32_t RXM_HANDLE = 0;
inline constexpr std::uint32_t RXM_REQHANDLE = 1;
inline constexpr std::uint32_t RXM_EXIT = 2;
inline constexpr std::uint32_t RXM_PTT = 3;
inline constexpr std::uint32_t RXM_CHAR = 4;
inline constexpr std::uint32_t RXM_WINPOS = 5;
inline constexpr std::uint32_t RXM_WIDTH = 6;
inline constexpr std::uint32_t RXM_REQPARA = 7;
inline constexpr std::uint32_t RXM_SETBAUD = 8;
inline constexpr std::uint32_t RXM_SETMARK = 9;
inline constexpr std::uint32_t RXM_SETSPACE = 10;
inline constexpr std::uint32_t RXM_SETSWITCH = 11;
inline constexpr std::uint32_t RXM_SETHAM = 12;
inline constexpr std::uint32_t RXM_SHOWSETUP = 13;
inline constexpr std::uint32_t RXM_SETVIEW = 14;
inline constexpr std::uint32_t RXM_SETSQLVL = 15;
inline constexpr std::uint32_t RXM_SHOW = 16;
inline constexpr std::uint32_t RXM_SETFIG = 17;
inline constexpr std::uint32_t RXM_SETRESO = 18;
inline constexpr std::uint32_t RXM_SETLPF = 19;
inline constexpr std::uint32_t RXM_SETTXDELAY = 20;
inline constexpr std::uint32_t RXM_UPDATECOM = 21;
inline constexpr std::uint32_t RXM_SUSPEND = 22;
inline constexpr std::uint32_t RXM_NOTCH = 23;
inline constexpr std::uint32_t RXM_PROFILE = 24;
inline constexpr std::uint32_t RXM_TIMER = 25;
inline constexpr std::uint32_t RXM_ENBFOCUS = 26;
inline constexpr std::uint32_t RXM_SETDEFFREQ = 27;
inline constexpr std::uint32_t RXM_SETLENGTH = 28;
inline constexpr std::uint32_t RXM_ENBSHARED = 29;

// Notifications to the logger.
inline constexpr std::uint32_t TXM_HANDLE = 32768;
inline constexpr std::uint32_t TXM_REQHANDLE = 32769;  // never sent
inline constexpr std::uint32_t TXM_START = 32770;
inline constexpr std::uint32_t TXM_CHAR = 32771;
inline constexpr std::uint32_t TXM_PTTEVENT = 32772;
inline constexpr std::uint32_t TXM_WIDTH = 32773;
inline constexpr std::uint32_t TXM_BAUD = 32774;
inline constexpr std::uint32_t TXM_MARK = 32775;
inline constexpr std::uint32_t TXM_SPACE = 32776;
inline constexpr std::uint32_t TXM_SWITCH = 32777;
inline constexpr std::uint32_t TXM_VIEW = 32778;
inline constexpr std::uint32_t TXM_LEVEL = 32779;
inline constexpr std::uint32_t TXM_FIGEVENT = 32780;
inline constexpr std::uint32_t TXM_RESO = 32781;
inline constexpr std::uint32_t TXM_LPF = 32782;
inline constexpr std::uint32_t TXM_THREAD = 32783;
inline constexpr std::uint32_t TXM_PROFILE = 32784;  // never sent
inline constexpr std::uint32_t TXM_NOTCH = 32785;
inline constexpr std::uint32_t TXM_DEFSHIFT = 32786;
inline constexpr std::uint32_t TXM_RADIOFREQ = 32787;  // never sent

// The fixed values Kestrel reports. The logger reads some of them as two 16-bit halves.
inline constexpr std::int64_t kReportedWidth = 15598040;  // 0xEE01D8: 472 and 238
inline constexpr std::int64_t kReportedBaud = 4545;       // 45.45 baud, whatever was asked
inline constexpr std::int64_t kReportedNotch = 1812;
inline constexpr std::int64_t kReportedView = 7425;           // 0x1D01
inline constexpr std::int64_t kReportedReso = 33554492;       // 0x200003C: 60 and 512
inline constexpr std::int64_t kReportedLpf = 3276870;         // 0x320046: 70 and 50
inline constexpr std::int64_t kReportedLevel = 2147450879;    // 0x7FFF7FFF
inline constexpr std::int64_t kRequestedParameters = 197758;  // 0x3047E, the RXM_REQPARA answer

}  // namespace kestrel
