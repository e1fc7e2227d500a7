#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace kelvara::platform {

// A workbook file larger than this is no list; nor is a part that expands past the second.
inline constexpr std::uint64_t kMaxWorkbookBytes = 32 * 1024 * 1024;
inline constexpr std::uint64_t kMaxWorkbookPartBytes = 32 * 1024 * 1024;

struct WorkbookRead {
    WorkbookFault fault = WorkbookFault::None;
    bool stopped = false; // the sink had what it needed
};

// Passes the rows of the workbook's first worksheet to the sink, one per row that has text:
// its line is its non-empty cells as Excel shows them, trimmed and joined by one space, and
// its cells stand in their columns. Shared and inline strings, numbers, dates (YYYY-MM-DD),
// booleans and formulas' cached values; line breaks and TABs inside a cell become spaces,
// so a cell is always one column. A line longer than kLineCutBytes arrives cut. A first row
// whose first cell is a header word comes as the header.
WorkbookRead readWorkbookRows(std::string_view bytes, const RowSink& sink);

// The rows of the workbook read whole last, by its SHA-256: every Start reads the list
// again, and bytes unchanged since need not be parsed again.
class WorkbookCache final {
public:
    WorkbookRead read(std::string_view bytes, const std::string& sha256, const RowSink& sink);

private:
    struct Row {
        std::string line;
        std::vector<std::string> cells;
        int fileRow = 0;
        bool header = false;
    };
    std::string m_sha256;
    std::vector<Row> m_rows;
};

} // namespace kelvara::platform
