// Continuing a run that ended without "结束": the recorded winners are drawn already, their
// numbering goes on, and the results are as they were.
#include <algorithm>

#include "draw_engine.h"
#include "platform/app_info.h"
#include "platform/record_store.h"

namespace kelvara::draw {

// How many lines of the list were edited where they stand since the run began, when that
// is all that changed (0: the same lines, perhaps saved again in another encoding); empty
// when lines moved, or when the record keeps no hash per line to tell.
std::optional<int> DrawEngine::linesEditedSince(const RecordedRun& run, const ListRead& list) {
    if (list.result.status != platform::ReadStatus::Ok) {
        return std::nullopt;
    }
    if (list.result.sha256 == run.sha256) {
        return 0;
    }
    std::vector<LineHash> hashes;
    for (const std::string& line : list.lines) {
        hashes.push_back(hashLine(line));
    }
    if (run.lineHashes.empty() || linesInsertedOrRemoved(run.lineHashes, hashes)) {
        return std::nullopt;
    }
    int edited = 0;
    for (std::size_t k = 0; k < hashes.size(); ++k) {
        edited += hashes[k] != run.lineHashes[k] ? 1 : 0;
    }
    return edited;
}

std::optional<ContinueOffer> DrawEngine::unfinishedRun() {
    auto stored = m_services.records.newest();
    if (!stored || stored->live) {
        return std::nullopt;
    }
    if (stored->tooLarge) {
        m_notices.tell(Notice::recordDamaged(RecordDamage::TooLarge, 0, stored->path));
        return std::nullopt;
    }
    auto run = parseRecord(stored->text);
    if (!run || run->closed) {
        return std::nullopt;
    }
    if (run->damage != RecordDamage::None) {
        m_notices.tell(Notice::recordDamaged(run->damage, run->damagedLine, stored->path));
        return std::nullopt;
    }
    if (run->winners.empty()) {
        return std::nullopt;
    }
    // Read now, so that the question can say that lines were edited.
    findList();
    const std::string path = candidateFilePath();
    const ListRead list = m_services.files.fileExists(path) ? readList(path) : ListRead{};
    ContinueOffer offer{std::move(stored->path), std::move(*run), std::move(stored->foreignHost), 0,
                        m_listFile};
    offer.editedLines = linesEditedSince(offer.run, list).value_or(0);
    return offer;
}

void DrawEngine::declineRun(const ContinueOffer& offer) {
    m_recorder.decline(offer.recordPath);
}

// Nothing starts unless the list is the recorded one and the run is this copy's alone; then
// the run goes on with a record written, or with its failure told.
void DrawEngine::continueRun(const ContinueOffer& offer) {
    if (!chooseList()) {
        return;
    }
    const std::string path = candidateFilePath();
    const bool exists = m_services.files.fileExists(path);
    const ListRead list = exists ? readList(path) : ListRead{};
    if (!exists || !linesEditedSince(offer.run, list)) {
        m_notices.tell(Notice(NoticeKind::ListDiffers, 0, offer.recordPath));
        return;
    }
    if (refuseList(list)) {
        return;
    }
    if (std::ssize(list.lines) != offer.run.lineCount) {
        m_notices.tell(Notice::recordDamaged(RecordDamage::CountDiffers, 0, offer.recordPath));
        return;
    }
    const PlanRead plan = readPrizePlan(static_cast<int>(list.lines.size()));
    if (plan.refused) {
        return;
    }
    if (plan.plan.sha256 != offer.run.planSha256) {
        m_notices.tell(Notice(NoticeKind::PrizePlanDiffers, 0, offer.recordPath));
        return;
    }
    std::optional<VerifiableRun> verifiable;
    if (!offer.run.commitment.empty()) {
        // The sequence was fixed with the list's bytes: an edit in place is another list.
        if (list.result.sha256 != offer.run.sha256) {
            m_notices.tell(Notice(NoticeKind::ListDiffers, 0, offer.recordPath));
            return;
        }
        verifiable = restoredVerifiable(offer.run, list);
        if (!verifiable) {
            m_notices.tell(
                Notice::recordDamaged(RecordDamage::NotTheSequence, 0, offer.recordPath));
            return;
        }
    }
    if (!m_recorder.takeOver(offer.recordPath)) {
        m_notices.tell(Notice(NoticeKind::RunContinuedElsewhere, 0, offer.recordPath));
        return;
    }
    initializeFrom(list);
    m_recorder.setListFile(m_listFile);
    if (verifiable) {
        m_verifiableChosen = true;
        m_verifiable = std::move(verifiable);
        m_recorder.setVerifiable(&*m_verifiable);
    }
    m_chosenPrize = offer.run.chosenPrize;
    restoreWinners(offer, list.lines);
    showPrizeProgress(true);
    // The run's own list: the one the record describes, or this one when it is the same.
    const std::span<const LineHash> runLines =
        offer.run.lineHashes.empty() ? std::span<const LineHash>(m_lineHashes)
                                     : std::span<const LineHash>(offer.run.lineHashes);
    reportRecordFailure(m_recorder.continueRun(offer.run, runLines, m_results.entries()));
    if (m_verifiable) {
        m_view.showVerifiable(*m_verifiable);
    }
}

// The recorded winners are drawn, with their numbers, rounds and times; their names are the
// lines as the list has them now. The record was checked: each names a line once.
void DrawEngine::restoreWinners(const ContinueOffer& offer, const std::vector<std::string>& lines) {
    const int n = m_state.CandidateCount();
    std::vector<int> slotOfLine(static_cast<std::size_t>(n) + 1, 0);
    for (int slot = 1; slot <= n; ++slot) {
        slotOfLine[static_cast<std::size_t>(
            m_state.LinePermutation[static_cast<std::size_t>(slot - 1)])] = slot;
    }
    std::vector<ResultEntry> entries;
    int lastNumber = 0;
    for (const RecordedWinner& winner : offer.run.winners) {
        const auto slot =
            static_cast<std::size_t>(slotOfLine[static_cast<std::size_t>(winner.line)]);
        m_state.DrawnFlags[slot - 1] = true;
        const std::string& name = lines[static_cast<std::size_t>(winner.line - 1)];
        entries.push_back({winner.number,
                           {winner.line, name},
                           winner.round,
                           winner.time,
                           winner.prize,
                           std::nullopt,
                           0});
        lastNumber = std::max(lastNumber, winner.number);
    }
    recountRemaining();
    m_nextResultNumber = static_cast<std::int16_t>(lastNumber + 1);
    const auto restored = static_cast<int>(entries.size());
    m_results = Results();
    m_results.setPrizes(offer.run.prizes);
    static_cast<void>(replayRun(m_results, std::move(entries), offer.run.marks));
    m_results.endRestore(offer.run.rounds);
    m_view.showResults(m_results);
    m_view.showRestored(restored, m_state.RemainingCount);
}

} // namespace kelvara::draw
