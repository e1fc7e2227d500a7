#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/data_folder.h"

using namespace kelvara::platform;

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

// A copy in a folder of its own keeps its files beside it; an installed copy, whose folder
// neither holds the list nor takes new files, uses a folder in the user's documents.
TEST(DataFolderTest, ProgramDirectoryWhenItHoldsTheListOrIsWritable) {
    const struct {
        const char* name;
        const char* listBesideProgram; // its file name
        bool folderNamedLikeList;
        bool writable;
        bool documentsFolderHasList;
        bool expectProgramDirectory;
    } cases[] = {
        {"portable copy with its list", "bonus.txt", false, true, false, true},
        {"writable directory, no list yet", nullptr, false, true, false, true},
        {"read-only directory with its list", "bonus.txt", false, false, false, true},
        {"read-only directory with a workbook list", "bonus.xlsx", false, false, false, true},
        {"installed copy: read-only, no list", nullptr, false, false, false, false},
        {"a folder named like the list is no list", nullptr, true, false, false, false},
        {"documents folder used before, list kept", nullptr, false, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QString program = root.filePath(QStringLiteral("usr/bin"));
        const QString documents = root.filePath(QStringLiteral("home/文档"));
        const QString expectedFolder = documents + QStringLiteral("/Kelvara");
        ASSERT_TRUE(QDir().mkpath(program));
        if (c.listBesideProgram != nullptr) {
            touch(program + u'/' + QString::fromUtf8(c.listBesideProgram));
        }
        if (c.folderNamedLikeList) {
            ASSERT_TRUE(QDir(program).mkdir(QStringLiteral("bonus.txt")));
        }
        if (c.documentsFolderHasList) {
            ASSERT_TRUE(QDir().mkpath(expectedFolder));
            touch(expectedFolder + QStringLiteral("/bonus.txt"));
        }
        QStringList asked;
        const auto writable = [&](const QString& folder) {
            asked << folder;
            return c.writable;
        };

        // The application's directory may come with a trailing separator.
        const DataFolder chosen = chooseDataFolder(program + QLatin1Char('/'), documents, writable);

        EXPECT_EQ(chosen.isProgramDirectory, c.expectProgramDirectory);
        if (c.expectProgramDirectory) {
            EXPECT_EQ(chosen.path, program);
            EXPECT_FALSE(QFileInfo::exists(expectedFolder)) << "a folder was made for nothing";
        } else {
            EXPECT_EQ(chosen.path, expectedFolder);
            EXPECT_TRUE(QFileInfo(expectedFolder).isDir()) << "the folder was not created";
            EXPECT_EQ(asked, QStringList{program});
        }
        EXPECT_EQ(QFileInfo::exists(expectedFolder + QStringLiteral("/bonus.txt")),
                  c.documentsFolderHasList);
    }
}

TEST(DataFolderTest, WritabilityIsTriedAndLeavesNothingBehind) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_TRUE(canCreateFilesIn(dir.path()));
    EXPECT_TRUE(QDir(dir.path())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
    EXPECT_FALSE(canCreateFilesIn(dir.filePath(QStringLiteral("missing"))));
#ifdef Q_OS_LINUX
    // Not even the superuser creates files here, so this holds for every test account.
    EXPECT_FALSE(canCreateFilesIn(QStringLiteral("/proc")));
#endif
}
