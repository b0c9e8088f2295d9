#include "app/platform_checks.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(PlatformChecksTest, TheFirstMissingRequirementIsReported) {
    EXPECT_STREQ(platformCheckMessage({false, false, false}), "Windows 8 or newer required");
    EXPECT_STREQ(platformCheckMessage({true, false, false}), "Windows 64bit is required");
    EXPECT_STREQ(
        platformCheckMessage({true, true, false}),
        " CPU with AVX instructions required unlike this CPU\nUse Kestrel version 21.03a ");
    EXPECT_EQ(platformCheckMessage({true, true, true}), nullptr);
}

}  // namespace
}  // namespace kestrel
