#include "loggersim/scenario.h"

#include <gtest/gtest.h>

#include "platform/logger_codes.h"

namespace kestrel {
namespace {

template <class Step>
Step stepOf(std::string_view line) {
    auto result = parseScenarioLine(line);
    if (auto* error = std::get_if<std::string>(&result)) ADD_FAILURE() << line << ": " << *error;
    if (!std::holds_alternative<ScenarioAction>(result)) return {};
    const ScenarioAction& action = std::get<ScenarioAction>(result);
    EXPECT_TRUE(std::holds_alternative<Step>(action)) << line;
    return std::holds_alternative<Step>(action) ? std::get<Step>(action) : Step{};
}

std::string errorOf(std::string_view line) {
    auto result = parseScenarioLine(line);
    if (auto* error = std::get_if<std::string>(&result)) return *error;
    ADD_FAILURE() << "no error for: " << line;
    return {};
}

std::vector<ScenarioCommand> commandsOf(std::string_view text) {
    auto result = textCommands(text);
    if (auto* error = std::get_if<std::string>(&result)) ADD_FAILURE() << text << ": " << *error;
    return std::holds_alternative<std::string>(result) ? std::vector<ScenarioCommand>{}
                                                       : std::get<0>(result);
}

ScenarioCommand ch(char c) {
    return {RXM_CHAR, c, false};
}

TEST(MmttyScenario, FileGivesStepsWithTheirLineNumbersAndSource) {
    const ParsedScenario parsed = parseScenario(
        "# handshake\r\n"
        "\n"
        "expect TXM_HANDLE * within 3000\r\n"
        "  send RXM_SETMARK 249  \n"
        "expect-msgbox \"Kestrel Error\" \"Kestrel Mark tone must be between 250 and 3000Hz\"\n"
        "expect TXM_MARK 2125");
    ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front();
    ASSERT_EQ(parsed.steps.size(), 4u);
    EXPECT_EQ(parsed.steps[0].line, 3);
    EXPECT_EQ(parsed.steps[0].source, "expect TXM_HANDLE * within 3000");
    EXPECT_EQ(parsed.steps[1].line, 4);
    EXPECT_EQ(parsed.steps[1].source, "send RXM_SETMARK 249");
    EXPECT_EQ(parsed.steps[3].line, 6);
    const auto& box = std::get<ExpectMessageBoxStep>(parsed.steps[2].action);
    EXPECT_EQ(box.caption, "Kestrel Error");
    EXPECT_EQ(box.text, "Kestrel Mark tone must be between 250 and 3000Hz");
    const auto& mark = std::get<ExpectStep>(parsed.steps[3].action);
    EXPECT_EQ(mark.code, TXM_MARK);
    EXPECT_EQ(mark.value, 2125);
    EXPECT_EQ(mark.withinMs, kDefaultWithinMs);
}

TEST(MmttyScenario, EveryBadLineIsReportedWithItsNumber) {
    const ParsedScenario parsed = parseScenario(
        "sned RXM_EXIT\n"
        "send RXM_EXIT\n"
        "expect TXM_MARKS 2125\n"
        "wait -5\n");
    ASSERT_EQ(parsed.errors.size(), 3u);
    EXPECT_EQ(parsed.errors[0], "line 1: unknown command 'sned'");
    EXPECT_EQ(parsed.errors[1], "line 3: 'TXM_MARKS' is not an RXM_/TXM_ name or a code number");
    EXPECT_EQ(parsed.errors[2], "line 4: '-5' is not a time in milliseconds");
    ASSERT_EQ(parsed.steps.size(), 1u);
    EXPECT_EQ(parsed.steps[0].line, 2);
}

TEST(MmttyScenario, SendTakesACodeAndAValueOrTheLoggerHandle) {
    EXPECT_EQ(stepOf<SendStep>("send RXM_SETSWITCH 0x3047E").commands,
              (std::vector<ScenarioCommand>{{RXM_SETSWITCH, 197758, false}}));
    EXPECT_EQ(stepOf<SendStep>("send 31 -1").commands,
              (std::vector<ScenarioCommand>{{31, -1, false}}));
    EXPECT_EQ(stepOf<SendStep>("send RXM_REQPARA").commands,
              (std::vector<ScenarioCommand>{{RXM_REQPARA, 0, false}}));
    EXPECT_EQ(stepOf<SendStep>("send RXM_HANDLE logger").commands,
              (std::vector<ScenarioCommand>{{RXM_HANDLE, 0, true}}));
    EXPECT_EQ(errorOf("send RXM_HANDLE \"logger\""),
              "'logger' is not a value (an integer or logger)");
    EXPECT_EQ(errorOf("send"), "usage: send CODE [VALUE|logger]");
    EXPECT_EQ(errorOf("send RXM_PTT 1 2"), "usage: send CODE [VALUE|logger]");
}

TEST(MmttyScenario, TextSendsCharactersAndMacros) {
    EXPECT_EQ(commandsOf("CQ {TX}"),
              (std::vector<ScenarioCommand>{ch('C'), ch('Q'), ch(' '), {RXM_PTT, 2, false}}));
    EXPECT_EQ(commandsOf("{RX}{ABORT}{CLEAR}{CR}{LF}{123}"),
              (std::vector<ScenarioCommand>{{RXM_PTT, 1, false},
                                            {RXM_PTT, 0, false},
                                            {RXM_PTT, 4, false},
                                            {RXM_CHAR, 13, false},
                                            {RXM_CHAR, 10, false},
                                            {RXM_CHAR, '{', false}}));
    // The text is the rest of the line after one blank, inner and trailing blanks kept.
    EXPECT_EQ(stepOf<SendStep>("  text  A #1 ").commands,
              (std::vector<ScenarioCommand>{ch(' '), ch('A'), ch(' '), ch('#'), ch('1'), ch(' ')}));
    EXPECT_EQ(stepOf<SendStep>("text \"x\"\r").commands,
              (std::vector<ScenarioCommand>{ch('"'), ch('x'), ch('"')}));
}

TEST(MmttyScenario, TextRejectsWhatItCannotSend) {
    EXPECT_EQ(errorOf("text CQ {TXX}"), "unknown macro {TXX}");
    EXPECT_EQ(errorOf("text CQ {TX"), "'{' without '}' (write '{' as {123})");
    EXPECT_EQ(errorOf("text 73 \xC3\xA9"), "text takes ASCII characters only; write others as {N}");
    EXPECT_EQ(errorOf("text"), "text needs something to send");
    EXPECT_EQ(errorOf("text {70000}"), "unknown macro {70000}");
}

TEST(MmttyScenario, ExpectValueIsOptionalOrAnyAndTimeDefaults) {
    const ExpectStep any = stepOf<ExpectStep>("expect TXM_HANDLE");
    EXPECT_EQ(any.code, TXM_HANDLE);
    EXPECT_FALSE(any.value.has_value());
    EXPECT_EQ(any.withinMs, 5000);
    const ExpectStep star = stepOf<ExpectStep>("expect TXM_THREAD * within 250");
    EXPECT_FALSE(star.value.has_value());
    EXPECT_EQ(star.withinMs, 250);
    EXPECT_EQ(stepOf<ExpectStep>("expect 32772 0").value, 0);
    EXPECT_EQ(errorOf("expect TXM_MARK 2125 within"), "usage: expect CODE [VALUE|*] [within MS]");
    EXPECT_EQ(errorOf("expect TXM_MARK 2125 within soon"), "'soon' is not a time in milliseconds");
    EXPECT_EQ(errorOf("expect TXM_MARK high"), "'high' is not a value (an integer or *)");
}

TEST(MmttyScenario, NegativeExpectationsNeedATime) {
    const ExpectNoneStep none = stepOf<ExpectNoneStep>("expect-none TXM_FIGEVENT for 500");
    EXPECT_EQ(none.code, TXM_FIGEVENT);
    EXPECT_FALSE(none.value.has_value());
    EXPECT_EQ(none.forMs, 500);
    EXPECT_EQ(stepOf<ExpectNoneStep>("expect-none TXM_PTTEVENT 1 for 0").value, 1);
    EXPECT_EQ(errorOf("expect-none TXM_FIGEVENT"), "needs 'for MS' at the end");
    EXPECT_EQ(errorOf("expect-none TXM_FIGEVENT within 500"), "needs 'for MS' at the end");

    const auto anyBox = stepOf<ExpectNoMessageBoxStep>("expect-no-msgbox for 2000");
    EXPECT_FALSE(anyBox.caption.has_value());
    EXPECT_EQ(anyBox.forMs, 2000);
    EXPECT_EQ(stepOf<ExpectNoMessageBoxStep>("expect-no-msgbox \"Kestrel Error\" for 9").caption,
              "Kestrel Error");
    EXPECT_EQ(errorOf("expect-no-msgbox"), "needs 'for MS' at the end");
}

TEST(MmttyScenario, QuotedWordsHoldBlanksEscapesAndKeywords) {
    const auto box = stepOf<ExpectMessageBoxStep>(
        R"(expect-msgbox "Kestrel Error" "Kestrel does not work standalone\nUse \"it\"\\" within 30)");
    EXPECT_EQ(box.text, "Kestrel does not work standalone\nUse \"it\"\\");
    EXPECT_EQ(box.withinMs, 30);
    EXPECT_FALSE(stepOf<ExpectMessageBoxStep>("expect-msgbox Info").text.has_value());
    // A quoted "within" is text, not the keyword.
    const auto title = stepOf<ExpectTitleStep>(R"(expect-title "DI1 XX9XX Kestrel " within 900)");
    EXPECT_EQ(title.title, "DI1 XX9XX Kestrel ");
    EXPECT_EQ(stepOf<ExpectTitleStep>(R"(expect-title "within 300")").title, "within 300");
    EXPECT_EQ(stepOf<ExpectTitleStep>(R"(expect-title "")").title, "");
    EXPECT_EQ(errorOf(R"(expect-title "DI1)"), "missing closing quote");
    EXPECT_EQ(errorOf(R"(expect-title "DI1"x)"), "a quoted word must end at a blank");
    EXPECT_EQ(errorOf(R"(expect-title "\q")"),
              "unknown escape in a quoted word (use \\\" \\\\ \\n \\r \\t)");
}

TEST(MmttyScenario, ExitSharedBytesTextAndOpenFile) {
    const ExpectExitStep anyExit = stepOf<ExpectExitStep>("expect-exit within 3000");
    EXPECT_FALSE(anyExit.exitCode.has_value());
    EXPECT_EQ(anyExit.withinMs, 3000);
    EXPECT_EQ(stepOf<ExpectExitStep>("expect-exit 0").exitCode, 0);

    const SharedBytesStep joined = stepOf<SharedBytesStep>("shared-bytes 0 0a000000");
    const SharedBytesStep spaced = stepOf<SharedBytesStep>("shared-bytes 0x0 0a 00 00 00");
    EXPECT_EQ(joined.bytes, (std::vector<std::uint8_t>{0x0A, 0, 0, 0}));
    EXPECT_EQ(spaced.bytes, joined.bytes);
    EXPECT_EQ(stepOf<SharedBytesStep>("shared-bytes 12492 E02E0000").offset, 12492u);
    EXPECT_EQ(errorOf("shared-bytes 0 0a0"), "'0a0' is not a whole number of hex bytes");
    EXPECT_EQ(errorOf("shared-bytes 0 0g"), "'0g' is not hexadecimal");
    EXPECT_EQ(errorOf("shared-bytes 152"), "usage: shared-bytes OFFSET HEX...");

    EXPECT_EQ(stepOf<ExpectTextStep>("expect-text \"CQ TEST\\r\" within 10").text, "CQ TEST\r");
    EXPECT_EQ(errorOf("expect-text \"\""), "usage: expect-text TEXT [within MS]");

    const OpenFileStep open = stepOf<OpenFileStep>(R"(open-file "Z:\\tmp\\a b.wav" within 800)");
    EXPECT_EQ(open.path, "Z:\\tmp\\a b.wav");
    EXPECT_EQ(open.withinMs, 800);
}

}  // namespace
}  // namespace kestrel
