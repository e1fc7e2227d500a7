#include "qt_record_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSysInfo>
#include <algorithm>

#include "platform/qt_failure.h"

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvara::platform {

namespace {

const QString kLockSuffix = QStringLiteral(".lock");

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

// Who holds a lock that could not be taken. Qt has already removed a lock of this computer
// whose process is gone; one of another computer, or one it cannot read, proves nothing.
struct LockHolder {
    bool live = false;
    std::string foreignHost;
};

// A lock names its computer as Windows does (upper case, at most 15 characters) or by its
// host name: either is this computer.
bool isThisComputer(const QString& name) {
    constexpr qsizetype kNetBiosLength = 15;
    const QString here = QSysInfo::machineHostName().section(u'.', 0, 0);
    const QString there = name.section(u'.', 0, 0);
    const auto sameStart = [](const QString& shorter, const QString& longer) {
        return shorter.size() == kNetBiosLength && longer.startsWith(shorter, Qt::CaseInsensitive);
    };
    return there.compare(here, Qt::CaseInsensitive) == 0 || sameStart(there, here) ||
           sameStart(here, there);
}

LockHolder holderOf(const QLockFile& lock, const QString& lockPath) {
    if (lock.error() != QLockFile::LockFailedError) {
        return {}; // no lock could be made at all (a read-only folder): nobody holds one
    }
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application)) {
        // Windows keeps a live lock open to its program alone: it cannot even be read.
        QFile file(lockPath);
        return {file.exists() && !file.open(QIODevice::ReadOnly), {}};
    }
    if (!host.isEmpty() && !isThisComputer(host)) {
        return {false, host.toStdString()};
    }
    return {true, {}};
}

// Records are named as the file manager shows them.
Failure shownAsRecord(Failure failure) {
    failure.path = shownPath(QString::fromStdString(failure.path));
    return failure;
}

enum class FileRead { Ok, NotRegular, TooLarge, Failed };

// Reads a regular file whole. A name that leads to a pipe or a device is opened without
// waiting and left unread.
FileRead readRegularFile(const QString& path, std::string& text) {
    QFile file;
#ifdef Q_OS_WIN
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return FileRead::Failed;
    }
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (fd < 0) {
        return FileRead::Failed;
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return FileRead::NotRegular;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileRead::Failed;
    }
#endif
    const qint64 size = file.size();
    if (size > kMaxRecordBytes) {
        return FileRead::TooLarge;
    }
    text.resize(static_cast<std::size_t>(size));
    const qint64 read = file.read(text.data(), size);
    text.resize(static_cast<std::size_t>(std::max<qint64>(read, 0)));
    return read < 0 ? FileRead::Failed : FileRead::Ok;
}

} // namespace

QtRecordStore::QtRecordStore(std::function<std::string()> folder) : m_folder(std::move(folder)) {}

std::string QtRecordStore::recordFolder() const {
    return m_rehearsal ? m_folder() + '/' + kRehearsalFolderName : m_folder();
}

QtRecordStore::~QtRecordStore() = default;

QtRecordStore::Locking QtRecordStore::lockFor(const QString& path, bool breakUnprovenLock) {
    auto lock = std::make_unique<QLockFile>(path + kLockSuffix);
    // Only a lock whose process is gone is stale, however old it is.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        const LockHolder holder = holderOf(*lock, path + kLockSuffix);
        if (holder.live) {
            return Locking::HeldHere;
        }
        if (!breakUnprovenLock || lock->error() != QLockFile::LockFailedError ||
            !lock->removeStaleLockFile() || !lock->tryLock(0)) {
            return Locking::Failed;
        }
    }
    m_lock = std::move(lock);
    m_path = path;
    return Locking::Locked;
}

Outcome QtRecordStore::create(const LocalDateTime& initialized) {
    m_lock.reset();
    m_path.clear();
    const QString folder = QString::fromStdString(recordFolder());
    if (Outcome failed = makeFolder(folder)) {
        failed->path =
            shownPath(folder + u'/' + QString::fromStdString(recordFileName(initialized)));
        return failed;
    }
    for (int number = 1;; ++number) {
        const QString path =
            folder + u'/' + QString::fromStdString(recordFileName(initialized, number));
        if (QFileInfo::exists(path) || QFileInfo::exists(path + kLockSuffix)) {
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path)) {
                continue; // another copy took the name just now
            }
            return shownAsRecord(fileFailure(file, path));
        }
        file.close();
        syncFolder(folder);
        if (lockFor(path, false) != Locking::Locked) {
            return Failure{FailureKind::LockFailed, shownPath(path), {}};
        }
        return std::nullopt;
    }
}

void QtRecordStore::addCheckerPage() {
    const QString folder = m_path.isEmpty() ? QString::fromStdString(recordFolder())
                                            : QFileInfo(m_path).absolutePath();
    QFile page(QStringLiteral(":/kelvara/") + QLatin1String(kCheckerPageName));
    if (!page.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = page.readAll();
    const QString target = folder + u'/' + QLatin1String(kCheckerPageName);
    if (QFile existing(target); existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) {
        return;
    }
    QSaveFile copy(target);
    if (copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size()) {
        copy.commit();
    }
}

Outcome QtRecordStore::takeOver(const std::string& path, bool breakUnprovenLock) {
    const QString record = QDir::fromNativeSeparators(QString::fromStdString(path));
    if (record == m_path) {
        return std::nullopt;
    }
    m_lock.reset();
    m_path.clear();
    switch (lockFor(record, breakUnprovenLock)) {
    case Locking::Locked:
        return std::nullopt;
    case Locking::HeldHere:
        return Failure{FailureKind::HeldElsewhere, path, {}};
    case Locking::Failed:
        break;
    }
    return Failure{FailureKind::LockFailed, path, {}};
}

Outcome QtRecordStore::append(std::string_view text) {
    if (m_path.isEmpty()) {
        return Failure{FailureKind::NoRecord, {}, {}};
    }
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        return shownAsRecord(fileFailure(file, m_path));
    }
    const qint64 before = file.size();
    if (!writeWhole(file, text.data(), static_cast<qint64>(text.size())) || !syncToDisk(file)) {
        Failure failure = shownAsRecord(fileFailure(file, m_path));
        file.resize(before);
        return failure;
    }
    return std::nullopt;
}

std::optional<StoredRecord> QtRecordStore::newest() {
    const QDir folder(QString::fromStdString(recordFolder()));
    std::optional<RecordFileOrder> best;
    QString bestPath;
    const auto files = folder.entryInfoList(QDir::Files | QDir::System);
    for (const QFileInfo& info : files) {
        const auto order = recordFileOrder(info.fileName().toStdString());
        // isFile() follows a link, and is false for a pipe, a device or a folder.
        if (order && info.isFile() && (!best || *best < *order)) {
            best = order;
            bestPath = info.filePath();
        }
    }
    if (!best) {
        return std::nullopt;
    }
    StoredRecord record{shownPath(bestPath), {}, false, {}, false};
    switch (readRegularFile(bestPath, record.text)) {
    case FileRead::Ok:
        break;
    case FileRead::TooLarge:
        record.tooLarge = true;
        break;
    case FileRead::NotRegular:
    case FileRead::Failed:
        return std::nullopt;
    }
    if (bestPath == m_path) {
        record.live = true;
    } else {
        QLockFile probe(bestPath + kLockSuffix);
        probe.setStaleLockTime(0);
        if (!probe.tryLock(0)) {
            const LockHolder holder = holderOf(probe, bestPath + kLockSuffix);
            record.live = holder.live;
            record.foreignHost = holder.foreignHost;
        }
    }
    return record;
}

std::vector<StoredRecord> QtRecordStore::all() {
    const QDir folder(QString::fromStdString(recordFolder()));
    std::vector<std::pair<RecordFileOrder, QString>> found;
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files | QDir::System)) {
        const auto order = recordFileOrder(info.fileName().toStdString());
        if (order && info.isFile()) {
            found.emplace_back(*order, info.filePath());
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<StoredRecord> records;
    for (const auto& [order, path] : found) {
        StoredRecord record{shownPath(path), {}, path == m_path, {}, false};
        const FileRead read = readRegularFile(path, record.text);
        record.tooLarge = read == FileRead::TooLarge;
        if (read == FileRead::Ok || record.tooLarge) {
            records.push_back(std::move(record));
        }
    }
    return records;
}

} // namespace kelvara::platform
