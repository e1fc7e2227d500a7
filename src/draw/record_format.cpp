#include "record_format.h"

#include <charconv>
#include <cstdio>

namespace kelvara::draw {

namespace record {

bool takePrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

std::optional<int> takeNumber(std::string_view& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

std::optional<int> takeNumberThen(std::string_view& text, std::string_view after) {
    std::string_view rest = text;
    const auto number = takeNumber(rest);
    if (!number || !takePrefix(rest, after)) {
        return std::nullopt;
    }
    text = rest;
    return number;
}

} // namespace record

namespace {

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}

} // namespace

std::string formatDateTime(const platform::LocalDateTime& time) {
    return std::to_string(time.year) + "-" + twoDigits(time.month) + "-" + twoDigits(time.day) +
           " " + twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second);
}

std::optional<platform::LocalDateTime> parseDateTime(std::string_view text) {
    using record::takeNumberThen;
    const auto year = takeNumberThen(text, "-");
    const auto month = year ? takeNumberThen(text, "-") : std::nullopt;
    const auto day = month ? takeNumberThen(text, " ") : std::nullopt;
    const auto hour = day ? takeNumberThen(text, ":") : std::nullopt;
    const auto minute = hour ? takeNumberThen(text, ":") : std::nullopt;
    const auto second = minute ? record::takeNumber(text) : std::nullopt;
    if (!second || !text.empty() || !inRange(*year, 1, 9999) || !inRange(*month, 1, 12) ||
        !inRange(*day, 1, 31) || !inRange(*hour, 0, 23) || !inRange(*minute, 0, 59) ||
        !inRange(*second, 0, 60)) {
        return std::nullopt;
    }
    return platform::LocalDateTime{*year, *month, *day, *hour, *minute, *second};
}

} // namespace kelvara::draw
