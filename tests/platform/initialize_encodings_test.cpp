#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include "draw/draw_engine.h"
#include "fakes/fake_view.h"
#include "support/legacy_code_page.h"
#include "support/real_services_in.h"

namespace kelvara::testing {
namespace {

QByteArray encoded(const QString& text, const char* encoding) {
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

// Lists as people save them on Windows and on Linux, loaded through the real reader.
TEST(InitializeEncodingsTest, LoadsListsInEveryEncodingPeopleSave) {
    // Each way of saving, applied to text with CR LF line ends.
    using Save = QByteArray (*)(const QString&);
    const struct {
        const char* name;
        Save save;
    } cases[] = {
        {"UTF-8",
         [](const QString& text) -> QByteArray {
             return text.toUtf8();
         }},
        {"UTF-8 with mark",
         [](const QString& text) -> QByteArray {
             return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
         }},
        {"UTF-8, LF line ends",
         [](const QString& text) -> QByteArray {
             return QString(text).remove(QLatin1Char('\r')).toUtf8();
         }},
        {"GBK",
         [](const QString& text) -> QByteArray {
             return legacyBytes(text);
         }},
        {"UTF-16 LE with mark",
         [](const QString& text) -> QByteArray {
             return QByteArray("\xFF\xFE", 2) + encoded(text, "UTF-16LE");
         }},
        {"UTF-16 BE with mark",
         [](const QString& text) -> QByteArray {
             return QByteArray("\xFE\xFF", 2) + encoded(text, "UTF-16BE");
         }},
        {"CR only",
         [](const QString& text) -> QByteArray {
             return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\r")).toUtf8();
         }},
    };
    // Windows must run with the Chinese ANSI code page for the GBK case.
    ASSERT_TRUE(legacyIsGbk()) << "the ANSI code page is not GBK";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        // The prize plan is read the same way as the list.
        for (const auto& [name, text] : {std::pair{"bonus.txt", "张伟\r\n王芳\r\n李娜\r\n"},
                                         std::pair{"奖项.txt", "三等奖 2\r\n一等奖，1\r\n"}}) {
            QFile file(dir.filePath(QString::fromUtf8(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.save(QString::fromUtf8(text)));
        }
        RealServicesIn services(dir.path().toStdString());
        FakeView view;
        draw::DrawEngine engine(view, view, services.forDraw());
        engine.startUp();
        engine.Cmd_Init_Click();
        EXPECT_TRUE(view.notices.empty());
        EXPECT_EQ(engine.state().RollSample, (std::vector<std::string>{"张伟", "王芳", "李娜"}));
        EXPECT_EQ(view.roll, "<list of 3>");
        EXPECT_EQ(engine.results().prizes(),
                  (std::vector<draw::Prize>{{"三等奖", 2}, {"一等奖", 1}}));
    }
}

// A plan line that hides a prize or a character, as the real reader splits and decodes it.
TEST(InitializeEncodingsTest, APlanIsRefusedForWhatItsFileHolds) {
    const struct {
        const char* name;
        QByteArray bytes;
        draw::PlanFault fault;
        int line;
        char32_t character;
    } cases[] = {
        {"lone LF in a CR LF file", "三等奖 1\r\n二等奖 1\n一等奖 1\r\n",
         draw::PlanFault::ControlCharacter, 2, U'\n'},
        {"a stray byte in UTF-8", "三等奖 1\r\n二等奖 1\r\n一等奖\xA0 1\r\n",
         draw::PlanFault::InvalidCharacter, 3, 0xFFFD},
        {"a lone surrogate in UTF-16",
         QByteArray("\xFF\xFE", 2) + encoded(QStringLiteral("三等奖 1\r\n一等奖"), "UTF-16LE") +
             QByteArray("\x00\xD8", 2) + encoded(QStringLiteral(" 1\r\n"), "UTF-16LE"),
         draw::PlanFault::InvalidCharacter, 2, 0xFFFD},
        {"a no-break space from a web page",
         "三等奖\xC2\xA0"
         "1\r\n",
         draw::PlanFault::InvisibleCharacter, 1, 0xA0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        for (const auto& [name, bytes] :
             {std::pair{"bonus.txt", QByteArray("张伟\r\n王芳\r\n李娜\r\n")},
              std::pair{"奖项.txt", c.bytes}}) {
            QFile file(dir.filePath(QString::fromUtf8(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        RealServicesIn services(dir.path().toStdString());
        FakeView view;
        draw::DrawEngine engine(view, view, services.forDraw());
        engine.startUp();
        engine.Cmd_Init_Click();
        ASSERT_EQ(view.notices.size(), 1U);
        EXPECT_EQ(view.notices[0].planFault, c.fault);
        EXPECT_EQ(view.notices[0].line, c.line);
        EXPECT_EQ(view.notices[0].character, c.character);
        EXPECT_TRUE(view.initEnabled);
    }
}

// A list replaced by a file larger than the memory is refused, by its line count or by its
// endless last line, and nothing is lost. (How fast: the benchmarks.)
TEST(InitializeEncodingsTest, HugeFilesAreRefused) {
    QByteArray manyLines;
    for (int i = 1; i <= 20000; ++i) {
        manyLines += "name " + QByteArray::number(i) + "\r\n";
    }
    const struct {
        const char* name;
        QByteArray start;
        qint64 size;
        draw::Notice notice;
    } cases[] = {
        {"20000 lines, then 6 GB of nothing",
         manyLines,
         qint64{6} << 30,
         {draw::NoticeKind::TooManyLines}},
        {"three names, then 40 GB of nothing",
         "A\r\nB\r\nC\r\n",
         qint64{40} << 30,
         {draw::NoticeKind::LineTooLong, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("bonus.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.start);
        if (!file.resize(c.size)) {
            GTEST_SKIP() << "no sparse files here";
        }
        file.close();

        RealServicesIn services(dir.path().toStdString());
        FakeView view;
        draw::DrawEngine engine(view, view, services.forDraw());
        engine.startUp();
        engine.Cmd_Init_Click();
        EXPECT_EQ(view.notices, std::vector{c.notice});
        EXPECT_TRUE(view.initEnabled);
    }
}

TEST(InitializeEncodingsTest, AFolderNamedLikeTheListIsNoList) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("bonus.txt")));
    RealServicesIn services(dir.path().toStdString());
    FakeView view;
    draw::DrawEngine engine(view, view, services.forDraw());
    engine.Cmd_Init_Click();
    EXPECT_EQ(view.noticeKinds(), std::vector{draw::NoticeKind::ListMissing});
    EXPECT_TRUE(view.initEnabled);
}

} // namespace
} // namespace kelvara::testing

namespace kelvara::testing {
namespace {

// A list as a spreadsheet program writes it, drawn from through the real reader: the rows
// as Excel shows them, and the record naming the workbook and its SHA-256.
TEST(InitializeEncodingsTest, LoadsAWorkbookAsASpreadsheetProgramWroteIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bonus.xlsx"));
    lxw_workbook* book = workbook_new(path.toLocal8Bit().constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    const char* header[] = {"工号", "姓名", "部门"};
    for (lxw_col_t col = 0; col < 3; ++col) {
        worksheet_write_string(sheet, 0, col, header[col], nullptr);
    }
    worksheet_write_string(sheet, 1, 0, "00123", nullptr);
    worksheet_write_string(sheet, 1, 1, "张三", nullptr);
    worksheet_write_string(sheet, 1, 2, "销售部", nullptr);
    worksheet_write_number(sheet, 2, 0, 20230002, nullptr);
    worksheet_write_string(sheet, 2, 1, "李四", nullptr);
    lxw_datetime joined{2026, 12, 8, 0, 0, 0};
    worksheet_write_datetime(sheet, 2, 2, &joined, date);
    worksheet_merge_range(sheet, 4, 0, 4, 2, "王五 合并", nullptr);
    worksheet_write_formula_num(sheet, 5, 0, "=1+1", nullptr, 2);
    worksheet_write_boolean(sheet, 5, 1, 1, nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

    RealServicesIn services(dir.path().toStdString());
    FakeView view;
    draw::DrawEngine engine(view, view, services.forDraw());
    engine.startUp();
    engine.Cmd_Init_Click();
    EXPECT_TRUE(view.notices.empty());
    EXPECT_EQ(engine.state().RollSample,
              (std::vector<std::string>{"00123 张三 销售部", "20230002 李四 2026-12-08",
                                        "王五 合并", "2 TRUE"}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray sha = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    EXPECT_NE(services.records().newest()->text.find("名单：bonus.xlsx，共4条，SHA-256 " +
                                                     sha.toHex().toStdString()),
              std::string::npos);

    // A Start reads it again: unchanged, a round is drawn; with a row inserted, none is.
    typeRoundSize(view, engine, "1");
    engine.Cmd_Start_Click();
    EXPECT_TRUE(view.rolling());
    engine.Cmd_Start_Click();
    engine.Timer2_Timer();
    book = workbook_new(path.toLocal8Bit().constData());
    sheet = workbook_add_worksheet(book, nullptr);
    lxw_row_t row = 0;
    for (const char* line :
         {"新来的", "00123 张三 销售部", "20230002 李四 2026-12-08", "王五 合并", "2 TRUE"}) {
        worksheet_write_string(sheet, row++, 0, line, nullptr);
    }
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
    engine.Cmd_Start_Click();
    EXPECT_EQ(view.noticeKinds(), std::vector{draw::NoticeKind::LinesShifted});
}

} // namespace
} // namespace kelvara::testing
