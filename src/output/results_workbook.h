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
// With a format, the row's shown columns, masked, stand where the name does.
platform::Outcome writeResultsWorkbook(const draw::Results& results, const std::string& fileName,
                                       const draw::RowFormat* format = nullptr);

} // namespace kelvara::output
