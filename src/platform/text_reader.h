#pragma once

#include "platform/files.h"

class QCryptographicHash;
class QIODevice;

namespace kelvara::platform {

// Reads a text file from the device in pieces, decoding as it goes, and passes its lines to
// the sink until the sink has what it needs or the file ends. The encoding and the line
// rule are decided on the first kDecisionBytes, so memory stays bounded however large the
// file is. Every byte read is added to `bytes` when one is given.
enum class ReadEnd {
    Complete, // the whole file was read
    Stopped,  // the sink had what it needed
    Failed,   // a read error; lines passed on before it must not be trusted
};
ReadEnd readTextLines(QIODevice& device, const LineSink& sink, QCryptographicHash* bytes = nullptr);

} // namespace kelvara::platform
