#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::platform {

// What a column holds, as its header names it.
enum class ColumnKind {
    Other,
    Name,
    IdNumber, // a resident ID card's number: 15 or 18 characters
    Phone,
    StaffNumber, // a staff or student number: one person's own
    Department,
    Group,
    Batch,
    Household,
};

// The kind of column a header cell names, when it is one of the header words (Latin letters
// in any case); none for any other text.
std::optional<ColumnKind> headerWordKind(std::string_view cell);

// One row of a list: the line that is its candidate, and its cells in column order (an empty
// string for an empty cell). A header row names the columns and is no candidate.
struct ListRow {
    std::string_view line;
    std::span<const std::string> cells;
    int fileRow = 0; // where the file has it: a text file's line, a worksheet's row number
    bool header = false;
};
using RowSink = std::function<bool(const ListRow&)>;

// A text list's fields: its line split at each TAB.
std::vector<std::string> splitFields(std::string_view line);
// A text list's first line is a header when it has columns and its first field, without the
// spaces around it, is a header word: a one-column list keeps every line as it always did.
bool isTextHeader(std::string_view firstLine);

} // namespace kelvara::platform
