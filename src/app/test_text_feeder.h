#pragma once
// A bench aid: Ctrl-V in the transmit window types a fixed text file into the transmit
// buffer, as if its bytes were keys, so a long exchange can be sent without a logger.
#include <filesystem>

#include "transmit/tx_buffer.h"

namespace kestrel {

inline constexpr const char* kTestTextPath = "c:\\temp\\202407 dual calls.txt";
inline constexpr std::size_t kTestTextChunk = 20;  // bytes read at a time

// Reads the file as text, 20 bytes at a time, and adds every byte to the buffer. A file
// that cannot be opened, or gives nothing twice at the start, types nothing.
void testTextFeeder(TxBuffer& buffer, const std::filesystem::path& path);

}  // namespace kestrel
