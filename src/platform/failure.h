#pragma once

#include <optional>
#include <string>

namespace kelvara::platform {

// Why an operation on a file, a record or the printer failed. The windows word it; the
// platform layer only tells the kind, the path and the system's own words.
enum class FailureKind {
    System,        // the system's words in `detail` say why
    DiskFull,      // the disk has no room left
    ReadOnly,      // the file system or medium can only be read
    NoScratch,     // no scratch folder could be made or entered at `path`
    LockFailed,    // the record's lock could not be made
    HeldElsewhere, // a running copy of the program holds the record
    NoRecord,      // no record is open to write to
    PrintRefused,  // the print operation said no, in `detail`
    PrintNotRun,   // `program` could not be started: `detail`
    PrintExitCode, // `program` ended with `exitCode` and said nothing
};

struct Failure {
    FailureKind kind = FailureKind::System;
    std::string path;   // the file or folder concerned, UTF-8
    std::string detail; // the system's or the print command's own words; may be empty
    std::string program = {};
    int exitCode = 0;

    bool operator==(const Failure&) const = default;
};

// Nothing when the operation succeeded.
using Outcome = std::optional<Failure>;

} // namespace kelvara::platform
