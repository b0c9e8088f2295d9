#pragma once
// A ring of N doubles kept twice over, so that the most recent samples (up to N of them)
// always lie contiguous in memory, oldest first. The FIR loops over the rings then run
// straight through an array and vectorise.
#include <array>
#include <cstddef>
#include <vector>

namespace kestrel {

template <int N>
struct MirroredRing {
    static constexpr int kSize = N;
    std::array<double, 2 * N> v{};

    void put(int index, double x) {
        v[index] = x;
        v[index + N] = x;
    }
    double operator[](int index) const { return v[index]; }
    // The `count` samples ending at `newest`, oldest first; count is at most N.
    const double* window(int newest, int count) const { return v.data() + newest + N + 1 - count; }
};

// The same, its length chosen at run time.
class MirroredBuffer {
  public:
    explicit MirroredBuffer(int n = 0) : n_(n), v_(2 * static_cast<std::size_t>(n)) {}
    int size() const { return n_; }
    void put(int index, double x) {
        v_[static_cast<std::size_t>(index)] = x;
        v_[static_cast<std::size_t>(index + n_)] = x;
    }
    // The `count` samples ending at `newest`, oldest first; count is at most size().
    const double* window(int newest, int count) const {
        return v_.data() + newest + n_ + 1 - count;
    }

  private:
    int n_;
    std::vector<double> v_;
};

}  // namespace kestrel
