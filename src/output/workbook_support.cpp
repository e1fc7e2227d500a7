#include "workbook_support.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace kelvara::output {

namespace {

// East Asian wide characters (CJK, Hangul, full-width forms, most emoji) take two columns.
bool isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

} // namespace

int displayWidth(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t c = length == 1 ? lead : lead & (0x7FU >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            c = (c << 6U) | (static_cast<unsigned char>(text[i + k]) & 0x3FU);
        }
        width += isWide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

// The library writes control characters as "_xHHHH_"; a name that holds such a sequence
// keeps it when its "_" is written as "_x005F_".
std::string literalText(const std::string& text) {
    if (text.find("_x") == std::string::npos) {
        return text;
    }
    std::string literal;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' &&
            std::all_of(&text[i + 2], &text[i + 6], isHexDigit) && text[i + 6] == '_') {
            literal += "_x005F";
        }
        literal += text[i];
    }
    return literal;
}

void FirstError::operator()(lxw_error error) {
    if (m_error == LXW_NO_ERROR && error != LXW_NO_ERROR) {
        m_error = error;
        m_systemError = errno;
    }
}

platform::Outcome FirstError::failure() const {
    if (m_error == LXW_NO_ERROR) {
        return std::nullopt;
    }
    const bool full =
        std::error_code(m_systemError, std::generic_category()) == std::errc::no_space_on_device;
    return platform::Failure{full ? platform::FailureKind::DiskFull : platform::FailureKind::System,
                             {},
                             lxw_strerror(m_error)};
}

platform::Failure outOfMemory() {
    return {platform::FailureKind::System, {}, lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED)};
}

lxw_workbook* newWorkbook(const std::string& fileName) {
    char scratchFolder[] = ".";
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    options.tmpdir = scratchFolder;
    return workbook_new_opt(fileName.c_str(), &options);
}

} // namespace kelvara::output
