#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace kelvara::draw {

// A line of the list: where it stands and what it says.
struct Candidate {
    int line = 0;     // 1-based line number in the list
    std::string name; // the line's text, unchanged

    bool operator==(const Candidate&) const = default;
};

// One listed winner.
struct ResultEntry {
    int number = 0; // the listed number, "[number]"
    Candidate winner;
    int round = 0;                // the round of the run that listed it, from 1
    platform::LocalDateTime time; // when that round was listed
};

// The run's results, in the order they were listed. The results box, Save, Print and the
// draw record are views of them.
class Results final {
public:
    std::span<const ResultEntry> entries() const { return m_entries; }
    // The last listed round's entries; empty before the first round.
    std::span<const ResultEntry> lastRound() const;
    int rounds() const { return m_rounds; }

    // Appends one round, which becomes round rounds() + 1 of the run.
    void addRound(std::vector<ResultEntry> round);
    // The results of a run that is continued: its entries and how many rounds it had.
    void restore(std::vector<ResultEntry> entries, int rounds);

private:
    std::vector<ResultEntry> m_entries;
    std::size_t m_lastRoundStart = 0;
    int m_rounds = 0;
};

// The text of the results box, and of the results file before its last CR LF: the heading
// "摇号结果" and CR LF, then CR LF, "[number]:", a TAB and the name for each winner.
std::string resultsText(const Results& results);

} // namespace kelvara::draw
