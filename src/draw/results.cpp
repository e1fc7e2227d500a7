#include "results.h"

#include <iterator>

namespace kelvara::draw {

namespace {

constexpr std::string_view kHeading = "摇号结果\r\n";

} // namespace

std::span<const ResultEntry> Results::lastRound() const {
    return std::span<const ResultEntry>(m_entries).subspan(m_lastRoundStart);
}

void Results::addRound(std::vector<ResultEntry> round) {
    ++m_rounds;
    m_lastRoundStart = m_entries.size();
    for (ResultEntry& entry : round) {
        entry.round = m_rounds;
    }
    m_entries.insert(m_entries.end(), std::make_move_iterator(round.begin()),
                     std::make_move_iterator(round.end()));
}

void Results::restore(std::vector<ResultEntry> entries, int rounds) {
    m_entries = std::move(entries);
    m_lastRoundStart = m_entries.size();
    m_rounds = rounds;
}

std::string resultsText(const Results& results) {
    std::string text(kHeading);
    for (const ResultEntry& entry : results.entries()) {
        text += "\r\n[";
        text += std::to_string(entry.number);
        text += "]:\t";
        text += entry.winner.name;
    }
    return text;
}

} // namespace kelvara::draw
