#include "run_continuation.h"

#include <algorithm>

#include "platform/record_store.h"
#include "verifiable_draw.h"

namespace kelvara::draw {

namespace {

// How many lines of the list were edited where they stand since the run began, when that
// is all that changed (0: the same lines, perhaps saved again in another encoding); empty
// when lines moved, or when the record keeps no hash per line to tell.
std::optional<int> linesEditedSince(const RecordedRun& run, const ListRead& list) {
    if (list.result.status != platform::ReadStatus::Ok) {
        return std::nullopt;
    }
    if (list.result.sha256 == run.sha256) {
        return 0;
    }
    const std::vector<LineHash> hashes = CandidateList::hashesOf(list.lines);
    if (run.lineHashes.empty() || linesInsertedOrRemoved(run.lineHashes, hashes)) {
        return std::nullopt;
    }
    int edited = 0;
    for (std::size_t k = 0; k < hashes.size(); ++k) {
        edited += hashes[k] != run.lineHashes[k] ? 1 : 0;
    }
    return edited;
}

// The recorded winners, named by their lines as the list has them now, with the marks made
// between their rounds. The record was checked: each names a line once.
Results restoredResults(const RecordedRun& run, const ListRead& list, int& nextNumber) {
    std::vector<ResultEntry> entries;
    int lastNumber = 0;
    for (const RecordedWinner& winner : run.winners) {
        const auto at = static_cast<std::size_t>(winner.line - 1);
        entries.push_back({winner.number,
                           {winner.line, list.lines[at],
                            at < list.cells.size() ? list.cells[at] : std::vector<std::string>()},
                           winner.round,
                           winner.time,
                           winner.prize,
                           std::nullopt,
                           0});
        entries.back().replaces = winner.replaces;
        lastNumber = std::max(lastNumber, winner.number);
    }
    nextNumber = lastNumber + 1;
    Results results;
    results.setPrizes(run.prizes);
    static_cast<void>(replayRun(results, std::move(entries), run.marks));
    results.endRestore(run.rounds);
    return results;
}

} // namespace

std::optional<ContinueOffer> unfinishedRun(platform::RecordStore& records, CandidateList& list,
                                           DrawNotices& notices, DrawRecorder& recorder) {
    auto stored = records.newest();
    if (!stored || stored->live) {
        return std::nullopt;
    }
    if (stored->tooLarge) {
        notices.tell(Notice::recordDamaged(RecordDamage::TooLarge, 0, stored->path));
        return std::nullopt;
    }
    auto run = parseRecord(stored->text);
    if (!run || run->closed) {
        return std::nullopt;
    }
    if (run->damage != RecordDamage::None) {
        notices.tell(Notice::recordDamaged(run->damage, run->damagedLine, stored->path));
        return std::nullopt;
    }
    if (!run->commitment.empty() && run->publicInput.empty() && stored->foreignHost.empty()) {
        recorder.voidUnfinished(stored->path);
    }
    if (run->winners.empty()) {
        return std::nullopt;
    }
    list.find();
    ContinueOffer offer{std::move(stored->path),
                        std::move(*run),
                        std::move(stored->text),
                        std::move(stored->foreignHost),
                        0,
                        list.fileName()};
    offer.editedLines = linesEditedSince(offer.run, list.read()).value_or(0);
    return offer;
}

std::optional<RestoredRun> restoreRun(const ContinueOffer& offer, CandidateList& list,
                                      const platform::Hashes& hashes, DrawNotices& notices) {
    if (!list.choose()) {
        return std::nullopt;
    }
    RestoredRun restored{list.read(), {}, 1, std::nullopt, {}};
    const RecordedRun& run = offer.run;
    const auto tell = [&](Notice notice) {
        notices.tell(notice);
        return std::nullopt;
    };
    if (!linesEditedSince(run, restored.list)) {
        return tell(Notice(NoticeKind::ListDiffers, 0, offer.recordPath));
    }
    if (list.refuse(restored.list)) {
        return std::nullopt;
    }
    if (std::ssize(restored.list.lines) != run.lineCount) {
        return tell(Notice::recordDamaged(RecordDamage::CountDiffers, 0, offer.recordPath));
    }
    const PlanRead plan = list.readPlan(run.lineCount);
    if (plan.refused) {
        return std::nullopt;
    }
    if (plan.plan.sha256 != run.planSha256) {
        return tell(Notice(NoticeKind::PrizePlanDiffers, 0, offer.recordPath));
    }
    restored.plan = plan.plan;
    if (!run.commitment.empty()) {
        // The sequence was fixed with the list's bytes: an edit in place is another list.
        if (restored.list.result.sha256 != run.sha256) {
            return tell(Notice(NoticeKind::ListDiffers, 0, offer.recordPath));
        }
        restored.verifiable = restoredRun(hashes, run, restored.list, list.fileName());
        if (!restored.verifiable) {
            return tell(Notice::recordDamaged(RecordDamage::NotTheSequence, 0, offer.recordPath));
        }
    }
    restored.results = restoredResults(run, restored.list, restored.nextNumber);
    return restored;
}

} // namespace kelvara::draw
