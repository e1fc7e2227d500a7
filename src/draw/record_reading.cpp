#include "record_reading.h"

#include <charconv>

#include "draw_engine.h"

namespace kelvara::draw {

namespace {

// A winner line with the longest name takes about 4 KB; a longer line is no line of ours.
constexpr std::size_t kMaxLineBytes = 16 * 1024;
constexpr std::size_t kSha256HexLength = 64;

// A whole decimal number at the start of text; its length in `used`.
std::optional<int> leadingNumber(std::string_view text, std::size_t& used) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return std::nullopt;
    }
    used = static_cast<std::size_t>(end - text.data());
    return value;
}

bool consume(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

// A number and what follows it: "12" then "]:\t第".
std::optional<int> numberThen(std::string_view& text, std::string_view after) {
    std::size_t used = 0;
    const auto number = leadingNumber(text, used);
    if (!number) {
        return std::nullopt;
    }
    text.remove_prefix(used);
    if (!consume(text, after)) {
        return std::nullopt;
    }
    return number;
}

bool isLowerHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// Reads a record line by line, and stops at the first line that shows damage.
class RecordReader {
public:
    std::optional<RecordedRun> read(std::string_view text);

private:
    bool readLine(std::string_view line);
    bool readListLine(std::string_view line);
    bool readLineHashes(std::string_view line);
    bool readRoundLine(std::string_view line);
    bool readWinnerLine(std::string_view line);
    bool readStampLine(std::string_view line);
    bool readContinuedLine(std::string_view line);
    bool readPlanLine(std::string_view line);
    bool readPrizeLine(std::string_view line);
    bool readMarkLine(std::string_view line, bool takenBack);
    bool readChoiceLine(std::string_view line);
    bool readVerifiableLine(std::string_view line);
    bool readWitnessLine(std::string_view line);
    bool readPublicInputLine(std::string_view line);
    bool readRevealedLine(std::string_view line);
    std::optional<int> prizeAfter(std::string_view& line);
    void checkPlanAndMarks();
    bool forgivenAsCut(std::string_view line);
    void keepFirstWinners(std::size_t count);
    bool endRound();
    bool damaged(RecordDamage damage, int line) {
        m_run.damage = damage;
        m_run.damagedLine = line;
        return false;
    }
    bool damaged(RecordDamage damage) { return damaged(damage, m_lineNumber); }

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
    if (!m_run.lineHashes.empty() && std::ssize(m_run.lineHashes) != m_run.lineCount) {
        damaged(RecordDamage::UnknownLine, m_hashesLine);
        return m_run;
    }
    if (m_cutLine != 0) {
        damaged(RecordDamage::UnknownLine, m_cutLine);
        return m_run;
    }
    checkPlanAndMarks();
    if (m_run.damage != RecordDamage::None) {
        return m_run;
    }
    const auto left = static_cast<int>(m_run.lineCount - std::ssize(m_run.winners));
    if (!m_run.closed && !m_run.winners.empty() &&
        m_run.winners.back().number + left > kMaxResultNumber) {
        damaged(RecordDamage::NumberOutOfRange, m_lineNumber);
    }
    return m_run;
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
    if (line.starts_with(record::kContinued)) {
        return readContinuedLine(line);
    }
    if (line.starts_with(record::kLineHashes) && m_roundLine == 0) {
        return readLineHashes(line);
    }
    if (line.starts_with(record::kPlanLine) && m_roundLine == 0 && m_planLine == 0) {
        return readPlanLine(line);
    }
    if (line.starts_with(record::kPrize) && m_planLine != 0 && m_roundLine == 0) {
        return readPrizeLine(line);
    }
    if ((line.starts_with(record::kVerifiable) || line.starts_with(record::kSecret)) &&
        m_roundLine == 0) {
        return readVerifiableLine(line);
    }
    if (m_cutLine != 0) {
        return damaged(RecordDamage::UnknownLine, m_cutLine);
    }
    if (line.starts_with(record::kWitness)) {
        return readWitnessLine(line);
    }
    if (line.starts_with(record::kPublicInput)) {
        return readPublicInputLine(line);
    }
    if (line.starts_with(record::kRevealed)) {
        return readRevealedLine(line);
    }
    if (line.starts_with(record::kAbsent)) {
        return readMarkLine(line, false);
    }
    if (line.starts_with(record::kAbsentTakenBack)) {
        return readMarkLine(line, true);
    }
    if (line.starts_with(record::kPrizeChosen)) {
        return readChoiceLine(line);
    }
    if (line.starts_with("[")) {
        return readWinnerLine(line);
    }
    if (line.starts_with(record::kRound)) {
        return readRoundLine(line);
    }
    if (line.starts_with(record::kEnded) || line.starts_with(record::kNotContinued)) {
        m_run.closed = true;
        return true;
    }
    return readStampLine(line);
}

// "名单：bonus.txt，共60条，SHA-256 <hex>"
bool RecordReader::readListLine(std::string_view line) {
    const std::string_view count = "，共";
    const auto countAt = line.find(count);
    if (!consume(line, record::kListLine) || countAt == std::string_view::npos) {
        return damaged(RecordDamage::UnknownLine);
    }
    line.remove_prefix(countAt - std::string_view(record::kListLine).size() + count.size());
    const auto lines = numberThen(line, "条，SHA-256 ");
    if (!lines || *lines < 2 || *lines > kMaxCandidates || line.size() != kSha256HexLength ||
        !isLowerHex(line)) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.lineCount = *lines;
    m_run.sha256 = line;
    m_drawnLines.assign(static_cast<std::size_t>(*lines) + 1, false);
    return true;
}

// "行校验：" and up to kLineHashesPerLine hashes of 16 hex digits, in the order of the lines.
bool RecordReader::readLineHashes(std::string_view line) {
    consume(line, record::kLineHashes);
    constexpr std::size_t kDigits = 16;
    if (line.empty() || line.size() % kDigits != 0 ||
        line.size() / kDigits > record::kLineHashesPerLine || !isLowerHex(line) ||
        std::ssize(m_run.lineHashes) + std::ssize(line) / std::ssize(line.substr(0, kDigits)) >
            m_run.lineCount) {
        return damaged(RecordDamage::UnknownLine);
    }
    for (; !line.empty(); line.remove_prefix(kDigits)) {
        LineHash hash = 0;
        std::from_chars(line.data(), line.data() + kDigits, hash, 16);
        m_run.lineHashes.push_back(hash);
    }
    m_hashesLine = m_lineNumber;
    return true;
}

// "第3轮：2026-12-07 19:31:12，5人"
bool RecordReader::readRoundLine(std::string_view line) {
    if (!endRound()) {
        return false;
    }
    line.remove_prefix(std::string_view(record::kRound).size());
    const auto round = numberThen(line, record::kRoundMark);
    const std::size_t timeEnd = line.find("，");
    const auto time = round ? parseDateTime(line.substr(0, timeEnd)) : std::nullopt;
    if (time) {
        line.remove_prefix(timeEnd + std::string_view("，").size());
    }
    const auto winners = time ? numberThen(line, "人") : std::nullopt;
    const auto prize = winners ? prizeAfter(line) : std::nullopt;
    if (!prize || !line.empty() || *round < 1 || *winners < 1 || *winners > kMaxCandidates) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_roundPrize = *prize;
    m_run.rounds = *round;
    m_run.lastRoundTime = *time;
    m_roundLine = m_lineNumber;
    m_roundDeclared = *winners;
    m_roundRead = 0;
    return true;
}

// A round that another begins after must have all the winners it says.
bool RecordReader::endRound() {
    if (m_roundRead != m_roundDeclared) {
        return damaged(RecordDamage::RoundMiscounted, m_roundLine);
    }
    return true;
}

// "[12]:\t第17行\t张三" gives number 12 and line 17; the name is read again from the list.
bool RecordReader::readWinnerLine(std::string_view line) {
    line.remove_prefix(1);
    const auto number = numberThen(line, "]:\t第");
    const auto listLine = number ? numberThen(line, "行\t") : std::nullopt;
    if (!listLine || m_roundLine == 0) {
        return damaged(RecordDamage::UnknownLine);
    }
    if (*number < 1 || *number > kMaxResultNumber) {
        return damaged(RecordDamage::NumberOutOfRange);
    }
    if (!m_run.winners.empty() && *number != m_run.winners.back().number + 1) {
        return damaged(RecordDamage::NumberOutOfOrder);
    }
    if (*listLine < 1 || *listLine > m_run.lineCount) {
        return damaged(RecordDamage::LineOutOfRange);
    }
    if (m_drawnLines[static_cast<std::size_t>(*listLine)]) {
        return damaged(RecordDamage::LineTwice);
    }
    if (++m_roundRead > m_roundDeclared) {
        return damaged(RecordDamage::RoundMiscounted, m_roundLine);
    }
    m_drawnLines[static_cast<std::size_t>(*listLine)] = true;
    m_run.winners.push_back({*number, *listLine, m_run.rounds, m_run.lastRoundTime, m_roundPrize});
    return true;
}

// "可验证摇号：<algorithm>，承诺 <hex>" and "秘密值：<hex>".
bool RecordReader::readVerifiableLine(std::string_view line) {
    if (consume(line, record::kSecret)) {
        if (!digestFromHex(line) || m_run.commitment.empty()) {
            return damaged(RecordDamage::UnknownLine);
        }
        m_run.secret = line;
        return true;
    }
    consume(line, record::kVerifiable);
    const std::size_t at = line.find(record::kCommitment);
    if (at == std::string_view::npos || line.substr(0, at) != kVerifiableAlgorithm ||
        !digestFromHex(line.substr(at + std::string_view(record::kCommitment).size()))) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.verifiableAlgorithm = line.substr(0, at);
    m_run.commitment = line.substr(at + std::string_view(record::kCommitment).size());
    return true;
}

// "见证人<k>：<digits>", k counting from 1, before the public input.
bool RecordReader::readWitnessLine(std::string_view line) {
    consume(line, record::kWitness);
    const auto k = numberThen(line, "：");
    if (m_run.secret.empty() || !m_run.publicInput.empty() || !k ||
        *k != std::ssize(m_run.witnessParts) + 1 || line.empty() ||
        line.find_first_not_of("0123456789") != std::string_view::npos) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.witnessParts.emplace_back(line);
    return true;
}

// "公开输入：<time>，<input>", once.
bool RecordReader::readPublicInputLine(std::string_view line) {
    consume(line, record::kPublicInput);
    const std::size_t timeEnd = line.find("，");
    if (m_run.secret.empty() || !m_run.publicInput.empty() || timeEnd == std::string_view::npos ||
        !parseDateTime(line.substr(0, timeEnd))) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.publicInputTime = *parseDateTime(line.substr(0, timeEnd));
    line.remove_prefix(timeEnd + std::string_view("，").size());
    if (line.empty()) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.publicInput = line;
    return true;
}

// "公布：<time>，秘密值 <hex>": the secret of the head, now public.
bool RecordReader::readRevealedLine(std::string_view line) {
    consume(line, record::kRevealed);
    const std::size_t at = line.find(record::kRevealedSecret);
    if (at == std::string_view::npos || !parseDateTime(line.substr(0, at)) ||
        line.substr(at + std::string_view(record::kRevealedSecret).size()) != m_run.secret) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.revealedTime = *parseDateTime(line.substr(0, at));
    m_run.revealed = true;
    return true;
}

// "初始化：<time>"
bool RecordReader::readStampLine(std::string_view line) {
    if (consume(line, record::kInitialized) && parseDateTime(line)) {
        return true;
    }
    return damaged(RecordDamage::UnknownLine);
}

// "继续：<time>，恢复11人", maybe with the record it continues after it: the run went on
// with the first 11 winners, and whatever a power cut left of the round after them was
// never shown. Records of earlier versions say the time alone.
bool RecordReader::readContinuedLine(std::string_view line) {
    consume(line, record::kContinued);
    const std::size_t timeEnd = line.find("，");
    if (!parseDateTime(line.substr(0, timeEnd))) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_cutLine = 0;
    line.remove_prefix(timeEnd == std::string_view::npos ? line.size() : timeEnd);
    if (consume(line, "，") && consume(line, record::kRestored)) {
        const auto restored = numberThen(line, "人");
        if (!restored || *restored < 0 || *restored > std::ssize(m_run.winners)) {
            return damaged(RecordDamage::UnknownLine);
        }
        keepFirstWinners(static_cast<std::size_t>(*restored));
    }
    m_roundDeclared = m_roundRead; // the cut round ends where the cut was
    return true;
}

// "奖项表：奖项.txt，共3项，SHA-256 <hex>"
bool RecordReader::readPlanLine(std::string_view line) {
    const std::string_view count = "，共";
    const auto countAt = line.find(count);
    if (countAt == std::string_view::npos) {
        return damaged(RecordDamage::UnknownLine);
    }
    line.remove_prefix(countAt + count.size());
    const auto prizes = numberThen(line, "项，SHA-256 ");
    if (!prizes || *prizes < 1 || *prizes > kMaxCandidates || line.size() != kSha256HexLength ||
        !isLowerHex(line)) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_planLine = m_lineNumber;
    m_planDeclared = *prizes;
    m_run.planSha256 = line;
    return true;
}

// "奖项1：20人，三等奖", the prizes in the plan's order.
bool RecordReader::readPrizeLine(std::string_view line) {
    consume(line, record::kPrize);
    const auto index = numberThen(line, "：");
    const auto count = index ? numberThen(line, "人，") : std::nullopt;
    if (!count || *index != std::ssize(m_run.prizes) + 1 || *index > m_planDeclared || *count < 1 ||
        *count > kMaxCandidates || line.empty()) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.prizes.push_back({std::string(line), *count});
    return true;
}

// "，奖项2" ending a round line of a run with a plan; nothing in a run without one. 0 for
// no prize, empty when out of shape.
std::optional<int> RecordReader::prizeAfter(std::string_view& line) {
    if (m_run.prizes.empty()) {
        return 0;
    }
    if (!consume(line, "，") || !consume(line, record::kPrize)) {
        return std::nullopt;
    }
    std::size_t used = 0;
    const auto prize = leadingNumber(line, used);
    if (!prize || *prize < 1 || *prize > std::ssize(m_run.prizes)) {
        return std::nullopt;
    }
    line.remove_prefix(used);
    return prize;
}

// "弃奖：<time>，[12]" or "撤销弃奖：<time>，[12]"; whether the winner can have the mark is
// checked once the whole run is read.
bool RecordReader::readMarkLine(std::string_view line, bool takenBack) {
    consume(line, takenBack ? record::kAbsentTakenBack : record::kAbsent);
    const std::size_t timeEnd = line.find("，[");
    const auto time = parseDateTime(line.substr(0, timeEnd));
    if (!time || timeEnd == std::string_view::npos) {
        return damaged(RecordDamage::UnknownLine);
    }
    line.remove_prefix(timeEnd + std::string_view("，[").size());
    const auto number = numberThen(line, "]");
    if (!number || !line.empty()) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.marks.push_back({*number, *time, takenBack, m_run.winners.size()});
    m_markLines.push_back(m_lineNumber);
    return true;
}

// "选择奖项：<time>，奖项2"
bool RecordReader::readChoiceLine(std::string_view line) {
    consume(line, record::kPrizeChosen);
    const std::size_t timeEnd = line.find("，");
    if (timeEnd == std::string_view::npos || !parseDateTime(line.substr(0, timeEnd))) {
        return damaged(RecordDamage::UnknownLine);
    }
    line.remove_prefix(timeEnd);
    const auto prize = prizeAfter(line);
    if (!prize || *prize == 0 || !line.empty()) {
        return damaged(RecordDamage::UnknownLine);
    }
    m_run.chosenPrize = *prize;
    return true;
}

// The plan has all the prizes it says, and every mark could be made when it was.
void RecordReader::checkPlanAndMarks() {
    if (std::ssize(m_run.prizes) != m_planDeclared) {
        damaged(RecordDamage::UnknownLine, m_planLine);
        return;
    }
    std::vector<ResultEntry> entries;
    for (const RecordedWinner& winner : m_run.winners) {
        entries.push_back({winner.number,
                           {winner.line, {}},
                           winner.round,
                           winner.time,
                           winner.prize,
                           std::nullopt,
                           0});
    }
    Results replayed;
    if (const auto failed = replayRun(replayed, std::move(entries), m_run.marks)) {
        damaged(RecordDamage::MarkMismatch, m_markLines[*failed]);
    }
}

void RecordReader::keepFirstWinners(std::size_t count) {
    for (std::size_t k = count; k < m_run.winners.size(); ++k) {
        m_drawnLines[static_cast<std::size_t>(m_run.winners[k].line)] = false;
    }
    m_run.winners.resize(count);
}

bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}

} // namespace

std::optional<platform::LocalDateTime> parseDateTime(std::string_view text) {
    const auto year = numberThen(text, "-");
    const auto month = year ? numberThen(text, "-") : std::nullopt;
    const auto day = month ? numberThen(text, " ") : std::nullopt;
    const auto hour = day ? numberThen(text, ":") : std::nullopt;
    const auto minute = hour ? numberThen(text, ":") : std::nullopt;
    std::size_t used = 0;
    const auto second = minute ? leadingNumber(text, used) : std::nullopt;
    if (!second || used != text.size() || !inRange(*year, 1, 9999) || !inRange(*month, 1, 12) ||
        !inRange(*day, 1, 31) || !inRange(*hour, 0, 23) || !inRange(*minute, 0, 59) ||
        !inRange(*second, 0, 60)) {
        return std::nullopt;
    }
    return platform::LocalDateTime{*year, *month, *day, *hour, *minute, *second};
}

std::optional<RecordedRun> parseRecord(std::string_view text) {
    return RecordReader().read(text);
}

} // namespace kelvara::draw
