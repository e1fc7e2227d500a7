#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "services.h"

namespace kelvara::platform {

// A line longer than this many bytes reaches the sink cut to at most this length (at a
// character boundary), as soon as the reader has seen that much of it, and the rest of the
// line is skipped. No list holds such a line, and an endless one must neither fill the
// memory nor keep the reader busy.
inline constexpr std::size_t kLineCutBytes = 8192;

// Splits decoded UTF-8 text, fed in pieces of any size, into lines. A line ends at CR LF or
// a lone CR; a lone LF is part of the line. In Unix text (no CR at all) LF ends a line. A
// last line without terminator is a line; a terminator at the very end starts no new one.
class LineSplitter {
public:
    LineSplitter(bool unixText, const LineSink& sink) : m_unixText(unixText), m_sink(sink) {}

    // False once the sink has asked to stop; nothing more is passed on then.
    bool feed(std::string_view text);
    // Passes on the last line; false when the sink asked to stop.
    bool finish();

private:
    bool endLine();
    void append(std::string_view piece);

    bool m_unixText;
    const LineSink& m_sink;
    std::string m_line;
    bool m_lineStarted = false; // some text (or a cut) belongs to the current line
    bool m_skipping = false;    // the current line was cut and handed over already
    bool m_afterCr = false;     // the previous piece ended with a CR
    bool m_stopped = false;
};

// Splits a whole decoded text; Unix text when it holds no CR. Returns false when the sink
// asked to stop.
bool splitTextLines(std::string_view text, const LineSink& sink);

// Number of characters (code points) of UTF-8 text.
std::size_t utf8Length(std::string_view text);

} // namespace kelvara::platform
