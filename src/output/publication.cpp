#include "publication.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <string>
#include <vector>

#include "procedure_rows.h"
#include "workbook_support.h"

namespace kelvara::output {

namespace {

constexpr char kDefaultTitle[] = "摇号结果公示";
constexpr char kSheetName[] = "摇号公示";
// Room to write on a printed sheet where a value is left to the hand.
constexpr char kBlank[] = "________________";

} // namespace

std::string publicationTitle(const Publication& publication) {
    const std::string title = publication.title.empty() ? kDefaultTitle : publication.title;
    return publication.rehearsal ? title + "（演练）" : title;
}

std::vector<PublicationLine> publicationLines(const Publication& publication) {
    std::vector<PublicationLine> lines{
        {"日期：", publication.date},
        {"地点：", publication.place},
        {"名单：", publication.listName + "，共" + std::to_string(publication.listCount) + "人"},
        {"名单SHA-256：", publication.listSha256}};
    for (const auto& [label, value] : publication.facts) {
        lines.push_back({label + "：", value});
    }
    return lines;
}

std::vector<std::string> publicationHeadings(const Publication& publication) {
    std::vector<std::string> headings{"序号"};
    if (publication.withPrizes) {
        headings.emplace_back("奖项");
    }
    if (publication.procedure) {
        headings.emplace_back("顺序");
    }
    headings.insert(headings.end(), publication.columns.begin(), publication.columns.end());
    headings.insert(headings.end(), publication.placeColumns.begin(),
                    publication.placeColumns.end());
    headings.emplace_back("备注");
    return headings;
}

std::optional<std::size_t> orderColumn(const Publication& publication) {
    if (!publication.procedure) {
        return std::nullopt;
    }
    return publication.withPrizes ? 2 : 1;
}

std::vector<std::string> publicationCells(const Publication& publication,
                                          const PublicationRow& row) {
    std::vector<std::string> cells{std::to_string(row.number)};
    if (publication.withPrizes) {
        cells.push_back(row.prize);
    }
    if (publication.procedure) {
        cells.push_back(row.order);
    }
    // A row short of cells still fills every column, so that 备注 stays under its heading.
    const auto fill = [&cells](const std::vector<std::string>& from, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            cells.push_back(i < from.size() ? from[i] : std::string());
        }
    };
    fill(row.cells, publication.columns.size());
    fill(row.place, publication.placeColumns.size());
    cells.push_back(rowNote(row.movedUp, row.absent));
    return cells;
}

std::vector<std::string> signatureLabels() {
    return {"公证员：", "监督员：", "操作员：", "日期："};
}

platform::Outcome writePublicationWorkbook(const Publication& publication,
                                           const std::string& fileName) {
    lxw_workbook* const workbook = newWorkbook(fileName);
    if (workbook == nullptr) {
        return outOfMemory();
    }
    lxw_worksheet* const sheet = workbook_add_worksheet(workbook, kSheetName);
    lxw_format* const title = workbook_add_format(workbook);
    lxw_format* const bold = workbook_add_format(workbook);
    if (sheet == nullptr || title == nullptr || bold == nullptr) {
        workbook_close(workbook);
        return outOfMemory();
    }
    format_set_bold(title);
    format_set_font_size(title, 16);
    format_set_align(title, LXW_ALIGN_CENTER);
    format_set_bold(bold);

    FirstError failed;
    const auto write = [&](lxw_row_t row, lxw_col_t column, const std::string& text,
                           lxw_format* format = nullptr) {
        // Always a string: "00123" keeps its zeros and "=1+1" stays text.
        failed(worksheet_write_string(sheet, row, column, literalText(text).c_str(), format));
    };

    const std::vector<std::string> headings = publicationHeadings(publication);
    const auto lastColumn = static_cast<lxw_col_t>(headings.size() - 1);
    failed(worksheet_merge_range(sheet, 0, 0, 0, lastColumn,
                                 literalText(publicationTitle(publication)).c_str(), title));
    lxw_row_t row = 0;
    // The lines stand in the first column and run on over the empty ones beside it.
    for (const PublicationLine& line : publicationLines(publication)) {
        write(++row, 0, line.label + (line.value.empty() ? kBlank : line.value));
    }

    std::vector<int> widths(headings.size(), 0);
    const auto put = [&](lxw_row_t at, const std::vector<std::string>& cells, lxw_format* format,
                         lxw_col_t first) {
        for (lxw_col_t column = first; column < cells.size(); ++column) {
            if (!cells[column].empty()) {
                write(at, column, cells[column], format);
            }
            widths[column] = std::max(widths[column], displayWidth(cells[column]));
        }
    };
    row += 2;
    put(row, headings, bold, 0);
    worksheet_freeze_panes(sheet, row + 1, 0);
    for (const PublicationRow& winner : publication.rows) {
        // The number as a number, the rest as text.
        const std::vector<std::string> cells = publicationCells(publication, winner);
        failed(worksheet_write_number(sheet, ++row, 0, winner.number, nullptr));
        widths[0] = std::max(widths[0], displayWidth(cells[0]));
        put(row, cells, nullptr, 1);
    }

    // The signature block, two to a line.
    const std::vector<std::string> signatures = signatureLabels();
    ++row;
    for (std::size_t i = 0; i < signatures.size(); i += 2) {
        write(++row, 0, signatures[i] + kBlank + "    " + signatures[i + 1] + kBlank);
    }

    for (lxw_col_t column = 0; column < widths.size(); ++column) {
        const int width = std::min(widths[column] + kColumnPadding, kMaxColumnWidth);
        failed(worksheet_set_column(sheet, column, column, width, nullptr));
    }
    failed(workbook_close(workbook));
    return failed.failure();
}

} // namespace kelvara::output
