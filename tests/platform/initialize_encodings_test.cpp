#include <gtest/gtest.h>

#include <QElapsedTimer>
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
        draw::DrawEngine engine(view, services);
        engine.StartUp();
        engine.Cmd_Init_Click();
        EXPECT_TRUE(services.messages.empty());
        EXPECT_EQ(engine.State().RollSample, (std::vector<std::string>{"张伟", "王芳", "李娜"}));
        EXPECT_EQ(view.rollCaption, "共3条数据！");
    }
}

// A list replaced by a file larger than the memory is refused at once, by its line count or
// by its endless last line, and nothing is lost.
TEST(InitializeEncodingsTest, HugeFilesAreRefusedWithinASecond) {
    QByteArray manyLines;
    for (int i = 1; i <= 20000; ++i) {
        manyLines += "name " + QByteArray::number(i) + "\r\n";
    }
    const struct {
        const char* name;
        QByteArray start;
        qint64 size;
        std::string message;
    } cases[] = {
        {"20000 lines, then 6 GB of nothing", manyLines, qint64{6} << 30,
         draw::text::kTooManyLines},
        {"three names, then 40 GB of nothing", "A\r\nB\r\nC\r\n", qint64{40} << 30,
         "bonus.txt第4行超过1000个字符，请检查文件内容！"},
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
        draw::DrawEngine engine(view, services);
        engine.StartUp();
        QElapsedTimer timer;
        timer.start();
        engine.Cmd_Init_Click();
        EXPECT_LT(timer.elapsed(), 1000);
        EXPECT_EQ(services.messages, std::vector<std::string>{c.message});
        EXPECT_TRUE(view.initEnabled);
    }
}

TEST(InitializeEncodingsTest, AFolderNamedLikeTheListIsNoList) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("bonus.txt")));
    RealServicesIn services(dir.path().toStdString());
    FakeView view;
    draw::DrawEngine engine(view, services);
    engine.Cmd_Init_Click();
    EXPECT_EQ(services.messages, std::vector<std::string>{draw::text::kMissingFile});
    EXPECT_TRUE(view.initEnabled);
}

} // namespace
} // namespace kelvara::testing
