#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "draw/draw_record.h"
#include "draw/procedure.h"
#include "draw/record_reading.h"
#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

using draw::PlanFault;
using draw::Prize;

std::vector<Prize> planOf(const std::vector<std::string>& lines, int listSize = 200) {
    draw::PrizePlanReader reader(listSize);
    for (const std::string& line : lines) {
        EXPECT_TRUE(reader.take(line)) << line;
    }
    return reader.prizes();
}

// How office users write a procedure's lines, and the lines refused with what they say.
TEST(ProcedurePlan, ReadsOptionsAfterTheCountAndRefusesBadOnes) {
    const auto plan =
        planOf({"一组住房 100 组别=A 批次=1>2>3 房源=随机", "一组候补 全部 组别=A 批次=1＞2＞3",
                "二组，80人　组别=B/C 房源=顺序 可重复", "特 等 奖 1"});
    ASSERT_EQ(plan.size(), 4U);
    EXPECT_EQ(plan[0].name, "一组住房");
    EXPECT_EQ(plan[0].count, 100);
    EXPECT_EQ(plan[0].rule.filters, (std::vector<draw::Condition>{{"组别", {"A"}}}));
    EXPECT_EQ(plan[0].rule.tiers, (draw::Condition{"批次", {"1", "2", "3"}}));
    EXPECT_EQ(plan[0].rule.places, draw::PlacesMode::Random);
    EXPECT_EQ(plan[0].rule.conditions, "组别=A 批次=1>2>3");
    EXPECT_TRUE(plan[1].all);
    EXPECT_EQ(plan[1].rule.tiers->values, plan[0].rule.tiers->values);
    EXPECT_EQ(plan[2].name, "二组");
    EXPECT_EQ(plan[2].rule.filters[0].values, (std::vector<std::string>{"B", "C"}));
    EXPECT_TRUE(plan[2].rule.repeat);
    EXPECT_EQ(plan[2].rule.places, draw::PlacesMode::InOrder);
    EXPECT_EQ(plan[3].name, "特 等 奖");
    EXPECT_TRUE(plan[3].rule.options.empty());
    EXPECT_TRUE(draw::isProcedure(plan));
    EXPECT_FALSE(draw::isProcedure(planOf({"三等奖 20", "一等奖=头奖 1"})));

    const struct {
        std::vector<std::string> lines;
        PlanFault fault;
        int line;
    } refused[] = {
        {{"一组 10 组别="}, PlanFault::BadOption, 1},
        {{"一组 10 =A"}, PlanFault::BadOption, 1},
        {{"一组 10 组别=A/"}, PlanFault::BadOption, 1},
        {{"一组 10 批次=1>2 顺位=1>2"}, PlanFault::TwoTiers, 1},
        {{"一组 10 房源=抽签"}, PlanFault::PlacesMode, 1},
        {{"候补 全部 房源=随机"}, PlanFault::PlacesOnAll, 1},
        {{"入选 5", "候补 全部", "再抽 3"}, PlanFault::AllNotLast, 3},
        {{"候补 全部 组别=A", "又候补 全部 组别=A"}, PlanFault::AllNotLast, 2},
        {{"组别=A"}, PlanFault::NoName, 1},
        {{"一组 多 组别=A"}, PlanFault::CountNotWhole, 1},
    };
    for (const auto& [lines, fault, line] : refused) {
        draw::PrizePlanReader reader(100);
        bool taken = true;
        for (const std::string& text : lines) {
            taken = taken && reader.take(text);
        }
        EXPECT_EQ(reader.fault(), fault) << lines.back();
        EXPECT_EQ(reader.faultLine(), line) << lines.back();
    }
}

// Twelve people with 组别 and 批次, as a text list with a header has them.
draw::ProcedureList twelve() {
    draw::ProcedureList list{{"姓名", "组别", "批次"}, {}, 6};
    const char* groups = "AAAAAABBBBBB";
    const char* tiers = "112233112211";
    for (int k = 0; k < 12; ++k) {
        list.cells.push_back(
            {"人" + std::to_string(k + 1), std::string(1, groups[k]), std::string(1, tiers[k])});
    }
    return list;
}

// A shuffle anyone can follow: reversed. The order is then the pool's lines backwards, tier
// by tier.
void reversed(const std::string&, std::vector<int>& items) {
    std::reverse(items.begin(), items.end());
}

// Sections, tiers that run out, a group shorter than its places, waiting orders and places.
TEST(Procedure, DerivesBlocksWaitingOrdersAndPlacesFromTheSectionsOrders) {
    const auto plan = planOf({"一组 4 组别=A 批次=1>2 房源=顺序", "一组候补 全部 组别=A 批次=1>2",
                              "二组 9 组别=B 房源=随机", "全体补充 1"});
    std::vector<std::string> labels;
    draw::Procedure procedure(plan, twelve(),
                              [&](const std::string& label, std::vector<int>& items) {
                                  labels.push_back(label);
                                  reversed(label, items);
                              });
    EXPECT_EQ(labels, (std::vector<std::string>{"order/1/1", "order/1/2", "order/2/1", "order/3/1",
                                                "places/3"}))
        << "places in list order need no shuffle";
    // Group A, tier 1 is lines 1, 2; tier 2 is 3, 4: batch 3 (lines 5, 6) is in no tier.
    EXPECT_EQ(procedure.lineOrder(1), (std::vector{2, 1, 4, 3}));
    EXPECT_TRUE(procedure.lineOrder(2).empty()) << "tier 2 ran out inside the block";
    // Group B has 6 people for 9 places; the last line draws from who is left of all.
    EXPECT_EQ(procedure.lineOrder(3), (std::vector{12, 11, 10, 9, 8, 7}));
    EXPECT_EQ(procedure.lineOrder(4), (std::vector{6}));
    EXPECT_EQ(procedure.placeRow(1, 1), 1);
    EXPECT_EQ(procedure.placeRow(1, 4), 4);
    EXPECT_EQ(procedure.placeRow(3, 1), 13) << "line 3's places follow line 1's, reversed";
    EXPECT_EQ(procedure.placeRow(4, 1), 0);

    const std::vector<draw::Pick> taken = procedure.take(1, 3);
    EXPECT_EQ(taken, (std::vector<draw::Pick>{{2, 1, 0, 1}, {1, 2, 0, 2}, {4, 3, 0, 3}}));
    EXPECT_EQ(procedure.left(1), 1);
}

// Whoever waits first moves up, in order, skipping who declined or holds a place; nobody is
// drawn twice, and an empty waiting list leaves the place empty.
TEST(Procedure, MovesTheFirstWaitingPersonUpForEachDecline) {
    const auto plan = planOf({"入选 3 房源=顺序", "候补 全部"});
    draw::ProcedureList list = twelve();
    draw::Procedure procedure(plan, list, reversed);
    EXPECT_EQ(procedure.lineOrder(1), (std::vector{12, 11, 10}));
    EXPECT_EQ(procedure.lineOrder(2), (std::vector{9, 8, 7, 6, 5, 4, 3, 2, 1}));
    const auto waiting = procedure.take(2, 2);
    EXPECT_EQ(waiting[1], (draw::Pick{8, 0, 2, 0}));
    EXPECT_EQ(procedure.decline(2, 9, 0), std::nullopt) << "候补1 withdraws";
    EXPECT_EQ(procedure.decline(1, 11, 2), (draw::Pick{8, 2, 0, 2}))
        << "候补2 gets rank 2 and its place";
    EXPECT_EQ(procedure.decline(1, 8, 2), (draw::Pick{7, 2, 0, 2}));
    procedure.takeBack(1, 7, 2);
    EXPECT_EQ(procedure.decline(1, 12, 1), (draw::Pick{6, 1, 0, 1}));

    draw::Procedure small(planOf({"入选 11", "候补 全部"}), list, reversed);
    EXPECT_EQ(small.decline(1, 12, 1), (draw::Pick{1, 1, 0, 0}));
    EXPECT_EQ(small.decline(1, 1, 1), std::nullopt);
}

// Lines of the list a plan names must be there; places must suffice.
TEST(Procedure, RefusesAPlanTheListOrPlacesCannotServe) {
    const struct {
        std::string line;
        PlanFault fault;
        std::string column;
        std::string value;
    } cases[] = {
        {"一组 2 组别=A", PlanFault::None, "", ""},
        {"一组 2 分组=A", PlanFault::UnknownColumn, "分组", ""},
        {"一组 2 组别=A/Z", PlanFault::UnknownValue, "组别", "Z"},
        {"一组 2 批次=1>4", PlanFault::UnknownValue, "批次", "4"},
        {"一组 7 房源=随机", PlanFault::PlacesShort, "", "7"},
    };
    for (const auto& [line, fault, column, value] : cases) {
        const draw::ProcedureFault found = draw::checkProcedure(planOf({line}), twelve());
        EXPECT_EQ(found.fault, fault) << line;
        EXPECT_EQ(found.column, column) << line;
        EXPECT_EQ(found.value, value) << line;
    }
}

class ProcedureRunTest : public DrawFixture {
protected:
    void writeFile(const std::string& name, const std::string& bytes) const {
        std::ofstream out(m_dir / std::filesystem::u8path(name),
                          std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string recordText() const {
        return services.recordStore.files.at(services.recordStore.current).text;
    }
    // 30 families: 姓名, 组别 A or B, 批次 1 to 3; ten flats.
    void writeHousing() const {
        std::string list = "姓名\t组别\t批次\r\n";
        for (int k = 1; k <= 30; ++k) {
            list += "户" + std::to_string(k) + "\t" + (k % 2 != 0 ? "A" : "B") + "\t" +
                    std::to_string(1 + k % 3) + "\r\n";
        }
        writeBonus(list);
        std::string flats = "房号\t面积\r\n";
        for (int k = 1; k <= 10; ++k) {
            flats += "1-" + std::to_string(100 + k) + "\t90\r\n";
        }
        writeFile("房源.txt", flats);
        writeFile("奖项.txt",
                  "A组 6 组别=A 批次=1>2>3 房源=随机\r\nA组候补 全部 组别=A 批次=1>2>3\r\n"
                  "B组 4 组别=B 房源=顺序\r\nB组候补 全部 组别=B\r\n");
    }
};

// A housing draw in rounds: tiers first, the whole waiting list, a decline moving 候补1 up
// into its place, the record naming every step, and a continued run that gives the same.
TEST_F(ProcedureRunTest, DrawsTheWholeOrderMovesUpAndContinuesTheSame) {
    writeHousing();
    engine.Cmd_Init_Click();
    ASSERT_FALSE(view.initEnabled) << ::testing::PrintToString(noticeKinds());
    EXPECT_EQ(engine.results().placesLeft(1), 6);
    EXPECT_EQ(engine.results().placesLeft(2), 9);
    drawRound("4");
    drawRound("2");
    const auto entries = engine.results().entries();
    ASSERT_EQ(entries.size(), 6U);
    std::vector<int> batches;
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.prize, 1);
        EXPECT_EQ(entry.rank, entry.number);
        ASSERT_TRUE(entry.place.has_value());
        EXPECT_LE(entry.place->line, 6);
        const int line = entry.winner.line;
        EXPECT_EQ(line % 2, 1) << "group A only";
        batches.push_back(1 + line % 3);
    }
    EXPECT_TRUE(std::ranges::is_sorted(batches)) << "batch 1 fills the places before batch 2";
    engine.choosePrize(2);
    drawRound("9");
    EXPECT_EQ(engine.results().entries()[6].waiting, 1);
    const int first = engine.results().entries()[6].winner.line;

    const auto change = engine.absentChange(2);
    ASSERT_TRUE(change);
    engine.changeAbsent(*change);
    const draw::ResultEntry& movedUp = engine.results().entries().back();
    EXPECT_EQ(movedUp.number, 16);
    EXPECT_EQ(movedUp.winner.line, first) << "候补1 moves up";
    EXPECT_EQ(movedUp.replaces, 2);
    EXPECT_EQ(movedUp.place, engine.results().entries()[1].place);
    EXPECT_FALSE(engine.absentChange(2)) << "the mark stays once someone moved up";

    const std::string record = recordText();
    EXPECT_NE(record.find("奖项1条件：组别=A 批次=1>2>3 房源=随机\r\n"), std::string::npos);
    EXPECT_NE(record.find("奖项2：全部，A组候补\r\n"), std::string::npos);
    EXPECT_NE(record.find("房源表：房源.txt，共10个，SHA-256 "), std::string::npos);
    EXPECT_NE(record.find("抽签密钥："), std::string::npos);
    EXPECT_NE(record.find("\t候补1\r\n"), std::string::npos);
    EXPECT_NE(record.find("，接替[2]\r\n[16]:\t第" + std::to_string(first) + "行\t"),
              std::string::npos);
    const auto parsed = draw::parseRecord(record);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->damage, draw::RecordDamage::None) << parsed->damagedLine;

    // Killed now: the next start continues with the same people, places and waiting list.
    FakeView window;
    FakeServices again(utf8String(m_dir), 99);
    again.recordStore.files = services.recordStore.files;
    draw::DrawEngine continued(window, window, again.forDraw());
    continued.startUp();
    const auto offer = continued.unfinishedRun();
    ASSERT_TRUE(offer);
    continued.continueRun(*offer);
    EXPECT_TRUE(window.notices.empty()) << ::testing::PrintToString(window.noticeKinds());
    ASSERT_EQ(continued.results().entries().size(), engine.results().entries().size());
    for (std::size_t k = 0; k < engine.results().entries().size(); ++k) {
        const auto& was = engine.results().entries()[k];
        const auto& is = continued.results().entries()[k];
        EXPECT_EQ(is.winner.line, was.winner.line);
        EXPECT_EQ(is.waiting, was.waiting);
        EXPECT_EQ(is.place, was.place);
        EXPECT_EQ(is.replaces, was.replaces);
    }
    EXPECT_EQ(continued.results().placesLeft(3), 4);
}

// Initialize refuses, naming the plan's line, what the list or the places cannot serve; nothing
// is drawn or recorded then.
TEST_F(ProcedureRunTest, InitializeRefusesWhatTheListOrPlacesCannotServe) {
    const struct {
        std::string plan;
        std::string places;
        draw::NoticeKind notice;
        PlanFault fault;
        int line;
    } cases[] = {
        {"\r\nA组 2 组别=A 房源=顺序\r\n", "", draw::NoticeKind::PlacesMissing, PlanFault::None, 0},
        {"A组 2 组别=A 房源=顺序\r\n", "房号\r\n1-101\r\n1-102\r\n",
         draw::NoticeKind::PlacesHeaderAlone, PlanFault::None, 0},
        {"A组 2 组别=A\r\n\r\nB组 2 区域=B\r\n", "-", draw::NoticeKind::PrizePlanRefused,
         PlanFault::UnknownColumn, 3},
        {"A组 2 组别=A\r\nB组 2 批次=1>9\r\n", "-", draw::NoticeKind::PrizePlanRefused,
         PlanFault::UnknownValue, 2},
        {"A组 6 组别=A 房源=顺序\r\nB组 6 组别=B 房源=随机\r\n", "-",
         draw::NoticeKind::PrizePlanRefused, PlanFault::PlacesShort, 2},
    };
    for (const auto& [plan, places, notice, fault, line] : cases) {
        writeHousing();
        writeFile("奖项.txt", plan);
        if (places.empty()) {
            std::filesystem::remove(m_dir / std::filesystem::u8path("房源.txt"));
        } else if (places != "-") {
            writeFile("房源.txt", places);
        }
        view.notices.clear();
        engine.Cmd_Init_Click();
        EXPECT_TRUE(view.initEnabled) << plan;
        ASSERT_EQ(noticeKinds(), std::vector{notice}) << plan;
        EXPECT_EQ(view.notices[0].planFault, fault) << plan;
        EXPECT_EQ(view.notices[0].line, line) << plan;
    }
}

// A verifiable procedure commits to the places list too, and draws each section's order from
// the key under its own label: the same people whoever computes them from the record.
TEST_F(ProcedureRunTest, AVerifiableProcedureCommitsToItsPlacesAndDrawsFromTheKey) {
    writeHousing();
    engine.setVerifiable(true);
    engine.Cmd_Init_Click();
    const draw::VerifiableRun* run = engine.verifiableRun();
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(run->inputs.procedure);
    ASSERT_TRUE(run->inputs.placesSha256);
    draw::VerifiableInputs withoutPlaces = run->inputs;
    withoutPlaces.placesSha256.reset();
    EXPECT_NE(draw::commitmentOf(services, withoutPlaces), run->commitment);
    EXPECT_NE(recordText().find("可验证摇号：kelvara-verifiable-draw-3，承诺 " +
                                draw::toHex(run->commitment)),
              std::string::npos);
    EXPECT_EQ(recordText().find("抽签密钥"), std::string::npos);
    ASSERT_TRUE(engine.acceptPublicInput({"27064918", "5533"}));
    EXPECT_EQ(engine.results().placesLeft(2), 9);
    drawRound("6");

    // Group A, batch 1 (lines 3, 9, ... where k % 3 == 0 and k odd), shuffled under "order/1/1".
    std::vector<int> batch1;
    for (int k = 1; k <= 30; ++k) {
        if (k % 2 != 0 && 1 + k % 3 == 1) {
            batch1.push_back(k);
        }
    }
    const platform::Digest key = draw::procedureKey(services, run->inputs);
    draw::shuffleByLabel(services, key, "order/1/1", batch1);
    for (std::size_t k = 0; k < batch1.size(); ++k) {
        EXPECT_EQ(engine.results().entries()[k].winner.line, batch1[k]);
    }
    std::vector<int> places{1, 2, 3, 4, 5, 6};
    draw::shuffleByLabel(services, key, "places/1", places);
    EXPECT_EQ(engine.results().entries()[0].place->line, places[0]);

    ASSERT_TRUE(engine.absentChange(1));
    engine.changeAbsent(*engine.absentChange(1));
    engine.reveal();
    EXPECT_NE(recordText().find("，共7个位置，"), std::string::npos) << "the 递补 counts";
    const auto parsed = draw::parseRecord(recordText());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->damage, draw::RecordDamage::None);
    EXPECT_EQ(parsed->verifiableAlgorithm, "kelvara-verifiable-draw-3");
}

// A workbook places list's header names the columns its places are shown in; each place
// keeps its cells.
TEST_F(ProcedureRunTest, KeepsAWorkbookPlacesListsColumns) {
    writeHousing();
    std::filesystem::rename(m_dir / std::filesystem::u8path("房源.txt"),
                            m_dir / std::filesystem::u8path("房源.xlsx"));
    engine.Cmd_Init_Click();
    ASSERT_FALSE(view.initEnabled) << ::testing::PrintToString(noticeKinds());
    EXPECT_EQ(engine.results().placeTitles(), (std::vector<std::string>{"房号", "面积"}));
    drawRound("1");
    const auto& place = engine.results().entries().front().place;
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->cells,
              (std::vector<std::string>{"1-" + std::to_string(100 + place->line), "90"}));
}

} // namespace
} // namespace kelvara::testing
