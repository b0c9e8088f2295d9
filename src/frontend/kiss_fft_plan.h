#pragma once
// One KISS FFT set-up of a fixed size and direction, released with its owner.
#include <kiss_fft.h>

#include <memory>

namespace kestrel {

class KissFftPlan {
  public:
    KissFftPlan(int size, bool inverse)
        : cfg_(kiss_fft_alloc(size, inverse ? 1 : 0, nullptr, nullptr)) {}
    bool valid() const { return cfg_ != nullptr; }
    void run(const kiss_fft_cpx* in, kiss_fft_cpx* out) const { kiss_fft(cfg_.get(), in, out); }

  private:
    struct Free {
        void operator()(kiss_fft_state* cfg) const { kiss_fft_free(cfg); }
    };
    std::unique_ptr<kiss_fft_state, Free> cfg_;
};

}  // namespace kestrel
