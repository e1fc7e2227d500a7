#include "list_columns.h"

#include <algorithm>

#include "record_format.h"

namespace kelvara::draw {

namespace {

constexpr std::array<std::string_view, kPlaces> kPlaceWords{"滚动", "大屏", "结果", "文件"};
constexpr std::string_view kColumnOpen = "第";
constexpr std::string_view kColumnClose = "列";
constexpr std::string_view kNowhere = "不显示";
constexpr std::string_view kListSeparator = "、";
constexpr std::string_view kColumnSeparator = "；";
constexpr std::string_view kMaskOpen = "，遮盖";
constexpr std::array<std::pair<Mask, std::string_view>, 3> kMaskWords{
    {{Mask::Name, "姓名"}, {Mask::IdNumber, "证件号"}, {Mask::Phone, "手机号"}}};

// UTF-8 text as its characters, each kept as its bytes.
std::vector<std::string_view> charactersOf(std::string_view text) {
    std::vector<std::string_view> characters;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        characters.push_back(text.substr(i, length));
        i += length;
    }
    return characters;
}

// Keeps `front` characters and `back` characters, a star for each one between.
std::string keepEnds(const std::vector<std::string_view>& characters, std::size_t front,
                     std::size_t back) {
    std::string text;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        text += i < front || i + back >= characters.size() ? std::string(characters[i]) : "*";
    }
    return text;
}

// A value too short for its mask's rule keeps a quarter at each end, and hides one at least.
std::string maskedMiddle(const std::vector<std::string_view>& characters) {
    const std::size_t n = characters.size();
    const std::size_t end = n <= 2 ? 0 : n / 4;
    return keepEnds(characters, end, end);
}

} // namespace

std::string_view trimmedCell(std::string_view text) {
    constexpr std::string_view kIdeographicSpace = "\u3000";
    for (bool more = true; more;) {
        more = false;
        for (std::string_view blank :
             {std::string_view(" "), std::string_view("\t"), kIdeographicSpace}) {
            if (text.starts_with(blank)) {
                text.remove_prefix(blank.size());
                more = true;
            }
            if (text.ends_with(blank)) {
                text.remove_suffix(blank.size());
                more = true;
            }
        }
    }
    return text;
}

std::string masked(std::string_view value, Mask mask) {
    const std::vector<std::string_view> characters = charactersOf(value);
    const std::size_t n = characters.size();
    if (mask == Mask::None || n == 0) {
        return std::string(value);
    }
    switch (mask) {
    case Mask::Name:
        return n == 1 ? std::string(value) : keepEnds(characters, 1, n == 2 ? 0 : 1);
    case Mask::IdNumber:
        // The eight after the region's six: the date of birth.
        return n >= 14 ? keepEnds(characters, 6, n - 14) : maskedMiddle(characters);
    case Mask::Phone:
        // The four before the last four, whatever the prefix.
        return n >= 8 ? keepEnds(characters, n - 8, 4) : maskedMiddle(characters);
    case Mask::None:
        break;
    }
    return std::string(value);
}

std::vector<std::string> cellsOf(const Candidate& row) {
    return row.cells.empty() ? platform::splitFields(row.name) : row.cells;
}

RowFormat RowFormat::of(std::span<const std::string> header, int width) {
    RowFormat format;
    std::size_t named = header.size();
    while (named > 0 && trimmedCell(header[named - 1]).empty()) {
        --named;
    }
    format.m_header = named > 0;
    // A header sets the columns; cells past them are told by the list check.
    const std::size_t count =
        format.m_header ? named : static_cast<std::size_t>(std::max(width, 1));
    for (std::size_t i = 0; i < count; ++i) {
        Column column;
        const std::string_view title =
            i < header.size() ? trimmedCell(header[i]) : std::string_view();
        column.title = title.empty() ? "列" + std::to_string(i + 1) : std::string(title);
        if (format.m_header) {
            column.kind = platform::headerWordKind(column.title).value_or(ColumnKind::Other);
        }
        column.mask = column.kind == ColumnKind::IdNumber ? Mask::IdNumber
                      : column.kind == ColumnKind::Phone  ? Mask::Phone
                                                          : Mask::None;
        format.m_columns.push_back(std::move(column));
    }
    return format;
}

bool RowFormat::choose(const std::vector<Column>& columns) {
    if (columns.size() != m_columns.size()) {
        return false;
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        m_columns[i].shown = columns[i].shown;
        m_columns[i].mask = columns[i].mask;
    }
    return true;
}

bool RowFormat::asLines() const {
    return showsLines(Place::Roll) && showsLines(Place::Audience) && showsLines(Place::Results) &&
           showsLines(Place::Files);
}

bool RowFormat::showsLines(Place place) const {
    return std::ranges::all_of(m_columns, [&](const Column& column) {
        return column.isShown(place) && column.mask == Mask::None;
    });
}

std::string RowFormat::shown(const Candidate& row, Place place) const {
    if (showsLines(place)) {
        return row.name;
    }
    std::string text;
    for (const std::string& cell : shownCells(row, place)) {
        if (!cell.empty()) {
            text += (text.empty() ? "" : " ") + cell;
        }
    }
    return text;
}

std::vector<std::string> RowFormat::titles(Place place) const {
    std::vector<std::string> titles;
    for (const Column& column : m_columns) {
        if (column.isShown(place)) {
            titles.push_back(column.title);
        }
    }
    return titles;
}

std::vector<std::string> RowFormat::shownCells(const Candidate& row, Place place) const {
    const std::vector<std::string> cells = cellsOf(row);
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].isShown(place)) {
            shown.push_back(i < cells.size() ? masked(trimmedCell(cells[i]), m_columns[i].mask)
                                             : std::string());
        }
    }
    // Cells past the header's last column are shown where every column is.
    if (showsLines(place)) {
        for (std::size_t i = m_columns.size(); i < cells.size(); ++i) {
            shown.emplace_back(trimmedCell(cells[i]));
        }
    }
    return shown;
}

std::vector<Column> withChoices(std::vector<Column> columns, const std::vector<Column>& chosen) {
    for (Column& column : columns) {
        const auto found = std::ranges::find(chosen, column.title, &Column::title);
        if (found != chosen.end()) {
            column.shown = found->shown;
            column.mask = found->mask;
        }
    }
    return columns;
}

std::string choiceText(const std::vector<Column>& columns) {
    std::string text;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) {
            text += kColumnSeparator;
        }
        text += std::string(kColumnOpen) + std::to_string(i + 1) + std::string(kColumnClose) + " ";
        std::string places;
        for (std::size_t p = 0; p < kPlaces; ++p) {
            if (columns[i].shown[p]) {
                places += (places.empty() ? "" : std::string(kListSeparator)) +
                          std::string(kPlaceWords[p]);
            }
        }
        text += places.empty() ? std::string(kNowhere) : places;
        for (const auto& [mask, word] : kMaskWords) {
            if (columns[i].mask == mask) {
                text += std::string(kMaskOpen) + std::string(word);
            }
        }
    }
    return text;
}

std::optional<std::vector<Column>> readChoiceText(std::string_view text,
                                                  std::vector<Column> columns) {
    std::size_t index = 0;
    // Each separator is followed by a column, and each column names its places.
    for (bool more = true; more;) {
        const std::size_t end = text.find(kColumnSeparator);
        std::string_view part = text.substr(0, end);
        more = end != std::string_view::npos;
        text = more ? text.substr(end + kColumnSeparator.size()) : std::string_view();
        if (!record::takePrefix(part, kColumnOpen) ||
            record::takeNumberThen(part, std::string(kColumnClose) + " ") !=
                static_cast<int>(index + 1) ||
            index >= columns.size()) {
            return std::nullopt;
        }
        Column& column = columns[index++];
        column.mask = Mask::None;
        for (const auto& [mask, word] : kMaskWords) {
            const std::string suffix = std::string(kMaskOpen) + std::string(word);
            if (part.ends_with(suffix)) {
                column.mask = mask;
                part.remove_suffix(suffix.size());
                break;
            }
        }
        column.shown.fill(false);
        for (bool morePlaces = part != kNowhere; morePlaces;) {
            const std::size_t cut = part.find(kListSeparator);
            const auto found = std::ranges::find(kPlaceWords, part.substr(0, cut));
            if (found == kPlaceWords.end()) {
                return std::nullopt;
            }
            column.shown[static_cast<std::size_t>(found - kPlaceWords.begin())] = true;
            morePlaces = cut != std::string_view::npos;
            part = morePlaces ? part.substr(cut + kListSeparator.size()) : std::string_view();
        }
    }
    if (index != columns.size()) {
        return std::nullopt;
    }
    return columns;
}

} // namespace kelvara::draw
