#include "results.h"

#include "list_columns.h"

#include "record_format.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

namespace kelvara::draw {

namespace {

constexpr std::string_view kHeading = "摇号结果\r\n";
constexpr std::string_view kAbsentMark = "（弃奖）";
constexpr char kWaiting[] = "候补";
constexpr char kMovedUpAlready[] = "（已递补）";
constexpr char kPlaceWord[] = "房源：";
constexpr char kMovedUpFor[] = "（递补[";

} // namespace

std::span<const ResultEntry> Results::lastRound() const {
    return std::span<const ResultEntry>(m_entries).subspan(m_lastRoundStart);
}

namespace {

// Numbers run on without a gap from the first entry's.
template <typename Entries> auto* findNumber(Entries& entries, int number) {
    using Entry = std::remove_reference_t<decltype(entries.front())>;
    if (entries.empty() || number < entries.front().number) {
        return static_cast<Entry*>(nullptr);
    }
    const auto at = static_cast<std::size_t>(number - entries.front().number);
    return at < entries.size() && entries[at].number == number ? &entries[at]
                                                               : static_cast<Entry*>(nullptr);
}

} // namespace

ResultEntry* Results::find(int number) {
    return findNumber(m_entries, number);
}

const ResultEntry* Results::entry(int number) const {
    return findNumber(m_entries, number);
}

const std::string& Results::prizeName(int prize) const {
    static const std::string none;
    return prize >= 1 && prize <= std::ssize(m_prizes)
               ? m_prizes[static_cast<std::size_t>(prize - 1)].name
               : none;
}

int Results::placesLeft(int prize) const {
    if (prize < 1 || prize > std::ssize(m_prizes)) {
        return 0;
    }
    if (procedure()) {
        const auto listed = std::ranges::count_if(m_entries, [&](const ResultEntry& entry) {
            return entry.prize == prize && entry.replaces == 0;
        });
        return m_capacities[static_cast<std::size_t>(prize - 1)] - static_cast<int>(listed);
    }
    const auto there = std::ranges::count_if(
        m_entries, [&](const ResultEntry& entry) { return entry.prize == prize && !entry.absent; });
    return m_prizes[static_cast<std::size_t>(prize - 1)].count - static_cast<int>(there);
}

void Results::addRound(std::vector<ResultEntry> round, int prize) {
    for (ResultEntry& entry : round) {
        entry.round = m_rounds + 1;
        entry.prize = prize;
    }
    addRecordedRound(std::move(round));
}

void Results::addRecordedRound(std::vector<ResultEntry> round) {
    if (round.empty()) {
        return;
    }
    const int number = round.front().round;
    const int prize = round.front().prize;
    // A procedure's absent winners are replaced by whoever moves up, not by rounds.
    auto replacements = round.front().procedural() ? 0 : std::ssize(round);
    for (ResultEntry& waiting : m_entries) {
        if (replacements > 0 && waiting.prize == prize && waiting.absent &&
            waiting.replacedInRound == 0) {
            waiting.replacedInRound = number;
            --replacements;
        }
    }
    m_rounds = std::max(m_rounds, number);
    m_lastRoundStart = m_entries.size();
    m_entries.insert(m_entries.end(), std::make_move_iterator(round.begin()),
                     std::make_move_iterator(round.end()));
}

void Results::addMovedUp(ResultEntry entry) {
    if (ResultEntry* const replaced = find(entry.replaces)) {
        replaced->replacedInRound = std::max(entry.round, 1);
    }
    m_entries.push_back(std::move(entry));
}

void Results::endRestore(int rounds) {
    m_rounds = std::max(m_rounds, rounds);
    m_lastRoundStart = m_entries.size();
}

MarkOutcome Results::markAbsent(int number, const platform::LocalDateTime& time) {
    ResultEntry* const found = find(number);
    if (found == nullptr) {
        return MarkOutcome::NoSuchNumber;
    }
    if (found->absent) {
        return MarkOutcome::AlreadyAbsent;
    }
    found->absent = time;
    return MarkOutcome::Done;
}

MarkOutcome Results::takeBackAbsent(int number) {
    ResultEntry* const found = find(number);
    if (found == nullptr) {
        return MarkOutcome::NoSuchNumber;
    }
    if (!found->absent) {
        return MarkOutcome::NotAbsent;
    }
    if (found->replacedInRound != 0) {
        return MarkOutcome::AlreadyReplaced;
    }
    found->absent.reset();
    return MarkOutcome::Done;
}

std::optional<std::size_t> replayRun(Results& results, std::vector<ResultEntry> entries,
                                     std::span<const AbsentMark> marks) {
    std::size_t nextMark = 0;
    const auto markUpTo = [&](std::size_t listed) -> bool {
        for (; nextMark < marks.size() && marks[nextMark].afterEntries <= listed; ++nextMark) {
            const AbsentMark& mark = marks[nextMark];
            const MarkOutcome outcome = mark.takenBack ? results.takeBackAbsent(mark.number)
                                                       : results.markAbsent(mark.number, mark.time);
            if (outcome != MarkOutcome::Done) {
                return false;
            }
        }
        return true;
    };
    for (auto first = entries.begin(); first != entries.end();) {
        // A person who moved up (递补) stands alone, after the mark that made them.
        const auto end = first->replaces != 0
                             ? first + 1
                             : std::find_if(first, entries.end(), [&](const ResultEntry& entry) {
                                   return entry.round != first->round || entry.replaces != 0;
                               });
        if (!markUpTo(results.entries().size())) {
            return nextMark;
        }
        if (first->replaces != 0) {
            results.addMovedUp(std::move(*first));
        } else {
            results.addRecordedRound(
                {std::make_move_iterator(first), std::make_move_iterator(end)});
        }
        first = end;
    }
    if (!markUpTo(results.entries().size()) || nextMark < marks.size()) {
        return nextMark;
    }
    return std::nullopt;
}

std::string placeText(const Candidate& place) {
    std::string text = singleLine(place.name);
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

namespace {

// What a procedure adds to a person's line: the waiting number before the row, the place and
// who moved up for whom after it.
struct ProcedureWords {
    std::string before;
    std::string after;
};

ProcedureWords procedureWords(const ResultEntry& entry,
                              const std::unordered_set<int>& movedUpLines) {
    ProcedureWords words;
    if (entry.waiting != 0) {
        words.before = std::string(kWaiting) + std::to_string(entry.waiting) + "\t";
        if (movedUpLines.contains(entry.winner.line)) {
            words.after = kMovedUpAlready;
        }
    }
    if (entry.place) {
        words.after += std::string("\t") + kPlaceWord + placeText(*entry.place);
    }
    if (entry.replaces != 0) {
        words.after += std::string(kMovedUpFor) + std::to_string(entry.replaces) + "]）";
    }
    return words;
}

} // namespace

NumberedText numberedResultsText(const Results& results, const RowFormat* format, Place place) {
    NumberedText shown{std::string(kHeading), {0, 0}};
    std::unordered_set<int> movedUpLines;
    for (const ResultEntry& entry : results.entries()) {
        if (entry.replaces != 0) {
            movedUpLines.insert(entry.winner.line);
        }
    }
    int prize = 0;
    for (const ResultEntry& entry : results.entries()) {
        if (entry.prize != prize && entry.prize != 0) {
            shown.text += "\r\n【";
            shown.text += results.prizeName(entry.prize);
            shown.text += "】";
            shown.lineNumbers.push_back(0);
        }
        prize = entry.prize;
        const ProcedureWords words = procedureWords(entry, movedUpLines);
        shown.text += "\r\n[";
        shown.text += std::to_string(entry.number);
        shown.text += "]:\t";
        shown.text += words.before;
        shown.text +=
            singleLine(format != nullptr ? format->shown(entry.winner, place) : entry.winner.name);
        shown.text += words.after;
        if (entry.absent) {
            shown.text += kAbsentMark;
        }
        shown.lineNumbers.push_back(entry.number);
    }
    return shown;
}

std::string resultsText(const Results& results, const RowFormat* format, Place place) {
    return numberedResultsText(results, format, place).text;
}

} // namespace kelvara::draw
