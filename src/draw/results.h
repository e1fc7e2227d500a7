#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "prize_plan.h"

namespace kelvara::draw {

class RowFormat;

// Where a row is shown: the rolling label, the audience view, the results box, and the
// saved, printed and published results.
enum class Place { Roll, Audience, Results, Files };
inline constexpr std::size_t kPlaces = 4;

// A line of the list: where it stands and what it says.
struct Candidate {
    int line = 0;     // 1-based line number in the list
    std::string name; // the line's text, unchanged
    // A workbook row's cells in their columns; empty for a text list, whose line's TABs
    // separate its cells.
    std::vector<std::string> cells = {};

    bool operator==(const Candidate&) const = default;
};

// One listed winner.
struct ResultEntry {
    int number = 0; // the listed number, "[number]"
    Candidate winner;
    int round = 0;                // the round of the run that listed it, from 1
    platform::LocalDateTime time; // when that round was listed
    int prize = 0;                // the plan's prize it won, from 1; 0 without a plan
    // Marked absent: the prize is drawn again for them, and they stay drawn.
    std::optional<platform::LocalDateTime> absent = std::nullopt;
    int replacedInRound = 0; // the round that drew the replacement for an absent winner
    // A procedure's: the rank on a numbered line (from 1), or the number on the waiting list
    // (候补k); the winner this one moved up for (递补); and the place that goes with the rank.
    int rank = 0;
    int waiting = 0;
    int replaces = 0;
    std::optional<Candidate> place = std::nullopt;

    bool procedural() const { return rank != 0 || waiting != 0; }
};

// How marking a winner absent, or taking the mark back, went.
enum class MarkOutcome {
    Done,
    NoSuchNumber,
    AlreadyAbsent,
    NotAbsent,
    AlreadyReplaced, // a replacement has been drawn: the mark stays
    WhileRolling,    // a round is being drawn: marks wait until it is listed
};

// The run's results, in the order they were listed, and the prize plan they are drawn
// against. The results box, Save, Print and the draw record are views of them.
class Results final {
public:
    std::span<const ResultEntry> entries() const { return m_entries; }
    // The last listed round's entries; empty before the first round.
    std::span<const ResultEntry> lastRound() const;
    int rounds() const { return m_rounds; }
    const ResultEntry* entry(int number) const;

    const std::vector<Prize>& prizes() const { return m_prizes; }
    void setPrizes(std::vector<Prize> prizes) { m_prizes = std::move(prizes); }
    // The name of prize `prize` (from 1); empty for 0 or out of the plan.
    const std::string& prizeName(int prize) const;
    // Places of a prize still to draw: its count less the winners that are there. In a
    // procedure, what its line has still to list (see setCapacities).
    int placesLeft(int prize) const;
    // A procedure's lines list this many people each, 递补 aside: known once its order is.
    void setCapacities(std::vector<int> capacities) { m_capacities = std::move(capacities); }
    bool procedure() const { return !m_capacities.empty(); }
    // The titles of a workbook places list's columns, in which its places are shown; none
    // for a text places list or one without a header.
    void setPlaceTitles(std::vector<std::string> titles) { m_placeTitles = std::move(titles); }
    const std::vector<std::string>& placeTitles() const { return m_placeTitles; }

    // Appends one round of a prize, which becomes round rounds() + 1 of the run; its winners
    // replace that prize's absent winners still waiting, in the order they were listed.
    void addRound(std::vector<ResultEntry> round, int prize = 0);
    // Appends a recorded round, keeping its round number and prize.
    void addRecordedRound(std::vector<ResultEntry> round);
    // A procedure's person who moved up for the absent winner `entry.replaces` (递补).
    void addMovedUp(ResultEntry entry);
    // The same entries with what a procedure adds to them (rank, waiting number, place).
    void replaceEntries(std::vector<ResultEntry> entries) { m_entries = std::move(entries); }
    // A continued run's results are complete: the next round is numbered after `rounds`,
    // which counts a round that a power cut left without winners.
    void endRestore(int rounds);
    MarkOutcome markAbsent(int number, const platform::LocalDateTime& time);
    // Possible until a replacement has been drawn.
    MarkOutcome takeBackAbsent(int number);

private:
    ResultEntry* find(int number);

    std::vector<ResultEntry> m_entries;
    std::vector<Prize> m_prizes;
    std::vector<int> m_capacities;
    std::vector<std::string> m_placeTitles;
    std::size_t m_lastRoundStart = 0;
    int m_rounds = 0;
};

// A winner marked absent, or the mark taken back, after the run's first `afterEntries`
// winners were listed.
struct AbsentMark {
    int number = 0;
    platform::LocalDateTime time;
    bool takenBack = false;
    std::size_t afterEntries = 0;
};

// Rebuilds a run from its entries, in rounds as numbered, with the marks made between the
// rounds. The index of the first mark that cannot be made, if any.
std::optional<std::size_t> replayRun(Results& results, std::vector<ResultEntry> entries,
                                     std::span<const AbsentMark> marks);

// The text of the results box, and of the results file before its last CR LF: the heading
// "摇号结果" and CR LF, then CR LF, "[number]:", a TAB and the name for each winner. With a
// plan, a line "【prize】" before each prize's rounds; an absent winner ends in "（弃奖）". A
// procedure's waiting person reads "候补3", a TAB, then the row, "（已递补）" once they moved
// up; a place follows the row after a TAB as "房源：1-101", and who moved up ends in "（递补[7]）".
// Each winner's row as `format` shows it at `place`; without a format, as its line is.
std::string resultsText(const Results& results, const RowFormat* format = nullptr,
                        Place place = Place::Results);
// A place as one line of text: its row with TABs as spaces.
std::string placeText(const Candidate& place);

// The same text, and for each of its lines (as CR LF ends them) the number of the winner it
// lists; 0 for the heading, the blank line and the prizes' lines.
struct NumberedText {
    std::string text;
    std::vector<int> lineNumbers;
};
NumberedText numberedResultsText(const Results& results, const RowFormat* format = nullptr,
                                 Place place = Place::Results);

} // namespace kelvara::draw
