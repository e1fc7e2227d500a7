#pragma once

#include <QString>
#include <functional>

namespace kelvara::platform {

// Where the program reads its list and writes its results.
struct DataFolder {
    QString path; // without a trailing separator
    bool isProgramDirectory = true;
};

// Whether files can be created in a folder.
using WritableTest = std::function<bool(const QString& folder)>;
bool canCreateFilesIn(const QString& folder);

// The program's directory when the list is there or the directory is writable, so a copy
// kept in a folder of its own works as it always has. Otherwise (an installed copy) the
// folder Kelvara in the documents folder, which is created here.
DataFolder chooseDataFolder(const QString& programDirectory, const QString& documentsDirectory,
                            const WritableTest& writable = canCreateFilesIn);

} // namespace kelvara::platform
