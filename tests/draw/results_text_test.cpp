// The results' text, as the results box shows it and the results file holds it, with the
// winner's number of each of its lines.
#include <gtest/gtest.h>

#include "draw/results.h"

namespace kelvara::draw {
namespace {

ResultEntry winner(int number, int line, std::string name) {
    return {number, {line, std::move(name)}, 0, {2026, 12, 7, 19, 30, 5}};
}

TEST(ResultsText, HeadingThenALinePerWinnerUnderItsPrize) {
    Results empty;
    Results plain;
    plain.addRound({winner(1, 4, "\tA  B"), winner(2, 2, "C\nD\rE")});
    // A prize's heading stands before each run of its rounds; an absent winner is marked.
    Results planned;
    planned.setPrizes({{"三等奖", 3}, {"一等奖", 1}});
    planned.addRound({winner(1, 3, "甲"), winner(2, 5, "乙")}, 1);
    planned.addRound({winner(3, 1, "丙")}, 2);
    ASSERT_EQ(planned.markAbsent(2, {2026, 12, 7, 19, 40, 0}), MarkOutcome::Done);
    planned.addRound({winner(4, 2, "丁")}, 1);

    const struct {
        const char* name;
        const Results& results;
        std::string text;
        std::vector<int> lineNumbers;
    } rows[] = {
        {"no winner yet", empty, "摇号结果\r\n", {0, 0}},
        {"a line end inside a name shown as a space, a TAB kept",
         plain,
         "摇号结果\r\n\r\n[1]:\t\tA  B\r\n[2]:\tC D E",
         {0, 0, 1, 2}},
        {"prizes and an absent mark",
         planned,
         "摇号结果\r\n\r\n【三等奖】\r\n[1]:\t甲\r\n[2]:\t乙（弃奖）\r\n【一等奖】\r\n[3]:\t丙"
         "\r\n【三等奖】\r\n[4]:\t丁",
         {0, 0, 0, 1, 2, 0, 3, 0, 4}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const NumberedText shown = numberedResultsText(row.results);
        EXPECT_EQ(shown.text, row.text);
        EXPECT_EQ(resultsText(row.results), row.text);
        EXPECT_EQ(shown.lineNumbers, row.lineNumbers);
    }
}

} // namespace
} // namespace kelvara::draw
