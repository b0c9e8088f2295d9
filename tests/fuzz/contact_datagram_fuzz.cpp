// Any bytes received as a contact datagram: either not a contact, or one whose recording
// lies inside the folder under a name Windows accepts, within the path limit. The first
// byte chooses how much of a real contact stands in front of the rest (all of it: the
// rest is its callsign), so that random bytes reach the values and not only the search
// for tags.
#include <cstdint>
#include <string>
#include <string_view>

#include "audio_in/contact_datagram.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr std::string_view kContact =
    "<contactinfo><contestname>CQ-WW-RTTY</contestname><timestamp>2024-07-15 12:34:56"
    "</timestamp><mycall>XX1XX</mycall><band>14</band><mode>RTTY</mode><radionr>1</radionr>"
    "<IsRunQSO>1</IsRunQSO><call>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrel;
    if (size == 0) return 0;
    const std::size_t front = kContact.size() * (data[0] % 5) / 3;
    std::string bytes(kContact.substr(0, front));
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);
    if (front >= kContact.size()) bytes += "</call>";
    const auto contact = parseContactDatagram(bytes);
    if (!contact) return 0;
    FUZZ_CHECK(bytes.size() <= kMaxDatagramBytes);
    FUZZ_CHECK(contact->timestamp.size() == 16 && contact->timestamp[8] == '_');
    FUZZ_CHECK(contact->band.size() <= kContactFieldChars);
    FUZZ_CHECK(contact->call.size() <= kContactFieldChars);
    const std::string folder = "C:\\" + std::string(size % 230, 'f') + "\\";
    const std::string path = recordingPath(folder, *contact);
    if (path.empty()) return 0;  // no room left in a long folder
    FUZZ_CHECK(path.starts_with(folder) && path.ends_with(".wav"));
    const std::string_view name = std::string_view(path).substr(folder.size());
    FUZZ_CHECK(name.find_first_of("\\/:*?\"<>|") == std::string_view::npos);
    FUZZ_CHECK(name.find("..") == std::string_view::npos);
    for (const char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    std::size_t chars = 0;
    for (const char c : path) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    FUZZ_CHECK(chars <= kMaxRecordingPathChars);
    return 0;
}
