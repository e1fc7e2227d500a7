#include "text_reader.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QIODevice>
#include <algorithm>

#include "platform/text_codec.h"
#include "platform/text_lines.h"

namespace kelvara::platform {

namespace {

constexpr qsizetype kPieceBytes = 64 * 1024;

// Appends up to `count` bytes to the buffer, and to the hash: the number appended, 0 at
// the end of the file, -1 on a read error.
qint64 readMore(QIODevice& device, QByteArray& buffer, qsizetype count, QCryptographicHash* hash) {
    const qsizetype old = buffer.size();
    buffer.resize(old + count);
    const qint64 got = device.read(buffer.data() + old, count);
    buffer.resize(old + static_cast<qsizetype>(std::max<qint64>(got, 0)));
    if (hash != nullptr && got > 0) {
        hash->addData(QByteArrayView(buffer).sliced(old));
    }
    return got;
}

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// In UTF-8 and the legacy code pages a CR byte is a CR and nothing else; UTF-16 must be
// decoded to tell.
bool hasCarriageReturn(QByteArrayView body, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
        return TextDecoder(encoding).decode(body).contains('\r');
    }
    return body.contains('\r');
}

} // namespace

ReadEnd readTextLines(QIODevice& device, const LineSink& sink, QCryptographicHash* bytes) {
    QByteArray head;
    qint64 got = 0;
    while (head.size() < kDecisionBytes) {
        got = readMore(device, head, std::min(kPieceBytes, kDecisionBytes - head.size()), bytes);
        if (got <= 0) {
            break;
        }
    }
    if (got < 0) {
        return ReadEnd::Failed;
    }
    const EncodingDecision decision = detectEncoding(head, got == 0);
    const QByteArrayView body = QByteArrayView(head).sliced(decision.markLength);
    TextDecoder decoder(decision.encoding);
    LineSplitter lines(!hasCarriageReturn(body, decision.encoding), sink);
    // The head is decoded a piece at a time, so that a sink that stops at its first lines
    // does not wait for megabytes it never reads.
    for (qsizetype at = 0; at < body.size(); at += kPieceBytes) {
        if (!lines.feed(
                viewOf(decoder.decode(body.sliced(at, std::min(kPieceBytes, body.size() - at)))))) {
            return ReadEnd::Stopped;
        }
    }
    head = QByteArray();
    QByteArray text;
    QByteArray piece;
    while (got != 0) {
        piece.clear();
        got = readMore(device, piece, kPieceBytes, bytes);
        if (got < 0) {
            return ReadEnd::Failed;
        }
        if (!lines.feed(viewOf(decoder.decode(piece)))) {
            return ReadEnd::Stopped;
        }
    }
    text = decoder.finish();
    if (!lines.feed(viewOf(text)) || !lines.finish()) {
        return ReadEnd::Stopped;
    }
    return ReadEnd::Complete;
}

} // namespace kelvara::platform
