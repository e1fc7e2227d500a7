#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::draw {

// Where a line's winners get their places from the places list: not at all, in the list's
// order, or by a second random order over the line's places.
enum class PlacesMode { None, InOrder, Random };

// "组别=A" or "区域=区内/区外": a column and the values its cell may hold. As tiers,
// "批次=1>2>3": the values in the order their rows come.
struct Condition {
    std::string column;
    std::vector<std::string> values;

    bool operator==(const Condition&) const = default;
};

// What a plan line says beyond its name and count: who it draws from, in which tiers, whether
// its winners get places, and whether people placed by an earlier line may win again.
struct PrizeRule {
    std::vector<Condition> filters;
    std::optional<Condition> tiers;
    PlacesMode places = PlacesMode::None;
    bool repeat = false;
    std::string options;    // as read, joined by one space; empty for a plain line
    std::string conditions; // the options but "房源=…": lines of equal conditions share an order

    bool operator==(const PrizeRule&) const = default;
};

inline constexpr char kAllCount[] = "全部";
inline constexpr char kPlacesOption[] = "房源";
inline constexpr char kPlacesInOrder[] = "顺序";
inline constexpr char kPlacesRandom[] = "随机";
inline constexpr char kRepeatOption[] = "可重复";

// A plan line with its options taken off its end: "一组 100 组别=A 房源=随机" gives "一组 100"
// and the two options. An option is a field holding "=" or the word 可重复; fields are
// separated by spaces, TABs or U+3000.
struct SplitLine {
    std::string_view rest;
    std::vector<std::string_view> options;
};
SplitLine splitOptions(std::string_view line);

// Why a line's options are refused.
enum class OptionFault {
    None,
    Malformed,  // "组别=" or "=A": a column or a value missing
    TwoTiers,   // two options with ">"
    PlacesMode, // "房源=" other than 顺序 or 随机
};
struct RuleRead {
    PrizeRule rule;
    OptionFault fault = OptionFault::None;
    std::string option; // the option refused
};
RuleRead readRule(const std::vector<std::string_view>& options);

// A cell as a condition compares it: without spaces, TABs and U+3000 at its ends.
std::string_view conditionCell(std::string_view cell);

} // namespace kelvara::draw
