// The main window's rules without a screen: the timeout answer, texts and the log selection.
#include "ui/main_rules.h"

#include <gtest/gtest.h>

namespace kestrio::ui {
namespace {

TEST(TimeoutAnswer, AcceptsRoundedValuesInRangeAndRefusesTheRestInTheRuleWords) {
  const std::pair<const char*, int> accepted[] = {{"2.5", 2}, {"3.5", 4},  {"1", 1},   {"3000", 3000},
                                                  {"5a", 5},  {" 45", 45}, {"0.6", 1}, {"2999.5", 3000}};
  for (const auto& [answer, value] : accepted) {
    const TimeoutDecision d = JudgeTimeoutAnswer(answer);
    EXPECT_EQ(d.value, std::optional<int>(value)) << answer;
    EXPECT_TRUE(d.refusal.empty()) << answer;
  }
  for (const std::string answer :
       {"0", "0.4", "3001", "3000.6", "-5", "ten", "abc", "70000", "99999999999999999999999", "."}) {
    const TimeoutDecision d = JudgeTimeoutAnswer(answer);
    EXPECT_FALSE(d.value.has_value()) << answer;
    EXPECT_EQ(
        d.refusal,
        "'" + answer + "' is not a valid timeout value.  Must be non-zero number no greater than  3000.");
  }
  EXPECT_TRUE(JudgeTimeoutAnswer("").Unchanged());
}

// The other captions and questions are asserted where the window shows them.
TEST(MainTexts, TimeoutPromptAndHelp) {
  EXPECT_EQ(TimeoutPrompt(30),
            "Timeout is currently set at:  30 seconds.\n\nThis is the amount of time Kestrio will\n"
            "wait for a response from the Tessel Ethernet brain\nbefore giving up.\n\nEnter new timeout: ");
  EXPECT_EQ(CouldNotConnectTo("10.0.0.9"), "Could not connect to 10.0.0.9.");
  EXPECT_EQ(
      HelpText().rfind("This utility assumes that an Tessel Ethernet brain is connected via Ethernet \n", 0),
      0u);
}

TEST(LogSelection, KeepsOnlyHexWordsOfShortSelectionsWhenEnabled) {
  const std::string line = "\nReceived:  0004C1200000000000000000 [Write Response]";
  EXPECT_FALSE(SelectionToDecode(false, line));
  EXPECT_EQ(SelectionToDecode(true, line).value_or("?"), "0004C1200000000000000000");
  // Two logged packets selected together stay two words.
  const std::string two =
      "Sending [Write Quad Request]: 0000C4000000FFFFF038000000000001\n"
      "Received:  0000C1200000000000000000 [Write Response]";
  EXPECT_EQ(SelectionToDecode(true, two).value_or("?"),
            "0000C4000000FFFFF038000000000001 0000C1200000000000000000");
  EXPECT_FALSE(SelectionToDecode(true, ""));
  EXPECT_FALSE(SelectionToDecode(true, "Connection closed."));
  EXPECT_TRUE(SelectionToDecode(true, std::string(7999, 'A')));
  EXPECT_FALSE(SelectionToDecode(true, std::string(8000, 'A')));
}

}  // namespace
}  // namespace kestrio::ui
