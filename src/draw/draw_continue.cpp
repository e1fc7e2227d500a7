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
    auto run = parseRecord(stored->text);
    if (!run || run->winners.empty() || run->closed) {
        return std::nullopt;
    }
    return ContinueOffer{std::move(stored->path), std::move(*run)};
}

void DrawEngine::declineRun(const ContinueOffer& offer) {
    m_recorder.decline(offer.recordPath);
}

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
    initializeFrom(list);
    if (m_state.CandidateCount() != offer.run.lineCount) {
        return;
    }
    restoreWinners(offer, list.lines);
    reportRecordFailure(m_recorder.continueRun(offer.recordPath));
}

// The recorded winners that name a line of the list once are drawn, with their numbers,
// rounds and times; their names are the lines as the list has them now.
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
        if (winner.line < 1 || winner.line > n) {
            continue;
        }
        const auto slot =
            static_cast<std::size_t>(slotOfLine[static_cast<std::size_t>(winner.line)]);
        if (m_state.DrawnFlags[slot - 1]) {
            continue;
        }
        m_state.DrawnFlags[slot - 1] = true;
        const std::string& name = lines[static_cast<std::size_t>(winner.line - 1)];
        entries.push_back({winner.number,
                           {winner.line, name},
                           winner.round,
                           parseDateTime(winner.time).value_or(platform::LocalDateTime{})});
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
