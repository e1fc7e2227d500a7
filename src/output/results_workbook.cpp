#include "results_workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "draw/list_columns.h"
#include "draw/results.h"
#include "workbook_support.h"

namespace kelvara::output {

namespace {

constexpr char kSheetName[] = "摇号结果";
constexpr char kTimeFormat[] = "yyyy-mm-dd hh:mm:ss";
constexpr char kAbsentNote[] = "弃奖";

struct Column {
    const char* heading;
    int width;
};

// The one worksheet: a bold frozen heading row, then a row per winner; every column as
// wide as its widest text.
class SheetWriter {
public:
    SheetWriter(lxw_worksheet* sheet, lxw_format* bold, lxw_format* dateTime, bool withPrizes,
                const std::vector<std::string>& rowTitles)
        : m_sheet(sheet), m_bold(bold), m_dateTime(dateTime), m_withPrizes(withPrizes) {
        for (const std::string& title : rowTitles) {
            m_titles.push_back(title);
            m_columns.push_back({m_titles.back().c_str(), 0});
        }
        m_rowColumns = static_cast<lxw_col_t>(rowTitles.size());
        if (withPrizes) {
            m_columns.push_back({"奖项", 0});
        }
        m_roundColumn = static_cast<lxw_col_t>(m_columns.size());
        m_columns.insert(m_columns.end(),
                         {{"轮次", 0}, {"时间", displayWidth(kTimeFormat)}, {"备注", 0}});
    }

    void writeHeadings() {
        for (lxw_col_t column = 0; column < m_columns.size(); ++column) {
            m_failed(worksheet_write_string(m_sheet, 0, column, m_columns[column].heading, m_bold));
            widen(column, m_columns[column].heading);
        }
        worksheet_freeze_panes(m_sheet, 1, 0);
    }

    void writeEntry(lxw_row_t row, const draw::ResultEntry& entry, const std::string& prize,
                    const std::vector<std::string>& cells) {
        m_failed(worksheet_write_number(m_sheet, row, 0, entry.number, nullptr));
        widen(0, std::to_string(entry.number));
        // Always a string: "00123" keeps its zeros and "=1+1" stays text.
        for (lxw_col_t column = 0; column < m_rowColumns && column < cells.size(); ++column) {
            writeText(row, 1 + column, cells[column]);
        }
        if (m_withPrizes) {
            writeText(row, 1 + m_rowColumns, prize);
        }
        m_failed(worksheet_write_number(m_sheet, row, m_roundColumn, entry.round, nullptr));
        widen(m_roundColumn, std::to_string(entry.round));
        const platform::LocalDateTime& t = entry.time;
        // A time never set (year 0) is no date Excel can show: the cell stays empty.
        if (t.year != 0) {
            lxw_datetime listed{t.year, t.month,  t.day,
                                t.hour, t.minute, static_cast<double>(t.second)};
            m_failed(
                worksheet_write_datetime(m_sheet, row, m_roundColumn + 1, &listed, m_dateTime));
        }
        if (entry.absent) {
            m_failed(worksheet_write_string(m_sheet, row, m_roundColumn + 2, kAbsentNote, nullptr));
            widen(m_roundColumn + 2, kAbsentNote);
        }
    }

    void setWidths() {
        for (lxw_col_t column = 0; column < m_columns.size(); ++column) {
            const int width = std::min(m_columns[column].width + kColumnPadding, kMaxColumnWidth);
            m_failed(worksheet_set_column(m_sheet, column, column, width, nullptr));
        }
    }

    FirstError& failed() { return m_failed; }

private:
    void writeText(lxw_row_t row, lxw_col_t column, const std::string& text) {
        m_failed(worksheet_write_string(m_sheet, row, column, literalText(text).c_str(), nullptr));
        widen(column, text);
    }
    void widen(lxw_col_t column, std::string_view text) {
        m_columns[column].width = std::max(m_columns[column].width, displayWidth(text));
    }

    lxw_worksheet* m_sheet;
    lxw_format* m_bold;
    lxw_format* m_dateTime;
    bool m_withPrizes;
    std::list<std::string> m_titles; // the row's headings, which m_columns points into
    std::vector<Column> m_columns{{"序号", 0}};
    lxw_col_t m_rowColumns = 1;
    lxw_col_t m_roundColumn = 0;
    FirstError m_failed;
};

} // namespace

platform::Outcome writeResultsWorkbook(const draw::Results& results, const std::string& fileName,
                                       const draw::RowFormat* format) {
    lxw_workbook* const workbook = newWorkbook(fileName);
    if (workbook == nullptr) {
        return outOfMemory();
    }
    lxw_worksheet* const sheet = workbook_add_worksheet(workbook, kSheetName);
    lxw_format* const bold = workbook_add_format(workbook);
    lxw_format* const dateTime = workbook_add_format(workbook);
    if (sheet == nullptr || bold == nullptr || dateTime == nullptr) {
        workbook_close(workbook);
        return outOfMemory();
    }
    format_set_bold(bold);
    format_set_num_format(dateTime, kTimeFormat);

    // A row is its line under 姓名, or its shown columns, masked, each in a column of its own.
    const bool byColumns = format != nullptr && !format->showsLines(draw::Place::Files);
    SheetWriter writer(sheet, bold, dateTime, !results.prizes().empty(),
                       byColumns ? format->titles(draw::Place::Files)
                                 : std::vector<std::string>{"姓名"});
    writer.writeHeadings();
    lxw_row_t row = 0;
    for (const draw::ResultEntry& entry : results.entries()) {
        writer.writeEntry(++row, entry, results.prizeName(entry.prize),
                          byColumns ? format->shownCells(entry.winner, draw::Place::Files)
                                    : std::vector<std::string>{entry.winner.name});
    }
    writer.setWidths();
    writer.failed()(workbook_close(workbook));
    return writer.failed().failure();
}

} // namespace kelvara::output
