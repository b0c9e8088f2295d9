#include "app/ini_file.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "app/ini_text.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// UTF-8 text to a path, so that non-ASCII folder names also work on Windows.
fs::path pathFromUtf8(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

IniFileState readWhole(const fs::path& path, std::string& bytes) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return IniFileState::missing;
    if (ec || status.type() != fs::file_type::regular) return IniFileState::unreadable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return IniFileState::unreadable;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? IniFileState::unreadable : IniFileState::readable;
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

IniFileState iniFileState(const std::string& path) {
    std::string bytes;
    return readWhole(pathFromUtf8(path), bytes);
}

std::optional<std::string> readIniValue(const std::string& path, std::string_view section,
                                        std::string_view key) {
    std::string bytes;
    if (readWhole(pathFromUtf8(path), bytes) != IniFileState::readable) return std::nullopt;
    return IniText(std::move(bytes)).value(section, key);
}

bool writeIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value) {
    const fs::path file = resolveLink(pathFromUtf8(path));
    if (file.empty()) return false;
    std::string bytes;
    const IniFileState state = readWhole(file, bytes);
    if (state == IniFileState::unreadable) return false;
    const bool existed = state == IniFileState::readable;
    if (existed && !isWritable(file)) return false;
    IniText text(bytes);
    if (!text.setValue(section, key, value)) return false;
    if (existed && text.bytes() == bytes) return true;  // already holds that value
    return replaceFile(file, text.bytes(), existed);
}

}  // namespace kestrel
