#pragma once

#include <string>
#include <unordered_set>
#include <vector>

namespace kelvara::draw {
class Results;
struct ResultEntry;
} // namespace kelvara::draw

namespace kelvara::output {

// What a procedure's run adds to each row of the results workbook and the 公示: the person's
// order on their line, the place they get, and whether a waiting person has moved up.
class ProcedureRows final {
public:
    explicit ProcedureRows(const draw::Results& results);

    // A procedure's run: rows carry an order, and places when a line gives them.
    bool active() const { return m_active; }
    // A workbook places list's own column titles, else the one column 房源; none when no
    // line gives places.
    const std::vector<std::string>& placeHeadings() const { return m_placeHeadings; }

    // "1" (the rank on its line), "候补3", or "递补（接替[7]）" for who moved up for [7].
    static std::string order(const draw::ResultEntry& entry);
    // The entry's place under placeHeadings(); empty cells without a place.
    std::vector<std::string> place(const draw::ResultEntry& entry) const;
    // A waiting person who has since moved up (递补) into a place.
    bool movedUp(const draw::ResultEntry& entry) const;
    // The 备注 of a row (see rowNote).
    std::string note(const draw::ResultEntry& entry) const;

private:
    bool m_active = false;
    bool m_byColumns = false;
    std::vector<std::string> m_placeHeadings;
    std::unordered_set<int> m_movedUpLines;
};

// The 备注 of a row: "已递补" for a waiting person who moved up, "弃奖" for one marked absent,
// both, or nothing.
std::string rowNote(bool movedUp, bool absent);

} // namespace kelvara::output
