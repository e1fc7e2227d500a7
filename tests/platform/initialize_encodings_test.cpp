#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

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
