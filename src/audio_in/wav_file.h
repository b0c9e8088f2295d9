#pragma once
// RIFF/WAVE files: the 44-byte-header files Kestrel writes (contact recordings, kestrel-cli
// encode), and the checks a file passes before it is played into the receive chain.
//
// A file to be played is read by its chunk list: the "fmt " chunk says what it holds and
// the "data" chunk is what plays, wherever it stands. So a file with a LIST chunk or a
// larger format chunk plays its audio and nothing else.
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace kestrel {

class UiPort;

constexpr std::size_t kWavHeaderBytes = 44;
constexpr std::int32_t kRecordingSampleRate = 8000;

// What the user is told about a file that cannot be played.
inline constexpr const char* kWavOpenFailed = "Could not open file specified";
inline constexpr const char* kWavNotWav = "Sorry not a .wav file";
inline constexpr const char* kWavUnknownVersion =
    "Sorry Kestrel does not yet work with this version of .wav file";
inline constexpr const char* kWavWrongFormat =
    "Sorry file is incorrect format\nCorrect format is 8K minimum sample rate and Mono";
inline constexpr const char* kWavNotPcm16 =
    "Sorry Kestrel plays only 16-bit PCM .wav files\nThis file holds another kind of samples";
inline constexpr const char* kWavNoData =
    "Sorry the .wav file is cut short or damaged\nNo sound data was found in it";

// And what it is told when a recording cannot be written (no caption).
inline constexpr const char* kWavSaveOpenFailed = "Files 258 Failed to open save Wav file";
inline constexpr const char* kWavSaveWriteFailed = "saveWav write errorfiles 275";

// The 44-byte header of a 16-bit PCM file of `channels` interleaved channels at
// `sampleRate` holding `sampleCount` samples in all (frames times channels). A contact
// recording is mono at 8000 samples/s.
std::array<std::uint8_t, kWavHeaderBytes> wavHeader(std::uint32_t sampleCount,
                                                    std::uint32_t sampleRate = kRecordingSampleRate,
                                                    int channels = 1);

// Writes the header and the interleaved samples; returns false when the file could not be
// written completely.
bool writeWavFile(const std::filesystem::path& path, std::span<const std::int16_t> samples,
                  std::uint32_t sampleRate, int channels);

// The same to a stream already open (standard output), which is left open.
bool writeWavStream(std::FILE* out, std::span<const std::int16_t> samples,
                    std::uint32_t sampleRate, int channels);

// Writes a contact recording (mono, 8000 samples/s). Failures are shown through ui
// (topmost, no caption); a failed write leaves the header and whatever samples were
// written. Returns true when everything was written.
bool writeWavFile(const std::filesystem::path& path, std::span<const std::int16_t> samples,
                  UiPort& ui);

// The bytes of a file to be played, read at any offset.
class ByteSource {
  public:
    // The size of a stream (a pipe), whose end is found only by reading to it.
    static constexpr std::uint64_t kStreamSize = std::uint64_t{1} << 62;

    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Copies up to out.size() bytes from offset; returns how many were copied (fewer, or 0,
    // at and past the end).
    virtual std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// Where the samples of a playable file lie.
struct WavLayout {
    std::int32_t sampleRate = 0;
    int channels = 0;
    std::uint64_t dataOffset = 0;   // first byte of the first sample
    std::uint64_t sampleCount = 0;  // whole 16-bit samples the file really holds
};

enum class WavVerdict { playable, notWav, unknownVersion, wrongFormat, notPcm16, noData };

// The message for a rejected file; nullptr when it is playable.
const char* wavVerdictMessage(WavVerdict verdict);

// Walks the chunk list of source and fills layout when the file is playable: mono, or up
// to mostChannels interleaved channels. A data size of 0 or 0xFFFFFFFF, which programs
// writing to a pipe leave in the header, means the data runs to the end.
WavVerdict inspectWav(ByteSource& source, WavLayout& layout, int mostChannels = 1);

// A file opened and checked for playing.
struct WavToPlay {
    std::unique_ptr<ByteSource> source;
    WavLayout layout;
    int channel = 0;  // of several interleaved channels, the one that plays (0 the first)
};

// Opens path (read-only) and checks it. Returns nullptr and fills file when it can be
// played, else the message to show (caption "Kestrel Error"); the file is then closed.
const char* openWavToPlay(const std::filesystem::path& path, WavToPlay& file,
                          int mostChannels = 1);
// The same for bytes from elsewhere (standard input).
const char* openWavToPlay(std::unique_ptr<ByteSource> source, WavToPlay& file,
                          int mostChannels = 1);

}  // namespace kestrel
