#include "procedure_plan.h"

#include <algorithm>
#include <array>

namespace kelvara::draw {

namespace {

constexpr std::array<std::string_view, 3> kFieldSeparators = {" ", "\t", "\u3000"};
constexpr std::array<std::string_view, 2> kValueSeparators = {"/", "、"};
constexpr std::array<std::string_view, 2> kTierSeparators = {">", "＞"};

std::size_t separatorAt(std::string_view text, std::size_t at) {
    for (const std::string_view separator : kFieldSeparators) {
        if (text.substr(at).starts_with(separator)) {
            return separator.size();
        }
    }
    return 0;
}

// The fields of text, split at runs of field separators.
std::vector<std::string_view> fieldsOf(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t separator = at < text.size() ? separatorAt(text, at) : 1;
        if (separator == 0) {
            ++at;
            continue;
        }
        if (at > start) {
            fields.push_back(text.substr(start, at - start));
        }
        at += separator;
        start = at;
    }
    return fields;
}

bool isOption(std::string_view field) {
    return field.find('=') != std::string_view::npos || field == kRepeatOption;
}

template <std::size_t n>
std::vector<std::string> splitAt(std::string_view text,
                                 const std::array<std::string_view, n>& separators) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size();) {
        const auto found =
            std::find_if(separators.begin(), separators.end(),
                         [&](std::string_view s) { return text.substr(at).starts_with(s); });
        if (found == separators.end()) {
            ++at;
            continue;
        }
        parts.emplace_back(text.substr(start, at - start));
        at += found->size();
        start = at;
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

template <std::size_t n>
bool holdsAny(std::string_view text, const std::array<std::string_view, n>& separators) {
    return std::any_of(separators.begin(), separators.end(),
                       [&](std::string_view s) { return text.find(s) != std::string_view::npos; });
}

} // namespace

SplitLine splitOptions(std::string_view line) {
    const std::vector<std::string_view> fields = fieldsOf(line);
    std::size_t first = fields.size();
    while (first > 0 && isOption(fields[first - 1])) {
        --first;
    }
    if (first == fields.size()) {
        return {line, {}};
    }
    if (first == 0) {
        return {{}, fields};
    }
    const std::string_view last = fields[first - 1];
    const auto end = static_cast<std::size_t>(last.data() + last.size() - line.data());
    return {line.substr(0, end),
            {fields.begin() + static_cast<std::ptrdiff_t>(first), fields.end()}};
}

RuleRead readRule(const std::vector<std::string_view>& options) {
    RuleRead read;
    PrizeRule& rule = read.rule;
    const auto refuse = [&](OptionFault fault, std::string_view option) {
        read.fault = fault;
        read.option = option;
        return read;
    };
    for (const std::string_view option : options) {
        rule.options += (rule.options.empty() ? "" : " ") + std::string(option);
        if (option == kRepeatOption) {
            rule.repeat = true;
        } else {
            const std::size_t equals = option.find('=');
            const std::string_view column = option.substr(0, equals);
            const std::string_view value = option.substr(equals + 1);
            if (column.empty() || value.empty()) {
                return refuse(OptionFault::Malformed, option);
            }
            if (column == kPlacesOption) {
                if (value != kPlacesInOrder && value != kPlacesRandom) {
                    return refuse(OptionFault::PlacesMode, option);
                }
                rule.places = value == kPlacesInOrder ? PlacesMode::InOrder : PlacesMode::Random;
                continue;
            }
            const bool tiers = holdsAny(value, kTierSeparators);
            Condition condition{std::string(column), tiers ? splitAt(value, kTierSeparators)
                                                           : splitAt(value, kValueSeparators)};
            if (std::ranges::any_of(condition.values,
                                    [](const std::string& v) { return v.empty(); })) {
                return refuse(OptionFault::Malformed, option);
            }
            if (tiers && rule.tiers) {
                return refuse(OptionFault::TwoTiers, option);
            }
            (tiers ? rule.tiers.emplace() : rule.filters.emplace_back()) = std::move(condition);
        }
        if (!rule.conditions.empty()) {
            rule.conditions += ' ';
        }
        rule.conditions += option;
    }
    return read;
}

std::string_view conditionCell(std::string_view cell) {
    const auto startsPadded = [&] {
        return std::any_of(kFieldSeparators.begin(), kFieldSeparators.end(),
                           [&](std::string_view s) { return cell.starts_with(s); });
    };
    while (!cell.empty() && startsPadded()) {
        cell.remove_prefix(cell.front() == ' ' || cell.front() == '\t' ? 1 : 3);
    }
    const auto endsPadded = [&] {
        return std::any_of(kFieldSeparators.begin(), kFieldSeparators.end(),
                           [&](std::string_view s) { return cell.ends_with(s); });
    };
    while (!cell.empty() && endsPadded()) {
        cell.remove_suffix(cell.back() == ' ' || cell.back() == '\t' ? 1 : 3);
    }
    return cell;
}

} // namespace kelvara::draw
