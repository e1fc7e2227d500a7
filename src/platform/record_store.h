#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"

namespace kelvara::platform {

// The record folder beside the candidate list, and its records' names:
// "摇号记录_20261207_193005.txt" for a run initialized at that second, "_2", "_3", ... before
// ".txt" for further runs of the same second.
inline constexpr char kRecordFolderName[] = "摇号记录";
// The offline page that re-checks a verifiable run's record, kept beside the records.
inline constexpr char kCheckerPageName[] = "kelvara-verify.html";
// A rehearsal's records, in a folder of their own inside the record folder.
inline constexpr char kRehearsalFolderName[] = "演练";

std::string recordFileName(const LocalDateTime& initialized, int number = 1);

// Where a record's name puts it among the others: by its time, then by its number.
struct RecordFileOrder {
    std::string stamp; // YYYYMMDD_HHMMSS
    int number = 1;
    auto operator<=>(const RecordFileOrder&) const = default;
};
// Empty for a name that is no record's.
std::optional<RecordFileOrder> recordFileOrder(std::string_view fileName);

// Larger than any run writes: ten thousand winners with the longest names take 40 MB.
inline constexpr long long kMaxRecordBytes = 256LL * 1024 * 1024;

struct StoredRecord {
    std::string path;
    std::string text;        // UTF-8, as written; empty when tooLarge
    bool live = false;       // a running copy of the program on this computer holds it
    std::string foreignHost; // the computer named by its lock, when that is another one
    bool tooLarge = false;   // over kMaxRecordBytes: not read
};

// The draw records: text files in the record folder that only ever grow. The record a run
// writes to is locked while the program runs.
class RecordStore {
public:
    virtual ~RecordStore() = default;

    // Creates the record of a run initialized at that time, under the first free name, and
    // makes it the record that append() writes to. A failure names the record's path.
    virtual Outcome create(const LocalDateTime& initialized) = 0;

    // Makes an earlier record the one that append() writes to; fails (HeldElsewhere) while
    // a running copy of the program on this computer holds it. A lock that cannot be shown
    // to be live (of another computer, or unreadable) is broken when `breakUnprovenLock`
    // says so; otherwise it fails (LockFailed).
    virtual Outcome takeOver(const std::string& path, bool breakUnprovenLock) = 0;

    // Appends the text to the current record in one write and syncs it to the disk. A
    // write that fails part-way is taken back, so the record never holds half a line.
    virtual Outcome append(std::string_view text) = 0;

    // The newest record of the folder that is a regular file, if any. Never waits on a
    // pipe or device that a name leads to.
    virtual std::optional<StoredRecord> newest() = 0;

    // Every record of the folder that is a regular file, oldest first; one too large is
    // listed without its text.
    virtual std::vector<StoredRecord> all() = 0;

    // From now on, the records of a rehearsal (true) or of real runs: a rehearsal's are kept
    // in the record folder's own folder 演练, where nothing looks for a run to continue.
    virtual void setRehearsal(bool rehearsal) = 0;

    // Puts the checker page beside the current record unless it is there already, so the
    // folder handed to a verifier is complete. Best effort: the draw goes on without it.
    virtual void addCheckerPage() = 0;
};

} // namespace kelvara::platform
