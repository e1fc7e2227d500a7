#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/services.h"

namespace kelvara::platform {

struct RecordResult {
    bool ok = true;
    std::string path;  // the record's path, also the one that could not be created
    std::string error; // the system's reason when !ok
};

struct StoredRecord {
    std::string path;
    std::string text;  // UTF-8, as written
    bool live = false; // a running copy of the program holds it
};

// The draw records: text files in the record folder beside the candidate list that only
// ever grow. The record a run writes to is locked while the program runs.
class RecordStore {
public:
    virtual ~RecordStore() = default;

    // Creates "<stem>.txt" in the record folder, or "<stem>_2.txt", "<stem>_3.txt", ... when
    // the name is taken, and makes it the record that append() writes to.
    virtual RecordResult create(std::string_view stem) = 0;

    // Makes an earlier record the one that append() writes to; fails while a running copy
    // of the program holds it.
    virtual RecordResult takeOver(const std::string& path) = 0;

    // Appends the text to the current record in one write and syncs it to the disk. A
    // write that fails part-way is taken back, so the record never holds half a line.
    virtual WriteResult append(std::string_view text) = 0;

    // The newest record of the folder, if any.
    virtual std::optional<StoredRecord> newest() = 0;
};

} // namespace kelvara::platform
