// The announcement (公示) through the real services into a folder with a Chinese name: the
// PDF as poppler reads it (its text, fonts, pages and where the words stand), the workbook
// as openpyxl reads it, and which file a failure names.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "draw/list_columns.h"
#include "output/publication.h"
#include "output/results_output.h"
#include "support/procedure_results.h"
#include "support/real_services_in.h"

using namespace Qt::StringLiterals;
using kelvara::output::Publication;
using kelvara::output::PublicationRow;
using kelvara::testing::RealServicesIn;
namespace output = kelvara::output;
namespace platform = kelvara::platform;

namespace {

const std::string kListSha = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
const std::string kCommitment = "3a7bd3e2360a3d29eea436fcfb7e44c735d117c42d1c1835420b6b9942dd4f1b";
// Too long for one line: it wraps, and every digit stays.
const std::string kPublicInput = std::string(60, '7') + std::string(60, '3') + "1";
const std::string kLongDepartment =
    "市场部华东区域销售二组与上海长宁区黄金城道门店联合项目小组临时借调人员，"
    "负责本次停车位摇号现场的秩序维护、签到核对和页面公示张贴等各项工作";

// Three winners with a prize plan and a verifiable run's facts. The names hold characters
// that CJK fonts share a glyph with a radical (黄, 小, 长, 门, 页), which a reader of the PDF
// must still find as themselves.
Publication threeWinners() {
    Publication publication;
    publication.title = "2026年阳光小区车位摇号";
    publication.date = "2026年12月8日";
    publication.place = "阳光小区会所二楼";
    publication.listName = "bonus.xlsx";
    publication.listCount = 1200;
    publication.listSha256 = kListSha;
    publication.facts = {{"算法", "kelvara-verifiable-draw-2"},
                         {"承诺", kCommitment},
                         {"公开输入", kPublicInput},
                         {"核对页面", "kelvara-verify.html"}};
    publication.columns = {"姓名", "身份证号", "部门"};
    publication.withPrizes = true;
    publication.rows = {{3, "一等奖", {"黄*明", "110101********1234", "物业管理处"}, false},
                        {7, "二等奖", {"欧阳*长", "00123", kLongDepartment}, true},
                        {12, "三等奖", {"门*小", "3101**********002X", "页面组"}, false}};
    return publication;
}

// A list that fills many pages: no plan, no facts, and no place given.
Publication longList(int winners) {
    Publication publication;
    publication.date = "2026年12月8日";
    publication.listName = "bonus.txt";
    publication.listCount = winners;
    publication.listSha256 = kListSha;
    publication.columns = {"姓名", "部门"};
    for (int n = 1; n <= winners; ++n) {
        publication.rows.push_back({n, {}, {"名" + std::to_string(n) + "号", "三号楼"}, false});
    }
    return publication;
}

// What a poppler tool printed; nothing when the tool is not installed.
std::optional<QString> poppler(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        return std::nullopt;
    }
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60'000) && process.exitCode() == 0)
        << tool.toStdString() << ": " << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What read_workbook.py printed: "row" lines apart, the other lines by their first field.
struct ReadBack {
    std::map<std::string, std::vector<std::string>> fields;
    std::vector<std::string> rows;
};

ReadBack readWorkbook(const QString& path) {
    QProcess python;
    python.start(QStringLiteral(KELVARA_PYTHON3), {QStringLiteral(KELVARA_READ_WORKBOOK), path});
    EXPECT_TRUE(python.waitForFinished(60'000) && python.exitCode() == 0)
        << python.readAllStandardError().toStdString();
    ReadBack read;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
        QList<QByteArray> parts = line.split('\t');
        if (parts[0] == "row") {
            read.rows.push_back(line.mid(4).toStdString());
        } else if (!line.isEmpty()) {
            auto& values = read.fields[parts[0].toStdString()];
            for (qsizetype i = 1; i < parts.size(); ++i) {
                values.push_back(parts[i].toStdString());
            }
        }
    }
    return read;
}

class RecordingPrinter final : public platform::Printer {
public:
    platform::Outcome printFile(const std::string& path) override {
        printed.push_back(path);
        return std::nullopt;
    }
    std::vector<std::string> printed;
};

class PublicationTest : public ::testing::Test {
protected:
    PublicationTest()
        : m_dir(QDir::tempPath() + u"/kelvara-公示-XXXXXX"_s),
          m_services(m_dir.path().toStdString()), m_output(m_services, m_services, m_printer) {}

    QString pathOf(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QStringList folderEntries() const {
        return QDir(m_dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
    }
    // The PDF's text in the order it was drawn, one string per page.
    std::optional<QStringList> pdfPages() const {
        const auto text = poppler(u"pdftotext"_s, {u"-raw"_s, pathOf("摇号公示.pdf"), u"-"_s});
        if (!text) {
            return std::nullopt;
        }
        QStringList pages = text->split(u'\f');
        pages.removeLast(); // after the last page's form feed
        return pages;
    }

    QTemporaryDir m_dir;
    RealServicesIn m_services;
    RecordingPrinter m_printer;
    output::ResultsOutput m_output;
};

QString withoutSpaces(QString text) {
    return text.remove(QRegularExpression(u"\\s"_s));
}

// One A4 page that a reader can search: every winner's cells as given (masks and leading
// zeros kept), the facts and digests whole, the signature block and the footer; every font
// embedded, and no word outside the margins.
TEST_F(PublicationTest, ThreeWinnersOnOneA4PageWithEverythingSearchable) {
    ASSERT_FALSE(m_output.publish(threeWinners()));
    EXPECT_EQ(folderEntries(), QStringList({u"摇号公示.pdf"_s, u"摇号公示.xlsx"_s}));

    const auto pages = pdfPages();
    if (!pages) {
        GTEST_SKIP() << "poppler-utils is not installed";
    }
    ASSERT_EQ(pages->size(), 1);
    const QString& text = pages->front();
    for (const char* expected : {"2026年阳光小区车位摇号",
                                 "日期：",
                                 "2026年12月8日",
                                 "地点：",
                                 "阳光小区会所二楼",
                                 "名单：",
                                 "bonus.xlsx，共1200人",
                                 "名单SHA-256：",
                                 "算法：",
                                 "kelvara-verifiable-draw-2",
                                 "核对页面：",
                                 "kelvara-verify.html",
                                 "序号",
                                 "奖项",
                                 "姓名",
                                 "身份证号",
                                 "部门",
                                 "备注",
                                 "黄*明",
                                 "110101********1234",
                                 "物业管理处",
                                 "欧阳*长",
                                 "00123",
                                 "弃奖",
                                 "门*小",
                                 "3101**********002X",
                                 "页面组",
                                 "一等奖",
                                 "二等奖",
                                 "三等奖",
                                 "公证员：",
                                 "监督员：",
                                 "操作员：",
                                 "第 1 页 共 1 页"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << " is missing";
    }
    // Wrapped, never cut.
    for (const std::string& whole : {kListSha, kCommitment, kPublicInput, kLongDepartment}) {
        EXPECT_TRUE(withoutSpaces(text).contains(QString::fromStdString(whole))) << whole;
    }

    const auto info = poppler(u"pdfinfo"_s, {pathOf("摇号公示.pdf")});
    EXPECT_TRUE(info->contains(
        QRegularExpression(u"Page size: +595(\\.\\d+)? x 84[12](\\.\\d+)? pts \\(A4\\)"_s)))
        << info->toStdString();
    const QStringList fonts = poppler(u"pdffonts"_s, {pathOf("摇号公示.pdf")})->split(u'\n').mid(2);
    ASSERT_GE(fonts.size(), 2);
    for (const QString& font : fonts) {
        EXPECT_TRUE(font.isEmpty() || font.contains(QRegularExpression(u" yes +(yes|no) +yes "_s)))
            << "not embedded: " << font.toStdString();
    }
    // Every word within the 20 mm margins (567 of 595 pt wide): a cell that overflowed its
    // column would reach past them.
    const QString boxes = *poppler(u"pdftotext"_s, {u"-bbox"_s, pathOf("摇号公示.pdf"), u"-"_s});
    const QRegularExpression word(u"xMin=\"([\\d.]+)\" yMin=\"[\\d.]+\" xMax=\"([\\d.]+)\""_s);
    int words = 0;
    for (const auto& match : word.globalMatch(boxes)) {
        ++words;
        EXPECT_GE(match.captured(1).toDouble(), 56.0) << match.captured(0).toStdString();
        EXPECT_LE(match.captured(2).toDouble(), 539.5) << match.captured(0).toStdString();
    }
    EXPECT_GT(words, 40);
}

// A long list: every page says which it is of how many and repeats the table's heading,
// and every winner is there once, in listed order, the signature block after the last.
TEST_F(PublicationTest, LongListRepeatsTheHeadingAndCountsThePages) {
    constexpr int kWinners = 300;
    ASSERT_FALSE(m_output.publish(longList(kWinners)));

    const auto pages = pdfPages();
    if (!pages) {
        GTEST_SKIP() << "poppler-utils is not installed";
    }
    const auto count = static_cast<int>(pages->size());
    ASSERT_GT(count, 5);
    QString all;
    for (int page = 1; page <= count; ++page) {
        const QString& text = (*pages)[page - 1];
        EXPECT_TRUE(text.contains(u"第 %1 页 共 %2 页"_s.arg(page).arg(count))) << "page " << page;
        EXPECT_TRUE(text.contains(u"序号 姓名 部门 备注"_s)) << "no heading on page " << page;
        EXPECT_EQ(text.contains(u"摇号结果公示"_s), page == 1) << "title on page " << page;
        EXPECT_EQ(text.contains(u"公证员："_s), page == count) << "signatures on page " << page;
        all += text;
    }
    qsizetype previous = -1;
    for (int n = 1; n <= kWinners; ++n) {
        const QString name = u"名%1号"_s.arg(n);
        const qsizetype at = all.indexOf(name);
        EXPECT_GT(at, previous) << name.toStdString() << " is missing or out of order";
        EXPECT_EQ(all.count(name), 1) << name.toStdString();
        previous = at;
    }
}

// The workbook: a merged bold title, the same lines, a bold frozen heading, the number and
// then every cell as text, the signature lines, and columns as wide as their text.
TEST_F(PublicationTest, WorkbookHoldsTheSameAnnouncement) {
    Publication publication = threeWinners();
    publication.place.clear();
    publication.facts.resize(1);
    publication.rows.resize(2);
    publication.rows[1].cells[2] = "三号楼";
    ASSERT_FALSE(m_output.publish(publication));

    const auto row = [](std::vector<std::string> cells) {
        cells.resize(6);
        std::string line = cells[0];
        for (std::size_t i = 1; i < cells.size(); ++i) {
            line += "\t" + cells[i];
        }
        return line;
    };
    const ReadBack read = readWorkbook(pathOf("摇号公示.xlsx"));
    EXPECT_EQ(read.rows,
              (std::vector<std::string>{
                  row({"s:2026年阳光小区车位摇号"}), row({"s:日期：2026年12月8日"}),
                  row({"s:地点：________________"}), row({"s:名单：bonus.xlsx，共1200人"}),
                  row({"s:名单SHA-256：" + kListSha}), row({"s:算法：kelvara-verifiable-draw-2"}),
                  row({}), row({"s:序号", "s:奖项", "s:姓名", "s:身份证号", "s:部门", "s:备注"}),
                  row({"n:3", "s:一等奖", "s:黄*明", "s:110101********1234", "s:物业管理处"}),
                  row({"n:7", "s:二等奖", "s:欧阳*长", "s:00123", "s:三号楼", "s:弃奖"}), row({}),
                  row({"s:公证员：________________    监督员：________________"}),
                  row({"s:操作员：________________    日期：________________"})}));
    EXPECT_EQ(read.fields.at("sheet"), std::vector<std::string>{"摇号公示"});
    EXPECT_EQ(read.fields.at("merged"), std::vector<std::string>{"A1:F1"});
    EXPECT_EQ(read.fields.at("frozen"), std::vector<std::string>{"A9"});
    EXPECT_EQ(read.fields.at("boldrows"), (std::vector<std::string>{"1", "8"}));
    const auto& widths = read.fields.at("widths");
    ASSERT_EQ(widths.size(), 6U);
    EXPECT_GE(std::stod(widths[3]), 18.0) << "the masked number does not fit";
    EXPECT_LE(std::stod(widths[0]), 8.0) << "the lines above the table widened 序号";
}

// A procedure's announcement lists everyone it listed, the waiting list too: each person's
// line and order on it, the person, their place beside them (a workbook places list's own
// columns, else one 房源 column), and who gave up a place or moved up into one.
TEST_F(PublicationTest, ProcedureRowsShowTheOrderThePersonAndThePlace) {
    const struct {
        bool workbookPlaces;
        std::vector<std::string> sheet; // the table as the workbook has it
        QStringList pdf;                // and as lines of the PDF
    } cases[] = {
        {false,
         {"s:序号\ts:奖项\ts:顺序\ts:姓名\ts:房源\ts:备注", "n:1\ts:A组\ts:1\ts:户11\ts:1-101 90\t",
          "n:2\ts:A组\ts:2\ts:户12\ts:1-102 88\ts:弃奖",
          "n:3\ts:A组候补\ts:候补1\ts:户13\t\ts:已递补",
          "n:4\ts:A组候补\ts:候补2\ts:户14\t\ts:弃奖",
          "n:5\ts:A组\ts:递补（接替[2]）\ts:户13\ts:1-102 88\t"},
         {u"序号 奖项 顺序 姓名 房源 备注"_s, u"1 A组 1 户11 1-101 90"_s,
          u"2 A组 2 户12 1-102 88 弃奖"_s, u"3 A组候补 候补1 户13 已递补"_s,
          u"4 A组候补 候补2 户14 弃奖"_s, u"5 A组 递补（接替[2]） 户13 1-102 88"_s}},
        {true,
         {"s:序号\ts:奖项\ts:顺序\ts:姓名\ts:房号\ts:面积\ts:备注",
          "n:1\ts:A组\ts:1\ts:户11\ts:1-101\ts:90\t",
          "n:2\ts:A组\ts:2\ts:户12\ts:1-102\ts:88\ts:弃奖",
          "n:3\ts:A组候补\ts:候补1\ts:户13\t\t\ts:已递补",
          "n:4\ts:A组候补\ts:候补2\ts:户14\t\t\ts:弃奖",
          "n:5\ts:A组\ts:递补（接替[2]）\ts:户13\ts:1-102\ts:88\t"},
         {u"序号 奖项 顺序 姓名 房号 面积 备注"_s, u"1 A组 1 户11 1-101 90"_s,
          u"2 A组 2 户12 1-102 88 弃奖"_s, u"3 A组候补 候补1 户13 已递补"_s,
          u"4 A组候补 候补2 户14 弃奖"_s, u"5 A组 递补（接替[2]） 户13 1-102 88"_s}},
    };
    for (const auto& [workbookPlaces, sheet, pdf] : cases) {
        SCOPED_TRACE(workbookPlaces ? "workbook places" : "text places");
        ASSERT_FALSE(m_output.publish(output::publicationOf(
            kelvara::testing::procedureResults(workbookPlaces), kelvara::draw::RowFormat::of({}, 1),
            nullptr, {"bonus.txt", 20, kListSha}, {{}, {}, "2026年12月8日"})));

        // The table after the title, four lines and a blank row.
        const ReadBack read = readWorkbook(pathOf("摇号公示.xlsx"));
        ASSERT_GE(read.rows.size(), 6 + sheet.size());
        EXPECT_EQ(std::vector<std::string>(read.rows.begin() + 6,
                                           read.rows.begin() + 6 + std::ssize(sheet)),
                  sheet);
        const auto pages = pdfPages();
        if (!pages) {
            GTEST_SKIP() << "poppler-utils is not installed";
        }
        ASSERT_EQ(pages->size(), 1);
        const QStringList lines = pages->front().split(u'\n');
        for (const QString& line : pdf) {
            EXPECT_TRUE(lines.contains(line)) << line.toStdString();
        }
    }
}

// A file that cannot be written fails publish with its path; the PDF comes first, so a
// failed PDF leaves the workbook unwritten.
struct BlockedCase {
    const char* name;
    const char* blocked;
    QStringList written;
};

class PublicationBlocked : public PublicationTest,
                           public ::testing::WithParamInterface<BlockedCase> {};

TEST_P(PublicationBlocked, NamesTheFileThatFailed) {
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QString::fromUtf8(GetParam().blocked) + u"/inner"_s));

    const platform::Outcome failure = m_output.publish(threeWinners());

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->path, pathOf(GetParam().blocked).toStdString());
    for (const QString& name : GetParam().written) {
        EXPECT_TRUE(QFileInfo(m_dir.filePath(name)).isFile()) << name.toStdString();
    }
    EXPECT_EQ(folderEntries().size(), GetParam().written.size() + 1) << "leftovers";
}

INSTANTIATE_TEST_SUITE_P(Publication, PublicationBlocked,
                         ::testing::Values(BlockedCase{"Pdf", "摇号公示.pdf", {}},
                                           BlockedCase{
                                               "Workbook", "摇号公示.xlsx", {u"摇号公示.pdf"_s}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Print writes the PDF alone and hands that file to the printer.
TEST_F(PublicationTest, PrintHandsThePdfToThePrinter) {
    ASSERT_FALSE(m_output.printPublication(threeWinners()));
    EXPECT_EQ(m_printer.printed, std::vector<std::string>{pathOf("摇号公示.pdf").toStdString()});
    EXPECT_EQ(folderEntries(), QStringList{u"摇号公示.pdf"_s});
}

} // namespace
