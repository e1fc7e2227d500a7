#include <QByteArray>
#include <QDateTime>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/local_time_of_day.h"
#include "platform/qt_services.h"
#include "platform/random_source.h"

using namespace kelvara::platform;

namespace {

constexpr std::uint64_t kNoon = 43'200'000'000'000ULL;

MixedRandomSource frozenAt(std::uint64_t nanoseconds, std::uint64_t secret = 7) {
    return MixedRandomSource([nanoseconds] { return TimeOfDay{nanoseconds}; }, secret);
}

std::vector<float> take(RandomSource& source, int count) {
    std::vector<float> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(source.value(1.0F));
    }
    return values;
}

// Pearson's statistic of the values over equal bins of [0, 1).
double chiSquare(const std::vector<float>& values, int bins) {
    std::vector<int> counts(static_cast<std::size_t>(bins));
    for (float v : values) {
        ++counts[static_cast<std::size_t>(v * static_cast<float>(bins))];
    }
    const double expected = static_cast<double>(values.size()) / bins;
    double sum = 0;
    for (int count : counts) {
        sum += (count - expected) * (count - expected) / expected;
    }
    return sum;
}

} // namespace

TEST(RandomSourceTest, ValueFollowsItsThreeRules) {
    auto first = frozenAt(kNoon, 1);
    auto second = frozenAt(kNoon + 5, 2);
    take(second, 17);

    const float last = first.value(1.0F);
    EXPECT_EQ(first.value(0.0F), last);
    EXPECT_EQ(first.value(0.0F), last);

    // A negative x fixes the value and everything after it, whatever came before.
    EXPECT_EQ(first.value(-2.5F), second.value(-2.5F));
    EXPECT_EQ(take(first, 5), take(second, 5));
    EXPECT_NE(first.value(-2.5F), first.value(-3.5F));
    // In the first second after midnight the draw feeds tiny negative numbers.
    EXPECT_NE(first.value(-1e-6F), first.value(-2e-6F));
}

TEST(RandomSourceTest, ValuesAreUniform24BitFractions) {
    auto source = frozenAt(kNoon);
    source.reseedFromClock();
    const auto values = take(source, 200'000);
    for (float v : values) {
        ASSERT_GE(v, 0.0F);
        ASSERT_LT(v, 1.0F);
        const float scaled = v * 16777216.0F;
        ASSERT_EQ(scaled, std::floor(scaled));
    }
    // 99 degrees of freedom; 150 is beyond the 0.1 % tail.
    EXPECT_LT(chiSquare(values, 100), 150.0);
}

TEST(RandomSourceTest, ReseedsWithinOneClockTickGiveUnrelatedSequences) {
    auto source = frozenAt(kNoon);
    source.reseedFromClock();
    const auto firstRun = take(source, 4);
    source.reseedFromClock();
    EXPECT_NE(take(source, 4), firstRun);

    // Two runs of the program at the same instant differ by their secret.
    auto other = frozenAt(kNoon, 8);
    other.reseedFromClock();
    EXPECT_NE(take(other, 4), firstRun);

    // The first value after each reseed is what the draw uses: it must be uniform too.
    std::vector<float> firstValues;
    for (int i = 0; i < 20'000; ++i) {
        source.reseedFromClock();
        firstValues.push_back(source.value(1.0F));
    }
    EXPECT_LT(chiSquare(firstValues, 20), 45.0);
}

TEST(RandomSourceTest, ClockIsSecondsSinceMidnightBelowOneDay) {
    EXPECT_EQ(frozenAt(0).clock(), 0.0F);
    EXPECT_FLOAT_EQ(frozenAt(kNoon + 500'000'000).clock(), 43200.5F);
    EXPECT_LT(frozenAt(86'399'999'999'999ULL).clock(), 86400.0F);
    EXPECT_GT(frozenAt(86'399'999'999'999ULL).clock(), 86399.98F);
}

TEST(LocalTimeOfDayTest, FollowsTheLocalTimeZone) {
    const QByteArray savedZone = qgetenv("TZ");
    // Eight hours east of UTC, without daylight saving and without any zone database.
    qputenv("TZ", "CST-8");
    tzset();
    LocalTimeOfDay clock;
    const std::int64_t expected = (QDateTime::currentSecsSinceEpoch() + 8 * 3600) % 86400;
    const auto reading = static_cast<std::int64_t>(clock().nanoseconds / 1'000'000'000ULL);
    const std::int64_t difference = std::abs(reading - expected);
    EXPECT_LE(std::min(difference, 86400 - difference), 2) << reading << " vs " << expected;

    std::uint64_t previous = clock().nanoseconds;
    for (int i = 0; i < 100'000; ++i) {
        const std::uint64_t now = clock().nanoseconds;
        ASSERT_LT(now, 86'400'000'000'000ULL);
        // Only midnight may turn the reading back.
        ASSERT_TRUE(now >= previous || previous - now > 86'000'000'000'000ULL);
        previous = now;
    }

    if (savedZone.isNull()) {
        qunsetenv("TZ");
    } else {
        qputenv("TZ", savedZone);
    }
    tzset();
}

TEST(LocalTimeOfDayTest, ServicesClockIsFineGrained) {
    QtServices services;
    RandomSource& random = services.random();
    const float clock = random.clock();
    EXPECT_GE(clock, 0.0F);
    EXPECT_LT(clock, 86400.0F);

    // Back-to-back reseeds give different sequences with the real clock as well.
    random.reseedFromClock();
    const auto first = take(random, 3);
    random.reseedFromClock();
    EXPECT_NE(take(random, 3), first);
}
