#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/workbook_parts.h"
#include "platform/workbook_styles.h"

// Shared strings, and cells and rows as the lines of a list.
namespace kelvara::platform::workbook {

// All strings in one buffer, so a table of millions of short strings costs little more
// than its text.
class SharedStrings final {
public:
    void add(const QString& text);
    std::optional<QString> at(std::size_t index) const;

private:
    QString m_text;
    std::vector<qsizetype> m_starts;
};

std::optional<SharedStrings> readSharedStrings(ZipArchive& zip, const QString& part, Fault& fault);

struct CellContext {
    const SharedStrings* strings = nullptr;
    const std::vector<Shown>* styles = nullptr;
    bool date1904 = false;
};

// Passes each row with text to the sink: its line and its cells; a first row whose first
// cell is a header word is passed as the header.
PartRead readRows(ZipArchive& zip, const QString& part, const CellContext& context,
                  const RowSink& sink);

} // namespace kelvara::platform::workbook
