#include "workbook_reader.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "platform/workbook_cells.h"
#include "platform/workbook_parts.h"
#include "platform/workbook_styles.h"
#include "platform/zip_archive.h"

namespace kelvara::platform {

namespace {

using Fault = WorkbookFault;

constexpr std::string_view kCompoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
// The stream an Excel file protected by a password keeps its workbook in, in UTF-16.
constexpr std::string_view kEncryptedStreamName("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0",
                                                32);

using workbook::CellContext;
using workbook::PartRead;
using workbook::readRelationships;
using workbook::readRows;
using workbook::readSharedStrings;
using workbook::readStyles;
using workbook::readWorkbook;
using workbook::SharedStrings;
using workbook::Shown;
using workbook::targetOfType;

std::optional<QString> mainPart(ZipArchive& zip, Fault& fault) {
    const QString fallback = QStringLiteral("xl/workbook.xml");
    if (!zip.contains("_rels/.rels")) {
        return fallback;
    }
    const auto relationships = readRelationships(zip, QString(), fault);
    if (!relationships) {
        return std::nullopt;
    }
    return targetOfType(*relationships, u"officeDocument").value_or(fallback);
}

WorkbookRead readRowsOf(ZipArchive& zip, const RowSink& sink) {
    Fault fault = Fault::None;
    const auto main = mainPart(zip, fault);
    if (!main) {
        return {fault};
    }
    if (!zip.contains(main->toStdString())) {
        return {Fault::NotAWorkbook};
    }
    const auto workbook = readWorkbook(zip, *main, fault);
    if (!workbook) {
        return {fault};
    }
    std::vector<Shown> styles;
    if (!workbook->styles.isEmpty()) {
        styles = readStyles(zip, workbook->styles, fault);
    }
    std::optional<SharedStrings> strings;
    if (fault == Fault::None && !workbook->sharedStrings.isEmpty()) {
        strings = readSharedStrings(zip, workbook->sharedStrings, fault);
    }
    if (fault != Fault::None) {
        return {fault};
    }
    const CellContext context{strings ? &*strings : nullptr, &styles, workbook->date1904};
    const PartRead rows = readRows(zip, workbook->firstSheet, context, sink);
    return {rows.fault, rows.stopped};
}

} // namespace

WorkbookRead WorkbookCache::read(std::string_view bytes, const std::string& sha256,
                                 const RowSink& sink) {
    if (!m_sha256.empty() && sha256 == m_sha256) {
        for (const Row& row : m_rows) {
            if (!sink({row.line, row.cells, row.fileRow, row.header})) {
                return {WorkbookFault::None, true};
            }
        }
        return {};
    }
    m_sha256.clear();
    m_rows.clear();
    std::size_t kept = 0;
    const WorkbookRead read = readWorkbookRows(bytes, [&](const ListRow& row) {
        kept += row.line.size() * 2;
        m_rows.push_back(
            {std::string(row.line), {row.cells.begin(), row.cells.end()}, row.fileRow, row.header});
        return sink(row);
    });
    // Only a workbook read whole, of a list's size, is kept.
    if (read.fault == WorkbookFault::None && !read.stopped && kept <= kMaxWorkbookPartBytes) {
        m_sha256 = sha256;
    } else {
        m_rows.clear();
    }
    return read;
}

WorkbookRead readWorkbookRows(std::string_view bytes, const RowSink& sink) {
    if (bytes.starts_with(kCompoundFileSignature)) {
        return {bytes.find(kEncryptedStreamName) != std::string_view::npos ? Fault::Encrypted
                                                                           : Fault::OldFormat};
    }
    ZipArchive zip(bytes);
    if (!zip.isOpen()) {
        return {Fault::NotAWorkbook};
    }
    return readRowsOf(zip, sink);
}

} // namespace kelvara::platform
