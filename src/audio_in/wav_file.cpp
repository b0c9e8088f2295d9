#include "audio_in/wav_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/ui_port.h"

namespace kestrel {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kFormatBytes = 16;            // the fields every "fmt " chunk has
constexpr std::size_t kExtensibleFormatBytes = 40;  // with the sub-format GUID at 24

void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t get32(const std::uint8_t* p) {
    return get16(p) | (static_cast<std::uint32_t>(get16(p + 2)) << 16);
}

bool tagIs(const std::uint8_t* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

class FileByteSource final : public ByteSource {
  public:
    explicit FileByteSource(const std::filesystem::path& path) : in_(path, std::ios::binary) {
        if (!in_.is_open()) return;
        in_.seekg(0, std::ios::end);
        const std::streamoff end = in_.tellg();
        size_ = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }

    bool isOpen() const { return in_.is_open(); }

    std::uint64_t size() const override { return size_; }

    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset >= size_ || out.empty()) return 0;
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), size_ - offset));
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(n));
        return static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
    }

  private:
    std::ifstream in_;
    std::uint64_t size_ = 0;
};

// Checks the "fmt " chunk whose body starts at offset and is size bytes long.
WavVerdict checkFormat(ByteSource& source, std::uint64_t offset, std::uint32_t size,
                       WavLayout& layout, int mostChannels) {
    std::array<std::uint8_t, kExtensibleFormatBytes> f{};
    const std::size_t wanted =
        size >= kExtensibleFormatBytes ? kExtensibleFormatBytes : kFormatBytes;
    if (size < kFormatBytes || source.readAt(offset, std::span(f).first(wanted)) < wanted)
        return WavVerdict::noData;
    const std::uint16_t format = get16(&f[0]);
    layout.channels = get16(&f[2]);
    layout.sampleRate = static_cast<std::int32_t>(get32(&f[4]));
    const std::uint16_t bits = get16(&f[14]);
    if (layout.sampleRate < kRecordingSampleRate || layout.channels < 1 ||
        layout.channels > mostChannels)
        return WavVerdict::wrongFormat;
    // An extensible format is PCM when its sub-format GUID begins with the PCM tag.
    const bool pcm =
        format == kFormatPcm || (format == kFormatExtensible && wanted == kExtensibleFormatBytes &&
                                 get16(&f[24]) == kFormatPcm);
    return pcm && bits == 16 ? WavVerdict::playable : WavVerdict::notPcm16;
}

}  // namespace

std::array<std::uint8_t, kWavHeaderBytes> wavHeader(std::uint32_t sampleCount,
                                                    std::uint32_t sampleRate, int channels) {
    const std::uint32_t dataBytes = 2 * sampleCount;
    const auto blockAlign = static_cast<std::uint32_t>(2 * channels);
    std::array<std::uint8_t, kWavHeaderBytes> h{};
    std::memcpy(&h[0], "RIFF", 4);
    put32(&h[4], 36 + dataBytes);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    put32(&h[16], 16);
    put16(&h[20], kFormatPcm);
    put16(&h[22], static_cast<std::uint32_t>(channels));
    put32(&h[24], sampleRate);
    put32(&h[28], sampleRate * blockAlign);
    put16(&h[32], blockAlign);
    put16(&h[34], 16);
    std::memcpy(&h[36], "data", 4);
    put32(&h[40], dataBytes);
    return h;
}

namespace {

enum class WriteResult { written, openFailed, writeFailed };

// The header and the samples, little-endian whatever the machine, a block at a time
// through put(bytes, count), which returns false when the write failed.
template <class Put>
bool putWav(Put&& put, std::span<const std::int16_t> samples, std::uint32_t sampleRate,
            int channels) {
    const auto header = wavHeader(static_cast<std::uint32_t>(samples.size()), sampleRate, channels);
    bool good = put(header.data(), header.size());
    std::array<std::uint8_t, 4096> block{};
    for (std::size_t i = 0; i < samples.size() && good;) {
        std::size_t n = 0;
        for (; n < block.size() && i < samples.size(); n += 2, ++i)
            put16(&block[n], static_cast<std::uint16_t>(samples[i]));
        good = put(block.data(), n);
    }
    return good;
}

WriteResult writeWav(const std::filesystem::path& path, std::span<const std::int16_t> samples,
                     std::uint32_t sampleRate, int channels) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return WriteResult::openFailed;
    putWav(
        [&](const std::uint8_t* bytes, std::size_t n) {
            out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(n));
            return out.good();
        },
        samples, sampleRate, channels);
    out.flush();
    return out.good() ? WriteResult::written : WriteResult::writeFailed;
}

}  // namespace

bool writeWavFile(const std::filesystem::path& path, std::span<const std::int16_t> samples,
                  std::uint32_t sampleRate, int channels) {
    return writeWav(path, samples, sampleRate, channels) == WriteResult::written;
}

bool writeWavStream(std::FILE* out, std::span<const std::int16_t> samples,
                    std::uint32_t sampleRate, int channels) {
    const bool put = putWav(
        [&](const std::uint8_t* bytes, std::size_t n) {
            return std::fwrite(bytes, 1, n, out) == n;
        },
        samples, sampleRate, channels);
    return put && std::fflush(out) == 0;
}

bool writeWavFile(const std::filesystem::path& path, std::span<const std::int16_t> samples,
                  UiPort& ui) {
    const WriteResult result = writeWav(path, samples, kRecordingSampleRate, 1);
    if (result == WriteResult::openFailed) ui.messageBox(kWavSaveOpenFailed, "", kMbTopMost);
    if (result == WriteResult::writeFailed) ui.messageBox(kWavSaveWriteFailed, "", kMbTopMost);
    return result == WriteResult::written;
}

const char* wavVerdictMessage(WavVerdict verdict) {
    switch (verdict) {
        case WavVerdict::playable:
            return nullptr;
        case WavVerdict::notWav:
            return kWavNotWav;
        case WavVerdict::unknownVersion:
            return kWavUnknownVersion;
        case WavVerdict::wrongFormat:
            return kWavWrongFormat;
        case WavVerdict::notPcm16:
            return kWavNotPcm16;
        case WavVerdict::noData:
            return kWavNoData;
    }
    return kWavNoData;
}

WavVerdict inspectWav(ByteSource& source, WavLayout& layout, int mostChannels) {
    layout = WavLayout{};
    std::array<std::uint8_t, 12> riff{};
    if (source.readAt(0, riff) < riff.size() || !tagIs(&riff[0], "RIFF") ||
        !tagIs(&riff[8], "WAVE"))
        return WavVerdict::notWav;
    // The RIFF size is not trusted (streaming writers leave it wrong): the walk goes to the
    // end of the file. Chunks of odd size are followed by a pad byte.
    const std::uint64_t fileSize = source.size();
    bool haveFormat = false;
    for (std::uint64_t offset = riff.size(); offset + kChunkHeaderBytes <= fileSize;) {
        std::array<std::uint8_t, kChunkHeaderBytes> chunk{};
        if (source.readAt(offset, chunk) < chunk.size()) break;
        const std::uint32_t size = get32(&chunk[4]);
        const std::uint64_t body = offset + kChunkHeaderBytes;
        if (tagIs(&chunk[0], "fmt ")) {
            const WavVerdict v = checkFormat(source, body, size, layout, mostChannels);
            if (v != WavVerdict::playable) return v;
            haveFormat = true;
        } else if (tagIs(&chunk[0], "data")) {
            if (!haveFormat) return WavVerdict::unknownVersion;
            // A data size that runs past the end of the file plays what the file holds.
            const bool toTheEnd = size == 0 || size == 0xFFFFFFFFu;
            layout.dataOffset = body;
            layout.sampleCount =
                (toTheEnd ? fileSize - body : std::min<std::uint64_t>(size, fileSize - body)) / 2;
            return layout.sampleCount > 0 ? WavVerdict::playable : WavVerdict::noData;
        }
        offset = body + size + (size & 1u);
    }
    return haveFormat ? WavVerdict::noData : WavVerdict::unknownVersion;
}

const char* openWavToPlay(const std::filesystem::path& path, WavToPlay& file, int mostChannels) {
    auto source = std::make_unique<FileByteSource>(path);
    if (!source->isOpen()) return kWavOpenFailed;
    return openWavToPlay(std::move(source), file, mostChannels);
}

const char* openWavToPlay(std::unique_ptr<ByteSource> source, WavToPlay& file, int mostChannels) {
    const WavVerdict verdict = inspectWav(*source, file.layout, mostChannels);
    if (verdict != WavVerdict::playable) return wavVerdictMessage(verdict);
    file.source = std::move(source);
    return nullptr;
}

}  // namespace kestrel
