#include "procedure.h"

#include <algorithm>

namespace kelvara::draw {

namespace {

std::optional<std::size_t> columnOf(const std::vector<std::string>& titles,
                                    std::string_view title) {
    const auto found = std::find(titles.begin(), titles.end(), title);
    if (found == titles.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - titles.begin());
}

std::string_view cellAt(const std::vector<std::string>& cells, std::size_t column) {
    return column < cells.size() ? conditionCell(cells[column]) : std::string_view();
}

// Where a line stands against a rule: out of its pool, or in the pool's tier (from 0).
std::optional<std::size_t> tierOf(const PrizeRule& rule, const std::vector<std::string>& titles,
                                  const std::vector<std::string>& cells) {
    for (const Condition& filter : rule.filters) {
        const auto column = columnOf(titles, filter.column);
        if (!column ||
            std::ranges::find(filter.values, cellAt(cells, *column)) == filter.values.end()) {
            return std::nullopt;
        }
    }
    if (!rule.tiers) {
        return 0;
    }
    const auto column = columnOf(titles, rule.tiers->column);
    const auto& values = rule.tiers->values;
    const auto found = column ? std::ranges::find(values, cellAt(cells, *column)) : values.end();
    if (found == values.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - values.begin());
}

} // namespace

ProcedureFault checkProcedure(const std::vector<Prize>& prizes, const ProcedureList& list) {
    long long places = 0;
    for (std::size_t i = 0; i < prizes.size(); ++i) {
        const PrizeRule& rule = prizes[i].rule;
        const int prize = static_cast<int>(i) + 1;
        std::vector<const Condition*> conditions;
        for (const Condition& filter : rule.filters) {
            conditions.push_back(&filter);
        }
        if (rule.tiers) {
            conditions.push_back(&*rule.tiers);
        }
        for (const Condition* condition : conditions) {
            const auto column = columnOf(list.titles, condition->column);
            if (!column) {
                return {PlanFault::UnknownColumn, prize, condition->column, {}};
            }
            for (const std::string& value : condition->values) {
                if (std::ranges::none_of(list.cells, [&](const std::vector<std::string>& cells) {
                        return cellAt(cells, *column) == value;
                    })) {
                    return {PlanFault::UnknownValue, prize, condition->column, value};
                }
            }
        }
        if (rule.places != PlacesMode::None) {
            places += prizes[i].count;
            if (places > list.places) {
                return {PlanFault::PlacesShort, prize, {}, std::to_string(places)};
            }
        }
    }
    return {};
}

Procedure::Procedure(const std::vector<Prize>& prizes, const ProcedureList& list,
                     const Shuffle& shuffle)
    : m_prizes(prizes), m_sectionOf(prizes.size()), m_blocks(prizes.size()),
      m_places(prizes.size()), m_listed(prizes.size()), m_held(list.cells.size() + 1),
      m_out(list.cells.size() + 1) {
    std::vector<const Prize*> firsts; // each section's first line
    for (std::size_t i = 0; i < prizes.size(); ++i) {
        const auto found = std::ranges::find_if(firsts, [&](const Prize* first) {
            return first->rule.conditions == prizes[i].rule.conditions;
        });
        m_sectionOf[i] = static_cast<int>(found - firsts.begin()) + 1;
        if (found == firsts.end()) {
            firsts.push_back(&prizes[i]);
        }
    }
    const std::size_t sections = firsts.size();
    const int lines = static_cast<int>(list.cells.size());
    std::vector<bool> admitted(static_cast<std::size_t>(lines) + 1);
    std::vector<std::vector<int>> orders(sections);
    std::vector<std::size_t> blocksEnd(sections);
    std::vector<int> lastAdmittedBy(static_cast<std::size_t>(lines) +
                                    1); // latest section, not repeating
    m_repeat.resize(sections);
    for (std::size_t j = 0; j < sections; ++j) {
        const PrizeRule& rule = firsts[j]->rule;
        m_repeat[j] = rule.repeat;
        std::vector<std::vector<int>> tiers(rule.tiers ? rule.tiers->values.size() : 1);
        for (int line = 1; line <= lines; ++line) {
            if (!rule.repeat && admitted[static_cast<std::size_t>(line)]) {
                continue;
            }
            if (const auto tier =
                    tierOf(rule, list.titles, list.cells[static_cast<std::size_t>(line - 1)])) {
                tiers[*tier].push_back(line);
            }
        }
        std::vector<int>& order = orders[j];
        for (std::size_t t = 0; t < tiers.size(); ++t) {
            shuffle("order/" + std::to_string(j + 1) + "/" + std::to_string(t + 1), tiers[t]);
            order.insert(order.end(), tiers[t].begin(), tiers[t].end());
        }
        std::size_t taken = 0;
        for (std::size_t i = 0; i < prizes.size(); ++i) {
            if (m_sectionOf[i] != static_cast<int>(j) + 1 || prizes[i].all) {
                continue;
            }
            const std::size_t end =
                std::min(order.size(), taken + static_cast<std::size_t>(prizes[i].count));
            for (std::size_t k = std::min(taken, end); k < end; ++k) {
                const auto line = static_cast<std::size_t>(order[k]);
                m_blocks[i].push_back(order[k]);
                admitted[line] = true;
                m_held[line].push_back(static_cast<int>(j) + 1);
                if (!rule.repeat) {
                    lastAdmittedBy[line] = static_cast<int>(j) + 1;
                }
            }
            taken += static_cast<std::size_t>(prizes[i].count);
        }
        blocksEnd[j] = std::min(taken, order.size());
    }
    for (std::size_t j = 0; j < sections; ++j) {
        std::vector<int>& waiting = m_waiting.emplace_back();
        for (std::size_t k = blocksEnd[j]; k < orders[j].size(); ++k) {
            if (lastAdmittedBy[static_cast<std::size_t>(orders[j][k])] <= static_cast<int>(j) + 1) {
                waiting.push_back(orders[j][k]);
            }
        }
    }
    m_nextWaiting.resize(sections);
    int placesTaken = 0;
    for (std::size_t i = 0; i < prizes.size(); ++i) {
        if (prizes[i].rule.places == PlacesMode::None) {
            continue;
        }
        for (int k = 1; k <= prizes[i].count; ++k) {
            m_places[i].push_back(placesTaken + k);
        }
        placesTaken += prizes[i].count;
        if (prizes[i].rule.places == PlacesMode::Random) {
            shuffle("places/" + std::to_string(i + 1), m_places[i]);
        }
    }
}

const std::vector<int>& Procedure::lineOrder(int prize) const {
    const std::size_t i = index(prize);
    return m_prizes[i].all ? waiting(m_sectionOf[i]) : m_blocks[i];
}

int Procedure::placeRow(int prize, int rank) const {
    const std::vector<int>& places = m_places[index(prize)];
    return rank >= 1 && rank <= static_cast<int>(places.size()) ? places[index(rank)] : 0;
}

std::vector<Pick> Procedure::take(int prize, int count) {
    const std::vector<int>& order = lineOrder(prize);
    const bool all = m_prizes[index(prize)].all;
    int& listed = m_listed[index(prize)];
    std::vector<Pick> picks;
    for (; count > 0 && listed < static_cast<int>(order.size()); --count) {
        const int at = ++listed;
        picks.push_back(
            {order[index(at)], all ? 0 : at, all ? at : 0, all ? 0 : placeRow(prize, at)});
    }
    return picks;
}

void Procedure::takeBack(int prize, int line, int rank) {
    m_out[static_cast<std::size_t>(line)] = false;
    if (rank != 0) {
        m_held[static_cast<std::size_t>(line)].push_back(m_sectionOf[index(prize)]);
    }
}

bool Procedure::holdsPlace(int line, int section) const {
    const std::vector<int>& held = m_held[static_cast<std::size_t>(line)];
    return m_repeat[index(section)] ? std::ranges::find(held, section) != held.end()
                                    : !held.empty();
}

std::optional<Pick> Procedure::decline(int prize, int line, int rank) {
    m_out[static_cast<std::size_t>(line)] = true;
    if (rank == 0) {
        return std::nullopt;
    }
    const int section = m_sectionOf[index(prize)];
    std::vector<int>& held = m_held[static_cast<std::size_t>(line)];
    if (const auto found = std::ranges::find(held, section); found != held.end()) {
        held.erase(found);
    }
    const std::vector<int>& waiting = m_waiting[index(section)];
    std::size_t& next = m_nextWaiting[index(section)];
    for (; next < waiting.size(); ++next) {
        const int candidate = waiting[next];
        if (!m_out[static_cast<std::size_t>(candidate)] && !holdsPlace(candidate, section)) {
            m_held[static_cast<std::size_t>(candidate)].push_back(section);
            ++next;
            return Pick{candidate, rank, 0, placeRow(prize, rank)};
        }
    }
    return std::nullopt;
}

} // namespace kelvara::draw
