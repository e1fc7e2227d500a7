#include "text_lines.h"

#include <algorithm>

namespace kelvara::platform {

namespace {

bool isContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U;
}

// The longest prefix of at most `limit` bytes that does not end inside a character.
std::size_t characterBoundaryAtOrBefore(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text.size();
    }
    std::size_t end = limit;
    while (end > 0 && isContinuation(text[end])) {
        --end;
    }
    return end;
}

} // namespace

void LineSplitter::append(std::string_view piece) {
    m_lineStarted = true;
    if (m_skipping) {
        return;
    }
    m_line.append(piece);
    if (m_line.size() > kLineCutBytes) {
        m_line.resize(characterBoundaryAtOrBefore(m_line, kLineCutBytes));
        m_skipping = true;
        if (!m_sink(m_line)) {
            m_stopped = true;
        }
    }
}

bool LineSplitter::endLine() {
    const bool handedOver = m_skipping;
    m_skipping = false;
    m_lineStarted = false;
    if (!handedOver && !m_sink(m_line)) {
        m_stopped = true;
    }
    m_line.clear();
    return !m_stopped;
}

bool LineSplitter::feed(std::string_view text) {
    std::size_t start = 0;
    if (m_afterCr && !text.empty()) {
        // CR LF split between two pieces: the LF belongs to the terminator already passed.
        m_afterCr = false;
        if (text.front() == '\n') {
            start = 1;
        }
    }
    const char terminator = m_unixText ? '\n' : '\r';
    while (!m_stopped && start < text.size()) {
        const std::size_t end = text.find(terminator, start);
        if (end == std::string_view::npos) {
            append(text.substr(start));
            break;
        }
        append(text.substr(start, end - start));
        if (m_stopped || !endLine()) {
            break;
        }
        start = end + 1;
        if (!m_unixText) {
            if (start == text.size()) {
                m_afterCr = true;
            } else if (text[start] == '\n') {
                ++start;
            }
        }
    }
    return !m_stopped;
}

bool LineSplitter::finish() {
    if (m_stopped) {
        return false;
    }
    // A cut line was handed over already; endLine() does not pass it on twice.
    return !m_lineStarted || endLine();
}

bool splitTextLines(std::string_view text, const LineSink& sink) {
    LineSplitter splitter(text.find('\r') == std::string_view::npos, sink);
    return splitter.feed(text) && splitter.finish();
}

std::size_t utf8Length(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char byte) { return !isContinuation(byte); }));
}

} // namespace kelvara::platform
