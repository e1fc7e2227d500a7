#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>

#include "platform/qt_services.h"
#include "platform/qt_translations.h"

using namespace kelvara::platform;

namespace {

bool hasChinese(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) {
            return true;
        }
    }
    return false;
}

bool hasLatinLetters(const QString& text) {
    for (const QChar c : text) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
            return true;
        }
    }
    return false;
}

} // namespace

// Run under LANG=zh_CN.UTF-8: the reason a save failed reaches the user in Chinese, both
// Qt's own reasons and the system's.
TEST(ChineseSessionTest, SaveFailureReasonsAreChinese) {
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    ASSERT_TRUE(messages != nullptr && std::string(messages).starts_with("zh_CN"))
        << "the zh_CN.UTF-8 locale is missing (scripts/setup.sh generates it)";
    ASSERT_TRUE(installQtChineseTranslations(*QCoreApplication::instance()))
        << "Qt's Chinese translations are missing (qt6-translations-l10n)";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("摇号结果.txt")));
    QFile file(dir.filePath(QStringLiteral("文件")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const struct {
        const char* name;
        QString path;
    } cases[] = {
        {"a folder has the file's name (Qt's own text)",
         dir.filePath(QStringLiteral("摇号结果.txt"))},
        {"the folder is gone (Qt's text for a common system error)",
         dir.filePath(QStringLiteral("不存在/摇号结果.txt"))},
        {"a file stands where the folder should be (the system's text)",
         dir.filePath(QStringLiteral("文件/摇号结果.txt"))},
    };
    QtServices services;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome result = services.writeTextFile(c.path.toStdString(), "张三");
        ASSERT_TRUE(result.has_value());
        const QString reason = QString::fromStdString(result->detail);
        EXPECT_TRUE(hasChinese(reason)) << result->detail;
        EXPECT_FALSE(hasLatinLetters(reason)) << result->detail;
    }
}
