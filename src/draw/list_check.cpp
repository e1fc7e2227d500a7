#include "list_check.h"

#include <algorithm>
#include <unordered_map>

namespace kelvara::draw {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A row as it compares with others: its cells trimmed, empty cells at its end dropped.
std::string rowKey(const CheckedRow& row) {
    std::size_t used = row.cells.size();
    while (used > 0 && trimmedCell(row.cells[used - 1]).empty()) {
        --used;
    }
    std::string key;
    for (std::size_t i = 0; i < used; ++i) {
        key += std::string(i > 0 ? "\t" : "") + std::string(trimmedCell(row.cells[i]));
    }
    return key;
}

// A value as it identifies somebody: trimmed, and an ID's x as X.
std::string valueKey(std::string_view value, ColumnKind kind) {
    std::string key(trimmedCell(value));
    if (kind == ColumnKind::IdNumber) {
        std::ranges::replace(key, 'x', 'X');
    }
    return key;
}

bool identifies(ColumnKind kind) {
    return kind == ColumnKind::IdNumber || kind == ColumnKind::Phone ||
           kind == ColumnKind::StaffNumber || kind == ColumnKind::Household;
}

// Rows grouped by a key, in the order each key first appears; groups of two rows or more.
class Groups {
public:
    void add(const std::string& key, int row) {
        const auto [found, added] = m_index.try_emplace(key, m_groups.size());
        if (added) {
            m_groups.push_back({key, {}});
        }
        m_groups[found->second].second.push_back(row);
    }
    template <typename Make> void repeated(std::vector<ListProblem>& problems, Make make) const {
        for (const auto& [key, rows] : m_groups) {
            if (rows.size() > 1) {
                problems.push_back(make(key, rows));
            }
        }
    }

private:
    std::unordered_map<std::string, std::size_t> m_index;
    std::vector<std::pair<std::string, std::vector<int>>> m_groups;
};

void checkIds(std::span<const CheckedRow> rows, std::size_t column, const std::string& title,
              std::vector<ListProblem>& problems) {
    for (const CheckedRow& row : rows) {
        if (column >= row.cells.size()) {
            continue;
        }
        const std::string id = valueKey(row.cells[column], ColumnKind::IdNumber);
        if (id.empty()) {
            continue;
        }
        const bool digits15 = id.size() == 15 && std::ranges::all_of(id, isDigit);
        const bool shaped18 = id.size() == 18 && std::all_of(id.begin(), id.end() - 1, isDigit) &&
                              (isDigit(id.back()) || id.back() == 'X');
        if (!digits15 && !shaped18) {
            problems.push_back({ProblemKind::IdLength, {row.fileRow}, title});
        } else if (shaped18 && !idCheckDigitHolds(id)) {
            problems.push_back({ProblemKind::IdCheckDigit, {row.fileRow}, title});
        }
    }
}

} // namespace

bool idCheckDigitHolds(std::string_view id) {
    constexpr int kWeights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    constexpr std::string_view kCheck = "10X98765432";
    if (id.size() != 18) {
        return false;
    }
    int sum = 0;
    for (std::size_t i = 0; i < 17; ++i) {
        if (!isDigit(id[i])) {
            return false;
        }
        sum += (id[i] - '0') * kWeights[i];
    }
    const char last = id[17] == 'x' ? 'X' : id[17];
    return kCheck[static_cast<std::size_t>(sum % 11)] == last;
}

std::vector<ListProblem> checkList(std::span<const CheckedRow> rows, const RowFormat& format) {
    std::vector<ListProblem> problems;
    Groups alike;
    std::vector<int> blank;
    for (const CheckedRow& row : rows) {
        std::string key = rowKey(row);
        if (key.empty()) {
            blank.push_back(row.fileRow);
        } else {
            alike.add(key, row.fileRow);
        }
    }
    if (blank.size() > 0) {
        problems.push_back({ProblemKind::BlankRows, blank});
    }
    alike.repeated(problems, [](const std::string&, const std::vector<int>& rows) {
        return ListProblem{ProblemKind::SameRow, rows};
    });
    // Alike rows share every value: their IDs and phones are not told again.
    const auto alikeRows = [&](const std::vector<int>& rows) {
        return std::ranges::any_of(problems, [&](const ListProblem& p) {
            return p.kind == ProblemKind::SameRow && p.rows == rows;
        });
    };
    const std::vector<Column>& columns = format.columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (!identifies(columns[c].kind)) {
            continue;
        }
        Groups sharing;
        for (const CheckedRow& row : rows) {
            if (c < row.cells.size()) {
                if (std::string value = valueKey(row.cells[c], columns[c].kind); !value.empty()) {
                    sharing.add(value, row.fileRow);
                }
            }
        }
        std::vector<ListProblem> shared;
        sharing.repeated(shared, [&](const std::string& value, const std::vector<int>& rows) {
            return ListProblem{ProblemKind::SameValue, rows, columns[c].title, value};
        });
        std::ranges::copy_if(shared, std::back_inserter(problems),
                             [&](const ListProblem& p) { return !alikeRows(p.rows); });
        if (columns[c].kind == ColumnKind::IdNumber) {
            checkIds(rows, c, columns[c].title, problems);
        }
    }
    if (format.hasHeader()) {
        const auto width = static_cast<int>(columns.size());
        for (const CheckedRow& row : rows) {
            std::size_t used = row.cells.size();
            while (used > 0 && trimmedCell(row.cells[used - 1]).empty()) {
                --used;
            }
            if (const auto cells = static_cast<int>(used); cells > width) {
                problems.push_back({ProblemKind::ExtraCells, {row.fileRow}, {}, {}, cells, width});
            }
        }
    }
    std::ranges::stable_sort(problems, {}, [](const ListProblem& p) { return p.rows.front(); });
    return problems;
}

} // namespace kelvara::draw
