#pragma once

#include <string_view>
#include <vector>

#include "platform/record_store.h"
#include "verifiable_sequence.h"

namespace kelvara::draw {

// The commitments made over the list of SHA-256 `listSha256` in the records given, oldest
// first, with how each run ended: revealed, void before its public input, or abandoned
// after it. Records of other lists and ordinary runs are passed over.
std::vector<EarlierCommitment>
earlierCommitments(const std::vector<platform::StoredRecord>& records, std::string_view listSha256);

} // namespace kelvara::draw
