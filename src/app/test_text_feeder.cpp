#include "app/test_text_feeder.h"

#include <array>
#include <fstream>

namespace kestrel {
namespace {

std::size_t readChunk(std::ifstream& file, std::array<char, kTestTextChunk>& chunk) {
    file.read(chunk.data(), chunk.size());
    return static_cast<std::size_t>(file.gcount());
}

}  // namespace

void testTextFeeder(TxBuffer& buffer, const std::filesystem::path& path) {
    std::ifstream file(path);
    if (!file) return;
    std::array<char, kTestTextChunk> chunk{};
    std::size_t got = readChunk(file, chunk);
    if (got == 0) {
        file.clear();
        got = readChunk(file, chunk);
    }
    while (got > 0) {
        for (std::size_t i = 0; i < got; ++i) {
            buffer.add(static_cast<std::uint8_t>(chunk[i]));
        }
        got = readChunk(file, chunk);
    }
}

}  // namespace kestrel
