// The prize plan and absent winners: which prize a round draws, and marks that give a
// prize a place more.
#include "draw_engine.h"
#include "platform/app_info.h"
#include "round_size.h"

namespace kelvara::draw {

DrawEngine::PlanRead DrawEngine::readPrizePlan(int listSize) {
    const std::string path = platform::appFilePath(m_services.app, kPrizePlanFile);
    if (!m_services.files.fileExists(path)) {
        return {};
    }
    if (m_services.files.fileSize(path) > kMaxPrizePlanBytes) {
        m_notices.tell(Notice::planRefused(PlanFault::TooLarge, 0, {}));
        return {true, {}};
    }
    PrizePlanReader reader(listSize);
    const platform::ReadResult read = m_services.files.readTextLines(
        path, [&](std::string_view line) { return reader.take(line); });
    if (read.status != platform::ReadStatus::Ok) {
        tell(NoticeKind::PrizePlanUnreadable);
        return {true, {}};
    }
    if (reader.fault() != PlanFault::None) {
        m_notices.tell(Notice::planRefused(reader.fault(), reader.faultLine(), reader.faultName()));
        return {true, {}};
    }
    if (reader.prizes().empty()) {
        return {}; // a plan of blank lines is no plan
    }
    return {false, {read.sha256, reader.prizes()}};
}

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

// The board shows every prize; the round-size box holds what the current prize has left,
// or less when the operator draws it in several rounds.
void DrawEngine::showPrizeProgress(bool prizeChanged) {
    if (!hasPrizePlan()) {
        return;
    }
    const int current = currentPrize();
    m_view.showPrizes(m_results, current);
    const int left = m_results.placesLeft(current);
    const std::string shown = m_view.roundSizeText();
    const RoundSizeInput typed = parseRoundSize(shown);
    const bool typedByOperator = shown != m_filledRoundSize;
    if (current != 0 && (prizeChanged || !typedByOperator ||
                         typed.kind != RoundSizeKind::Positive || typed.value > left)) {
        m_filledRoundSize = std::to_string(left);
        m_view.setRoundSizeText(m_filledRoundSize);
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
        showPrizeProgress(false);
        return;
    }
    m_chosenPrize = prize;
    reportRecordFailure(m_recorder.choosePrize(prize));
    showPrizeProgress(true);
}

MarkOutcome DrawEngine::markAbsent(int number) {
    completePendingListing();
    if (m_phase != RoundPhase::Idle) {
        return MarkOutcome::WhileRolling;
    }
    const int before = currentPrize();
    const MarkOutcome outcome = m_results.markAbsent(number, m_services.clock.localDateTime());
    if (outcome == MarkOutcome::Done) {
        m_view.showResults(m_results);
        showPrizeProgress(currentPrize() != before);
        reportRecordFailure(m_recorder.markAbsent(*m_results.entry(number)));
    }
    return outcome;
}

MarkOutcome DrawEngine::takeBackAbsent(int number) {
    completePendingListing();
    if (m_phase != RoundPhase::Idle) {
        return MarkOutcome::WhileRolling;
    }
    const int before = currentPrize();
    const MarkOutcome outcome = m_results.takeBackAbsent(number);
    if (outcome == MarkOutcome::Done) {
        m_view.showResults(m_results);
        showPrizeProgress(currentPrize() != before);
        reportRecordFailure(m_recorder.takeBackAbsent(number));
    }
    return outcome;
}

} // namespace kelvara::draw
