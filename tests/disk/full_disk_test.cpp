// Saving and recording onto a disk that is full or read-only, and with the system's
// temporary folder full: run as root on small tmpfs mounted for the test. Exits with 77
// (skipped) where no tmpfs can be mounted.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/mount.h>
#include <unistd.h>

#include "draw/results.h"
#include "output/results_output.h"
#include "platform/qt_record_store.h"
#include "platform/qt_services.h"
#include "support/real_services_in.h"

namespace {

using kelvara::platform::FailureKind;
using kelvara::platform::Outcome;

constexpr int kSkipped = 77;

// A small tmpfs of its own, mounted for one test and taken away after it.
class Mounted {
public:
    explicit Mounted(unsigned long flags = 0) {
        m_ok = mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", flags,
                     "size=256k") == 0;
    }
    ~Mounted() { umount(QFile::encodeName(m_dir.path()).constData()); }
    Mounted(const Mounted&) = delete;
    Mounted& operator=(const Mounted&) = delete;

    bool ok() const { return m_ok; }
    QString path(const QString& name = {}) const {
        return name.isEmpty() ? m_dir.path() : m_dir.filePath(name);
    }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<FailureKind> kindOf(const Outcome& outcome) {
    return outcome ? std::optional(outcome->kind) : std::nullopt;
}

// Writes zeros until the disk has no room left but `leave` bytes.
void fillDisk(const QString& path, qint64 leave = 0) {
    QFile filler(path);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, '\0');
    while (filler.write(block) == block.size()) {
    }
    ASSERT_TRUE(filler.resize(std::max<qint64>(0, filler.size() - leave)));
}

// Three hundred winners with long names: a text file of some 20 KB, a workbook of more.
kelvara::draw::Results manyWinners() {
    kelvara::draw::Results results;
    std::vector<kelvara::draw::ResultEntry> round;
    for (int k = 1; k <= 300; ++k) {
        round.push_back({k,
                         {k, "候选人的名字写得很长很长很长" + std::to_string(k)},
                         0,
                         {2026, 12, 7, 19, 30, 5}});
    }
    results.addRound(std::move(round));
    return results;
}

TEST(FullDiskTest, SavingOntoAFullDiskFailsAndKeepsTheEarlierFile) {
    const Mounted disk;
    ASSERT_TRUE(disk.ok());
    kelvara::platform::QtServices services;
    const QString results = disk.path(QStringLiteral("摇号结果.txt"));
    const std::string path = results.toStdString();
    ASSERT_EQ(services.writeTextFile(path, "摇号结果\r\n\r\n[1]:\t张三"), std::nullopt);
    const QByteArray earlier = fileBytes(results);

    fillDisk(disk.path(QStringLiteral("filler")));
    // An evening's results fit in the write buffer; a longer text does not.
    for (const std::size_t size : {2000U, 40000U}) {
        SCOPED_TRACE(size);
        const Outcome result = services.writeTextFile(path, std::string(size, 'x'));
        EXPECT_EQ(kindOf(result), FailureKind::DiskFull);
        EXPECT_EQ(fileBytes(results), earlier);
    }
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files).size(), 2);

    // With room again the same save succeeds.
    QFile::remove(disk.path(QStringLiteral("filler")));
    EXPECT_EQ(services.writeTextFile(path, "摇号结果\r\n\r\n[1]:\t李四"), std::nullopt);
    EXPECT_EQ(fileBytes(results), QByteArray("摇号结果\r\n\r\n[1]:\t李四\r\n"));
}

// The disk fills part-way through the text file, or has room for the text file and not the
// workbook: Save names the file that failed and a full disk, and keeps what was there.
TEST(FullDiskTest, ASaveThatFillsTheDiskSaysTheDiskIsFull) {
    const auto results = manyWinners();
    const auto text = kelvara::draw::resultsText(results);
    const struct {
        const char* name;
        qint64 room;
        const char* failed;
    } rows[] = {
        {"room for half the text file", static_cast<qint64>(text.size() / 2), "摇号结果.txt"},
        {"room for the text file only", static_cast<qint64>(text.size()) + 8192, "摇号结果.xlsx"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Mounted disk;
        ASSERT_TRUE(disk.ok());
        kelvara::testing::RealServicesIn services(disk.path().toStdString());
        kelvara::output::ResultsOutput output(services, services, services);
        fillDisk(disk.path(QStringLiteral("filler")), row.room);
        const Outcome failure = output.save(results);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->kind, FailureKind::DiskFull) << failure->detail;
        EXPECT_EQ(failure->path, disk.path(QString::fromUtf8(row.failed)).toStdString());
        EXPECT_FALSE(QFileInfo::exists(disk.path(QString::fromUtf8(row.failed))));
        EXPECT_EQ(QDir(disk.path())
                      .entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot)
                      .filter(QStringLiteral(".kelvara")),
                  QStringList());
    }
}

// The system's temporary folder is full, the data folder is not: the workbook is written
// where the program writes, and Save succeeds.
TEST(FullDiskTest, AFullTemporaryFolderDoesNotStopTheSave) {
    const Mounted temporary;
    const Mounted data;
    ASSERT_TRUE(temporary.ok() && data.ok());
    fillDisk(temporary.path(QStringLiteral("filler")));
    const QByteArray savedTemporary = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    kelvara::testing::RealServicesIn services(data.path().toStdString());
    kelvara::output::ResultsOutput output(services, services, services);
    const Outcome failure = output.save(manyWinners());
    qputenv("TMPDIR", savedTemporary);
    EXPECT_EQ(failure, std::nullopt) << failure->detail;
    EXPECT_TRUE(QFileInfo(data.path(QStringLiteral("摇号结果.xlsx"))).size() > 0);
}

// The disk takes part of a round and then no more: the record says so, in words the
// operator acts on, and holds no half round.
TEST(FullDiskTest, ARoundThatDoesNotFitInTheRecordSaysTheDiskIsFull) {
    const Mounted disk;
    ASSERT_TRUE(disk.ok());
    const QString folder = disk.path(QStringLiteral("摇号记录"));
    kelvara::platform::QtRecordStore store([&] { return folder.toStdString(); });
    ASSERT_EQ(store.create({2026, 12, 7, 19, 30, 5}), std::nullopt);
    ASSERT_EQ(store.append("head\r\n"), std::nullopt);
    fillDisk(disk.path(QStringLiteral("filler")));
    EXPECT_EQ(kindOf(store.append(std::string(20000, 'x') + "\r\n")), FailureKind::DiskFull);
    EXPECT_EQ(store.newest()->text, "head\r\n");

    QFile::remove(disk.path(QStringLiteral("filler")));
    EXPECT_EQ(store.append("round\r\n"), std::nullopt);
    EXPECT_EQ(store.newest()->text, "head\r\nround\r\n");
}

// A data folder on a medium that can only be read: the record cannot be made, and says why
// rather than that some file is missing.
TEST(FullDiskTest, ARecordOnAReadOnlyDiskSaysSo) {
    const Mounted disk(MS_RDONLY);
    ASSERT_TRUE(disk.ok());
    const QString folder = disk.path(QStringLiteral("摇号记录"));
    kelvara::platform::QtRecordStore store([&] { return folder.toStdString(); });
    const Outcome failure = store.create({2026, 12, 7, 19, 30, 5});
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, FailureKind::ReadOnly) << failure->detail;
    EXPECT_NE(failure->path.find("摇号记录_20261207_193005.txt"), std::string::npos);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (geteuid() != 0) {
        std::puts("skipped: mounting a small tmpfs needs root");
        return kSkipped;
    }
    if (!Mounted().ok()) {
        std::perror("skipped: cannot mount a tmpfs");
        return kSkipped;
    }
    return RUN_ALL_TESTS();
}
