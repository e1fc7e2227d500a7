#pragma once

#include "platform/services.h"

class QIODevice;

namespace kelvara::platform {

// Reads a text file from the device in pieces, decoding as it goes, and passes its lines to
// the sink until the sink has what it needs or the file ends. The encoding and the line
// rule are decided on the first kDecisionBytes, so memory stays bounded however large the
// file is. Returns false on a read error; lines passed on before it must not be trusted.
bool readTextLines(QIODevice& device, const LineSink& sink);

} // namespace kelvara::platform
