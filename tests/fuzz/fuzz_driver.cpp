// Runs a fuzz target without libFuzzer: a fixed-seed stream of random inputs and of
// mutations of earlier inputs, so a CI run is repeatable. Built with the sanitizers,
// a memory error or an undefined operation ends the run with the sanitizer's report;
// a broken invariant ends it through the target's own check.
//
//   fuzz_NAME [ITERATIONS] [SEED] [SEED_FOLDER]
//
// The files of SEED_FOLDER (the target's corpus) run first, as they stand, and start the
// pool the mutations draw from.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::mt19937_64& rng, std::size_t maxSize) {
    Bytes b(rng() % (maxSize + 1));
    // Mostly printable text with line breaks: the readers' inputs are text-like, and
    // pure noise rarely gets past their first check.
    static constexpr char kAlphabet[] = "[]=;# \t\r\nKestrel Modem Markfrequency-0123456789";
    const bool textLike = rng() % 4 != 0;
    for (auto& c : b)
        c = static_cast<std::uint8_t>(textLike ? kAlphabet[rng() % (sizeof kAlphabet - 1)] : rng());
    return b;
}

Bytes mutate(std::mt19937_64& rng, Bytes b) {
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = b.empty() ? 0 : rng() % b.size();
        const auto where = b.begin() + static_cast<std::ptrdiff_t>(at);
        const int edit = static_cast<int>(rng() % 4);
        if (edit == 1)
            b.insert(where, static_cast<std::uint8_t>(rng()));
        else if (b.empty())
            continue;
        else if (edit == 0)
            b[at] = static_cast<std::uint8_t>(rng());
        else if (edit == 2)
            b.erase(where);
        else
            b[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
    }
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    const long iterations = argc > 1 ? std::atol(argv[1]) : 20000;
    const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    std::mt19937_64 rng(seed);
    std::vector<Bytes> pool;
    if (argc > 3) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[3])) {
            std::ifstream file(entry.path(), std::ios::binary);
            Bytes seedInput((std::istreambuf_iterator<char>(file)), {});
            LLVMFuzzerTestOneInput(seedInput.data(), seedInput.size());
            pool.push_back(std::move(seedInput));
        }
    }
    for (long i = 0; i < iterations; ++i) {
        Bytes input = pool.empty() || rng() % 3 == 0 ? randomBytes(rng, 2048)
                                                     : mutate(rng, pool[rng() % pool.size()]);
        LLVMFuzzerTestOneInput(input.data(), input.size());
        if (pool.size() < 256)
            pool.push_back(std::move(input));
        else
            pool[rng() % pool.size()] = std::move(input);
    }
    std::printf("%ld inputs, seed %llu: no fault\n", iterations, seed);
    return 0;
}
