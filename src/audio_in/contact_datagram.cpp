#include "audio_in/contact_datagram.h"

#include <array>
#include <charconv>
#include <chrono>

#include "text/numbers.h"
#include "text/wide_text.h"

namespace kestrel {
namespace {

// The tags in the order each position of the text is compared with them.
enum ContactTag {
    timestampTag,
    bandTag,
    callTag,
    radioTag,
    runTag,
    contestTag,
    mycallTag,
    modeTag
};
constexpr std::array<std::string_view, 8> kContactTags{
    "<timestamp>", "<band>",        "<call>",   "<radionr>",
    "<IsRunQSO>",  "<contestname>", "<mycall>", "<mode>",
};

constexpr std::string_view kRecordingExtension = ".wav";
constexpr std::size_t kTimestampChars = 16;     // "20240715_123456Z"
constexpr std::size_t kTimestampClosedUp = 11;  // a separator after "20240715 12" is dropped

// Leading digits as a number, 0 when there are none.
int leadingNumber(std::string_view text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

bool digitsAt(std::string_view text, std::size_t from, std::size_t count) {
    for (std::size_t k = from; k < from + count; ++k) {
        if (text[k] < '0' || text[k] > '9') return false;
    }
    return true;
}

int twoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// The rewritten timestamp as seconds since 1970; nothing unless it is a real UTC time in
// the form "yyyymmdd_hhmmssZ".
std::optional<std::int64_t> contactSecondOf(std::string_view ts) {
    if (ts.size() != kTimestampChars || !digitsAt(ts, 0, 8) || ts[8] != '_' ||
        !digitsAt(ts, 9, 6) || ts[15] != 'Z')
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year(twoDigits(ts, 0) * 100 + twoDigits(ts, 2)),
                              month(static_cast<unsigned>(twoDigits(ts, 4))),
                              day(static_cast<unsigned>(twoDigits(ts, 6)))};
    const int hour = twoDigits(ts, 9);
    const int minute = twoDigits(ts, 11);
    const int second = twoDigits(ts, 13);
    if (!date.ok() || hour > 23 || minute > 59 || second > 59) return std::nullopt;
    const seconds sinceEpoch =
        sys_days(date).time_since_epoch() + hours(hour) + minutes(minute) + seconds(second);
    return sinceEpoch.count();
}

// A band or callsign as the file name holds it: "..", the characters Windows keeps out of
// file names and the control characters each become "-".
std::string fileNamePart(std::string_view text) {
    std::string out;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        if (c == '.' && k + 1 < text.size() && text[k + 1] == '.') {
            out += '-';
            ++k;
            continue;
        }
        const bool unsafe =
            c < 0x20 || c == 0x7F ||
            std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
        out += unsafe ? '-' : static_cast<char>(c);
    }
    return out;
}

// 8-bit text (each byte one character) as UTF-8.
std::string utf8FromLatin1(std::string_view text) {
    std::string out;
    for (const char c : text) appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

}  // namespace

std::string rewriteTimestamp(std::string_view value) {
    std::string out;
    for (const char c : value) {
        if (c == '-') continue;
        if (c == ' ' || c == ':') {
            if (out.size() != kTimestampClosedUp) out += ' ';
            continue;
        }
        out += c;
    }
    if (out.size() < kTimestampChars) return out;  // another form: the check refuses it
    out[13] = out[14];
    out[14] = out[15];
    out[15] = 'Z';
    out[8] = '_';
    return out;
}

std::optional<ContactDatagram> parseContactDatagram(std::string_view bytes) {
    if (bytes.size() > kMaxDatagramBytes) return std::nullopt;
    std::array<std::string_view, kContactTags.size()> values{};
    unsigned seen = 0;
    constexpr unsigned kAllSeen = (1u << kContactTags.size()) - 1;
    for (std::size_t at = 0; at < bytes.size() && seen != kAllSeen; ++at) {
        if (bytes[at] != '<') continue;
        for (std::size_t tag = 0; tag < kContactTags.size(); ++tag) {
            if (!bytes.substr(at).starts_with(kContactTags[tag])) continue;
            const std::size_t from = at + kContactTags[tag].size();
            const std::size_t end = bytes.find('<', from);
            if (end == std::string_view::npos || end == from) return std::nullopt;
            values[tag] = bytes.substr(from, end - from).substr(0, kContactFieldChars);
            seen |= 1u << tag;
            at = end - 1;
            break;
        }
    }
    if (seen != kAllSeen) return std::nullopt;

    ContactDatagram contact;
    contact.timestamp = rewriteTimestamp(values[timestampTag]);
    const std::optional<std::int64_t> second = contactSecondOf(contact.timestamp);
    const std::optional<int> radio = numberIn<int>(values[radioTag]);
    if (!second || !radio) return std::nullopt;
    contact.contactSecond = *second;
    contact.radioNumber = *radio;
    contact.run = leadingNumber(values[runTag]) >= 1;
    contact.band = (" " + std::string(values[bandTag])).substr(0, kContactFieldChars);
    contact.call = (" " + std::string(values[callTag])).substr(0, kContactFieldChars);
    return contact;
}

std::string recordingPath(std::string_view folder, const ContactDatagram& contact) {
    const std::size_t fixed =
        utf16FromUtf8(folder).size() + contact.timestamp.size() + kRecordingExtension.size();
    if (fixed > kMaxRecordingPathChars) return {};
    std::string middle =
        fileNamePart(contact.band + contact.call).substr(0, kMaxRecordingPathChars - fixed);
    if (middle.ends_with('.')) middle.back() = '-';  // no ".." before the extension either
    return std::string(folder) + contact.timestamp + utf8FromLatin1(middle) +
           std::string(kRecordingExtension);
}

}  // namespace kestrel
