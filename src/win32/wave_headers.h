#pragma once
// What the wave input and the wave output have in common: 16-bit PCM formats and headers
// laid over audio the core owns.
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <cstdint>
#include <span>

namespace kestrel::win32 {

inline WAVEFORMATEX pcm16Format(int channels, int sampleRate) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * sizeof(std::int16_t));
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.cbSize = 0;
    return format;
}

inline WAVEHDR headerOver(std::span<std::int16_t> audio, DWORD flags, DWORD_PTR user = 0) {
    WAVEHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(audio.data());
    header.dwBufferLength = static_cast<DWORD>(audio.size_bytes());
    header.dwFlags = flags;
    header.dwUser = user;
    return header;
}

// The index of the header the driver hands back, among the device's own.
template <typename Headers>
int headerIndex(const Headers& headers, DWORD_PTR handedBack) {
    return static_cast<int>(reinterpret_cast<const WAVEHDR*>(handedBack) - headers.data());
}

}  // namespace kestrel::win32
