#include "decode/decoder_frame.h"

#include <algorithm>

namespace kestrel {

void DecoderFrame::slideWindows() {
    std::copy(markEnv.begin() + kDecodeBlock, markEnv.end(), markEnv.begin());
    std::copy(spaceEnv.begin() + kDecodeBlock, spaceEnv.end(), spaceEnv.begin());
}

}  // namespace kestrel
