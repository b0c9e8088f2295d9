#pragma once
// Texts the lab sends: contest exchanges as heard on the air. Each begins with CR LF as a
// transmission does; only characters both Baudot figure sets share (no ' + = or bell).
namespace kestrel::lab {

inline constexpr const char* kContestText =
    "\r\nCQ TEST DL5XYZ DL5XYZ TEST\r\n"
    "DL5XYZ DE W1AW W1AW K\r\n"
    "W1AW 599 14 14 DL5XYZ\r\n"
    "TU 599 05 CT 05 CT W1AW\r\n"
    "TU W1AW QRZ? DL5XYZ TEST\r\n"
    "DL5XYZ DE VE3ABC VE3ABC\r\n"
    "VE3ABC 599 14 14 DL5XYZ\r\n";

// Sent before a message whose error rate is measured in steady state: a receiver needs a
// few characters after noise alone to find the character timing and the levels, and
// these characters give it that time without being scored. The closing space puts a
// receiver that the noise left in figures case back into letters.
inline constexpr const char* kLeadIn = "\r\nRYRYRYRYRYRYRYRY ";

inline constexpr const char* kShortText = "\r\nCQ TEST DE W1AW W1AW K\r\n";

inline constexpr const char* kSerialText =
    "\r\nK3LR 599 0123 0123 NJ\r\n"
    "TU DE N1MM 599 0456 0456 MA\r\n"
    "G4ABC 599 0789 0789 BK\r\n";

}  // namespace kestrel::lab
