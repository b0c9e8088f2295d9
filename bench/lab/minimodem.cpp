#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "lab/lab.h"

namespace kestrel::lab {

namespace {

std::string toneOptions(double baud, Tones tones, double stopBits) {
    char text[160];
    std::snprintf(text, sizeof text, "--baudot --stopbits %.6g -M %.6g -S %.6g %.6g", stopBits,
                  tones.mark, tones.space, baud);
    return text;
}

}  // namespace

Audio minimodemTransmit(std::string_view text, double baud, int rate, Tones tones,
                        double stopBits) {
    const auto textPath = tempWavPath("tx").replace_extension(".txt");
    const auto wavPath = tempWavPath("tx");
    std::ofstream(textPath, std::ios::binary) << text;
    const std::string command = "minimodem --tx -R " + std::to_string(rate) + " -f '" +
                                wavPath.string() + "' " + toneOptions(baud, tones, stopBits) +
                                " < '" + textPath.string() + "'";
    const int status = std::system(command.c_str());
    std::filesystem::remove(textPath);
    if (status != 0) throw std::runtime_error("minimodem failed: " + command);
    Audio audio = readWav(wavPath);
    std::filesystem::remove(wavPath);
    return audio;
}

std::string minimodemReceive(const std::filesystem::path& wav, double baud, Tones tones) {
    const std::string command = "minimodem --rx -q -b 5 -f '" + wav.string() + "' " +
                                toneOptions(baud, tones, kRttyStopBits) + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

}  // namespace kestrel::lab
