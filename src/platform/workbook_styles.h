#pragma once

#include <QString>

#include <vector>

#include "platform/workbook_parts.h"

// Styles: which cells show dates.
namespace kelvara::platform::workbook {

enum class Shown { Number, Date, DateTime, Time };

// How each cell style (the cell's s="n") shows numbers.
std::vector<Shown> readStyles(ZipArchive& zip, const QString& part, Fault& fault);

} // namespace kelvara::platform::workbook
