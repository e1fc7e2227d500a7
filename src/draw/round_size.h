#pragma once

#include <cstdint>
#include <string_view>

namespace kelvara::draw {

// How the text of the round-size box reads.
enum class RoundSizeKind {
    Empty,      // nothing but blanks
    Negative,   // a number that rounds below 0
    Zero,       // a number that rounds to 0
    Positive,   // a usable count, in value
    NotANumber, // anything else
};

struct RoundSizeInput {
    RoundSizeKind kind = RoundSizeKind::NotANumber;
    std::int64_t value = 0; // for Positive; saturates far above any list size
};

// Trims blanks (also the ideographic space), accepts ASCII and full-width digits, a sign and
// a decimal fraction, and rounds a half to the even neighbour (2.5 -> 2, 3.5 -> 4).
RoundSizeInput parseRoundSize(std::string_view utf8Text);

} // namespace kelvara::draw
