#include "record_format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

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

// The code point of a line-breaking character at `at` (UTF-8), and its length; 0 for any
// other character.
std::pair<unsigned, std::size_t> breakingAt(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x20 || byte == 0x7F) {
        return {byte, 1};
    }
    const std::string_view rest = text.substr(at);
    if (rest.starts_with("\xC2\x85")) {
        return {0x85, 2};
    }
    if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) {
        return {rest[2] == '\xA8' ? 0x2028U : 0x2029U, 3};
    }
    return {0, 0};
}

namespace {

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isBreaking(unsigned code) {
    return code < 0x20 || code == 0x7F || code == 0x85 || code == 0x2028 || code == 0x2029;
}

} // namespace

std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto [code, length] = breakingAt(text, at);
        if (length != 0) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", code);
            out += escaped;
            at += length;
            continue;
        }
        if (text[at] == '\\') {
            out += '\\';
        }
        out += text[at++];
    }
    return out;
}

std::optional<std::string> unescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (breakingAt(text, at).second != 0) {
            return std::nullopt;
        }
        if (text[at] != '\\') {
            out += text[at++];
            continue;
        }
        if (text.substr(at + 1).starts_with('\\')) {
            out += '\\';
            at += 2;
            continue;
        }
        unsigned code = 0;
        const std::string_view hex = text.substr(std::min(at + 2, text.size()), 4);
        const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), code, 16);
        if (text.substr(at + 1, 1) != "u" || hex.size() != 4 || error != std::errc() ||
            end != hex.data() + 4 || !isBreaking(code) ||
            hex.find_first_of("abcdef") != std::string_view::npos) {
            return std::nullopt;
        }
        appendUtf8(out, code);
        at += 6;
    }
    return out;
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

std::string singleLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto [code, length] = record::breakingAt(text, at);
        const bool breaks = length != 0 && (code >= 0x85 || (code >= '\n' && code <= '\r'));
        out += breaks ? ' ' : text[at];
        at += breaks ? length : 1;
    }
    return out;
}

} // namespace kelvara::draw
