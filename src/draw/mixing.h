#pragma once

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/random_source.h"

namespace kelvara::draw {

// One random position in 1..count. The source is reseeded from the clock first; the loop
// counter and the clock (added or subtracted) feed the values, in single precision.
inline int randomPosition(platform::RandomSource& rnd, int count, int counter, bool addClock) {
    rnd.reseedFromClock();
    const float first = rnd.value(static_cast<float>(counter));
    const float time = addClock ? rnd.clock() + first : rnd.clock() - first;
    const float second = rnd.value(time);
    const float third = rnd.value(second);
    // Both factors are floats; their product is exact in double precision.
    const double scaled = static_cast<double>(static_cast<float>(count)) * third;
    return count - static_cast<int>(std::floor(scaled));
}

// Mixes items by (outerLast + 1) x (innerLast + 1) random transpositions, whatever their number.
template <typename T>
void mixByTranspositions(platform::RandomSource& rnd, std::vector<T>& items, int outerLast,
                         int innerLast) {
    const int count = static_cast<int>(items.size());
    if (count == 0) {
        return;
    }
    for (int outer = 0; outer <= outerLast; ++outer) {
        for (int inner = 0; inner <= innerLast; ++inner) {
            const int p = randomPosition(rnd, count, inner, true);
            const int q = randomPosition(rnd, count, outer, false);
            if (p != q) {
                std::swap(items[static_cast<std::size_t>(p - 1)],
                          items[static_cast<std::size_t>(q - 1)]);
            }
        }
    }
}

} // namespace kelvara::draw
