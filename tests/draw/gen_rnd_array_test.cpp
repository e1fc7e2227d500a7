#include <algorithm>
#include <set>

#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

class GenRndArrayTest : public DrawFixture {
protected:
    static void expectDistinctInRange(const std::vector<std::int16_t>& result, int myNum,
                                      int neededNum) {
        ASSERT_EQ(result.size(), static_cast<std::size_t>(neededNum));
        const std::set<std::int16_t> distinct(result.begin(), result.end());
        EXPECT_EQ(distinct.size(), result.size()) << "a number came twice";
        EXPECT_GE(*distinct.begin(), 1);
        EXPECT_LE(*distinct.rbegin(), myNum);
    }
};

TEST_F(GenRndArrayTest, GivesDistinctNumbersWithinRangeForSampledSizes) {
    const int sizes[] = {1, 2, 3, 11, 100, 9999, 10000};
    for (const int myNum : sizes) {
        std::set<int> needed = {1, std::max(1, myNum / 2), std::max(1, myNum - 1), myNum};
        for (const int neededNum : needed) {
            SCOPED_TRACE(std::to_string(myNum) + " / " + std::to_string(neededNum));
            expectDistinctInRange(engine.GenRndArray(static_cast<std::int16_t>(myNum),
                                                     static_cast<std::int16_t>(neededNum)),
                                  myNum, neededNum);
        }
    }
    EXPECT_TRUE(view.notices.empty());
}

TEST_F(GenRndArrayTest, AllNumbersWhenNeededEqualsMyNumAndSingleNumberForOne) {
    auto all = engine.GenRndArray(50, 50);
    std::sort(all.begin(), all.end());
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(all[static_cast<std::size_t>(i)], i + 1);
    }
    EXPECT_EQ(engine.GenRndArray(1, 1), std::vector<std::int16_t>{1});
}

TEST_F(GenRndArrayTest, RefusesMoreNumbersThanThePoolHolds) {
    EXPECT_TRUE(engine.GenRndArray(5, 6).empty());
    EXPECT_EQ(noticeKinds(), std::vector{draw::NoticeKind::NeededAboveMyNum});
}

// Clocks that the real machine can show: just after midnight (the subtracted position then
// reseeds from a negative time), and a clock so coarse that every reseed sees the same tick.
TEST_F(GenRndArrayTest, StaysCorrectJustAfterMidnightAndWithACoarseClock) {
    struct Clock {
        const char* name;
        platform::MixedRandomSource::TimeSource time;
    };
    const Clock clocks[] = {
        {"first second after midnight", SteppingTime(1000, 3)},
        {"frozen clock",
         [] {
             return platform::TimeOfDay{5'000'000'000ULL};
         }},
    };
    for (const auto& clock : clocks) {
        SCOPED_TRACE(clock.name);
        services.setRandom(std::make_unique<platform::MixedRandomSource>(clock.time, 99));
        FakeView freshView;
        draw::DrawEngine freshEngine(freshView, freshView, services.forDraw());
        const auto first = freshEngine.GenRndArray(100, 100);
        const auto second = freshEngine.GenRndArray(100, 100);
        expectDistinctInRange(first, 100, 100);
        expectDistinctInRange(second, 100, 100);
        // Reseeds in one tick must still mix: neither the identity nor a repeat.
        EXPECT_FALSE(std::is_sorted(first.begin(), first.end(), std::greater<>()));
        EXPECT_NE(first, second);
    }
}

// The first number must be uniform over the pool. Reading the mixed pool through itself
// (a double look-up) fails this: of two numbers it always gives 2, which 15 calls show.
TEST_F(GenRndArrayTest, FirstNumberIsUniform) {
    constexpr int kCalls = 15;
    std::vector<int> counts(2, 0);
    for (int call = 0; call < kCalls; ++call) {
        const auto result = engine.GenRndArray(2, 1);
        ASSERT_EQ(result.size(), 1U);
        ++counts[static_cast<std::size_t>(result[0] - 1)];
    }
    EXPECT_LT(chiSquare(counts), chiSquareCritical001(1));
}

} // namespace
} // namespace kelvara::testing
