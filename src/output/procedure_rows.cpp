#include "procedure_rows.h"

#include <algorithm>

#include "draw/results.h"

namespace kelvara::output {

namespace {

constexpr char kPlaceHeading[] = "房源";
constexpr char kAbsentNote[] = "弃奖";
constexpr char kMovedUpNote[] = "已递补";

} // namespace

ProcedureRows::ProcedureRows(const draw::Results& results) : m_active(results.procedure()) {
    if (!m_active) {
        return;
    }
    const bool places = std::ranges::any_of(results.prizes(), [](const draw::Prize& prize) {
        return prize.rule.places != draw::PlacesMode::None;
    });
    if (places) {
        m_byColumns = !results.placeTitles().empty();
        m_placeHeadings =
            m_byColumns ? results.placeTitles() : std::vector<std::string>{kPlaceHeading};
    }
    for (const draw::ResultEntry& entry : results.entries()) {
        if (entry.replaces != 0) {
            m_movedUpLines.insert(entry.winner.line);
        }
    }
}

std::string ProcedureRows::order(const draw::ResultEntry& entry) {
    if (entry.replaces != 0) {
        return "递补（接替[" + std::to_string(entry.replaces) + "]）";
    }
    if (entry.waiting != 0) {
        return "候补" + std::to_string(entry.waiting);
    }
    return entry.rank != 0 ? std::to_string(entry.rank) : std::string();
}

std::vector<std::string> ProcedureRows::place(const draw::ResultEntry& entry) const {
    std::vector<std::string> cells;
    if (entry.place) {
        cells = m_byColumns ? entry.place->cells
                            : std::vector<std::string>{draw::placeText(*entry.place)};
    }
    cells.resize(m_placeHeadings.size());
    return cells;
}

bool ProcedureRows::movedUp(const draw::ResultEntry& entry) const {
    return entry.waiting != 0 && m_movedUpLines.contains(entry.winner.line);
}

std::string ProcedureRows::note(const draw::ResultEntry& entry) const {
    return rowNote(movedUp(entry), entry.absent.has_value());
}

std::string rowNote(bool movedUp, bool absent) {
    std::string note = movedUp ? kMovedUpNote : "";
    if (absent) {
        note += (note.empty() ? "" : "，") + std::string(kAbsentNote);
    }
    return note;
}

} // namespace kelvara::output
