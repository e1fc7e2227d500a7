#pragma once

#include <QByteArray>
#include <string_view>

namespace kelvara::platform {

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values
// beyond U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Turns the bytes of a text file into UTF-8. A UTF-8 or UTF-16 byte-order mark decides
// the encoding and is dropped; otherwise valid UTF-8 stays as it is, and anything else
// is read in the legacy code page (the ANSI code page on Windows, GB18030 elsewhere).
// Bytes that do not decode become U+FFFD.
QByteArray decodeTextFile(QByteArray bytes);

// The bytes that a text file of this UTF-8 text holds: UTF-8 without a mark; on Windows
// the ANSI code page, or UTF-8 with a mark when the code page cannot hold every character.
QByteArray encodeTextFile(std::string_view text);

} // namespace kelvara::platform
