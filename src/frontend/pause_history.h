#pragma once
// The last 720,000 processed samples (a minute at 45.45 baud), kept for the spectrum
// click that decodes them once more.
#include <vector>

namespace kestrel {

constexpr int kPauseHistoryLength = 720000;

class PauseHistory {
  public:
    // Allocated once, with the front end; 5.8 MB is too much for a thread's stack.
    PauseHistory() : samples_(kPauseHistoryLength, 0.0) {}

    void store(double x) {
        samples_[write_] = x;
        write_ = (write_ + 1) % kPauseHistoryLength;
    }

    // The replay runs from the second-oldest stored sample to the newest.
    static constexpr int kReplayLength = kPauseHistoryLength - 1;
    double replaySample(int k) const { return samples_[(write_ + 1 + k) % kPauseHistoryLength]; }

  private:
    std::vector<double> samples_;
    int write_ = 0;  // the oldest sample, next to be overwritten
};

}  // namespace kestrel
