#pragma once

#include <span>
#include <string>
#include <string_view>

#include "draw_record.h"

namespace kelvara::draw {

// The controls of the main window that the draw reads and writes. Text is UTF-8.
class DrawView {
public:
    virtual ~DrawView() = default;

    virtual void setRollCaption(std::string_view text) = 0; // Lbl_Roll
    virtual void setInitEnabled(bool enabled) = 0;          // Cmd_Init
    virtual std::string startCaption() const = 0;           // Cmd_Start
    virtual void setStartCaption(std::string_view text) = 0;
    virtual void setStartEnabled(bool enabled) = 0;
    virtual std::string roundSizeText() const = 0; // Txt_Num
    virtual void setRoundSizeText(std::string_view text) = 0;
    virtual void setTimer1Enabled(bool enabled) = 0; // the rolling timer
    virtual void setTimer2Enabled(bool enabled) = 0; // the one-shot listing timer

    // Txt_Results, held exactly: CR LF, TAB and lone LF inside names survive unchanged.
    virtual std::string resultsText() const = 0;
    virtual void setResultsText(std::string text) = 0;
    virtual void moveResultsCaretToEnd() = 0;

    // A round was listed: its winners with their result numbers, in the listed order.
    virtual void roundListed(std::span<const ListedWinner> winners) { static_cast<void>(winners); }
};

} // namespace kelvara::draw
