#include "prize_positions.h"

#include <cstddef>

namespace kelvara::draw {

PrizePositions::PrizePositions(std::vector<int> counts, int lines)
    : m_counts(std::move(counts)), m_lines(lines), m_blockUsed(m_counts.size(), 0),
      m_replacementsUsed(m_counts.size(), 0) {
    for (const int count : m_counts) {
        m_firsts.push_back(m_places + 1);
        m_places += count;
    }
}

std::optional<int> PrizePositions::nextOf(int prize, std::vector<int>& blockUsed,
                                          std::vector<int>& replacementsUsed, int& next) const {
    if (m_counts.empty() || prize < 1 || prize > static_cast<int>(m_counts.size())) {
        return next <= m_lines ? std::optional(next++) : std::nullopt;
    }
    const auto at = static_cast<std::size_t>(prize - 1);
    if (blockUsed[at] < m_counts[at]) {
        return m_firsts[at] + blockUsed[at]++;
    }
    const long long position =
        static_cast<long long>(m_places) +
        static_cast<long long>(replacementsUsed[at]) * static_cast<long long>(m_counts.size()) +
        prize;
    if (position > m_lines) {
        return std::nullopt;
    }
    ++replacementsUsed[at];
    return static_cast<int>(position);
}

std::optional<std::vector<int>> PrizePositions::take(int prize, int count) {
    std::vector<int> blockUsed = m_blockUsed;
    std::vector<int> replacementsUsed = m_replacementsUsed;
    int next = m_next;
    std::vector<int> positions;
    for (int k = 0; k < count; ++k) {
        const std::optional<int> position = nextOf(prize, blockUsed, replacementsUsed, next);
        if (!position) {
            return std::nullopt;
        }
        positions.push_back(*position);
    }
    m_blockUsed = std::move(blockUsed);
    m_replacementsUsed = std::move(replacementsUsed);
    m_next = next;
    m_taken += count;
    return positions;
}

} // namespace kelvara::draw
