// Saving onto a disk that is full: run as root on a small tmpfs mounted for the test.
// Exits with 77 (skipped) where no tmpfs can be mounted.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/mount.h>
#include <unistd.h>

#include "platform/qt_record_store.h"
#include "platform/qt_services.h"

namespace {

constexpr int kSkipped = 77;

QString g_mountPoint;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes zeros until the disk has no room left.
void fillDisk(const QString& path) {
    QFile filler(path);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, '\0');
    while (filler.write(block) == block.size()) {
    }
}

TEST(FullDiskTest, SavingOntoAFullDiskFailsAndKeepsTheEarlierFile) {
    kelvara::platform::QtServices services;
    const QString results = g_mountPoint + QStringLiteral("/摇号结果.txt");
    const std::string path = results.toStdString();
    ASSERT_TRUE(services.writeTextFile(path, "摇号结果\r\n\r\n[1]:\t张三").ok);
    const QByteArray earlier = fileBytes(results);

    fillDisk(g_mountPoint + QStringLiteral("/filler"));
    // An evening's results fit in the write buffer; a longer text does not.
    for (const std::size_t size : {2000U, 40000U}) {
        SCOPED_TRACE(size);
        const auto result = services.writeTextFile(path, std::string(size, 'x'));
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(fileBytes(results), earlier);
    }
    EXPECT_EQ(QDir(g_mountPoint).entryList(QDir::Files).size(), 2);

    // With room again the same save succeeds.
    QFile::remove(g_mountPoint + QStringLiteral("/filler"));
    EXPECT_TRUE(services.writeTextFile(path, "摇号结果\r\n\r\n[1]:\t李四").ok);
    EXPECT_EQ(fileBytes(results), QByteArray("摇号结果\r\n\r\n[1]:\t李四\r\n"));
}

// The disk takes part of a round and then no more: the record says so, in words the
// operator acts on, and holds no half round.
TEST(FullDiskTest, ARoundThatDoesNotFitInTheRecordSaysTheDiskIsFull) {
    const QString folder = g_mountPoint + QStringLiteral("/摇号记录");
    kelvara::platform::QtRecordStore store([&] { return folder.toStdString(); });
    ASSERT_TRUE(store.create({2026, 12, 7, 19, 30, 5}).ok);
    ASSERT_TRUE(store.append("head\r\n").ok);
    fillDisk(g_mountPoint + QStringLiteral("/filler"));
    const auto result = store.append(std::string(20000, 'x') + "\r\n");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.starts_with("磁盘已满（")) << result.error;
    EXPECT_EQ(store.newest()->text, "head\r\n");

    QFile::remove(g_mountPoint + QStringLiteral("/filler"));
    EXPECT_TRUE(store.append("round\r\n").ok);
    EXPECT_EQ(store.newest()->text, "head\r\nround\r\n");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (geteuid() != 0) {
        std::puts("skipped: mounting a small tmpfs needs root");
        return kSkipped;
    }
    QTemporaryDir dir;
    g_mountPoint = dir.path();
    if (mount("tmpfs", QFile::encodeName(g_mountPoint).constData(), "tmpfs", 0, "size=128k") != 0) {
        std::perror("skipped: cannot mount a tmpfs");
        return kSkipped;
    }
    const int status = RUN_ALL_TESTS();
    umount(QFile::encodeName(g_mountPoint).constData());
    return status;
}
