#include "prize_plan.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/text_lines.h"

namespace kelvara::draw {

namespace {

// What may stand between a prize's name and its count, and around them.
constexpr std::array<std::string_view, 5> kSeparators = {" ", "\t", ",", "，", "\u3000"};
constexpr std::array<std::string_view, 2> kCountUnits = {"人", "名"};
// The separators that pad, as spaces do: a run of them counts as one space against the
// length limits, so a plan aligned with spaces is read as it looks.
constexpr std::array<std::string_view, 3> kPadding = {" ", "\t", "\u3000"};
constexpr std::string_view kFullWidthZero = "０";
constexpr long long kSaturated = 1'000'000'000;
constexpr std::size_t kMaxLineBytes = 1024; // with each run of padding as one space
constexpr std::size_t kLongestCharacterBytes = 4;

// The separator that text ends with, if any.
std::size_t separatorAtEnd(std::string_view text) {
    for (const std::string_view separator : kSeparators) {
        if (text.ends_with(separator)) {
            return separator.size();
        }
    }
    return 0;
}

std::size_t separatorAtStart(std::string_view text) {
    for (const std::string_view separator : kSeparators) {
        if (text.starts_with(separator)) {
            return separator.size();
        }
    }
    return 0;
}

// Text measured with each run of padding as one space, and its longest run.
struct Squeezed {
    std::size_t bytes = 0;
    std::size_t characters = 0;
    int longestRun = 0;
};

Squeezed squeezed(std::string_view text) {
    Squeezed result;
    int run = 0;
    while (!text.empty()) {
        const auto padding =
            std::find_if(kPadding.begin(), kPadding.end(),
                         [&](std::string_view pad) { return text.starts_with(pad); });
        const bool continues = (static_cast<unsigned char>(text.front()) & 0xC0U) == 0x80U;
        run = padding == kPadding.end() ? 0 : run + 1;
        result.longestRun = std::max(result.longestRun, run);
        if (run <= 1) {
            ++result.bytes;
            result.characters += continues ? 0 : 1;
        }
        text.remove_prefix(padding == kPadding.end() ? 1 : padding->size());
    }
    return result;
}

std::string_view trimmed(std::string_view text) {
    while (const std::size_t size = separatorAtStart(text)) {
        text.remove_prefix(size);
    }
    while (const std::size_t size = separatorAtEnd(text)) {
        text.remove_suffix(size);
    }
    return text;
}

// Where the last separator of text begins; npos when it has none.
std::size_t lastSeparator(std::string_view text) {
    std::size_t best = std::string_view::npos;
    for (const std::string_view separator : kSeparators) {
        const std::size_t at = text.rfind(separator);
        if (at != std::string_view::npos && (best == std::string_view::npos || at > best)) {
            best = at;
        }
    }
    return best;
}

// A whole number in ASCII or full-width digits; -1 when text is anything else.
long long wholeNumber(std::string_view text) {
    long long value = 0;
    bool any = false;
    while (!text.empty()) {
        int digit = 0;
        if (text.front() >= '0' && text.front() <= '9') {
            digit = text.front() - '0';
            text.remove_prefix(1);
        } else if (text.size() >= 3 && text.substr(0, 2) == kFullWidthZero.substr(0, 2) &&
                   static_cast<unsigned char>(text[2]) >= 0x90 &&
                   static_cast<unsigned char>(text[2]) <= 0x99) {
            digit = static_cast<unsigned char>(text[2]) - 0x90;
            text.remove_prefix(3);
        } else {
            return -1;
        }
        value = std::min(kSaturated, value * 10 + digit);
        any = true;
    }
    return any ? value : -1;
}

// The character that UTF-8 text has at `at`, which moves past it; nullopt when the bytes
// there are no well-formed character (then `at` moves past the bytes that began one).
std::optional<char32_t> nextCharacter(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    const unsigned lead = byte(at);
    ++at;
    if (lead < 0x80U) {
        return lead;
    }
    int trail = 0;
    unsigned low = 0x80U;  // the first trail byte's range keeps out overlong forms,
    unsigned high = 0xBFU; // surrogates and values past U+10FFFF
    char32_t character = 0;
    if (lead >= 0xC2U && lead <= 0xDFU) {
        trail = 1;
        character = lead & 0x1FU;
    } else if (lead >= 0xE0U && lead <= 0xEFU) {
        trail = 2;
        character = lead & 0x0FU;
        low = lead == 0xE0U ? 0xA0U : low;
        high = lead == 0xEDU ? 0x9FU : high;
    } else if (lead >= 0xF0U && lead <= 0xF4U) {
        trail = 3;
        character = lead & 0x07U;
        low = lead == 0xF0U ? 0x90U : low;
        high = lead == 0xF4U ? 0x8FU : high;
    } else {
        return std::nullopt;
    }
    if (at + static_cast<std::size_t>(trail) > text.size() || byte(at) < low || byte(at) > high) {
        return std::nullopt;
    }
    for (int i = 0; i < trail; ++i, ++at) {
        if ((byte(at) & 0xC0U) != 0x80U) {
            return std::nullopt;
        }
        character = (character << 6U) | (byte(at) & 0x3FU);
    }
    return character;
}

// Control characters: C0 but the TAB that separates, DEL, C1, and the line and paragraph
// separators. A name holding one shows less than it is (a lone LF in a CR LF file hides
// the next prize inside the line).
bool isControl(char32_t c) {
    return (c < 0x20 && c != U'\t') || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

struct CharacterRange {
    char32_t first;
    char32_t last;
};

// Characters that show as nothing, or as a plain space, and make a name other than it
// looks: the format characters (Unicode category Cf: ZERO WIDTH SPACE, the joiners, the
// direction marks, a byte-order mark inside the text, the tags); the spaces but the ASCII
// one and the ideographic one that separates (NO-BREAK SPACE, the typographic spaces);
// and the letters that are blank (the Hangul fillers).
constexpr std::array<CharacterRange, 25> kInvisible = {{
    {0x00A0, 0x00A0},   {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},
    {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},
    {0x115F, 0x1160},   {0x1680, 0x1680},   {0x180E, 0x180E},   {0x2000, 0x200F},
    {0x202A, 0x202F},   {0x205F, 0x206F},   {0x3164, 0x3164},   {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
}};

bool isInvisible(char32_t c) {
    return std::any_of(kInvisible.begin(), kInvisible.end(), [c](const CharacterRange& range) {
        return c >= range.first && c <= range.last;
    });
}

constexpr char32_t kReplacementCharacter = 0xFFFD;

// A character that the plan may not hold, and the fault it makes.
struct RefusedCharacter {
    PlanFault fault = PlanFault::None;
    char32_t character = 0;
};

RefusedCharacter firstRefusedCharacter(std::string_view line) {
    for (std::size_t at = 0; at < line.size();) {
        const std::optional<char32_t> c = nextCharacter(line, at);
        if (!c || *c == kReplacementCharacter) {
            return {PlanFault::InvalidCharacter, kReplacementCharacter};
        }
        if (isControl(*c)) {
            return {PlanFault::ControlCharacter, *c};
        }
        if (isInvisible(*c)) {
            return {PlanFault::InvisibleCharacter, *c};
        }
    }
    return {};
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr std::array<std::string_view, 2> kCommas = {",", "，"};

// The comma that text starts with, if any.
std::string_view commaAtStart(std::string_view text) {
    for (const std::string_view comma : kCommas) {
        if (text.starts_with(comma)) {
            return comma;
        }
    }
    return {};
}

// Where the ASCII digits that text ends with begin.
std::size_t digitsAtEnd(std::string_view text) {
    std::size_t start = text.size();
    while (start > 0 && isAsciiDigit(text[start - 1])) {
        --start;
    }
    return start;
}

// True when text ends with the comma right after a digit.
bool endsWithDigitAnd(std::string_view text, std::string_view comma) {
    return text.size() > comma.size() && text.ends_with(comma) &&
           isAsciiDigit(text[text.size() - comma.size() - 1]);
}

// The number as written when the comma at `at` groups thousands ("六等奖 1,500" is no prize
// "六等奖 1" of 500): three digits after it, and before it 1 to 3 digits, maybe after more
// groups of three behind the same comma, that begin the text or follow a separator which
// joins them to no other number. Empty when the comma separates name and count.
std::string_view thousandsGrouped(std::string_view text, std::size_t at) {
    const std::string_view comma = commaAtStart(text.substr(at));
    const std::string_view after = text.substr(at + comma.size());
    if (comma.empty() || after.size() != 3 || digitsAtEnd(after) != 0) {
        return {};
    }
    std::size_t end = at; // of the group of digits before a comma
    std::size_t start = digitsAtEnd(text.substr(0, end));
    while (end - start == 3 && endsWithDigitAnd(text.substr(0, start), comma)) {
        end = start - comma.size();
        start = digitsAtEnd(text.substr(0, end));
    }
    const std::string_view before = text.substr(0, start);
    if (end == start || end - start > 3 ||
        (!before.empty() && (separatorAtEnd(before) == 0 || endsWithDigitAnd(before, kCommas[0]) ||
                             endsWithDigitAnd(before, kCommas[1])))) {
        return {};
    }
    return text.substr(start);
}

std::string_view withoutUnit(std::string_view text) {
    for (const std::string_view unit : kCountUnits) {
        if (text.ends_with(unit)) {
            return trimmed(text.substr(0, text.size() - unit.size()));
        }
    }
    return text;
}

} // namespace

bool PrizePlanReader::refuse(PlanFault fault) {
    m_fault = fault;
    m_faultLine = m_line;
    return false;
}

bool PrizePlanReader::take(std::string_view line) {
    ++m_line;
    if (const RefusedCharacter refused = firstRefusedCharacter(line);
        refused.fault != PlanFault::None) {
        m_faultCharacter = refused.character;
        return refuse(refused.fault);
    }
    if (line.size() > kMaxLineBytes) {
        const Squeezed content = squeezed(line);
        if (content.bytes > kMaxLineBytes) {
            return refuse(PlanFault::LineTooLong);
        }
        // A line as long as the file reader cuts lines at: its count may be lost.
        if (line.size() + kLongestCharacterBytes > platform::kLineCutBytes) {
            m_faultSpaces = content.longestRun;
            return refuse(PlanFault::SpaceRun);
        }
    }
    const SplitLine split = splitOptions(line);
    const RuleRead rule = readRule(split.options);
    if (rule.fault != OptionFault::None) {
        m_faultCount = rule.option;
        return refuse(rule.fault == OptionFault::TwoTiers     ? PlanFault::TwoTiers
                      : rule.fault == OptionFault::PlacesMode ? PlanFault::PlacesMode
                                                              : PlanFault::BadOption);
    }
    const std::string_view text = withoutUnit(trimmed(split.rest));
    if (text.empty()) {
        if (!split.options.empty()) {
            return refuse(PlanFault::NoName);
        }
        return true;
    }
    const std::size_t at = lastSeparator(text);
    if (at == std::string_view::npos) {
        return refuse(wholeNumber(text) >= 0 ? PlanFault::NoName : PlanFault::NoCount);
    }
    if (const std::string_view grouped = thousandsGrouped(text, at); !grouped.empty()) {
        m_faultCount = grouped;
        return refuse(PlanFault::ThousandsSeparator);
    }
    const std::string_view name = trimmed(text.substr(0, at));
    const bool all = trimmed(text.substr(at)) == kAllCount;
    const long long count = all ? 0 : wholeNumber(trimmed(text.substr(at)));
    if (name.empty()) {
        return refuse(PlanFault::NoName);
    }
    if (name.find('\t') != std::string_view::npos) {
        m_faultCharacter = U'\t'; // a TAB separates: inside a name it is a slip
        return refuse(PlanFault::ControlCharacter);
    }
    if (platform::utf8Length(name) > kMaxPrizeNameLength) {
        const Squeezed spaced = squeezed(name);
        if (spaced.characters > kMaxPrizeNameLength) {
            return refuse(PlanFault::LineTooLong);
        }
        m_faultSpaces = spaced.longestRun;
        return refuse(PlanFault::SpaceRun);
    }
    if (count <= 0 && !all) {
        return refuse(PlanFault::CountNotWhole);
    }
    if (all && rule.rule.places != PlacesMode::None) {
        m_faultCount = rule.rule.options;
        return refuse(PlanFault::PlacesOnAll);
    }
    const auto sameConditions = [&](const Prize& earlier) {
        return earlier.all && earlier.rule.conditions == rule.rule.conditions;
    };
    if (std::ranges::any_of(m_prizes, sameConditions)) {
        m_faultCount = rule.rule.conditions;
        return refuse(PlanFault::AllNotLast);
    }
    if (!m_names.emplace(name).second) {
        m_faultName = name;
        return refuse(PlanFault::NameTwice);
    }
    // People may win again on a line that says so: its places are no more of the list's.
    m_total += rule.rule.repeat ? 0 : count;
    if (m_total > m_listSize) {
        return refuse(PlanFault::AboveList);
    }
    m_prizes.push_back({std::string(name), static_cast<int>(count), all, rule.rule});
    m_lines.push_back(m_line);
    return true;
}

bool isProcedure(const std::vector<Prize>& prizes) {
    return std::ranges::any_of(
        prizes, [](const Prize& prize) { return prize.all || !prize.rule.options.empty(); });
}

} // namespace kelvara::draw
