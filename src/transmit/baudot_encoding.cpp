#include "transmit/baudot_encoding.h"

namespace kestrel {

// clang-format off
const std::array<BaudotCode, 64> baudotTable = {
    // space !     "     #     $     %     &     '
    0x1B, 0x32, 0x3A, 0x2B, 0x36, 0x7F, 0x25, 0x34,
    // (   )     *     +     ,     -     .     /
    0x30, 0x2D, 0x7F, 0x2E, 0x33, 0x3C, 0x23, 0x22,
    // 0   1     2     3     4     5     6     7
    0x29, 0x28, 0x2C, 0x3E, 0x35, 0x2F, 0x2A, 0x38,
    // 8   9     :     ;     <     =     >     ?
    0x39, 0x27, 0x31, 0x7F, 0x7F, 0x21, 0x7F, 0x26,
    // @   A     B     C     D     E     F     G
    0x7F, 0x1C, 0x06, 0x11, 0x16, 0x1E, 0x12, 0x05,
    // H   I     J     K     L     M     N     O
    0x0B, 0x19, 0x14, 0x10, 0x0D, 0x03, 0x13, 0x07,
    // P   Q     R     S     T     U     V     W
    0x09, 0x08, 0x15, 0x1A, 0x0F, 0x18, 0x01, 0x0C,
    // X   Y     Z     [     \     ]     ^     _
    0x02, 0x0A, 0x0E, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F,
};
// clang-format on

BaudotCode encodeBaudot(std::uint8_t character) {
    if (character == '\r') return kBaudotCr;
    if (character == '\n') return kBaudotLf;
    if (character < 0x20 || character > 0x7A) return kNoBaudotCode;
    if (character >= 'a') character = static_cast<std::uint8_t>(character - 0x20);
    if (character > 0x5F) return kNoBaudotCode;  // the grave accent
    return baudotTable[character - 0x20];
}

}  // namespace kestrel
