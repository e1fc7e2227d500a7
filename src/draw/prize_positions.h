#pragma once

#include <optional>
#include <vector>

namespace kelvara::draw {

// Which positions of a verifiable run's sequence a round takes. With a prize plan, the plan
// fixes it before the public input: each prize owns a block of positions in plan order, and
// its r-th replacement for an absent winner is position T + (r-1)*m + i (T places in all, m
// prizes, i the prize's place in the plan). So neither the order in which prizes are drawn
// nor the rounds' sizes change who wins what. Without a plan, rounds take the next positions.
class PrizePositions final {
public:
    PrizePositions() = default;
    // `counts`: each prize's places in plan order (none without a plan); `lines`: the list's.
    PrizePositions(std::vector<int> counts, int lines);

    // The positions (from 1) that a round of `count` winners for `prize` (from 1; 0 without a
    // plan) takes, in the order listed: the prize's block first, then its replacements. None
    // when the sequence has no such positions left; nothing is taken then.
    std::optional<std::vector<int>> take(int prize, int count);
    // Positions taken so far.
    int taken() const { return m_taken; }

private:
    std::optional<int> nextOf(int prize, std::vector<int>& blockUsed,
                              std::vector<int>& replacementsUsed, int& next) const;

    std::vector<int> m_counts;
    std::vector<int> m_firsts; // each block's first position
    int m_places = 0;          // T
    int m_lines = 0;
    std::vector<int> m_blockUsed;
    std::vector<int> m_replacementsUsed;
    int m_next = 1; // without a plan
    int m_taken = 0;
};

} // namespace kelvara::draw
