#pragma once

#include <string>
#include <vector>

#include "draw/results.h"

namespace kelvara::testing {

// A procedure's run as the results hold it: A组 gives two places in the places list's order
// and A组候补 is its waiting list. [2] gave their place up and 候补1 moved up into it as [5];
// 候补2 withdrew. The places are "1-101 90" and "1-102 88", from a workbook with the header
// 房号, 面积 or from a text list.
inline draw::Results procedureResults(bool workbookPlaces) {
    const platform::LocalDateTime first{2026, 12, 7, 19, 31, 12};
    const platform::LocalDateTime second{2026, 12, 7, 20, 5, 59};
    draw::Results results;
    draw::Prize admitted{"A组", 2};
    admitted.rule.places = draw::PlacesMode::InOrder;
    results.setPrizes({admitted, {"A组候补", 0, true}});
    results.setCapacities({2, 2});
    if (workbookPlaces) {
        results.setPlaceTitles({"房号", "面积"});
    }
    const auto place = [&](int row, const std::string& number, const std::string& area) {
        return draw::Candidate{row, number + "\t" + area,
                               workbookPlaces ? std::vector<std::string>{number, area}
                                              : std::vector<std::string>{}};
    };
    const auto entry = [&](int number, int line, const platform::LocalDateTime& time) {
        return draw::ResultEntry{number, {line, "户" + std::to_string(line)}, 0, time};
    };
    std::vector<draw::ResultEntry> round{entry(1, 11, first), entry(2, 12, first)};
    round[0].rank = 1;
    round[0].place = place(1, "1-101", "90");
    round[1].rank = 2;
    round[1].place = place(2, "1-102", "88");
    results.addRound(round, 1);
    std::vector<draw::ResultEntry> waiting{entry(3, 13, second), entry(4, 14, second)};
    waiting[0].waiting = 1;
    waiting[1].waiting = 2;
    results.addRound(waiting, 2);
    results.markAbsent(2, second);
    draw::ResultEntry movedUp = entry(5, 13, second);
    movedUp.round = 2;
    movedUp.prize = 1;
    movedUp.rank = 2;
    movedUp.replaces = 2;
    movedUp.place = place(2, "1-102", "88");
    results.addMovedUp(movedUp);
    results.markAbsent(4, second);
    return results;
}

} // namespace kelvara::testing
