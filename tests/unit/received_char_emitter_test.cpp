#include "decode/received_char_emitter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <thread>

#include "fakes/fake_logger_port.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kTxmChar = 32771;

struct ReceivedCharEmitterTest : ::testing::Test {
    ModemState state;
    RecordingLogger logger;
    ReceivedCharEmitter emitter{state, logger};

    ReceivedCharEmitterTest() { state.Contest = 0; }
    std::string emit(std::string_view text) {
        for (char c : text) emitter.emitReceivedChar(static_cast<char16_t>(c));
        return logger.textOf(kTxmChar);
    }
};

TEST_F(ReceivedCharEmitterTest, DoubledSpacesAndNewlinesArriveOnce) {
    EXPECT_EQ(emit("A  B\n\n\nC \n \n"), "A B\nC \n \n");
}

TEST_F(ReceivedCharEmitterTest, DoubledSlashBecomesSlashDotAndMoreAreDropped) {
    EXPECT_EQ(emit("A//"), "A/.");
    EXPECT_EQ(emit("/."), "A/.");
    EXPECT_EQ(emit("B.."), "A/.B.");
    EXPECT_EQ(emit("./"), "A/.B.");
}

TEST_F(ReceivedCharEmitterTest, NulIsDroppedAndForgotten) {
    emit(" ");
    emitter.emitReceivedChar(0);
    EXPECT_EQ(emit(" "), " ");  // the space before the NUL still counts as the last one
    EXPECT_EQ(logger.posts().size(), 1u);
}

TEST_F(ReceivedCharEmitterTest, ContestModeFiltersAfterRememberingTheRawCharacter) {
    state.Contest = 1;
    EXPECT_EQ(emit("AGN9"), "AGN?");
    // "599/" posts "599." but remembers "/", so a second "/" becomes "." and is posted.
    EXPECT_EQ(emit(" 599//"), "AGN? 599..");
}

TEST_F(ReceivedCharEmitterTest, NoWordFilterOutsideContestMode) {
    EXPECT_EQ(emit("AGN9 599/"), "AGN9 599/");
    EXPECT_EQ(emitter.wordFilter.digitRun, 0);
}

TEST_F(ReceivedCharEmitterTest, ConcurrentCallersAreSerialised) {
    constexpr int kEach = 2000;
    auto sender = [&](char16_t c) {
        for (int k = 0; k < kEach; ++k) emitter.emitReceivedChar(c);
    };
    std::thread a(sender, u'A');
    std::thread b(sender, u'B');
    a.join();
    b.join();
    const std::string text = logger.textOf(kTxmChar);
    EXPECT_EQ(text.size(), 2u * kEach);
    EXPECT_EQ(std::count(text.begin(), text.end(), 'A'), kEach);
}

}  // namespace
}  // namespace kestrel
