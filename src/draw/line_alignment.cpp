#include "line_alignment.h"

#include <algorithm>
#include <vector>

namespace kelvara::draw {

namespace {

// Lines the two lists could share at best, whatever the alignment: their common multiset.
std::size_t commonLines(std::span<const LineHash> a, std::span<const LineHash> b) {
    std::vector<LineHash> left(a.begin(), a.end());
    std::vector<LineHash> right(b.begin(), b.end());
    std::sort(left.begin(), left.end());
    std::sort(right.begin(), right.end());
    std::size_t common = 0;
    auto l = left.begin();
    auto r = right.begin();
    while (l != left.end() && r != right.end()) {
        if (*l < *r) {
            ++l;
        } else if (*r < *l) {
            ++r;
        } else {
            ++common;
            ++l;
            ++r;
        }
    }
    return common;
}

// Myers' greedy search: does a script of at most maxEdits insertions and deletions turn a
// into b? Time O((N + M) * maxEdits), memory O(maxEdits).
bool editScriptWithin(std::span<const LineHash> a, std::span<const LineHash> b,
                      std::size_t maxEdits) {
    const auto n = static_cast<std::ptrdiff_t>(a.size());
    const auto m = static_cast<std::ptrdiff_t>(b.size());
    const auto limit = static_cast<std::ptrdiff_t>(maxEdits);
    std::vector<std::ptrdiff_t> furthest(static_cast<std::size_t>(2 * limit + 3), 0);
    const std::ptrdiff_t offset = limit + 1;
    const auto at = [&](std::ptrdiff_t diagonal) -> std::ptrdiff_t& {
        return furthest[static_cast<std::size_t>(diagonal + offset)];
    };
    for (std::ptrdiff_t d = 0; d <= limit; ++d) {
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x =
                (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            std::ptrdiff_t y = x - k;
            while (x < n && y < m &&
                   a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)]) {
                ++x;
                ++y;
            }
            at(k) = x;
            if (x >= n && y >= m) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

// FNV-1a: the same on every platform and in every version, as the record keeps it.
LineHash hashLine(std::string_view line) {
    LineHash hash = 0xCBF29CE484222325ULL;
    for (const char c : line) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    }
    return hash;
}

bool linesInsertedOrRemoved(std::span<const LineHash> before, std::span<const LineHash> after) {
    if (before.size() != after.size()) {
        return true;
    }
    // Equal heads and tails align either way; only the part between them is searched.
    const auto head = std::mismatch(before.begin(), before.end(), after.begin(), after.end());
    auto a = before.subspan(static_cast<std::size_t>(head.first - before.begin()));
    auto b = after.subspan(static_cast<std::size_t>(head.second - after.begin()));
    const auto tail = std::mismatch(a.rbegin(), a.rend(), b.rbegin(), b.rend());
    a = a.first(static_cast<std::size_t>(a.rend() - tail.first));
    b = b.first(static_cast<std::size_t>(b.rend() - tail.second));

    std::size_t edited = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        edited += a[i] != b[i] ? 1 : 0;
    }
    if (edited == 0) {
        return false;
    }
    // Place by place the lists share a.size() - edited lines at an edit cost of 2 * edited.
    // A shift pays only where it can share more: never when the common lines allow no more.
    if (commonLines(a, b) <= a.size() - edited) {
        return false;
    }
    return editScriptWithin(a, b, 2 * edited - 1);
}

} // namespace kelvara::draw
