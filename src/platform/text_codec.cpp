#include "text_codec.h"

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdint>
#include <cstring>
#include <utility>

namespace kelvara::platform {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// Keeps the initial mark off: ours was already taken away, and a second one is text.
constexpr auto kDecodeFlags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

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

QByteArray utf8WithReplacements(QByteArray bytes) {
    if (isValidUtf8(viewOf(bytes))) {
        return bytes;
    }
    return QString::fromUtf8(bytes).toUtf8();
}

QByteArray decodeLegacy(const QByteArray& bytes) {
#ifdef Q_OS_WIN
    QStringDecoder decoder(QStringConverter::System, kDecodeFlags);
#else
    QStringDecoder decoder("GB18030", kDecodeFlags);
#endif
    if (!decoder.isValid()) {
        return QString::fromUtf8(bytes).toUtf8();
    }
    return decodeWith(decoder, bytes);
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
        const unsigned lead = *p;
        if (lead < 0x80U) {
            ++p;
            continue;
        }
        unsigned low = 0x80U;
        unsigned high = 0xBFU;
        std::ptrdiff_t trail = 0;
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
            return false;
        }
        if (end - p <= trail || p[1] < low || p[1] > high) {
            return false;
        }
        for (std::ptrdiff_t i = 2; i <= trail; ++i) {
            if ((p[i] & 0xC0U) != 0x80U) {
                return false;
            }
        }
        p += trail + 1;
    }
    return true;
}

QByteArray decodeTextFile(QByteArray bytes) {
    const std::string_view view = viewOf(bytes);
    if (view.starts_with(kUtf8Mark)) {
        bytes.remove(0, static_cast<qsizetype>(kUtf8Mark.size()));
        return utf8WithReplacements(std::move(bytes));
    }
    if (view.starts_with(kUtf16LeMark)) {
        QStringDecoder decoder(QStringConverter::Utf16LE, kDecodeFlags);
        return decodeWith(decoder, QByteArrayView(bytes).sliced(2));
    }
    if (view.starts_with(kUtf16BeMark)) {
        QStringDecoder decoder(QStringConverter::Utf16BE, kDecodeFlags);
        return decodeWith(decoder, QByteArrayView(bytes).sliced(2));
    }
    if (isValidUtf8(view)) {
        return bytes;
    }
    return decodeLegacy(bytes);
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
