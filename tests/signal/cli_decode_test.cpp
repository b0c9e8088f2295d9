// kestrel-cli decode as a user runs it: the bundled sample, its options and its failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "signal_helpers.h"
#include "transmit/tx_buffer.h"
#include "unit/scratch_folder.h"

namespace kestrel::lab {
namespace {

// The README's demo: in every mode the sample's text and nothing else, not the noise
// before it (the text begins with a line break) nor the noise after it. Selectiv loses
// the first word to the noise it locks on in (under 4 %), the others print at most 1 %.
TEST(CliDecode, BundledSampleDecodesNearlyWholeAndNothingElse) {
    const char* dir = std::getenv("KESTREL_SOURCE_DIR");
    const std::string sample = std::string(dir ? dir : ".") + "/samples/sample.";
    const std::string sent = ScratchFolder::read(sample + "txt");
    for (const std::string m : {"flutter", "selectiv", "spread", "deep"}) {
        SCOPED_TRACE(m);
        const CliRun run = cli("decode --mode " + m + " --repeat-match off '" + sample + "wav'");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");  // no progress when stderr is not a terminal
        EXPECT_LE(characterErrorRate(sent, run.out), m == "selectiv" ? 0.04 : 0.015) << run.out;
        EXPECT_EQ(run.out.substr(0, 1), "\n") << run.out;
        EXPECT_TRUE(run.out.ends_with("\nVE3ABC 599 14 14 DL5XYZ\n")) << run.out;
    }
}

TEST(CliDecode, PrintsWhatThePlayerGivesTheLoggerWithTheGivenSettings) {
    const Transmission t = transmit(kShortText, 75.0, 19800, Tones{1275.0, 1445.0});
    const Audio audio = withNoise(t, 10.0, 5);
    const ScratchFolder dir;
    const auto path = dir.path() / "cli.wav";
    writeWav(path, audio);
    KestrelSettings s{.baud = 75.0, .mark = 1275.0, .space = 1445.0, .mode = kDecodeDeep};
    s.squelch = true;  // by default, as under a logger
    s.contest = false;
    const std::string file = " --contest off --repeat-match off '" + path.string() + "'";
    const CliRun run = cli("decode --baud 75 --mark 1275 --space 1445 --mode deep" + file);
    EXPECT_EQ(run.status, 0) << run.err;
    // The command line goes on with silence after the file, which brings out what the
    // chain still holds: the player's text, then perhaps more.
    std::string played = kestrelDecode(audio, s).text;
    while (!played.empty() && played.back() == '\n') played.pop_back();
    EXPECT_EQ(run.out.substr(0, played.size()), played);
    // The noise before it may leave the receiver in figures case (a line break does not
    // change case), so the message's first word is not scored.
    const std::string message = normaliseText(kShortText);
    EXPECT_EQ(messageErrors(message.substr(message.find(' ')), run.out), 0u) << run.out;
    // The same tones and speed from a settings file, as Kestrel.ini holds them.
    const auto ini = dir.path() / "settings.ini";
    std::ofstream(ini) << "[Kestrel Modem]\nMarkfrequency=1275\nSpacefrequency=1445\nBaud Rate=2\n"
                          "Decodemode=3\n";
    const CliRun fromFile = cli("decode --settings '" + ini.string() + "'" + file);
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, run.out);
}

TEST(CliDecode, EventsAndTrace) {
    const ScratchFolder dir;
    const auto path = dir.path() / "cli.wav", trace = dir.path() / "trace.csv";
    writeWav(path, transmit(kShortText, 45.45, 12000, {}, 0.5, 1.0).audio);
    const CliRun run = cli("decode --mode flutter --events --trace '" + trace.string() + "' '" +
                           path.string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(" TXM_CHAR 67 'C'\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" TXM_MARK "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" status 1 \""), std::string::npos) << run.err;
    // The stop element's length as framing measures it: 1.5 bits at 45.45 baud.
    EXPECT_NE(run.err.find(" status 3 \"33mS \"\n"), std::string::npos) << run.err;
    // One row of eleven fields per decided envelope sample, from the first on; both tones'
    // thresholds (tM, tS) rise above zero.
    std::istringstream csv(ScratchFolder::read(trace.string()));
    std::string line;
    std::getline(csv, line);
    EXPECT_TRUE(line.starts_with("n,markEnv,spaceEnv,tM,tS,")) << line;
    double thresholds[2] = {}, highest[2] = {};
    for (int rows = 0; std::getline(csv, line); ++rows) {
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 10) << line;
        EXPECT_TRUE(rows > 0 || line.starts_with("0,")) << line;
        std::sscanf(line.c_str(), "%*[^,],%*[^,],%*[^,],%lf,%lf", &thresholds[0], &thresholds[1]);
        for (int k : {0, 1}) highest[k] = std::max(highest[k], thresholds[k]);
    }
    EXPECT_GT(std::min(highest[0], highest[1]), 0.0);
    // jsonl: JSON on every line, in time order, the text events making the text printed,
    // each at its place in the input: two more seconds of silence before the signal put
    // its first letter two seconds later (within one of the chain's 2048-sample blocks).
    const char* readJsonl =
        "import json, sys\n"
        "events = [json.loads(line) for line in sys.stdin]\n"
        "assert [e[\"time\"] for e in events] == sorted(e[\"time\"] for e in events)\n"
        "texts = [e for e in events if e[\"type\"] == \"text\"]\n"
        "print(next(e[\"time\"] for e in texts if any(c.isalpha() for c in e[\"text\"])))\n"
        "sys.stdout.write(\"\".join(e[\"text\"] for e in texts))\n";
    double firstLetter[2] = {};
    for (const double before : {0.5, 2.5}) {
        writeWav(path, transmit(kShortText, 45.45, 12000, {}, before, 1.0).audio);
        const std::string file = " --mode flutter '" + path.string() + "'";
        const CliRun events =
            cli("decode --format jsonl" + file + " | python3 -c '" + readJsonl + "'");
        ASSERT_EQ(events.status, 0) << events.err;
        const std::size_t firstLine = events.out.find('\n');
        EXPECT_EQ(events.out.substr(firstLine + 1), cli("decode" + file).out);
        firstLetter[before > 1.0] = std::atof(events.out.c_str());
    }
    EXPECT_GT(firstLetter[0], 0.5);
    EXPECT_NEAR(firstLetter[1] - firstLetter[0], 2.0, 2048 / 12000.0);
}

// What a script does with kestrel-cli: pipes a recording through it (whatever length
// its header gives), picks a stereo file's channel (or is told to), asks the version.
// Status 2 is a mistake on the command line, 1 a file that cannot be read or written or
// a text too long to send, each with its message; a trace that is the recording (by any
// name) is refused. A skimmer serving spots after its file ends well on SIGTERM.
TEST(CliDecode, ScriptsGetTheTextOrAMessageAndAStatus) {
    const std::string text = "RYRY DE K1ABC K1ABC", program = "'" + cliProgram() + "'";
    const std::string decode = program + " decode ", record = program + " record --device x ";
    const std::string encode = program + " encode ";
    const ScratchFolder dir;
    const std::string mono = dir.file("mono.wav"), stereo = dir.file("stereo.wav");
    const std::string wav = dir.file("cli.wav"), link = dir.file("link.wav");
    ASSERT_EQ(cli("encode '" + mono + "' --text '" + text + "'").status, 0);
    ASSERT_EQ(cli("encode '" + stereo + "' --channel right --text '" + text + "'").status, 0);
    writeWav(wav, Audio{12000, std::vector<double>(12000, 100.0)});
    std::filesystem::create_hard_link(wav, link);
    ScratchFolder::write(dir.file("notwav.wav"), "just some text, not a recording\n");
    const auto size = std::filesystem::file_size(wav);
    // A stream's header: its data size written as 0 or 0xFFFFFFFF.
    const std::string header = ScratchFolder::read(mono);
    const auto piped = [&](char dataSize) {
        const std::string path = dir.file(std::to_string(dataSize) + ".wav");
        ScratchFolder::write(path,
                             header.substr(0, 40) + std::string(4, dataSize) + header.substr(44));
        return "cat '" + path + "' | " + decode + "-";
    };
    const std::string q = "'" + wav + "'", itself = "is the recording itself";
    const struct {
        std::string command;
        int status;
        std::string holds;  // on standard output, or standard error when failed
    } cases[] = {
        {program + " encode - --text '" + text + "' 2>/dev/null | " + decode + "-", 0, text},
        {piped('\0'), 0, text},
        {piped('\xff'), 0, text},
        {decode + "--channel right '" + stereo + "'", 0, text},
        {decode + "--channel left '" + stereo + "'", 0, ""},
        {decode + "'" + stereo + "'", 2, "--channel left or --channel right"},
        {"script -qec \"" + decode + "--channel right '" + stereo + "'\" /dev/null", 0, " / 5 s"},
        {program + " --version", 0, "kestrel-cli 2"},
        {decode + "--mode fast x.wav", 2, "--mode"},
        {decode + "--afc maybe x.wav", 2, "--afc"},
        {decode + "--loud x.wav", 2, "--loud"},
        {decode, 2, "no FILE.wav given"},
        {decode + "/nonexistent/none.wav", 1, "Could not open file specified"},
        {decode + "'" + dir.file("notwav.wav") + "'", 1, "Sorry not a .wav file"},
        {decode + "--trace " + q + " " + q, 2, itself},
        {decode + "--trace '" + link + "' " + q, 2, itself},
        {decode + "--trace /dev/full " + q, 1, "cannot write /dev/full"},
        {decode + q + " >/dev/full", 1, "cannot write the received text"},
        {record + "--seconds 0 /nonexistent/x.wav", 2, "--seconds takes a positive number"},
        {record + "--seconds inf /nonexistent/x.wav", 2, "--seconds takes a positive number"},
        {program + " record x.wav --device", 2, "--device needs a name"},
        {record, 2, "--device and OUT.wav, please"},
        {program + " skim --device", 2, "--device needs a name"},
        // Flutter hears the clean file on the AFC's tone; Deep follows the tones itself (2125.4).
        {program + " skim --mode flutter --format jsonl '" + mono + "'", 0, "\"mark_hz\":2125.0,"},
        {"timeout --preserve-status 2 " + program + " skim --telnet 0 '" + mono + "'", 0, ""},
        {program + " skim --max-signals 1000 /nonexistent/none.wav", 1, "Could not open file"},
        {encode, 2, "encode: no output file given"},
        {encode + "--mode fsk x.wav", 2, "encode: --mode must be afsk, dook or pfsk"},
        {encode + "x.wav --channel both", 2, "encode: --channel must be mono, left or right"},
        {encode + "x.wav y.wav", 2, "encode: only one output file"},
        {encode + "x.wav --baud 110", 2, "encode: --baud: '110' is not a speed"},
        {encode + "x.wav --frobnicate", 2, "encode: unknown option --frobnicate"},
        {encode + "x.wav --text", 2, "encode: --text needs a value"},
        {encode + "x.wav --mark 2125 --space 2125", 2, "encode: mark 2125 Hz and space 2125 Hz"},
        {encode + "/dev/full --text e", 1, "encode: cannot write /dev/full"},
        {encode + "'" + dir.file("long.wav") + "' --text " + std::string(kTxRingSize, 'E'), 1,
         "encode: the text does not fit the transmit buffer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const CliRun run = shell(c.command);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE((c.status ? run.err : run.out).find(c.holds), std::string::npos) << run.err;
    }
    EXPECT_EQ(std::filesystem::file_size(wav), size);
    // A refused encoding writes nothing.
    EXPECT_FALSE(std::filesystem::exists("x.wav") || std::filesystem::exists(dir.file("long.wav")));
}

// The edges of a signal print nothing, in every mode, squelch on or off: a muted input
// (1-LSB dither) at every speed, the end of our own transmission, and a peer's line that
// begins at the file's first sample, whose first word comes in letters.
TEST(CliDecode, EdgesOfASignalPrintNothing) {
    Audio dither{12000, std::vector<double>(5 * 12000, 0.0)};
    Gaussian g(5);
    for (double& x : dither.samples) x = std::round(0.5 * g.next());
    const ScratchFolder dir;
    writeWav(dir.file("dither.wav"), dither);
    writeWav(dir.file("peer.wav"), minimodemTransmit("DE K1ABC", 45.45, 12000));
    ASSERT_EQ(cli("encode '" + dir.file("own.wav") + "' --text 'AB CD EF'").status, 0);
    const struct {
        const char *options, *file, *expected;
    } cases[] = {{"--baud 45.45", "dither.wav", ""},
                 {"--baud 50", "dither.wav", ""},
                 {"--baud 75", "dither.wav", ""},
                 {"", "peer.wav", "DE K1ABC"},
                 {"", "own.wav", "AB CD EF"}};
    for (const auto& c : cases) {
        for (const std::string mode : {"flutter", "selectiv", "spread", "deep"}) {
            for (const std::string squelch : {"off", "on"}) {
                const std::string arguments = std::string(c.options) + " --mode " + mode +
                                              " --squelch " + squelch + " '" + dir.file(c.file) +
                                              "'";
                SCOPED_TRACE(arguments);
                EXPECT_EQ(normaliseText(cli("decode " + arguments).out), c.expected);
            }
        }
    }
}

}  // namespace
}  // namespace kestrel::lab
