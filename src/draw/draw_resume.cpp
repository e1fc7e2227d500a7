// Continuing a run that ended without "结束": the recorded winners are drawn already, their
// numbering goes on, and the results box shows them as it did.
#include <algorithm>

#include "draw_engine.h"
#include "platform/record_store.h"
#include "platform/services.h"

namespace kelvara::draw {

void DrawEngine::OfferToContinue() {
    const auto stored = m_services.records().newest();
    if (!stored || stored->live) {
        return;
    }
    const auto run = ParseRecord(stored->text);
    if (!run || run->winners.empty() || run->closed) {
        return;
    }
    const std::string question = "上次摇号没有正常结束，已抽出" +
                                 std::to_string(run->winners.size()) + "人（最后一轮：" +
                                 run->lastRoundTime + "）。\n是否继续上次的摇号？";
    if (m_services.messageBox(question, platform::Buttons::YesNo,
                              std::string_view(text::kContinueTitle)) != platform::Answer::Yes) {
        m_recorder.Decline(stored->path);
        return;
    }
    ContinueRun(stored->path, *run);
}

void DrawEngine::ContinueRun(const std::string& recordPath, const RecordedRun& run) {
    const std::string list = CandidateFilePath();
    if (!m_services.fileExists(list) || m_services.fileSha256(list) != run.sha256) {
        Message(text::kListDiffers + recordPath);
        return;
    }
    m_continuing = true;
    Cmd_Init_Click();
    m_continuing = false;
    const int n = m_state.CandidateCount();
    if (n != run.lineCount) {
        return; // Initialize refused the list and said why
    }

    // The slot of every line, then the recorded winners that name a line of the list once.
    std::vector<int> slotOfLine(static_cast<std::size_t>(n) + 1, 0);
    for (int slot = 1; slot <= n; ++slot) {
        slotOfLine[static_cast<std::size_t>(
            m_state.LinePermutation[static_cast<std::size_t>(slot - 1)])] = slot;
    }
    std::vector<RecordedWinner> winners;
    std::vector<int> lines;
    for (const RecordedWinner& winner : run.winners) {
        if (winner.line < 1 || winner.line > n) {
            continue;
        }
        const auto slot =
            static_cast<std::size_t>(slotOfLine[static_cast<std::size_t>(winner.line)]);
        if (m_state.DrawnFlags[slot - 1]) {
            continue;
        }
        m_state.DrawnFlags[slot - 1] = true;
        winners.push_back(winner);
        lines.push_back(winner.line);
    }
    const std::vector<std::string> names = ReadLines(lines);

    std::string results = m_view.resultsText();
    int lastNumber = 0;
    for (std::size_t i = 0; i < winners.size(); ++i) {
        results += "\r\n[" + std::to_string(winners[i].number) + "]:\t" + names[i];
        lastNumber = std::max(lastNumber, winners[i].number);
    }
    m_state.RemainingCount = static_cast<std::int16_t>(
        std::count(m_state.DrawnFlags.begin(), m_state.DrawnFlags.end(), false));
    m_nextResultNumber = static_cast<std::int16_t>(lastNumber + 1);
    m_view.setResultsText(std::move(results));
    m_view.moveResultsCaretToEnd();
    m_view.setRollCaption("已恢复" + std::to_string(winners.size()) + "人，剩余" +
                          std::to_string(m_state.RemainingCount) + "人");
    m_recorder.Continue(recordPath, run.rounds);
}

// The text of the given lines of the list, in the order given, in one reading.
std::vector<std::string> DrawEngine::ReadLines(std::vector<int> lineNumbers) {
    std::vector<std::size_t> order(lineNumbers.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return lineNumbers[a] < lineNumbers[b]; });
    std::vector<std::string> texts(lineNumbers.size());
    std::size_t next = 0;
    int lineNumber = 0;
    m_services.readTextLines(CandidateFilePath(), [&](std::string_view line) {
        ++lineNumber;
        while (next < order.size() && lineNumbers[order[next]] == lineNumber) {
            texts[order[next++]] = line;
        }
        return next < order.size();
    });
    return texts;
}

} // namespace kelvara::draw
