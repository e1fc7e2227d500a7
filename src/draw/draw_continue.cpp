// Continuing a run that ended without "结束": the recorded winners are drawn already, their
// numbering goes on, and the results are as they were.
#include <algorithm>

#include "draw_engine.h"
#include "platform/app_info.h"
#include "platform/record_store.h"

namespace kelvara::draw {

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
    return ContinueOffer{std::move(stored->path), std::move(*run), std::move(stored->foreignHost)};
}

void DrawEngine::declineRun(const ContinueOffer& offer) {
    m_recorder.decline(offer.recordPath);
}

// Nothing starts unless the list is the recorded one and the run is this copy's alone; then
// the run goes on with a record written, or with its failure told.
void DrawEngine::continueRun(const ContinueOffer& offer) {
    const std::string path = candidateFilePath();
    const bool exists = m_services.files.fileExists(path);
    const ListRead list = exists ? readList(path) : ListRead{};
    if (!exists || list.result.sha256 != offer.run.sha256) {
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
    if (!m_recorder.takeOver(offer.recordPath)) {
        m_notices.tell(Notice(NoticeKind::RunContinuedElsewhere, 0, offer.recordPath));
        return;
    }
    initializeFrom(list);
    restoreWinners(offer, list.lines);
    reportRecordFailure(m_recorder.continueRun(offer.run, m_results.entries()));
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
        entries.push_back({winner.number, {winner.line, name}, winner.round, winner.time});
        lastNumber = std::max(lastNumber, winner.number);
    }
    recountRemaining();
    m_nextResultNumber = static_cast<std::int16_t>(lastNumber + 1);
    const auto restored = static_cast<int>(entries.size());
    m_results.restore(std::move(entries), offer.run.rounds);
    m_view.showResults(m_results);
    m_view.showRestored(restored, m_state.RemainingCount);
}

} // namespace kelvara::draw
