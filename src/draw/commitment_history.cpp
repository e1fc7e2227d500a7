#include "commitment_history.h"

#include <algorithm>

#include "record_format.h"
#include "record_lines.h"

namespace kelvara::draw {

namespace {

// The name of a record's file, as the record folder holds it.
std::string_view fileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Any version's commitment line: "可验证摇号：<algorithm>，承诺 <hex>".
std::optional<std::string> commitmentOf(std::string_view line) {
    using namespace record;
    if (!takePrefix(line, kVerifiable)) {
        return std::nullopt;
    }
    const std::size_t at = line.find(kCommitment);
    const std::string_view hex = at == std::string_view::npos
                                     ? std::string_view()
                                     : line.substr(at + std::string_view(kCommitment).size());
    return digestFromHex(hex) ? std::optional(std::string(hex)) : std::nullopt;
}

std::optional<EarlierCommitment> commitmentIn(const platform::StoredRecord& stored,
                                              std::string_view listSha256) {
    std::string_view text = stored.text;
    std::optional<EarlierCommitment> found;
    bool publicInput = false;
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (number == 2) {
            const auto list = record::readListLine(line);
            if (!list || list->sha256 != listSha256) {
                return std::nullopt;
            }
        } else if (!found && line.starts_with(record::kVerifiable)) {
            const auto commitment = commitmentOf(line);
            if (!commitment) {
                return std::nullopt;
            }
            found = EarlierCommitment{std::string(fileNameOf(stored.path)), *commitment,
                                      CommitmentEnd::VoidBeforeInput};
        } else if (found && line.starts_with(record::kPublicInput)) {
            publicInput = true;
            found->end = CommitmentEnd::AbandonedAfterInput;
        } else if (found && publicInput && line.starts_with(record::kRevealed)) {
            found->end = CommitmentEnd::Revealed;
        }
    }
    return found;
}

} // namespace

std::vector<EarlierCommitment>
earlierCommitments(const std::vector<platform::StoredRecord>& records,
                   std::string_view listSha256) {
    std::vector<EarlierCommitment> earlier;
    for (const platform::StoredRecord& stored : records) {
        auto commitment = commitmentIn(stored, listSha256);
        if (!commitment) {
            continue;
        }
        // A run continued in a record of its own repeats its commitment there: one run, and
        // the furthest it got.
        const auto same =
            std::ranges::find(earlier, commitment->commitment, &EarlierCommitment::commitment);
        if (same == earlier.end()) {
            earlier.push_back(std::move(*commitment));
        } else {
            same->end = std::min(same->end, commitment->end);
        }
    }
    return earlier;
}

} // namespace kelvara::draw
