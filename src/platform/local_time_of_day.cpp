#include "local_time_of_day.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace kelvara::platform {

namespace {

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

std::int64_t localSecondOfDay(std::int64_t epochSecond) {
    const auto time = static_cast<std::time_t>(epochSecond);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    // A leap second (tm_sec 60) stays within the day.
    return local.tm_hour * 3600 + local.tm_min * 60 + std::min(local.tm_sec, 59);
}

} // namespace

TimeOfDay LocalTimeOfDay::operator()() {
    const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    std::int64_t second = now / kNanosPerSecond;
    std::int64_t fraction = now % kNanosPerSecond;
    if (fraction < 0) {
        fraction += kNanosPerSecond;
        --second;
    }
    if (second != m_cachedSecond) {
        m_secondOfDay = localSecondOfDay(second);
        m_cachedSecond = second;
    }
    return {static_cast<std::uint64_t>(m_secondOfDay * kNanosPerSecond + fraction)};
}

} // namespace kelvara::platform
