#pragma once

#include <span>
#include <string>
#include <string_view>

#include "list_columns.h"
#include "results.h"
#include "verifiable_sequence.h"

namespace kelvara::draw {

// What the Start button does when pressed next: its caption.
enum class StartAction { Start, Stop };

// Where the run stands, as the panels show it: the results box, the prize bar, the audience
// view and the verifiable window each draw from this alone.
struct RunView {
    const Results& results;
    // The prize being drawn (from 1); 0 without a plan or once every prize is drawn.
    int currentPrize = 0;
    // The listed round that the audience sees: empty before the first round, while a round
    // is being drawn, after a run was continued and once the secret is revealed.
    std::span<const ResultEntry> roundOnShow;
    // A verifiable run's commitment, public input and, once revealed, its secret; none in
    // an ordinary run.
    const VerifiableRun* verifiable = nullptr;
    // How rows are shown where; none: as their lines are.
    const RowFormat* format = nullptr;
};

// A winner's row as `place` shows it in this run.
inline std::string shownRow(const RunView& run, const Candidate& row, Place place) {
    return run.format != nullptr ? run.format->shown(row, place) : row.name;
}

// The controls of the main window that the draw drives. Text is UTF-8; the window words
// what the draw only counts.
class DrawView {
public:
    virtual ~DrawView() = default;

    // Lbl_Roll: a line of the list, the list's size after Initialize, the mark of a round
    // being drawn, or how many winners a continued run restored.
    virtual void showName(std::string_view name) = 0;
    // A row of the list, as the rolling label and as the audience view show it.
    virtual void showRow(std::string_view roll, std::string_view audience) {
        static_cast<void>(audience);
        showName(roll);
    }
    virtual void showListSize(int count) = 0;
    virtual void showRolling() = 0;
    virtual void showRestored(int restored, int remaining) = 0;

    virtual void setInitEnabled(bool enabled) = 0; // Cmd_Init
    virtual void setStartAction(StartAction action) = 0;
    virtual void setStartEnabled(bool enabled) = 0;           // Cmd_Start
    virtual void setRoundSizeText(std::string_view text) = 0; // Txt_Num
    virtual void setTimer1Enabled(bool enabled) = 0;          // the rolling timer
    virtual void setTimer2Enabled(bool enabled) = 0;          // the one-shot listing timer

    // The run changed: a round was listed, a mark made, a prize chosen, the public input
    // taken or the secret revealed. The results box keeps its caret on its line unless
    // winners were added, which bring it to the end.
    virtual void showRun(const RunView& run) = 0;
};

} // namespace kelvara::draw
