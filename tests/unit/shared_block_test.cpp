#include "link/shared_block.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(SharedBlock, PortNamesAreCutAtACharacterBoundary) {
    EXPECT_EQ(utf8Prefix("COM7", 6), "COM7");
    EXPECT_EQ(utf8Prefix("", 6), "");
    EXPECT_EQ(utf8Prefix("\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC", 6), "\xC3\xBC\xC3\xBC\xC3\xBC");
    EXPECT_EQ(utf8Prefix("COM\xF0\x9F\x98\x80", 6), "COM");  // a 4-byte character
    EXPECT_EQ(utf8Prefix("CO\xE2\x82\xAC"
                         "12",
                         6),
              "CO\xE2\x82\xAC"
              "1");
}

}  // namespace
}  // namespace kestrel
