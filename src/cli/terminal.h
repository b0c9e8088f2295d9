#pragma once
// Progress on stderr, shown only when stderr is a terminal (so pipes and logs stay clean).
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kestrel::cli {

inline bool stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

class Progress {
  public:
    Progress(bool enabled, double totalSeconds) : enabled_(enabled), total_(totalSeconds) {}

    // Called with the audio time reached; redraws once per whole second.
    void show(double seconds) {
        if (!enabled_ || static_cast<long>(seconds) == shown_) return;
        shown_ = static_cast<long>(seconds);
        std::fprintf(stderr, "\r%8.0f / %.0f s", seconds, total_);
    }
    void finish() {
        if (enabled_ && shown_ >= 0) std::fputs("\r                              \r", stderr);
    }

  private:
    bool enabled_;
    double total_;
    long shown_ = -1;
};

}  // namespace kestrel::cli
