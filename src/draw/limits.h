#pragma once

#include <cstddef>
#include <cstdint>

// The limits of a run, shared by the checks that hold them, the record and the messages
// that name them.
namespace kelvara::draw {

// A list of fewer lines is no draw; more would not fit the 16-bit counts of the draw.
inline constexpr int kMinCandidates = 2;
inline constexpr int kMaxCandidates = 10000;
// No name is this long; a longer line means the file is no list, and laying it out would
// freeze the window.
inline constexpr std::size_t kMaxLineLength = 1000;
// The highest number a run can list: numbers are 16-bit.
inline constexpr int kMaxResultNumber = 32767;
// A prize's name is shown large on a projector: longer than this is no name.
inline constexpr std::size_t kMaxPrizeNameLength = 100;
// Even the largest plan is a few hundred kilobytes; a larger file is no plan and is refused
// before it is read.
inline constexpr std::uintmax_t kMaxPrizePlanBytes = 1024 * 1024;
// A verifiable run's public input must hold this many digits at least, or it could be
// guessed.
inline constexpr int kMinPublicDigits = 12;

} // namespace kelvara::draw
