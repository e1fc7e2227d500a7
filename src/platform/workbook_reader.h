#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace kelvara::platform {

// A workbook file larger than this is no list; nor is a part that expands past the second.
inline constexpr std::uint64_t kMaxWorkbookBytes = 32 * 1024 * 1024;
inline constexpr std::uint64_t kMaxWorkbookPartBytes = 32 * 1024 * 1024;

// A first row whose first cell says one of these is the list's header, not a person.
inline constexpr std::array<std::string_view, 12> kHeaderWords{
    "姓名", "名字", "名单", "工号", "编号", "序号", "学号", "号码", "Name", "ID", "No", "No."};

struct WorkbookRead {
    WorkbookFault fault = WorkbookFault::None;
    bool stopped = false; // the sink had what it needed
};

// Passes the rows of the workbook's first worksheet to the sink, one line per row that has
// text: its non-empty cells as Excel shows them, trimmed and joined by one space. Shared
// and inline strings, numbers, dates (YYYY-MM-DD), booleans and formulas' cached values;
// line breaks inside a cell become spaces. A line longer than kLineCutBytes arrives cut.
WorkbookRead readWorkbookRows(std::string_view bytes, const LineSink& sink);

// The lines of the workbook read whole last, by its SHA-256: every Start reads the list
// again, and bytes unchanged since need not be parsed again.
class WorkbookCache final {
public:
    WorkbookRead read(std::string_view bytes, const std::string& sha256, const LineSink& sink);

private:
    std::string m_sha256;
    std::vector<std::string> m_lines;
};

} // namespace kelvara::platform
