#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

using InitializeTest = DrawFixture;
using draw::NoticeKind;

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

struct ListCase {
    const char* name;
    int lines;
    std::vector<int> sampleLines; // empty: refused
};

TEST_F(InitializeTest, LoadsListsOfTwoToTenThousandLinesWithTheirSample) {
    const ListCase cases[] = {
        {"two lines", 2, {1, 2}},
        {"ten lines: the whole list", 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"eleven lines: step 1", 11, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"twenty lines: step 2", 20, {2, 4, 6, 8, 10, 12, 14, 16, 18, 20}},
        {"29 lines: still step 2", 29, {2, 4, 6, 8, 10, 12, 14, 16, 18, 20}},
        {"10000 lines: step 1000",
         10000,
         {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeView freshView;
        draw::DrawEngine freshEngine(freshView, freshView, services.forDraw());
        freshEngine.startUp();
        writeBonus(numberedList(c.lines));
        freshEngine.Cmd_Init_Click();

        const auto& state = freshEngine.state();
        std::vector<std::string> expected;
        for (const int line : c.sampleLines) {
            expected.push_back("候选人" + std::to_string(line));
        }
        EXPECT_EQ(state.RollSample, expected);
        EXPECT_EQ(state.RemainingCount, c.lines);
        EXPECT_EQ(state.RoundSize, 1);
        EXPECT_EQ(state.DrawnFlags, std::vector<bool>(static_cast<std::size_t>(c.lines), false));
        EXPECT_EQ(freshView.roll, "<list of " + std::to_string(c.lines) + ">");
        EXPECT_TRUE(freshView.notices.empty());
        EXPECT_FALSE(freshView.initEnabled);
        EXPECT_TRUE(freshView.startEnabled);
        auto permutation = state.LinePermutation;
        std::sort(permutation.begin(), permutation.end());
        for (int i = 0; i < c.lines; ++i) {
            ASSERT_EQ(permutation[static_cast<std::size_t>(i)], i + 1);
        }
    }
}

TEST_F(InitializeTest, RefusesTooShortAndTooLongListsAndChangesNothing) {
    const struct {
        const char* name;
        std::string content;
        draw::Notice notice;
    } cases[] = {
        {"empty file", "", {NoticeKind::TooFewLines}},
        {"one line", "张三\r\n", {NoticeKind::TooFewLines}},
        {"one line without terminator", "张三", {NoticeKind::TooFewLines}},
        {"10001 lines", numberedList(10001), {NoticeKind::TooManyLines}},
        {"40000 lines", numberedList(40000), {NoticeKind::TooManyLines}},
        {"a line over 1000 characters",
         "甲\r\n" + repeated("长", 1001) + "\r\n乙\r\n",
         {NoticeKind::LineTooLong, 2}},
        {"a long line after 10000 lines",
         numberedList(10000) + repeated("B", 5000),
         {NoticeKind::TooManyLines}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view.notices.clear();
        writeBonus(c.content);
        engine.Cmd_Init_Click();
        ASSERT_EQ(view.notices, std::vector<draw::Notice>{c.notice});
        EXPECT_TRUE(view.initEnabled);
        EXPECT_FALSE(view.startEnabled);
        EXPECT_EQ(view.rollChanges, 0);
        EXPECT_EQ(engine.state().RemainingCount, 0);
        EXPECT_TRUE(engine.state().DrawnFlags.empty());
    }
}

TEST_F(InitializeTest, MissingFileIsRefusedUntilItIsCreated) {
    engine.Cmd_Init_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::ListMissing});
    EXPECT_TRUE(view.initEnabled);

    std::filesystem::create_directory(bonusPath()); // a folder of that name is no file
    engine.Cmd_Init_Click();
    EXPECT_EQ(noticeKinds(), std::vector(2, NoticeKind::ListMissing));
    std::filesystem::remove(bonusPath());

    writeBonus("甲\r\n乙\r\n");
    engine.Cmd_Init_Click();
    EXPECT_EQ(view.notices.size(), 2U);
    EXPECT_EQ(engine.state().RemainingCount, 2);
}

// A list that goes missing after Initialize is told at Start, and the round is not drawn.
TEST_F(InitializeTest, MissingListIsToldAtInitializeAndAtStart) {
    for (const bool atStart : {false, true}) {
        SCOPED_TRACE(atStart ? "Start" : "Initialize");
        FakeView freshView;
        draw::DrawEngine freshEngine(freshView, freshView, services.forDraw());
        freshEngine.startUp();
        if (atStart) {
            writeBonus(numberedList(3));
            freshEngine.Cmd_Init_Click();
            ASSERT_FALSE(freshView.initEnabled);
        }
        std::filesystem::remove(bonusPath());
        typeRoundSize(freshView, freshEngine, "1");
        atStart ? freshEngine.Cmd_Start_Click() : freshEngine.Cmd_Init_Click();
        EXPECT_EQ(freshView.noticeKinds(), std::vector{NoticeKind::ListMissing});
        EXPECT_FALSE(freshView.rolling());
    }
}

TEST_F(InitializeTest, UnreadableFileIsReportedAndInitializeStaysAvailable) {
    writeBonus("甲\r\n乙\r\n");
    services.unreadable.push_back(utf8String(bonusPath()));
    engine.Cmd_Init_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::ListUnreadable});
    EXPECT_TRUE(view.initEnabled);
    EXPECT_EQ(engine.state().RemainingCount, 0);
}

// Every line is a candidate, exactly as written.
TEST_F(InitializeTest, CountsLinesByTheirEnds) {
    const struct {
        const char* name;
        std::string content;
        std::vector<std::string> sample;
    } cases[] = {
        {"blank and equal lines", "A\r\n\r\n  \r\nA\r\n", {"A", "", "  ", "A"}},
        {"no final terminator", "A\r\nB", {"A", "B"}},
        {"lone CR ends a line", "A\rB\rC\r", {"A", "B", "C"}},
        {"LF-only file", "A\nB\nC\n", {"A", "B", "C"}},
        {"lone LF inside a CR LF file", "A\nB\r\nC\r\n", {"A\nB", "C"}},
        {"tabs kept", "\tA B\t\r\nC\r\n", {"\tA B\t", "C"}},
        {"a name of exactly 1000 characters",
         "A\r\n" + repeated("长", 1000),
         {"A", repeated("长", 1000)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeView freshView;
        draw::DrawEngine freshEngine(freshView, freshView, services.forDraw());
        writeBonus(c.content);
        freshEngine.Cmd_Init_Click();
        EXPECT_EQ(freshEngine.state().RollSample, c.sample);
        EXPECT_EQ(freshEngine.state().CandidateCount(), static_cast<int>(c.sample.size()));
    }
}

} // namespace
} // namespace kelvara::testing
