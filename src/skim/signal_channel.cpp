#include "skim/signal_channel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "frontend/fir.h"
#include "frontend/mixer_phase.h"
#include "skim/catmull_rom.h"
#include "text/wide_text.h"

namespace kestrel::skim {
namespace {

constexpr double kLeastChannelRate = 3000.0;
constexpr double kSignalHalfWidthHz = 300.0;  // either side of the centre, AFC room included
constexpr double kAfcRoomHz = 20.0;           // how far the AFC may lag a drifting signal
constexpr double kLeastTransitionHz = 100.0;
// The keyed signal's low-pass: flat over the tones and 0.7 of a baud either side, stopped
// this much farther out. On the 96000 samples/s band of 100 stations, Deep copied 79
// stations within a point of alone without it, 93 with it flat to a baud; flat to 0.7 of
// a baud, a neighbour's tone 84 Hz from a faded 75 baud station's no longer breaks it in
// its fades, and a lone signal in noise copies as well. A neighbour's tone nearer than
// that is in the signal's own spectrum.
constexpr double kKeyedFlatBauds = 0.7;
constexpr double kKeyedTransitionHz = 40.0;
constexpr double kAfcBlockSeconds = 0.1;
constexpr double kAfcGain = 0.15;
constexpr double kAfcCoherence = 0.5;  // of the tones' energy, to be followed at all
// From where the signal was found (to a bin's width): a station drifts little over a call,
// and a neighbour's tone close by must not take the channel over.
constexpr double kMostDriftHz = 10.0;
constexpr double kSpeedToggle = 2.0;  // one tone over the other to call a change
constexpr std::size_t kRunsToChoose = 60;
constexpr double kHoldSeconds = 8.0;  // at most, while the speed is measured
constexpr double kHalfBitTolerance = 0.15;
// A share of runs fitting a speed that chance does not give: 2 x 0.15 of them fit any.
constexpr double kLeastSpeedFit = 0.6;
// Over a speed chosen unsure, by so much more of all the runs, to take over.
constexpr double kSpeedMargin = 0.03;
// A slower signal's runs fit a faster speed's half bits in part (a bit at 50 Bd is three
// half bits at 75), and noise fits any speed as often: a faster speed is preferred to a
// slower one only when it fits so much more of the runs.
constexpr double kFasterSpeedMargin = 0.05;
constexpr std::size_t kLongestLine = 80;
// The correlation of the tones' powers within short blocks: near -1 for one signal, near
// 0 for two. One signal once it is below kComplementary after a second; after four, one
// signal still if below kIndependent (a neighbour's tone beside one of them, beating with
// it, brings it up to about -0.15), two otherwise.
constexpr double kComplementary = -0.5;
constexpr double kIndependent = -0.1;
constexpr double kLeastKeyingSeconds = 1.0;
constexpr double kMostKeyingSeconds = 4.0;
// The AFC follows only blocks keyed as one signal: in others a neighbour's tone in the
// tones' filters would pull it off.
constexpr double kAfcKeyed = -0.3;

double wrapped(double cycles) {
    return cycles - std::floor(cycles);
}

std::complex<double> turnOf(double cycles) {
    const Phasor p = phasorOfCycles(wrapped(cycles));
    return {p.cos, p.sin};
}

// Whether a run length (in samples) is whole half bits, a bit at least, at a speed.
bool fitsHalfBits(int run, double bitSamples) {
    const double halves = 2.0 * run / bitSamples;
    const double nearest = std::round(halves);
    return nearest >= 2 && std::abs(halves - nearest) < kHalfBitTolerance;
}

// A Blackman-windowed sinc of n taps cut off at `cutoff` cycles per sample, unity at 0 Hz;
// about 74 dB down past a transition band 5.5 / n wide.
std::vector<double> lowPass(int n, double cutoff) {
    std::vector<double> taps(static_cast<std::size_t>(n));
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        const double m = i - (n - 1) / 2.0;
        const double x = 2 * std::numbers::pi * cutoff * m;
        const double sinc = m == 0 ? 1.0 : std::sin(x) / x;
        const double a = 2 * std::numbers::pi * i / (n - 1);
        const double blackman = 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2 * a);
        taps[static_cast<std::size_t>(i)] = sinc * blackman;
        sum += sinc * blackman;
    }
    for (double& t : taps) t /= sum;
    return taps;
}

int tapsFor(double transitionHz, double rate) {
    const int n = static_cast<int>(std::ceil(5.5 * rate / transitionHz));
    return std::max(8, (n + 7) / 8 * 8);
}

}  // namespace

ChannelPlan channelPlan(int inputRate, double shiftHz, std::vector<double> bauds,
                        DecoderKind decoder) {
    ChannelPlan plan;
    plan.inputRate = inputRate;
    plan.decimation = std::max(1, static_cast<int>(inputRate / kLeastChannelRate));
    plan.shiftHz = shiftHz;
    plan.bauds = std::move(bauds);
    plan.decoder = std::move(decoder);
    // The first low-pass cuts off at half the channel rate, its transition band reaching
    // from the signal's edge to where the next fold begins.
    const double channelRate = plan.channelRate();
    const double transition = std::max(channelRate - 2 * kSignalHalfWidthHz, channelRate / 4);
    plan.lowPass = lowPass(tapsFor(transition, inputRate), 0.5 * channelRate / inputRate);
    // The second, at the channel rate, keeps the signal and its AFC room and stops what
    // would fold onto the signal where the decoder's rate is lower (and what would pull
    // the AFC): flat to the keyed tones' edge, stopped from the decoder's rate less the
    // signal's half width.
    double widest = 0, stop = channelRate / 2;
    for (const double b : plan.bauds) {
        const double halfWidth = shiftHz / 2 + b;
        widest = std::max(widest, halfWidth + kAfcRoomHz);
        stop = std::min(stop, plan.decoder.sampleRate(b) - halfWidth);
    }
    stop = std::max(stop, widest + kLeastTransitionHz);
    plan.signalLowPass =
        lowPass(tapsFor(stop - widest, channelRate), 0.5 * (stop + widest) / channelRate);
    if (plan.decoder.keyedOnly)
        for (const double b : plan.bauds) {
            const double flat = shiftHz / 2 + kKeyedFlatBauds * b;
            plan.keyedLowPass.push_back(lowPass(tapsFor(kKeyedTransitionHz, channelRate),
                                                (flat + kKeyedTransitionHz / 2) / channelRate));
        }
    return plan;
}

std::complex<double> ComplexLowPass::take(std::complex<double> z) {
    if (taps_ == nullptr) return z;
    const int m = re_.size();
    re_.put(at_, z.real());
    im_.put(at_, z.imag());
    const double* re = re_.window(at_, m);
    const double* im = im_.window(at_, m);
    at_ = (at_ + 1) % m;
    return {firDot(taps_->data(), re, m), firDot(taps_->data(), im, m)};
}

SignalChannel::SignalChannel(const ChannelPlan& plan, CarrierSearch& carriers, double markHz,
                             std::int64_t opened)
    : plan_(plan),
      centreHz_(markHz + plan.shiftHz / 2),
      narrow_(plan.signalLowPass.size()),
      keyed_(plan.keyedLowPass.empty() ? 0 : plan.keyedLowPass.front().size()),
      carrier_(carriers, plan.channelRate(), plan.shiftHz / 2),
      judgedFrom_(static_cast<double>(opened) / plan.inputRate),
      sharpRuns_(plan.bauds.size()),
      smoothRuns_(plan.bauds.size()) {
    const int box = std::max(1, static_cast<int>(std::lround(plan.channelRate() / plan.shiftHz)));
    for (auto& b : markBox_) b.assign(static_cast<std::size_t>(box), {});
    for (auto& b : spaceBox_) b.assign(static_cast<std::size_t>(box), {});
    narrow_.use(plan.signalLowPass);
    // The anti-alias low-pass turned up to the signal's centre.
    const std::size_t n = plan.lowPass.size();
    tapsRe_.resize(n);
    tapsIm_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        // Tap i meets the sample n - 1 - i samples before the newest.
        const auto t = turnOf(centreHz_ * static_cast<double>(n - 1 - i) / plan.inputRate);
        tapsRe_[i] = plan.lowPass[i] * t.real();
        tapsIm_[i] = plan.lowPass[i] * t.imag();
    }
    if (plan.bauds.size() == 1) chooseSpeed(0);
}

void SignalChannel::decimated(const double* window, std::int64_t newest) {
    now_ = static_cast<double>(newest) / plan_.inputRate;
    const int n = static_cast<int>(tapsRe_.size());
    const std::complex<double> band(firDot(tapsRe_.data(), window, n),
                                    firDot(tapsIm_.data(), window, n));
    // The low-pass was turned up to the centre; turning its output down by the centre's
    // phase at the newest sample brings the centre to 0 Hz. The fine mixer follows.
    const double cycles =
        std::fmod(centreHz_ * static_cast<double>(newest), plan_.inputRate) / plan_.inputRate;
    afcPhase_ = wrapped(afcPhase_ + mixedAfcHz() / plan_.channelRate());
    const std::complex<double> z = band * std::conj(turnOf(cycles + afcPhase_));
    follow(carrier_.take(narrow_.take(z), centreHz_ + mixedAfcHz()));
}

void SignalChannel::follow(std::complex<double> z) {
    tonePhase_ = wrapped(tonePhase_ + plan_.shiftHz / 2 / plan_.channelRate());
    const auto up = turnOf(tonePhase_);
    const std::complex<double> m = z * up, s = z * std::conj(up);
    // Each tone through a box one over the shift long, whose nulls fall on the other tone,
    // then twice more for the AFC: a strong neighbour in the boxes' sidelobes, turning
    // fast, would pull it far more than its power there suggests.
    const int length = static_cast<int>(markBox_[0].size());
    for (int k = 0; k < kBoxes; ++k) {
        const std::complex<double> mIn = k == 0 ? m : markSum_[k - 1];
        const std::complex<double> sIn = k == 0 ? s : spaceSum_[k - 1];
        markSum_[k] += mIn - markBox_[k][box_];
        spaceSum_[k] += sIn - spaceBox_[k][box_];
        markBox_[k][box_] = mIn;
        spaceBox_[k][box_] = sIn;
    }
    box_ = (box_ + 1) % length;

    // Each tone turns from one sample to the next by its distance from where it should be.
    const std::complex<double> mark = markSum_[kBoxes - 1], space = spaceSum_[kBoxes - 1];
    turn_ += mark * std::conj(lastMark_) + space * std::conj(lastSpace_);
    const double mPower = std::norm(mark), sPower = std::norm(space);
    energy_ += mPower + sPower;
    sumM_ += mPower;
    sumS_ += sPower;
    sumMM_ += mPower * mPower;
    sumSS_ += sPower * sPower;
    sumMS_ += mPower * sPower;
    lastMark_ = mark;
    lastSpace_ = space;
    if (++blockCount_ >= static_cast<int>(kAfcBlockSeconds * plan_.channelRate())) {
        const bool keyedAsOne = judgeKeying();
        if (keyedAsOne && std::abs(turn_) > kAfcCoherence * energy_) {
            // The tones' turn shows where they lie from the mixers; where the mixers do not
            // follow them, the same steps of the estimate.
            const double heardHz =
                mixedAfcHz() + std::arg(turn_) * plan_.channelRate() / (2 * std::numbers::pi);
            afcHz_ += kAfcGain * (heardHz - afcHz_);
            afcHz_ = std::clamp(afcHz_, -kMostDriftHz, kMostDriftHz);
        }
        turn_ = {};
        energy_ = 0;
        blockCount_ = 0;
    }

    if (baud_ == 0) {
        measureSpeed();
        held_.push_back(z);
    } else {
        resample(keyed_.take(z));
        if (speedFit(speed_) < kLeastSpeedFit) judgeSpeedAgain();
    }
}

bool SignalChannel::judgeKeying() {
    const double n = blockCount_;
    const double covariance = sumMS_ / n - sumM_ * sumS_ / (n * n);
    const double varianceM = sumMM_ / n - sumM_ * sumM_ / (n * n);
    const double varianceS = sumSS_ / n - sumS_ * sumS_ / (n * n);
    sumM_ = sumS_ = sumMM_ = sumSS_ = sumMS_ = 0;
    if (keying_ == Keying::unknown && now_ >= judgedFrom_) {
        covariance_ += covariance;
        varianceM_ += varianceM;
        varianceS_ += varianceS;
        keyedSeconds_ += n / plan_.channelRate();
        const double correlation =
            covariance_ / std::sqrt(std::max(varianceM_ * varianceS_, 1e-300));
        if (keyedSeconds_ >= kLeastKeyingSeconds && correlation < kComplementary)
            keying_ = Keying::complementary;
        else if (keyedSeconds_ >= kMostKeyingSeconds)
            keying_ = correlation < kIndependent ? Keying::complementary : Keying::independent;
    }
    return covariance < kAfcKeyed * std::sqrt(std::max(varianceM * varianceS, 1e-300));
}

void SignalChannel::Runs::take(std::complex<double> mark, std::complex<double> space,
                               const ChannelPlan& plan) {
    ++run;
    const double m = std::norm(mark), s = std::norm(space);
    if (inSpace ? m > kSpeedToggle * s : s > kSpeedToggle * m) {
        ++taken;
        for (std::size_t k = 0; k < plan.bauds.size(); ++k) {
            const double bitSamples = plan.channelRate() / plan.bauds[k];
            if (run > 8 * bitSamples) continue;  // idle, or a pause
            ++counted[k];
            fitting[k] += fitsHalfBits(run, bitSamples);
        }
        run = 0;
        inSpace = !inSpace;
    }
}

// The share of the runs that fit whole half bits at a speed.
double SignalChannel::Runs::fit(std::size_t speed) const {
    if (counted[speed] == 0) return 0;
    return static_cast<double>(fitting[speed]) / counted[speed];
}

void SignalChannel::takeRuns() {
    sharpRuns_.take(markSum_[0], spaceSum_[0], plan_);
    smoothRuns_.take(markSum_[kBoxes - 1], spaceSum_[kBoxes - 1], plan_);
}

double SignalChannel::speedFit(std::size_t speed) const {
    return std::max(sharpRuns_.fit(speed), smoothRuns_.fit(speed));
}

std::size_t SignalChannel::bestSpeed() const {
    std::size_t best = 0;
    for (std::size_t k = 1; k < plan_.bauds.size(); ++k) {
        const double margin = plan_.bauds[k] > plan_.bauds[best] ? kFasterSpeedMargin : 0.0;
        if (speedFit(k) > speedFit(best) + margin) best = k;
    }
    return best;
}

void SignalChannel::measureSpeed() {
    takeRuns();
    const bool full = static_cast<double>(held_.size()) >= kHoldSeconds * plan_.channelRate();
    // Noise toggles the sharp decisions far more often: the smooth ones say when enough
    // of the signal has been seen.
    const std::size_t seen = sharpRuns_.taken + smoothRuns_.taken;
    if (!full && (smoothRuns_.taken < kRunsToChoose || seen == runsJudged_)) return;
    runsJudged_ = seen;
    const std::size_t best = bestSpeed();
    // Runs that fit no speed much better than chance are mostly a neighbour's or noise:
    // more of them are taken while the signal may still be held.
    if (speedFit(best) < kLeastSpeedFit && !full) return;
    chooseSpeed(best);
}

// A speed that fits its runs little better than chance (chosen for a weak signal once its
// held seconds were spent) is judged again as the runs go on: another speed that fits
// clearly better over them all takes over from then on.
void SignalChannel::judgeSpeedAgain() {
    const std::size_t before = smoothRuns_.taken;
    takeRuns();
    if (smoothRuns_.taken == before || smoothRuns_.taken % kRunsToChoose != 0) return;
    const std::size_t best = bestSpeed();
    if (best == speed_ || speedFit(best) < speedFit(speed_) + kSpeedMargin) return;
    end();
    chooseSpeed(best);
}

void SignalChannel::chooseSpeed(std::size_t speed) {
    speed_ = speed;
    baud_ = plan_.bauds[speed];
    SignalFormat format{baud_, plan_.shiftHz, plan_.decoder.sampleRate(baud_)};
    step_ = plan_.channelRate() / format.sampleRate;
    position_ = 2;
    decoder_ = plan_.decoder.make(format, *this);
    if (plan_.decoder.keyedOnly) keyed_.use(plan_.keyedLowPass[speed]);
    std::vector<std::complex<double>> held;
    held.swap(held_);
    for (const auto z : held) resample(keyed_.take(z));
}

void SignalChannel::resample(std::complex<double> z) {
    last_[0] = last_[1];
    last_[1] = last_[2];
    last_[2] = last_[3];
    last_[3] = z;
    position_ -= 1;
    // Catmull-Rom between last_[1] and last_[2]: the signal is oversampled tenfold.
    while (position_ < 1) {
        const std::array<double, 4> w = catmullRomWeights(position_);
        out_.push_back(w[0] * last_[0] + w[1] * last_[1] + w[2] * last_[2] + w[3] * last_[3]);
        position_ += step_;
    }
    decoder_->process(out_);
    out_.clear();
}

void SignalChannel::character(char16_t c) {
    if (c == u'\r' || c == u'\n') {
        end();
        return;
    }
    if (line_.empty()) {
        if (c == u' ') return;
        lineTime_ = now_;
    }
    line_ += utf8FromUnit(c);
    if (line_.size() >= kLongestLine) end();
}

void SignalChannel::end() {
    while (!line_.empty() && line_.back() == ' ') line_.pop_back();
    if (!line_.empty()) lines_.push_back({lineTime_, std::move(line_), baud_});
    line_.clear();
}

std::vector<DecodedLine> SignalChannel::takeLines() {
    std::vector<DecodedLine> taken;
    taken.swap(lines_);
    return taken;
}

}  // namespace kestrel::skim
