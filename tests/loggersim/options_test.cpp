#include "loggersim/options.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

ParsedOptions parse(std::vector<std::string> args) {
    return parseLoggersimOptions(args);
}

TEST(LoggersimOptions, KestrelAloneOpensTheInteractiveWindowWithDefaults) {
    const ParsedOptions p = parse({"Kestrel.exe"});
    ASSERT_TRUE(p.options) << p.error;
    EXPECT_EQ(p.options->enginePath, "Kestrel.exe");
    EXPECT_FALSE(p.options->scenarioPath);
    EXPECT_EQ(p.options->blockSize, 32768u);
    EXPECT_TRUE(p.options->createBlock);
    EXPECT_EQ(p.options->engineArguments, "-r -h{hwnd}");
    EXPECT_EQ(loggerWindowChain(*p.options), std::vector<std::string>{"DI1 loggersim"});
}

TEST(LoggersimOptions, OptionsMayStandAnywhere) {
    const ParsedOptions p =
        parse({"--log", "out.log", "K.exe", "--block-size", "0x5000", "run.scn", "--no-block",
               "--parent-title", "DI-2 Logger32", "--args", "-h{hwnd}"});
    ASSERT_TRUE(p.options) << p.error;
    EXPECT_EQ(p.options->enginePath, "K.exe");
    EXPECT_EQ(p.options->scenarioPath, "run.scn");
    EXPECT_EQ(p.options->logPath, "out.log");
    EXPECT_EQ(p.options->blockSize, 0x5000u);
    EXPECT_FALSE(p.options->createBlock);
    EXPECT_EQ(p.options->engineArguments, "-h{hwnd}");
    EXPECT_EQ(loggerWindowChain(*p.options), std::vector<std::string>{"DI-2 Logger32"});
}

TEST(LoggersimOptions, AGrandparentBringsAParentWithAnEmptyTitle) {
    ParsedOptions p = parse({"--grandparent-title", "DI3 N1MM", "K.exe", "s.scn"});
    ASSERT_TRUE(p.options) << p.error;
    EXPECT_EQ(loggerWindowChain(*p.options), (std::vector<std::string>{"DI3 N1MM", ""}));
    p = parse({"--grandparent-title", "G", "--parent-title", "P", "K.exe"});
    EXPECT_EQ(loggerWindowChain(*p.options), (std::vector<std::string>{"G", "P"}));
    // A scenario without titles has a logger window with no parent at all.
    EXPECT_TRUE(loggerWindowChain(*parse({"K.exe", "s.scn"}).options).empty());
}

TEST(LoggersimOptions, MistakesAreNamed) {
    EXPECT_EQ(parse({}).error, "which Kestrel.exe to start?");
    EXPECT_EQ(parse({"K.exe", "a", "b"}).error, "too many arguments: b");
    EXPECT_EQ(parse({"K.exe", "--log"}).error, "--log needs a value");
    EXPECT_EQ(parse({"K.exe", "--quiet"}).error, "unknown option --quiet");
    EXPECT_EQ(parse({"K.exe", "--block-size", "0"}).error,
              "--block-size needs a positive number of bytes");
    EXPECT_FALSE(parse({"K.exe", "--block-size", "big"}).options);
}

TEST(LoggersimOptions, KestrelCommandLineCarriesTheHandleInUpperCaseHex) {
    EXPECT_EQ(engineCommandLine("-r -h{hwnd}", 0x1a2b3c), "-r -h1A2B3C");
    EXPECT_EQ(engineCommandLine("-h{hwnd} -h{hwnd}", 0x10), "-h10 -h10");
    EXPECT_EQ(engineCommandLine("-r", 0x10), "-r");
    EXPECT_EQ(engineCommandLine("", 0x10), "");
}

}  // namespace
}  // namespace kestrel
