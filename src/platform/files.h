#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/list_rows.h"

namespace kelvara::platform {

enum class ReadStatus { Ok, Missing, Unreadable, NotAList };

// Why a workbook cannot be read as a list (ReadStatus::NotAList).
enum class WorkbookFault {
    None,
    NotAWorkbook, // not a zip, or a zip without a workbook
    OldFormat,    // an Excel 97-2003 file (.xls) under the .xlsx name
    Encrypted,    // protected by a password to open
    NoWorksheet,
    TooLarge, // a part expands past what any list needs
    Damaged,  // a broken zip entry or XML part
};

struct ReadResult {
    ReadStatus status = ReadStatus::Ok;
    // SHA-256 of the file's bytes as 64 lower-case hex digits, when the sink took the file
    // to its end; empty when it stopped early or the file could not be read.
    std::string sha256;
    WorkbookFault workbookFault = WorkbookFault::None;
};

// Writes a file as `fileName` (a plain ASCII name) in the current folder; C libraries open
// such a name on every system. The failure's path is the caller's to fill in.
using FileProducer = std::function<Outcome(const std::string& fileName)>;

// Receives one line of a text file, without its terminator; returns false to stop reading.
using LineSink = std::function<bool(std::string_view line)>;

// Reading the list. Paths and text are UTF-8.
class FileReader {
public:
    virtual ~FileReader() = default;

    // True only for a regular file; a directory of that name does not count.
    virtual bool fileExists(const std::string& path) const = 0;
    // The file's size in bytes; 0 when it is not there.
    virtual std::uintmax_t fileSize(const std::string& path) const = 0;

    // Reads the file line by line (see LineSplitter for the line rule), only as far as the
    // sink wants. A path ending in ".xlsx" is read as a workbook: the rows of its first
    // worksheet that have text are its lines (see WorkbookReader). A line longer than kLineCutBytes
    // arrives cut. On Unreadable, lines that reached the sink before the read error must be
    // discarded.
    virtual ReadResult readTextLines(const std::string& path, const LineSink& sink) = 0;
    // Reads a list row by row, header rows included and marked: a workbook's cells, or a
    // text file's lines split at their TABs (see isTextHeader for a text file's header).
    virtual ReadResult readListRows(const std::string& path, const RowSink& sink);
};

// Writing the results.
class FileWriter {
public:
    virtual ~FileWriter() = default;

    // Creates or atomically replaces the file with text followed by CR LF. Succeeds only
    // when every byte reached the file; otherwise the earlier file stays as it was.
    virtual Outcome writeTextFile(const std::string& path, std::string_view text) = 0;
    // Creates or atomically replaces the file with what `produce` writes, in the same way,
    // in a scratch folder of the file's own folder.
    virtual Outcome writeProducedFile(const std::string& path, const FileProducer& produce) = 0;
};

class Printer {
public:
    virtual ~Printer() = default;

    // Hands a document to the system's print operation. Fails (PrintRefused, PrintNotRun or
    // PrintExitCode) when the operation cannot start or reports an error at once; the
    // printing itself is not awaited.
    virtual Outcome printFile(const std::string& path) = 0;
};

} // namespace kelvara::platform
