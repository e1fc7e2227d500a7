// The rules a verifiable run keeps that a checker re-applies from the record alone: names
// escaped into one record line each, guessable public inputs refused, and the positions a
// prize's rounds take.
#include <gtest/gtest.h>

#include "draw/prize_positions.h"
#include "draw/record_format.h"
#include "draw/verifiable_draw.h"

namespace kelvara::draw {
namespace {

TEST(RecordText, NamesAreEscapedIntoOneLineAndReadBackExactly) {
    const struct {
        const char* name;
        const char* written;
    } rows[] = {
        {"张三", "张三"},
        {"乙\n弃奖：2026-12-07 19:40:00，[1]", "乙\\u000A弃奖：2026-12-07 19:40:00，[1]"},
        {"a\r\nb\tc", "a\\u000D\\u000Ab\\u0009c"},
        {"C:\\u000A", "C:\\\\u000A"},
        {"x\x7F\xC2\x85y\xE2\x80\xA8z\xE2\x80\xA9", "x\\u007F\\u0085y\\u2028z\\u2029"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(record::escapeText(row.name), row.written);
        EXPECT_EQ(record::unescapeText(row.written), row.name);
    }
    for (const char* refused : {"a\\", "\\u00", "\\u0041", "\\u000a", "\\n", "a\nb", "\\uZZZZ"}) {
        EXPECT_EQ(record::unescapeText(refused), std::nullopt) << refused;
    }
}

TEST(PublicInput, PlainlyGuessableDigitsAreRefused) {
    using Parts = std::vector<std::string>;
    const struct {
        Parts parts;
        PublicInputFault fault;
    } rows[] = {
        {{"902716384551"}, PublicInputFault::None},
        {{"20261208", "7305194"}, PublicInputFault::None},
        {{"12345678901"}, PublicInputFault::NotDigits},
        {{"1234567890a1"}, PublicInputFault::NotDigits},
        {{"902716384551", ""}, PublicInputFault::NotDigits},
        {{"000000", "000000"}, PublicInputFault::OneDigit},
        {{"123456789012"}, PublicInputFault::Run},
        {{"987654", "321098"}, PublicInputFault::Run},
        {{"121212121212"}, PublicInputFault::Repeated},
        {{"123412341234"}, PublicInputFault::Repeated},
        {{"3141592653", "58979"}, PublicInputFault::Constant},
        {{"271828182845"}, PublicInputFault::Constant},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(publicInputFault(row.parts), row.fault) << row.parts.front();
    }
}

// Three prizes of 3, 2 and 1 places over 10 lines: blocks 1-3, 4-5 and 6; replacements r of
// prize i at 6 + (r-1)*3 + i while that stays within the list.
TEST(PrizePositions, EachPrizeTakesItsBlockThenItsReplacements) {
    PrizePositions positions({3, 2, 1}, 10);
    const struct {
        int prize;
        int count;
        std::optional<std::vector<int>> taken;
    } steps[] = {
        {3, 1, std::vector{6}},  {1, 2, std::vector{1, 2}},    {1, 2, std::vector{3, 7}},
        {3, 1, std::vector{9}},  {2, 3, std::vector{4, 5, 8}}, {3, 1, std::nullopt},
        {1, 1, std::vector{10}}, {2, 1, std::nullopt},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(positions.take(step.prize, step.count), step.taken) << step.prize;
    }
    EXPECT_EQ(positions.taken(), 10);

    PrizePositions noPlan({}, 3);
    EXPECT_EQ(noPlan.take(0, 2), (std::vector{1, 2}));
    EXPECT_EQ(noPlan.take(0, 2), std::nullopt) << "nothing taken when a round cannot be whole";
    EXPECT_EQ(noPlan.take(0, 1), std::vector{3});
}

} // namespace
} // namespace kelvara::draw
