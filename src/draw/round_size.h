#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

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

namespace kelvara::draw {

// The round-size box as the draw knows it: the text it shows, and whether the operator typed
// that text or the prize plan filled it in.
class RoundSizeBox final {
public:
    // The box shows this text now: the operator typed it, or the draw set it.
    void show(std::string text) { m_text = std::move(text); }
    // The prize plan fills the box with the places left.
    void fill(std::string text) {
        m_filled = std::move(text);
        m_text = m_filled;
    }
    const std::string& text() const { return m_text; }
    bool typedByOperator() const { return m_text != m_filled; }

private:
    std::string m_text;
    std::string m_filled;
};

} // namespace kelvara::draw
