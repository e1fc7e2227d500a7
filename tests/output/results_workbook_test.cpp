// The results workbook that Save writes, through the real services into a folder with a
// Chinese name, read back by openpyxl: its cells, its layout, and failures that keep the
// earlier workbook.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "draw/results.h"
#include "output/results_output.h"
#include "output/results_workbook.h"
#include "support/file_size_limit.h"
#include "support/procedure_results.h"
#include "support/real_services_in.h"

using namespace Qt::StringLiterals;
using kelvara::draw::Prize;
using kelvara::draw::ResultEntry;
using kelvara::draw::Results;
using kelvara::platform::LocalDateTime;
using kelvara::testing::RealServicesIn;
namespace output = kelvara::output;
namespace platform = kelvara::platform;

namespace {

// What read_workbook.py printed: "row" lines apart, the other lines by their first field.
struct ReadBack {
    std::map<std::string, std::vector<std::string>> fields;
    std::vector<std::string> rows;
};

ReadBack readWorkbook(const QString& path) {
    QProcess python;
    python.start(QStringLiteral(KELVARA_PYTHON3), {QStringLiteral(KELVARA_READ_WORKBOOK), path});
    const bool finished = python.waitForFinished(60'000);
    const QByteArray said = python.readAllStandardError();
    EXPECT_TRUE(finished && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0)
        << "openpyxl could not read " << path.toStdString() << ": " << said.toStdString();
    ReadBack read;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
        const std::string text = line.toStdString();
        if (text.rfind("row\t", 0) == 0) {
            read.rows.push_back(text.substr(4));
        } else if (!text.empty()) {
            const QList<QByteArray> parts = line.split('\t');
            auto& values = read.fields[parts[0].toStdString()];
            for (qsizetype i = 1; i < parts.size(); ++i) {
                values.push_back(parts[i].toStdString());
            }
        }
    }
    return read;
}

struct Round {
    std::vector<std::string> names;
    LocalDateTime time;
    int prize = 0;
};

// The rounds listed in order, numbered on from 1, with the winners of `absent` marked.
Results resultsOf(const std::vector<Round>& rounds, std::vector<Prize> prizes = {},
                  const std::vector<int>& absent = {}) {
    Results results;
    results.setPrizes(std::move(prizes));
    int number = 0;
    for (const Round& round : rounds) {
        std::vector<ResultEntry> entries;
        for (const std::string& name : round.names) {
            ++number;
            entries.push_back({number, {number, name}, 0, round.time});
        }
        results.addRound(std::move(entries), round.prize);
    }
    for (const int number : absent) {
        results.markAbsent(number, {2026, 12, 7, 21, 0, 0});
    }
    return results;
}

std::string cells(const std::vector<std::string>& values) {
    std::string row;
    for (std::size_t i = 0; i < values.size(); ++i) {
        row += (i == 0 ? "" : "\t") + values[i];
    }
    return row;
}

const LocalDateTime kFirst{2026, 12, 7, 19, 31, 12};
const LocalDateTime kSecond{2026, 12, 7, 20, 5, 59};
const std::string kFirstTime = "d:2026-12-07 19:31:12@yyyy-mm-dd hh:mm:ss";
const std::string kSecondTime = "d:2026-12-07 20:05:59@yyyy-mm-dd hh:mm:ss";
const std::string kHeading = cells({"s:序号", "s:姓名", "s:轮次", "s:时间", "s:备注"});

// A data folder with a Chinese name, and the real services writing into it.
class WorkbookTest : public ::testing::Test {
protected:
    WorkbookTest()
        : m_dir(QDir::tempPath() + u"/kelvara-工作簿-XXXXXX"_s), m_services(folder()),
          m_output(m_services, m_services, m_services) {}

    std::string folder() const { return m_dir.path().toStdString(); }
    QString pathOf(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QByteArray bytesOf(const char* name) const {
        QFile file(pathOf(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList folderEntries() const {
        return QDir(m_dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
    }

    QTemporaryDir m_dir;
    RealServicesIn m_services;
    output::ResultsOutput m_output;
};

struct CellsCase {
    const char* name;
    Results results;
    std::vector<std::string> rows; // the heading's first
};

class WorkbookCells : public WorkbookTest, public ::testing::WithParamInterface<CellsCase> {};

TEST_P(WorkbookCells, HoldOneRowPerWinnerInListedOrder) {
    const QString before = QDir::currentPath();
    ASSERT_FALSE(m_output.save(GetParam().results));

    EXPECT_EQ(readWorkbook(pathOf("摇号结果.xlsx")).rows, GetParam().rows);
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_EQ(folderEntries(), QStringList({u"摇号结果.txt"_s, u"摇号结果.xlsx"_s}));
}

INSTANTIATE_TEST_SUITE_P(
    Workbook, WorkbookCells,
    ::testing::Values(
        CellsCase{"BeforeAnyDraw", resultsOf({}), {kHeading}},
        CellsCase{"NoPlan",
                  resultsOf({{{"张伟明", "李建华"}, kFirst}, {{"王秀英"}, kSecond}}, {}, {2}),
                  {kHeading, cells({"n:1", "s:张伟明", "n:1", kFirstTime, ""}),
                   cells({"n:2", "s:李建华", "n:1", kFirstTime, "s:弃奖"}),
                   cells({"n:3", "s:王秀英", "n:2", kSecondTime, ""})}},
        // With a plan, the prize of each winner after the name.
        CellsCase{"PrizePlan",
                  resultsOf({{{"张伟明", "李建华"}, kFirst, 1}, {{"王秀英"}, kSecond, 2}},
                            {{"三等奖", 2}, {"一等奖", 1}}, {1}),
                  {cells({"s:序号", "s:姓名", "s:奖项", "s:轮次", "s:时间", "s:备注"}),
                   cells({"n:1", "s:张伟明", "s:三等奖", "n:1", kFirstTime, "s:弃奖"}),
                   cells({"n:2", "s:李建华", "s:三等奖", "n:1", kFirstTime, ""}),
                   cells({"n:3", "s:王秀英", "s:一等奖", "n:2", kSecondTime, ""})}},
        // Names are text as written: no number, date, truth value or formula made of them,
        // control characters, spaces and Excel's own escape sequence kept; an empty line
        // stays an empty cell.
        CellsCase{"NamesStayText",
                  resultsOf({{{"00123", "=1+1", "1E5", "2026-12-07", "TRUE", " 前后 ", "司马\n光\t",
                               "a\x01z\r", "_x0041_", ""},
                              kFirst}}),
                  {kHeading, cells({"n:1", "s:00123", "n:1", kFirstTime, ""}),
                   cells({"n:2", "s:=1+1", "n:1", kFirstTime, ""}),
                   cells({"n:3", "s:1E5", "n:1", kFirstTime, ""}),
                   cells({"n:4", "s:2026-12-07", "n:1", kFirstTime, ""}),
                   cells({"n:5", "s:TRUE", "n:1", kFirstTime, ""}),
                   cells({"n:6", "s: 前后 ", "n:1", kFirstTime, ""}),
                   cells({"n:7", "s:司马\\x0a光\\x09", "n:1", kFirstTime, ""}),
                   cells({"n:8", "s:a\\x01z\\x0d", "n:1", kFirstTime, ""}),
                   cells({"n:9", "s:_x0041_", "n:1", kFirstTime, ""}),
                   cells({"n:10", "", "n:1", kFirstTime, ""})}},
        // A procedure: the line and the order on it before the person, the place after it,
        // whoever moved up and who withdrew marked.
        CellsCase{
            "ProcedureWithTextPlaces",
            kelvara::testing::procedureResults(false),
            {cells({"s:序号", "s:奖项", "s:顺序", "s:姓名", "s:房源", "s:轮次", "s:时间",
                    "s:备注"}),
             cells({"n:1", "s:A组", "n:1", "s:户11", "s:1-101 90", "n:1", kFirstTime, ""}),
             cells({"n:2", "s:A组", "n:2", "s:户12", "s:1-102 88", "n:1", kFirstTime, "s:弃奖"}),
             cells({"n:3", "s:A组候补", "s:候补1", "s:户13", "", "n:2", kSecondTime, "s:已递补"}),
             cells({"n:4", "s:A组候补", "s:候补2", "s:户14", "", "n:2", kSecondTime, "s:弃奖"}),
             cells({"n:5", "s:A组", "s:递补（接替[2]）", "s:户13", "s:1-102 88", "n:2", kSecondTime,
                    ""})}},
        // A workbook places list's columns under its own header.
        CellsCase{
            "ProcedureWithWorkbookPlaces",
            kelvara::testing::procedureResults(true),
            {cells({"s:序号", "s:奖项", "s:顺序", "s:姓名", "s:房号", "s:面积", "s:轮次", "s:时间",
                    "s:备注"}),
             cells({"n:1", "s:A组", "n:1", "s:户11", "s:1-101", "s:90", "n:1", kFirstTime, ""}),
             cells({"n:2", "s:A组", "n:2", "s:户12", "s:1-102", "s:88", "n:1", kFirstTime,
                    "s:弃奖"}),
             cells({"n:3", "s:A组候补", "s:候补1", "s:户13", "", "", "n:2", kSecondTime,
                    "s:已递补"}),
             cells({"n:4", "s:A组候补", "s:候补2", "s:户14", "", "", "n:2", kSecondTime, "s:弃奖"}),
             cells({"n:5", "s:A组", "s:递补（接替[2]）", "s:户13", "s:1-102", "s:88", "n:2",
                    kSecondTime, ""})}}),
    [](const auto& info) { return std::string(info.param.name); });

struct LayoutCase {
    const char* name;
    std::string winner;
    double minNameWidth;
    double maxNameWidth;
};

class WorkbookLayout : public WorkbookTest, public ::testing::WithParamInterface<LayoutCase> {};

// One named sheet, a bold heading that stays in view, and columns as wide as their text.
TEST_P(WorkbookLayout, HeadingStaysAndColumnsFitTheirText) {
    ASSERT_FALSE(m_output.save(resultsOf({{{GetParam().winner}, kFirst}})));

    auto read = readWorkbook(pathOf("摇号结果.xlsx"));
    EXPECT_EQ(read.fields["sheet"], std::vector<std::string>{"摇号结果"});
    EXPECT_EQ(read.fields["frozen"], std::vector<std::string>{"A2"});
    EXPECT_EQ(read.fields["bold"], std::vector<std::string>{"11111"});
    const auto& widths = read.fields["widths"];
    ASSERT_EQ(widths.size(), 5U);
    const double name = std::stod(widths[1]);
    EXPECT_GE(name, GetParam().minNameWidth);
    EXPECT_LE(name, GetParam().maxNameWidth);
    EXPECT_GE(std::stod(widths[3]), 19.0) << "the time does not fit";
    EXPECT_GE(std::stod(widths[4]), 4.0) << "the heading 备注 does not fit";
}

INSTANTIATE_TEST_SUITE_P(
    Workbook, WorkbookLayout,
    ::testing::Values(LayoutCase{"TwentyLatinLetters", "abcdefghijklmnopqrst", 20, 25},
                      // Chinese characters are twice as wide as Latin ones.
                      LayoutCase{"TenChineseCharacters", "一二三四五六七八九十", 20, 25},
                      LayoutCase{"VeryLongNameIsCapped", std::string(3000, 'x'), 40, 65}),
    [](const auto& info) { return std::string(info.param.name); });

// The text file is written, then the workbook fails: Save says where and why, and the
// earlier workbook stays as it was, with no leftovers beside it.
enum class Blocker { DirectoryOfThatName, DiskFull };

class WorkbookFailure : public WorkbookTest, public ::testing::WithParamInterface<Blocker> {};

TEST_P(WorkbookFailure, KeepsTheEarlierWorkbookAndSaysWhy) {
    const auto earlier = resultsOf({{{"张伟明"}, kFirst}});
    const auto later = resultsOf({{{"李建华", "王秀英"}, kSecond}});
    platform::Outcome failure;
    const QString before = QDir::currentPath();
    if (GetParam() == Blocker::DirectoryOfThatName) {
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(u"摇号结果.xlsx/inner"_s));
        failure = m_output.save(later);
        EXPECT_TRUE(QFileInfo(pathOf("摇号结果.xlsx/inner")).isDir());
    } else {
        ASSERT_FALSE(m_output.save(earlier));
        const QByteArray earlierBytes = bytesOf("摇号结果.xlsx");
        // Room for the text file, not for the workbook.
        failure = kelvara::testing::withFileSizeLimit(2000, [&] { return m_output.save(later); });
        EXPECT_EQ(bytesOf("摇号结果.xlsx"), earlierBytes);
    }

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->path, pathOf("摇号结果.xlsx").toStdString());
    EXPECT_FALSE(failure->detail.empty()) << "the reason is missing";
    EXPECT_EQ(bytesOf("摇号结果.txt").toStdString(), kelvara::draw::resultsText(later) + "\r\n");
    EXPECT_EQ(folderEntries(), QStringList({u"摇号结果.txt"_s, u"摇号结果.xlsx"_s}));
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_TRUE(m_services.messages.empty()) << "the window words the messages";
}

INSTANTIATE_TEST_SUITE_P(Workbook, WorkbookFailure,
                         ::testing::Values(Blocker::DirectoryOfThatName, Blocker::DiskFull),
                         [](const auto& info) {
                             return info.param == Blocker::DiskFull ? "DiskFull"
                                                                    : "DirectoryOfThatName";
                         });

} // namespace
