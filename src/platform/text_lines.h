#pragma once

#include <string_view>

#include "services.h"

namespace kelvara::platform {

// Splits decoded text into lines. A line ends at CR LF or a lone CR; a lone LF is part
// of the line. Text without any CR is a Unix text file, where LF ends a line. A last
// line without terminator is a line; a terminator at the very end starts no new one.
// Returns false when the sink asked to stop.
bool splitTextLines(std::string_view text, const LineSink& sink);

} // namespace kelvara::platform
