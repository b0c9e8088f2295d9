#include "app/test_text_feeder.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_logger_port.h"
#include "fakes/fake_ui_port.h"
#include "unit/scratch_folder.h"

namespace kestrel {
namespace {

struct TestTextFeederTest : ::testing::Test {
    // What the buffer holds, taken out as stored.
    std::string typed() {
        std::string out;
        while (const std::uint8_t c = buffer.txBuffer(0, TXB_TAKE_RAW)) out += static_cast<char>(c);
        return out;
    }

    ScratchFolder folder;
    ModemState state;
    RecordingLogger logger;
    RecordingUi ui;
    TxBuffer buffer{state, logger, ui};
};

TEST_F(TestTextFeederTest, EveryByteOfTheFileIsTypedAcrossChunkEdges) {
    const std::string text = "CQ TEST DE DL5XYZ DL5XYZ K\nDL5XYZ 599 14 14\n";  // 44 bytes
    ScratchFolder::write(folder.file("calls.txt"), text);
    testTextFeeder(buffer, folder.file("calls.txt"));
    EXPECT_EQ(typed(), text);
}

TEST_F(TestTextFeederTest, AMissingOrEmptyFileTypesNothing) {
    testTextFeeder(buffer, folder.file("none.txt"));
    ScratchFolder::write(folder.file("empty.txt"), "");
    testTextFeeder(buffer, folder.file("empty.txt"));
    EXPECT_EQ(typed(), "");
    EXPECT_TRUE(ui.messageBoxes().empty());
}

}  // namespace
}  // namespace kestrel
