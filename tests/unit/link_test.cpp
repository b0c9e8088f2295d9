#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "link/logger_code_names.h"
#include "link/logger_link.h"
#include "platform/logger_codes.h"
#include "unit/link_rig.h"

namespace kestrel {
namespace {

class LoggerLinkTest : public ::testing::Test, protected LinkRig {};

// The codes are the places in the logger's lists, each named once: commands 0 to 29,
// notifications 32768 to 32787.
TEST(LoggerCodes, RunWithoutAGap) {
    for (const auto& [first, count] : {std::pair{0u, 30u}, {32768u, 20u}})
        for (std::uint32_t code = first; code < first + count; ++code)
            EXPECT_EQ(mmttyCodeNamed(mmttyCodeName(code)), code);
}

// Both ends of the range are taken; beyond them the tone stays.
TEST_F(LoggerLinkTest, HamReloadsStoredTonesInRangeAndRestartsOnlyTheAverage) {
    state.markOffset = 11.5;
    for (const auto& [mark, space] : {std::pair{"0250", "3000"}, {"0249", "3001"}}) {
        settings.set("Markfrequency", mark);
        settings.set("Spacefrequency", space);
        state.averageOffset = 2.25;
        link.handleLoggerCommand(RXM_SETHAM, 0);
        EXPECT_EQ(state.markFrequency, 250.0);
        EXPECT_EQ(state.spaceFrequency, 3000.0);
        EXPECT_EQ(state.averageOffset, 0.0);
    }
    EXPECT_EQ(state.markOffset, 11.5);
    EXPECT_TRUE(logger.posts().empty());
}

// A tone from the logger, taken or refused, makes the AFC start over.
TEST_F(LoggerLinkTest, AToneFromTheLoggerRestartsTheAfc) {
    for (const auto& [command, hz] : {std::pair{RXM_SETMARK, 2000}, {RXM_SETSPACE, 3001}}) {
        state.markOffset = state.spaceOffset = state.averageOffset = 4.5;
        link.handleLoggerCommand(command, hz);
        EXPECT_EQ(state.markOffset + state.spaceOffset + state.averageOffset, 0.0);
    }
}

// AFC is bit 2, Net bit 3, squelch bit 7, reverse bit 8; Net only with the tone modes.
TEST(LoggerLinkSwitchWord, EachBitSetsItsSwitchAndNetIsRefusedWithSerialFsk) {
    const struct {
        int txMode, before;  // the four switches before, and the Net tone offset non-zero
        std::int64_t word;
        int netOn, squelch, reverse, afcOff;
        const char *stored, *caption, *status;
    } cases[] = {
        {0, 1, 4, 0, 0, 0, 0, "4", "AFC on", "Net Off"},                // AFSK
        {3, 1, 8, 0, 0, 0, 1, "0", "AFC off", "  FSK"},                 // serial FSK
        {1, 0, 8 + 128 + 256, 1, 1, 1, 1, "392", "AFC off", "Net On"},  // DOOK
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        LinkRig rig;
        ModemState& state = rig.state;
        state.TXmode = c.txMode;
        state.SquelchState = state.netOn = state.rxReverse = state.afcOff = c.before;
        state.txToneOffset = 12.0;
        rig.link.handleLoggerCommand(RXM_SETSWITCH, c.word);
        EXPECT_EQ((std::vector<int>{state.netOn, state.SquelchState, state.rxReverse, state.afcOff,
                                    state.switchWord}),
                  (std::vector<int>{c.netOn, c.squelch, c.reverse, c.afcOff, std::stoi(c.stored)}));
        EXPECT_EQ(state.txToneOffset, c.netOn ? 12.0 : 0.0);
        EXPECT_EQ(rig.settings.value("N1MM_SWITCH"), c.stored);
        EXPECT_EQ(rig.settings.value("SquelchState"), c.squelch ? "1" : "0");
        EXPECT_EQ(rig.ui.captions(), (std::vector<UiItemText>{{40031, c.caption}}));
        EXPECT_EQ(rig.ui.menuChecks(), (std::vector<UiItemFlag>{{112, c.squelch == 1}}));
        EXPECT_EQ(rig.ui.statusText(2), c.status);
        EXPECT_EQ(rig.logger.posts(), (std::vector<LoggerPost>{{TXM_SWITCH, c.word}}));
    }
}

TEST_F(LoggerLinkTest, PushToTalkCommandsDependOnTheTransmitState) {
    const struct {
        std::int64_t value;
        int txState;
        std::vector<std::int64_t> chars;
        int clears;
        bool message;
    } cases[] = {
        {0, 3, {27}, 0, false}, {0, 0, {27}, 0, false}, {1, 0, {}, 0, false},
        {1, 3, {20}, 0, false}, {2, 0, {20}, 0, false}, {2, 1, {}, 0, false},
        {3, 0, {}, 0, true},    {4, 3, {}, 1, false},   {-1, 0, {}, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "RXM_PTT " << c.value << " txState " << c.txState);
        LinkRig rig;
        rig.state.txState = c.txState;
        rig.link.handleLoggerCommand(RXM_PTT, c.value);
        EXPECT_EQ(rig.mainWindow.txChars, c.chars);
        EXPECT_EQ(rig.txBuffer.clears, c.clears);
        EXPECT_EQ(rig.ui.messageBoxes().size(), c.message ? 1u : 0u);
        EXPECT_TRUE(rig.logger.posts().empty());
    }
}

// A burst of unknown commands while the box is up shows one box at a time.
TEST_F(LoggerLinkTest, UnknownCommandsShowOneBoxAtATime) {
    int arriving = 3;
    ui.whileBoxShows = [&] {
        while (arriving-- > 0) link.handleLoggerCommand(31, 0);
    };
    link.handleLoggerCommand(31, 0);
    EXPECT_EQ(ui.messageBoxes().size(), 1u);
}

// The tones are reported in whole hertz, cut, not rounded, and the threads start after the
// handshake. The default switch word is applied on the way: squelch on, and stored. Ports
// are cut to fit their fields, never inside a UTF-8 character.
TEST_F(LoggerLinkTest, HandshakeFillsTheSharedBlockAndStoresTheSwitchWord) {
    state.markFrequency = 2125.9;
    state.spaceFrequency = 2295.2;
    settings.set("FSKCOMport", "COM123456");
    settings.set("PTTCOMport", "COM\xC3\xBC\xE2\x82\xAC");  // "COMü€": 8 bytes in UTF-8
    ASSERT_TRUE(link.connectLogger());
    EXPECT_EQ(logger.posts()[2], (LoggerPost{32775, 2125}));
    EXPECT_EQ(workers.startedAfterPosts, (std::vector<std::size_t>{logger.posts().size()}));
    EXPECT_EQ(settings.value("N1MM_SWITCH"), "13478");
    EXPECT_EQ(settings.value("SquelchState"), "1");
    EXPECT_EQ(block.textAt(4, 128), std::string(128, '\0'));
    EXPECT_EQ(block.textAt(132, 8), std::string("COM123\0\0", 8));
    EXPECT_EQ(block.textAt(140, 8), std::string("COM\xC3\xBC\0\0\0", 8));
    EXPECT_EQ(block.bytes[21715], std::byte{0});
    EXPECT_EQ(block.bytes[21716], FakeSharedBlock::kUntouched);
}

TEST(LoggerLinkSmallBlock, ABlockSmallerThanExpectedIsFilledAsFarAsItGoes) {
    LinkRig rig;
    rig.block.bytes.assign(150, FakeSharedBlock::kUntouched);
    ASSERT_TRUE(rig.link.connectLogger());
    EXPECT_EQ(rig.block.textAt(0, 4), std::string("\x0a\0\0\0", 4));
    EXPECT_EQ(rig.block.textAt(140, 8), std::string("NONE\0\0\0\0", 8));
    EXPECT_EQ(rig.block.bytes[149], std::byte{0});
    rig.link.levelHeartbeatTick();  // offset 152 lies outside: nothing is written
    EXPECT_EQ(rig.block.bytes.size(), 150u);
}

}  // namespace
}  // namespace kestrel
