#pragma once

#include <QString>

#include "platform/failure.h"

class QFileDevice;

namespace kelvara::platform {

// The path as the operator knows it from the file manager.
std::string shownPath(const QString& path);

// Why an operation on `file` at `path` failed: a full disk, a file system that can only be
// read, or the system's own words. The failure names the path as given.
Failure fileFailure(const QFileDevice& file, const QString& path);

// Writes all of the bytes. A write that the disk cuts short leaves no error behind; writing
// the rest then tells why.
bool writeWhole(QFileDevice& file, const char* data, qint64 size);

// No scratch folder could be made in `folder`, for the reason in `words`: a full disk, one
// that can only be read, or that reason.
Failure scratchFailure(const QString& folder, const QString& words);

// Makes the folder and the folders above it. Fails with why, which the file that was to go
// in it could not tell: opened in a missing folder, it would only say that none is there.
// The failure names the folder as given.
Outcome makeFolder(const QString& folder);

} // namespace kelvara::platform
