#include "draw_record.h"

#include <algorithm>
#include <cstdio>

#include "platform/app_info.h"
#include "platform/hashes.h"
#include "platform/record_store.h"
#include "record_format.h"

namespace kelvara::draw {

// The record's words and separators, as its reader knows them.
using namespace record;

namespace {

std::string winnerLine(const ResultEntry& entry) {
    std::string line = kWinnerOpen + std::to_string(entry.number) + kWinnerLineOpen +
                       std::to_string(entry.winner.line) + kWinnerLineClose +
                       escapeText(entry.winner.name);
    if (entry.waiting != 0) {
        line += kWaitingMark + std::to_string(entry.waiting);
    }
    if (entry.place) {
        line += kPlaceMark + std::to_string(entry.place->line) + kPlaceRowClose +
                escapeText(entry.place->name);
    }
    return line + kLineEnd;
}

// "递补：<time>，[31]，接替[7]" and the line of who moved up.
std::string movedUpText(const ResultEntry& entry) {
    return kMovedUp + formatDateTime(entry.time) + kMarkOpen + std::to_string(entry.number) +
           kMarkClose + kReplacesOpen + std::to_string(entry.replaces) + kMarkClose + kLineEnd +
           winnerLine(entry);
}

std::string prizeText(int prize) {
    return prize == 0 ? std::string() : kComma + std::string(kPrize) + std::to_string(prize);
}

// "第3轮：2026-12-07 19:31:12，5人" (and "，奖项2" with a plan), and a line per winner.
std::string roundText(std::span<const ResultEntry> round) {
    std::string text = kRound + std::to_string(round.front().round) + kRoundMark +
                       formatDateTime(round.front().time) + kComma + std::to_string(round.size()) +
                       kPeople + prizeText(round.front().prize) + kLineEnd;
    for (const ResultEntry& entry : round) {
        text += winnerLine(entry);
    }
    return text;
}

// "弃奖：2026-12-07 19:40:00，[3]"
std::string markText(std::string_view word, const platform::LocalDateTime& time, int number) {
    return std::string(word) + formatDateTime(time) + kMarkOpen + std::to_string(number) +
           kMarkClose + kLineEnd;
}

std::string planText(const PrizePlan& plan) {
    if (plan.prizes.empty()) {
        return {};
    }
    std::string text = kPlanLine + std::string(kPrizePlanFile) + kCountOf +
                       std::to_string(plan.prizes.size()) + kPrizesThenSha256 + plan.sha256 +
                       kLineEnd;
    for (std::size_t k = 0; k < plan.prizes.size(); ++k) {
        const Prize& prize = plan.prizes[k];
        const std::string index = kPrize + std::to_string(k + 1);
        text += index + kColon +
                (prize.all ? kAllPeople + std::string(kComma)
                           : std::to_string(prize.count) + kPeopleThenName) +
                prize.name + kLineEnd;
        if (!prize.rule.options.empty()) {
            text += index + kConditions + prize.rule.options + kLineEnd;
        }
    }
    if (!plan.placesFile.empty()) {
        text += kPlacesLine + plan.placesFile + kCountOf + std::to_string(plan.places) +
                kPlacesThenSha256 + plan.placesSha256 + kLineEnd;
        if (!plan.placesHeader.empty()) {
            std::string header;
            for (const std::string& cell : plan.placesHeader) {
                header += (header.empty() ? "" : "\t") + cell;
            }
            text += kPlacesHeader + escapeText(header) + kLineEnd;
        }
    }
    return text;
}

std::string lineHashesText(std::span<const LineHash> lineHashes) {
    std::string text;
    for (std::size_t first = 0; first < lineHashes.size(); first += kLineHashesPerLine) {
        text += kLineHashes;
        const std::size_t end = std::min(lineHashes.size(), first + kLineHashesPerLine);
        for (std::size_t k = first; k < end; ++k) {
            char hex[24];
            std::snprintf(hex, sizeof hex, "%0*llx", static_cast<int>(kLineHashDigits),
                          static_cast<unsigned long long>(lineHashes[k]));
            text += hex;
        }
        text += kLineEnd;
    }
    return text;
}

// "见证人1：…" for each witness, "公开输入：<time>，<input>", then the secret.
std::string publicInputText(const std::vector<std::string>& parts, std::string_view input,
                            const platform::LocalDateTime& time, std::string_view secret) {
    std::string text;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        text += kWitness + std::to_string(k + 1) + kColon + parts[k] + kLineEnd;
    }
    text += kPublicInput + formatDateTime(time) + kComma + std::string(input) + kLineEnd;
    return text + kSecret + std::string(secret) + kLineEnd;
}

std::string_view endingWord(CommitmentEnd end) {
    switch (end) {
    case CommitmentEnd::Revealed:
        return kEndedRevealed;
    case CommitmentEnd::VoidBeforeInput:
        return kEndedVoid;
    case CommitmentEnd::AbandonedAfterInput:
        break;
    }
    return kEndedAbandoned;
}

// The commitment, the earlier ones over the same list, and how many there have been.
std::string commitmentText(const VerifiableRun& run) {
    std::string text = kVerifiable + std::string(run.inputs.algorithm()) + kCommitment +
                       toHex(run.commitment) + kLineEnd;
    for (std::size_t k = 0; k < run.earlier.size(); ++k) {
        const EarlierCommitment& earlier = run.earlier[k];
        text += kEarlierCommitment + std::to_string(k + 1) + kComma + earlier.record + kCommitment +
                earlier.commitment + kComma + std::string(endingWord(earlier.end)) + kLineEnd;
    }
    return text + kCommitmentNumberOpen + std::to_string(run.commitmentNumber()) +
           kCommitmentNumberClose + kLineEnd;
}

} // namespace

std::string recordDigestText(const platform::Hashes& hashes, std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end;
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.append(line);
        lines += kLineEnd;
        start = end + 1;
    }
    return toHex(
        hashes.sha256({reinterpret_cast<const std::uint8_t*>(lines.data()), lines.size()}));
}

namespace {

std::string rowsText(const std::vector<int>& rows) {
    std::string text = kFileRows;
    for (std::size_t i = 0; i < rows.size() && i < kListedRows; ++i) {
        text += (i > 0 ? kRowSeparator : "") + std::to_string(rows[i]);
    }
    text += kRowsClose;
    if (rows.size() > kListedRows) {
        text += kMoreRows + std::to_string(rows.size()) + kRowsClose;
    }
    return text;
}

std::string problemText(const ListProblem& problem) {
    switch (problem.kind) {
    case ProblemKind::SameRow:
        return kSame + std::string(kSameRow) + kComma + rowsText(problem.rows);
    case ProblemKind::SameValue:
        return kSame + escapeText(problem.column) + kSameValue + kComma + rowsText(problem.rows);
    case ProblemKind::BlankRows:
        return kBlankRows + rowsText(problem.rows);
    case ProblemKind::IdLength:
    case ProblemKind::IdCheckDigit:
        return kBadId + rowsText(problem.rows) + kComma + escapeText(problem.column) + kComma +
               (problem.kind == ProblemKind::IdLength ? kIdLength : kIdCheckDigit);
    case ProblemKind::ExtraCells:
        return kExtraCells + rowsText(problem.rows) + kComma + std::to_string(problem.cells) +
               kCellsThenHeader + std::to_string(problem.headerCells) + kColumns;
    }
    return {};
}

} // namespace

std::string columnsShownText(const std::vector<Column>& columns,
                             const platform::LocalDateTime& time) {
    return kColumnsShown + formatDateTime(time) + kComma + choiceText(columns) + kLineEnd;
}

std::string listCheckText(std::span<const ListProblem> problems,
                          const platform::LocalDateTime& time) {
    if (problems.empty()) {
        return {};
    }
    std::string text = kListCheck + formatDateTime(time) + kProblemsFound +
                       std::to_string(problems.size()) + kProblemsDrawnAnyway + kLineEnd;
    for (std::size_t i = 0; i < problems.size() && i < kListedProblems; ++i) {
        text += problemText(problems[i]) + kLineEnd;
    }
    if (problems.size() > kListedProblems) {
        text += kMoreProblems + std::to_string(problems.size() - kListedProblems) +
                kMoreProblemsClose + kLineEnd;
    }
    return text;
}

std::string DrawRecorder::now() const {
    return formatDateTime(m_clock.localDateTime());
}

std::string DrawRecorder::head(std::string_view sha256, std::span<const LineHash> lineHashes,
                               const PrizePlan& plan, const ListFacts& facts) const {
    const platform::AppData app = m_app.appData();
    std::string head = app.title + " V" + std::to_string(app.major) + "." +
                       std::to_string(app.minor) + "." + std::to_string(app.revision) + kTitle +
                       kLineEnd;
    head += kListLine + m_listFile + kCountOf + std::to_string(lineHashes.size()) +
            kLinesThenSha256 + std::string(sha256) + kLineEnd;
    head += lineHashesText(lineHashes);
    if (!facts.header.empty()) {
        std::string cells;
        for (const std::string& cell : facts.header) {
            cells += (&cell == facts.header.data() ? "" : "\t") + cell;
        }
        head += kHeader + escapeText(cells) + kLineEnd;
    }
    head += planText(plan);
    if (m_verifiable != nullptr) {
        head += commitmentText(*m_verifiable);
    }
    head += listCheckText(facts.problems, m_initialized);
    return head;
}

platform::Outcome DrawRecorder::beginRun(std::string_view sha256,
                                         std::span<const LineHash> lineHashes,
                                         const PrizePlan& plan, const ListFacts& facts) {
    m_begun = true;
    m_open = false;
    m_unwritten.clear();
    m_failureTold = false;
    m_text.clear();
    m_initialized = m_clock.localDateTime();
    std::string text = head(sha256, lineHashes, plan, facts);
    text += kInitialized;
    text += formatDateTime(m_initialized);
    text += kLineEnd;
    // A list without a header, shown as its lines are, needs no word on it.
    if (facts.format != nullptr && (facts.format->hasHeader() || !facts.format->asLines())) {
        text += columnsShownText(facts.format->columns(), m_initialized);
    }
    return write(std::move(text));
}

bool DrawRecorder::takeOver(const std::string& path, std::string text) {
    const platform::Outcome failure = m_records.takeOver(path, true);
    if (failure && failure->kind == platform::FailureKind::HeldElsewhere) {
        return false;
    }
    m_open = !failure;
    m_continued = path;
    m_text = m_open ? std::move(text) : std::string();
    return true;
}

platform::Outcome DrawRecorder::continueRun(const RecordedRun& run,
                                            std::span<const LineHash> lineHashes,
                                            std::span<const ResultEntry> restored,
                                            const ListFacts& facts) {
    m_begun = true;
    m_unwritten.clear();
    m_failureTold = false;
    m_initialized = m_clock.localDateTime();
    std::string line = kContinued + formatDateTime(m_initialized) + kComma + kRestored +
                       std::to_string(restored.size()) + kPeople;
    if (m_open) {
        // A line that a power cut left unfinished gets its end, so it stays apart.
        return write((run.cutAtEnd ? std::string(kLineEnd) : std::string()) + line +
                     std::string(kLineEnd));
    }
    // The run goes on in a record of its own, named by this time, that holds the run so far
    // and the record it continues, so that it can itself be continued.
    std::string text = head(
        run.sha256, lineHashes,
        {run.planSha256, run.prizes, {}, run.placesFile, run.placesSha256, {}, run.places}, facts);
    if (facts.format != nullptr && !run.columnChoice.empty()) {
        text += columnsShownText(facts.format->columns(), m_initialized);
    }
    text += runSoFar(run, restored, text);
    text += line + kComma + kContinues + m_continued + kLineEnd;
    return write(std::move(text));
}

// The rounds, each after the absent marks that it drew replacements for, then the marks
// still waiting and the prize chosen: read again, they give the same results.
std::string DrawRecorder::runSoFar(const RecordedRun& run, std::span<const ResultEntry> restored,
                                   const std::string& textBefore) const {
    const auto marksReplacedIn = [&](int round) {
        std::string text;
        for (const ResultEntry& entry : restored) {
            if (entry.absent && entry.replacedInRound == round &&
                (round == 0 || !entry.procedural())) {
                text += markText(kAbsent, *entry.absent, entry.number);
            }
        }
        return text;
    };
    std::string text;
    if (!run.publicInput.empty()) {
        text += publicInputText(run.witnessParts, run.publicInput, run.publicInputTime, run.secret);
    }
    if (!run.drawKey.empty()) {
        text += kDrawKey + now() + kComma + run.drawKey + kLineEnd;
    }
    for (std::size_t first = 0; first < restored.size();) {
        const ResultEntry& entry = restored[first];
        if (entry.replaces != 0) {
            const auto replaced = std::ranges::find(restored, entry.replaces, &ResultEntry::number);
            if (replaced != restored.end() && replaced->absent) {
                text += markText(kAbsent, *replaced->absent, replaced->number);
            }
            text += movedUpText(entry);
            ++first;
            continue;
        }
        std::size_t end = first + 1;
        while (end < restored.size() && restored[end].round == entry.round &&
               restored[end].replaces == 0) {
            ++end;
        }
        if (!entry.procedural()) {
            text += marksReplacedIn(entry.round);
        }
        text += roundText(restored.subspan(first, end - first));
        first = end;
    }
    text += marksReplacedIn(0);
    if (run.chosenPrize != 0) {
        text +=
            std::string(kPrizeChosen) + now() + prizeText(run.chosenPrize) + std::string(kLineEnd);
    }
    if (run.revealed && m_verifiable != nullptr) {
        text += revealedText(*m_verifiable, run.revealedTime, textBefore + text);
    }
    return text;
}

void DrawRecorder::decline(const std::string& path) {
    // Another computer's lock is left alone: the run is offered there, or here again.
    if (!m_records.takeOver(path, false)) {
        m_records.append(std::string(kNotContinued) + now() + std::string(kLineEnd));
    }
}

void DrawRecorder::voidUnfinished(const std::string& path) {
    if (!m_records.takeOver(path, false)) {
        m_records.append(kVoided + now() + kVoidedBeforeInput + std::string(kLineEnd) + kEnded +
                         now() + kLineEnd);
    }
}

platform::Outcome DrawRecorder::addRound(std::span<const ResultEntry> round) {
    if (!m_begun || round.empty()) {
        return std::nullopt;
    }
    return write(roundText(round));
}

platform::Outcome DrawRecorder::markAbsent(const ResultEntry& entry) {
    if (!m_begun || !entry.absent) {
        return std::nullopt;
    }
    return write(markText(kAbsent, *entry.absent, entry.number));
}

platform::Outcome DrawRecorder::movedUp(const ResultEntry& absent, const ResultEntry& movedUp,
                                        bool markToo) {
    if (!m_begun || (markToo && !absent.absent)) {
        return std::nullopt;
    }
    return write((markToo ? markText(kAbsent, *absent.absent, absent.number) : std::string()) +
                 movedUpText(movedUp));
}

platform::Outcome DrawRecorder::drawKey(std::string_view hex) {
    if (!m_begun) {
        return std::nullopt;
    }
    return write(kDrawKey + now() + kComma + std::string(hex) + kLineEnd);
}

platform::Outcome DrawRecorder::takeBackAbsent(int number) {
    if (!m_begun) {
        return std::nullopt;
    }
    return write(markText(kAbsentTakenBack, m_clock.localDateTime(), number));
}

platform::Outcome DrawRecorder::columnsChosen(const std::vector<Column>& columns) {
    if (!m_begun) {
        return std::nullopt;
    }
    return write(columnsShownText(columns, m_clock.localDateTime()));
}

platform::Outcome DrawRecorder::choosePrize(int prize) {
    if (!m_begun) {
        return std::nullopt;
    }
    return write(std::string(kPrizeChosen) + now() + prizeText(prize) + std::string(kLineEnd));
}

platform::Outcome DrawRecorder::publicInput(const VerifiableRun& run) {
    return write(publicInputText(run.witnessParts, run.inputs.publicInput, m_clock.localDateTime(),
                                 toHex(run.inputs.secret)));
}

std::string DrawRecorder::revealedText(const VerifiableRun& run,
                                       const platform::LocalDateTime& time,
                                       std::string_view textBefore) const {
    return kRevealed + formatDateTime(time) + kRevealedSecret + toHex(run.inputs.secret) +
           kPositionsOpen +
           std::to_string(run.inputs.procedure ? run.procedureEntries : run.positions.taken()) +
           kPositionsClose + kRecordDigest + recordDigestText(m_hashes, textBefore) + kLineEnd;
}

platform::Outcome DrawRecorder::reveal(const VerifiableRun& run) {
    return write(revealedText(run, m_clock.localDateTime(), m_text));
}

platform::Outcome DrawRecorder::voidCommitment() {
    if (!m_begun) {
        return std::nullopt;
    }
    return write(kVoided + now() + kVoidedBeforeInput + std::string(kLineEnd));
}

void DrawRecorder::endRun() {
    if (m_begun) {
        static_cast<void>(write(std::string(kEnded) + now() + std::string(kLineEnd)));
    }
}

platform::Outcome DrawRecorder::write(std::string text) {
    m_text += text;
    m_unwritten += text;
    platform::Outcome failure;
    if (!m_open) {
        failure = m_records.create(m_initialized);
        m_open = !failure;
        if (m_open && m_verifiable != nullptr) {
            m_records.addCheckerPage();
        }
    }
    if (m_open) {
        failure = m_records.append(m_unwritten);
        if (!failure) {
            m_unwritten.clear();
            m_failureTold = false;
            return std::nullopt;
        }
    }
    if (m_failureTold) {
        return std::nullopt;
    }
    m_failureTold = true;
    return failure;
}

void tellRecordFailure(DrawNotices& notices, const platform::Outcome& failure) {
    if (failure) {
        notices.tell(Notice::recordNotWritten(*failure));
    }
}

} // namespace kelvara::draw
