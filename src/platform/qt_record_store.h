#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "platform/record_store.h"

class QLockFile;

namespace kelvara::platform {

// Records as files, each with a QLockFile beside it while a run writes to it; a copy of the
// program that ended without releasing its lock (killed, power cut) leaves a stale lock,
// which the next copy on the same computer recognises by its process id. Another
// computer's lock (a record on a USB stick) cannot be checked, and does not hide a run.
class QtRecordStore final : public RecordStore {
public:
    // `folder` names the record folder afresh at every call, so it follows the data folder.
    explicit QtRecordStore(std::function<std::string()> folder);
    ~QtRecordStore() override;
    QtRecordStore(const QtRecordStore&) = delete;
    QtRecordStore& operator=(const QtRecordStore&) = delete;

    Outcome create(const LocalDateTime& initialized) override;
    Outcome takeOver(const std::string& path, bool breakUnprovenLock) override;
    Outcome append(std::string_view text) override;
    std::optional<StoredRecord> newest() override;
    std::vector<StoredRecord> all() override;
    void setRehearsal(bool rehearsal) override { m_rehearsal = rehearsal; }
    void addCheckerPage() override;

private:
    std::string recordFolder() const;

    enum class Locking { Locked, HeldHere, Failed };
    Locking lockFor(const QString& path, bool breakUnprovenLock);

    std::function<std::string()> m_folder;
    bool m_rehearsal = false;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace kelvara::platform
