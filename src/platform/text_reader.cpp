#include "text_reader.h"

#include <QByteArray>
#include <QIODevice>
#include <algorithm>

#include "platform/text_codec.h"
#include "platform/text_lines.h"

namespace kelvara::platform {

namespace {

constexpr qsizetype kPieceBytes = 64 * 1024;

// Appends up to `count` bytes to the buffer: the number appended, 0 at the end of the
// file, -1 on a read error.
qint64 readMore(QIODevice& device, QByteArray& buffer, qsizetype count) {
    const qsizetype old = buffer.size();
    buffer.resize(old + count);
    const qint64 got = device.read(buffer.data() + old, count);
    buffer.resize(old + static_cast<qsizetype>(std::max<qint64>(got, 0)));
    return got;
}

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

bool readTextLines(QIODevice& device, const LineSink& sink) {
    QByteArray head;
    qint64 got = 0;
    while (head.size() < kDecisionBytes) {
        got = readMore(device, head, std::min(kPieceBytes, kDecisionBytes - head.size()));
        if (got <= 0) {
            break;
        }
    }
    if (got < 0) {
        return false;
    }
    const EncodingDecision decision = detectEncoding(head, got == 0);
    TextDecoder decoder(decision.encoding);
    QByteArray text = decoder.decode(QByteArrayView(head).sliced(decision.markLength));
    head = QByteArray();

    LineSplitter lines(!text.contains('\r'), sink);
    if (!lines.feed(viewOf(text))) {
        return true;
    }
    QByteArray piece;
    while (got != 0) {
        piece.clear();
        got = readMore(device, piece, kPieceBytes);
        if (got < 0) {
            return false;
        }
        if (!lines.feed(viewOf(decoder.decode(piece)))) {
            return true;
        }
    }
    text = decoder.finish();
    lines.feed(viewOf(text));
    lines.finish();
    return true;
}

} // namespace kelvara::platform
