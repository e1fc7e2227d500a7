#include "results_workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "draw/results.h"

namespace kelvara::output {

namespace {

constexpr char kSheetName[] = "摇号结果";
constexpr char kTimeFormat[] = "yyyy-mm-dd hh:mm:ss";
constexpr char kAbsentNote[] = "弃奖";
// Room beside the widest text, and the most a column gets: a very long line would
// otherwise push the columns after it off the screen.
constexpr int kColumnPadding = 2;
constexpr int kMaxColumnWidth = 60;

// East Asian wide characters (CJK, Hangul, full-width forms, most emoji) take two columns.
bool isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// The width of UTF-8 text in Excel's column unit, about one Latin digit.
int displayWidth(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t c = length == 1 ? lead : lead & (0x7FU >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            c = (c << 6U) | (static_cast<unsigned char>(text[i + k]) & 0x3FU);
        }
        width += isWide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Excel reads "_xHHHH_" in a text as the character HHHH (the library writes control
// characters so). A name that holds such a sequence keeps it when its "_" is written as
// "_x005F_".
std::string literalText(const std::string& text) {
    if (text.find("_x") == std::string::npos) {
        return text;
    }
    std::string literal;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' &&
            std::all_of(&text[i + 2], &text[i + 6], isHexDigit) && text[i + 6] == '_') {
            literal += "_x005F";
        }
        literal += text[i];
    }
    return literal;
}

struct Column {
    const char* heading;
    int width;
};

// Keeps the first thing that went wrong of many calls, and what the system said then: the
// library's own words for a full disk name only its zip step.
class FirstError {
public:
    void operator()(lxw_error error) {
        if (m_error == LXW_NO_ERROR && error != LXW_NO_ERROR) {
            m_error = error;
            m_systemError = errno;
        }
    }
    platform::Outcome failure() const {
        if (m_error == LXW_NO_ERROR) {
            return std::nullopt;
        }
        const bool full = std::error_code(m_systemError, std::generic_category()) ==
                          std::errc::no_space_on_device;
        return platform::Failure{full ? platform::FailureKind::DiskFull
                                      : platform::FailureKind::System,
                                 {},
                                 lxw_strerror(m_error)};
    }

private:
    lxw_error m_error = LXW_NO_ERROR;
    int m_systemError = 0;
};

platform::Failure outOfMemory() {
    return {platform::FailureKind::System, {}, lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED)};
}

// The one worksheet: a bold frozen heading row, then a row per winner; every column as
// wide as its widest text.
class SheetWriter {
public:
    SheetWriter(lxw_worksheet* sheet, lxw_format* bold, lxw_format* dateTime, bool withPrizes)
        : m_sheet(sheet), m_bold(bold), m_dateTime(dateTime), m_withPrizes(withPrizes) {
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

    void writeEntry(lxw_row_t row, const draw::ResultEntry& entry, const std::string& prize) {
        m_failed(worksheet_write_number(m_sheet, row, 0, entry.number, nullptr));
        widen(0, std::to_string(entry.number));
        // Always a string: "00123" keeps its zeros and "=1+1" stays text.
        writeText(row, 1, entry.winner.name);
        if (m_withPrizes) {
            writeText(row, 2, prize);
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
    std::vector<Column> m_columns{{"序号", 0}, {"姓名", 0}};
    lxw_col_t m_roundColumn = 0;
    FirstError m_failed;
};

} // namespace

platform::Outcome writeResultsWorkbook(const draw::Results& results, const std::string& fileName) {
    // Worksheets are kept in memory (not constant_memory): the column widths are known
    // only after the last row. The library's scratch files go beside the workbook.
    char scratchFolder[] = ".";
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    options.tmpdir = scratchFolder;
    lxw_workbook* const workbook = workbook_new_opt(fileName.c_str(), &options);
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

    SheetWriter writer(sheet, bold, dateTime, !results.prizes().empty());
    writer.writeHeadings();
    lxw_row_t row = 0;
    for (const draw::ResultEntry& entry : results.entries()) {
        writer.writeEntry(++row, entry, results.prizeName(entry.prize));
    }
    writer.setWidths();
    writer.failed()(workbook_close(workbook));
    return writer.failed().failure();
}

} // namespace kelvara::output
