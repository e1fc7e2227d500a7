#include "qt_record_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kelvara::platform {

namespace {

const QString kLockSuffix = QStringLiteral(".lock");

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The path as the operator knows it from the file manager.
std::string shownPath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdString();
}

// Flushes what the system holds of the file to the disk itself.
bool syncToDisk(QFile& file) {
#ifdef Q_OS_WIN
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// A new file's name lives in its folder: sync the folder too, or a power cut can lose it.
void syncFolder([[maybe_unused]] const QString& folder) {
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

} // namespace

QtRecordStore::QtRecordStore(std::function<std::string()> folder) : m_folder(std::move(folder)) {}

QtRecordStore::~QtRecordStore() = default;

bool QtRecordStore::lockFor(const QString& path) {
    auto lock = std::make_unique<QLockFile>(path + kLockSuffix);
    // Only a lock whose process is gone is stale, however old it is.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        return false;
    }
    m_lock = std::move(lock);
    m_path = path;
    return true;
}

RecordResult QtRecordStore::create(const LocalDateTime& initialized) {
    m_lock.reset();
    m_path.clear();
    const QString folder = QString::fromStdString(m_folder());
    QDir().mkpath(folder); // when this fails, creating the file below says why
    for (int number = 1;; ++number) {
        const QString path = folder + u'/' + fromUtf8(recordFileName(initialized, number));
        if (QFileInfo::exists(path) || QFileInfo::exists(path + kLockSuffix)) {
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path)) {
                continue; // another copy took the name just now
            }
            return {false, shownPath(path), file.errorString().toStdString()};
        }
        file.close();
        syncFolder(folder);
        if (!lockFor(path)) {
            return {false, shownPath(path), "无法锁定记录文件"};
        }
        return {true, shownPath(path), {}};
    }
}

RecordResult QtRecordStore::takeOver(const std::string& path) {
    const QString record = QDir::fromNativeSeparators(QString::fromStdString(path));
    if (record == m_path) {
        return {true, path, {}};
    }
    m_lock.reset();
    m_path.clear();
    if (!lockFor(record)) {
        return {false, path, "另一个正在运行的摇号程序正在使用这个记录"};
    }
    return {true, path, {}};
}

WriteResult QtRecordStore::append(std::string_view text) {
    if (m_path.isEmpty()) {
        return {false, "没有打开的记录"};
    }
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        return {false, file.errorString().toStdString()};
    }
    const qint64 before = file.size();
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    if (file.write(bytes) != bytes.size() || !syncToDisk(file)) {
        const std::string reason = file.errorString().toStdString();
        file.resize(before);
        return {false, reason.empty() ? qt_error_string().toStdString() : reason};
    }
    return {};
}

std::optional<StoredRecord> QtRecordStore::newest() {
    const QDir folder(QString::fromStdString(m_folder()));
    std::optional<RecordFileOrder> best;
    QString bestPath;
    const auto files = folder.entryInfoList(QDir::Files);
    for (const QFileInfo& info : files) {
        const auto order = recordFileOrder(info.fileName().toStdString());
        if (order && (!best || *best < *order)) {
            best = order;
            bestPath = info.filePath();
        }
    }
    if (!best) {
        return std::nullopt;
    }
    QFile file(bestPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    StoredRecord record{shownPath(bestPath), file.readAll().toStdString(), false};
    if (bestPath == m_path) {
        record.live = true;
    } else {
        QLockFile probe(bestPath + kLockSuffix);
        probe.setStaleLockTime(0);
        record.live = !probe.tryLock(0);
    }
    return record;
}

} // namespace kelvara::platform
