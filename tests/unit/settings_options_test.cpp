#include "app/settings_options.h"

#include <gtest/gtest.h>

#include "scratch_folder.h"

namespace kestrel {
namespace {

using Args = std::vector<std::string>;

class SettingsOptions : public ::testing::Test {
  protected:
    SettingsOptions() {
        ScratchFolder::write(ini,
                             "[Kestrel Modem]\r\nMarkfrequency=1275\r\nSpacefrequency=1445\r\n"
                             "Baud Rate=1\r\nDecodemode=2\r\n");
    }
    // Applies args and expects an error that mentions every one of the texts.
    void expectError(Args args, std::initializer_list<std::string_view> texts) {
        const Args before = args;
        std::string error;
        EXPECT_FALSE(applySettingsOptions(args, state, error));
        for (std::string_view text : texts)
            EXPECT_NE(error.find(text), std::string::npos) << error << " lacks " << text;
        EXPECT_EQ(args, before);
        EXPECT_EQ(state.markFrequency, 2125.0);
        EXPECT_EQ(state.baudIndex, 0);
    }
    ScratchFolder folder;
    std::string ini = folder.file("contest.ini");
    ModemState state;
};

TEST_F(SettingsOptions, BadValuesNameTheOptionAndWhatItAccepts) {
    for (const char* speed : {"45", "100", "", "45.450"})
        expectError({"--baud", speed}, {"--baud", "45.45, 50 or 75"});
    for (const char* hz : {"249", "3000", "abc", "2125Hz", "", "nan"}) {
        expectError({"--mark", hz}, {"--mark", "250 to 2999"});
        expectError({std::string("--space=") + hz}, {"--space", "250 to 2999"});
    }
    expectError({"in.wav", "--settings"}, {"--settings", "needs a value"});
    // Tones the decoders cannot tell apart at the speed asked for.
    expectError({"--space", "2125"}, {"mark 2125", "space 2125", "50 to 2750 Hz apart"});
    expectError({"--space", "2195", "--baud", "75"}, {"70 Hz apart", "83 to 2750"});
    // A good file does not get applied when an override is bad.
    expectError({"--settings", ini, "--baud", "110"}, {"--baud"});
}

}  // namespace
}  // namespace kestrel
