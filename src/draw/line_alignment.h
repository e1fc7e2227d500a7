#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kelvara::draw {

using LineHash = std::uint64_t;

// A line's 64-bit hash, stable across platforms and versions: records keep them.
LineHash hashLine(std::string_view line);

// True when lines were inserted into or removed from `before` to give `after`: some
// alignment that skips lines matches more of them than comparing place by place does.
// Lines edited where they stand are no insertion or removal.
bool linesInsertedOrRemoved(std::span<const LineHash> before, std::span<const LineHash> after);

} // namespace kelvara::draw
