#pragma once

#include <cstdint>
#include <vector>

#include "platform/sound_player.h"

namespace kelvara::platform {

// The built-in sounds, made here from nothing but arithmetic: 16-bit mono PCM in a WAV file's
// bytes. The rolling beat is two seconds of snare ticks with an accent on each beat and a low
// drum on the first, cut so that it loops without a seam; the fanfare a rising C major
// arpeggio that ends on the held chord.
std::vector<std::uint8_t> builtinSoundWav(BuiltinSound sound);

inline constexpr int kBuiltinSampleRate = 22050;

} // namespace kelvara::platform
