#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <qt_windows.h>

#include <string>

#include "platform/qt_services.h"
#include "platform/text_codec.h"

using namespace kelvara::platform;

// This program's manifest makes UTF-8 its ANSI code page, as Windows does for every program
// when "Use Unicode UTF-8 for worldwide language support" is turned on.

namespace {

class Utf8CodePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "the manifest's code page is not in use";
    }
};

// A list that is not valid UTF-8 is read in the code page, UTF-8 here: a character split
// between two pieces of the file must wait for its other bytes as in a UTF-8 list.
TEST_F(Utf8CodePageTest, TheCodePageDecodesTheSameWhereverTheBytesAreSplit) {
    const QByteArray names = QStringLiteral("张三\r\n😀李四").toUtf8();
    const QByteArray bytes = names + "\xFF" + QStringLiteral("王").toUtf8();
    TextDecoder whole(TextEncoding::Legacy);
    const QByteArray expected = whole.decode(bytes) + whole.finish();
    EXPECT_TRUE(expected.startsWith(names)) << expected.toStdString();
    EXPECT_TRUE(expected.endsWith(QStringLiteral("王").toUtf8())) << expected.toStdString();
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        TextDecoder pieces(TextEncoding::Legacy);
        QByteArray text = pieces.decode(QByteArrayView(bytes).first(cut));
        text += pieces.decode(QByteArrayView(bytes).sliced(cut));
        text += pieces.finish();
        EXPECT_EQ(text, expected) << "cut at " << cut;
    }
}

// The code page holds every character, so the results file is UTF-8 without a mark, which
// is what every program on such a system reads as text.
TEST_F(Utf8CodePageTest, ResultsAreWrittenInTheCodePage) {
    QTemporaryDir dir;
    QtServices services;
    const std::string path = dir.filePath(QStringLiteral("摇号结果.txt")).toStdString();
    const std::string text = "摇号结果\r\n\r\n[1]:\t张三😀\r\n[2]:\t김민준";
    ASSERT_EQ(services.writeTextFile(path, text), std::nullopt);
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray::fromStdString(text + "\r\n"));
}

} // namespace
