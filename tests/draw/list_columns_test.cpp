#include <gmock/gmock.h>

#include <map>

#include "draw/list_check.h"
#include "draw/list_columns.h"
#include "draw/record_format.h"

#include "draw_fixture.h"

namespace kelvara::draw {
// A failed comparison shows the problem, not its bytes.
void PrintTo(const ListProblem& p, std::ostream* out) {
    *out << "{kind " << static_cast<int>(p.kind) << ", rows";
    for (const int row : p.rows) {
        *out << ' ' << row;
    }
    *out << ", " << p.column << ' ' << p.value << ' ' << p.cells << '/' << p.headerCells << '}';
}
} // namespace kelvara::draw

namespace kelvara::testing {
namespace {

using draw::Column;
using draw::ListProblem;
using draw::Mask;
using draw::Place;
using draw::ProblemKind;
using draw::RowFormat;
using platform::ColumnKind;

const std::vector<std::string> kHeader{"姓名", "身份证号", "手机", "部门"};

std::vector<draw::CheckedRow> checkedRows(const std::vector<std::string>& lines, int firstRow) {
    std::vector<draw::CheckedRow> rows;
    for (const std::string& line : lines) {
        rows.push_back({firstRow++, line, platform::splitFields(line)});
    }
    return rows;
}

TEST(ListHeaderTest, AFirstLineIsAHeaderOnlyWithATabAndAHeaderWordFirst) {
    const struct {
        const char* line;
        bool header;
    } lines[] = {
        {"姓名\t身份证号", true},
        {"NAME\tphone", true},
        {"name\t", true},
        {" 姓名 \t部门", true},
        {"\u3000姓名\u3000\t部门", true},
        {"staff no\t姓名", true},
        {"姓名", false},
        {"姓名 身份证号", false},
        {"张三\t姓名", false},
        {"姓名：\t部门", false},
        {"\t姓名", false},
    };
    for (const auto& row : lines) {
        EXPECT_EQ(platform::isTextHeader(row.line), row.header) << row.line;
    }

    const std::pair<const char*, std::optional<ColumnKind>> kinds[] = {
        {"姓名", ColumnKind::Name},
        {"身份证号码", ColumnKind::IdNumber},
        {"id number", ColumnKind::IdNumber},
        {"ID", ColumnKind::Other},
        {"MOBILE PHONE", ColumnKind::Phone},
        {"手机号码", ColumnKind::Phone},
        {"工号", ColumnKind::StaffNumber},
        {"Employee ID", ColumnKind::StaffNumber},
        {"单位", ColumnKind::Department},
        {"分组", ColumnKind::Group},
        {"顺位", ColumnKind::Batch},
        {" 户号\u3000", ColumnKind::Household},
        {"张三", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [cell, kind] : kinds) {
        EXPECT_EQ(platform::headerWordKind(cell), kind) << cell;
    }
}

TEST(ListColumnsTest, MasksHideTheMiddleOfNamesIdsAndPhones) {
    const struct {
        const char* value;
        Mask mask;
        const char* shown;
    } values[] = {
        {"张", Mask::Name, "张"},
        {"张三", Mask::Name, "张*"},
        {"张小三", Mask::Name, "张*三"},
        {"欧阳小明", Mask::Name, "欧**明"},
        {"11010119900307123X", Mask::IdNumber, "110101********123X"},
        {"110101199003071233", Mask::IdNumber, "110101********1233"},
        {"110101900307123", Mask::IdNumber, "110101********3"},
        {"13812345678", Mask::Phone, "138****5678"},
        {"010-12345678", Mask::Phone, "010-****5678"},
        {"1", Mask::IdNumber, "*"},
        {"12", Mask::IdNumber, "**"},
        {"123", Mask::Phone, "***"},
        {"1234", Mask::IdNumber, "1**4"},
        {"12345", Mask::Phone, "1***5"},
        {"123456", Mask::IdNumber, "1****6"},
        {"", Mask::IdNumber, ""},
        {"", Mask::Name, ""},
        {"张三", Mask::None, "张三"},
    };
    for (const auto& row : values) {
        EXPECT_EQ(draw::masked(row.value, row.mask), row.shown) << row.value;
    }
}

TEST(ListColumnsTest, RowsShowTheirChosenCellsMaskedAndJoinedBySpaces) {
    const RowFormat plain = RowFormat::of({}, 2);
    EXPECT_FALSE(plain.hasHeader());
    EXPECT_EQ(plain.titles(Place::Roll), (std::vector<std::string>{"列1", "列2"}));
    EXPECT_EQ(plain.shown({1, " 张三\t销售部\t"}, Place::Audience), " 张三\t销售部\t");

    RowFormat format = RowFormat::of(kHeader, 4);
    EXPECT_EQ(format.shown({1, "张三\t110101199003071233\t13812345678\t销售部"}, Place::Roll),
              "张三 110101********1233 138****5678 销售部");
    // Empty cells leave no gap; spaces and ideographic spaces around a cell are no part of it.
    EXPECT_EQ(format.shown({1, "张三\t\t 13812345678\t销售部"}, Place::Files),
              "张三 138****5678 销售部");
    EXPECT_EQ(format.shown({1, "\u3000张三\t\u3000110101199003071233\u3000"}, Place::Roll),
              "张三 110101********1233");
    EXPECT_EQ(RowFormat::of(std::vector<std::string>{"\u3000姓名", "身份证号\u3000"}, 2)
                  .titles(Place::Roll),
              (std::vector<std::string>{"姓名", "身份证号"}));
    // A workbook's row shows its own cells.
    EXPECT_EQ(format.shown({1, "张三 销售部", {"张三", "", "", "销售部"}}, Place::Roll),
              "张三 销售部");

    std::vector<Column> columns = format.columns();
    columns[1].shown[static_cast<std::size_t>(Place::Audience)] = false;
    ASSERT_TRUE(format.choose(columns));
    const draw::Candidate row{1, "张三\t110101199003071233\t13812345678\t销售部"};
    EXPECT_EQ(format.shown(row, Place::Audience), "张三 138****5678 销售部");
    EXPECT_EQ(format.shown(row, Place::Roll), "张三 110101********1233 138****5678 销售部");
    EXPECT_EQ(format.titles(Place::Audience), (std::vector<std::string>{"姓名", "手机", "部门"}));
    EXPECT_FALSE(format.choose({columns[0]}));
}

TEST(ListColumnsTest, TheChoiceTextReadsBackAndMalformedTextIsRefused) {
    const std::vector<Column> defaults = RowFormat::of(kHeader, 4).columns();
    std::vector<Column> chosen = defaults;
    chosen[0].mask = Mask::Name;
    chosen[1].shown = {true, false, true, true};
    chosen[3].shown = {false, false, false, false};
    const std::string text = draw::choiceText(chosen);
    EXPECT_EQ(text, "第1列 滚动、大屏、结果、文件，遮盖姓名；第2列 滚动、结果、文件，遮盖证件号；"
                    "第3列 滚动、大屏、结果、文件，遮盖手机号；第4列 不显示");
    EXPECT_EQ(draw::readChoiceText(text, defaults), chosen);

    const std::vector<Column> two = RowFormat::of({}, 2).columns();
    for (const char* malformed : {
             "",
             "第1列 滚动",                                   // too few columns
             "第1列 滚动；第2列 滚动；第3列 滚动",           // too many
             "第2列 滚动；第1列 滚动",                       // out of order
             "第1列滚动；第2列 滚动",                        // no space after the number
             "第1列 滚动；第2列 飞行",                       // no such place
             "第1列 ；第2列 滚动",                           // no place at all
             "第1列 滚动、；第2列 滚动",                     // a place left out
             "第1列 滚动；第2列 滚动；",                     // a column left out
             "第1列 滚动，遮盖；第2列 滚动",                 // no such mask
             "第1列 滚动，遮盖证件号，遮盖姓名；第2列 滚动", // two masks
         }) {
        EXPECT_EQ(draw::readChoiceText(malformed, two), std::nullopt) << malformed;
    }
}

TEST(ListCheckTest, FindsEachKindOfProblemAtItsFileRows) {
    const std::vector<std::string> header{"姓名", "身份证号", "手机", "户号"};
    using P = ListProblem;
    const struct {
        const char* name;
        std::vector<std::string> lines; // file rows 2, 3, ... under the header
        std::vector<P> problems;
    } cases[] = {
        {"rows alike once trimmed",
         {"张三\t\t\t", " 张三 ", "李四", "\u3000张三\t\t\t\t", "张三\t\t\t1"},
         {P{ProblemKind::SameRow, {2, 3, 5}}}},
        {"cells stay in their columns", {"张三\t\t\t1", "张三\t\t1"}, {}},
        {"a shared ID, x as X",
         {"张三\t11010519491231002X", "李四\t11010519491231002x ", "王五\t110101199003071233"},
         {P{ProblemKind::SameValue, {2, 3}, "身份证号", "11010519491231002X"}}},
        {"a shared phone",
         {"张三\t\t13800138000", "李四", "王五\t\t 13800138000"},
         {P{ProblemKind::SameValue, {2, 4}, "手机", "13800138000"}}},
        {"a shared household",
         {"张三\t\t\tH01", "李四\t\t\tH02", "王五\t\t\tH01"},
         {P{ProblemKind::SameValue, {2, 4}, "户号", "H01"}}},
        {"blank rows",
         {"张三", "", " \t ", "李四", "\u3000"},
         {P{ProblemKind::BlankRows, {3, 4, 6}}}},
        {"IDs of a wrong length",
         {"张三\t11010119900307123", "李四\t440304198510100010", "王五\t1101011990030712AB",
          "赵六\t110101900307123"},
         {P{ProblemKind::IdLength, {2}, "身份证号"}, P{ProblemKind::IdLength, {4}, "身份证号"}}},
        {"a check digit that does not fit",
         {"张三\t110101199003071234", "李四\t11010519491231002x", "王五\t320102198001010016"},
         {P{ProblemKind::IdCheckDigit, {2}, "身份证号"}}},
        {"cells past the header",
         {"张三\t\t\t\t多", "李四\t\t\t\t", "王五\t\t\t\t \t"},
         {P{ProblemKind::ExtraCells, {2}, {}, {}, 5, 4}}},
    };
    const RowFormat format = RowFormat::of(header, 6);
    for (const auto& c : cases) {
        EXPECT_EQ(draw::checkList(checkedRows(c.lines, 2), format), c.problems) << c.name;
    }
    // Without a header no column identifies anybody, and a row may have any number of cells.
    EXPECT_EQ(draw::checkList(checkedRows({"张三\tA", "李四\t1\t2\t3\t4\t5", "张三 \tA"}, 1),
                              RowFormat::of({}, 6)),
              (std::vector<P>{P{ProblemKind::SameRow, {1, 3}}}));

    const std::pair<const char*, bool> ids[] = {
        {"110101199003071233", true}, {"11010519491231002X", true},  {"11010519491231002x", true},
        {"440304198510100010", true}, {"110101199003071232", false}, {"11010519491231002Y", false},
        {"11010119900307123", false}, {"1101011990030712A3", false},
    };
    for (const auto& [id, holds] : ids) {
        EXPECT_EQ(draw::idCheckDigitHolds(id), holds) << id;
    }
}

// An ID number of these first seventeen digits with the check digit that fits.
std::string validId(const std::string& first17) {
    for (const char last : std::string_view("0123456789X")) {
        if (draw::idCheckDigitHolds(first17 + last)) {
            return first17 + last;
        }
    }
    return first17;
}

TEST(ListCheckTest, FindsTenPlantedDuplicatesInTenThousandRows) {
    std::vector<std::string> lines;
    for (int i = 0; i < 10'000; ++i) {
        const std::string n = std::to_string(10'000'000 + i).substr(1);
        lines.push_back("员工" + std::to_string(i) + "\t" + validId("1101011990" + n) + "\t139" +
                        n + "0\t部门" + std::to_string(i % 10));
    }
    std::vector<ListProblem> expected;
    for (int k = 0; k < 10; ++k) {
        const auto original = static_cast<std::size_t>(1000 * k + 100);
        const auto copy = static_cast<std::size_t>(1000 * k + 500);
        const std::vector<int> rows{static_cast<int>(original) + 2, static_cast<int>(copy) + 2};
        const std::vector<std::string> cells = platform::splitFields(lines[original]);
        // Alike rows are told as such, not again for the ID and phone they share.
        if (k < 5) {
            lines[copy] = lines[original];
            expected.push_back({ProblemKind::SameRow, rows});
        } else {
            lines[copy] = "另一人\t" + cells[1] + "\t1380000000" + std::to_string(k) + "\t部门0";
            expected.push_back({ProblemKind::SameValue, rows, "身份证号", cells[1]});
        }
    }
    EXPECT_THAT(draw::checkList(checkedRows(lines, 2), RowFormat::of(kHeader, 4)),
                ::testing::UnorderedElementsAreArray(expected));
}

// A text list with a header and a duplicate, drawn through the engine.
class ListColumnsRunTest : public DrawFixture {
protected:
    const std::string& recordText() {
        return services.recordStore.files.at(services.recordStore.current).text;
    }

    // Each candidate's line, and how it shows by default and with its ID hidden.
    struct Shown {
        const char* line;
        const char* masked;
        const char* withoutId;
    };
    static constexpr Shown kRows[] = {
        {"张三\t110101199003071233\t13812345678\t销售部",
         "张三 110101********1233 138****5678 销售部", "张三 138****5678 销售部"},
        {"李四\t11010519491231002X\t13900001111\t财务部",
         "李四 110105********002X 139****1111 财务部", "李四 139****1111 财务部"},
        {"张三\t110101199003071233\t13812345678\t销售部",
         "张三 110101********1233 138****5678 销售部", "张三 138****5678 销售部"},
        {"王五\t440304198510100010\t13700002222\t销售部",
         "王五 440304********0010 137****2222 销售部", "王五 137****2222 销售部"},
    };

    void writeList() {
        std::string text = "姓名\t身份证号\t手机\t部门\r\n";
        for (const Shown& row : kRows) {
            text += std::string(row.line) + "\r\n";
        }
        writeBonus(text);
    }

    // Whether the results box lists every winner as `shown` gives its row.
    static bool listsWinners(const std::string& results, const draw::Results& drawn,
                             const char* Shown::*shown) {
        for (const draw::ResultEntry& entry : drawn.entries()) {
            const std::string line = "\r\n[" + std::to_string(entry.number) + "]:\t" +
                                     kRows[entry.winner.line - 1].*shown;
            if (results.find(line) == std::string::npos) {
                return false;
            }
        }
        return !drawn.entries().empty();
    }
};

TEST_F(ListColumnsRunTest, AListWithProblemsIsDrawnMaskedOnlyWhenTheOperatorSaysSo) {
    writeList();
    view.answerDrawAnyway = false;
    engine.Cmd_Init_Click();
    const std::vector<int> rows{2, 4}; // the file's lines, the header first
    EXPECT_EQ(view.problems, (std::vector<ListProblem>{{ProblemKind::SameRow, rows}}));
    EXPECT_TRUE(view.initEnabled);
    EXPECT_FALSE(view.startEnabled);
    EXPECT_TRUE(services.recordStore.files.empty());

    view.answerDrawAnyway = true;
    engine.Cmd_Init_Click();
    ASSERT_FALSE(view.initEnabled);
    const std::string allPlaces = "滚动、大屏、结果、文件";
    const std::string defaultChoice = "第1列 " + allPlaces + "；第2列 " + allPlaces +
                                      "，遮盖证件号；第3列 " + allPlaces + "，遮盖手机号；第4列 " +
                                      allPlaces;
    EXPECT_NE(recordText().find("\r\n表头：姓名\\u0009身份证号\\u0009手机\\u0009部门\r\n"),
              std::string::npos);
    EXPECT_TRUE(recordText().ends_with(
        "名单检查：2026-12-07 19:30:05，发现1处问题，仍然摇号\r\n"
        "重复：整行相同，文件第2、4行\r\n初始化：2026-12-07 19:30:05\r\n显示列：2026-12-07 "
        "19:30:05，" +
        defaultChoice + "\r\n"))
        << recordText();

    // The rolling label and the audience show each row masked.
    typeRoundSize(view, engine, "2");
    engine.Cmd_Start_Click();
    std::set<std::string> rolled;
    std::set<std::string> audience;
    for (int tick = 0; tick < 4; ++tick) {
        engine.Timer1_Timer();
        rolled.insert(view.roll);
        audience.insert(view.audience);
    }
    const std::set<std::string> masked{kRows[0].masked, kRows[1].masked, kRows[3].masked};
    EXPECT_EQ(rolled, masked);
    EXPECT_EQ(audience, masked);
    engine.Cmd_Start_Click();
    engine.Timer2_Timer();
    EXPECT_TRUE(listsWinners(view.results, engine.results(), &Shown::masked)) << view.results;
    // The record keeps each winner's whole row.
    for (const draw::ResultEntry& entry : engine.results().entries()) {
        EXPECT_NE(recordText().find("]:\t第" + std::to_string(entry.winner.line) + "行\t" +
                                    draw::record::escapeText(kRows[entry.winner.line - 1].line) +
                                    "\r\n"),
                  std::string::npos);
    }

    // Hiding the ID from the results is recorded, and the results box follows it.
    services.now = {2026, 12, 7, 19, 40, 0};
    std::vector<Column> columns = engine.rowFormat().columns();
    columns[1].shown[static_cast<std::size_t>(Place::Results)] = false;
    engine.chooseColumns(columns);
    EXPECT_TRUE(recordText().ends_with("\r\n显示列：2026-12-07 19:40:00，第1列 " + allPlaces +
                                       "；第2列 滚动、大屏、文件，遮盖证件号；第3列 " + allPlaces +
                                       "，遮盖手机号；第4列 " + allPlaces + "\r\n"));
    EXPECT_TRUE(listsWinners(view.results, engine.results(), &Shown::withoutId)) << view.results;

    // A run killed and continued shows its rows as the record's last choice says.
    FakeServices again(m_dir.string(), 99);
    again.recordStore.files = services.recordStore.files;
    FakeView window;
    draw::DrawEngine restarted(window, window, again.forDraw());
    restarted.startUp();
    const auto offer = restarted.unfinishedRun();
    ASSERT_TRUE(offer.has_value());
    restarted.continueRun(*offer);
    EXPECT_EQ(restarted.rowFormat().columns(), engine.rowFormat().columns());
    EXPECT_EQ(window.results, view.results);
}

} // namespace
} // namespace kelvara::testing
