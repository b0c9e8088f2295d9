#include "audio_in/contact_listener.h"

#include <array>
#include <string>

#include "text/captions.h"
#include "text/ui_ids.h"

namespace kestrel {
namespace {

void showError(UiPort& ui, const std::string& text, unsigned flags = kMbOk | kMbTopMost) {
    ui.messageBox(text, kErrorCaption, flags);
}

// "%d, %d  " with the failing call's result and error code, then the text.
std::string callFailure(const SocketCall& call, const char* text) {
    return std::to_string(call.result) + ", " + std::to_string(call.error) + "  " + text;
}

// One received datagram: booked when it is a contact of this radio.
void takeDatagram(const ContactListenerLinks& links, const RecordingSetup& setup,
                  std::string_view bytes) {
    const std::optional<ContactDatagram> contact = parseContactDatagram(bytes);
    if (!contact || contact->radioNumber != links.state.diNumber) return;
    const Booking booking = links.recorder.book(*contact, setup, links.utcSecond());
    if (const char* message = bookingMessage(booking))
        links.ui.setStatusText(kNoticeStatusPart, message);
}

// Sets the socket up; false (disarmed, the reason shown) when it cannot listen.
bool openListener(const ContactListenerLinks& links) {
    if (links.udp.startup() != 0) {
        links.state.saveWavActive = 0;
        showError(links.ui, kStartupFailed);
        return false;
    }
    if (!links.udp.openSocket()) {
        links.state.saveWavActive = 0;
        showError(links.ui, kSocketFailed);
        links.udp.cleanup();
        return false;
    }
    const SocketCall reuse = links.udp.reuseAddress();
    if (reuse.result != 0) showError(links.ui, callFailure(reuse, kReuseFailed));
    const SocketCall bound = links.udp.bind(kContactBasePort + links.state.diNumber);
    if (bound.result == 0) return true;
    links.state.saveWavActive = 0;
    showError(links.ui, callFailure(bound, kBindFailed));
    if (!links.udp.closeSocket()) showError(links.ui, kCloseFailed, kMbOk);
    links.udp.cleanup();
    return false;
}

}  // namespace

void contactListener(const ContactListenerLinks& links, const RecordingSetup& setup,
                     const std::atomic<bool>& stop) {
    if (openListener(links)) {
        // One byte more than a contact can have, so that a longer datagram shows itself.
        std::array<char, kMaxDatagramBytes + 1> buffer;
        while (links.state.saveWavActive == 1 && !stop) {
            if (!links.udp.waitForDatagram(kListenerPollMs)) continue;
            const SocketCall received = links.udp.receive(buffer);
            if (received.result < 0) {
                showError(links.ui, callFailure(received, kReceiveFailed));
                continue;
            }
            takeDatagram(
                links, setup,
                std::string_view(buffer.data(), static_cast<std::size_t>(received.result)));
        }
        if (!links.udp.closeSocket()) showError(links.ui, kCloseFailed, kMbOk);
        links.udp.cleanup();
    }
    links.ui.checkMenuItem(IDM_SAVE_WAV, false);
}

}  // namespace kestrel
