#include "data_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <iterator>

#include "platform/app_info.h"

namespace kelvara::platform {

namespace {

// A program directory that holds the list is used as it is.
const QLatin1StringView kListFileNames[] = {QLatin1StringView(kCandidateFile),
                                            QLatin1StringView(kCandidateWorkbook)};
constexpr QLatin1StringView kFolderName("Kelvara");

QString withoutTrailingSeparator(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    return path;
}

} // namespace

bool canCreateFilesIn(const QString& folder) {
    // Trying is the only answer that holds for read-only mounts, access lists and Windows
    // folders alike; the probe is removed at once.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".kelvara-probe-XXXXXX")));
    return probe.open();
}

DataFolder chooseDataFolder(const QString& programDirectory, const QString& documentsDirectory,
                            const WritableTest& writable) {
    const QString program = withoutTrailingSeparator(programDirectory);
    const bool holdsList = std::any_of(
        std::begin(kListFileNames), std::end(kListFileNames),
        [&](QLatin1StringView name) { return QFileInfo(QDir(program).filePath(name)).isFile(); });
    if (holdsList || writable(program)) {
        return {program, true};
    }
    const QString folder = QDir::cleanPath(QDir(documentsDirectory).filePath(kFolderName));
    // Should this fail, the missing-list message names the folder all the same.
    QDir().mkpath(folder);
    return {folder, false};
}

} // namespace kelvara::platform
