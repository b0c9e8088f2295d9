#pragma once
// The scalars that several threads share: written by one side, polled by the others.
// Each is an atomic so the lock-free hand-over is defined behaviour; the names are the
// program's own. The running program owns one ModemState inside Modem; tests make
// their own.
#include <atomic>
#include <cstdint>

namespace kestrel {

constexpr std::uint32_t kNoDevice = 65535;

// TXmode: how a transmission leaves Kestrel. The first three are sound-card modes; Net
// (the transmitter following the receive AFC) applies to the first two.
enum TxMode : int {
    kAfskMode = 0,
    kDookMode = 1,
    kPfskMode = 2,
    kFskMode = 3,  // keying a COM line
    kTinyFskMode = 4,
};
inline constexpr int kTxModes = 5;
inline bool soundCardMode(int txMode) {
    return txMode < kFskMode;
}
inline bool netCapableMode(int txMode) {
    return txMode < kPfskMode;
}

// Decodemode: which decoder runs, and which tone filters feed it.
enum DecodeMode : int {
    kDecodeFlutter = 0,
    kDecodeSelectiv = 1,
    kDecodeSpread = 2,
    kDecodeDeep = 3,
};
inline constexpr int kDecodeModes = 4;

// txState: the phases of a transmission, walked in this order and back to idle. The
// decoders rest from kTxSending on.
enum TxPhase : int {
    kTxIdle = 0,            // receiving
    kTxRequested = 1,       // first preamble frame due, PTT goes on
    kTxSecondPreamble = 2,  // second preamble frame due
    kTxSending = 3,         // sending characters
    kTxEndRequested = 4,    // send what is buffered, then end
    kTxClosing = 5,         // buffer drained, closing frame due
};

// The tones the operator and the logger may set, in Hz, both ends included.
constexpr int kLowestTone = 250;
constexpr int kHighestTone = 3000;

// captureState: never opened, capturing.
inline constexpr int kCaptureNeverOpened = 0;
inline constexpr int kCapturing = 1;
// txSoundState: unavailable or being reopened, open and ready.
inline constexpr int kSoundUnavailable = 0;
inline constexpr int kSoundReady = 1;
// In both, kReopenRequest asks the device's supervisor to close and reopen it; the
// supervisor takes any value from kReopenThreshold up as such a request.
inline constexpr int kReopenThreshold = 2;
inline constexpr int kReopenRequest = 3;

// The switch word (N1MM_SWITCH) when the settings file has none: squelch on, AFC on, Net
// off.
inline constexpr int kDefaultSwitchWord = 13478;

struct ModemState {
    // Tones and speed.
    std::atomic<double> markFrequency{2125.0};
    std::atomic<double> spaceFrequency{2295.0};
    std::atomic<int> baudIndex{0};
    std::atomic<int> sampleRate{12000};

    // Modes and switches.
    std::atomic<int> TXmode{kDookMode};
    std::atomic<int> Decodemode{kDecodeSelectiv};
    std::atomic<int> switchWord{kDefaultSwitchWord};
    std::atomic<int> afcOff{0};
    std::atomic<int> netOn{0};
    std::atomic<int> rxReverse{0};
    std::atomic<int> SquelchState{0};
    std::atomic<int> CorrelateState{1};
    std::atomic<int> CorrelateStateSame{1};
    std::atomic<int> Contest{1};
    std::atomic<int> NewsigNewline{0};
    std::atomic<int> bitOrSymbol{0};
    std::atomic<int> FFTDisplay{115};
    std::atomic<int> topMost{0};

    // Sound devices and channels.
    std::atomic<int> RXChannel{1};
    std::atomic<int> TXChannel{0};
    std::atomic<std::uint32_t> rxDeviceId{kNoDevice};
    std::atomic<std::uint32_t> txDeviceId{kNoDevice};
    // Transmit output: 0 unavailable or being reopened, 1 ready, 2 or more reopen requested.
    std::atomic<int> txSoundState{0};

    // AFC corrections in Hz, and the one the transmitter applies when Net is on.
    std::atomic<double> markOffset{0.0};
    std::atomic<double> spaceOffset{0.0};
    std::atomic<double> averageOffset{0.0};
    std::atomic<double> txToneOffset{0.0};

    // Who feeds the receive chain, and what the transmitter is doing.
    std::atomic<int> captureState{0};
    std::atomic<int> wavPlaying{0};
    std::atomic<int> pauseState{0};
    std::atomic<int> txState{kTxIdle};  // a TxPhase
    std::atomic<int> saveTextActive{0};
    std::atomic<int> saveWavActive{0};

    // Serial lines.
    std::atomic<int> pttLine{0};
    std::atomic<int> fskLine{0};
    std::atomic<int> fskInvert{0};
    std::atomic<int> tinyConfigured{0};  // the TinyFSK keyer's speed and polarity are set

    // Logger link: what the ident thread learns from the logger's window titles.
    std::atomic<int> diNumber{0};
    std::atomic<int> switchesLocked{0};
};

}  // namespace kestrel
