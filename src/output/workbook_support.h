#pragma once

#include <xlsxwriter.h>

#include <string>
#include <string_view>

#include "platform/failure.h"

// What the workbooks this library writes share: text as Excel shows it, column widths, and
// the library's errors as outcomes.
namespace kelvara::output {

// Room beside the widest text, and the most a column gets: a very long line would
// otherwise push the columns after it off the screen.
inline constexpr int kColumnPadding = 2;
inline constexpr int kMaxColumnWidth = 60;

// The width of UTF-8 text in Excel's column unit, about one Latin digit; East Asian wide
// characters take two.
int displayWidth(std::string_view text);

// The text with any "_xHHHH_" in it kept literally: Excel reads that sequence as the
// character HHHH.
std::string literalText(const std::string& text);

// Keeps the first thing that went wrong of many calls, and what the system said then: the
// library's own words for a full disk name only its zip step.
class FirstError {
public:
    void operator()(lxw_error error);
    platform::Outcome failure() const;

private:
    lxw_error m_error = LXW_NO_ERROR;
    int m_systemError = 0;
};

platform::Failure outOfMemory();

// A new workbook at `fileName` kept in memory (not constant_memory: column widths are known
// only after the last row), its library's scratch files beside it; null when out of memory.
lxw_workbook* newWorkbook(const std::string& fileName);

} // namespace kelvara::output
