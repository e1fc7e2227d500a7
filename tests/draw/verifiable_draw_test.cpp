#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "draw/draw_record.h"
#include "draw/record_reading.h"
#include "draw/verifiable_draw.h"
#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

using draw::NoticeKind;

// The program started again over these records: it continues the newest run when it is
// offered, then draws a round of `roundSize` unless something was told.
struct Restarted {
    Restarted(const std::string& dir, const std::map<std::string, FakeRecordStore::File>& files,
              const std::string& roundSize)
        : services(dir, 99), engine(window, window, services.forDraw()) {
        services.recordStore.files = files;
        engine.startUp();
        // A record that reads as damaged is refused already when offered.
        if (const auto offer = engine.unfinishedRun()) {
            engine.continueRun(*offer);
        }
        if (window.notices.empty() && !roundSize.empty()) {
            typeRoundSize(window, engine, roundSize);
            engine.Cmd_Start_Click();
            engine.Cmd_Start_Click();
            engine.Timer2_Timer();
        }
    }
    std::vector<int> drawnLines() const {
        std::vector<int> drawn;
        for (const auto& entry : engine.results().entries()) {
            drawn.push_back(entry.winner.line);
        }
        return drawn;
    }
    std::string recordText() const {
        return services.recordStore.files.at(services.recordStore.current).text;
    }

    FakeView window;
    FakeServices services;
    draw::DrawEngine engine;
};

class VerifiableDrawTest : public DrawFixture {
protected:
    std::string recordText() const {
        return services.recordStore.files.at(services.recordStore.current).text;
    }
    bool recorded(const std::string& text) const {
        return recordText().find(text) != std::string::npos;
    }
    void writePlan(const std::string& bytes) const {
        std::ofstream out(m_dir / u8"奖项.txt", std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    // The lines at these positions of the run's sequence.
    std::vector<int> linesAt(std::initializer_list<int> positions) {
        draw::VerifiableSequence expected(services, engine.verifiableRun()->inputs);
        std::vector<int> lines;
        for (const int position : positions) {
            lines.push_back(expected.lineAt(position));
        }
        return lines;
    }
};

// The commitment before anything else, the public input checked, rounds taken from the one
// sequence in its order, the secret revealed at the end; the record reads back whole.
TEST_F(VerifiableDrawTest, DrawsTheCommittedSequenceAndRevealsItsSecret) {
    engine.setVerifiable(true);
    initialize(20);
    const draw::VerifiableRun* run = engine.verifiableRun();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->commitment, draw::commitmentOf(services, run->inputs));
    EXPECT_TRUE(recorded("可验证摇号：kelvara-verifiable-draw-2，承诺 " +
                         draw::toHex(run->commitment) + "\r\n本名单第1次承诺\r\n初始化："));
    EXPECT_FALSE(recorded(draw::toHex(services.secret))) << "the secret stays sealed";
    engine.setVerifiable(false); // fixed for the run
    EXPECT_TRUE(engine.verifiableChosen());

    typeRoundSize(view, engine, "3");
    engine.Cmd_Start_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::PublicInputMissing});
    view.notices.clear();
    EXPECT_FALSE(engine.acceptPublicInput({"12345678901"}));
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::PublicInputRefused});
    ASSERT_TRUE(engine.acceptPublicInput({"27064918", "5533"}));
    EXPECT_FALSE(engine.acceptPublicInput({"902716384551"})) << "given once only";
    EXPECT_TRUE(recorded("见证人1：27064918\r\n见证人2：5533\r\n公开输入："));
    EXPECT_TRUE(recorded("，27064918-5533\r\n秘密值：" + draw::toHex(services.secret) + "\r\n"));

    drawRound("3");
    drawRound("2");
    const auto entries = engine.results().entries();
    ASSERT_EQ(entries.size(), 5U);
    const std::vector<int> lines = linesAt({1, 2, 3, 4, 5});
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(entries[static_cast<std::size_t>(k)].number, k + 1);
        EXPECT_EQ(entries[static_cast<std::size_t>(k)].winner.line,
                  lines[static_cast<std::size_t>(k)]);
    }

    const std::string beforeReveal = recordText();
    engine.endRun();
    EXPECT_TRUE(recorded("，秘密值 " + draw::toHex(services.secret) + "，共5个位置，记录SHA-256 " +
                         draw::recordDigestText(services, beforeReveal) + "\r\n结束："));
    const auto parsed = draw::parseRecord(recordText());
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->damage, draw::RecordDamage::None);
    EXPECT_EQ(parsed->secret, draw::toHex(services.secret));
    EXPECT_EQ(parsed->publicInput, "27064918-5533");
    EXPECT_EQ(parsed->witnessParts, (std::vector<std::string>{"27064918", "5533"}));
    EXPECT_TRUE(parsed->revealed);
    EXPECT_EQ(parsed->revealedPositions, 5);
}

// An edit in place, fine in an ordinary run, changes the list the sequence was fixed with.
TEST_F(VerifiableDrawTest, RefusesAListChangedSinceTheCommitment) {
    engine.setVerifiable(true);
    initialize(20);
    ASSERT_TRUE(engine.acceptPublicInput({"902716384551"}));
    writeBonus("改过的名字\r\n" + numberedList(20).substr(numberedList(1).size()));
    typeRoundSize(view, engine, "1");
    engine.Cmd_Start_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::ListNotAsCommitted});
    EXPECT_FALSE(view.rolling());
    writeBonus(numberedList(20));
    drawRound("1");
    EXPECT_EQ(engine.results().entries().size(), 1U);
}

// A run killed after two rounds goes on with the same sequence; a record whose winner is not
// the sequence's, or whose secret does not match its commitment, is not continued.
TEST_F(VerifiableDrawTest, AKilledRunContinuesTheSameSequence) {
    engine.setVerifiable(true);
    initialize(20);
    ASSERT_TRUE(engine.acceptPublicInput({"902716384551"}));
    drawRound("3");
    drawRound("2");
    const std::vector<int> lines = linesAt({1, 2, 3, 4, 5, 6, 7});
    const std::string record = recordText();
    const auto continued = [&](const std::string& text) {
        auto files = services.recordStore.files;
        files.begin()->second.text = text;
        const Restarted again(utf8String(m_dir), files, "2");
        return std::pair{again.window.noticeKinds(), again.drawnLines()};
    };
    EXPECT_EQ(continued(record), (std::pair{std::vector<NoticeKind>{}, lines}));

    // [1] and [2] swapped: each line still drawn once, but not where the sequence drew it.
    std::string otherWinner = record;
    const auto lineOf = [&](int number) {
        return "[" + std::to_string(number) + "]:\t第" +
               std::to_string(lines[static_cast<std::size_t>(number - 1)]) + "行";
    };
    const auto swapped = [&](int number, int other) {
        otherWinner.replace(otherWinner.find(lineOf(number)), lineOf(number).size(),
                            "[" + std::to_string(number) + "]:\t第" +
                                std::to_string(lines[static_cast<std::size_t>(other - 1)]) + "行");
    };
    swapped(1, 2);
    swapped(2, 1);
    std::string otherSecret = record;
    otherSecret[otherSecret.find("秘密值：") + std::string("秘密值：").size()] ^= 1;
    for (const std::string& damaged : {otherWinner, otherSecret}) {
        EXPECT_EQ(continued(damaged).first, std::vector{NoticeKind::RecordDamaged});
    }
}

// A record that cannot be taken over: the run goes on in a record of its own that carries
// the commitment, the witnesses and the public input as first recorded, and continues the
// same sequence; once revealed, the run draws no more, restored or not.
TEST_F(VerifiableDrawTest, ARecordOfItsOwnCarriesTheCommitmentAndTheReveal) {
    engine.setVerifiable(true);
    initialize(20);
    ASSERT_TRUE(engine.acceptPublicInput({"718281", "828459"}));
    drawRound("3");
    ASSERT_EQ(markAbsent(engine, view, 2), draw::MarkOutcome::Done);
    drawRound("1");
    const std::vector<int> lines = linesAt({1, 2, 3, 4, 5, 6});
    const std::string first = recordText();
    const std::string inputLine =
        first.substr(first.find("见证人1："), first.find("第1轮") - first.find("见证人1："));

    auto files = services.recordStore.files;
    files.begin()->second.unlockable = true;
    Restarted again(utf8String(m_dir), files, "2");
    ASSERT_TRUE(again.window.notices.empty());
    EXPECT_EQ(again.drawnLines(), lines);
    again.engine.reveal();
    const std::string own = again.recordText();
    ASSERT_NE(again.services.recordStore.current, services.recordStore.current);
    EXPECT_NE(own.find(first.substr(first.find("可验证摇号："),
                                    first.find("初始化：") - first.find("可验证摇号："))),
              std::string::npos);
    EXPECT_NE(own.find(inputLine), std::string::npos) << "the witnesses as first recorded";
    EXPECT_EQ(again.services.recordStore.checkerPages,
              std::vector<std::string>{again.services.recordStore.current});
    EXPECT_EQ(services.recordStore.checkerPages,
              std::vector<std::string>{services.recordStore.current});

    // Killed after the reveal: restored with it, and no round is drawn.
    const auto& ownFiles = again.services.recordStore.files;
    Restarted revealed(utf8String(m_dir), {*ownFiles.find(again.services.recordStore.current)}, "");
    EXPECT_EQ(revealed.engine.results().entries().size(), lines.size());
    EXPECT_EQ(revealed.window.noticeKinds(), std::vector<NoticeKind>{});
    typeRoundSize(revealed.window, revealed.engine, "1");
    revealed.engine.Cmd_Start_Click();
    EXPECT_EQ(revealed.window.noticeKinds(), std::vector{NoticeKind::VerifiableRunRevealed});
    revealed.engine.endRun();
    const std::string closed = revealed.recordText();
    EXPECT_EQ(closed.find("公布："), closed.rfind("公布：")) << "revealed once";
}

// The plan fixes who wins what before the public input: each prize owns a block of positions
// and its replacements come from fixed positions after all blocks, whatever order the operator
// draws the prizes in and however he sizes the rounds.
TEST_F(VerifiableDrawTest, ThePlanNotTheOperatorAssignsPositionsToPrizes) {
    writePlan("三等奖 4\r\n二等奖 2\r\n一等奖 1\r\n");
    writeBonus(numberedList(30));
    const auto run = [&](const std::vector<std::pair<int, std::string>>& rounds, int absent) {
        Restarted fresh(utf8String(m_dir), {}, "");
        fresh.engine.setVerifiable(true);
        fresh.engine.Cmd_Init_Click();
        EXPECT_TRUE(fresh.engine.acceptPublicInput({"902716384551"}));
        for (const auto& [prize, size] : rounds) {
            fresh.engine.choosePrize(prize);
            typeRoundSize(fresh.window, fresh.engine, size);
            fresh.engine.Cmd_Start_Click();
            fresh.engine.Cmd_Start_Click();
            fresh.engine.Timer2_Timer();
            if (absent != 0 && fresh.engine.results().entries().size() == 1) {
                EXPECT_EQ(markAbsent(fresh.engine, fresh.window, absent), draw::MarkOutcome::Done);
            }
        }
        EXPECT_EQ(fresh.window.noticeKinds(), std::vector<NoticeKind>{});
        std::map<int, std::vector<int>> lines;
        for (const auto& entry : fresh.engine.results().entries()) {
            lines[entry.prize].push_back(entry.winner.line);
        }
        draw::VerifiableSequence sequence(fresh.services, fresh.engine.verifiableRun()->inputs);
        std::vector<int> positions;
        for (const int position : {1, 2, 3, 4, 5, 6, 7, 10}) {
            positions.push_back(sequence.lineAt(position));
        }
        return std::pair{lines, positions};
    };
    // 三等奖 owns positions 1-4, 二等奖 5-6, 一等奖 7; with 3 prizes and 7 places, 一等奖's
    // first replacement is position 7 + 3 = 10.
    const auto [inPlanOrder, at] = run({{1, "4"}, {2, "2"}, {3, "1"}}, 0);
    EXPECT_EQ(inPlanOrder.at(1), std::vector<int>(at.begin(), at.begin() + 4));
    EXPECT_EQ(inPlanOrder.at(2), std::vector<int>(at.begin() + 4, at.begin() + 6));
    EXPECT_EQ(inPlanOrder.at(3), std::vector<int>{at[6]});

    const auto [firstPrizeFirst, same] =
        run({{3, "1"}, {3, "1"}, {2, "1"}, {1, "3"}, {2, "1"}, {1, "1"}}, 1);
    EXPECT_EQ(same, at) << "the same inputs";
    EXPECT_EQ(firstPrizeFirst.at(1), inPlanOrder.at(1));
    EXPECT_EQ(firstPrizeFirst.at(2), inPlanOrder.at(2));
    EXPECT_EQ(firstPrizeFirst.at(3), (std::vector<int>{at[6], at[7]}))
        << "一等奖 drawn first, marked absent, and replaced from position 10";
}

// A run ended before its public input drew nobody: its commitment is void, and the next one
// over the same list names it and the revealed one before it.
TEST_F(VerifiableDrawTest, CommitmentsOverOneListAreLinked) {
    engine.setVerifiable(true);
    initialize(12);
    ASSERT_TRUE(engine.acceptPublicInput({"902716384551"}));
    drawRound("2");
    engine.endRun();
    const std::string revealed = draw::toHex(engine.verifiableRun()->commitment);

    Restarted second(utf8String(m_dir), services.recordStore.files, "");
    second.services.secret[0] = 2;
    second.engine.setVerifiable(true);
    second.engine.Cmd_Init_Click();
    const std::string voided = draw::toHex(second.engine.verifiableRun()->commitment);
    second.engine.endRun();
    EXPECT_NE(second.recordText().find("承诺作废："), std::string::npos);

    // Killed before its public input: marked void when the program starts again.
    Restarted third(utf8String(m_dir), second.services.recordStore.files, "");
    third.services.secret[0] = 3;
    third.engine.setVerifiable(true);
    third.engine.Cmd_Init_Click();
    const std::string killed = third.recordText();
    Restarted fourth(utf8String(m_dir), third.services.recordStore.files, "");
    fourth.services.secret[0] = 4;
    const auto& files = fourth.services.recordStore.files;
    EXPECT_NE(files.at(third.services.recordStore.current).text.find("承诺作废："),
              std::string::npos);
    fourth.engine.setVerifiable(true);
    fourth.engine.Cmd_Init_Click();
    const std::string record = fourth.recordText();

    EXPECT_NE(record.find("此前承诺：1，" +
                          files.begin()->first.substr(files.begin()->first.rfind('/') + 1) +
                          "，承诺 " + revealed + "，已公布\r\n此前承诺：2，"),
              std::string::npos);
    EXPECT_NE(record.find("，承诺 " + voided + "，公开输入前作废\r\n此前承诺：3，"),
              std::string::npos);
    EXPECT_NE(record.find("，公开输入前作废\r\n本名单第4次承诺\r\n"), std::string::npos);
    EXPECT_EQ(fourth.engine.verifiableRun()->commitmentNumber(), 4);
    EXPECT_NE(killed.find("本名单第3次承诺"), std::string::npos);
}

} // namespace
} // namespace kelvara::testing
