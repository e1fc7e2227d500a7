#pragma once

namespace kelvara::platform {

// Local wall-clock time, to the second.
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const LocalDateTime&) const = default;
};

class WallClock {
public:
    virtual ~WallClock() = default;

    virtual LocalDateTime localDateTime() const = 0;
};

} // namespace kelvara::platform
