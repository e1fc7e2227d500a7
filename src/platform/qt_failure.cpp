#include "qt_failure.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QStorageInfo>
#include <filesystem>
#include <system_error>

namespace kelvara::platform {

namespace {

// The file system of the path, or of the nearest folder above it that exists.
bool onReadOnlyFileSystem(const QString& path) {
    QFileInfo existing(path);
    while (!existing.exists() && !existing.isRoot() && existing.filePath() != existing.path()) {
        existing.setFile(existing.path());
    }
    const QStorageInfo storage(existing.absoluteFilePath());
    return storage.isValid() && storage.isReadOnly();
}

QString errorText(const std::error_code& error) {
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(error.message());
#else
    return qt_error_string(error.value());
#endif
}

} // namespace

std::string shownPath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdString();
}

Failure fileFailure(const QFileDevice& file, const QString& path) {
    const QString words =
        file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string();
    FailureKind kind = FailureKind::System;
    if (file.error() == QFileDevice::ResourceError) {
        kind = FailureKind::DiskFull;
    } else if (onReadOnlyFileSystem(path)) {
        kind = FailureKind::ReadOnly;
    }
    return {kind, path.toStdString(), words.toStdString()};
}

bool writeWhole(QFileDevice& file, const char* data, qint64 size) {
    qint64 written = 0;
    while (written < size) {
        const qint64 now = file.write(data + written, size - written);
        if (now <= 0) {
            return false;
        }
        written += now;
    }
    return true;
}

Failure scratchFailure(const QString& folder, const QString& words) {
    FailureKind kind = FailureKind::NoScratch;
    if (onReadOnlyFileSystem(folder)) {
        kind = FailureKind::ReadOnly;
    } else if (const QStorageInfo storage(folder);
               storage.isValid() && storage.bytesAvailable() <= 0) {
        kind = FailureKind::DiskFull;
    }
    return {kind, folder.toStdString(), words.toStdString()};
}

Outcome makeFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdU16String()), error);
    if (!error) {
        return std::nullopt;
    }
    FailureKind kind = FailureKind::System;
    if (error == std::errc::no_space_on_device) {
        kind = FailureKind::DiskFull;
    } else if (error == std::errc::read_only_file_system || onReadOnlyFileSystem(folder)) {
        kind = FailureKind::ReadOnly;
    }
    return Failure{kind, folder.toStdString(), errorText(error).toStdString()};
}

} // namespace kelvara::platform
