#pragma once

#include <string>

namespace kelvara::draw {
class Results;
}

namespace kelvara::output {

inline constexpr char kResultsWorkbookName[] = "摇号结果.xlsx";

// Writes the results as a workbook to `fileName` in the current folder: one worksheet, a
// bold frozen heading row, then one row per listed winner in listed order with its number,
// name (always text), prize (with a plan only), round, listing time and absent mark.
// Returns what went wrong, empty on success.
std::string writeResultsWorkbook(const draw::Results& results, const std::string& fileName);

} // namespace kelvara::output
