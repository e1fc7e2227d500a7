#include <functional>
#include <optional>
#include <set>

#include "draw/record_format.h"
#include "draw/record_reading.h"

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
    // A lone LF stays inside a line of a CR LF list: it must not write a record line.
    writeBonus("甲\r\n乙\tA\r\n丙\n弃奖：2026-12-07 19:31:12，[1]\\\r\n丁\r\n戊\r\n己\r\n");
    engine.Cmd_Init_Click();
    // With a hash per line (FNV-1a, 16 hex digits), to tell edits in place after a crash.
    const std::string head = "Kelvara V1.0.0 摇号记录\r\n名单：bonus.txt，共6条，SHA-256 " +
                             FakeServices::digestOf(utf8String(bonusPath())) + "\r\n行校验：" +
                             std::string(96, '?') + "\r\n初始化：2026-12-07 19:30:05\r\n";
    EXPECT_EQ(services.recordStore.current, "摇号记录/摇号记录_20261207_193005.txt");
    std::string written = recordText();
    const auto hashes = written.find("行校验：") + std::string("行校验：").size();
    EXPECT_EQ(written.substr(hashes, 16), "27b2971b6d06418c"); // FNV-1a of 甲, the first line
    written.replace(hashes, 96, 96, '?');
    EXPECT_EQ(written, head);
    const std::string headWritten = recordText();

    services.now = {2026, 12, 7, 19, 31, 12};
    drawRound("3");
    services.now = {2026, 12, 7, 21, 2, 40};
    drawRound("2");
    engine.endRun();

    const std::string& text = recordText();
    ASSERT_TRUE(text.starts_with(headWritten));
    EXPECT_NE(text.find("\r\n第1轮：2026-12-07 19:31:12，3人\r\n[1]:\t第"), std::string::npos);
    EXPECT_NE(text.find("\r\n第2轮：2026-12-07 21:02:40，2人\r\n[4]:\t第"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\r\n结束：2026-12-07 21:02:40\r\n"));

    // Each winner line names the line the winner stands on, escaped so that it stays one
    // line and reads back exactly.
    const std::vector<std::string> list{"甲", "乙\tA", "丙\n弃奖：2026-12-07 19:31:12，[1]\\",
                                        "丁", "戊",    "己"};
    const auto recorded = recordedLines(text);
    const auto listed = listedLines(engine.results());
    ASSERT_EQ(recorded.size(), 5U);
    ASSERT_EQ(listed.size(), 5U);
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        const std::string& line = list.at(static_cast<std::size_t>(recorded[i].first - 1));
        EXPECT_EQ(draw::record::unescapeText(recorded[i].second), line);
        EXPECT_EQ(line, listed[i].name);
    }
    const auto parsed = draw::parseRecord(text);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->damage, draw::RecordDamage::None);
    EXPECT_TRUE(parsed->marks.empty()) << "no mark forged through a name";
}

TEST_F(DrawRecordTest, ARecordThatCannotBeWrittenIsReportedOnceAndDrawingGoesOn) {
    services.recordStore.failure = "磁盘已满";
    initialize(20);
    const auto notice = draw::Notice::recordNotWritten(
        {platform::FailureKind::System, "摇号记录/摇号记录_20261207_193005.txt", "磁盘已满"});
    EXPECT_EQ(view.notices, std::vector{notice});
    drawRound("2");
    EXPECT_EQ(view.notices.size(), 1U);
    EXPECT_EQ(listedLines(engine.results()).size(), 2U);

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
        void drawRound(const std::string& size) {
            typeRoundSize(view, engine, size);
            engine.Cmd_Start_Click();
            engine.Cmd_Start_Click();
            engine.Timer2_Timer();
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
    EXPECT_EQ(draw::formatDateTime(restart.offer->run.lastRoundTime), "2026-12-07 19:30:05");
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
    EXPECT_TRUE(record.ends_with("\r\n继续：2026-12-07 20:00:00，恢复12人\r\n"));

    // The run goes on in the same record, numbered on, and never draws a recorded line again.
    typeRoundSize(restart.view, restart.engine, "17");
    restart.engine.Cmd_Start_Click();
    restart.engine.Cmd_Start_Click();
    restart.engine.Timer2_Timer();
    EXPECT_EQ(restart.services.recordStore.files.size(), 1U);
    const auto& grown = restart.services.recordStore.files.begin()->second.text;
    EXPECT_NE(grown.find("\r\n第4轮："), std::string::npos);
    const auto lines = listedLines(restart.engine.results());
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
         [&](auto& store) {
             const auto& text = store.files[path].text;
             store.files["摇号记录/摇号记录_20261208_080000.txt"].text =
                 text.substr(0, text.find("第1轮"));
         }},
        {"a newer record that a power cut left empty",
         [](auto& store) {
             store.files["摇号记录/摇号记录_20261208_080000.txt"].text = "";
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Restart restart(*this);
        row.change(restart.services.recordStore);
        EXPECT_FALSE(restart.offerToContinue());
        EXPECT_TRUE(restart.view.initEnabled);
        EXPECT_TRUE(restart.view.notices.empty());
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
    const draw::Notice expected{NoticeKind::ListDiffers, 0, services.recordStore.current};
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

// Names edited where they stand are allowed during a run, so they do not stop it after a
// crash either; the restored winners carry their names as the list has them now.
TEST_F(ContinueTest, AListEditedInPlaceOrSavedAgainIsContinued) {
    const auto firstWinner = engine.results().entries().front().winner;
    const struct {
        const char* name;
        std::string list;
        int edited;
    } rows[] = {
        {"the first winner's name corrected",
         [&] {
             std::string list = numberedList(30);
             const std::string old = firstWinner.name + "\r\n";
             return list.replace(list.find(old), old.size(), "改名的人\r\n");
         }(),
         1},
        {"saved again with LF line ends", numberedList(30, "\n"), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeBonus(row.list);
        Restart restart(*this);
        ASSERT_TRUE(restart.offerToContinue());
        EXPECT_EQ(restart.offer->editedLines, row.edited);
        EXPECT_TRUE(restart.view.notices.empty());
        EXPECT_EQ(restart.engine.state().RemainingCount, 18);
        const std::string expectedName = row.edited > 0 ? "改名的人" : firstWinner.name;
        EXPECT_EQ(restart.engine.results().entries().front().winner,
                  (draw::Candidate{firstWinner.line, expectedName}));
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
    const auto lines = listedLines(restart.engine.results());
    ASSERT_EQ(lines.size(), 11U);
    EXPECT_EQ(view.results.substr(0, restart.view.results.size()), restart.view.results);
}

// Replaces line `number` (from 1) of a CR LF text.
std::string withLine(std::string text, int number, const std::string& line) {
    std::size_t start = 0;
    for (int k = 1; k < number; ++k) {
        start = text.find("\r\n", start) + 2;
    }
    return text.replace(start, text.find("\r\n", start) - start, line);
}

std::string lineOf(const std::string& text, int number) {
    std::size_t start = 0;
    for (int k = 1; k < number; ++k) {
        start = text.find("\r\n", start) + 2;
    }
    return text.substr(start, text.find("\r\n", start) - start);
}

// Every winner renumbered from `first` on.
std::string renumbered(std::string text, int first) {
    for (std::size_t at = text.find("\r\n["); at != std::string::npos;
         at = text.find("\r\n[", at + 2)) {
        const std::size_t close = text.find(']', at);
        text.replace(at + 3, close - at - 3, std::to_string(first++));
    }
    return text;
}

// The record of SetUp's run, damaged: what it offers (how many winners), or what it tells.
// Lines: 1 title, 2 list, 3 line hashes, 4 initialize, 5 round 1, 6-9 [1]-[4], 10 round 2,
// 11-13 [5]-[7], 14 round 3, 15-19 [8]-[12].
TEST_F(ContinueTest, ADamagedRecordIsOfferedForWhatItHoldsWholeOrToldWithItsLine) {
    using draw::RecordDamage;
    const std::string& original = services.recordStore.files[services.recordStore.current].text;
    const std::string fifthWinner = lineOf(original, 11);
    const std::string fifthWinnerLine = fifthWinner.substr(fifthWinner.find("第"));
    const std::string firstWinnerLine = lineOf(original, 6).substr(lineOf(original, 6).find("第"));
    std::string longTime;
    for (int k = 0; k < 700'000; ++k) {
        longTime += "时";
    }
    const struct {
        const char* name;
        std::function<std::string(std::string)> damage;
        int offered; // winners offered, or -1
        RecordDamage told;
        int line;
    } rows[] = {
        {"cut mid-line", [](std::string t) { return t.substr(0, t.rfind("\r\n[") + 6); }, 11,
         RecordDamage::None, 0},
        {"cut mid-character", [](std::string t) { return t.substr(0, t.rfind("行") + 1); }, 11,
         RecordDamage::None, 0},
        {"line ends turned into LF by an editor",
         [](std::string t) {
             for (auto at = t.find("\r\n"); at != std::string::npos; at = t.find("\r\n", at)) {
                 t.erase(at, 1);
             }
             return t;
         },
         12, RecordDamage::None, 0},
        {"invalid UTF-8 in a name",
         [&](std::string t) { return withLine(t, 15, lineOf(t, 15) + "\xff\xc3"); }, 12,
         RecordDamage::None, 0},
        {"garbage", [](std::string) { return std::string("\x8a\x01\x7fPK\x03\x04\r\n\xff\r\n"); },
         -1, RecordDamage::UnknownLine, 1},
        {"invalid UTF-8 in a round line",
         [](std::string t) {
             return withLine(t, 10,
                             "\xe7\xac"
                             "2轮：2026-12-07 19:30:05，3人");
         },
         -1, RecordDamage::UnknownLine, 10},
        {"a 2 MB time",
         [&](std::string t) { return withLine(t, 10, "第2轮：" + longTime + "，3人"); }, -1,
         RecordDamage::UnknownLine, 10},
        {"a line beyond the list",
         [](std::string t) { return withLine(t, 11, "[5]:\t第31行\t候选人31"); }, -1,
         RecordDamage::LineOutOfRange, 11},
        {"line 0", [](std::string t) { return withLine(t, 11, "[5]:\t第0行\t?"); }, -1,
         RecordDamage::LineOutOfRange, 11},
        {"a negative line", [](std::string t) { return withLine(t, 11, "[5]:\t第-3行\t?"); }, -1,
         RecordDamage::LineOutOfRange, 11},
        {"a winner twice",
         [&](std::string t) { return withLine(t, 11, "[5]:\t" + firstWinnerLine); }, -1,
         RecordDamage::LineTwice, 11},
        {"a number twice",
         [&](std::string t) { return withLine(t, 11, "[4]:\t" + fifthWinnerLine); }, -1,
         RecordDamage::NumberOutOfOrder, 11},
        {"numbers past 32,767", [](std::string t) { return renumbered(t, 39989); }, -1,
         RecordDamage::NumberOutOfRange, 6},
        {"the largest int as a number",
         [&](std::string t) { return withLine(t, 11, "[2147483647]:\t" + fifthWinnerLine); }, -1,
         RecordDamage::NumberOutOfRange, 11},
        {"a number too large to read",
         [&](std::string t) { return withLine(t, 11, "[99999999999]:\t" + fifthWinnerLine); }, -1,
         RecordDamage::UnknownLine, 11},
        {"numbers the rest of the run would take past 32,767",
         [](std::string t) { return renumbered(t, 32740); }, -1, RecordDamage::NumberOutOfRange,
         19},
        {"a round that says more winners than it has",
         [](std::string t) {
             return withLine(t, 5, lineOf(t, 5).replace(lineOf(t, 5).find("4人"), 4, "5人"));
         },
         -1, RecordDamage::RoundMiscounted, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Restart restart(*this);
        auto& file = restart.services.recordStore.files.begin()->second;
        file.text = row.damage(file.text);
        const auto offer = restart.engine.unfinishedRun();
        if (row.offered >= 0) {
            ASSERT_TRUE(offer.has_value());
            EXPECT_EQ(std::ssize(offer->run.winners), row.offered);
            EXPECT_TRUE(restart.view.notices.empty());
        } else {
            EXPECT_FALSE(offer.has_value());
            EXPECT_EQ(restart.view.notices,
                      std::vector{draw::Notice::recordDamaged(
                          row.told, row.line, restart.services.recordStore.files.begin()->first)});
        }
    }
}

// The list has the recorded SHA-256 but the record another line count, or another copy has
// taken the run since the question: nothing starts, and the record is left as it was.
TEST_F(ContinueTest, YesStartsNothingWhenTheRunCannotBeThisCopysAlone) {
    const std::string path = services.recordStore.current;
    const struct {
        const char* name;
        std::function<void(FakeRecordStore::File&)> change;
        bool sinceTheQuestion;
        draw::Notice told;
    } rows[] = {
        {"a record of an earlier version of another line count",
         [](auto& file) {
             file.text.replace(file.text.find("共30条"), 8, "共31条");
             const auto hashes = file.text.find("行校验：");
             file.text.erase(hashes, file.text.find("\r\n", hashes) + 2 - hashes);
         },
         false, draw::Notice::recordDamaged(draw::RecordDamage::CountDiffers, 0, path)},
        {"taken by another copy since the question", [](auto& file) { file.live = true; }, true,
         draw::Notice(NoticeKind::RunContinuedElsewhere, 0, path)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Restart restart(*this);
        auto& file = restart.services.recordStore.files.at(path);
        if (!row.sinceTheQuestion) {
            row.change(file);
        }
        const auto offer = restart.engine.unfinishedRun();
        ASSERT_TRUE(offer.has_value());
        if (row.sinceTheQuestion) {
            row.change(file);
        }
        const std::string before = file.text;
        restart.engine.continueRun(*offer);
        EXPECT_EQ(restart.view.notices, std::vector{row.told});
        EXPECT_EQ(file.text, before);
        EXPECT_TRUE(restart.view.initEnabled);
        EXPECT_EQ(restart.view.results, "摇号结果\r\n");
        // Initialize starts a run of its own, with a record of its own.
        restart.services.now = {2026, 12, 8, 9, 0, 0};
        restart.engine.Cmd_Init_Click();
        EXPECT_EQ(restart.services.recordStore.current, "摇号记录/摇号记录_20261208_090000.txt");
    }
}

// A record that cannot be locked (a read-only folder, another computer's lock the operator
// chose to break that vanished) is not written to: the run goes on in a new record that
// holds it so far and names the old one, and that record can itself be continued.
TEST_F(ContinueTest, ARecordThatCannotBeTakenOverGoesOnInANewRecordOfItsOwn) {
    const std::string old = services.recordStore.current;
    Restart restart(*this);
    restart.services.recordStore.files[old].unlockable = true;
    restart.services.now = {2026, 12, 8, 10, 0, 0};
    ASSERT_TRUE(restart.offerToContinue());
    EXPECT_TRUE(restart.view.notices.empty());
    const std::string fresh = "摇号记录/摇号记录_20261208_100000.txt";
    ASSERT_EQ(restart.services.recordStore.current, fresh);
    const std::string& text = restart.services.recordStore.files[fresh].text;
    const std::string& oldText = restart.services.recordStore.files[old].text;
    EXPECT_EQ(text.substr(0, text.find("第1轮")), oldText.substr(0, oldText.find("初始化")));
    EXPECT_EQ(text.substr(text.find("第1轮")), oldText.substr(oldText.find("第1轮")) +
                                                   "继续：2026-12-08 10:00:00，恢复12人，接续：" +
                                                   old + "\r\n");
    restart.drawRound("5");

    Restart again(*this);
    again.services.recordStore.files = restart.services.recordStore.files;
    ASSERT_TRUE(again.offerToContinue());
    EXPECT_EQ(again.view.results, restart.view.results);
    EXPECT_EQ(again.engine.NextResultNumber(), 18);
}

// A power cut in the middle of a round's write, then the run continued and killed again:
// the cut line stays apart and the second start restores exactly what the first one did.
TEST_F(ContinueTest, ARunCutMidLineGoesOnThroughASecondCrash) {
    const std::string whole = services.recordStore.files[services.recordStore.current].text;
    const struct {
        const char* name;
        std::size_t cut;
    } rows[] = {
        // "[12]:\t第19行\t" and one byte of the name: a winner line once it gets an end.
        {"in the name's first character", whole.rfind("行\t") + 5},
        // "[12]:\t": no line of any kind.
        {"after the number", whole.rfind("\r\n[") + 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        services.recordStore.files[services.recordStore.current].text = whole.substr(0, row.cut);
        Restart first(*this);
        ASSERT_TRUE(first.offerToContinue());
        EXPECT_EQ(first.view.roll, "<restored 11, 19 left>");
        first.drawRound("3");
        const std::string& record = first.services.recordStore.files.begin()->second.text;
        EXPECT_NE(record.find(whole.substr(row.cut - 4, 4) +
                              "\r\n继续：2026-12-07 19:30:05，恢复11人\r\n"),
                  std::string::npos);

        Restart second(*this);
        second.services.recordStore.files = first.services.recordStore.files;
        ASSERT_TRUE(second.offerToContinue());
        EXPECT_TRUE(second.view.notices.empty());
        EXPECT_EQ(second.view.results, first.view.results);
        EXPECT_EQ(second.view.roll, "<restored 14, 16 left>");
    }
}

// Another computer's lock: No leaves it and the record alone; Yes breaks it.
TEST_F(ContinueTest, AnotherComputersLockIsBrokenOnlyByYes) {
    const std::string path = services.recordStore.current;
    for (const bool yes : {false, true}) {
        Restart restart(*this);
        restart.services.recordStore.files[path].foreignHost = "财务室";
        const std::string before = restart.services.recordStore.files[path].text;
        ASSERT_TRUE(restart.offerToContinue(yes));
        EXPECT_EQ(restart.offer->foreignHost, "财务室");
        const std::string& after = restart.services.recordStore.files[path].text;
        EXPECT_EQ(after.size() > before.size(), yes);
        EXPECT_EQ(restart.view.initEnabled, !yes);
    }
}

} // namespace
} // namespace kelvara::testing
