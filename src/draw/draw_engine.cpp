#include "draw_engine.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "mixing.h"
#include "platform/clock.h"
#include "platform/services.h"

namespace kelvara::draw {

namespace {

// Mixing passes of the generator and of the listing: (outer + 1) x (inner + 1) steps.
constexpr int kPoolOuterLast = 1000;
constexpr int kPoolInnerLast = 500;
constexpr int kListingOuterLast = 5;
constexpr int kListingPasses = kListingOuterLast + 1;
constexpr int kListingMinInnerSteps = 10001;

std::size_t index(int oneBased) {
    return static_cast<std::size_t>(oneBased - 1);
}

// What an engine that no window shows yet draws on.
class NoView final : public DrawView {
public:
    void showName(std::string_view) override {}
    void showListSize(int) override {}
    void showRolling() override {}
    void showRestored(int, int) override {}
    void setInitEnabled(bool) override {}
    void setStartAction(StartAction) override {}
    void setStartEnabled(bool) override {}
    void setRoundSizeText(std::string_view) override {}
    void setTimer1Enabled(bool) override {}
    void setTimer2Enabled(bool) override {}
    void showRun(const RunView&) override {}
};

DrawView& noView() {
    static NoView view;
    return view;
}

} // namespace

DrawServices drawServicesOf(platform::Services& services) {
    return {services, services, services.random(), services, services.records(), services};
}

DrawEngine::DrawEngine(DrawServices services)
    : m_view(&noView()), m_services(services), m_list(services.app, services.files, m_notices),
      m_recorder(services.records, services.clock, services.app, services.hashes) {}

DrawEngine::DrawEngine(DrawView& view, DrawNotices& notices, DrawServices services)
    : DrawEngine(services) {
    attach(view, notices);
}

void DrawEngine::attach(DrawView& view, DrawNotices& notices) {
    m_view = &view;
    m_notices.sendTo(notices);
}

void DrawEngine::startUp() {
    m_state.RollCursor = 1;
    m_nextResultNumber = 1;
}

void DrawEngine::tell(NoticeKind kind) {
    m_notices.tell(Notice(kind));
}

void DrawEngine::recountRemaining() {
    m_state.RemainingCount = static_cast<std::int16_t>(
        std::count(m_state.DrawnFlags.begin(), m_state.DrawnFlags.end(), false));
}

void DrawEngine::showWinner(const Candidate& winner) {
    m_view->showRow(m_format.shown(winner, Place::Roll), m_format.shown(winner, Place::Audience));
}

void DrawEngine::showRun() {
    m_view->showRun({m_results, currentPrize(),
                     m_roundOnShow ? m_results.lastRound() : std::span<const ResultEntry>(),
                     verifiableRun(), &m_format});
}

// ---- Random index generator -------------------------------------------------------------

std::vector<std::int16_t> DrawEngine::GenRndArray(std::int16_t MyNum, std::int16_t NeededNum) {
    if (NeededNum > MyNum) {
        tell(NoticeKind::NeededAboveMyNum);
        return {};
    }
    if (NeededNum < 1) {
        return {};
    }
    std::vector<std::int16_t> pool(static_cast<std::size_t>(MyNum));
    std::iota(pool.begin(), pool.end(), std::int16_t{1});
    mixByTranspositions(m_services.random, pool, kPoolOuterLast, kPoolInnerLast);

    // Read the mixed pool from its top end down. One look-up only: reading each value
    // once more as an index would apply the mixing twice, which is far from uniform.
    std::vector<std::int16_t> result(static_cast<std::size_t>(NeededNum));
    for (int i = 1; i <= NeededNum; ++i) {
        result[index(i)] = pool[index(MyNum + 1 - i)];
    }
    return result;
}

// ---- Draw round --------------------------------------------------------------------------

void DrawEngine::Form_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii == 13 || KeyAscii == 32) {
        Cmd_Start_Click();
    }
}

void DrawEngine::Cmd_Start_Click() {
    switch (m_phase) {
    case RoundPhase::Idle:
        startRound();
        break;
    case RoundPhase::Rolling:
        stopRound();
        break;
    case RoundPhase::Starting:
        break;
    }
}

void DrawEngine::cancelStart() {
    m_phase = RoundPhase::Idle;
    m_view->setStartAction(StartAction::Start);
    m_view->setStartEnabled(true);
}

std::optional<std::int16_t> DrawEngine::readRoundSize() {
    const RoundSizeInput input = parseRoundSize(m_roundSize.text());
    switch (input.kind) {
    case RoundSizeKind::Empty:
    case RoundSizeKind::Negative:
        m_roundSize.show("1");
        m_view->setRoundSizeText("1");
        return std::int16_t{1};
    case RoundSizeKind::Positive:
        if (input.value > m_state.RemainingCount) {
            tell(NoticeKind::RoundAboveRemaining);
            return std::nullopt;
        }
        return static_cast<std::int16_t>(input.value);
    case RoundSizeKind::Zero:
    case RoundSizeKind::NotANumber:
        break;
    }
    tell(NoticeKind::RoundNotPositive);
    return std::nullopt;
}

void DrawEngine::startRound() {
    completePendingListing();
    m_roundPrize = currentPrize();
    if (hasPrizePlan() && m_roundPrize == 0) {
        tell(NoticeKind::AllPrizesDrawn);
        return;
    }
    if (m_state.RemainingCount < kMinCandidates && !m_results.procedure()) {
        tell(NoticeKind::TooFewCandidates);
        return;
    }
    m_view->showRolling();
    m_view->setStartEnabled(false);
    m_phase = RoundPhase::Starting;
    m_view->setStartAction(StartAction::Stop);

    auto roundSize = readRoundSize();
    if (roundSize) {
        roundSize = checkAgainstPrize(*roundSize);
    }
    if (!roundSize || !m_list.present()) {
        cancelStart();
        return;
    }
    m_state.RoundSize = *roundSize;
    m_state.RoundWinners.clear();
    if (!drawWinners()) {
        cancelStart();
        return;
    }
    recountRemaining();
    m_phase = RoundPhase::Rolling;
    m_roundOnShow = false;
    m_view->setTimer1Enabled(true);
    m_view->setStartEnabled(true);
    showRun();
}

// The round's winners: at the verifiable sequence's next positions, in the order drawn, or
// at random ranks among the undrawn candidates.
bool DrawEngine::drawWinners() {
    VerifiableDraw* const verifiable = activeVerifiable();
    if (isProcedure(m_results.prizes())) {
        return (verifiable == nullptr || verifiable->readyForRound(m_list)) && drawProcedureRound();
    }
    if (verifiable == nullptr) {
        return fetchWinners(ranksToSlots(GenRndArray(m_state.RemainingCount, m_state.RoundSize)));
    }
    if (!verifiable->readyForRound(m_list)) {
        return false;
    }
    const auto lines = verifiable->nextLines(m_roundPrize, m_state.RoundSize);
    if (!lines || !fetchWinners(slotsOfLines(*lines))) {
        return false;
    }
    orderAsDrawn(*lines);
    verifiable->takePositions();
    return true;
}

std::vector<std::int16_t> DrawEngine::ranksToSlots(std::vector<std::int16_t> ranks) const {
    // Rank r designates the r-th undrawn slot; sorted ranks map in one walk of the flags.
    std::sort(ranks.begin(), ranks.end());
    std::vector<std::int16_t> slots;
    slots.reserve(ranks.size());
    int undrawnSeen = 0;
    auto nextRank = ranks.begin();
    for (std::size_t s = 0; s < m_state.DrawnFlags.size() && nextRank != ranks.end(); ++s) {
        if (!m_state.DrawnFlags[s] && ++undrawnSeen == *nextRank) {
            slots.push_back(static_cast<std::int16_t>(s + 1));
            ++nextRank;
        }
    }
    return slots;
}

// The slots that stand for the given lines.
std::vector<std::int16_t> DrawEngine::slotsOfLines(const std::vector<int>& lines) const {
    std::vector<std::int16_t> slotOfLine(m_state.LinePermutation.size() + 1);
    for (std::size_t slot = 0; slot < m_state.LinePermutation.size(); ++slot) {
        slotOfLine[static_cast<std::size_t>(m_state.LinePermutation[slot])] =
            static_cast<std::int16_t>(slot + 1);
    }
    std::vector<std::int16_t> slots;
    slots.reserve(lines.size());
    for (const int line : lines) {
        slots.push_back(slotOfLine[static_cast<std::size_t>(line)]);
    }
    return slots;
}

bool DrawEngine::fetchWinners(const std::vector<std::int16_t>& slots) {
    // The chosen slots by line number, so one reading of the file finds them in file order.
    std::vector<std::pair<int, std::int16_t>> chosen; // line, slot
    chosen.reserve(slots.size());
    for (const std::int16_t slot : slots) {
        chosen.emplace_back(m_state.LinePermutation[index(slot)], slot);
    }
    std::sort(chosen.begin(), chosen.end());
    std::vector<int> lines;
    for (const auto& [line, slot] : chosen) {
        lines.push_back(line);
    }
    auto winners = m_list.readLines(lines);
    if (!winners) {
        return false;
    }
    for (const auto& [line, slot] : chosen) {
        m_state.DrawnFlags[index(slot)] = true;
    }
    m_state.RoundWinners = std::move(*winners);
    return true;
}

// The round's winners in the order the sequence drew them: the listed number is the
// position.
void DrawEngine::orderAsDrawn(const std::vector<int>& lines) {
    std::vector<Candidate> ordered;
    ordered.reserve(lines.size());
    for (const int line : lines) {
        const auto found =
            std::find_if(m_state.RoundWinners.begin(), m_state.RoundWinners.end(),
                         [line](const Candidate& candidate) { return candidate.line == line; });
        ordered.push_back(*found);
    }
    m_state.RoundWinners = std::move(ordered);
}

void DrawEngine::stopRound() {
    m_phase = RoundPhase::Idle;
    m_view->setStartAction(StartAction::Start);
    m_view->setTimer1Enabled(false);
    if (m_state.RoundWinners.empty()) {
        return;
    }
    showWinner(m_state.RoundWinners.front());
    m_view->setTimer2Enabled(true);
    m_listingPending = true;
}

void DrawEngine::Timer1_Timer() {
    const auto sampleSize = static_cast<std::int16_t>(m_state.RollSample.size());
    if (sampleSize == 0) {
        return;
    }
    if (m_state.RollCursor < 1 || m_state.RollCursor > sampleSize) {
        m_state.RollCursor = 1;
    }
    const std::size_t at = index(m_state.RollCursor);
    m_view->showRow(m_state.RollSample[at],
                    at < m_audienceSample.size() ? m_audienceSample[at] : m_state.RollSample[at]);
    m_state.RollCursor = m_state.RollCursor < sampleSize
                             ? static_cast<std::int16_t>(m_state.RollCursor + 1)
                             : std::int16_t{1};
}

// ---- Results listing ---------------------------------------------------------------------

void DrawEngine::Timer2_Timer() {
    m_view->setTimer2Enabled(false);
    m_listingPending = false;
    if (!m_state.RoundWinners.empty()) {
        ListRoundWinners(static_cast<std::int16_t>(m_state.RoundWinners.size()));
    }
}

void DrawEngine::completePendingListing() {
    if (m_listingPending) {
        Timer2_Timer();
    }
}

int DrawEngine::listingInnerSteps(int winnerCount) {
    // Six passes of n (ln n + 10) / 6 steps make at least n ln n / 2 + 10 n transpositions:
    // below that, large rounds keep winners at their file-order place more often than chance.
    const double n = std::max(winnerCount, 1);
    const double steps = std::ceil(n * (std::log(n) + 10.0) / kListingPasses);
    return std::max(kListingMinInnerSteps, static_cast<int>(steps));
}

void DrawEngine::ListRoundWinners(std::int16_t WinnerNum) {
    // A verifiable round is listed in the order of its positions in the sequence.
    if (activeVerifiable() == nullptr && !m_results.procedure()) {
        mixByTranspositions(m_services.random, m_state.RoundWinners, kListingOuterLast,
                            listingInnerSteps(WinnerNum) - 1);
    }
    const platform::LocalDateTime now = m_services.clock.localDateTime();
    std::vector<ResultEntry> round;
    round.reserve(static_cast<std::size_t>(WinnerNum));
    for (int k = 1; k <= WinnerNum; ++k) {
        round.push_back({m_nextResultNumber, m_state.RoundWinners[index(k)], 0, now});
        ++m_nextResultNumber;
    }
    if (m_results.procedure()) {
        giveProcedureFacts(round);
    }
    m_results.addRound(std::move(round), m_roundPrize);
    countProcedureEntries();

    // Nothing can repaint in between, so the views take the round at once.
    showWinner(m_state.RoundWinners[index(WinnerNum)]);
    m_roundOnShow = true;
    fillRoundSize(currentPrize() != m_roundPrize);
    showRun();
    // What the crowd has just seen is on the disk before the handler returns.
    tellRecordFailure(m_notices, m_recorder.addRound(m_results.lastRound()));
}

} // namespace kelvara::draw
