#pragma once
// What the computer Kestrel starts on offers, as the start-up checks need it. Tests give
// the facts of computers they cannot run on (Wine reports the host's processor).
namespace kestrel {

struct PlatformFacts {
    bool windows8OrLater = false;
    bool system64Bit = false;
    bool processorHasAvx = false;
};

class PlatformFactsPort {
  public:
    virtual ~PlatformFactsPort() = default;
    virtual PlatformFacts probePlatform() = 0;
};

}  // namespace kestrel
