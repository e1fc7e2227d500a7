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
    const QString names = QStringLiteral("张伟\r\n王芳\r\n李娜\r\n");
    const QString unixNames = QStringLiteral("张伟\n王芳\n李娜\n");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8", names.toUtf8()},
        {"UTF-8 with mark", QByteArray("\xEF\xBB\xBF") + names.toUtf8()},
        {"UTF-8, LF line ends", unixNames.toUtf8()},
        {"GBK", legacyBytes(names)},
        {"UTF-16 LE with mark", QByteArray("\xFF\xFE", 2) + encoded(names, "UTF-16LE")},
        {"UTF-16 BE with mark", QByteArray("\xFE\xFF", 2) + encoded(names, "UTF-16BE")},
        {"CR only", QStringLiteral("张伟\r王芳\r李娜").toUtf8()},
    };
    // Windows must run with the Chinese ANSI code page for the GBK case.
    ASSERT_TRUE(legacyIsGbk()) << "the ANSI code page is not GBK";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("bonus.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();

        RealServicesIn services(dir.path().toStdString());
        FakeView view;
        draw::DrawEngine engine(view, view, services.forDraw());
        engine.startUp();
        engine.Cmd_Init_Click();
        EXPECT_TRUE(view.notices.empty());
        EXPECT_EQ(engine.state().RollSample, (std::vector<std::string>{"张伟", "王芳", "李娜"}));
        EXPECT_EQ(view.roll, "<list of 3>");
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
