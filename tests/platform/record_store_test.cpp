#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <iostream>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

#include "platform/qt_record_store.h"
#include "platform/qt_services.h"

#include "support/file_size_limit.h"

using namespace kelvara::platform;

namespace {

std::optional<FailureKind> kindOf(const Outcome& outcome) {
    return outcome ? std::optional(outcome->kind) : std::nullopt;
}

// The child that holds a record: where it keeps it, and what it says once it holds it.
constexpr char kHolderFolder[] = "KELVARA_TEST_RECORD_FOLDER";
constexpr char kHolderReady[] = "record held";
constexpr LocalDateTime kAt193005{2026, 12, 7, 19, 30, 5};

class RecordStoreTest : public ::testing::Test {
protected:
    QString folder() const { return m_dir.filePath(QString::fromUtf8(kRecordFolderName)); }
    std::string folderPath() const { return folder().toStdString(); }

    QByteArray bytesOf(const std::string& path) const {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QtRecordStore m_store{[this] {
        return folderPath();
    }};
};

TEST_F(RecordStoreTest, CreatesNumberedRecordsAndAppendsToTheCurrentOne) {
    ASSERT_EQ(m_store.create(kAt193005), std::nullopt);
    const std::string first = m_store.newest()->path;
    EXPECT_EQ(QDir::fromNativeSeparators(QString::fromStdString(first)),
              folder() + QStringLiteral("/摇号记录_20261207_193005.txt"));
    ASSERT_EQ(m_store.append("a\r\n"), std::nullopt);
    ASSERT_EQ(m_store.append("b\tB\nx\r\n"), std::nullopt);
    EXPECT_EQ(bytesOf(first), QByteArray("a\r\nb\tB\nx\r\n"));

    // The same second again: the name gets a number, and the first record is left alone.
    ASSERT_EQ(m_store.create(kAt193005), std::nullopt);
    const std::string second = m_store.newest()->path;
    EXPECT_TRUE(QString::fromStdString(second).endsWith(QStringLiteral("_193005_2.txt")));
    ASSERT_EQ(m_store.append("c\r\n"), std::nullopt);
    EXPECT_EQ(bytesOf(first), QByteArray("a\r\nb\tB\nx\r\n"));
    EXPECT_EQ(bytesOf(second), QByteArray("c\r\n"));
}

// The child's part of the next test: a copy of the program that starts a record in the
// folder it is given, says so, and waits to be killed. Runs only when that test asks for it.
TEST(RecordHolder, DISABLED_StartsARecordAndWaits) {
    const std::string folder = qEnvironmentVariable(kHolderFolder).toStdString();
    ASSERT_FALSE(folder.empty());
    QtRecordStore store([&] { return folder; });
    ASSERT_EQ(store.create({2026, 12, 7, 20, 0, 0}), std::nullopt);
    ASSERT_EQ(store.append("y\r\n"), std::nullopt);
    std::cout << kHolderReady << std::endl;
    QThread::sleep(120);
}

// A second copy of the program in the same folder sees the first one's record as live; a
// record whose program is gone, killed as a crash ends it, is not, and can be continued.
TEST_F(RecordStoreTest, TheNewestRecordIsLiveOnlyWhileItsProgramRuns) {
    ASSERT_EQ(m_store.create(kAt193005), std::nullopt);
    ASSERT_EQ(m_store.append("x\r\n"), std::nullopt);
    QtRecordStore otherCopy([this] { return folderPath(); });
    auto seen = otherCopy.newest();
    ASSERT_TRUE(seen.has_value());
    EXPECT_TRUE(seen->live);
    EXPECT_EQ(seen->text, "x\r\n");
    EXPECT_EQ(kindOf(otherCopy.takeOver(seen->path, true)), FailureKind::HeldElsewhere);

    // Another process takes a newer record the way the program does.
    QProcess holder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kHolderFolder), folder());
    holder.setProcessEnvironment(environment);
    holder.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=RecordHolder.*"),
                  QStringLiteral("--gtest_also_run_disabled_tests")});
    QByteArray said;
    QDeadlineTimer deadline(60'000);
    while (!said.contains(kHolderReady) && holder.state() != QProcess::NotRunning &&
           !deadline.hasExpired()) {
        holder.waitForReadyRead(1000);
        said += holder.readAllStandardOutput();
    }
    ASSERT_TRUE(said.contains(kHolderReady)) << said.toStdString();
    seen = otherCopy.newest();
    ASSERT_TRUE(seen.has_value());
    EXPECT_TRUE(seen->live);
    EXPECT_EQ(seen->text, "y\r\n");
    EXPECT_EQ(kindOf(otherCopy.takeOver(seen->path, true)), FailureKind::HeldElsewhere);

    // Killed: its lock file stays behind, naming a process that is gone.
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(30'000));
    ASSERT_TRUE(QFileInfo::exists(folder() + QStringLiteral("/摇号记录_20261207_200000.txt.lock")));
    seen = otherCopy.newest();
    ASSERT_TRUE(seen.has_value());
    EXPECT_FALSE(seen->live);
    EXPECT_EQ(seen->text, "y\r\n");
    ASSERT_EQ(otherCopy.takeOver(seen->path, false), std::nullopt);
    ASSERT_EQ(otherCopy.append("z\r\n"), std::nullopt);
    EXPECT_EQ(bytesOf(seen->path), QByteArray("y\r\nz\r\n"));
}

TEST_F(RecordStoreTest, NewestGoesByTheTimeAndNumberInTheName) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    for (const char* name : {"摇号记录_20261207_193005_10.txt", "摇号记录_20261207_193005_2.txt",
                             "摇号记录_20261207_193005.txt", "摇号记录_20261206_235959_99.txt",
                             "摇号记录_notes.txt", "other.txt"}) {
        QFile file(folder() + u'/' + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name);
    }
    const auto newest = m_store.newest();
    ASSERT_TRUE(newest.has_value());
    EXPECT_EQ(newest->text, "摇号记录_20261207_193005_10.txt");
}

// A lock this computer cannot check does not hide a run; only the operator's yes breaks it.
TEST_F(RecordStoreTest, LocksOfAnotherComputerOrUnreadableAreOfferedAndBrokenOnlyOnRequest) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    const QString record = folder() + QStringLiteral("/摇号记录_20261207_193005.txt");
    const struct {
        const char* lock;
        std::string foreignHost;
    } rows[] = {
        {"4242\nkelvara\nanother-pc\n", "another-pc"},
        {"", ""},
        {"\x01garbage", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lock);
        QFile file(record);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x\r\n");
        file.close();
        QFile lock(record + QStringLiteral(".lock"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(row.lock);
        lock.close();

        QtRecordStore store([this] { return folderPath(); });
        const auto seen = store.newest();
        ASSERT_TRUE(seen.has_value());
        EXPECT_FALSE(seen->live);
        EXPECT_EQ(seen->foreignHost, row.foreignHost);
        const auto declined = store.takeOver(seen->path, false);
        EXPECT_EQ(kindOf(declined), FailureKind::LockFailed);
        ASSERT_EQ(store.takeOver(seen->path, true), std::nullopt);
        ASSERT_EQ(store.append("y\r\n"), std::nullopt);
        EXPECT_EQ(bytesOf(seen->path), QByteArray("x\r\ny\r\n"));
        QtRecordStore thirdCopy([this] { return folderPath(); });
        EXPECT_TRUE(thirdCopy.newest()->live);
    }
}

// Only regular files are read: a name that leads to a pipe would wait for a writer forever.
TEST_F(RecordStoreTest, NewestSkipsPipesAndFoldersAndDoesNotReadWhatIsTooLarge) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    QFile older(folder() + QStringLiteral("/摇号记录_20261207_193005.txt"));
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("old\r\n");
    older.close();
    ASSERT_TRUE(QDir().mkpath(folder() + QStringLiteral("/摇号记录_20261207_200000.txt")));
#ifdef Q_OS_LINUX
    const QByteArray pipe =
        QFile::encodeName(folder() + QStringLiteral("/摇号记录_20261207_210000.txt"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    const QString hidden = m_dir.filePath(QStringLiteral("x.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(hidden).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(hidden, folder() + QStringLiteral("/摇号记录_20261207_220000.txt")));
#endif
    auto newest = m_store.newest();
    ASSERT_TRUE(newest.has_value());
    EXPECT_EQ(newest->text, "old\r\n");

    QFile huge(folder() + QStringLiteral("/摇号记录_20261208_000000.txt"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(kMaxRecordBytes + 1)); // sparse: nothing is written
    huge.close();
    newest = m_store.newest();
    ASSERT_TRUE(newest.has_value());
    EXPECT_TRUE(newest->tooLarge);
    EXPECT_TRUE(newest->text.empty());
}

TEST_F(RecordStoreTest, AFolderThatCannotBeMadeFailsWithTheSystemsReason) {
    QFile blocker(folder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    const auto result = m_store.create(kAt193005);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->detail.empty());
    EXPECT_TRUE(QString::fromStdString(result->path).contains(QStringLiteral("摇号记录_20261207")));
    EXPECT_EQ(kindOf(m_store.append("x\r\n")), FailureKind::NoRecord);
}

#ifdef Q_OS_LINUX
// A round that does not fit on the disk is taken back whole: no half line stays behind.
TEST_F(RecordStoreTest, AnAppendCutShortIsTakenBack) {
    ASSERT_EQ(m_store.create(kAt193005), std::nullopt);
    ASSERT_EQ(m_store.append("head\r\n"), std::nullopt);
    const auto result = kelvara::testing::withFileSizeLimit(
        50, [&] { return m_store.append(std::string(200, 'x') + "\r\n"); });
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->detail.empty());
    const auto newest = m_store.newest();
    ASSERT_TRUE(newest.has_value());
    EXPECT_EQ(newest->text, "head\r\n");
}
#endif

// Records are named by the second of their Initialize, numbered within it; nothing else in
// the folder is a record.
TEST(RecordFileNameTest, NamesAndOrdersRecords) {
    EXPECT_EQ(recordFileName(kAt193005), "摇号记录_20261207_193005.txt");
    EXPECT_EQ(recordFileName({2027, 1, 2, 3, 4, 5}, 12), "摇号记录_20270102_030405_12.txt");
    const struct {
        const char* name;
        std::optional<RecordFileOrder> order;
    } rows[] = {
        {"摇号记录_20261207_193005.txt", RecordFileOrder{"20261207_193005", 1}},
        {"摇号记录_20261207_193005_12.txt", RecordFileOrder{"20261207_193005", 12}},
        {"摇号记录_notes.txt", std::nullopt},
        {"摇号记录_20261207_193005.txt.lock", std::nullopt},
        {"摇号记录_20261207-193005.txt", std::nullopt},
        {"摇号记录_20261207_193005_.txt", std::nullopt},
        {"摇号记录_20261207_193005_x.txt", std::nullopt},
        {"other.txt", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(recordFileOrder(row.name), row.order) << row.name;
    }
}

// The list's digest comes with its one reading: SHA-256 of every byte, mark included, when
// the whole file was read; nothing when the reading stopped early or found no file.
TEST(FileDigestTest, IsTheSha256OfTheBytesReadToTheEnd) {
    QByteArray large;
    for (int i = 0; i < 30000; ++i) {
        large += "候选人" + QByteArray::number(i) + "\r\n";
    }
    const struct {
        const char* name;
        QByteArray bytes;
        int linesWanted; // the sink stops after these; 0: all
        bool digest;
    } rows[] = {
        {"abc", "abc", 0, true},
        {"UTF-16 with mark",
         QByteArray("\xFF\xFE"
                    "A\0\r\0\n\0B\0",
                    10),
         0, true},
        {"larger than a piece", large, 0, true},
        {"stopped early", large, 10, false},
    };
    QtServices services;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("bonus.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(row.bytes);
        file.close();
        int lines = 0;
        const auto read = services.readTextLines(file.fileName().toStdString(), [&](auto) {
            return row.linesWanted == 0 || ++lines < row.linesWanted;
        });
        EXPECT_EQ(read.status, ReadStatus::Ok);
        const QByteArray expected =
            QCryptographicHash::hash(row.bytes, QCryptographicHash::Sha256).toHex();
        EXPECT_EQ(read.sha256, row.digest ? expected.toStdString() : std::string());
    }
    EXPECT_EQ(QCryptographicHash::hash("abc", QCryptographicHash::Sha256).toHex(),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const auto missing = services.readTextLines(QDir::tempPath().toStdString() + "/none.txt",
                                                [](auto) { return true; });
    EXPECT_EQ(missing.status, ReadStatus::Missing);
    EXPECT_EQ(missing.sha256, "");
}

} // namespace
