#include <map>

#include "draw_fixture.h"
#include "platform/text_lines.h"

namespace kelvara::testing {
namespace {

using draw::MarkOutcome;
using draw::NoticeKind;
using draw::PlanFault;
using namespace std::string_literals;

struct PlanCase {
    const char* text;
    std::vector<draw::Prize> prizes; // when read whole
    PlanFault fault;
    int line;
};

// Each plan against a list of 60 names.
TEST(PrizePlanReader, ReadsEveryWayOfWritingAPrizeAndRefusesWithTheLine) {
    const PlanCase cases[] = {
        {"三等奖 20\n二等奖\t10\n一等奖,3\n特等奖，1",
         {{"三等奖", 20}, {"二等奖", 10}, {"一等奖", 3}, {"特等奖", 1}},
         PlanFault::None,
         0},
        {"\n  六等奖  45人 \n\n\u3000五等奖　５名\n",
         {{"六等奖", 45}, {"五等奖", 5}},
         PlanFault::None,
         0},
        {"特等奖 笔记本 电脑 1", {{"特等奖 笔记本 电脑", 1}}, PlanFault::None, 0},
        {"三等奖 20\n二等奖", {}, PlanFault::NoCount, 2},
        {"20", {}, PlanFault::NoName, 1},
        {"，3", {}, PlanFault::NoName, 1},
        {"一等奖 0", {}, PlanFault::CountNotWhole, 1},
        {"一等奖 2.5", {}, PlanFault::CountNotWhole, 1},
        {"一等奖 -3", {}, PlanFault::CountNotWhole, 1},
        {"一等奖 三", {}, PlanFault::CountNotWhole, 1},
        {"一等奖 3\n二等奖 5\n一等奖 1", {}, PlanFault::NameTwice, 3},
        {"一等奖 30\n二等奖 31", {}, PlanFault::AboveList, 2},
        {"一等奖 99999999999999999999", {}, PlanFault::AboveList, 1},
    };
    for (const PlanCase& row : cases) {
        draw::PrizePlanReader reader(60);
        std::string_view text = row.text;
        bool going = true;
        while (going && !text.empty()) {
            const std::size_t end = std::min(text.find('\n'), text.size());
            going = reader.take(text.substr(0, end));
            text.remove_prefix(std::min(end + 1, text.size()));
        }
        EXPECT_EQ(reader.fault(), row.fault) << row.text;
        EXPECT_EQ(reader.faultLine(), row.line) << row.text;
        if (row.fault == PlanFault::None) {
            EXPECT_EQ(reader.prizes(), row.prizes) << row.text;
        }
    }
    draw::PrizePlanReader tooLong(60);
    EXPECT_FALSE(tooLong.take(std::string(101 * 3, 'x') + " 1"));
    EXPECT_EQ(tooLong.fault(), PlanFault::LineTooLong);
}

// The plan's lines as a file gives them: with a CR in the text, a lone LF stays in its line.
draw::PrizePlanReader readPlan(std::string_view text, int listSize = 60) {
    draw::PrizePlanReader reader(listSize);
    platform::splitTextLines(text, [&](std::string_view line) { return reader.take(line); });
    return reader;
}

struct CharacterCase {
    std::string text;
    PlanFault fault;
    int line;
    char32_t character;
    std::vector<draw::Prize> prizes = {}; // when read whole
};

TEST(PrizePlanReader, RefusesALineWithACharacterThatHidesWhatItSays) {
    const CharacterCase cases[] = {
        // Separators around the name and count, and inside the name, are no such character.
        {"三等奖\t20\r\n二等奖\u300010\r\n\t特等奖\u3000笔记本 1\t\r\n",
         PlanFault::None,
         0,
         0,
         {{"三等奖", 20}, {"二等奖", 10}, {"特等奖\u3000笔记本", 1}}},
        // A lone LF in a CR LF file joins two prizes into one line.
        {"三等奖 20\r\n二等奖 10\n一等奖 3", PlanFault::ControlCharacter, 2, U'\n'},
        {"三等奖 20\r\n二等奖 10\v一等奖 3\r\n", PlanFault::ControlCharacter, 2, U'\v'},
        {"一等奖 3\r\n二等奖\f 2", PlanFault::ControlCharacter, 2, U'\f'},
        {"二等奖 10\u0085一等奖 3", PlanFault::ControlCharacter, 1, 0x85},
        {"二等奖 10\u2028一等奖 3", PlanFault::ControlCharacter, 1, 0x2028},
        {"二等奖 10\u2029一等奖 3", PlanFault::ControlCharacter, 1, 0x2029},
        {"一等奖\0 3"s, PlanFault::ControlCharacter, 1, 0},
        {"\x01\x02garbage\xff", PlanFault::ControlCharacter, 1, 0x01},
        {"一等奖\x7f 3", PlanFault::ControlCharacter, 1, 0x7F},
        {"一等奖\u009b 3", PlanFault::ControlCharacter, 1, 0x9B},
        {"一等奖 3\x1b", PlanFault::ControlCharacter, 1, 0x1B},
        {"特等奖\t笔记本 1", PlanFault::ControlCharacter, 1, U'\t'},
        // Emoji with a variation selector and a middle dot are visible.
        {"❤️幸运奖 1\n特等奖·笔记本 1",
         PlanFault::None,
         0,
         0,
         {{"❤️幸运奖", 1}, {"特等奖·笔记本", 1}}},
        // What the eye does not see, or sees as a plain space.
        {"一\u200B等奖 3", PlanFault::InvisibleCharacter, 1, 0x200B},
        {"一等奖\u200C 3", PlanFault::InvisibleCharacter, 1, 0x200C},
        {"一等奖\u200D 3", PlanFault::InvisibleCharacter, 1, 0x200D},
        {"一等奖 3\u2060", PlanFault::InvisibleCharacter, 1, 0x2060},
        {"三等奖 20\n\uFEFF一等奖 3", PlanFault::InvisibleCharacter, 2, 0xFEFF},
        {"\u00AD一等奖 3", PlanFault::InvisibleCharacter, 1, 0xAD},
        {"一等奖\u202E 3", PlanFault::InvisibleCharacter, 1, 0x202E},
        {"一等奖\U000E0041 3", PlanFault::InvisibleCharacter, 1, 0xE0041},
        {"一等奖\u00A03", PlanFault::InvisibleCharacter, 1, 0xA0},
        {"一等奖\u20033", PlanFault::InvisibleCharacter, 1, 0x2003},
        {"一等奖\u202F3", PlanFault::InvisibleCharacter, 1, 0x202F},
        {"\u3164 3", PlanFault::InvisibleCharacter, 1, 0x3164},
        {"一等奖\u200B", PlanFault::InvisibleCharacter, 1, 0x200B},
        // What did not decode, or does not.
        {"一等奖\uFFFD 3", PlanFault::InvalidCharacter, 1, 0xFFFD},
        {"一等奖\xff 3", PlanFault::InvalidCharacter, 1, 0xFFFD},
        {"一等奖\xC0\xAF 3", PlanFault::InvalidCharacter, 1, 0xFFFD},
        {"一等奖\xED\xA0\x80 3", PlanFault::InvalidCharacter, 1, 0xFFFD},
        {"一等奖 3\xE4\xB8", PlanFault::InvalidCharacter, 1, 0xFFFD},
    };
    for (const CharacterCase& row : cases) {
        const draw::PrizePlanReader reader = readPlan(row.text);
        EXPECT_EQ(reader.fault(), row.fault) << row.text;
        EXPECT_EQ(reader.faultLine(), row.line) << row.text;
        EXPECT_EQ(reader.faultCharacter(), row.character) << row.text;
        if (row.fault == PlanFault::None) {
            EXPECT_EQ(reader.prizes(), row.prizes) << row.text;
        }
    }
}

struct GroupedCase {
    const char* text;
    PlanFault fault;
    int line;
    const char* written;
    std::vector<draw::Prize> prizes = {}; // when read whole
};

// "六等奖 1,500" is no prize "六等奖 1" of 500.
TEST(PrizePlanReader, RefusesACountWrittenWithAThousandsSeparator) {
    const GroupedCase cases[] = {
        {"六等奖 1,500", PlanFault::ThousandsSeparator, 1, "1,500"},
        {"三等奖 20\n六等奖 1，500人",
         PlanFault::ThousandsSeparator,
         2,
         "1，500",
         {{"三等奖", 20}}},
        {"1,500", PlanFault::ThousandsSeparator, 1, "1,500"},
        {"纪念奖\t12,000名", PlanFault::ThousandsSeparator, 1, "12,000"},
        {"纪念奖 1,000,000", PlanFault::ThousandsSeparator, 1, "1,000,000"},
        {"三等奖,1,500", PlanFault::ThousandsSeparator, 1, "1,500"},
        // A comma after a name, and digits that no thousands separator would group.
        {"三等奖,20\n二等奖，10人\n年会2024,100\n年会 2024,100\n六等奖 1 500\n七等奖 1,50\n"
         "八等奖 1,5000\n九等奖 1，000,000",
         PlanFault::CountNotWhole,
         8,
         "",
         {{"三等奖", 20},
          {"二等奖", 10},
          {"年会2024", 100},
          {"年会 2024", 100},
          {"六等奖 1", 500},
          {"七等奖 1", 50},
          {"八等奖 1", 5000}}},
    };
    for (const GroupedCase& row : cases) {
        const draw::PrizePlanReader reader = readPlan(row.text, 100000);
        EXPECT_EQ(reader.fault(), row.fault) << row.text;
        EXPECT_EQ(reader.faultLine(), row.line) << row.text;
        EXPECT_EQ(reader.faultCount(), row.written) << row.text;
        EXPECT_EQ(reader.prizes(), row.prizes) << row.text;
    }
}

std::string repeated(std::string_view text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

struct PaddingCase {
    std::string text;
    PlanFault fault;
    int line;
    int spaces;
    std::vector<draw::Prize> prizes = {}; // read before the fault, or whole
};

// Padding is no name: a line is as long as its text with every run of spaces as one.
TEST(PrizePlanReader, TellsALongRunOfSpacesFromALongName) {
    const PaddingCase cases[] = {
        {"一等奖" + std::string(200, ' ') + "3\r\n" + std::string(1100, ' ') + "二等奖" +
             std::string(1100, '\t') + "2人" + std::string(1100, ' ') + "\r\n三等奖" +
             repeated("\u3000", 400) + "1",
         PlanFault::None,
         0,
         0,
         {{"一等奖", 3}, {"二等奖", 2}, {"三等奖", 1}}},
        {"一等奖" + std::string(200, ' ') + "笔记本 3", PlanFault::SpaceRun, 1, 200},
        {"三等奖 1\n一等奖" + repeated("\u3000", 40) + std::string(80, 'x') + " 3",
         PlanFault::SpaceRun,
         2,
         40,
         {{"三等奖", 1}}},
        // The reader gets the line cut short: its count is lost.
        {"一等奖" + std::string(9000, ' ') + "3", PlanFault::SpaceRun, 1,
         static_cast<int>(platform::kLineCutBytes) - 9},
        {std::string(2000, 'x') + " 1", PlanFault::LineTooLong, 1, 0},
        {std::string(9000, 'x') + " 1", PlanFault::LineTooLong, 1, 0},
        {"一等奖 " + std::string(50, 'x') + std::string(60, ' ') + std::string(50, 'y') + " 3",
         PlanFault::LineTooLong, 1, 0},
    };
    for (const PaddingCase& row : cases) {
        const draw::PrizePlanReader reader = readPlan(row.text);
        EXPECT_EQ(reader.fault(), row.fault) << row.text.size();
        EXPECT_EQ(reader.faultLine(), row.line) << row.text.size();
        EXPECT_EQ(reader.faultSpaces(), row.spaces) << row.text.size();
        EXPECT_EQ(reader.prizes(), row.prizes) << row.text.size();
    }
}

class PrizeDrawTest : public DrawFixture {
protected:
    void writePlan(const std::string& bytes) const {
        std::ofstream out(m_dir / u8"奖项.txt", std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    void initializeWithPlan(int count, const std::string& plan) {
        writePlan(plan);
        initialize(count);
    }
    // Present winners per prize name, from the results box.
    std::map<std::string, int> presentPerPrize() const {
        std::map<std::string, int> present;
        for (const draw::ResultEntry& entry : engine.results().entries()) {
            present[engine.results().prizeName(entry.prize)] += entry.absent ? 0 : 1;
        }
        return present;
    }
};

TEST_F(PrizeDrawTest, ABadPlanIsToldWithItsLineAndNothingStarts) {
    writeBonus(numberedList(10));
    for (const std::string& plan :
         {std::string("一等奖 3\n一等奖 2"), std::string(10 * 1024 * 1024, 'x'),
          std::string(100000, '\n') + "a"}) {
        view.notices.clear();
        writePlan(plan);
        engine.Cmd_Init_Click();
        ASSERT_EQ(noticeKinds(), std::vector{NoticeKind::PrizePlanRefused});
        EXPECT_EQ(view.notices.back().planFault == PlanFault::TooLarge, plan.size() > (1 << 20));
        EXPECT_TRUE(view.initEnabled);
        EXPECT_FALSE(view.startEnabled);
        EXPECT_TRUE(services.recordStore.files.empty());
    }
    EXPECT_EQ(view.notices.back().line, 100001);
    EXPECT_EQ(view.notices.back().planFault, PlanFault::NoCount);
}

// What a refused plan's notice shows besides its fault and line.
struct PlanNotice {
    const char* plan;
    PlanFault fault;
    int line;
    char32_t character = 0;
    const char* written = "";
    int spaces = 0;
    const char* prize = "";
};

// What the reader found reaches the notice.
TEST_F(PrizeDrawTest, ARefusedPlanIsToldWithWhatItsLineHolds) {
    writeBonus(numberedList(10));
    const std::string padded = "一等奖" + std::string(200, ' ') + "笔记本 1\n";
    const PlanNotice cases[] = {
        {"三等奖 2\r\n二等奖 1\n一等奖 1\r\n", PlanFault::ControlCharacter, 2, U'\n'},
        {"一等奖\u00A01\n", PlanFault::InvisibleCharacter, 1, 0xA0},
        {"三等奖 2\n六等奖 1,500人\n", PlanFault::ThousandsSeparator, 2, 0, "1,500"},
        {padded.c_str(), PlanFault::SpaceRun, 1, 0, "", 200},
        {"一等奖 1\n二等奖 1\n一等奖 1\n", PlanFault::NameTwice, 3, 0, "", 0, "一等奖"},
    };
    for (const PlanNotice& row : cases) {
        view.notices.clear();
        writePlan(row.plan);
        engine.Cmd_Init_Click();
        draw::Notice notice = draw::Notice::planRefused(row.fault, row.line, row.prize);
        notice.character = row.character;
        notice.written = row.written;
        notice.count = row.spaces;
        EXPECT_EQ(view.notices, std::vector{notice}) << row.plan;
    }
}

TEST_F(PrizeDrawTest, NoPlanOrABlankOneChangesNothing) {
    writePlan("\r\n\r\n");
    initialize(10);
    EXPECT_EQ(view.currentPrize, -1);
    drawRound("2");
    EXPECT_EQ(services.recordStore.files.begin()->second.text.find("奖项"), std::string::npos);
    EXPECT_TRUE(engine.results().prizes().empty());
    EXPECT_EQ(engine.results().entries().front().prize, 0);
}

// The plan drawn in order, a prize in two rounds, one chosen out of order, then the end.
TEST_F(PrizeDrawTest, DrawsThePlanInOrderOrAsChosenAndSaysWhenAllAreDrawn) {
    initializeWithPlan(30, "三等奖 5\r\n二等奖 2\r\n一等奖 1\r\n");
    EXPECT_EQ(view.currentPrize, 1);
    EXPECT_EQ(view.placesLeft, (std::vector{5, 2, 1}));
    EXPECT_EQ(view.roundSize, "5");

    typeRoundSize(view, engine, "6");
    engine.Cmd_Start_Click();
    EXPECT_EQ(view.notices.back(), draw::Notice::roundAbovePrize("三等奖", 5));
    EXPECT_FALSE(view.rolling());

    drawRound("3"); // fewer: the prize in several rounds
    EXPECT_EQ(view.placesLeft, (std::vector{2, 2, 1}));
    EXPECT_EQ(view.roundSize, "2"); // 3 is more than is left
    engine.choosePrize(3);
    EXPECT_EQ(view.currentPrize, 3);
    EXPECT_EQ(view.roundSize, "1");
    drawRound("1");
    EXPECT_EQ(view.currentPrize, 1); // the chosen one is drawn: back to the first with places
    drawRound("2");
    drawRound("2");
    EXPECT_EQ(view.currentPrize, 0);
    view.notices.clear();
    engine.Cmd_Start_Click();
    EXPECT_EQ(noticeKinds(), std::vector{NoticeKind::AllPrizesDrawn});

    // Numbered on across the prizes, each winner with the prize of their round.
    std::vector<int> prizes;
    for (const auto& entry : engine.results().entries()) {
        EXPECT_EQ(entry.number, std::ssize(prizes) + 1);
        prizes.push_back(entry.prize);
    }
    EXPECT_EQ(prizes, (std::vector{1, 1, 1, 3, 1, 1, 2, 2}));
    EXPECT_EQ(presentPerPrize(),
              (std::map<std::string, int>{{"三等奖", 5}, {"二等奖", 2}, {"一等奖", 1}}));
}

TEST_F(PrizeDrawTest, AnAbsentWinnerIsRedrawnForTheirPrizeAndNobodyTwice) {
    initializeWithPlan(12, "三等奖 4\n一等奖 2\n");
    drawRound("4");
    drawRound("1");
    EXPECT_EQ(view.currentPrize, 2);
    EXPECT_EQ(markAbsent(engine, view, 2), MarkOutcome::Done);
    EXPECT_EQ(markAbsent(engine, view, 2), MarkOutcome::AlreadyAbsent);
    EXPECT_EQ(markAbsent(engine, view, 9), MarkOutcome::NoSuchNumber);
    EXPECT_EQ(markAbsent(engine, view, 3), MarkOutcome::Done);
    EXPECT_EQ(view.currentPrize, 1); // the first prize with a place again
    EXPECT_EQ(view.roundSize, "2");
    EXPECT_TRUE(engine.results().entry(2)->absent);
    EXPECT_EQ(takeBackAbsent(engine, view, 3), MarkOutcome::Done);
    EXPECT_EQ(view.roundSize, "1");
    EXPECT_EQ(takeBackAbsent(engine, view, 3), MarkOutcome::NotAbsent);

    drawRound("1"); // the replacement
    EXPECT_EQ(takeBackAbsent(engine, view, 2), MarkOutcome::AlreadyReplaced);
    EXPECT_EQ(engine.results().entry(2)->replacedInRound, 3);
    EXPECT_EQ(markAbsent(engine, view, 6), MarkOutcome::Done);
    drawRound("1");
    drawRound("1");
    EXPECT_EQ(view.currentPrize, 0);
    EXPECT_EQ(presentPerPrize(), (std::map<std::string, int>{{"三等奖", 4}, {"一等奖", 2}}));
    EXPECT_EQ(listedNames().size(), 8U);         // nobody twice
    EXPECT_EQ(engine.state().RemainingCount, 4); // the absent stay drawn
    EXPECT_EQ(engine.results().entry(6)->prize, 1);
}

TEST_F(PrizeDrawTest, WithoutAPlanTheNextRoundDrawsTheReplacements) {
    initialize(10);
    drawRound("3");
    for (const int number : {1, 2, 3}) {
        ASSERT_EQ(markAbsent(engine, view, number), MarkOutcome::Done);
    }
    EXPECT_EQ(view.roundSize, "3"); // untouched without a plan
    drawRound("2");                 // replaces the first two marked
    EXPECT_EQ(takeBackAbsent(engine, view, 1), MarkOutcome::AlreadyReplaced);
    EXPECT_EQ(takeBackAbsent(engine, view, 2), MarkOutcome::AlreadyReplaced);
    EXPECT_EQ(takeBackAbsent(engine, view, 3), MarkOutcome::Done);
}

// What the window asks the operator to confirm: marking a present winner, taking back a mark
// not yet replaced; what it may not ask, told instead.
TEST_F(PrizeDrawTest, TheEngineSaysWhatAMarkWouldDoOrWhyNot) {
    initialize(10);
    drawRound("3");
    ASSERT_EQ(markAbsent(engine, view, 1), MarkOutcome::Done);
    ASSERT_EQ(markAbsent(engine, view, 2), MarkOutcome::Done);
    drawRound("1"); // replaces [1]
    view.notices.clear();
    const auto change = [&](int number) {
        const auto proposed = engine.absentChange(number);
        return proposed ? std::optional(proposed->takeBack) : std::nullopt;
    };
    EXPECT_EQ(change(3), std::optional(false)); // present: mark
    EXPECT_EQ(change(2), std::optional(true));  // absent, not replaced: take back
    EXPECT_EQ(view.notices.size(), 0U);
    const struct {
        int number;
        MarkOutcome refused;
    } refusals[] = {{1, MarkOutcome::AlreadyReplaced}, {9, MarkOutcome::NoSuchNumber}};
    for (const auto& row : refusals) {
        EXPECT_EQ(change(row.number), std::nullopt);
        ASSERT_FALSE(view.notices.empty());
        EXPECT_EQ(view.notices.back().kind, NoticeKind::MarkRefused);
        EXPECT_EQ(view.notices.back().mark, row.refused);
        EXPECT_EQ(view.notices.back().number, row.number);
    }
    EXPECT_EQ(view.notices.front().name, engine.results().entry(1)->winner.name);
    typeRoundSize(view, engine, "1");
    engine.Cmd_Start_Click();
    EXPECT_EQ(change(3), std::nullopt);
    EXPECT_EQ(view.notices.back().mark, MarkOutcome::WhileRolling);
}

// 六等奖 drawn a few at a time: the typed size stays until less than it is left.
TEST_F(PrizeDrawTest, ATypedRoundSizeStaysForThePrizesNextRounds) {
    initializeWithPlan(30, "六等奖 10\n");
    EXPECT_EQ(view.roundSize, "10");
    drawRound("4");
    EXPECT_EQ(view.roundSize, "4");
    drawRound("4");
    EXPECT_EQ(view.roundSize, "2");
}

TEST_F(PrizeDrawTest, MarksWaitWhileARoundIsDrawn) {
    initializeWithPlan(10, "a 3\n");
    drawRound("1");
    typeRoundSize(view, engine, "1");
    engine.Cmd_Start_Click();
    EXPECT_EQ(markAbsent(engine, view, 1), MarkOutcome::WhileRolling);
    engine.choosePrize(1);
    engine.Cmd_Start_Click();
    // Stopped, listing pending: the mark lists the round first.
    EXPECT_EQ(markAbsent(engine, view, 2), MarkOutcome::Done);
    EXPECT_EQ(listedLines(engine.results()).size(), 2U);
}

// Killed with a half-drawn prize, marks, a mark taken back and a prize chosen: continuing
// restores all of it, in the same record and in a new one of its own.
TEST_F(PrizeDrawTest, ContinuingRestoresPrizesAndMarksExactly) {
    initializeWithPlan(20, "三等奖 5\n二等奖 3\n一等奖 1\n");
    drawRound("5");
    drawRound("2");
    ASSERT_EQ(markAbsent(engine, view, 2), MarkOutcome::Done);
    ASSERT_EQ(markAbsent(engine, view, 4), MarkOutcome::Done);
    drawRound("1"); // replaces [2]
    ASSERT_EQ(markAbsent(engine, view, 7), MarkOutcome::Done);
    ASSERT_EQ(takeBackAbsent(engine, view, 7), MarkOutcome::Done);
    engine.choosePrize(3);
    const std::string record = services.recordStore.files.at(services.recordStore.current).text;
    EXPECT_NE(record.find("\r\n奖项表：奖项.txt，共3项，SHA-256 "), std::string::npos);
    EXPECT_NE(record.find("\r\n奖项2：3人，二等奖\r\n"), std::string::npos);
    EXPECT_NE(record.find("，2人，奖项2\r\n"), std::string::npos);

    for (const bool ownRecord : {false, true}) {
        FakeView again;
        FakeServices services2(m_dir.string(), 5);
        services2.recordStore.files = services.recordStore.files;
        services2.recordStore.files.begin()->second.unlockable = ownRecord;
        draw::DrawEngine restarted(again, again, services2.forDraw());
        restarted.startUp();
        auto offer = restarted.unfinishedRun();
        ASSERT_TRUE(offer);
        restarted.continueRun(*offer);
        EXPECT_TRUE(again.notices.empty());
        EXPECT_EQ(again.results, view.results);
        EXPECT_EQ(again.placesLeft, view.placesLeft);
        EXPECT_EQ(again.currentPrize, 3);
        EXPECT_EQ(takeBackAbsent(restarted, again, 2), MarkOutcome::AlreadyReplaced);
        EXPECT_EQ(restarted.results().entry(4)->absent, engine.results().entry(4)->absent);
        if (ownRecord) {
            // The new record reads back the same again.
            FakeView third;
            FakeServices services3(m_dir.string(), 3);
            services3.recordStore.files = services2.recordStore.files;
            services3.recordStore.files.erase(services.recordStore.current);
            draw::DrawEngine again3(third, third, services3.forDraw());
            again3.startUp();
            auto offer3 = again3.unfinishedRun();
            ASSERT_TRUE(offer3);
            again3.continueRun(*offer3);
            EXPECT_EQ(third.results, view.results);
            EXPECT_EQ(third.placesLeft, view.placesLeft);
            EXPECT_EQ(third.currentPrize, 3);
            EXPECT_EQ(takeBackAbsent(again3, third, 4), MarkOutcome::Done);
        }
    }

    // A plan changed since is refused the way a changed list is.
    writePlan("三等奖 5\n二等奖 3\n一等奖 2\n");
    FakeView changed;
    FakeServices services4(m_dir.string(), 5);
    services4.recordStore.files = services.recordStore.files;
    draw::DrawEngine refused(changed, changed, services4.forDraw());
    refused.startUp();
    auto offer = refused.unfinishedRun();
    ASSERT_TRUE(offer);
    refused.continueRun(*offer);
    EXPECT_EQ(changed.noticeKinds(), std::vector{NoticeKind::PrizePlanDiffers});
    EXPECT_TRUE(changed.initEnabled);
}

struct DamagedMark {
    const char* lines; // appended to a good run's record
    int damagedLine;   // counted from the first appended line
};

TEST_F(PrizeDrawTest, MarksThatCannotHaveBeenMadeAreDamage) {
    initializeWithPlan(10, "a 2\nb 1\n");
    drawRound("2");
    const std::string good = services.recordStore.files.at(services.recordStore.current).text;
    const auto goodLines = std::count(good.begin(), good.end(), '\n');
    const DamagedMark cases[] = {
        {"弃奖：2026-12-07 19:30:05，[3]\r\n", 1},
        {"弃奖：2026-12-07 19:30:05，[1]\r\n弃奖：2026-12-07 19:30:05，[1]\r\n", 2},
        {"撤销弃奖：2026-12-07 19:30:05，[1]\r\n", 1},
        {"弃奖：2026-12-07 19:30:05，[1]\r\n第2轮：2026-12-07 19:30:05，1人，奖项1\r\n"
         "[3]:\t第5行\tx\r\n撤销弃奖：2026-12-07 19:30:05，[1]\r\n",
         4},
        {"第2轮：2026-12-07 19:30:05，1人，奖项3\r\n[3]:\t第5行\tx\r\n", 1},
        {"第2轮：2026-12-07 19:30:05，1人\r\n[3]:\t第5行\tx\r\n", 1},
        {"选择奖项：2026-12-07 19:30:05，奖项0\r\n", 1},
        {"弃奖：2026-12-07 19:30:05\r\n", 1},
    };
    for (const DamagedMark& row : cases) {
        const std::string text = good + row.lines;
        const auto run = draw::parseRecord(text);
        ASSERT_TRUE(run);
        EXPECT_NE(run->damage, draw::RecordDamage::None) << row.lines;
        EXPECT_EQ(run->damagedLine, goodLines + row.damagedLine) << row.lines;
    }
}

} // namespace
} // namespace kelvara::testing
