#include "draw_engine.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "mixing.h"
#include "platform/app_info.h"
#include "platform/text_lines.h"
#include "round_size.h"

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

} // namespace

DrawEngine::DrawEngine(DrawView& view, DrawNotices& notices, DrawServices services)
    : m_view(view), m_notices(notices), m_services(services),
      m_recorder(services.records, services.clock, services.app) {}

void DrawEngine::startUp() {
    m_state.RollCursor = 1;
    m_nextResultNumber = 1;
}

std::string DrawEngine::candidateFilePath() const {
    return platform::appFilePath(m_services.app, m_listFile);
}

// Which list the data folder holds; false when it holds both.
bool DrawEngine::findList() {
    const bool text =
        m_services.files.fileExists(platform::appFilePath(m_services.app, kCandidateFile));
    const bool workbook =
        m_services.files.fileExists(platform::appFilePath(m_services.app, kCandidateWorkbook));
    m_listFile = workbook && !text ? kCandidateWorkbook : kCandidateFile;
    return !(text && workbook);
}

// The list is bonus.txt, or bonus.xlsx where only it is there. With both, neither is drawn
// from: drawing an old list by mistake, before a crowd, is the worst that can happen.
bool DrawEngine::chooseList() {
    const bool both = !findList();
    m_notices.setList(m_listFile);
    if (both) {
        tell(NoticeKind::TwoLists);
        return false;
    }
    return true;
}

void DrawEngine::tell(NoticeKind kind) {
    m_notices.tell(Notice(kind));
}

bool DrawEngine::reportReadFailure(platform::ReadStatus status, platform::WorkbookFault fault) {
    switch (status) {
    case platform::ReadStatus::Ok:
        return false;
    case platform::ReadStatus::Missing:
        tell(NoticeKind::ListMissing);
        return true;
    case platform::ReadStatus::Unreadable:
        tell(NoticeKind::ListUnreadable);
        return true;
    case platform::ReadStatus::NotAList: {
        Notice notice(NoticeKind::WorkbookRefused);
        notice.workbookFault = fault;
        m_notices.tell(notice);
        return true;
    }
    }
    return true;
}

void DrawEngine::reportRecordFailure(const std::optional<RecordFailure>& failure) {
    if (failure) {
        m_notices.tell(Notice(NoticeKind::RecordNotWritten, 0, failure->path, failure->reason));
    }
}

void DrawEngine::recountRemaining() {
    m_state.RemainingCount = static_cast<std::int16_t>(
        std::count(m_state.DrawnFlags.begin(), m_state.DrawnFlags.end(), false));
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
    m_view.setStartAction(StartAction::Start);
    m_view.setStartEnabled(true);
}

std::optional<std::int16_t> DrawEngine::readRoundSize() {
    const RoundSizeInput input = parseRoundSize(m_view.roundSizeText());
    switch (input.kind) {
    case RoundSizeKind::Empty:
    case RoundSizeKind::Negative:
        m_view.setRoundSizeText("1");
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

void DrawEngine::startRound() {
    completePendingListing();
    m_roundPrize = currentPrize();
    if (hasPrizePlan() && m_roundPrize == 0) {
        tell(NoticeKind::AllPrizesDrawn);
        return;
    }
    if (m_state.RemainingCount < kMinCandidates) {
        tell(NoticeKind::TooFewCandidates);
        return;
    }
    m_view.showRolling();
    m_view.setStartEnabled(false);
    m_phase = RoundPhase::Starting;
    m_view.setStartAction(StartAction::Stop);

    auto roundSize = readRoundSize();
    if (roundSize) {
        roundSize = checkAgainstPrize(*roundSize);
    }
    if (!roundSize) {
        cancelStart();
        return;
    }
    const std::string path = candidateFilePath();
    if (!m_services.files.fileExists(path)) {
        tell(NoticeKind::ListMissing);
        cancelStart();
        return;
    }
    m_state.RoundSize = *roundSize;
    m_state.RoundWinners.clear();
    if (m_verifiable && !checkVerifiableList(path)) {
        cancelStart();
        return;
    }
    std::vector<int> drawnOrder;
    const std::optional<std::vector<std::int16_t>> slots =
        m_verifiable ? verifiableSlots(drawnOrder)
                     : ranksToSlots(GenRndArray(m_state.RemainingCount, m_state.RoundSize));
    if (!slots || !fetchWinners(path, *slots)) {
        cancelStart();
        return;
    }
    if (m_verifiable) {
        orderAsDrawn(drawnOrder);
    }
    recountRemaining();
    m_phase = RoundPhase::Rolling;
    m_view.setTimer1Enabled(true);
    m_view.setStartEnabled(true);
}

bool DrawEngine::fetchWinners(const std::string& path, const std::vector<std::int16_t>& slots) {
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
    RoundRead read = readRound(path, lines);
    if (refuseRound(read)) {
        return false;
    }
    for (const auto& [line, slot] : chosen) {
        m_state.DrawnFlags[index(slot)] = true;
    }
    m_state.RoundWinners = std::move(read.winners);
    return true;
}

// The whole list as far as Initialize counted it, for its lines' hashes and the text of the
// given lines (in ascending order).
DrawEngine::RoundRead DrawEngine::readRound(const std::string& path,
                                            const std::vector<int>& lines) {
    const int candidateCount = m_state.CandidateCount();
    RoundRead read;
    read.hashes.reserve(static_cast<std::size_t>(candidateCount));
    read.winners.reserve(lines.size());
    const auto take = [&](std::string_view line) {
        ++read.lines;
        if (platform::utf8Length(line) > kMaxLineLength) {
            read.tooLongLine = read.lines;
            return false;
        }
        read.hashes.push_back(hashLine(line));
        const std::size_t found = read.winners.size();
        if (found < lines.size() && lines[found] == read.lines) {
            read.winners.push_back({read.lines, std::string(line)});
        }
        return read.lines < candidateCount;
    };
    const platform::ReadResult result = m_services.files.readTextLines(path, take);
    read.status = result.status;
    read.fault = result.workbookFault;
    return read;
}

// The lines must still stand where they stood at Initialize, or a line number would now
// name somebody else, perhaps a winner already.
bool DrawEngine::refuseRound(const RoundRead& read) {
    if (reportReadFailure(read.status, read.fault)) {
        return true;
    }
    if (read.tooLongLine != 0) {
        m_notices.tell(Notice(NoticeKind::LineTooLong, read.tooLongLine));
        return true;
    }
    if (read.lines < m_state.CandidateCount()) {
        // Listing the missing lines would number winners who are nobody.
        tell(NoticeKind::ListShrunk);
        return true;
    }
    if (linesInsertedOrRemoved(m_lineHashes, read.hashes)) {
        tell(NoticeKind::LinesShifted);
        return true;
    }
    return false;
}

void DrawEngine::stopRound() {
    m_phase = RoundPhase::Idle;
    m_view.setStartAction(StartAction::Start);
    m_view.setTimer1Enabled(false);
    if (m_state.RoundWinners.empty()) {
        return;
    }
    m_view.showName(m_state.RoundWinners.front().name);
    m_view.setTimer2Enabled(true);
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
    m_view.showName(m_state.RollSample[index(m_state.RollCursor)]);
    m_state.RollCursor = m_state.RollCursor < sampleSize
                             ? static_cast<std::int16_t>(m_state.RollCursor + 1)
                             : std::int16_t{1};
}

// ---- Results listing ---------------------------------------------------------------------

void DrawEngine::Timer2_Timer() {
    m_view.setTimer2Enabled(false);
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
    // A verifiable round is listed in the order drawn: the number is the position.
    if (!m_verifiable) {
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
    m_results.addRound(std::move(round), m_roundPrize);

    // Nothing can repaint in between, so the box takes the round at once.
    m_view.showName(m_state.RoundWinners[index(WinnerNum)].name);
    m_view.showResults(m_results);
    m_view.roundListed(m_results.lastRound());
    showPrizeProgress(currentPrize() != m_roundPrize);
    // What the crowd has just seen is on the disk before the handler returns.
    reportRecordFailure(m_recorder.addRound(m_results.lastRound()));
}

void DrawEngine::endRun() {
    disclose();
    m_recorder.endRun();
}

} // namespace kelvara::draw
