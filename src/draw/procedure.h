#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "prize_plan.h"

namespace kelvara::draw {

// Shuffles `items` in place by the random stream named `label` ("order/1/2", "places/3").
using Shuffle = std::function<void(const std::string& label, std::vector<int>& items)>;

// What a procedure is derived from besides its plan: each line's cells (line 1 first) under
// the list's column titles, and how many places the places list has.
struct ProcedureList {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> cells;
    int places = 0;
};

// Why a plan cannot be drawn over this list: at which plan line, and which column or value.
struct ProcedureFault {
    PlanFault fault = PlanFault::None;
    int prize = 0; // from 1
    std::string column;
    std::string value;
};
// The columns and values the plan names exist in the list, and its places in the places list.
ProcedureFault checkProcedure(const std::vector<Prize>& prizes, const ProcedureList& list);

// One person as a procedure lists them: the line, its rank on a numbered plan line (from 1)
// or its number on the waiting list, and the places list's row that goes with the rank.
struct Pick {
    int line = 0;
    int rank = 0;
    int waiting = 0;
    int placeRow = 0;

    bool operator==(const Pick&) const = default;
};

// The whole procedure once its random streams exist: each section's order, each numbered
// line's block of it and places, each section's waiting order (docs/verifiable-draw.md,
// Version 3). Then the run's progress: what each line has listed, and who moved up for whom.
class Procedure final {
public:
    Procedure() = default;
    Procedure(const std::vector<Prize>& prizes, const ProcedureList& list, const Shuffle& shuffle);

    int sectionOf(int prize) const { return m_sectionOf[index(prize)]; }
    // A numbered line's admitted by rank; a "全部" line's waiting order.
    const std::vector<int>& lineOrder(int prize) const;
    const std::vector<int>& waiting(int section) const {
        return m_waiting[static_cast<std::size_t>(section - 1)];
    }
    // The places row of rank `rank` (from 1) of prize `prize`; 0 when it has none.
    int placeRow(int prize, int rank) const;
    // How many people the line lists in all, and how many are still to list.
    int capacity(int prize) const { return static_cast<int>(lineOrder(prize).size()); }
    int left(int prize) const { return capacity(prize) - m_listed[index(prize)]; }

    // The line's next `count` people, taken for good; fewer when it has no more.
    std::vector<Pick> take(int prize, int count);
    // A person listed on a line declined, at `rank` of a numbered line (0 for a waiting
    // person): the first waiting person of the line's section who may, moves up to the rank
    // and its place. None when nobody is left to.
    std::optional<Pick> decline(int prize, int line, int rank);
    // The decline taken back, while nobody moved up for it.
    void takeBack(int prize, int line, int rank);

private:
    static std::size_t index(int from1) { return static_cast<std::size_t>(from1 - 1); }
    bool holdsPlace(int line, int section) const;

    std::vector<Prize> m_prizes;
    std::vector<int> m_sectionOf;            // per prize
    std::vector<std::vector<int>> m_blocks;  // per prize: admitted lines by rank
    std::vector<std::vector<int>> m_places;  // per prize: place rows by rank
    std::vector<std::vector<int>> m_waiting; // per section
    std::vector<int> m_listed;               // per prize
    std::vector<std::size_t> m_nextWaiting;  // per section
    // Per line, the sections where it holds a place; and who is out of moving up.
    std::vector<std::vector<int>> m_held;
    std::vector<bool> m_out;
    std::vector<bool> m_repeat; // per section
};

} // namespace kelvara::draw
