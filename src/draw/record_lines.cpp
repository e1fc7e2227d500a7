#include "record_lines.h"

#include <charconv>

#include "limits.h"
#include "record_format.h"
#include "verifiable_sequence.h"

namespace kelvara::draw::record {

namespace {

bool isLowerHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool isSha256Hex(std::string_view text) {
    return text.size() == kSha256HexLength && isLowerHex(text);
}

bool isDigits(std::string_view text) {
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The time before the first `separator`, and the text after that separator.
std::optional<platform::LocalDateTime> takeTimeBefore(std::string_view& line,
                                                      std::string_view separator) {
    const std::size_t end = line.find(separator);
    const auto time =
        end == std::string_view::npos ? std::nullopt : parseDateTime(line.substr(0, end));
    if (time) {
        line.remove_prefix(end + separator.size());
    }
    return time;
}

// "，奖项2" ending a line of a run with a plan; nothing in a run without one. 0 for no
// prize, empty when out of shape.
std::optional<int> takePrizeAfter(std::string_view& line, int prizes) {
    if (prizes == 0) {
        return 0;
    }
    if (!takePrefix(line, kComma) || !takePrefix(line, kPrize)) {
        return std::nullopt;
    }
    const auto prize = takeNumber(line);
    if (!prize || *prize < 1 || *prize > prizes) {
        return std::nullopt;
    }
    return prize;
}

} // namespace

std::optional<ListLine> readListLine(std::string_view line) {
    const auto countAt = line.find(kCountOf);
    if (!takePrefix(line, kListLine) || countAt == std::string_view::npos) {
        return std::nullopt;
    }
    line.remove_prefix(countAt - std::string_view(kListLine).size() +
                       std::string_view(kCountOf).size());
    const auto lines = takeNumberThen(line, kLinesThenSha256);
    if (!lines || *lines < kMinCandidates || *lines > kMaxCandidates || !isSha256Hex(line)) {
        return std::nullopt;
    }
    return ListLine{*lines, std::string(line)};
}

std::optional<std::vector<LineHash>> readLineHashes(std::string_view line) {
    if (!takePrefix(line, kLineHashes) || line.empty() || line.size() % kLineHashDigits != 0 ||
        line.size() / kLineHashDigits > kLineHashesPerLine || !isLowerHex(line)) {
        return std::nullopt;
    }
    std::vector<LineHash> hashes;
    for (; !line.empty(); line.remove_prefix(kLineHashDigits)) {
        LineHash hash = 0;
        std::from_chars(line.data(), line.data() + kLineHashDigits, hash, 16);
        hashes.push_back(hash);
    }
    return hashes;
}

std::optional<PlanLine> readPlanLine(std::string_view line) {
    const auto countAt = line.find(kCountOf);
    if (!takePrefix(line, kPlanLine) || countAt == std::string_view::npos) {
        return std::nullopt;
    }
    line.remove_prefix(countAt - std::string_view(kPlanLine).size() +
                       std::string_view(kCountOf).size());
    const auto prizes = takeNumberThen(line, kPrizesThenSha256);
    if (!prizes || *prizes < 1 || *prizes > kMaxCandidates || !isSha256Hex(line)) {
        return std::nullopt;
    }
    return PlanLine{*prizes, std::string(line)};
}

std::optional<PrizeLine> readPrizeLine(std::string_view line) {
    if (!takePrefix(line, kPrize)) {
        return std::nullopt;
    }
    const auto index = takeNumberThen(line, kColon);
    if (index && takePrefix(line, std::string(kAllPeople) + kComma) && !line.empty()) {
        return PrizeLine{*index, {std::string(line), 0, true}};
    }
    const auto count = index ? takeNumberThen(line, kPeopleThenName) : std::nullopt;
    if (!count || *count < 1 || *count > kMaxCandidates || line.empty()) {
        return std::nullopt;
    }
    return PrizeLine{*index, {std::string(line), *count}};
}

std::optional<ConditionsLine> readConditionsLine(std::string_view line) {
    if (!takePrefix(line, kPrize)) {
        return std::nullopt;
    }
    const auto index = takeNumberThen(line, kConditions);
    if (!index || line.empty()) {
        return std::nullopt;
    }
    return ConditionsLine{*index, std::string(line)};
}

std::optional<PlacesLine> readPlacesLine(std::string_view line) {
    if (!takePrefix(line, kPlacesLine)) {
        return std::nullopt;
    }
    const std::size_t comma = line.rfind(kCountOf);
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    PlacesLine places{std::string(line.substr(0, comma)), 0, {}};
    line.remove_prefix(comma + std::string_view(kCountOf).size());
    const auto count = takeNumberThen(line, kPlacesThenSha256);
    if (!count || !digestFromHex(line)) {
        return std::nullopt;
    }
    places.places = *count;
    places.sha256 = line;
    return places;
}

std::optional<std::string> readDrawKeyLine(std::string_view line) {
    if (!takePrefix(line, kDrawKey) || !takeTimeBefore(line, kComma) || !digestFromHex(line)) {
        return std::nullopt;
    }
    return std::string(line);
}

std::optional<MovedUpLine> readMovedUpLine(std::string_view line) {
    if (!takePrefix(line, kMovedUp)) {
        return std::nullopt;
    }
    const auto time = takeTimeBefore(line, kMarkOpen);
    const auto number =
        time ? takeNumberThen(line, std::string(kMarkClose) + kReplacesOpen) : std::nullopt;
    const auto replaces = number ? takeNumberThen(line, kMarkClose) : std::nullopt;
    if (!replaces || !line.empty()) {
        return std::nullopt;
    }
    return MovedUpLine{*time, *number, *replaces};
}

std::optional<RoundLine> readRoundLine(std::string_view line, int prizes) {
    if (!takePrefix(line, kRound)) {
        return std::nullopt;
    }
    const auto round = takeNumberThen(line, kRoundMark);
    const auto time = round ? takeTimeBefore(line, kComma) : std::nullopt;
    const auto winners = time ? takeNumberThen(line, kPeople) : std::nullopt;
    const auto prize = winners ? takePrizeAfter(line, prizes) : std::nullopt;
    if (!prize || !line.empty() || *round < 1 || *winners < 1 || *winners > kMaxCandidates) {
        return std::nullopt;
    }
    return RoundLine{*round, *time, *winners, *prize};
}

std::optional<WinnerLine> readWinnerLine(std::string_view line) {
    if (!takePrefix(line, kWinnerOpen)) {
        return std::nullopt;
    }
    const auto number = takeNumberThen(line, kWinnerLineOpen);
    const auto listLine = number ? takeNumberThen(line, kWinnerLineClose) : std::nullopt;
    if (!listLine) {
        return std::nullopt;
    }
    return WinnerLine{*number, *listLine};
}

std::optional<MarkLine> readMarkLine(std::string_view line) {
    const bool takenBack = takePrefix(line, kAbsentTakenBack);
    if (!takenBack && !takePrefix(line, kAbsent)) {
        return std::nullopt;
    }
    const auto time = takeTimeBefore(line, kMarkOpen);
    const auto number = time ? takeNumberThen(line, kMarkClose) : std::nullopt;
    if (!number || !line.empty()) {
        return std::nullopt;
    }
    return MarkLine{*time, *number, takenBack};
}

std::optional<int> readChoiceLine(std::string_view line, int prizes) {
    if (!takePrefix(line, kPrizeChosen)) {
        return std::nullopt;
    }
    const std::size_t timeEnd = line.find(kComma);
    if (timeEnd == std::string_view::npos || !parseDateTime(line.substr(0, timeEnd))) {
        return std::nullopt;
    }
    line.remove_prefix(timeEnd);
    const auto prize = takePrizeAfter(line, prizes);
    if (!prize || *prize == 0 || !line.empty()) {
        return std::nullopt;
    }
    return prize;
}

std::optional<ContinuedLine> readContinuedLine(std::string_view line) {
    if (!takePrefix(line, kContinued)) {
        return std::nullopt;
    }
    const std::size_t timeEnd = line.find(kComma);
    const auto time = parseDateTime(line.substr(0, timeEnd));
    if (!time) {
        return std::nullopt;
    }
    line.remove_prefix(timeEnd == std::string_view::npos ? line.size() : timeEnd);
    ContinuedLine continued{*time, std::nullopt};
    if (takePrefix(line, kComma) && takePrefix(line, kRestored)) {
        continued.restored = takeNumberThen(line, kPeople);
        if (!continued.restored || *continued.restored < 0) {
            return std::nullopt;
        }
    }
    return continued;
}

bool isInitializedLine(std::string_view line) {
    return takePrefix(line, kInitialized) && parseDateTime(line);
}

std::optional<CommitmentLine> readCommitmentLine(std::string_view line) {
    if (!takePrefix(line, kVerifiable)) {
        return std::nullopt;
    }
    const std::size_t at = line.find(kCommitment);
    const std::string_view algorithm = line.substr(0, at);
    if (at == std::string_view::npos ||
        (algorithm != kVerifiableAlgorithm && algorithm != kProcedureAlgorithm)) {
        return std::nullopt;
    }
    line.remove_prefix(at + std::string_view(kCommitment).size());
    return digestFromHex(line)
               ? std::optional(CommitmentLine{std::string(algorithm), std::string(line)})
               : std::nullopt;
}

std::optional<std::string> readSecretLine(std::string_view line) {
    if (!takePrefix(line, kSecret) || !digestFromHex(line)) {
        return std::nullopt;
    }
    return std::string(line);
}

std::optional<WitnessLine> readWitnessLine(std::string_view line) {
    if (!takePrefix(line, kWitness)) {
        return std::nullopt;
    }
    const auto witness = takeNumberThen(line, kColon);
    if (!witness || line.empty() || !isDigits(line)) {
        return std::nullopt;
    }
    return WitnessLine{*witness, std::string(line)};
}

std::optional<PublicInputLine> readPublicInputLine(std::string_view line) {
    if (!takePrefix(line, kPublicInput)) {
        return std::nullopt;
    }
    const auto time = takeTimeBefore(line, kComma);
    if (!time || line.empty()) {
        return std::nullopt;
    }
    return PublicInputLine{*time, std::string(line)};
}

std::optional<RevealedLine> readRevealedLine(std::string_view line) {
    if (!takePrefix(line, kRevealed)) {
        return std::nullopt;
    }
    const auto time = takeTimeBefore(line, kRevealedSecret);
    const std::size_t secretEnd = line.find(kPositionsOpen);
    if (!time || secretEnd == std::string_view::npos) {
        return std::nullopt;
    }
    RevealedLine revealed{*time, std::string(line.substr(0, secretEnd)), 0, {}};
    line.remove_prefix(secretEnd + std::string_view(kPositionsOpen).size());
    const auto positions = takeNumberThen(line, kPositionsClose);
    if (!digestFromHex(revealed.secret) || !positions || *positions < 0 ||
        !takePrefix(line, kRecordDigest) || !digestFromHex(line)) {
        return std::nullopt;
    }
    revealed.positions = *positions;
    revealed.digest = std::string(line);
    return revealed;
}

std::optional<EarlierLine> readEarlierLine(std::string_view line) {
    if (!takePrefix(line, kEarlierCommitment)) {
        return std::nullopt;
    }
    const auto number = takeNumberThen(line, kComma);
    const std::size_t at = line.find(kCommitment);
    if (!number || at == std::string_view::npos || at == 0) {
        return std::nullopt;
    }
    EarlierLine earlier{*number, {std::string(line.substr(0, at)), {}, CommitmentEnd::Revealed}};
    line.remove_prefix(at + std::string_view(kCommitment).size());
    const std::size_t hexEnd = line.find(kComma);
    if (hexEnd == std::string_view::npos || !digestFromHex(line.substr(0, hexEnd))) {
        return std::nullopt;
    }
    earlier.commitment.commitment = std::string(line.substr(0, hexEnd));
    line.remove_prefix(hexEnd + std::string_view(kComma).size());
    if (line == kEndedVoid) {
        earlier.commitment.end = CommitmentEnd::VoidBeforeInput;
    } else if (line == kEndedAbandoned) {
        earlier.commitment.end = CommitmentEnd::AbandonedAfterInput;
    } else if (line != kEndedRevealed) {
        return std::nullopt;
    }
    return earlier;
}

std::optional<int> readCommitmentNumberLine(std::string_view line) {
    if (!takePrefix(line, kCommitmentNumberOpen)) {
        return std::nullopt;
    }
    const auto number = takeNumberThen(line, kCommitmentNumberClose);
    return number && line.empty() && *number >= 1 ? number : std::nullopt;
}

bool isVoidedLine(std::string_view line) {
    return takePrefix(line, kVoided) && takeTimeBefore(line, kVoidedBeforeInput) && line.empty();
}

} // namespace kelvara::draw::record
