#include <gtest/gtest.h>

#include "draw/record_reading.h"
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
};

// The commitment before anything else, the public input checked, rounds taken from the one
// sequence in its order, the secret revealed at the end; the record reads back whole.
TEST_F(VerifiableDrawTest, DrawsTheCommittedSequenceAndRevealsItsSecret) {
    engine.setVerifiable(true);
    initialize(20);
    const draw::VerifiableRun* run = engine.verifiableRun();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->commitment, services.sha256(services.secret));
    EXPECT_TRUE(recorded("可验证摇号：kelvara-verifiable-draw-1，承诺 " +
                         draw::toHex(run->commitment) + "\r\n秘密值：" +
                         draw::toHex(services.secret) + "\r\n初始化："));
    engine.setVerifiable(false); // fixed for the run
    EXPECT_TRUE(engine.verifiableChosen());

    typeRoundSize(view, engine, "3");
    engine.Cmd_Start_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::PublicInputMissing});
    view.notices.clear();
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"12345678901"}, {"123456", "78901a"}, {"1234567890123", ""}}) {
        EXPECT_FALSE(engine.acceptPublicInput(refused));
    }
    EXPECT_EQ(noticeKinds(), std::vector<NoticeKind>(3, NoticeKind::PublicInputRefused));
    ASSERT_TRUE(engine.acceptPublicInput({"31415926", "5358"}));
    EXPECT_FALSE(engine.acceptPublicInput({"999999999999"})) << "given once only";
    EXPECT_TRUE(recorded("见证人1：31415926\r\n见证人2：5358\r\n公开输入："));
    EXPECT_TRUE(recorded("，31415926-5358\r\n"));

    drawRound("3");
    drawRound("2");
    draw::VerifiableInputs inputs = run->inputs;
    draw::VerifiableSequence expected(services, inputs);
    const auto entries = engine.results().entries();
    ASSERT_EQ(entries.size(), 5U);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(entries[static_cast<std::size_t>(k)].number, k + 1);
        EXPECT_EQ(entries[static_cast<std::size_t>(k)].winner.line, expected.next());
    }

    engine.endRun();
    EXPECT_TRUE(recorded("，秘密值 " + draw::toHex(services.secret) + "\r\n结束："));
    const auto parsed = draw::parseRecord(recordText());
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->damage, draw::RecordDamage::None);
    EXPECT_EQ(parsed->secret, draw::toHex(services.secret));
    EXPECT_EQ(parsed->publicInput, "31415926-5358");
    EXPECT_EQ(parsed->witnessParts, (std::vector<std::string>{"31415926", "5358"}));
    EXPECT_TRUE(parsed->revealed);
}

// An edit in place, fine in an ordinary run, changes the list the sequence was fixed with.
TEST_F(VerifiableDrawTest, RefusesAListChangedSinceTheCommitment) {
    engine.setVerifiable(true);
    initialize(20);
    ASSERT_TRUE(engine.acceptPublicInput({"314159265358"}));
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
    ASSERT_TRUE(engine.acceptPublicInput({"314159265358"}));
    drawRound("3");
    drawRound("2");
    draw::VerifiableSequence expected(services, engine.verifiableRun()->inputs);
    std::vector<int> lines;
    for (int k = 0; k < 7; ++k) {
        lines.push_back(expected.next());
    }
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
    ASSERT_TRUE(engine.acceptPublicInput({"271828", "182845"}));
    drawRound("3");
    ASSERT_EQ(markAbsent(engine, view, 2), draw::MarkOutcome::Done);
    drawRound("1");
    draw::VerifiableSequence expected(services, engine.verifiableRun()->inputs);
    std::vector<int> lines;
    for (int k = 0; k < 6; ++k) {
        lines.push_back(expected.next());
    }
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

} // namespace
} // namespace kelvara::testing
