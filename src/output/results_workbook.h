#pragma once

#include <string>

#include "platform/failure.h"

namespace kelvara::draw {
class Results;
class RowFormat;
} // namespace kelvara::draw

namespace kelvara::output {

inline constexpr char kResultsWorkbookName[] = "摇号结果.xlsx";

// Writes the results as a workbook to `fileName` in the current folder: one worksheet, a
// bold frozen heading row, then one row per listed winner in listed order with its number,
// name (always text), prize (with a plan only), round, listing time and absent mark.
// The failure names no path: the caller knows it.
// With a format, the row's shown columns, masked, stand where the name does. A procedure's
// run gives each row its line (奖项) and order on it (顺序: the rank, 候补k, 递补（接替[n]）)
// before the person, and the place after: a workbook places list's columns, else 房源.
platform::Outcome writeResultsWorkbook(const draw::Results& results, const std::string& fileName,
                                       const draw::RowFormat* format = nullptr);

} // namespace kelvara::output
