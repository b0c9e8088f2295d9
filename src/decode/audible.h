#pragma once
// The level below which an input carries nothing, for every decoder: no receiver's noise
// reaches it (envelope units, a tone's mean magnitude over its samples: a tone of A file
// steps gives A / (2 * 3726); white noise of about 6 steps RMS over the whole band has
// this RMS envelope in a tone filter), while a muted or unplugged input's dither peaks
// 12 dB under it.

namespace kestrel {

constexpr double kAudible = 1e-4;

}  // namespace kestrel
