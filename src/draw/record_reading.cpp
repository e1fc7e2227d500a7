#include "record_reading.h"

#include "limits.h"
#include "record_format.h"
#include "record_lines.h"
#include "verifiable_sequence.h"

namespace kelvara::draw {

namespace {

// A winner line with the longest name takes about 4 KB; a longer line is no line of ours.
constexpr std::size_t kMaxLineBytes = 16 * 1024;

// Reads a record line by line, and stops at the first line that shows damage: a line out
// of shape, or one that cannot stand where it stands.
class RecordReader {
public:
    std::optional<RecordedRun> read(std::string_view text);

private:
    bool readLine(std::string_view line);
    bool readHeadLine(std::string_view line, bool& isHead);
    bool readListLine(std::string_view line);
    bool readLineHashes(std::string_view line);
    bool readPlanLine(std::string_view line);
    bool readPrizeLine(std::string_view line);
    bool readVerifiableLine(std::string_view line);
    bool readRoundLine(std::string_view line);
    bool readWinnerLine(std::string_view line);
    bool readContinuedLine(std::string_view line);
    bool readMarkLine(std::string_view line);
    bool readChoiceLine(std::string_view line);
    bool readColumnsLine(std::string_view line);
    bool readWitnessLine(std::string_view line);
    bool readPublicInputLine(std::string_view line);
    bool readRevealedLine(std::string_view line);
    bool readProcedureLine(std::string_view line, bool& isProcedureLine);
    bool readMovedUpWinner(int number, int line);
    bool checkWholeRun();
    void checkPlanAndMarks();
    bool forgivenAsCut(std::string_view line);
    int prizes() const { return static_cast<int>(m_run.prizes.size()); }
    bool damaged(RecordDamage damage, int line) {
        m_run.damage = damage;
        m_run.damagedLine = line;
        return false;
    }
    bool damaged(RecordDamage damage) { return damaged(damage, m_lineNumber); }
    // A line read into its fields, or damage when it is out of shape.
    template <typename Fields> bool shaped(const std::optional<Fields>& fields) {
        return fields.has_value() || damaged(RecordDamage::UnknownLine);
    }

    RecordedRun m_run;
    int m_lineNumber = 0;
    int m_roundLine = 0;     // the record line of the current round's head
    int m_roundDeclared = 0; // winners it says it has
    int m_roundRead = 0;     // winner lines read in it
    int m_hashesLine = 0;    // the last line of line hashes
    int m_cutLine = 0;       // a line out of shape that only a "继续" line may follow
    int m_planLine = 0;
    int m_roundPrize = 0;
    int m_planDeclared = 0; // prizes the plan line says it has
    std::vector<int> m_markLines;
    std::vector<bool> m_drawnLines;
    bool m_commitmentCounted = false;             // "本名单第k次承诺" read
    std::optional<record::MovedUpLine> m_movedUp; // a "递补" line waiting for its winner line
};

std::optional<RecordedRun> RecordReader::read(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos && !m_run.closed;
         start = end + 1, end = text.find('\n', start)) {
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        ++m_lineNumber;
        const bool read =
            line.size() <= kMaxLineBytes ? readLine(line) : damaged(RecordDamage::UnknownLine);
        if (!read && !forgivenAsCut(line)) {
            return m_run;
        }
    }
    if (m_lineNumber == 0) {
        return std::nullopt;
    }
    m_run.cutAtEnd = !text.ends_with('\n');
    checkWholeRun();
    return m_run;
}

// What only the whole run shows: every line has its hash, no line out of shape is left
// without the "继续" that explains it, the marks fit the rounds, and the numbers can go on.
bool RecordReader::checkWholeRun() {
    if (!m_run.lineHashes.empty() && std::ssize(m_run.lineHashes) != m_run.lineCount) {
        return damaged(RecordDamage::UnknownLine, m_hashesLine);
    }
    if (m_cutLine != 0) {
        return damaged(RecordDamage::UnknownLine, m_cutLine);
    }
    checkPlanAndMarks();
    if (m_run.damage != RecordDamage::None) {
        return false;
    }
    const auto left = static_cast<int>(m_run.lineCount - std::ssize(m_run.winners));
    if (!m_run.closed && !m_run.winners.empty() &&
        m_run.winners.back().number + left > kMaxResultNumber) {
        return damaged(RecordDamage::NumberOutOfRange, m_lineNumber);
    }
    return true;
}

// A line that a power cut left unfinished, and that the continued run ended with a line end
// of its own before its "继续" line: it was never shown. Any other line out of shape stays
// damage.
bool RecordReader::forgivenAsCut(std::string_view line) {
    if (m_run.damage != RecordDamage::UnknownLine || m_cutLine != 0 || m_lineNumber <= 2 ||
        line.starts_with(record::kContinued)) {
        return false;
    }
    m_run.damage = RecordDamage::None;
    m_run.damagedLine = 0;
    m_cutLine = m_lineNumber;
    return true;
}

bool RecordReader::readLine(std::string_view line) {
    if (m_lineNumber == 1) {
        return line.ends_with(record::kTitle) || damaged(RecordDamage::UnknownLine);
    }
    if (m_lineNumber == 2) {
        return readListLine(line);
    }
    bool isHead = false;
    const bool read = readHeadLine(line, isHead);
    if (isHead) {
        return read;
    }
    if (m_cutLine != 0) {
        return damaged(RecordDamage::UnknownLine, m_cutLine);
    }
    using namespace record;
    if (m_movedUp && !line.starts_with(kWinnerOpen)) {
        return damaged(RecordDamage::UnknownLine);
    }
    bool isProcedureLine = false;
    const bool procedureRead = readProcedureLine(line, isProcedureLine);
    if (isProcedureLine) {
        return procedureRead;
    }
    if (line.starts_with(kWitness)) {
        return readWitnessLine(line);
    }
    if (line.starts_with(kPublicInput)) {
        return readPublicInputLine(line);
    }
    if (line.starts_with(kRevealed)) {
        return readRevealedLine(line);
    }
    if (line.starts_with(kAbsent) || line.starts_with(kAbsentTakenBack)) {
        return readMarkLine(line);
    }
    if (line.starts_with(kPrizeChosen)) {
        return readChoiceLine(line);
    }
    if (line.starts_with(kColumnsShown)) {
        return readColumnsLine(line);
    }
    if (line.starts_with(kWinnerOpen)) {
        return readWinnerLine(line);
    }
    if (line.starts_with(kRound)) {
        return readRoundLine(line);
    }
    if (line.starts_with(kEnded) || line.starts_with(kNotContinued)) {
        m_run.closed = true;
        return true;
    }
    if (line.starts_with(kVoided)) {
        // Only before the public input: a commitment with winners drawn can no longer be void.
        m_run.closed = isVoidedLine(line) && !m_run.commitment.empty() && m_run.publicInput.empty();
        return m_run.closed || damaged(RecordDamage::UnknownLine);
    }
    return isInitializedLine(line) || damaged(RecordDamage::UnknownLine);
}

bool RecordReader::readColumnsLine(std::string_view line) {
    std::string_view rest = line;
    record::takePrefix(rest, record::kColumnsShown);
    const std::size_t comma = rest.find(record::kComma);
    if (comma == std::string_view::npos || !parseDateTime(rest.substr(0, comma))) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.columnChoice = rest.substr(comma + std::string_view(record::kComma).size());
    return true;
}

// The lines that belong before the first round (and "继续", which may follow a cut line);
// `isHead` says whether the line was one of them.
bool RecordReader::readHeadLine(std::string_view line, bool& isHead) {
    using namespace record;
    const bool beforeRounds = m_roundLine == 0;
    isHead = true;
    if (line.starts_with(kContinued)) {
        return readContinuedLine(line);
    }
    if (line.starts_with(kLineHashes) && beforeRounds) {
        return readLineHashes(line);
    }
    if (line.starts_with(kPlanLine) && beforeRounds && m_planLine == 0) {
        return readPlanLine(line);
    }
    if (line.starts_with(kPrize) && m_planLine != 0 && beforeRounds) {
        if (const auto conditions = record::readConditionsLine(line)) {
            if (conditions->index != prizes()) {
                return damaged(RecordDamage::UnknownLine);
            }
            std::vector<std::string_view> options;
            for (std::size_t start = 0; start <= conditions->options.size();) {
                const std::size_t end =
                    std::min(conditions->options.find(' ', start), conditions->options.size());
                options.push_back(std::string_view(conditions->options).substr(start, end - start));
                start = end + 1;
            }
            const RuleRead rule = readRule(options);
            if (rule.fault != OptionFault::None) {
                return damaged(RecordDamage::UnknownLine);
            }
            m_run.prizes.back().rule = rule.rule;
            return true;
        }
        return readPrizeLine(line);
    }
    if (line.starts_with(kPlacesLine) && beforeRounds && m_run.placesFile.empty()) {
        const auto places = record::readPlacesLine(line);
        if (places) {
            m_run.placesFile = places->file;
            m_run.places = places->places;
            m_run.placesSha256 = places->sha256;
        }
        return shaped(places);
    }
    if (line.starts_with(kPlacesHeader) && beforeRounds) {
        return true;
    }
    // What the head says of the list's header and check shows how it was drawn, not who.
    for (const std::string_view fact :
         {kHeader, kListCheck, kSame, kBlankRows, kBadId, kExtraCells, kMoreProblems}) {
        if (line.starts_with(fact) && beforeRounds) {
            return true;
        }
    }
    if ((line.starts_with(kVerifiable) || line.starts_with(kSecret) ||
         line.starts_with(kEarlierCommitment) || line.starts_with(kCommitmentNumberOpen)) &&
        beforeRounds) {
        return readVerifiableLine(line);
    }
    isHead = false;
    return false;
}

bool RecordReader::readListLine(std::string_view line) {
    const auto list = record::readListLine(line);
    if (list) {
        m_run.lineCount = list->lines;
        m_run.sha256 = list->sha256;
        m_drawnLines.assign(static_cast<std::size_t>(list->lines) + 1, false);
    }
    return shaped(list);
}

// The hashes come in the order of the lines, never more than the list has.
bool RecordReader::readLineHashes(std::string_view line) {
    const auto hashes = record::readLineHashes(line);
    if (hashes) {
        if (std::ssize(m_run.lineHashes) + std::ssize(*hashes) > m_run.lineCount) {
            return damaged(RecordDamage::UnknownLine);
        }
        m_run.lineHashes.insert(m_run.lineHashes.end(), hashes->begin(), hashes->end());
        m_hashesLine = m_lineNumber;
    }
    return shaped(hashes);
}

bool RecordReader::readPlanLine(std::string_view line) {
    const auto plan = record::readPlanLine(line);
    if (plan) {
        m_planLine = m_lineNumber;
        m_planDeclared = plan->prizes;
        m_run.planSha256 = plan->sha256;
    }
    return shaped(plan);
}

// The prizes in the plan's order, no more than the plan line says.
bool RecordReader::readPrizeLine(std::string_view line) {
    const auto prize = record::readPrizeLine(line);
    if (!shaped(prize) || prize->index != prizes() + 1 || prize->index > m_planDeclared) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.prizes.push_back(prize->prize);
    return true;
}

// The commitment, the earlier ones in turn and their count; the secret once the public
// input is in.
bool RecordReader::readVerifiableLine(std::string_view line) {
    using namespace record;
    if (line.starts_with(kSecret)) {
        const auto secret = readSecretLine(line);
        if (!shaped(secret) || m_run.publicInput.empty() || !m_run.secret.empty()) {
            return damaged(RecordDamage::UnknownLine);
        }
        m_run.secret = *secret;
        return true;
    }
    if (line.starts_with(kEarlierCommitment)) {
        const auto earlier = readEarlierLine(line);
        if (!shaped(earlier) || m_run.commitment.empty() || m_commitmentCounted ||
            earlier->number != std::ssize(m_run.earlier) + 1) {
            return damaged(RecordDamage::UnknownLine);
        }
        m_run.earlier.push_back(earlier->commitment);
        return true;
    }
    if (line.starts_with(kCommitmentNumberOpen)) {
        const auto number = readCommitmentNumberLine(line);
        if (!shaped(number) || m_run.commitment.empty() || m_commitmentCounted ||
            *number != std::ssize(m_run.earlier) + 1) {
            return damaged(RecordDamage::UnknownLine);
        }
        m_commitmentCounted = true;
        return true;
    }
    const auto commitment = readCommitmentLine(line);
    if (!shaped(commitment) || !m_run.commitment.empty()) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.verifiableAlgorithm = commitment->algorithm;
    m_run.commitment = commitment->commitment;
    return true;
}

// A round that another begins after must have all the winners it says; in a verifiable run,
// no round comes before the public input and the secret.
bool RecordReader::readRoundLine(std::string_view line) {
    if (!m_run.commitment.empty() && m_run.secret.empty()) {
        return damaged(RecordDamage::UnknownLine);
    }
    if (m_roundRead != m_roundDeclared) {
        return damaged(RecordDamage::RoundMiscounted, m_roundLine);
    }
    const auto round = record::readRoundLine(line, prizes());
    if (round) {
        m_roundPrize = round->prize;
        m_run.rounds = round->round;
        m_run.lastRoundTime = round->time;
        m_roundLine = m_lineNumber;
        m_roundDeclared = round->winners;
        m_roundRead = 0;
    }
    return shaped(round);
}

// A winner follows its round's line, numbered after the one before, on a line of the list
// not drawn yet.
bool RecordReader::readWinnerLine(std::string_view line) {
    const auto winner = record::readWinnerLine(line);
    if (shaped(winner) && m_movedUp) {
        return readMovedUpWinner(winner->number, winner->line);
    }
    if (!shaped(winner) || m_roundLine == 0) {
        return damaged(RecordDamage::UnknownLine);
    }
    if (winner->number < 1 || winner->number > kMaxResultNumber) {
        return damaged(RecordDamage::NumberOutOfRange);
    }
    if (!m_run.winners.empty() && winner->number != m_run.winners.back().number + 1) {
        return damaged(RecordDamage::NumberOutOfOrder);
    }
    if (winner->line < 1 || winner->line > m_run.lineCount) {
        return damaged(RecordDamage::LineOutOfRange);
    }
    // In a procedure a waiting person may move up, and a line may let people win again.
    if (m_drawnLines[static_cast<std::size_t>(winner->line)] && !isProcedure(m_run.prizes)) {
        return damaged(RecordDamage::LineTwice);
    }
    if (++m_roundRead > m_roundDeclared) {
        return damaged(RecordDamage::RoundMiscounted, m_roundLine);
    }
    m_drawnLines[static_cast<std::size_t>(winner->line)] = true;
    m_run.winners.push_back(
        {winner->number, winner->line, m_run.rounds, m_run.lastRoundTime, m_roundPrize});
    return true;
}

// A procedure's key, places and 递补 lines; `isProcedureLine` says whether it was one.
bool RecordReader::readProcedureLine(std::string_view line, bool& isProcedureLine) {
    using namespace record;
    isProcedureLine = true;
    if (line.starts_with(kDrawKey)) {
        const auto key = readDrawKeyLine(line);
        if (!shaped(key) || !m_run.drawKey.empty() || !m_run.commitment.empty() ||
            !isProcedure(m_run.prizes)) {
            return damaged(RecordDamage::UnknownLine);
        }
        m_run.drawKey = *key;
        return true;
    }
    if (line.starts_with(kMovedUp)) {
        m_movedUp = readMovedUpLine(line);
        if (!shaped(m_movedUp) || !isProcedure(m_run.prizes) || m_run.winners.empty() ||
            m_movedUp->replaces < m_run.winners.front().number ||
            m_movedUp->replaces > m_run.winners.back().number) {
            m_movedUp.reset();
            return damaged(RecordDamage::UnknownLine);
        }
        return true;
    }
    isProcedureLine = false;
    return false;
}

// Who moved up, numbered after the winner before, for a winner listed before them.
bool RecordReader::readMovedUpWinner(int number, int line) {
    const record::MovedUpLine movedUp = *m_movedUp;
    m_movedUp.reset();
    if (number != movedUp.number || number != m_run.winners.back().number + 1) {
        return damaged(RecordDamage::NumberOutOfOrder);
    }
    if (line < 1 || line > m_run.lineCount) {
        return damaged(RecordDamage::LineOutOfRange);
    }
    const RecordedWinner& replaced =
        m_run.winners[static_cast<std::size_t>(movedUp.replaces - m_run.winners.front().number)];
    m_drawnLines[static_cast<std::size_t>(line)] = true;
    m_run.winners.push_back(
        {number, line, m_run.rounds, movedUp.time, replaced.prize, movedUp.replaces});
    return true;
}

// The run went on with the first winners it names, and whatever a power cut left of the
// round after them was never shown.
bool RecordReader::readContinuedLine(std::string_view line) {
    const auto continued = record::readContinuedLine(line);
    if (!shaped(continued)) {
        return false;
    }
    m_cutLine = 0;
    if (const auto restored = continued->restored) {
        if (*restored > std::ssize(m_run.winners)) {
            return damaged(RecordDamage::UnknownLine);
        }
        for (auto k = static_cast<std::size_t>(*restored); k < m_run.winners.size(); ++k) {
            m_drawnLines[static_cast<std::size_t>(m_run.winners[k].line)] = false;
        }
        m_run.winners.resize(static_cast<std::size_t>(*restored));
    }
    m_roundDeclared = m_roundRead; // the cut round ends where the cut was
    return true;
}

// Whether the winner can have the mark is checked once the whole run is read.
bool RecordReader::readMarkLine(std::string_view line) {
    const auto mark = record::readMarkLine(line);
    if (mark) {
        m_run.marks.push_back({mark->number, mark->time, mark->takenBack, m_run.winners.size()});
        m_markLines.push_back(m_lineNumber);
    }
    return shaped(mark);
}

bool RecordReader::readChoiceLine(std::string_view line) {
    const auto prize = record::readChoiceLine(line, prizes());
    if (prize) {
        m_run.chosenPrize = *prize;
    }
    return shaped(prize);
}

// The witnesses in turn, after the commitment and before the public input.
bool RecordReader::readWitnessLine(std::string_view line) {
    const auto witness = record::readWitnessLine(line);
    if (m_run.commitment.empty() || !m_run.publicInput.empty() || !shaped(witness) ||
        witness->witness != std::ssize(m_run.witnessParts) + 1) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.witnessParts.push_back(witness->digits);
    return true;
}

// Once, after the commitment.
bool RecordReader::readPublicInputLine(std::string_view line) {
    const auto input = record::readPublicInputLine(line);
    if (m_run.commitment.empty() || !m_run.publicInput.empty() || !shaped(input)) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.publicInputTime = input->time;
    m_run.publicInput = input->input;
    return true;
}

// The secret recorded with the public input, now public, once.
bool RecordReader::readRevealedLine(std::string_view line) {
    const auto revealed = record::readRevealedLine(line);
    if (!shaped(revealed) || m_run.secret.empty() || revealed->secret != m_run.secret ||
        m_run.revealed) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.revealedTime = revealed->time;
    m_run.revealedPositions = revealed->positions;
    m_run.revealed = true;
    return true;
}

// The plan has all the prizes it says, and every mark could be made when it was.
void RecordReader::checkPlanAndMarks() {
    if (prizes() != m_planDeclared) {
        damaged(RecordDamage::UnknownLine, m_planLine);
        return;
    }
    std::vector<ResultEntry> entries;
    const bool procedure = isProcedure(m_run.prizes);
    for (const RecordedWinner& winner : m_run.winners) {
        ResultEntry& entry = entries.emplace_back(
            ResultEntry{winner.number, {winner.line, {}}, winner.round, winner.time, winner.prize});
        // Rounds of a procedure replace nobody: only who moves up does.
        entry.rank = procedure ? 1 : 0;
        entry.replaces = winner.replaces;
    }
    Results replayed;
    if (const auto failed = replayRun(replayed, std::move(entries), m_run.marks)) {
        damaged(RecordDamage::MarkMismatch, m_markLines[*failed]);
    }
}

} // namespace

std::optional<RecordedRun> parseRecord(std::string_view text) {
    return RecordReader().read(text);
}

} // namespace kelvara::draw
