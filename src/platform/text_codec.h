#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>
#include <string_view>

namespace kelvara::platform {

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values
// beyond U+10FFFF).
bool isValidUtf8(std::string_view bytes);

enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Legacy };

struct EncodingDecision {
    TextEncoding encoding = TextEncoding::Utf8;
    qsizetype markLength = 0; // bytes of the byte-order mark to drop
};

// How much of a file the encoding and the line rule are decided on.
inline constexpr qsizetype kDecisionBytes = 4 * 1024 * 1024;

// Decides the encoding from the first bytes of a file (all of it when `complete`). A UTF-8
// or UTF-16 byte-order mark decides. Otherwise the text is UTF-8 when its valid multi-byte
// sequences far outnumber its invalid bytes (a stray Latin-1 byte in a UTF-8 list), and
// the legacy code page when they do not (a GBK list, where nearly every Chinese character
// is invalid UTF-8): the ANSI code page on Windows, GB18030 elsewhere.
EncodingDecision detectEncoding(QByteArrayView head, bool complete);

// Turns the bytes of a text file, fed in pieces of any size, into UTF-8. A character split
// between two pieces waits for the next one; bytes that do not decode become U+FFFD, and so
// does a character that the end of the file leaves unfinished.
class TextDecoder {
public:
    explicit TextDecoder(TextEncoding encoding);

    QByteArray decode(QByteArrayView bytes);
    QByteArray finish();

private:
    qsizetype completeLength(QByteArrayView bytes) const;
    QByteArray convert(QByteArrayView bytes);

    TextEncoding m_encoding;
    QStringDecoder m_decoder; // UTF-16 and the legacy code page
    QByteArray m_pending;
};

// A whole file's bytes as UTF-8 (the mark dropped), decided and decoded as above.
QByteArray decodeTextFile(QByteArrayView bytes);

// The bytes that a text file of this UTF-8 text holds: UTF-8 without a mark; on Windows
// the ANSI code page, or UTF-8 with a mark when the code page cannot hold every character.
QByteArray encodeTextFile(std::string_view text);

} // namespace kelvara::platform
