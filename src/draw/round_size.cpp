#include "round_size.h"

#include <algorithm>
#include <optional>
#include <string>

namespace kelvara::draw {

namespace {

constexpr std::int64_t kSaturated = 1'000'000'000;

// Decodes one UTF-8 code point at pos; nullopt for a malformed sequence.
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    int length = 0;
    char32_t cp = 0;
    if (lead < 0x80U) {
        ++pos;
        return lead;
    }
    if ((lead & 0xE0U) == 0xC0U) {
        length = 2;
        cp = lead & 0x1FU;
    } else if ((lead & 0xF0U) == 0xE0U) {
        length = 3;
        cp = lead & 0x0FU;
    } else if ((lead & 0xF8U) == 0xF0U) {
        length = 4;
        cp = lead & 0x07U;
    } else {
        return std::nullopt;
    }
    if (pos + static_cast<std::size_t>(length) > text.size()) {
        return std::nullopt;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((next & 0xC0U) != 0x80U) {
            return std::nullopt;
        }
        cp = (cp << 6U) | (next & 0x3FU);
    }
    pos += static_cast<std::size_t>(length);
    return cp;
}

bool isBlank(char32_t cp) {
    return cp == U' ' || cp == U'\t' || cp == U'\r' || cp == U'\n' || cp == U'\v' || cp == U'\f' ||
           cp == U'\u3000' || cp == U'\u00A0';
}

// Full-width digits, sign and point as a Chinese input method types them, folded to ASCII.
char fold(char32_t cp) {
    if (cp >= U'\uFF10' && cp <= U'\uFF19') {
        return static_cast<char>('0' + (cp - U'\uFF10'));
    }
    switch (cp) {
    case U'\uFF0B':
        return '+';
    case U'\uFF0D':
        return '-';
    case U'\uFF0E':
        return '.';
    default:
        break;
    }
    return cp < 0x80 ? static_cast<char>(cp) : '\0';
}

// The text with blanks as ' ' and full-width characters folded; empty when a character is
// neither.
std::optional<std::string> foldedAscii(std::string_view utf8Text) {
    std::string ascii;
    for (std::size_t pos = 0; pos < utf8Text.size();) {
        const auto cp = nextCodePoint(utf8Text, pos);
        if (!cp) {
            return std::nullopt;
        }
        const char folded = isBlank(*cp) ? ' ' : fold(*cp);
        if (folded == '\0') {
            return std::nullopt;
        }
        ascii += folded;
    }
    return ascii;
}

struct Decimal {
    bool negative = false;
    std::int64_t whole = 0; // saturates at kSaturated
    std::string_view fraction;
};

// A sign, digits and a fraction, and nothing else; at least one digit.
std::optional<Decimal> parseDecimal(std::string_view number) {
    Decimal decimal;
    std::size_t pos = 0;
    if (number[pos] == '+' || number[pos] == '-') {
        decimal.negative = number[pos] == '-';
        ++pos;
    }
    std::size_t digits = 0;
    for (; pos < number.size() && number[pos] >= '0' && number[pos] <= '9'; ++pos, ++digits) {
        decimal.whole = std::min(kSaturated, decimal.whole * 10 + (number[pos] - '0'));
    }
    if (pos < number.size() && number[pos] == '.') {
        const std::size_t start = ++pos;
        while (pos < number.size() && number[pos] >= '0' && number[pos] <= '9') {
            ++pos;
        }
        decimal.fraction = number.substr(start, pos - start);
    }
    if (pos != number.size() || digits + decimal.fraction.size() == 0) {
        return std::nullopt;
    }
    return decimal;
}

// Round half to even, decided on the decimal digits themselves.
std::int64_t rounded(const Decimal& decimal) {
    if (decimal.fraction.empty()) {
        return decimal.whole;
    }
    const char firstDigit = decimal.fraction.front();
    const bool restNonZero = decimal.fraction.find_first_not_of('0', 1) != std::string_view::npos;
    const bool up =
        firstDigit > '5' || (firstDigit == '5' && (restNonZero || decimal.whole % 2 == 1));
    return up ? std::min(kSaturated, decimal.whole + 1) : decimal.whole;
}

} // namespace

RoundSizeInput parseRoundSize(std::string_view utf8Text) {
    const auto ascii = foldedAscii(utf8Text);
    if (!ascii) {
        return {};
    }
    const auto first = ascii->find_first_not_of(' ');
    if (first == std::string::npos) {
        return {RoundSizeKind::Empty, 0};
    }
    const auto decimal = parseDecimal(
        std::string_view(*ascii).substr(first, ascii->find_last_not_of(' ') - first + 1));
    if (!decimal) {
        return {};
    }
    const std::int64_t whole = rounded(*decimal);
    if (whole == 0) {
        return {RoundSizeKind::Zero, 0};
    }
    if (decimal->negative) {
        return {RoundSizeKind::Negative, -whole};
    }
    return {RoundSizeKind::Positive, whole};
}

} // namespace kelvara::draw
