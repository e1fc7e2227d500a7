#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <string>
#include <vector>

#include "platform/qt_services.h"
#include "platform/text_codec.h"
#include "platform/text_lines.h"

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

using namespace kelvara::platform;

namespace {

struct ReadOutcome {
    ReadStatus status;
    std::vector<std::string> lines;
};

class TextFileTest : public ::testing::Test {
protected:
    std::string pathOf(const char* name) const { return m_dir.filePath(name).toStdString(); }

    std::string writeBytes(const char* name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return pathOf(name);
    }

    QByteArray fileBytes(const std::string& path) {
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    ReadOutcome read(const std::string& path) {
        ReadOutcome outcome{};
        outcome.status = m_services.readTextLines(path, [&](std::string_view line) {
            outcome.lines.emplace_back(line);
            return true;
        });
        return outcome;
    }

    QTemporaryDir m_dir;
    QtServices m_services;
};

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

const std::string kReplacement = "\xEF\xBF\xBD";

// GBK bytes of 张三, 李四 and 王五.
const QByteArray kGbkNames("\xD5\xC5\xC8\xFD\r\n\xC0\xEE\xCB\xC4\r\nTom \xCD\xF5\xCE\xE5");

} // namespace

TEST_F(TextFileTest, DecodesEachEncodingItRecognises) {
    const QString names = QStringLiteral("张三\r\n李四\r\nTom 王五");
    const std::vector<std::string> expected{"张三", "李四", "Tom 王五"};
    struct Row {
        const char* name;
        QByteArray bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Row> rows{
        {"utf8", names.toUtf8(), expected},
        {"utf8 with mark", "\xEF\xBB\xBF" + names.toUtf8(), expected},
        {"utf16 le", utf16(names, QStringConverter::Utf16LE), expected},
        {"utf16 be", utf16(names, QStringConverter::Utf16BE), expected},
        {"gbk", kGbkNames, expected},
        {"only the mark", "\xEF\xBB\xBF", {}},
        {"invalid byte after utf8 mark",
         "\xEF\xBB\xBF"
         "a\xFF"
         "b",
         {"a" + kReplacement + "b"}},
        {"utf16 odd last byte",
         utf16(QStringLiteral("ab"), QStringConverter::Utf16LE) + 'c',
         {"ab" + kReplacement}},
        {"utf16 lone surrogate",
         QByteArray("\xFF\xFE"
                    "a\0\x00\xD8"
                    "b\0",
                    8),
         {"a" + kReplacement + "b"}},
        {"gb18030 invalid byte", "\xD5\xC5\xFF", {"张" + kReplacement}},
        // Not valid UTF-8 as a whole, so the whole file is read in the legacy code page.
        {"truncated utf8 sequence", "ok\r\n\xE4\xB8", {"ok", "涓"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto outcome = read(writeBytes("bonus.txt", row.bytes));
        EXPECT_EQ(outcome.status, ReadStatus::Ok);
        EXPECT_EQ(outcome.lines, row.lines);
    }
}

TEST_F(TextFileTest, SplitsLinesByTheLineRule) {
    struct Row {
        const char* name;
        QByteArray bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Row> rows{
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lone cr", "a\rb\r", {"a", "b"}},
        {"lf only file", "a\nb\n", {"a", "b"}},
        {"lone lf inside a crlf file", "a\nb\r\nc", {"a\nb", "c"}},
        {"missing final terminator", "a\r\nb", {"a", "b"}},
        {"empty file", "", {}},
        {"only a terminator", "\r\n", {""}},
        {"blank and empty lines kept", " x \r\n\r\n\t\r\n", {" x ", "", "\t"}},
        {"cr then crlf", "a\r\r\nb", {"a", "", "b"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto outcome = read(writeBytes("bonus.txt", row.bytes));
        EXPECT_EQ(outcome.status, ReadStatus::Ok);
        EXPECT_EQ(outcome.lines, row.lines);
    }
}

TEST_F(TextFileTest, SinkCanStopTheReading) {
    const auto path = writeBytes("bonus.txt", "a\r\nb\r\nc\r\nd\r\n");
    int calls = 0;
    const auto status =
        m_services.readTextLines(path, [&](std::string_view) { return ++calls < 2; });
    EXPECT_EQ(status, ReadStatus::Ok);
    EXPECT_EQ(calls, 2);
}

TEST_F(TextFileTest, MissingAndUnreadableFilesReachNoSink) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.txt"));
    EXPECT_EQ(read(pathOf("none.txt")).status, ReadStatus::Missing);
    EXPECT_EQ(read(pathOf("folder.txt")).status, ReadStatus::Missing);
    EXPECT_FALSE(m_services.fileExists(pathOf("folder.txt")));
    EXPECT_FALSE(m_services.fileExists(pathOf("none.txt")));

    // A regular file whose reading fails even for root: the process's own memory at
    // address 0 is never mapped.
    if (!QFileInfo(QStringLiteral("/proc/self/mem")).isFile()) {
        GTEST_SKIP() << "no /proc/self/mem";
    }
    const auto outcome = read("/proc/self/mem");
    EXPECT_EQ(outcome.status, ReadStatus::Unreadable);
    EXPECT_TRUE(outcome.lines.empty());
}

TEST(TextCodecTest, RecognisesWellFormedUtf8Only) {
    struct Row {
        const char* name;
        std::string bytes;
        bool valid;
    };
    const std::vector<Row> rows{
        {"ascii", "plain ascii text, longer than eight bytes", true},
        {"chinese", "张三李四", true},
        {"four bytes", "\xF0\x9F\x98\x80", true},
        {"highest code point", "\xF4\x8F\xBF\xBF", true},
        {"lone continuation", "\x80", false},
        {"overlong two bytes", "\xC0\x80", false},
        {"overlong three bytes", "\xE0\x80\x80", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
        {"truncated at the end", "abc\xE4\xB8", false},
        {"bad byte after a long ascii run", "0123456789abc\xFF", false},
        {"gbk", "\xD5\xC5\xC8\xFD", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isValidUtf8(row.bytes), row.valid);
    }
}

TEST(TextCodecTest, AnyBytesDecodeToUtf8Lines) {
    std::mt19937 generator(20240611);
    const std::vector<QByteArray> prefixes{"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xD5"};
    const unsigned char favourites[] = {'\r', '\n', 0x00, 0x80, 0xBF, 0xC0, 0xD8,
                                        0xDC, 0xE4, 0xED, 0xF4, 0xFE, 0xFF};
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = prefixes[generator() % prefixes.size()];
        const int length = static_cast<int>(generator() % 48);
        for (int i = 0; i < length; ++i) {
            const auto pick = generator();
            const auto byte = pick % 3 == 0 ? favourites[(pick >> 8U) % sizeof favourites]
                                            : static_cast<unsigned char>(pick >> 16U);
            bytes.append(static_cast<char>(byte));
        }
        const QByteArray text = decodeTextFile(bytes);
        ASSERT_TRUE(isValidUtf8({text.constData(), static_cast<std::size_t>(text.size())}))
            << bytes.toHex().toStdString();
        splitTextLines({text.constData(), static_cast<std::size_t>(text.size())},
                       [&](std::string_view line) {
                           EXPECT_EQ(line.find('\r'), std::string_view::npos);
                           return true;
                       });
    }
}

TEST_F(TextFileTest, ReadsTenThousandLinesQuickly) {
    QByteArray bytes;
    for (int i = 1; i <= 10000; ++i) {
        bytes += QStringLiteral("候选人%1号\r\n").arg(i).toUtf8();
    }
    const auto path = writeBytes("bonus.txt", bytes);
    qint64 best = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 5; ++run) {
        int lines = 0;
        QElapsedTimer timer;
        timer.start();
        m_services.readTextLines(path, [&](std::string_view) { return ++lines > 0; });
        best = std::min(best, timer.nsecsElapsed());
        ASSERT_EQ(lines, 10000);
    }
    EXPECT_LT(best, 10'000'000) << "best of five: " << best << " ns";
}

TEST_F(TextFileTest, WritesTheTextAndOneCrLf) {
    const auto path = pathOf("摇号结果.txt");
    // A lone LF in the text stays as it is: the file is written in binary mode.
    ASSERT_TRUE(m_services.writeTextFile(path, "摇号结果\r\n\r\n[1]:\t张三\nx").ok);
#ifndef Q_OS_WIN
    EXPECT_EQ(fileBytes(path), QByteArray("摇号结果\r\n\r\n[1]:\t张三\nx\r\n"));
#endif
    EXPECT_EQ(read(path).lines, (std::vector<std::string>{"摇号结果", "", "[1]:\t张三\nx"}));

    ASSERT_TRUE(m_services.writeTextFile(path, "短").ok);
#ifndef Q_OS_WIN
    EXPECT_EQ(fileBytes(path), QByteArray("短\r\n"));
#endif
}

TEST_F(TextFileTest, FailedWritesReportAndKeepEarlierFiles) {
    const auto parent = writeBytes("plain.txt", "earlier\r\n");
    const auto underFile = m_services.writeTextFile(parent + "/out.txt", "text");
    EXPECT_FALSE(underFile.ok);
    EXPECT_FALSE(underFile.error.empty());
    EXPECT_EQ(fileBytes(parent), QByteArray("earlier\r\n"));

    ASSERT_TRUE(QDir(m_dir.path()).mkpath("taken/inner"));
    const auto onDirectory = m_services.writeTextFile(pathOf("taken"), "text");
    EXPECT_FALSE(onDirectory.ok);
    EXPECT_FALSE(onDirectory.error.empty());
    EXPECT_TRUE(QFileInfo(m_dir.filePath("taken/inner")).isDir());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"plain.txt", "taken"}));
}

#ifdef Q_OS_LINUX
// The system stops the file part-way, as a full disk does: the write must fail, say why, and
// leave the earlier file as it was, for a text that fits in one write buffer and for one
// that does not.
TEST_F(TextFileTest, AWriteCutShortFailsAndKeepsTheEarlierFile) {
    const auto path = pathOf("摇号结果.txt");
    ASSERT_TRUE(m_services.writeTextFile(path, "earlier").ok);
    for (const int size : {1000, 100'000}) {
        SCOPED_TRACE(size);
        const std::string text(static_cast<std::size_t>(size), 'x');
        rlimit original{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = original;
        small.rlim_cur = 100;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto result = m_services.writeTextFile(path, text);
        setrlimit(RLIMIT_FSIZE, &original);
        std::signal(SIGXFSZ, previous);

        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(fileBytes(path), QByteArray("earlier\r\n"));
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files),
                  QStringList{QStringLiteral("摇号结果.txt")});
    }
}
#endif
