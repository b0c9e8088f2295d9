// kestrel-cli decode as a user runs it: the bundled sample, its options and its failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "signal_helpers.h"

namespace kestrel::lab {
namespace {

std::string sourceDir() {
    const char* dir = std::getenv("KESTREL_SOURCE_DIR");
    return dir ? dir : ".";
}

TEST(CliDecode, BundledSampleDecodesNearlyWhole) {
    const std::string sample = sourceDir() + "/samples/sample.wav";
    const CliRun run = cli("decode --mode flutter --repeat-match off '" + sample + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // no progress when stderr is not a terminal
    EXPECT_LE(characterErrorRate(slurp(sourceDir() + "/samples/sample.txt"), run.out), 0.03)
        << run.out;
}

TEST(CliDecode, PrintsWhatThePlayerGivesTheLoggerWithTheGivenSettings) {
    const Transmission t = transmit(kShortText, 75.0, 19800, Tones{1275.0, 1445.0});
    const Audio audio = withNoise(t, 10.0, 5);
    const auto path = tempWavPath("cli");
    writeWav(path, audio);
    KestrelSettings s = settingsFor(kDecodeDeep, 75.0);
    s.mark = 1275.0;
    s.space = 1445.0;
    s.contest = false;
    const std::string file = " --contest off --repeat-match off '" + path.string() + "'";
    const CliRun run = cli("decode --baud 75 --mark 1275 --space 1445 --mode deep" + file);
    EXPECT_EQ(run.status, 0) << run.err;
    // The command line goes on with silence after the file, which brings out what the
    // chain still holds: the player's text, then perhaps more.
    std::string played = kestrelDecode(audio, s).text;
    while (!played.empty() && played.back() == '\n') played.pop_back();
    EXPECT_EQ(run.out.substr(0, played.size()), played);
    EXPECT_EQ(messageErrors(kShortText, run.out), 0u) << run.out;
    // The same tones and speed from a settings file, as Kestrel.ini holds them.
    const auto ini = tempWavPath("settings").replace_extension(".ini");
    std::ofstream(ini) << "[Kestrel Modem]\nMarkfrequency=1275\nSpacefrequency=1445\nBaud Rate=2\n"
                          "Decodemode=3\n";
    const CliRun fromFile = cli("decode --settings '" + ini.string() + "'" + file);
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, run.out);
    std::filesystem::remove(ini);
    std::filesystem::remove(path);
}

TEST(CliDecode, EventsAndTrace) {
    const auto path = tempWavPath("cli");
    const auto trace = tempWavPath("trace").replace_extension(".csv");
    writeWav(path, transmit(kShortText, 45.45, 12000, {}, 0.5, 1.0).audio);
    const CliRun run = cli("decode --mode flutter --events --trace '" + trace.string() + "' '" +
                           path.string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(" TXM_CHAR 67 'C'\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" TXM_MARK "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" status 1 \""), std::string::npos) << run.err;
    // One row of eleven fields per decided envelope sample, from the first on.
    std::istringstream csv(slurp(trace));
    std::string line;
    std::getline(csv, line);
    EXPECT_TRUE(line.starts_with("n,markEnv,")) << line;
    int rows = 0;
    for (; std::getline(csv, line); ++rows) {
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 10) << line;
        EXPECT_TRUE(rows > 0 || line.starts_with("0,")) << line;
    }
    EXPECT_GT(rows, 0);
    std::filesystem::remove(path);
    std::filesystem::remove(trace);
}

// A mistake on the command line is status 2, a file that cannot be read or written 1. A
// trace that is the recording (by any name) is refused and leaves the recording whole.
TEST(CliDecode, BadOptionsAndFilesFailWithAMessage) {
    const auto wav = tempWavPath("cli"), link = tempWavPath("link"), text = tempWavPath("notwav");
    writeWav(wav, Audio{12000, std::vector<double>(12000, 100.0)});
    std::filesystem::create_hard_link(wav, link);
    std::ofstream(text) << "just some text, not a recording\n";
    const auto size = std::filesystem::file_size(wav);
    const std::string quoted = "'" + wav.string() + "'";
    struct Case {
        std::string arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"--mode fast x.wav", 2, "--mode"},
        {"--afc maybe x.wav", 2, "--afc"},
        {"--loud x.wav", 2, "--loud"},
        {"", 2, "no FILE.wav given"},
        {"/nonexistent/none.wav", 1, "Could not open file specified"},
        {"'" + text.string() + "'", 1, "Sorry not a .wav file"},
        {"--trace " + quoted + " " + quoted, 2, "is the recording itself"},
        {"--trace '" + link.string() + "' " + quoted, 2, "is the recording itself"},
        {"--trace /dev/full " + quoted, 1, "cannot write /dev/full"},
        {quoted + " >/dev/full", 1, "cannot write the received text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = cli("decode " + c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(std::filesystem::file_size(wav), size);
    for (const auto& path : {wav, link, text}) std::filesystem::remove(path);
}

}  // namespace
}  // namespace kestrel::lab
