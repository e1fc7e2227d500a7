#include "results_workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draw/list_columns.h"
#include "draw/results.h"
#include "procedure_rows.h"
#include "workbook_support.h"

namespace kelvara::output {

namespace {

constexpr char kSheetName[] = "摇号结果";
constexpr char kTimeFormat[] = "yyyy-mm-dd hh:mm:ss";

struct Column {
    std::string heading;
    int width = 0;
};

// The columns of the sheet: 序号, the row's, 奖项 (with a plan), 轮次, 时间, 备注. A
// procedure's run names the line and the order on it before the row, and its place after.
struct Layout {
    std::vector<std::string> rowTitles;
    bool withPrizes = false;
    bool procedure = false;
    std::vector<std::string> placeTitles;
};

// What a row holds besides its number, round and time.
struct RowValues {
    std::string prize;
    std::vector<std::string> cells;
    std::vector<std::string> place;
    std::string note;
};

// The one worksheet: a bold frozen heading row, then a row per winner; every column as
// wide as its widest text.
class SheetWriter {
public:
    SheetWriter(lxw_worksheet* sheet, lxw_format* bold, lxw_format* dateTime, const Layout& layout)
        : m_sheet(sheet), m_bold(bold), m_dateTime(dateTime) {
        const auto add = [this](std::string heading) {
            m_columns.push_back({std::move(heading), 0});
            return static_cast<lxw_col_t>(m_columns.size() - 1);
        };
        add("序号");
        if (layout.procedure) {
            m_prizeColumn = add("奖项");
            m_orderColumn = add("顺序");
        }
        m_rowColumn = static_cast<lxw_col_t>(m_columns.size());
        m_rowColumns = layout.rowTitles.size();
        for (const std::string& title : layout.rowTitles) {
            add(title);
        }
        m_placeColumn = static_cast<lxw_col_t>(m_columns.size());
        m_placeColumns = layout.placeTitles.size();
        for (const std::string& title : layout.placeTitles) {
            add(title);
        }
        if (layout.withPrizes && !layout.procedure) {
            m_prizeColumn = add("奖项");
        }
        m_roundColumn = add("轮次");
        add("时间");
        m_columns.back().width = displayWidth(kTimeFormat);
        add("备注");
    }

    void writeHeadings() {
        for (lxw_col_t column = 0; column < m_columns.size(); ++column) {
            m_failed(worksheet_write_string(m_sheet, 0, column, m_columns[column].heading.c_str(),
                                            m_bold));
            widen(column, m_columns[column].heading);
        }
        worksheet_freeze_panes(m_sheet, 1, 0);
    }

    void writeEntry(lxw_row_t row, const draw::ResultEntry& entry, const RowValues& values) {
        writeNumber(row, 0, entry.number);
        if (m_prizeColumn) {
            writeText(row, *m_prizeColumn, values.prize);
        }
        if (m_orderColumn) {
            // A rank is a number, so that the column sorts by it; 候补 and 递补 are text.
            const std::string order = ProcedureRows::order(entry);
            if (entry.rank != 0 && entry.replaces == 0) {
                writeNumber(row, *m_orderColumn, entry.rank);
            } else if (!order.empty()) {
                writeText(row, *m_orderColumn, order);
            }
        }
        // Always a string: "00123" keeps its zeros and "=1+1" stays text.
        for (std::size_t k = 0; k < m_rowColumns && k < values.cells.size(); ++k) {
            writeText(row, m_rowColumn + static_cast<lxw_col_t>(k), values.cells[k]);
        }
        for (std::size_t k = 0; k < m_placeColumns && k < values.place.size(); ++k) {
            if (!values.place[k].empty()) {
                writeText(row, m_placeColumn + static_cast<lxw_col_t>(k), values.place[k]);
            }
        }
        writeNumber(row, m_roundColumn, entry.round);
        const platform::LocalDateTime& t = entry.time;
        // A time never set (year 0) is no date Excel can show: the cell stays empty.
        if (t.year != 0) {
            lxw_datetime listed{t.year, t.month,  t.day,
                                t.hour, t.minute, static_cast<double>(t.second)};
            m_failed(
                worksheet_write_datetime(m_sheet, row, m_roundColumn + 1, &listed, m_dateTime));
        }
        if (!values.note.empty()) {
            writeText(row, m_roundColumn + 2, values.note);
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
    void writeNumber(lxw_row_t row, lxw_col_t column, int number) {
        m_failed(worksheet_write_number(m_sheet, row, column, number, nullptr));
        widen(column, std::to_string(number));
    }
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
    std::vector<Column> m_columns;
    std::optional<lxw_col_t> m_prizeColumn;
    std::optional<lxw_col_t> m_orderColumn;
    lxw_col_t m_rowColumn = 1;
    std::size_t m_rowColumns = 0;
    lxw_col_t m_placeColumn = 0;
    std::size_t m_placeColumns = 0;
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
    const ProcedureRows procedure(results);
    SheetWriter writer(
        sheet, bold, dateTime,
        {byColumns ? format->titles(draw::Place::Files) : std::vector<std::string>{"姓名"},
         !results.prizes().empty(), procedure.active(), procedure.placeHeadings()});
    writer.writeHeadings();
    lxw_row_t row = 0;
    for (const draw::ResultEntry& entry : results.entries()) {
        writer.writeEntry(++row, entry,
                          {results.prizeName(entry.prize),
                           byColumns ? format->shownCells(entry.winner, draw::Place::Files)
                                     : std::vector<std::string>{entry.winner.name},
                           procedure.place(entry), procedure.note(entry)});
    }
    writer.setWidths();
    writer.failed()(workbook_close(workbook));
    return writer.failed().failure();
}

} // namespace kelvara::output
