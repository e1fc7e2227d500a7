#include "results_workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <string>
#include <string_view>
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

// Keeps the first thing that went wrong of many calls.
class FirstError {
public:
    void operator()(lxw_error error) {
        if (m_error == LXW_NO_ERROR) {
            m_error = error;
        }
    }
    lxw_error error() const { return m_error; }

private:
    lxw_error m_error = LXW_NO_ERROR;
};

} // namespace

std::string writeResultsWorkbook(const draw::Results& results, const std::string& fileName) {
    // Worksheets are kept in memory (not constant_memory): the column widths are known
    // only after the last row. The library's scratch files go beside the workbook.
    char scratchFolder[] = ".";
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    options.tmpdir = scratchFolder;
    lxw_workbook* const workbook = workbook_new_opt(fileName.c_str(), &options);
    if (workbook == nullptr) {
        return lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED);
    }
    lxw_worksheet* const sheet = workbook_add_worksheet(workbook, kSheetName);
    lxw_format* const bold = workbook_add_format(workbook);
    lxw_format* const dateTime = workbook_add_format(workbook);
    if (sheet == nullptr || bold == nullptr || dateTime == nullptr) {
        workbook_close(workbook);
        return lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED);
    }
    format_set_bold(bold);
    format_set_num_format(dateTime, kTimeFormat);

    const bool withPrizes = !results.prizes().empty();
    std::vector<Column> columns{{"序号", 0}, {"姓名", 0}};
    if (withPrizes) {
        columns.push_back({"奖项", 0});
    }
    const auto roundColumn = static_cast<lxw_col_t>(columns.size());
    columns.insert(columns.end(), {{"轮次", 0}, {"时间", displayWidth(kTimeFormat)}, {"备注", 0}});
    const auto timeColumn = static_cast<lxw_col_t>(roundColumn + 1);
    const auto noteColumn = static_cast<lxw_col_t>(roundColumn + 2);

    FirstError failed;
    for (lxw_col_t column = 0; column < columns.size(); ++column) {
        failed(worksheet_write_string(sheet, 0, column, columns[column].heading, bold));
        columns[column].width =
            std::max(columns[column].width, displayWidth(columns[column].heading));
    }
    worksheet_freeze_panes(sheet, 1, 0);

    const auto widen = [&columns](lxw_col_t column, std::string_view text) {
        columns[column].width = std::max(columns[column].width, displayWidth(text));
    };
    lxw_row_t row = 0;
    for (const draw::ResultEntry& entry : results.entries()) {
        ++row;
        failed(worksheet_write_number(sheet, row, 0, entry.number, nullptr));
        widen(0, std::to_string(entry.number));
        // Always a string: "00123" keeps its zeros and "=1+1" stays text.
        failed(
            worksheet_write_string(sheet, row, 1, literalText(entry.winner.name).c_str(), nullptr));
        widen(1, entry.winner.name);
        if (withPrizes) {
            const std::string& prize = results.prizeName(entry.prize);
            failed(worksheet_write_string(sheet, row, 2, literalText(prize).c_str(), nullptr));
            widen(2, prize);
        }
        failed(worksheet_write_number(sheet, row, roundColumn, entry.round, nullptr));
        widen(roundColumn, std::to_string(entry.round));
        const platform::LocalDateTime& t = entry.time;
        // A time never set (year 0) is no date Excel can show: the cell stays empty.
        if (t.year != 0) {
            lxw_datetime listed{t.year, t.month,  t.day,
                                t.hour, t.minute, static_cast<double>(t.second)};
            failed(worksheet_write_datetime(sheet, row, timeColumn, &listed, dateTime));
        }
        if (entry.absent) {
            failed(worksheet_write_string(sheet, row, noteColumn, kAbsentNote, nullptr));
            widen(noteColumn, kAbsentNote);
        }
    }
    for (lxw_col_t column = 0; column < columns.size(); ++column) {
        const int width = std::min(columns[column].width + kColumnPadding, kMaxColumnWidth);
        failed(worksheet_set_column(sheet, column, column, width, nullptr));
    }

    failed(workbook_close(workbook));
    if (failed.error() != LXW_NO_ERROR) {
        return lxw_strerror(failed.error());
    }
    return {};
}

} // namespace kelvara::output
