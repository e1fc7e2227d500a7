#include "random_source.h"

#include <bit>
#include <cmath>
#include <utility>

namespace kelvara::platform {

namespace {

std::uint64_t splitMix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31U);
}

constexpr float kTwoToMinus24 = 1.0F / 16777216.0F;
constexpr float kSecondsPerDay = 86400.0F;

} // namespace

MixedRandomSource::MixedRandomSource(TimeSource timeSource, std::uint64_t secret)
    : m_timeSource(std::move(timeSource)), m_secret(secret) {
    seed(secret);
}

void MixedRandomSource::seed(std::uint64_t seedValue) {
    for (auto& word : m_state) {
        word = splitMix64(seedValue);
    }
}

float MixedRandomSource::next() {
    // xoshiro256**
    const std::uint64_t result = std::rotl(m_state[1] * 5U, 7) * 9U;
    const std::uint64_t t = m_state[1] << 17U;
    m_state[2] ^= m_state[0];
    m_state[3] ^= m_state[1];
    m_state[1] ^= m_state[2];
    m_state[0] ^= m_state[3];
    m_state[2] ^= t;
    m_state[3] = std::rotl(m_state[3], 45);
    // 24 random bits: every value k / 2^24 is exact in a float and below 1.
    m_last = static_cast<float>(result >> 40U) * kTwoToMinus24;
    return m_last;
}

void MixedRandomSource::reseedFromClock() {
    ++m_reseedCount;
    std::uint64_t mix = m_timeSource().nanoseconds ^ m_secret;
    const std::uint64_t counterWord = splitMix64(mix) ^ (m_reseedCount * 0xD1B54A32D192ED03ULL);
    seed(counterWord);
}

float MixedRandomSource::value(float x) {
    if (x > 0.0F) {
        return next();
    }
    if (x == 0.0F) {
        return m_last;
    }
    // Depends on x alone, so the same x always gives the same value.
    seed(0xA0761D6478BD642FULL ^ std::bit_cast<std::uint32_t>(x));
    return next();
}

float MixedRandomSource::clock() {
    const auto seconds = static_cast<float>(static_cast<double>(m_timeSource().nanoseconds) * 1e-9);
    // The last 4 ms of the day would round up to 86400 itself, which is the next midnight.
    return seconds < kSecondsPerDay ? seconds : std::nextafter(kSecondsPerDay, 0.0F);
}

} // namespace kelvara::platform
