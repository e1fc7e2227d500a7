#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "limits.h"
#include "procedure_plan.h"

namespace kelvara::draw {

inline constexpr char kPrizePlanFile[] = "奖项.txt";

// One prize of the plan: its name and how many people win it; a procedure's line may say
// whom it draws from and what they get (see PrizeRule), and "全部" for its count makes it the
// waiting list of everyone its pool has left.
struct Prize {
    std::string name;
    int count = 0; // 0 for "全部"
    bool all = false;
    PrizeRule rule = {};

    bool operator==(const Prize&) const = default;
};

// The plan in force: read at Initialize, kept for the whole run.
struct PrizePlan {
    std::string sha256; // of the plan's file
    std::vector<Prize> prizes;
    // A procedure's places list, when a line gives places: its file, SHA-256, header and rows.
    std::vector<int> fileLines = {}; // each prize's line in the plan's file
    std::string placesFile = {};
    std::string placesSha256 = {};
    std::vector<std::string> placesHeader = {};
    int places = 0;
};

// A plan with a line of options or of the count "全部": the whole procedure of a public
// lottery, drawn by sections and blocks rather than by rounds of chance.
bool isProcedure(const std::vector<Prize>& prizes);

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
    // A procedure's options, each with the option as written in `faultCount` and, for a
    // column or value the list lacks, the column in `faultName`.
    BadOption,     // "组别=" or "=A"
    TwoTiers,      // two options with ">"
    PlacesMode,    // "房源=" other than 顺序 or 随机
    PlacesOnAll,   // "房源=" on a "全部" line
    AllNotLast,    // a "全部" line before another line of its conditions
    UnknownColumn, // no column of that title
    UnknownValue,  // no row with that value in the column
    PlacesShort,   // the lines with "房源=" need more places than the places list has
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
    const std::vector<int>& lines() const { return m_lines; }
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
    std::vector<int> m_lines;
    std::unordered_set<std::string> m_names;
    PlanFault m_fault = PlanFault::None;
    int m_faultLine = 0;
    std::string m_faultName;
    char32_t m_faultCharacter = 0;
    std::string m_faultCount;
    int m_faultSpaces = 0;
};

} // namespace kelvara::draw
