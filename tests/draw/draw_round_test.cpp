#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

using draw::NoticeKind;

using DrawRoundTest = DrawFixture;

TEST_F(DrawRoundTest, ARunThatExhaustsTheListDrawsNobodyTwice) {
    initialize(30);
    for (const char* size : {"4", "7", "1", "9", "8"}) {
        drawRound(size);
    }
    EXPECT_EQ(engine.state().RemainingCount, 1);
    const auto names = listedNames();
    EXPECT_EQ(names.size(), 29U);

    // The one left over is never drawn.
    engine.Cmd_Start_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::TooFewCandidates});
    EXPECT_FALSE(view.rolling());
    EXPECT_EQ(engine.state().RemainingCount, 1);
    EXPECT_FALSE(view.timer1);
}

TEST_F(DrawRoundTest, WinnersComeInFileOrderAndAllAreListedOnce) {
    initialize(40);
    typeRoundSize(view, engine, "12");
    engine.Cmd_Start_Click();
    EXPECT_EQ(view.roll, FakeView::kRolling);
    EXPECT_TRUE(view.timer1);
    EXPECT_TRUE(view.startEnabled);
    EXPECT_EQ(engine.phase(), draw::RoundPhase::Rolling);
    const auto winners = engine.state().RoundWinners;
    ASSERT_EQ(winners.size(), 12U);
    std::vector<int> numbers;
    std::set<std::string> names;
    for (const auto& winner : winners) {
        numbers.push_back(std::stoi(winner.name.substr(std::string("候选人").size())));
        EXPECT_EQ(numbers.back(), winner.line) << "a name travels with its own line";
        names.insert(winner.name);
    }
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));

    engine.Cmd_Start_Click(); // Stop
    EXPECT_EQ(view.roll, winners.front().name);
    EXPECT_FALSE(view.timer1);
    EXPECT_FALSE(view.rolling());
    EXPECT_EQ(engine.phase(), draw::RoundPhase::Idle);
    engine.Timer2_Timer();
    EXPECT_FALSE(view.timer2);
    EXPECT_EQ(listedNames(), names);
    EXPECT_EQ(view.roll, engine.state().RoundWinners.back().name);
}

TEST_F(DrawRoundTest, NumberingRunsOnAcrossRounds) {
    initialize(10);
    drawRound("1");
    const draw::Candidate first = engine.state().RoundWinners[0];

    services.now = {2026, 12, 7, 20, 15, 0};
    drawRound("3");
    drawRound("2");
    const auto lines = listedLines(engine.results());
    ASSERT_EQ(lines.size(), 6U);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(lines[static_cast<std::size_t>(i)].number, i + 1);
    }
    EXPECT_EQ(engine.NextResultNumber(), 7);

    // The box shows the results that the engine holds, each with its line, round and time.
    const auto entries = engine.results().entries();
    ASSERT_EQ(entries.size(), 6U);
    EXPECT_EQ(view.results, draw::resultsText(engine.results()));
    EXPECT_EQ(entries[0].winner, first);
    EXPECT_EQ(entries[0].round, 1);
    EXPECT_EQ(entries[0].time, (platform::LocalDateTime{2026, 12, 7, 19, 30, 5}));
    EXPECT_EQ(entries[5].round, 3);
    EXPECT_EQ(entries[5].time, (platform::LocalDateTime{2026, 12, 7, 20, 15, 0}));
    EXPECT_EQ(engine.results().rounds(), 3);
    EXPECT_EQ(engine.results().lastRound().size(), 2U);
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.winner.name, "候选人" + std::to_string(entry.winner.line));
    }
}

// The audience view hears of each round as the results box shows it: same numbers, same
// names, same order, once per round.
TEST_F(DrawRoundTest, EachListedRoundReachesTheViewWithItsNumbers) {
    initialize(10);
    drawRound("3");
    drawRound("2");
    const auto lines = listedLines(engine.results());
    ASSERT_EQ(view.listedRounds.size(), 2U);
    std::vector<std::pair<int, std::string>> heard;
    for (const auto& round : view.listedRounds) {
        heard.insert(heard.end(), round.begin(), round.end());
    }
    ASSERT_EQ(heard.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(heard[i], std::make_pair(lines[i].number, lines[i].name));
    }
    EXPECT_EQ(view.listedRounds[1].front().first, 4);
}

TEST_F(DrawRoundTest, NamesSurviveByteForByte) {
    writeBonus("\tA  B\t\r\nC\nD\r\n\r\n");
    engine.Cmd_Init_Click();
    drawRound("3");
    EXPECT_EQ(listedNames(), (std::set<std::string>{"\tA  B\t", "C\nD", ""}));
}

TEST_F(DrawRoundTest, RoundSizeEqualToTheRemainderEmptiesTheListAndStopStillWorks) {
    initialize(5);
    drawRound("5");
    EXPECT_EQ(engine.state().RemainingCount, 0);
    EXPECT_EQ(listedNames().size(), 5U);
    EXPECT_TRUE(view.notices.empty());
}

TEST_F(DrawRoundTest, EnterAndSpaceActAsTheButtonEvenBeforeInitialize) {
    std::int16_t enter = 13;
    std::int16_t space = 32;
    std::int16_t letter = 65;
    engine.Form_KeyPress(enter);
    engine.Form_KeyPress(letter);
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::TooFewCandidates});
    EXPECT_EQ(enter, 13);

    initialize(3);
    view.startEnabled = false; // the keys work while the button is disabled
    engine.Form_KeyPress(space);
    EXPECT_TRUE(view.rolling());
    engine.Form_KeyPress(enter);
    EXPECT_FALSE(view.rolling());
    EXPECT_TRUE(view.timer2);
}

// A press that reaches the engine while a refused Start is being told (the window blocks
// keys then; this is the engine's own guard) must not stop, and so list once more, the
// round before.
TEST_F(DrawRoundTest, APressWhileStartTellsWhyDoesNothing) {
    initialize(5);
    drawRound("2");
    typeRoundSize(view, engine, "9");
    int presses = 0;
    view.whileTelling = [&] {
        ++presses;
        engine.Cmd_Start_Click();
    };
    engine.Cmd_Start_Click();
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(engine.phase(), draw::RoundPhase::Idle);
    EXPECT_FALSE(view.timer2);
    EXPECT_FALSE(engine.listingPending());
    EXPECT_EQ(engine.results().entries().size(), 2U);
}

TEST_F(DrawRoundTest, RollingCyclesTheSampleAndCarriesOnAcrossRounds) {
    writeBonus("甲\r\n乙\r\n丙\r\n");
    engine.Cmd_Init_Click();
    typeRoundSize(view, engine, "1");
    engine.Cmd_Start_Click();
    std::vector<std::string> shown;
    for (int tick = 0; tick < 4; ++tick) {
        engine.Timer1_Timer();
        shown.push_back(view.roll);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"甲", "乙", "丙", "甲"}));
    engine.Cmd_Start_Click();
    engine.Timer2_Timer();
    engine.Cmd_Start_Click();
    engine.Timer1_Timer();
    EXPECT_EQ(view.roll, "乙");
}

// Round sizes as operators type them. Refusals leave the draw untouched and the button
// ready, the label showing the rolling dashes and the box as typed.
TEST_F(DrawRoundTest, RoundSizeInputs) {
    const struct {
        const char* typed;
        int winners;       // 0: refused
        NoticeKind notice; // for refusals
        const char* boxAfter;
    } cases[] = {
        {"", 1, {}, "1"},
        {"-3", 1, {}, "1"},
        {"-40000", 1, {}, "1"},
        {"2.5", 2, {}, "2.5"},
        {"3.5", 4, {}, "3.5"},
        {" 3 ", 3, {}, " 3 "},
        {"３", 3, {}, "３"},
        {"0", 0, NoticeKind::RoundNotPositive, "0"},
        {"0.4", 0, NoticeKind::RoundNotPositive, "0.4"},
        {"abc", 0, NoticeKind::RoundNotPositive, "abc"},
        {"21", 0, NoticeKind::RoundAboveRemaining, "21"},
        {"40000", 0, NoticeKind::RoundAboveRemaining, "40000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("typed '") + c.typed + "'");
        FakeView freshView;
        FakeServices freshServices(utf8String(m_dir), 11);
        draw::DrawEngine freshEngine(freshView, freshView, freshServices.forDraw());
        freshEngine.startUp();
        writeBonus(numberedList(20));
        freshEngine.Cmd_Init_Click();
        typeRoundSize(freshView, freshEngine, c.typed);
        freshEngine.Cmd_Start_Click();
        EXPECT_EQ(freshView.roundSize, c.boxAfter);
        EXPECT_TRUE(freshView.startEnabled);
        if (c.winners > 0) {
            EXPECT_TRUE(freshView.notices.empty());
            EXPECT_TRUE(freshView.rolling());
            EXPECT_EQ(freshEngine.state().RoundWinners.size(), static_cast<std::size_t>(c.winners));
            EXPECT_EQ(freshEngine.state().RemainingCount, 20 - c.winners);
        } else {
            EXPECT_EQ(freshView.noticeKinds(), std::vector{c.notice});
            EXPECT_FALSE(freshView.rolling());
            EXPECT_EQ(freshEngine.phase(), draw::RoundPhase::Idle);
            EXPECT_EQ(freshView.roll, FakeView::kRolling);
            EXPECT_FALSE(freshView.timer1);
            EXPECT_EQ(freshEngine.state().RemainingCount, 20);
            // A smaller number then starts the round.
            typeRoundSize(freshView, freshEngine, "2");
            freshEngine.Cmd_Start_Click();
            EXPECT_TRUE(freshView.rolling());
        }
    }
}

TEST_F(DrawRoundTest, StartBeforeTheListingTickListsTheStoppedRoundFirst) {
    initialize(10);
    typeRoundSize(view, engine, "2");
    engine.Cmd_Start_Click();
    engine.Cmd_Start_Click(); // Stop: the listing timer is armed but has not ticked
    const auto stopped = engine.state().RoundWinners;
    typeRoundSize(view, engine, "3");
    engine.Cmd_Start_Click();
    EXPECT_FALSE(view.timer2);
    const auto lines = listedLines(engine.results());
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ((std::set<std::string>{lines[0].name, lines[1].name}),
              (std::set<std::string>{stopped[0].name, stopped[1].name}));

    engine.Cmd_Start_Click();
    engine.completePendingListing(); // what Save and Print do first
    EXPECT_EQ(listedLines(engine.results()).size(), 5U);
    engine.completePendingListing(); // nothing pending: nothing listed again
    EXPECT_EQ(listedLines(engine.results()).size(), 5U);
}

// Fresh runs of two and of three candidates: each line must win its fair share. The faults
// this guards against (a generator read twice, an unmixed pool) make one line win nearly
// always, which 15 runs show as plainly as 150 did.
TEST_F(DrawRoundTest, EveryCandidateHasTheSameChance) {
    constexpr int kRuns = 15;
    for (const int candidates : {2, 3}) {
        SCOPED_TRACE(candidates);
        writeBonus(numberedList(candidates));
        std::map<std::string, int> wins;
        for (int run = 0; run < kRuns; ++run) {
            FakeView freshView;
            FakeServices freshServices(utf8String(m_dir), 1000 + static_cast<std::uint64_t>(run));
            draw::DrawEngine freshEngine(freshView, freshView, freshServices.forDraw());
            freshEngine.startUp();
            freshEngine.Cmd_Init_Click();
            typeRoundSize(freshView, freshEngine, "1");
            freshEngine.Cmd_Start_Click();
            ++wins[freshEngine.state().RoundWinners.at(0).name];
        }
        std::vector<int> counts;
        for (int line = 1; line <= candidates; ++line) {
            counts.push_back(wins["候选人" + std::to_string(line)]);
        }
        // With two candidates this is the two-sided binomial test (chi-square, 1 degree).
        EXPECT_LT(chiSquare(counts), chiSquareCritical001(candidates - 1));
    }
}

} // namespace
} // namespace kelvara::testing
