#pragma once

#include <span>
#include <string>
#include <string_view>

#include "results.h"
#include "verifiable_sequence.h"

namespace kelvara::draw {

// What the Start button does when pressed next: its caption.
enum class StartAction { Start, Stop };

// The controls of the main window that the draw reads and writes. Text is UTF-8; the
// window words what the draw only counts.
class DrawView {
public:
    virtual ~DrawView() = default;

    // Lbl_Roll: a line of the list, the list's size after Initialize, the mark of a round
    // being drawn, or how many winners a continued run restored.
    virtual void showName(std::string_view name) = 0;
    virtual void showListSize(int count) = 0;
    virtual void showRolling() = 0;
    virtual void showRestored(int restored, int remaining) = 0;

    virtual void setInitEnabled(bool enabled) = 0; // Cmd_Init
    virtual void setStartAction(StartAction action) = 0;
    virtual void setStartEnabled(bool enabled) = 0; // Cmd_Start
    virtual std::string roundSizeText() const = 0;  // Txt_Num
    virtual void setRoundSizeText(std::string_view text) = 0;
    virtual void setTimer1Enabled(bool enabled) = 0; // the rolling timer
    virtual void setTimer2Enabled(bool enabled) = 0; // the one-shot listing timer

    // Txt_Results shows the results, its caret at the end.
    virtual void showResults(const Results& results) = 0;
    // A run with a prize plan: every prize and the places it has left are in results; the
    // current prize is `current` (from 1), 0 once all are drawn.
    virtual void showPrizes(const Results& results, int current) {
        static_cast<void>(results);
        static_cast<void>(current);
    }
    // A verifiable run's commitment, public input and, once revealed, its secret.
    virtual void showVerifiable(const VerifiableRun& run) { static_cast<void>(run); }
    // A round was listed: its entries, in the listed order.
    virtual void roundListed(std::span<const ResultEntry> round) { static_cast<void>(round); }
};

} // namespace kelvara::draw
