#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/qt_services.h"
#include "platform/text_codec.h"
#include "platform/text_lines.h"
#include "platform/text_reader.h"
#include "support/legacy_code_page.h"
#include "text_file_fixture.h"

using namespace Qt::StringLiterals;

using namespace kelvara::platform;
using kelvara::testing::legacyBytes;
using kelvara::testing::legacyIsGbk;
using kelvara::testing::TextFileTest;

namespace {

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
#ifdef Q_OS_WIN
        // The ANSI code page leaves out a byte that it cannot decode.
        {"ansi invalid byte", "\xD5\xC5\xFF", {"张"}},
#else
        {"gb18030 invalid byte", "\xD5\xC5\xFF", {"张" + kReplacement}},
#endif
        // Not valid UTF-8 as a whole, so the whole file is read in the legacy code page.
        {"truncated utf8 sequence", "ok\r\n\xE4\xB8", {"ok", "涓"}},
        // A character that the end of the file leaves unfinished still makes a line.
        {"gb18030 unfinished last character", "A\r\nB\r\n\x81", {"A", "B", kReplacement}},
        {"gb18030 unfinished four-byte character",
         "\xD5\xC5\r\n\x81\x30\x81",
         {"张", kReplacement}},
        {"utf8 unfinished last character",
         "\xEF\xBB\xBF"
         "a\r\n\xE4\xB8",
         {"a", kReplacement}},
        {"utf16 unfinished surrogate pair",
         QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0\x3D\xD8",
                    10),
         {"a", kReplacement}},
        {"gbk, two short names", "\xD5\xC5\xC8\xFD\r\n\xC0\xEE\xCB\xC4", {"张三", "李四"}},
        {"utf8 with a stray latin-1 byte",
         QStringLiteral(
             "张伟\r\n王芳\r\n李娜\r\n刘洋\r\n陈静\r\n杨帆\r\n赵磊\r\n黄敏\r\n周杰\r\n吴昊\r\n")
                 .toUtf8() +
             "Andr\xE9",
         {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨帆", "赵磊", "黄敏", "周杰", "吴昊",
          "Andr" + kReplacement}},
        // As short a list, it is still likelier UTF-8 than GBK.
        {"utf8, three names, one latin-1 byte",
         QStringLiteral("张三\r\n李四\r\n").toUtf8() + "Jos\xE9",
         {"张三", "李四", "Jos" + kReplacement}},
    };
    // The GBK rows need a GBK legacy code page: Windows must run with the Chinese one.
    ASSERT_TRUE(legacyIsGbk()) << "the ANSI code page is not GBK";
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

// Pieces may split a character or a CR LF anywhere: the text and its lines come out the
// same as from one piece.
TEST(TextDecoderTest, DecodesTheSameWhereverTheBytesAreSplit) {
    const struct {
        const char* name;
        TextEncoding encoding;
        QByteArray bytes;
    } rows[] = {
        {"utf8", TextEncoding::Utf8,
         QStringLiteral("张三\r\n😀李四\r\n").toUtf8() + "\xFF\xE4\xB8\xAD"},
        {"utf16 le", TextEncoding::Utf16LE,
         QByteArray("\x20\x5F\x0D\x00\x0A\x00\x3D\xD8\x00\xDE\x00\xD8\x41\x00", 14)},
        {"utf16 be", TextEncoding::Utf16BE,
         QByteArray("\x5F\x20\x00\x0D\x00\x0A\xD8\x3D\xDE\x00\xDC\x00\x00\x41", 14)},
        {"gb18030", TextEncoding::Legacy,
         QByteArray("\xD5\xC5\xC8\xFD\r\n\x95\x32\x82\x36\xFF\x81\x30\x41\xC0\xEE")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TextDecoder whole(row.encoding);
        const QByteArray expected = whole.decode(row.bytes) + whole.finish();
        for (qsizetype first = 0; first <= row.bytes.size(); ++first) {
            for (qsizetype second = first; second <= row.bytes.size(); ++second) {
                TextDecoder pieces(row.encoding);
                QByteArray text = pieces.decode(QByteArrayView(row.bytes).first(first));
                text += pieces.decode(QByteArrayView(row.bytes).sliced(first, second - first));
                text += pieces.decode(QByteArrayView(row.bytes).sliced(second));
                text += pieces.finish();
                ASSERT_EQ(text, expected) << "split at " << first << " and " << second;
            }
        }
    }
}

TEST(LineSplitterTest, SplitsTheSameWhereverThePiecesEnd) {
    const std::string text = "a\r\nb\rc\r\r\nd\ne\r\n";
    const std::vector<std::string> expected{"a", "b", "c", "", "d\ne"};
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        std::vector<std::string> lines;
        const LineSink sink = [&](std::string_view line) {
            lines.emplace_back(line);
            return true;
        };
        LineSplitter splitter(false, sink);
        splitter.feed(std::string_view(text).substr(0, cut));
        splitter.feed(std::string_view(text).substr(cut));
        splitter.finish();
        EXPECT_EQ(lines, expected) << "cut at " << cut;
    }
}

// An endless line must neither fill the memory nor keep the reader: it arrives cut, at a
// character boundary, once, and the lines after it arrive whole.
TEST(LineSplitterTest, CutsLinesLongerThanTheLimitOnce) {
    std::string chinese;
    for (int i = 0; i < 5000; ++i) {
        chinese += "长";
    }
    const std::string ascii(20000, 'B');
    for (const std::string& longLine : {ascii, chinese}) {
        std::vector<std::string> lines;
        const LineSink sink = [&](std::string_view line) {
            lines.emplace_back(line);
            return true;
        };
        LineSplitter splitter(false, sink);
        for (std::size_t at = 0; at < longLine.size(); at += 1000) {
            splitter.feed(std::string_view(longLine).substr(at, 1000));
        }
        splitter.feed("\r\nnext");
        splitter.finish();
        ASSERT_EQ(lines.size(), 2U);
        EXPECT_LE(lines[0].size(), kLineCutBytes);
        EXPECT_GT(lines[0].size(), kLineCutBytes - 3);
        EXPECT_EQ(longLine.substr(0, lines[0].size()), lines[0]);
        EXPECT_TRUE(isValidUtf8(lines[0]));
        EXPECT_EQ(lines[1], "next");
    }
}

// A device that fails after handing out part of its bytes, like a disk with a bad sector.
class FailingDevice final : public QIODevice {
public:
    explicit FailingDevice(QByteArray bytes) : m_bytes(std::move(bytes)) {
        open(QIODevice::ReadOnly);
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (m_served >= m_bytes.size()) {
            return -1;
        }
        const qint64 count = std::min<qint64>(maxSize, m_bytes.size() - m_served);
        std::memcpy(data, m_bytes.constData() + m_served, static_cast<std::size_t>(count));
        m_served += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_served = 0;
};

TEST(TextReaderTest, AReadErrorPartWayIsReported) {
    FailingDevice device(QByteArray(5 * 1024 * 1024, 'x').replace(1000, 2, "\r\n"));
    int lines = 0;
    EXPECT_EQ(readTextLines(device, [&](std::string_view) { return ++lines > 0; }),
              ReadEnd::Failed);
}

// A file far larger than the memory: the reading stops as soon as the sink has its line.
// (How fast: the benchmarks.)
TEST_F(TextFileTest, AHugeSparseFileIsReadOnlyAsFarAsNeeded) {
    QFile file(m_dir.filePath(QStringLiteral("bonus.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("first\r\n");
    if (!file.resize(qint64{40} * 1024 * 1024 * 1024)) {
        GTEST_SKIP() << "no sparse files here";
    }
    file.close();
    std::vector<std::size_t> lengths;
    const auto read = m_services.readTextLines(pathOf("bonus.txt"), [&](std::string_view line) {
        lengths.push_back(line.size());
        return lengths.size() < 2;
    });
    EXPECT_EQ(read.status, ReadStatus::Ok);
    EXPECT_EQ(lengths, (std::vector<std::size_t>{5, kLineCutBytes}));
}

TEST_F(TextFileTest, SinkCanStopTheReading) {
    const auto path = writeBytes("bonus.txt", "a\r\nb\r\nc\r\nd\r\n");
    int calls = 0;
    const auto read = m_services.readTextLines(path, [&](std::string_view) { return ++calls < 2; });
    EXPECT_EQ(read.status, ReadStatus::Ok);
    EXPECT_EQ(calls, 2);
}

TEST_F(TextFileTest, MissingAndUnreadableFilesReachNoSink) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"folder.txt"_s));
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
