#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "limits.h"

namespace kelvara::draw {

inline constexpr char kPrizePlanFile[] = "奖项.txt";

// One prize of the plan: its name and how many people win it.
struct Prize {
    std::string name;
    int count = 0;

    bool operator==(const Prize&) const = default;
};

// The plan in force: read at Initialize, kept for the whole run.
struct PrizePlan {
    std::string sha256; // of the plan's file
    std::vector<Prize> prizes;
};

// Why a prize plan is refused, at which line.
enum class PlanFault {
    None,
    NoName,        // a count with nothing before it
    NoCount,       // a name with no count after it
    CountNotWhole, // a count that is no positive whole number
    NameTwice,     // a second prize of one name
    AboveList,     // the prizes so far are more people than the list has
    LineTooLong,   // longer than any prize's name and count
    TooLarge,      // the file is larger than any plan
    // A control character, such as a line break inside the line (a lone LF in a CR LF
    // file) or a TAB inside the name; `faultCharacter`.
    ControlCharacter,
    // A character that shows as nothing or as a plain space: a format character (ZERO
    // WIDTH SPACE, the joiners, a byte-order mark inside the text), a space other than the
    // ASCII and the ideographic one (NO-BREAK SPACE), a Hangul filler; `faultCharacter`.
    InvisibleCharacter,
    InvalidCharacter, // bytes that did not decode (U+FFFD, or no UTF-8)
    // "六等奖 1,500": a comma grouping thousands, not separating name and count;
    // `faultCount`.
    ThousandsSeparator,
    // A name too long only for a run of spaces in it, or a line cut short by its spaces;
    // `faultSpaces`.
    SpaceRun,
};

// Reads a plan line by line: "三等奖 20", with a space, TAB, comma or full-width comma
// between name and count (a trailing "人" or "名" is allowed); blank lines are skipped.
// Spaces that pad a line, however many, do not make it too long.
class PrizePlanReader final {
public:
    explicit PrizePlanReader(int listSize) : m_listSize(listSize) {}

    // False once the plan is refused: reading can stop.
    bool take(std::string_view line);

    const std::vector<Prize>& prizes() const { return m_prizes; }
    PlanFault fault() const { return m_fault; }
    int faultLine() const { return m_faultLine; }
    // The name that was given twice, for NameTwice.
    const std::string& faultName() const { return m_faultName; }
    // The character refused, for the character faults.
    char32_t faultCharacter() const { return m_faultCharacter; }
    // The count as written, for ThousandsSeparator.
    const std::string& faultCount() const { return m_faultCount; }
    // The longest run of spaces, for SpaceRun.
    int faultSpaces() const { return m_faultSpaces; }

private:
    bool refuse(PlanFault fault);

    int m_listSize;
    int m_line = 0;
    long long m_total = 0;
    std::vector<Prize> m_prizes;
    std::unordered_set<std::string> m_names;
    PlanFault m_fault = PlanFault::None;
    int m_faultLine = 0;
    std::string m_faultName;
    char32_t m_faultCharacter = 0;
    std::string m_faultCount;
    int m_faultSpaces = 0;
};

} // namespace kelvara::draw
