#pragma once
// Playing a .wav file into the receive chain in place of the sound card. The routine runs
// on whatever thread calls it (the program starts a thread for it; tests and kestrel-cli
// call it directly) and plays as fast as the processor allows.
#include <cstdint>
#include <span>

#include "audio_in/wav_file.h"
#include "function_ref.h"
#include "modem_state.h"

namespace kestrel {

constexpr std::size_t kWavChunkSamples = 48000;  // samples read from the file at a time
constexpr double kWavSampleScale = 3726.0;       // file samples are divided by this

using SampleSink = FunctionRef<void(double)>;
using CharSink = FunctionRef<void(char16_t)>;

// Feeds file samples at fileRate to processSample at sampleRate: each sample adds
// sampleRate / fileRate to the accumulator and is handed on, divided by 3726, once for
// every whole unit the accumulator holds. A slower file has samples repeated, a faster one
// has samples dropped; there is no interpolation and no low-pass.
void feedWavSamples(double& accumulator, std::span<const std::int16_t> samples,
                    std::int32_t fileRate, int sampleRate, SampleSink processSample);

// Reads the samples of a checked file's channel (file.channel of several interleaved ones)
// in chunks of up to 48000, handing each to chunk until the data ends or chunk returns
// false. Returns the number of file samples read (all channels).
std::uint64_t readWavChannel(WavToPlay& file,
                             FunctionRef<bool(std::span<const std::int16_t>)> chunk);

// Plays a checked file (of several channels, file.channel): two line feeds to the receive
// text, the data chunk in chunks of up to 48000 samples (stopping between chunks when state.wavPlaying is no longer 1),
// silenceAfter zero samples, two line feeds, then wavPlaying = 0. The caller sets
// wavPlaying to 1 before. Returns the number of file samples played.
//
// The program plays no silence after the file: live sound follows at once and carries the
// file's last characters through the chain. Where nothing follows (the command line),
// kWavTailSeconds of silence do.
std::uint64_t wavPlayer(WavToPlay& file, ModemState& state, SampleSink processSample,
                        CharSink emitReceivedChar, std::uint64_t silenceAfter = 0);

constexpr double kWavTailSeconds = 1.0;

}  // namespace kestrel
