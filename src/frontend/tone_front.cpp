#include "frontend/tone_front.h"

#include "frontend/filter_design.h"
#include "frontend/fir.h"

namespace kestrel {
namespace {

const double* toneFilterFor(int decodeMode) {
    return decodeMode == kDecodeSpread ? alternativeToneFilter().data()
                                       : standardToneFilter().data();
}

}  // namespace

void ToneFront::toneFront(double x) {
    const double rate = state.sampleRate.load();
    const bool afcOn = state.afcOff.load() != 1;
    const double markOffset = afcOn ? state.markOffset.load() : 0.0;
    const double spaceOffset = afcOn ? state.spaceOffset.load() : 0.0;
    mixer.mix(x, (state.markFrequency.load() - markOffset) / rate,
              (state.spaceFrequency.load() - spaceOffset) / rate, state.rxReverse.load() == 1);

    if (mixer.j % 4 == 0) {
        mixer.decimate();
        const int d = mixer.d;
        const double* taps = toneFilterFor(state.Decodemode.load());
        const auto& in = mixer.decimated;
        const double* windows[4];
        for (int r = 0; r < 4; ++r) windows[r] = in[r].window(d, kToneFilterTaps);
        double out[4];
        firDot4(taps, windows, kToneFilterTaps, out);
        rings.markI[d] = out[ToneMixer::kPair0I];
        rings.markQ[d] = out[ToneMixer::kPair0Q];
        rings.spaceI[d] = out[ToneMixer::kPair1I];
        rings.spaceQ[d] = out[ToneMixer::kPair1Q];
        if (sink != nullptr) sink->decodeDispatch(d, rings);
        mixer.advanceDecimated();
    }
    mixer.advanceMixer();
}

}  // namespace kestrel
