#include <functional>
#include <optional>
#include <set>

#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

using draw::NoticeKind;

class DrawRecordTest : public DrawFixture {
protected:
    const std::string& recordText() {
        return services.recordStore.files.at(services.recordStore.current).text;
    }

    // Line number of each "[n]:\t第L行\tname" line of the record, with its name.
    static std::vector<std::pair<int, std::string>> recordedLines(const std::string& text) {
        std::vector<std::pair<int, std::string>> lines;
        std::size_t pos = 0;
        while ((pos = text.find("]:\t第", pos)) != std::string::npos) {
            const std::size_t lineStart = pos + std::string("]:\t第").size();
            const std::size_t lineEnd = text.find("行\t", lineStart);
            const std::size_t nameStart = lineEnd + std::string("行\t").size();
            lines.emplace_back(std::stoi(text.substr(lineStart, lineEnd - lineStart)),
                               text.substr(nameStart, text.find("\r\n", nameStart) - nameStart));
            pos = nameStart;
        }
        return lines;
    }
};

TEST_F(DrawRecordTest, RecordsTheRunAndEveryListedRoundAsShown) {
    writeBonus("甲\r\n乙\tA\r\n丙\nB\r\n丁\r\n戊\r\n己\r\n");
    engine.Cmd_Init_Click();
    const std::string head = "Kelvara V1.0.0 摇号记录\r\n名单：bonus.txt，共6条，SHA-256 " +
                             FakeServices::digestOf(utf8String(bonusPath())) +
                             "\r\n初始化：2026-12-07 19:30:05\r\n";
    EXPECT_EQ(services.recordStore.current, "摇号记录/摇号记录_20261207_193005.txt");
    EXPECT_EQ(recordText(), head);

    services.now = {2026, 12, 7, 19, 31, 12};
    drawRound("3");
    services.now = {2026, 12, 7, 21, 2, 40};
    drawRound("2");
    engine.endRun();

    const std::string& text = recordText();
    ASSERT_TRUE(text.starts_with(head));
    EXPECT_NE(text.find("\r\n第1轮：2026-12-07 19:31:12，3人\r\n[1]:\t第"), std::string::npos);
    EXPECT_NE(text.find("\r\n第2轮：2026-12-07 21:02:40，2人\r\n[4]:\t第"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\r\n结束：2026-12-07 21:02:40\r\n"));

    // Each winner line names the line the winner stands on, exactly as listed in the box.
    const std::vector<std::string> list{"甲", "乙\tA", "丙\nB", "丁", "戊", "己"};
    const auto recorded = recordedLines(text);
    const auto listed = listedLines(view.results);
    ASSERT_EQ(recorded.size(), 5U);
    ASSERT_EQ(listed.size(), 5U);
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(list.at(static_cast<std::size_t>(recorded[i].first - 1)), recorded[i].second);
        EXPECT_EQ(recorded[i].second, listed[i].name);
    }
}

TEST_F(DrawRecordTest, ARecordThatCannotBeWrittenIsReportedOnceAndDrawingGoesOn) {
    services.recordStore.failure = "磁盘已满";
    initialize(20);
    const draw::Notice notice{NoticeKind::RecordNotWritten, 0,
                              "摇号记录/摇号记录_20261207_193005.txt", "磁盘已满"};
    EXPECT_EQ(view.notices, std::vector{notice});
    drawRound("2");
    EXPECT_EQ(view.notices.size(), 1U);
    EXPECT_EQ(listedLines(view.results).size(), 2U);

    // Once the disk has room, the next round writes everything so far.
    services.recordStore.failure.clear();
    drawRound("3");
    EXPECT_EQ(view.notices.size(), 1U);
    EXPECT_EQ(recordedLines(recordText()).size(), 5U);
    EXPECT_TRUE(recordText().starts_with("Kelvara V1.0.0 摇号记录\r\n"));

    // Failing again after a success is told again.
    services.recordStore.failure = "磁盘已满";
    drawRound("1");
    EXPECT_EQ(view.notices.size(), 2U);
}

// A second start of the program in the same folder after the first one ended without "结束".
class ContinueTest : public DrawRecordTest {
protected:
    void SetUp() override {
        initialize(30);
        drawRound("4");
        drawRound("3");
        drawRound("5");
        view.notices.clear();
    }

    // The program started again, asking as the window does at start-up.
    struct Restart {
        explicit Restart(ContinueTest& test) : services(test.m_dir.string(), 99) {
            services.recordStore.files = test.services.recordStore.files;
            engine.startUp();
        }
        // Whether the question was asked; `yes` answers it.
        bool offerToContinue(bool yes = true) {
            offer = engine.unfinishedRun();
            if (!offer) {
                return false;
            }
            yes ? engine.continueRun(*offer) : engine.declineRun(*offer);
            return true;
        }
        FakeView view;
        FakeServices services;
        draw::DrawEngine engine{view, view, services.forDraw()};
        std::optional<draw::ContinueOffer> offer;
    };
};

TEST_F(ContinueTest, YesRestoresTheDrawnTheNumberingAndTheBoxByteForByte) {
    Restart restart(*this);
    restart.services.now = {2026, 12, 7, 20, 0, 0};
    ASSERT_TRUE(restart.offerToContinue());
    EXPECT_EQ(restart.offer->run.winners.size(), 12U);
    EXPECT_EQ(restart.offer->run.lastRoundTime, "2026-12-07 19:30:05");
    EXPECT_TRUE(restart.view.notices.empty());

    EXPECT_EQ(restart.view.results, view.results);
    EXPECT_EQ(restart.view.roll, "<restored 12, 18 left>");
    // The results come back as data: every entry with its line, round and time.
    const auto before = engine.results().entries();
    const auto after = restart.engine.results().entries();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].number, before[i].number);
        EXPECT_EQ(after[i].winner, before[i].winner);
        EXPECT_EQ(after[i].round, before[i].round);
        EXPECT_EQ(after[i].time, before[i].time);
    }
    EXPECT_EQ(restart.engine.results().rounds(), 3);
    EXPECT_EQ(restart.engine.state().RemainingCount, 18);
    EXPECT_EQ(restart.engine.NextResultNumber(), 13);
    EXPECT_FALSE(restart.view.initEnabled);
    EXPECT_TRUE(restart.view.startEnabled);
    const auto& record = restart.services.recordStore.files.begin()->second.text;
    EXPECT_TRUE(record.ends_with("\r\n继续：2026-12-07 20:00:00\r\n"));

    // The run goes on in the same record, numbered on, and never draws a recorded line again.
    restart.view.roundSize = "17";
    restart.engine.Cmd_Start_Click();
    restart.engine.Cmd_Start_Click();
    restart.engine.Timer2_Timer();
    EXPECT_EQ(restart.services.recordStore.files.size(), 1U);
    const auto& grown = restart.services.recordStore.files.begin()->second.text;
    EXPECT_NE(grown.find("\r\n第4轮："), std::string::npos);
    const auto lines = listedLines(restart.view.results);
    ASSERT_EQ(lines.size(), 29U);
    std::set<std::string> names;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].number, static_cast<int>(i) + 1);
        EXPECT_TRUE(names.insert(lines[i].name).second) << lines[i].name << " drawn twice";
    }
    EXPECT_EQ(restart.engine.state().RemainingCount, 1);
}

TEST_F(ContinueTest, OnlyARunThatEndedWithoutItsLastLineIsOffered) {
    const std::string path = services.recordStore.current;
    const struct {
        const char* name;
        std::function<void(FakeRecordStore&)> change;
    } rows[] = {
        {"ended through the exit questions",
         [&](auto& store) {
             store.files[path].text += "结束：2026-12-07 21:00:00\r\n";
         }},
        {"declined before",
         [&](auto& store) {
             store.files[path].text += "未继续：2026-12-07 21:00:00\r\n";
         }},
        {"held by a running copy",
         [&](auto& store) {
             store.files[path].live = true;
         }},
        {"no round yet",
         [&](auto& store) {
             auto& text = store.files[path].text;
             text.resize(text.find("第1轮"));
         }},
        {"a newer run without rounds",
         [](auto& store) {
             store.files["摇号记录/摇号记录_20261208_080000.txt"].text = "x\r\n";
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Restart restart(*this);
        row.change(restart.services.recordStore);
        EXPECT_FALSE(restart.offerToContinue());
        EXPECT_TRUE(restart.view.initEnabled);
    }
}

TEST_F(ContinueTest, NoMarksTheRecordSoItIsNotOfferedAgain) {
    Restart first(*this);
    EXPECT_TRUE(first.offerToContinue(false));
    EXPECT_TRUE(first.view.notices.empty());
    EXPECT_TRUE(first.view.initEnabled);
    EXPECT_EQ(first.view.results, "摇号结果\r\n");
    EXPECT_TRUE(first.services.recordStore.files.begin()->second.text.ends_with(
        "\r\n未继续：2026-12-07 19:30:05\r\n"));

    services.recordStore.files = first.services.recordStore.files;
    Restart second(*this);
    EXPECT_FALSE(second.offerToContinue());
}

TEST_F(ContinueTest, AChangedOrMissingListIsNotContinued) {
    const draw::Notice expected{NoticeKind::ListDiffers, 0, services.recordStore.current, {}};
    for (const char* change : {"edited", "missing"}) {
        SCOPED_TRACE(change);
        if (std::string(change) == "edited") {
            writeBonus(numberedList(30) + "迟到的人\r\n");
        } else {
            std::filesystem::remove(bonusPath());
        }
        Restart restart(*this);
        ASSERT_TRUE(restart.offerToContinue());
        EXPECT_EQ(restart.view.notices, std::vector{expected});
        EXPECT_TRUE(restart.view.initEnabled);
        EXPECT_FALSE(restart.view.startEnabled);
        EXPECT_EQ(restart.view.results, "摇号结果\r\n");
        EXPECT_EQ(restart.engine.state().RemainingCount, 0);
    }
}

// A power cut in the middle of writing a round: the cut-off line is ignored, every whole
// winner line counts.
TEST_F(ContinueTest, ATornLastLineIsIgnored) {
    auto& text = services.recordStore.files[services.recordStore.current].text;
    const std::size_t lastLine = text.rfind("\r\n[");
    text.resize(lastLine + 6); // "\r\n[12]" and nothing more
    Restart restart(*this);
    restart.offerToContinue();
    EXPECT_EQ(restart.view.roll, "<restored 11, 19 left>");
    EXPECT_EQ(restart.engine.NextResultNumber(), 12);
    const auto lines = listedLines(restart.view.results);
    ASSERT_EQ(lines.size(), 11U);
    EXPECT_EQ(view.results.substr(0, restart.view.results.size()), restart.view.results);
}

} // namespace
} // namespace kelvara::testing
