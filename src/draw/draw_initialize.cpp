// Initialize: the list is read once, refused with the reason, or drawn from.
#include <algorithm>

#include "draw_engine.h"
#include "platform/text_lines.h"

namespace kelvara::draw {

namespace {

constexpr int kSampleSize = 10;

} // namespace

void DrawEngine::Cmd_Init_Click() {
    if (!chooseList()) {
        return;
    }
    const std::string path = candidateFilePath();
    if (!m_services.files.fileExists(path)) {
        tell(NoticeKind::ListMissing);
        return;
    }
    const ListRead list = readList(path);
    if (refuseList(list)) {
        return;
    }
    const PlanRead plan = readPrizePlan(static_cast<int>(list.lines.size()));
    if (plan.refused) {
        return;
    }
    initializeFrom(list);
    m_results.setPrizes(plan.plan.prizes);
    m_recorder.setListFile(m_listFile);
    if (m_verifiableChosen) {
        beginVerifiable(list, plan);
    }
    reportRecordFailure(m_recorder.beginRun(list.result.sha256, m_lineHashes, plan.plan));
    showPrizeProgress(true);
    if (m_verifiable) {
        m_view.showVerifiable(*m_verifiable);
    }
}

DrawEngine::ListRead DrawEngine::readList(const std::string& path) {
    // Reading stops as soon as the list is known to be refused, however long the file.
    ListRead list;
    list.result = m_services.files.readTextLines(path, [&](std::string_view line) {
        if (list.lines.size() >= kMaxCandidates) {
            list.tooMany = true;
            return false;
        }
        if (platform::utf8Length(line) > kMaxLineLength) {
            list.tooLongLine = static_cast<int>(list.lines.size()) + 1;
            return false;
        }
        list.lines.emplace_back(line);
        return true;
    });
    return list;
}

// Tells why the list cannot be drawn from, if it cannot.
bool DrawEngine::refuseList(const ListRead& list) {
    if (reportReadFailure(list.result.status, list.result.workbookFault)) {
        return true;
    }
    if (list.tooLongLine != 0) {
        m_notices.tell(Notice(NoticeKind::LineTooLong, list.tooLongLine));
        return true;
    }
    if (std::ssize(list.lines) < kMinCandidates) {
        tell(NoticeKind::TooFewLines);
        return true;
    }
    if (list.tooMany) {
        tell(NoticeKind::TooManyLines);
        return true;
    }
    return false;
}

void DrawEngine::initializeFrom(const ListRead& list) {
    const auto n = static_cast<std::int16_t>(list.lines.size());
    m_state.RollSample = sampleOf(list.lines);
    m_lineHashes.clear();
    for (const std::string& line : list.lines) {
        m_lineHashes.push_back(hashLine(line));
    }
    m_state.DrawnFlags.assign(static_cast<std::size_t>(n), false);
    m_state.RemainingCount = n;
    m_state.RoundSize = 1;
    m_view.showListSize(n);
    m_state.LinePermutation = GenRndArray(n, n);
    m_view.setInitEnabled(false);
    m_view.setStartEnabled(true);
}

// The whole list when it is short, else every step-th line, ten in all.
std::vector<std::string> DrawEngine::sampleOf(const std::vector<std::string>& lines) const {
    const int n = static_cast<int>(lines.size());
    const int step = n <= kSampleSize ? 1 : n / kSampleSize;
    std::vector<std::string> sample;
    for (int k = 1; k <= std::min(n, kSampleSize); ++k) {
        sample.push_back(lines[static_cast<std::size_t>(k * step - 1)]);
    }
    return sample;
}

} // namespace kelvara::draw
