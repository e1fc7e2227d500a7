// A list that changes between Initialize and a Start: missing, unreadable, shorter, edited
// in place, or with lines inserted or removed.
#include <algorithm>
#include <functional>
#include <optional>

#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

using draw::NoticeKind;
using ListChangeTest = DrawFixture;

TEST_F(ListChangeTest, MissingOrUnreadableListAtStartCancelsTheRound) {
    initialize(6);
    std::filesystem::remove(bonusPath());
    typeRoundSize(view, engine, "2");
    engine.Cmd_Start_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::ListMissing});
    EXPECT_FALSE(view.rolling());
    EXPECT_TRUE(view.startEnabled);
    EXPECT_FALSE(view.timer1);

    writeBonus(numberedList(6));
    services.unreadable.push_back(utf8String(bonusPath()));
    engine.Cmd_Start_Click();
    EXPECT_EQ(view.notices.back().kind, NoticeKind::ListUnreadable);
    EXPECT_EQ(engine.state().RemainingCount, 6);
    EXPECT_EQ(engine.state().DrawnFlags, std::vector<bool>(6, false));
}

TEST_F(ListChangeTest, ShorterListCancelsTheWholeRoundAndEditedLinesGiveTheirNewText) {
    initialize(8);
    writeBonus(numberedList(4)); // half the list is gone
    typeRoundSize(view, engine, "8");
    engine.Cmd_Start_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::ListShrunk});
    EXPECT_EQ(engine.state().RemainingCount, 8);
    EXPECT_EQ(engine.state().DrawnFlags, std::vector<bool>(8, false));
    EXPECT_FALSE(view.rolling());
    EXPECT_FALSE(view.timer1);

    writeBonus(numberedList(8, "（已核对）\r\n"));
    drawRound("8");
    EXPECT_EQ(listedNames().size(), 8U);
    for (const auto& line : listedLines(engine.results())) {
        EXPECT_NE(line.name.find("（已核对）"), std::string::npos);
    }
}

// What a Start does with a list that was changed after Initialize: lines edited where they
// stand give their new text; lines that moved would make a line number name somebody else,
// perhaps a winner already, so the round is cancelled and nobody is marked.
TEST_F(ListChangeTest, ListChangedSinceInitializeDrawsOnlyWhileItsLinesStayInPlace) {
    const auto baseline = [] {
        std::vector<std::string> lines;
        for (int i = 1; i <= 40; ++i) {
            lines.push_back("候选人" + std::to_string(i));
        }
        return lines;
    }();
    using Edit = std::function<void(std::vector<std::string>&)>;
    const struct {
        const char* name;
        Edit edit;
        std::optional<draw::Notice> notice; // none: the round goes ahead
    } rows[] = {
        {"unchanged", [](auto&) {}, {}},
        {"one line edited", [](auto& l) { l[4] += "（已核对）"; }, {}},
        {"every line edited",
         [](auto& l) {
             for (auto& line : l) {
                 line += "（新）";
             }
         },
         {}},
        {"names added after the end", [](auto& l) { l.push_back("迟到的人"); }, {}},
        {"first deleted, a late name at the end",
         [](auto& l) {
             l.erase(l.begin());
             l.push_back("迟到的人");
         },
         draw::Notice{NoticeKind::LinesShifted}},
        {"a line inserted in the middle", [](auto& l) { l.insert(l.begin() + 20, "插队的人"); },
         draw::Notice{NoticeKind::LinesShifted}},
        {"two lines swapped", [](auto& l) { std::swap(l[10], l[11]); },
         draw::Notice{NoticeKind::LinesShifted}},
        {"the last line removed", [](auto& l) { l.pop_back(); },
         draw::Notice{NoticeKind::ListShrunk}},
        {"a line grown over 1000 characters",
         [](auto& l) {
             l[6].clear();
             for (int i = 0; i < 1001; ++i) {
                 l[6] += "长";
             }
         },
         draw::Notice{NoticeKind::LineTooLong, 7}},
    };
    const auto joined = [](const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& line : lines) {
            text += line + "\r\n";
        }
        return text;
    };
    writeBonus(joined(baseline));
    engine.Cmd_Init_Click();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto lines = baseline;
        row.edit(lines);
        writeBonus(joined(lines));
        view.notices.clear();
        const auto before = engine.state();
        typeRoundSize(view, engine, "2");
        engine.Cmd_Start_Click();
        if (!row.notice) {
            EXPECT_TRUE(view.notices.empty());
            ASSERT_TRUE(view.rolling());
            EXPECT_EQ(engine.state().RemainingCount, before.RemainingCount - 2);
            for (const auto& winner : engine.state().RoundWinners) {
                EXPECT_EQ(lines.at(static_cast<std::size_t>(winner.line - 1)), winner.name)
                    << winner.name << " is not the text of its line";
                EXPECT_LE(winner.line, 40) << winner.name << " is not among the first 40 lines";
            }
            engine.Cmd_Start_Click();
            engine.Timer2_Timer();
        } else {
            EXPECT_EQ(view.notices, std::vector{*row.notice});
            EXPECT_FALSE(view.rolling());
            EXPECT_TRUE(view.startEnabled);
            EXPECT_FALSE(view.timer1);
            EXPECT_EQ(engine.state().RemainingCount, before.RemainingCount);
            EXPECT_EQ(engine.state().DrawnFlags, before.DrawnFlags);
        }
    }
}

// Deleting the first name and adding a late one mid-run used to draw earlier winners again.
TEST_F(ListChangeTest, AMidRunEditThatMovesLinesNeverRepeatsAWinner) {
    initialize(200);
    drawRound("100");
    writeBonus(numberedList(200).substr(std::string("候选人1\r\n").size()) + "迟到的人\r\n");
    typeRoundSize(view, engine, "50");
    engine.Cmd_Start_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::LinesShifted});
    EXPECT_EQ(engine.state().RemainingCount, 100);

    writeBonus(numberedList(200)); // restored
    drawRound("50");
    EXPECT_EQ(listedNames().size(), 150U);
}

} // namespace
} // namespace kelvara::testing
