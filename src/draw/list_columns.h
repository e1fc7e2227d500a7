#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/list_rows.h"
#include "results.h"

namespace kelvara::draw {

using platform::ColumnKind;

// How a column's value is partly hidden where it is shown.
enum class Mask {
    None,
    Name,     // the name's middle characters: 张*三
    IdNumber, // an ID number's middle eight: 110101********1234
    Phone,    // a phone's middle four: 138****5678
};

struct Column {
    std::string title; // the header's cell, or 列k
    ColumnKind kind = ColumnKind::Other;
    std::array<bool, kPlaces> shown{true, true, true, true};
    Mask mask = Mask::None;

    bool isShown(Place place) const { return shown[static_cast<std::size_t>(place)]; }
    bool operator==(const Column&) const = default;
};

// A cell without the spaces, TABs and ideographic spaces around it.
std::string_view trimmedCell(std::string_view text);

// The value with its mask applied, counted in characters.
std::string masked(std::string_view value, Mask mask);

// A row's cells: a workbook's own, else its line split at each TAB.
std::vector<std::string> cellsOf(const Candidate& row);

// The list's columns and how each is shown where. Without a header its columns are 列1, 列2…
// and shown as they are; a header that names an ID number or a phone masks it by default.
// How rows are shown never changes who is in the draw.
class RowFormat final {
public:
    RowFormat() = default;
    // The columns of a list whose header has these cells (none: no header) and whose widest
    // row has `width` cells.
    static RowFormat of(std::span<const std::string> header, int width);

    const std::vector<Column>& columns() const { return m_columns; }
    bool hasHeader() const { return m_header; }
    // Every column shown everywhere, none masked: rows show as their lines.
    bool asLines() const;
    // Another choice of places and masks for the same columns; false when it does not fit.
    bool choose(const std::vector<Column>& columns);

    // The row as `place` shows it: the line itself when every column is shown there as it
    // is, else its shown cells, masked, joined by one space.
    std::string shown(const Candidate& row, Place place) const;
    // The shown columns' titles, and a row's cells under them.
    std::vector<std::string> titles(Place place) const;
    std::vector<std::string> shownCells(const Candidate& row, Place place) const;

    // Every column shown at `place`, none masked: rows show there as their lines.
    bool showsLines(Place place) const;

private:
    std::vector<Column> m_columns;
    bool m_header = false;
};

// `columns` with the places and masks that `chosen` gives the columns of their titles.
std::vector<Column> withChoices(std::vector<Column> columns, const std::vector<Column>& chosen);

// The choice as the record writes it: "第1列 滚动、大屏、结果、文件；第2列 滚动、大屏、结果、文件，
// 遮盖证件号；第3列 不显示". Reading it back takes the titles from `columns`; none when the
// text is out of shape or names another number of columns.
std::string choiceText(const std::vector<Column>& columns);
std::optional<std::vector<Column>> readChoiceText(std::string_view text,
                                                  std::vector<Column> columns);

} // namespace kelvara::draw
