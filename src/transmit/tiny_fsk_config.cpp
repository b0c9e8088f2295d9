// Opening the TinyFSK port and the set-up dialogue with the keyer.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "text/captions.h"
#include "transmit/tiny_fsk.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kTinyQueueBytes = 1024;
constexpr std::uint32_t kKeyerWakeMs = 2000;  // the keyer resets when its port opens
constexpr std::uint32_t kReplyWaitMs = 500;
constexpr std::size_t kReplyBytes = 499;  // of a 500-byte buffer, one kept for the end

const char* openFailureText(SerialOpenError error) {
    switch (error) {
        case SerialOpenError::fileNotFound:
            return "Kestrel Unable to Open TinyFSK COM port\nCOM port unavailble";
        case SerialOpenError::accessDenied:
            return "Kestrel Unable to Open TinyFSK COM port\nCOM port in use by other software?";
        default:
            return "Kestrel Unable to Open TinyFSK COM port";
    }
}

std::string upperCase(std::string_view text) {
    std::string out(text.substr(0, text.find('\0')));
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Up to kReplyBytes bytes of what has arrived; empty when nothing has or the read failed.
std::string readReply(SerialPort* port) {
    std::array<std::uint8_t, kReplyBytes> buffer{};
    std::size_t got = 0;
    if (!port || !port->read(std::span(buffer), got)) return {};
    return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
}

void message(TinyFsk& tiny, const char* text, std::string_view caption = kDefaultCaption) {
    showPortMessage(tiny.ui, text, caption, true);
}

void correctSpeed(TinyFsk& tiny, SerialPort* port, char keyerDigit) {
    std::string_view command = tinySpeedCommand(tiny.state.baudIndex.load());
    if (keyerDigit == command[1]) return;
    if (!writeAll(port, command)) message(tiny, "Tiny TX WriteFile ~4 error");
}

void correctPolarity(TinyFsk& tiny, SerialPort* port, TinyMark keyerMark,
                     std::string_view markPolarity) {
    if (keyerMark == TinyMark::missing) message(tiny, "Kestrel can't find MARK");
    if (keyerMark == TinyMark::unreadable) message(tiny, "Kestrel can't find High or LOW");
    if (keyerMark == TinyMark::high && markPolarity == "L" && !writeAll(port, "~1"))
        message(tiny, "Tiny TX WriteFile ~1 error");
    if (keyerMark == TinyMark::low && markPolarity == "H" && !writeAll(port, "~0"))
        message(tiny, "Tiny TX WriteFile ~0 error");
}

}  // namespace

TinyQueryReply parseTinyReply(std::string_view raw) {
    std::string reply = upperCase(raw);
    TinyQueryReply result;
    std::size_t query = reply.find('?');
    std::size_t speed = reply.find("SPEED", query == std::string::npos ? 0 : query);
    if (speed == std::string::npos) return result;
    result.speedField = true;
    std::size_t digit = reply.find_first_of("457", speed);
    if (digit != std::string::npos) result.speedDigit = reply[digit];
    std::size_t mark = reply.find("MARK");
    if (mark == std::string::npos) return result;
    result.mark = TinyMark::unreadable;
    if (reply.find("HIGH", mark) != std::string::npos)
        result.mark = TinyMark::high;
    else if (reply.find("LOW", mark) != std::string::npos)
        result.mark = TinyMark::low;
    return result;
}

std::string_view tinySpeedCommand(int baudIndex) {
    switch (baudIndex) {
        case 1:
            return "~5";
        case 2:
            return "~7";
        default:
            return "~4";
    }
}

int openTinyPort(TinyFsk& tiny, std::string_view portName) {
    closePort(tiny.ports.fskPort);
    closePort(tiny.ports.pttPort);
    SerialOpenError error = SerialOpenError::none;
    std::shared_ptr<SerialPort> port =
        tiny.ports.system.open(devicePath(portName), SerialAccess::plain, error);
    tiny.ports.fskPort.store(port);
    if (!port) {
        message(tiny, openFailureText(error));
        return 1;
    }
    if (!port->setTimeouts({.readInterval = kSerialMaxTimeout})) {
        message(tiny, "TinyFSK, Could not set com port time-outs");
        return 1;
    }
    port->readState();
    if (!port->buildState("9600,n,8,1")) {
        message(tiny, "DCB build failed for tinyFSK COM port");
        return 1;
    }
    if (!port->setQueueSizes(kTinyQueueBytes, kTinyQueueBytes)) {
        message(tiny, "SetupCom failed for COM port");
        return 1;
    }
    if (!port->writeState()) {
        message(tiny, "SetCommState failed for COM port");
        return 1;
    }
    tiny.state.tinyConfigured.store(0);
    return 0;
}

void tinyConfigThread(TinyFsk& tiny, std::string_view markPolarity) {
    tiny.clock.sleepMs(kKeyerWakeMs);
    std::shared_ptr<SerialPort> port = tiny.ports.fskPort.load();
    while (!readReply(port.get()).empty() && !tiny.stopRequested.load()) {
    }
    if (!writeAll(port.get(), "~?"))
        message(tiny, "Error in Writefile sending ~? to Tiny", kErrorCaption);
    tiny.clock.sleepMs(kReplyWaitMs);
    TinyQueryReply reply = parseTinyReply(readReply(port.get()));
    if (!reply.speedField) {
        message(tiny, "TinyFSK not found,\nPlease connect TinyFSK\nThen go to Kestrel setup",
                kReportCaption);
        return;
    }
    if (reply.speedDigit == 0) {
        message(tiny, "Kestrel Speed data error 263\n quitting thread early", kErrorCaption);
        return;
    }
    correctSpeed(tiny, port.get(), reply.speedDigit);
    correctPolarity(tiny, port.get(), reply.mark, markPolarity);
    tiny.state.tinyConfigured.store(1);
}

std::thread launchTinyConfigThread(TinyFsk& tiny, std::string markPolarity) {
    return std::thread(
        [&tiny, polarity = std::move(markPolarity)] { tinyConfigThread(tiny, polarity); });
}

}  // namespace kestrel
