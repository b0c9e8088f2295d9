#pragma once
// The datagram a contest logger sends for every contact it logs: XML text, of which
// Kestrel reads eight tags. They give the contact's time, band and callsign (the name of
// its recording), the radio that worked it and whether it was a RUN contact.
//
// Everything here comes from the network: a datagram that is too long, lacks a tag,
// leaves a tag without a value or gives its time in another form is not a contact.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr std::size_t kMaxDatagramBytes = 2048;
// Each value is kept in a field of 40 characters: 39 and a terminator.
inline constexpr std::size_t kContactFieldChars = 39;
// The longest path Windows opens without its long-path prefix, terminator excluded.
inline constexpr std::size_t kMaxRecordingPathChars = 259;

struct ContactDatagram {
    std::string timestamp;  // rewritten, "20240715_123456Z"
    std::string band;       // with its leading space, " 14"
    std::string call;       // with its leading space, " XX9XX"
    int radioNumber = 0;
    bool run = false;            // a RUN contact; else search and pounce
    std::int64_t contactSecond;  // the timestamp as seconds since 1970, UTC
};

// The eight tags read from the bytes of one datagram, treated as 8-bit text; nothing when
// it is not a contact.
std::optional<ContactDatagram> parseContactDatagram(std::string_view bytes);

// The logger's "2024-07-15 12:34:56" as the first part of a file name, "20240715_123456Z":
// dashes dropped, the separators after the hour and the minute closed up, "Z" appended.
std::string rewriteTimestamp(std::string_view value);

// The full path of the contact's recording in folder (which ends in a backslash): the
// timestamp, band and call followed by ".wav", as UTF-8. Every character a Windows file
// name cannot hold, and every "..", becomes "-", so the file lies in folder whatever the
// datagram said; band and call are cut so that the path stays within 259 characters.
// Empty when not even the timestamp fits.
std::string recordingPath(std::string_view folder, const ContactDatagram& contact);

}  // namespace kestrel
