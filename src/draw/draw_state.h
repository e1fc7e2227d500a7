#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results.h"

namespace kelvara::draw {

// The draw's state for the whole run. The design numbers its arrays from 1; here they are
// std::vectors numbered from 0, so slot s of the design is element s - 1.
struct DrawState {
    std::int16_t RemainingCount = 0;           // undrawn candidates; 0 before Initialize
    std::int16_t RoundSize = 0;                // winners of the current round
    std::vector<bool> DrawnFlags;              // per slot: drawn already
    std::vector<std::int16_t> LinePermutation; // per slot: its line number in bonus.txt
    std::vector<std::string> RollSample;       // names the rolling label cycles through
    std::int16_t RollCursor = 0;               // 1-based index of the next sample name
    std::vector<Candidate> RoundWinners;       // the current round, in file order after Start

    std::int16_t CandidateCount() const { return static_cast<std::int16_t>(DrawnFlags.size()); }
};

} // namespace kelvara::draw
