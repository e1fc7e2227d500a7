#include <gtest/gtest.h>

#include "draw/round_size.h"

namespace kelvara::draw {
namespace {

struct Case {
    const char* text;
    RoundSizeKind kind;
    std::int64_t value;
};

TEST(RoundSizeTest, ReadsWhatOperatorsType) {
    const Case cases[] = {
        {"", RoundSizeKind::Empty, 0},
        {"   ", RoundSizeKind::Empty, 0},
        {"3", RoundSizeKind::Positive, 3},
        {" 3 ", RoundSizeKind::Positive, 3},
        {"+7", RoundSizeKind::Positive, 7},
        {"007", RoundSizeKind::Positive, 7},
        {"３", RoundSizeKind::Positive, 3},                // full-width digit
        {"\u3000１２\u3000", RoundSizeKind::Positive, 12}, // ideographic spaces
        {"2.5", RoundSizeKind::Positive, 2},               // half to even
        {"3.5", RoundSizeKind::Positive, 4},
        {"2.51", RoundSizeKind::Positive, 3},
        {"2.49999", RoundSizeKind::Positive, 2},
        {"0.5", RoundSizeKind::Zero, 0},
        {"0.4", RoundSizeKind::Zero, 0},
        {"0", RoundSizeKind::Zero, 0},
        {"-0.4", RoundSizeKind::Zero, 0},
        {".6", RoundSizeKind::Positive, 1},
        {"5.", RoundSizeKind::Positive, 5},
        {"-3", RoundSizeKind::Negative, -3},
        {"-40000", RoundSizeKind::Negative, -40000},
        {"－２", RoundSizeKind::Negative, -2},
        {"40000", RoundSizeKind::Positive, 40000},
        {"99999999999999999999999", RoundSizeKind::Positive, 1'000'000'000},
        {"abc", RoundSizeKind::NotANumber, 0},
        {"3a", RoundSizeKind::NotANumber, 0},
        {"1 2", RoundSizeKind::NotANumber, 0},
        {".", RoundSizeKind::NotANumber, 0},
        {"-", RoundSizeKind::NotANumber, 0},
        {"三", RoundSizeKind::NotANumber, 0},
        {"\xff\xfe", RoundSizeKind::NotANumber, 0}, // not UTF-8 at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto input = parseRoundSize(c.text);
        EXPECT_EQ(input.kind, c.kind);
        EXPECT_EQ(input.value, c.value);
    }
}

} // namespace
} // namespace kelvara::draw
