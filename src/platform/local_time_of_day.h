#pragma once

#include <cstdint>

#include "platform/random_source.h"

namespace kelvara::platform {

// The local wall-clock time of day, to the nanosecond as far as the system clock goes.
// A reading costs one system clock call: the local time of the current second is kept
// and looked up again only when the second changes, so daylight-saving and time-zone
// shifts show up within a second.
class LocalTimeOfDay final {
public:
    TimeOfDay operator()();

private:
    std::int64_t m_cachedSecond = -1; // seconds since the epoch, UTC
    std::int64_t m_secondOfDay = 0;   // that second in local time, 0..86399
};

} // namespace kelvara::platform
