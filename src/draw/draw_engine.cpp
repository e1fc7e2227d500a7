#include "draw_engine.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "mixing.h"
#include "platform/services.h"
#include "platform/text_lines.h"
#include "round_size.h"

namespace kelvara::draw {

namespace {

constexpr int kSampleSize = 10;

// Mixing passes of the generator and of the listing: (outer + 1) x (inner + 1) steps.
constexpr int kPoolOuterLast = 1000;
constexpr int kPoolInnerLast = 500;
constexpr int kListingOuterLast = 5;
constexpr int kListingPasses = kListingOuterLast + 1;
constexpr int kListingMinInnerSteps = 10001;

std::size_t index(int oneBased) {
    return static_cast<std::size_t>(oneBased - 1);
}

// A data folder away from the program is named, so the operator knows where the list goes.
std::string missingFileMessage(const platform::Services& services) {
    const platform::AppData data = services.appData();
    std::string message = text::kMissingFile;
    if (!data.isProgramDirectory) {
        message += "\n（文件夹：" + services.displayPath(data.directory) + "）";
    }
    return message;
}

} // namespace

DrawEngine::DrawEngine(DrawView& view, platform::Services& services)
    : m_view(view), m_services(services), m_recorder(services) {}

void DrawEngine::StartUp() {
    m_state.RollCursor = 1;
    m_nextResultNumber = 1;
}

std::string DrawEngine::CandidateFilePath() const {
    return platform::appFilePath(m_services, text::kCandidateFile);
}

void DrawEngine::Message(std::string_view message) {
    m_services.messageBox(message, platform::Buttons::Ok);
}

bool DrawEngine::ReportReadFailure(platform::ReadStatus status) {
    switch (status) {
    case platform::ReadStatus::Ok:
        return false;
    case platform::ReadStatus::Missing:
        Message(missingFileMessage(m_services));
        return true;
    case platform::ReadStatus::Unreadable:
        Message(text::kUnreadableFile);
        return true;
    }
    return true;
}

// ---- Initialize -------------------------------------------------------------------------

void DrawEngine::Cmd_Init_Click() {
    const std::string path = CandidateFilePath();
    if (!m_services.fileExists(path)) {
        Message(missingFileMessage(m_services));
        return;
    }

    // Counting stops as soon as the list is known to be too long, however long the file.
    int lineCount = 0;
    int tooLongLine = 0;
    std::vector<LineHash> hashes;
    auto status = m_services.readTextLines(path, [&](std::string_view line) {
        if (++lineCount > kMaxCandidates) {
            return false;
        }
        if (platform::utf8Length(line) > kMaxLineLength) {
            tooLongLine = lineCount;
            return false;
        }
        hashes.push_back(HashLine(line));
        return true;
    });
    if (ReportReadFailure(status)) {
        return;
    }
    if (tooLongLine != 0) {
        ReportLineTooLong(tooLongLine);
        return;
    }
    if (lineCount < 2) {
        Message(text::kTooFewLines);
        return;
    }
    if (lineCount > kMaxCandidates) {
        Message(text::kTooManyLines);
        return;
    }

    // Sample: the whole list when it is short, else every step-th line, ten in all.
    const int n = lineCount;
    const int sampleSize = std::min(n, kSampleSize);
    const int step = n <= kSampleSize ? 1 : n / kSampleSize;
    std::vector<std::string> sample(static_cast<std::size_t>(sampleSize));
    int lineNumber = 0;
    int stored = 0;
    status = m_services.readTextLines(path, [&](std::string_view line) {
        ++lineNumber;
        if (lineNumber == (stored + 1) * step) {
            sample[static_cast<std::size_t>(stored)] = line;
            ++stored;
        }
        return stored < sampleSize;
    });
    if (ReportReadFailure(status)) {
        return;
    }

    m_state.RollSample = std::move(sample);
    m_lineHashes = std::move(hashes);
    m_state.DrawnFlags.assign(static_cast<std::size_t>(n), false);
    m_state.RemainingCount = static_cast<std::int16_t>(n);
    m_state.RoundSize = 1;
    m_view.setRollCaption("共" + std::to_string(n) + "条数据！");
    m_state.LinePermutation =
        GenRndArray(static_cast<std::int16_t>(n), static_cast<std::int16_t>(n));
    m_view.setInitEnabled(false);
    m_view.setStartEnabled(true);
    if (!m_continuing) {
        m_recorder.Begin(n, m_services.fileSha256(path));
    }
}

// ---- Random index generator -------------------------------------------------------------

std::vector<std::int16_t> DrawEngine::GenRndArray(std::int16_t MyNum, std::int16_t NeededNum) {
    if (NeededNum > MyNum) {
        Message(text::kNeededAboveMyNum);
        return {};
    }
    if (NeededNum < 1) {
        return {};
    }
    std::vector<std::int16_t> pool(static_cast<std::size_t>(MyNum));
    std::iota(pool.begin(), pool.end(), std::int16_t{1});
    MixByTranspositions(m_services.random(), pool, kPoolOuterLast, kPoolInnerLast);

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
    const std::string caption = m_view.startCaption();
    if (caption == text::kStartCaption) {
        StartRound();
    } else if (caption == text::kStopCaption) {
        StopRound();
    }
}

void DrawEngine::CancelStart() {
    m_view.setStartCaption(text::kStartCaption);
    m_view.setStartEnabled(true);
}

std::optional<std::int16_t> DrawEngine::ReadRoundSize() {
    const RoundSizeInput input = ParseRoundSize(m_view.roundSizeText());
    switch (input.kind) {
    case RoundSizeKind::Empty:
    case RoundSizeKind::Negative:
        m_view.setRoundSizeText("1");
        return std::int16_t{1};
    case RoundSizeKind::Positive:
        if (input.value > m_state.RemainingCount) {
            Message(text::kRoundAboveRemaining);
            return std::nullopt;
        }
        return static_cast<std::int16_t>(input.value);
    case RoundSizeKind::Zero:
    case RoundSizeKind::NotANumber:
        break;
    }
    Message(text::kRoundNotPositive);
    return std::nullopt;
}

std::vector<std::int16_t> DrawEngine::RanksToSlots(std::vector<std::int16_t> ranks) const {
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

void DrawEngine::StartRound() {
    CompletePendingListing();
    if (m_state.RemainingCount < 2) {
        Message(text::kTooFewCandidates);
        return;
    }
    m_view.setRollCaption(text::kRolling);
    m_view.setStartEnabled(false);
    m_view.setStartCaption(text::kStopCaption);

    const auto roundSize = ReadRoundSize();
    if (!roundSize) {
        CancelStart();
        return;
    }
    const std::string path = CandidateFilePath();
    if (!m_services.fileExists(path)) {
        Message(missingFileMessage(m_services));
        CancelStart();
        return;
    }
    m_state.RoundSize = *roundSize;
    m_state.RoundWinners.assign(static_cast<std::size_t>(*roundSize), std::string());

    const std::vector<std::int16_t> slots =
        RanksToSlots(GenRndArray(m_state.RemainingCount, m_state.RoundSize));
    if (!FetchWinners(path, slots)) {
        m_state.RoundWinners.clear();
        CancelStart();
        return;
    }
    m_state.RemainingCount = static_cast<std::int16_t>(
        std::count(m_state.DrawnFlags.begin(), m_state.DrawnFlags.end(), false));
    m_view.setTimer1Enabled(true);
    m_view.setStartEnabled(true);
}

bool DrawEngine::FetchWinners(const std::string& path, const std::vector<std::int16_t>& slots) {
    // The chosen slots by line number, so one reading of the file finds them in file order.
    std::vector<std::pair<std::int16_t, std::int16_t>> chosen; // line, slot
    chosen.reserve(slots.size());
    for (const std::int16_t slot : slots) {
        chosen.emplace_back(m_state.LinePermutation[index(slot)], slot);
    }
    std::sort(chosen.begin(), chosen.end());

    // The whole list as far as Initialize counted it: its lines must still stand where they
    // stood, or a line number would now name somebody else, perhaps a winner already.
    const int candidateCount = m_state.CandidateCount();
    std::vector<LineHash> hashes;
    hashes.reserve(static_cast<std::size_t>(candidateCount));
    std::vector<std::string> names(chosen.size());
    std::size_t found = 0;
    int lineNumber = 0;
    int tooLongLine = 0;
    const auto status = m_services.readTextLines(path, [&](std::string_view line) {
        ++lineNumber;
        if (platform::utf8Length(line) > kMaxLineLength) {
            tooLongLine = lineNumber;
            return false;
        }
        hashes.push_back(HashLine(line));
        if (found < chosen.size() && chosen[found].first == lineNumber) {
            names[found++] = line;
        }
        return lineNumber < candidateCount;
    });
    if (ReportReadFailure(status)) {
        return false;
    }
    if (tooLongLine != 0) {
        ReportLineTooLong(tooLongLine);
        return false;
    }
    if (lineNumber < candidateCount) {
        // Listing the missing lines would number winners who are nobody.
        Message(text::kFileShrunk);
        return false;
    }
    if (LinesInsertedOrRemoved(m_lineHashes, hashes)) {
        Message(text::kLinesShifted);
        return false;
    }
    m_roundLines.clear();
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        m_state.RoundWinners[i] = std::move(names[i]);
        m_roundLines.push_back(chosen[i].first);
        m_state.DrawnFlags[index(chosen[i].second)] = true;
    }
    return true;
}

void DrawEngine::ReportLineTooLong(int lineNumber) {
    Message(text::kLineTooLongBefore + std::to_string(lineNumber) + text::kLineTooLongAfter);
}

void DrawEngine::StopRound() {
    m_view.setStartCaption(text::kStartCaption);
    m_view.setTimer1Enabled(false);
    if (m_state.RoundWinners.empty()) {
        return;
    }
    m_view.setRollCaption(m_state.RoundWinners.front());
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
    m_view.setRollCaption(m_state.RollSample[index(m_state.RollCursor)]);
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

void DrawEngine::CompletePendingListing() {
    if (m_listingPending) {
        Timer2_Timer();
    }
}

int DrawEngine::ListingInnerSteps(int winnerCount) {
    // Six passes of n (ln n + 10) / 6 steps make at least n ln n / 2 + 10 n transpositions:
    // below that, large rounds keep winners at their file-order place more often than chance.
    const double n = std::max(winnerCount, 1);
    const double steps = std::ceil(n * (std::log(n) + 10.0) / kListingPasses);
    return std::max(kListingMinInnerSteps, static_cast<int>(steps));
}

void DrawEngine::ListRoundWinners(std::int16_t WinnerNum) {
    // The lines travel with their names: the same transpositions on the positions of both.
    std::vector<std::size_t> order(m_state.RoundWinners.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    MixByTranspositions(m_services.random(), order, kListingOuterLast,
                        ListingInnerSteps(WinnerNum) - 1);
    std::vector<std::string> mixed;
    std::vector<std::int16_t> mixedLines;
    mixed.reserve(order.size());
    for (const std::size_t from : order) {
        mixed.push_back(std::move(m_state.RoundWinners[from]));
        mixedLines.push_back(from < m_roundLines.size() ? m_roundLines[from] : std::int16_t{0});
    }
    m_state.RoundWinners = std::move(mixed);
    m_roundLines = std::move(mixedLines);

    // Nothing can repaint between the lines, so the text is built once and set once.
    std::string results = m_view.resultsText();
    std::vector<ListedWinner> listed;
    for (int k = 1; k <= WinnerNum; ++k) {
        const std::string& name = m_state.RoundWinners[index(k)];
        results += "\r\n[";
        results += std::to_string(m_nextResultNumber);
        results += "]:\t";
        results += name;
        listed.push_back({m_nextResultNumber, m_roundLines[index(k)], name});
        ++m_nextResultNumber;
    }
    m_view.setRollCaption(m_state.RoundWinners[index(WinnerNum)]);
    m_view.setResultsText(std::move(results));
    m_view.moveResultsCaretToEnd();
    m_view.roundListed(listed);
    // What the crowd has just seen is on the disk before the handler returns.
    m_recorder.AddRound(listed);
}

void DrawEngine::EndRun() {
    m_recorder.End();
}

} // namespace kelvara::draw
