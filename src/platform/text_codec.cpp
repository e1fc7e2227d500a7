#include "text_codec.h"

#include <QString>
#include <QStringEncoder>
#include <algorithm>
#include <cstdint>
#include <cstring>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace kelvara::platform {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char kReplacement[] = "\xEF\xBF\xBD";

// Keeps the initial mark off: ours was already taken away, and a second one is text.
constexpr auto kDecodeFlags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

std::string_view viewOf(QByteArrayView bytes) {
    return {bytes.data(), static_cast<std::size_t>(bytes.size())};
}

unsigned byteAt(QByteArrayView bytes, qsizetype i) {
    return static_cast<unsigned char>(bytes[i]);
}

constexpr int kIncomplete = -1;

// Length of the well-formed UTF-8 sequence at p; 0 when the bytes there are not one;
// kIncomplete when they begin one that the end cuts off.
int utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
    const unsigned lead = *p;
    if (lead < 0x80U) {
        return 1;
    }
    unsigned low = 0x80U;
    unsigned high = 0xBFU;
    int trail = 0;
    if (lead >= 0xC2U && lead <= 0xDFU) {
        trail = 1;
    } else if (lead == 0xE0U) {
        trail = 2;
        low = 0xA0U; // no overlong forms
    } else if (lead >= 0xE1U && lead <= 0xEFU) {
        trail = 2;
        if (lead == 0xEDU) {
            high = 0x9FU; // no surrogates
        }
    } else if (lead == 0xF0U) {
        trail = 3;
        low = 0x90U;
    } else if (lead >= 0xF1U && lead <= 0xF3U) {
        trail = 3;
    } else if (lead == 0xF4U) {
        trail = 3;
        high = 0x8FU; // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    for (int i = 1; i <= trail; ++i) {
        if (p + i == end) {
            return kIncomplete;
        }
        const unsigned lowest = i == 1 ? low : 0x80U;
        const unsigned highest = i == 1 ? high : 0xBFU;
        if (p[i] < lowest || p[i] > highest) {
            return 0;
        }
    }
    return trail + 1;
}

struct Utf8Evidence {
    qsizetype validMultiByte = 0;
    qsizetype invalid = 0;
};

Utf8Evidence utf8Evidence(std::string_view bytes, bool complete) {
    Utf8Evidence evidence;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const int length = utf8SequenceLength(p, end);
        if (length == kIncomplete) {
            // Cut by the end of what was looked at: the file may finish the character.
            evidence.invalid += complete ? 1 : 0;
            break;
        }
        if (length == 0) {
            ++evidence.invalid;
            ++p;
            continue;
        }
        evidence.validMultiByte += length > 1 ? 1 : 0;
        p += length;
    }
    return evidence;
}

// How the bytes read as GB18030: two-byte characters of the common GB2312 area, and
// anything else (rarer characters, four-byte sequences, bytes that form no character).
struct GbEvidence {
    qsizetype common = 0;
    qsizetype unlikely = 0;
};

GbEvidence gbEvidence(std::string_view bytes, bool complete) {
    GbEvidence evidence;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    const auto within = [](unsigned value, unsigned low, unsigned high) {
        return value >= low && value <= high;
    };
    while (p < end) {
        if (*p < 0x80U) {
            ++p;
            continue;
        }
        if (end - p < 2) {
            evidence.unlikely += complete ? 1 : 0;
            break;
        }
        const unsigned lead = p[0];
        const unsigned trail = p[1];
        if (within(lead, 0x81U, 0xFEU) && within(trail, 0x30U, 0x39U)) {
            ++evidence.unlikely;
            p += std::min<std::ptrdiff_t>(4, end - p);
        } else if (within(lead, 0x81U, 0xFEU) && within(trail, 0x40U, 0xFEU) && trail != 0x7FU) {
            const bool common = within(lead, 0xA1U, 0xF7U) && within(trail, 0xA1U, 0xFEU);
            ++(common ? evidence.common : evidence.unlikely);
            p += 2;
        } else {
            ++evidence.unlikely;
            ++p;
        }
    }
    return evidence;
}

// Bytes up to the last whole UTF-8 character: a lead byte whose sequence the end cuts off
// waits for more.
qsizetype utf8CompleteLength(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const unsigned byte = byteAt(bytes, size - back);
        if ((byte & 0xC0U) == 0x80U) {
            continue; // a continuation byte: its lead is further back
        }
        const qsizetype needed = byte >= 0xF0U ? 4 : byte >= 0xE0U ? 3 : byte >= 0xC0U ? 2 : 1;
        return needed > back ? size - back : size;
    }
    return size;
}

qsizetype utf16CompleteLength(QByteArrayView bytes, bool littleEndian) {
    qsizetype length = bytes.size() - bytes.size() % 2;
    if (length >= 2) {
        const unsigned first = byteAt(bytes, length - 2);
        const unsigned second = byteAt(bytes, length - 1);
        const unsigned unit = littleEndian ? first | (second << 8U) : (first << 8U) | second;
        if (unit >= 0xD800U && unit <= 0xDBFFU) {
            length -= 2; // a high surrogate waits for its partner
        }
    }
    return length;
}

#ifndef Q_OS_WIN
bool inRange(unsigned byte, unsigned low, unsigned high) {
    return byte >= low && byte <= high;
}

// Bytes up to the last whole character in GB18030: one byte below 0x81, a lead byte with
// one trail byte, or a lead byte, a digit, a lead-range byte and a digit. A lead byte that
// no valid trail follows is a character of its own (it decodes to U+FFFD).
qsizetype gb18030CompleteLength(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    while (pos < size) {
        const unsigned lead = byteAt(bytes, pos);
        if (lead < 0x81U || lead == 0xFFU) {
            ++pos;
            continue;
        }
        if (pos + 1 == size) {
            return pos;
        }
        const unsigned second = byteAt(bytes, pos + 1);
        if (inRange(second, 0x30U, 0x39U)) {
            if (pos + 2 < size && !inRange(byteAt(bytes, pos + 2), 0x81U, 0xFEU)) {
                ++pos;
            } else if (pos + 3 >= size) {
                return pos;
            } else {
                pos += inRange(byteAt(bytes, pos + 3), 0x30U, 0x39U) ? 4 : 1;
            }
            continue;
        }
        const bool trail = inRange(second, 0x40U, 0x7EU) || inRange(second, 0x80U, 0xFEU);
        pos += trail ? 2 : 1;
    }
    return size;
}
#endif

qsizetype legacyCompleteLength(QByteArrayView bytes) {
#ifdef Q_OS_WIN
    if (GetACP() == CP_UTF8) {
        return utf8CompleteLength(bytes);
    }
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    while (pos < size) {
        if (!IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(byteAt(bytes, pos)))) {
            ++pos;
        } else if (pos + 1 == size) {
            return pos;
        } else {
            pos += 2;
        }
    }
    return size;
#else
    return gb18030CompleteLength(bytes);
#endif
}

QStringDecoder makeDecoder(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf16LE:
        return QStringDecoder(QStringConverter::Utf16LE, kDecodeFlags);
    case TextEncoding::Utf16BE:
        return QStringDecoder(QStringConverter::Utf16BE, kDecodeFlags);
    case TextEncoding::Legacy:
#ifdef Q_OS_WIN
        return QStringDecoder(QStringConverter::System, kDecodeFlags);
#else
        return QStringDecoder("GB18030", kDecodeFlags);
#endif
    case TextEncoding::Utf8:
        break;
    }
    return QStringDecoder(QStringConverter::Utf8, kDecodeFlags);
}

QByteArray utf8WithReplacements(QByteArrayView bytes) {
    if (isValidUtf8(viewOf(bytes))) {
        return bytes.toByteArray();
    }
    return QString::fromUtf8(bytes).toUtf8();
}

QByteArray decodeWith(QStringDecoder& decoder, QByteArrayView bytes) {
    QString text = decoder.decode(bytes);
    // UTF-16 may hold unpaired surrogates, which toUtf8() would turn into '?'.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (text[i].isSurrogate()) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
    return text.toUtf8();
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        // Skip ASCII runs (digits, blanks, line ends) eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, sizeof word);
            if ((word & 0x8080808080808080ULL) != 0) {
                break;
            }
            p += 8;
        }
        if (p == end) {
            break;
        }
        const int length = utf8SequenceLength(p, end);
        if (length <= 0) {
            return false;
        }
        p += length;
    }
    return true;
}

EncodingDecision detectEncoding(QByteArrayView head, bool complete) {
    const std::string_view view = viewOf(head);
    if (view.starts_with(kUtf8Mark)) {
        return {TextEncoding::Utf8, static_cast<qsizetype>(kUtf8Mark.size())};
    }
    if (view.starts_with(kUtf16LeMark)) {
        return {TextEncoding::Utf16LE, static_cast<qsizetype>(kUtf16LeMark.size())};
    }
    if (view.starts_with(kUtf16BeMark)) {
        return {TextEncoding::Utf16BE, static_cast<qsizetype>(kUtf16BeMark.size())};
    }
    if (isValidUtf8(view)) {
        return {TextEncoding::Utf8, 0};
    }
    // Which reading is likelier: a UTF-8 list with a stray byte (José saved by an old
    // editor) still has more valid characters than bad bytes, and read as GB18030 it gives
    // rare characters; a GBK list is the other way round, however short.
    const Utf8Evidence utf8 = utf8Evidence(view, complete);
    const GbEvidence gb = gbEvidence(view, complete);
    if (utf8.invalid == 0 || utf8.validMultiByte + gb.unlikely > gb.common + utf8.invalid) {
        return {TextEncoding::Utf8, 0};
    }
    return {TextEncoding::Legacy, 0};
}

TextDecoder::TextDecoder(TextEncoding encoding)
    : m_encoding(encoding), m_decoder(makeDecoder(encoding)) {}

qsizetype TextDecoder::completeLength(QByteArrayView bytes) const {
    switch (m_encoding) {
    case TextEncoding::Utf8:
        return utf8CompleteLength(bytes);
    case TextEncoding::Utf16LE:
        return utf16CompleteLength(bytes, true);
    case TextEncoding::Utf16BE:
        return utf16CompleteLength(bytes, false);
    case TextEncoding::Legacy:
        return legacyCompleteLength(bytes);
    }
    return bytes.size();
}

QByteArray TextDecoder::convert(QByteArrayView bytes) {
    if (m_encoding == TextEncoding::Utf8 || !m_decoder.isValid()) {
        return utf8WithReplacements(bytes);
    }
    return decodeWith(m_decoder, bytes);
}

QByteArray TextDecoder::decode(QByteArrayView bytes) {
    if (m_pending.isEmpty()) {
        const qsizetype whole = completeLength(bytes);
        m_pending = bytes.sliced(whole).toByteArray();
        return convert(bytes.first(whole));
    }
    m_pending.append(bytes);
    const qsizetype whole = completeLength(m_pending);
    QByteArray text = convert(QByteArrayView(m_pending).first(whole));
    m_pending.remove(0, whole);
    return text;
}

QByteArray TextDecoder::finish() {
    // The file ends inside a character: it becomes one U+FFFD, so the last line still counts.
    const bool unfinished = !m_pending.isEmpty();
    m_pending.clear();
    return unfinished ? QByteArray(kReplacement) : QByteArray();
}

QByteArray decodeTextFile(QByteArrayView bytes) {
    const EncodingDecision decision = detectEncoding(bytes, true);
    TextDecoder decoder(decision.encoding);
    QByteArray text = decoder.decode(bytes.sliced(decision.markLength));
    text += decoder.finish();
    return text;
}

QByteArray encodeTextFile(std::string_view text) {
    const QByteArray utf8(text.data(), static_cast<qsizetype>(text.size()));
#ifdef Q_OS_WIN
    const QString unicode = QString::fromUtf8(utf8);
    QStringEncoder toAnsi(QStringConverter::System, QStringConverter::Flag::Stateless);
    const QByteArray ansi = toAnsi.encode(unicode);
    // The code page turns what it cannot hold into '?': only a lossless round trip counts.
    QStringDecoder fromAnsi(QStringConverter::System, kDecodeFlags);
    const QString back = fromAnsi.decode(ansi);
    if (!toAnsi.hasError() && back == unicode) {
        return ansi;
    }
    return QByteArray(kUtf8Mark.data(), static_cast<qsizetype>(kUtf8Mark.size())) + utf8;
#else
    return utf8;
#endif
}

} // namespace kelvara::platform
