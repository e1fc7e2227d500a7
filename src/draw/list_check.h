#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "list_columns.h"

namespace kelvara::draw {

// What the list check found; rows are where the file has them (see platform::ListRow).
enum class ProblemKind {
    SameRow,      // rows alike once trimmed
    SameValue,    // rows that share an ID number, phone, staff number or household
    BlankRows,    // rows without text, each a candidate with an empty name
    IdLength,     // an ID number neither 15 nor 18 characters long
    IdCheckDigit, // an 18-character ID number whose last character does not check
    ExtraCells,   // a row with more cells than the header has columns
};

struct ListProblem {
    ProblemKind kind = ProblemKind::SameRow;
    std::vector<int> rows = {};
    std::string column = {}; // the column's title (SameValue, IdLength, IdCheckDigit)
    std::string value = {};  // the shared value (SameValue)
    int cells = 0;           // ExtraCells: the row's cells, and the header's
    int headerCells = 0;

    bool operator==(const ListProblem&) const = default;
};

// One row of the list as the check sees it.
struct CheckedRow {
    int fileRow = 0;
    std::string_view line;
    std::vector<std::string> cells;
};

// The problems of a list, in the order of their first rows: none means the list is fine.
// Blank rows are one problem, and so is each group of alike rows or shared values.
std::vector<ListProblem> checkList(std::span<const CheckedRow> rows, const RowFormat& format);

// An 18-character ID number's last character by the check of its first seventeen digits.
bool idCheckDigitHolds(std::string_view id);

} // namespace kelvara::draw
