#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

using InitializeTest = DrawFixture;

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
        draw::DrawEngine freshEngine(freshView, services);
        freshEngine.StartUp();
        writeBonus(numberedList(c.lines));
        freshEngine.Cmd_Init_Click();

        const auto& state = freshEngine.State();
        std::vector<std::string> expected;
        for (const int line : c.sampleLines) {
            expected.push_back("候选人" + std::to_string(line));
        }
        EXPECT_EQ(state.RollSample, expected);
        EXPECT_EQ(state.RemainingCount, c.lines);
        EXPECT_EQ(state.RoundSize, 1);
        EXPECT_EQ(state.DrawnFlags, std::vector<bool>(static_cast<std::size_t>(c.lines), false));
        EXPECT_EQ(freshView.rollCaption, "共" + std::to_string(c.lines) + "条数据！");
        EXPECT_FALSE(freshView.initEnabled);
        EXPECT_TRUE(freshView.startEnabled);
        auto permutation = state.LinePermutation;
        std::sort(permutation.begin(), permutation.end());
        for (int i = 0; i < c.lines; ++i) {
            ASSERT_EQ(permutation[static_cast<std::size_t>(i)], i + 1);
        }
    }
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(InitializeTest, RefusesTooShortAndTooLongListsAndChangesNothing) {
    const struct {
        const char* name;
        std::string content;
        std::string message;
    } cases[] = {
        {"empty file", "", draw::text::kTooFewLines},
        {"one line", "张三\r\n", draw::text::kTooFewLines},
        {"one line without terminator", "张三", draw::text::kTooFewLines},
        {"10001 lines", numberedList(10001), draw::text::kTooManyLines},
        {"40000 lines", numberedList(40000), draw::text::kTooManyLines},
        {"a line over 1000 characters", "甲\r\n" + repeated("长", 1001) + "\r\n乙\r\n",
         "bonus.txt第2行超过1000个字符，请检查文件内容！"},
        {"a long line after 10000 lines", numberedList(10000) + repeated("B", 5000),
         draw::text::kTooManyLines},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        writeBonus(c.content);
        engine.Cmd_Init_Click();
        ASSERT_EQ(messageTexts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(view.initEnabled);
        EXPECT_FALSE(view.startEnabled);
        EXPECT_EQ(view.rollCaption, "摇号");
        EXPECT_EQ(engine.State().RemainingCount, 0);
        EXPECT_TRUE(engine.State().DrawnFlags.empty());
    }
}

TEST_F(InitializeTest, MissingFileIsRefusedUntilItIsCreated) {
    engine.Cmd_Init_Click();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{draw::text::kMissingFile});
    EXPECT_TRUE(view.initEnabled);

    std::filesystem::create_directory(bonusPath()); // a folder of that name is no file
    engine.Cmd_Init_Click();
    EXPECT_EQ(services.messages.size(), 2U);
    std::filesystem::remove(bonusPath());

    writeBonus("甲\r\n乙\r\n");
    engine.Cmd_Init_Click();
    EXPECT_EQ(services.messages.size(), 2U);
    EXPECT_EQ(engine.State().RemainingCount, 2);
}

// Beside the program the message is unchanged; a data folder elsewhere is named in it.
TEST_F(InitializeTest, MissingListMessageNamesADataFolderAwayFromTheProgram) {
    const std::string inDocuments =
        std::string(draw::text::kMissingFile) + "\n（文件夹：<" + m_dir.string() + ">）";
    const struct {
        const char* name;
        bool programDirectory;
        bool atStart;
        std::string expected;
    } cases[] = {
        {"program directory, Initialize", true, false, draw::text::kMissingFile},
        {"documents folder, Initialize", false, false, inDocuments},
        {"program directory, Start", true, true, draw::text::kMissingFile},
        {"documents folder, Start", false, true, inDocuments},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeView freshView;
        draw::DrawEngine freshEngine(freshView, services);
        freshEngine.StartUp();
        services.directoryIsProgramDirectory = c.programDirectory;
        if (c.atStart) {
            writeBonus(numberedList(3));
            freshEngine.Cmd_Init_Click();
            ASSERT_FALSE(freshView.initEnabled);
        }
        std::filesystem::remove(bonusPath());
        services.messages.clear();
        freshView.roundSize = "1";
        c.atStart ? freshEngine.Cmd_Start_Click() : freshEngine.Cmd_Init_Click();
        EXPECT_EQ(messageTexts(), std::vector<std::string>{c.expected});
    }
}

TEST_F(InitializeTest, UnreadableFileIsReportedAndInitializeStaysAvailable) {
    writeBonus("甲\r\n乙\r\n");
    services.unreadable.push_back(utf8String(bonusPath()));
    engine.Cmd_Init_Click();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{draw::text::kUnreadableFile});
    EXPECT_TRUE(view.initEnabled);
    EXPECT_EQ(engine.State().RemainingCount, 0);
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
        draw::DrawEngine freshEngine(freshView, services);
        writeBonus(c.content);
        freshEngine.Cmd_Init_Click();
        EXPECT_EQ(freshEngine.State().RollSample, c.sample);
        EXPECT_EQ(freshEngine.State().CandidateCount(), static_cast<int>(c.sample.size()));
    }
}

} // namespace
} // namespace kelvara::testing
