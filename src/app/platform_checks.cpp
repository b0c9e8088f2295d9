#include "app/platform_checks.h"

namespace kestrel {

const char* platformCheckMessage(const PlatformFacts& facts) {
    if (!facts.windows8OrLater) return kNeedWindows8Message;
    if (!facts.system64Bit) return kNeed64BitMessage;
    if (!facts.processorHasAvx) return kNeedAvxMessage;
    return nullptr;
}

bool platformAccepted(PlatformFactsPort& platform, UiPort& ui) {
    const char* missing = platformCheckMessage(platform.probePlatform());
    if (missing) ui.messageBox(missing, kInfoCaption, kMbOk | kMbTopMost);
    return missing == nullptr;
}

}  // namespace kestrel
