#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace kelvara::platform {

// A seedable pseudo-random source with a clock, as the draw uses it.
class RandomSource {
public:
    virtual ~RandomSource() = default;

    // New seed taken from the current time of day.
    virtual void reseedFromClock() = 0;

    // x > 0: next value in [0, 1); x == 0: the last value again;
    // x < 0: reseed from x and give the value of that seed (same x, same value).
    virtual float value(float x) = 0;

    // Seconds since local midnight.
    virtual float clock() = 0;
};

// What a MixedRandomSource needs of the time of day.
struct TimeOfDay {
    std::uint64_t nanoseconds = 0; // since local midnight, as finely as the clock allows
};

// xoshiro256** behind the value(x) rules above. Reseeding from the clock mixes the
// time with a per-run secret and a call counter, so two reseeds within one tick of
// the clock still give unrelated sequences.
class MixedRandomSource final : public RandomSource {
public:
    using TimeSource = std::function<TimeOfDay()>;

    MixedRandomSource(TimeSource timeSource, std::uint64_t secret);

    void reseedFromClock() override;
    float value(float x) override;
    float clock() override;

private:
    void seed(std::uint64_t seed);
    float next();

    TimeSource m_timeSource;
    std::uint64_t m_secret;
    std::uint64_t m_reseedCount = 0;
    std::array<std::uint64_t, 4> m_state{};
    float m_last = 0.0F;
};

} // namespace kelvara::platform
