#include <gtest/gtest.h>

#include "draw/record_reading.h"
#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

using draw::NoticeKind;

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
    const auto& run = engine.verifiableRun();
    ASSERT_TRUE(run.has_value());
    EXPECT_EQ(run->commitment, services.sha256(services.secret));
    EXPECT_TRUE(recorded("可验证摇号：kelvara-verifiable-draw-1，承诺 " +
                         draw::toHex(run->commitment) + "\r\n秘密值：" +
                         draw::toHex(services.secret) + "\r\n初始化："));
    engine.setVerifiable(false); // fixed for the run
    EXPECT_TRUE(engine.verifiableChosen());

    view.roundSize = "3";
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
    view.roundSize = "1";
    engine.Cmd_Start_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::ListNotAsCommitted});
    EXPECT_FALSE(view.rolling());
    writeBonus(numberedList(20));
    drawRound("1");
    EXPECT_EQ(engine.results().entries().size(), 1U);
}

} // namespace
} // namespace kelvara::testing
