#include "settings/ini_file.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// UTF-8 text to a path, so that non-ASCII folder names also work on Windows.
fs::path pathFromUtf8(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// The bytes of the file, read no further than one byte past the largest file taken.
IniFileState readBounded(const fs::path& path, std::string& bytes) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return IniFileState::missing;
    if (ec || status.type() != fs::file_type::regular) return IniFileState::unreadable;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kLargestIniFile) return IniFileState::tooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in) return IniFileState::unreadable;
    bytes.reserve(ec ? 0 : size);
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kLargestIniFile) return IniFileState::tooLarge;
    }
    return in.bad() ? IniFileState::unreadable : IniFileState::readable;
}

IniFile readFile(const fs::path& path) {
    IniFile file;
    std::string bytes;
    file.state = readBounded(path, bytes);
    if (file.state != IniFileState::readable) return file;
    IniDecoded decoded = decodeIniBytes(std::move(bytes));
    file.encoding = decoded.encoding;
    if (!decoded.text) {
        file.state = IniFileState::notText;
        return file;
    }
    file.text = IniText(std::move(*decoded.text));
    return file;
}

// Appending nothing opens the file for writing without changing it: the test Windows
// applies before it rewrites a profile file (a read-only file stays as it is).
bool isWritable(const fs::path& path) {
    std::ofstream probe(path, std::ios::binary | std::ios::app);
    return probe.is_open();
}

fs::path temporaryBeside(const fs::path& path) {
    static std::atomic<unsigned> counter{std::random_device{}()};
    fs::path temporary = path;
    temporary += ".tmp" + std::to_string(counter.fetch_add(1));
    return temporary;
}

bool writeWhole(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

bool replaceFile(const fs::path& path, const std::string& bytes, bool existed) {
    const fs::path temporary = temporaryBeside(path);
    std::error_code ec;
    if (!writeWhole(temporary, bytes)) {
        fs::remove(temporary, ec);
        return false;
    }
    if (existed) {
        const fs::perms perms = fs::status(path, ec).permissions();
        if (!ec) fs::permissions(temporary, perms, ec);
    }
    fs::rename(temporary, path, ec);
    if (!ec) return true;
    fs::remove(temporary, ec);
    return false;
}

// A link is followed, so that the file it points to is the one rewritten.
fs::path resolveLink(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path target = fs::weakly_canonical(path, ec);
    return ec ? fs::path() : target;
}

}  // namespace

IniFile readIniFile(const std::string& path) {
    return readFile(pathFromUtf8(path));
}

bool writeIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value) {
    const fs::path target = resolveLink(pathFromUtf8(path));
    if (target.empty()) return false;
    IniFile file = readFile(target);
    const bool existed = file.state == IniFileState::readable;
    if (!existed && file.state != IniFileState::missing) return false;
    if (existed && !isWritable(target)) return false;
    const std::string before = file.text.bytes();
    if (!file.text.setValue(section, key, value)) return false;
    if (existed && file.text.bytes() == before) return true;  // already holds that value
    return replaceFile(target, encodeIniText(file.text.bytes(), file.encoding), existed);
}

}  // namespace kestrel
