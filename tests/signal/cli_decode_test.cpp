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
    KestrelSettings s = settingsFor(kDecodeSpread, 75.0);
    s.mark = 1275.0;
    s.space = 1445.0;
    s.contest = false;
    const CliRun run =
        cli("decode --baud 75 --mark 1275 --space 1445 --mode spread --contest off --repeat-match "
            "off '" +
            path.string() + "'");
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
                          "Decodemode=2\n";
    const CliRun fromFile = cli("decode --settings '" + ini.string() +
                                "' --contest off --repeat-match off '" + path.string() + "'");
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, run.out);
    std::filesystem::remove(ini);
    std::filesystem::remove(path);
}

TEST(CliDecode, EventsAndTrace) {
    const Transmission t = transmit(kShortText, 45.45, 12000, {}, 0.5, 1.0);
    const auto path = tempWavPath("cli");
    const auto trace = tempWavPath("trace").replace_extension(".csv");
    writeWav(path, t.audio);
    const CliRun run = cli("decode --mode flutter --events --trace '" + trace.string() + "' '" +
                           path.string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(" TXM_CHAR 67 'C'\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" TXM_MARK "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" status 1 \""), std::string::npos) << run.err;
    std::istringstream csv(slurp(trace));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line,
              "n,markEnv,spaceEnv,tM,tS,powerDiff,rawSpace,decidedSpace,bitClock,"
              "framingErrors,snrFigure");
    int rows = 0;
    while (std::getline(csv, line)) {
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 10) << line;
        if (rows == 0) {
            EXPECT_EQ(line.substr(0, 2), "0,");
        }
        ++rows;
    }
    // One row per decided envelope sample: 512 per decoder pass, 66 per bit.
    EXPECT_GT(rows, 0);
    EXPECT_EQ(rows % 512, 0);

    // A trace that is the recording (by any name), or output that cannot be written, fails
    // with a message and leaves the recording whole.
    const auto link = tempWavPath("link");
    std::filesystem::create_hard_link(path, link);
    const auto size = std::filesystem::file_size(path);
    const std::string quoted = "'" + path.string() + "'";
    for (const std::string& arguments :
         {"--trace " + quoted + " " + quoted, "--trace '" + link.string() + "' " + quoted,
          "--trace /dev/full " + quoted, quoted + " >/dev/full"}) {
        const CliRun bad = cli("decode " + arguments);
        EXPECT_NE(bad.status, 0) << arguments;
        EXPECT_NE(bad.err, "") << arguments;
    }
    EXPECT_EQ(std::filesystem::file_size(path), size);
    std::filesystem::remove(link);
    std::filesystem::remove(path);
    std::filesystem::remove(trace);
}

TEST(CliDecode, BadOptionsAndFilesFailWithAMessage) {
    const CliRun badMode = cli("decode --mode fast x.wav");
    EXPECT_EQ(badMode.status, 2);  // a mistake on the command line
    EXPECT_NE(badMode.err.find("--mode"), std::string::npos) << badMode.err;
    const CliRun badSwitch = cli("decode --afc maybe x.wav");
    EXPECT_EQ(badSwitch.status, 2);
    EXPECT_NE(badSwitch.err.find("--afc"), std::string::npos) << badSwitch.err;
    const CliRun unknown = cli("decode --loud x.wav");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--loud"), std::string::npos) << unknown.err;
    const CliRun noFile = cli("decode");
    EXPECT_EQ(noFile.status, 2);

    const CliRun missing = cli("decode /nonexistent/none.wav");
    EXPECT_EQ(missing.status, 1);  // a file that cannot be read
    EXPECT_NE(missing.err.find("Could not open file specified"), std::string::npos) << missing.err;
    const auto text = tempWavPath("notwav");
    std::ofstream(text) << "just some text, not a recording\n";
    const CliRun notWav = cli("decode '" + text.string() + "'");
    EXPECT_EQ(notWav.status, 1);
    EXPECT_NE(notWav.err.find("Sorry not a .wav file"), std::string::npos) << notWav.err;
    EXPECT_EQ(notWav.out, "");
    std::filesystem::remove(text);
}

}  // namespace
}  // namespace kestrel::lab
