// Writing the results file: the bytes, whole replacement, and failures that keep the
// earlier file.
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_size_limit.h"
#include "support/legacy_code_page.h"
#include "text_file_fixture.h"

using namespace Qt::StringLiterals;

using kelvara::testing::legacyBytes;
using kelvara::testing::legacyIsGbk;
using kelvara::testing::TextFileTest;

TEST_F(TextFileTest, WritesTheTextAndOneCrLf) {
    // Linux writes UTF-8; Windows the ANSI code page, or UTF-8 with a mark when the code
    // page cannot hold every character.
#ifdef Q_OS_WIN
    ASSERT_TRUE(legacyIsGbk()) << "the ANSI code page is not GBK";
    const auto inCodePage = [](const char* text) {
        return legacyBytes(QString::fromUtf8(text));
    };
    const auto beyondCodePage = [](const char* text) -> QByteArray {
        return QByteArray("\xEF\xBB\xBF").append(text);
    };
#else
    const auto inCodePage = [](const char* text) {
        return QByteArray(text);
    };
    const auto beyondCodePage = inCodePage;
#endif
    struct Row {
        const char* name;
        const char* text;
        QByteArray bytes;
        std::vector<std::string> lines;
    };
    // One file written again and again: each write replaces the whole file.
    const std::vector<Row> rows{
        // A lone LF in the text stays as it is: the file is written in binary mode.
        {"chinese with a lone lf",
         "摇号结果\r\n\r\n[1]:\t张三\nx",
         inCodePage("摇号结果\r\n\r\n[1]:\t张三\nx\r\n"),
         {"摇号结果", "", "[1]:\t张三\nx"}},
        {"shorter than before", "短", inCodePage("短\r\n"), {"短"}},
        {"emoji", "张三😀", beyondCodePage("张三😀\r\n"), {"张三😀"}},
        {"hangul", "[2]:\t김민준", beyondCodePage("[2]:\t김민준\r\n"), {"[2]:\t김민준"}},
        {"ascii", "[3]:\tTom", "[3]:\tTom\r\n", {"[3]:\tTom"}},
    };
    const auto path = pathOf("摇号结果.txt");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(m_services.writeTextFile(path, row.text), std::nullopt);
        EXPECT_EQ(fileBytes(path), row.bytes);
        EXPECT_EQ(read(path).lines, row.lines);
    }
}

TEST_F(TextFileTest, FailedWritesReportAndKeepEarlierFiles) {
    const auto parent = writeBytes("plain.txt", "earlier\r\n");
    const auto underFile = m_services.writeTextFile(parent + "/out.txt", "text");
    ASSERT_TRUE(underFile.has_value());
    EXPECT_FALSE(underFile->detail.empty());
    EXPECT_EQ(fileBytes(parent), QByteArray("earlier\r\n"));

    ASSERT_TRUE(QDir(m_dir.path()).mkpath(u"taken/inner"_s));
    const auto onDirectory = m_services.writeTextFile(pathOf("taken"), "text");
    ASSERT_TRUE(onDirectory.has_value());
    EXPECT_FALSE(onDirectory->detail.empty());
    EXPECT_TRUE(QFileInfo(m_dir.filePath(u"taken/inner"_s)).isDir());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({u"plain.txt"_s, u"taken"_s}));
}

#ifdef Q_OS_LINUX
// The system stops the file part-way, as a full disk does: the write must fail, say why, and
// leave the earlier file as it was, for a text that fits in one write buffer and for one
// that does not.
TEST_F(TextFileTest, AWriteCutShortFailsAndKeepsTheEarlierFile) {
    const auto path = pathOf("摇号结果.txt");
    ASSERT_EQ(m_services.writeTextFile(path, "earlier"), std::nullopt);
    for (const int size : {1000, 100'000}) {
        SCOPED_TRACE(size);
        const std::string text(static_cast<std::size_t>(size), 'x');
        const auto result = kelvara::testing::withFileSizeLimit(
            100, [&] { return m_services.writeTextFile(path, text); });

        ASSERT_TRUE(result.has_value());
        EXPECT_FALSE(result->detail.empty());
        EXPECT_EQ(fileBytes(path), QByteArray("earlier\r\n"));
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{u"摇号结果.txt"_s});
    }
}
#endif
