#include <cmath>

#include "draw/mixing.h"
#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

// Counts the transpositions: each makes two clock reseeds.
class CountingSource final : public platform::RandomSource {
public:
    explicit CountingSource(std::unique_ptr<platform::RandomSource> inner)
        : m_inner(std::move(inner)) {}
    void reseedFromClock() override {
        ++reseeds;
        m_inner->reseedFromClock();
    }
    float value(float x) override { return m_inner->value(x); }
    float clock() override { return m_inner->clock(); }

    long long reseeds = 0;

private:
    std::unique_ptr<platform::RandomSource> m_inner;
};

using ListingOrderTest = DrawFixture;

// A large round needs more transpositions than a small one to be mixed fully: at least
// n ln n / 2 + 10 n. Small rounds keep the former 6 x 10001.
TEST_F(ListingOrderTest, LargeRoundsGetEnoughTranspositions) {
    for (const int winners : {3, 10000}) {
        SCOPED_TRACE(winners);
        FakeView freshView;
        FakeServices freshServices(m_dir.string(), 5);
        auto counting = std::make_unique<CountingSource>(std::make_unique<QuickRandomSource>(5));
        CountingSource& source = *counting;
        freshServices.setRandom(std::move(counting));
        draw::DrawEngine freshEngine(freshView, freshView, freshServices.forDraw());
        freshEngine.startUp();
        writeBonus(numberedList(winners));
        freshEngine.Cmd_Init_Click();
        typeRoundSize(freshView, freshEngine, std::to_string(winners));
        freshEngine.Cmd_Start_Click();
        freshEngine.Cmd_Start_Click();
        const long long before = source.reseeds;
        freshEngine.Timer2_Timer();
        const double transpositions = static_cast<double>(source.reseeds - before) / 2;
        const double n = winners;
        EXPECT_GE(transpositions, n * std::log(n) / 2 + 10 * n);
        if (winners == 3) {
            EXPECT_EQ(transpositions, 6 * 10001);
        }
    }
}

// An item that notes whether a transposition ever moved it.
struct Tracked {
    int id = 0;
    bool moved = false;
    Tracked() = default;
    explicit Tracked(int i) : id(i) {}
    Tracked(Tracked&& other) noexcept : id(other.id), moved(true) {}
    Tracked& operator=(Tracked&& other) noexcept {
        id = other.id;
        moved = true;
        return *this;
    }
};

// With too few transpositions some of 10,000 winners are never touched and keep their
// file-order place: about 6 in 100 rounds with 6 x 10001 steps. None may be.
TEST(ListingMixTest, EveryWinnerOfALargeRoundIsMoved) {
    constexpr int kWinners = 10000;
    QuickRandomSource random(20261207);
    int untouched = 0;
    for (int round = 0; round < 100; ++round) {
        std::vector<Tracked> winners;
        winners.reserve(kWinners);
        for (int i = 0; i < kWinners; ++i) {
            winners.emplace_back(i);
        }
        draw::mixByTranspositions(random, winners, 5,
                                  draw::DrawEngine::listingInnerSteps(kWinners) - 1);
        for (const Tracked& winner : winners) {
            untouched += winner.moved ? 0 : 1;
        }
    }
    EXPECT_EQ(untouched, 0);
}

} // namespace
} // namespace kelvara::testing
