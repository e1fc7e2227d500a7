// The run around its rounds: beginning it at Initialize or from its record, the prize plan's
// progress and absent marks, the verifiable draw's seams, and its end.
#include <algorithm>

#include "commitment_history.h"
#include "draw_engine.h"
#include "platform/clock.h"

namespace kelvara::draw {

namespace {

constexpr int kSampleSize = 10;

} // namespace

// ---- Beginning a run ------------------------------------------------------------------------

void DrawEngine::Cmd_Init_Click() {
    if (!m_list.choose()) {
        return;
    }
    const ListRead list = m_list.read();
    if (m_list.refuse(list)) {
        return;
    }
    const PlanRead plan = m_list.readPlan(static_cast<int>(list.lines.size()));
    if (plan.refused) {
        return;
    }
    const RowFormat format = RowFormat::of(list.header, list.width);
    const std::vector<ListProblem> problems =
        draw::checkList(CandidateList::checkedRows(list), format);
    if (!problems.empty() && !m_notices.drawAnyway(problems)) {
        return;
    }
    PlanRead drawn = plan;
    if (!prepareProcedure(list, drawn.plan)) {
        return;
    }
    setFormat(list, {});
    beginDraw(list);
    m_results = Results();
    m_results.setPrizes(drawn.plan.prizes);
    m_recorder.setListFile(m_list.fileName());
    if (m_verifiable) {
        m_verifiable->begin(list, drawn, m_list.fileName(),
                            earlierCommitments(m_services.records.all(), list.result.sha256));
    } else if (isProcedure(drawn.plan.prizes)) {
        m_drawKey = m_services.hashes.newSecret();
        deriveProcedure(*m_drawKey);
    }
    tellRecordFailure(m_notices,
                      m_recorder.beginRun(list.result.sha256, m_list.lineHashes(), drawn.plan,
                                          {list.header, problems, &m_format}));
    fillRoundSize(true);
    showRun();
}

// The list's columns, shown as the operator chose by their titles, or as `chosen` says.
void DrawEngine::setFormat(const ListRead& list, const std::vector<Column>& chosen) {
    m_listHeader = list.header;
    m_listSha256 = list.result.sha256;
    m_format = RowFormat::of(list.header, list.width);
    m_format.choose(withChoices(m_format.columns(), m_preferred));
    if (!chosen.empty()) {
        m_format.choose(chosen);
    }
}

void DrawEngine::chooseColumns(const std::vector<Column>& columns) {
    m_preferred = withChoices(m_preferred, columns);
    for (const Column& column : columns) {
        if (std::ranges::none_of(m_preferred,
                                 [&](const Column& kept) { return kept.title == column.title; })) {
            m_preferred.push_back(column);
        }
    }
    const std::vector<Column> before = m_format.columns();
    if (before.empty() || !m_format.choose(withChoices(before, m_preferred)) ||
        m_format.columns() == before) {
        return;
    }
    showSample();
    tellRecordFailure(m_notices, m_recorder.columnsChosen(m_format.columns()));
    showRun();
}

// The rolling label's rows, as it and the audience view show them.
void DrawEngine::showSample() {
    m_state.RollSample.clear();
    m_audienceSample.clear();
    for (const Candidate& row : m_sampleRows) {
        m_state.RollSample.push_back(m_format.shown(row, Place::Roll));
        m_audienceSample.push_back(m_format.shown(row, Place::Audience));
    }
}

// The draw state of a run over these lines, nobody drawn yet.
void DrawEngine::beginDraw(const ListRead& list) {
    const std::vector<std::string>& lines = list.lines;
    const auto n = static_cast<std::int16_t>(lines.size());
    m_sampleRows = sampleOf(list);
    showSample();
    m_list.keepLines(lines);
    m_state.DrawnFlags.assign(static_cast<std::size_t>(n), false);
    m_state.RemainingCount = n;
    m_state.RoundSize = 1;
    m_view->showListSize(n);
    m_state.LinePermutation = GenRndArray(n, n);
    m_view->setInitEnabled(false);
    m_view->setStartEnabled(true);
}

// The whole list when it is short, else every step-th line, ten in all.
std::vector<Candidate> DrawEngine::sampleOf(const ListRead& list) const {
    const int n = static_cast<int>(list.lines.size());
    const int step = n <= kSampleSize ? 1 : n / kSampleSize;
    std::vector<Candidate> sample;
    for (int k = 1; k <= std::min(n, kSampleSize); ++k) {
        const auto at = static_cast<std::size_t>(k * step - 1);
        sample.push_back({k * step, list.lines[at],
                          at < list.cells.size() ? list.cells[at] : std::vector<std::string>()});
    }
    return sample;
}

// Nothing starts unless the list and plan are the recorded ones and the run is this copy's
// alone; then the run goes on with a record written, or with its failure told.
void DrawEngine::continueRun(const ContinueOffer& offer) {
    std::optional<RestoredRun> restored = restoreRun(offer, m_list, m_services.hashes, m_notices);
    if (!restored) {
        return;
    }
    // A procedure's places list must be the run's, and its people whom its orders give.
    PrizePlan plan = restored->plan;
    plan.prizes = offer.run.prizes;
    if (!prepareProcedure(restored->list, plan, &offer.run.placesSha256)) {
        return;
    }
    if (!replayProcedure(offer.run, restored->verifiable ? &*restored->verifiable : nullptr,
                         restored->results, restored->nextNumber)) {
        m_notices.tell(Notice::recordDamaged(RecordDamage::NotTheSequence, 0, offer.recordPath));
        return;
    }
    if (!m_recorder.takeOver(offer.recordPath, offer.recordText)) {
        m_notices.tell(Notice(NoticeKind::RunContinuedElsewhere, 0, offer.recordPath));
        return;
    }
    setFormat(restored->list,
              readChoiceText(offer.run.columnChoice,
                             RowFormat::of(restored->list.header, restored->list.width).columns())
                  .value_or(std::vector<Column>()));
    beginDraw(restored->list);
    m_recorder.setListFile(m_list.fileName());
    if (restored->verifiable) {
        if (!m_verifiable) {
            m_verifiable.emplace(m_services.hashes, m_services.clock, m_notices, m_recorder);
        }
        m_verifiable->resume(std::move(*restored->verifiable));
    } else {
        m_recorder.setVerifiable(nullptr);
        m_verifiable.reset();
    }
    m_chosenPrize = offer.run.chosenPrize;
    restore(std::move(*restored));
    countProcedureEntries();
    fillRoundSize(true);
    showRun();
    // The run's own list: the one the record describes, or this one when it is the same.
    const std::span<const LineHash> runLines =
        offer.run.lineHashes.empty() ? m_list.lineHashes()
                                     : std::span<const LineHash>(offer.run.lineHashes);
    const std::size_t written = m_results.entries().size() - m_recoveredMovedUp.size();
    tellRecordFailure(m_notices, m_recorder.continueRun(offer.run, runLines,
                                                        m_results.entries().first(written),
                                                        {m_listHeader, {}, &m_format}));
    for (const ResultEntry& movedUp : m_recoveredMovedUp) {
        tellRecordFailure(m_notices, m_recorder.movedUp(movedUp, movedUp, false));
    }
}

// The recorded winners are drawn, with their numbers, rounds, times and marks.
void DrawEngine::restore(RestoredRun restored) {
    m_results = std::move(restored.results);
    m_nextResultNumber = static_cast<std::int16_t>(restored.nextNumber);
    std::vector<int> lines;
    for (const ResultEntry& entry : m_results.entries()) {
        lines.push_back(entry.winner.line);
    }
    for (const std::int16_t slot : slotsOfLines(lines)) {
        m_state.DrawnFlags[static_cast<std::size_t>(slot - 1)] = true;
    }
    recountRemaining();
    m_view->showRestored(static_cast<int>(m_results.entries().size()), m_state.RemainingCount);
}

std::optional<ContinueOffer> DrawEngine::unfinishedRun() {
    return draw::unfinishedRun(m_services.records, m_list, m_notices, m_recorder);
}

void DrawEngine::declineRun(const ContinueOffer& offer) {
    m_recorder.decline(offer.recordPath);
}

void DrawEngine::endRun() {
    const VerifiableRun* const run = verifiableRun();
    if (run != nullptr && !run->sequence) {
        // Nothing was drawn with this commitment, and nothing can be: it is void.
        tellRecordFailure(m_notices, m_recorder.voidCommitment());
    } else if (run != nullptr && !m_verifiable->revealed()) {
        m_verifiable->reveal();
        showRun();
    }
    m_recorder.endRun();
}

// ---- The prize plan and absent winners ---------------------------------------------------

int DrawEngine::currentPrize() const {
    if (m_results.placesLeft(m_chosenPrize) > 0) {
        return m_chosenPrize;
    }
    for (int prize = 1; prize <= std::ssize(m_results.prizes()); ++prize) {
        if (m_results.placesLeft(prize) > 0) {
            return prize;
        }
    }
    return 0;
}

// The round-size box holds what the current prize has left, or less when the operator
// draws it in several rounds.
void DrawEngine::fillRoundSize(bool prizeChanged) {
    const int current = currentPrize();
    if (!hasPrizePlan() || current == 0) {
        return;
    }
    const int left = m_results.placesLeft(current);
    const RoundSizeInput typed = parseRoundSize(m_roundSize.text());
    if (prizeChanged || !m_roundSize.typedByOperator() || typed.kind != RoundSizeKind::Positive ||
        typed.value > left) {
        m_roundSize.fill(std::to_string(left));
        m_view->setRoundSizeText(m_roundSize.text());
    }
}

std::optional<std::int16_t> DrawEngine::checkAgainstPrize(std::int16_t roundSize) {
    const int left = m_results.placesLeft(m_roundPrize);
    if (m_roundPrize != 0 && roundSize > left) {
        m_notices.tell(Notice::roundAbovePrize(m_results.prizeName(m_roundPrize), left));
        return std::nullopt;
    }
    return roundSize;
}

void DrawEngine::choosePrize(int prize) {
    completePendingListing();
    if (m_phase != RoundPhase::Idle || m_results.placesLeft(prize) <= 0 ||
        prize == currentPrize()) {
        fillRoundSize(false);
        showRun();
        return;
    }
    m_chosenPrize = prize;
    tellRecordFailure(m_notices, m_recorder.choosePrize(prize));
    fillRoundSize(true);
    showRun();
}

std::optional<AbsentChange> DrawEngine::absentChange(int number) {
    completePendingListing();
    const ResultEntry* const entry = m_results.entry(number);
    MarkOutcome refused = MarkOutcome::Done;
    if (m_phase != RoundPhase::Idle) {
        refused = MarkOutcome::WhileRolling;
    } else if (entry == nullptr) {
        refused = MarkOutcome::NoSuchNumber;
    } else if (entry->absent && entry->replacedInRound != 0) {
        refused = MarkOutcome::AlreadyReplaced;
    }
    if (refused != MarkOutcome::Done) {
        m_notices.tell(
            Notice::markRefused(refused, number, entry != nullptr ? entry->winner.name : ""));
        return std::nullopt;
    }
    return AbsentChange{number, entry->absent.has_value()};
}

void DrawEngine::changeAbsent(const AbsentChange& change) {
    completePendingListing();
    const int before = currentPrize();
    MarkOutcome outcome = MarkOutcome::WhileRolling;
    if (m_phase == RoundPhase::Idle) {
        outcome = change.takeBack
                      ? m_results.takeBackAbsent(change.number)
                      : m_results.markAbsent(change.number, m_services.clock.localDateTime());
    }
    const ResultEntry* const entry = m_results.entry(change.number);
    if (outcome != MarkOutcome::Done) {
        m_notices.tell(Notice::markRefused(outcome, change.number,
                                           entry != nullptr ? entry->winner.name : ""));
        return;
    }
    if (m_procedure && entry != nullptr) {
        // Whoever waits first moves up at once; nobody is drawn again.
        if (change.takeBack) {
            m_procedure->takeBack(entry->prize, entry->winner.line, entry->rank);
            tellRecordFailure(m_notices, m_recorder.takeBackAbsent(change.number));
        } else {
            moveUpFor(ResultEntry(*entry));
        }
        fillRoundSize(currentPrize() != before);
        showRun();
        return;
    }
    fillRoundSize(currentPrize() != before);
    showRun();
    tellRecordFailure(m_notices, change.takeBack ? m_recorder.takeBackAbsent(change.number)
                                                 : m_recorder.markAbsent(*entry));
}

// ---- The verifiable draw's seams ---------------------------------------------------------

void DrawEngine::setRehearsal(bool on) {
    if (m_state.CandidateCount() != 0) {
        return;
    }
    m_rehearsal = on;
    m_services.records.setRehearsal(on);
}

void DrawEngine::setVerifiable(bool on) {
    if (m_state.CandidateCount() != 0) {
        return;
    }
    if (!on) {
        m_recorder.setVerifiable(nullptr);
        m_verifiable.reset();
    } else if (!m_verifiable) {
        m_verifiable.emplace(m_services.hashes, m_services.clock, m_notices, m_recorder);
    }
}

VerifiableDraw* DrawEngine::activeVerifiable() {
    return m_verifiable && m_verifiable->run() != nullptr ? &*m_verifiable : nullptr;
}

const VerifiableRun* DrawEngine::verifiableRun() const {
    return m_verifiable ? m_verifiable->run() : nullptr;
}

bool DrawEngine::acceptPublicInput(const std::vector<std::string>& parts) {
    if (m_phase != RoundPhase::Idle || activeVerifiable() == nullptr ||
        !m_verifiable->acceptPublicInput(parts)) {
        return false;
    }
    if (m_verifiable->run()->inputs.procedure) {
        deriveProcedure(procedureKey(m_services.hashes, m_verifiable->run()->inputs));
        fillRoundSize(true);
    }
    showRun();
    return true;
}

void DrawEngine::reveal() {
    const VerifiableRun* const run = verifiableRun();
    if (m_phase != RoundPhase::Idle || run == nullptr || !run->sequence) {
        return;
    }
    m_verifiable->reveal();
    m_view->setStartEnabled(false);
    // The secret takes the round's place on the audience's screen.
    m_roundOnShow = false;
    showRun();
}

} // namespace kelvara::draw
