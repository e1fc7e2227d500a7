#include "text_lines.h"

namespace kelvara::platform {

bool splitTextLines(std::string_view text, const LineSink& sink) {
    const bool unixText = text.find('\r') == std::string_view::npos;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = 0;
        std::size_t next = 0;
        if (unixText) {
            end = text.find('\n', start);
            next = end == std::string_view::npos ? text.size() : end + 1;
        } else {
            end = text.find('\r', start);
            if (end == std::string_view::npos) {
                next = text.size();
            } else {
                next = end + 1;
                if (next < text.size() && text[next] == '\n') {
                    ++next;
                }
            }
        }
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (!sink(text.substr(start, end - start))) {
            return false;
        }
        start = next;
    }
    return true;
}

} // namespace kelvara::platform
