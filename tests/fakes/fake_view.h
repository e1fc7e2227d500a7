#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "draw/draw_engine.h"
#include "draw/draw_view.h"

namespace kelvara::testing {

// The window's controls as plain fields, in their design state after start-up.
class FakeView final : public draw::DrawView {
public:
    void setRollCaption(std::string_view text) override {
        rollCaption = text;
        ++rollCaptionChanges;
    }
    void setInitEnabled(bool enabled) override { initEnabled = enabled; }
    std::string startCaption() const override { return startCaptionText; }
    void setStartCaption(std::string_view text) override { startCaptionText = text; }
    void setStartEnabled(bool enabled) override { startEnabled = enabled; }
    std::string roundSizeText() const override { return roundSize; }
    void setRoundSizeText(std::string_view text) override { roundSize = text; }
    void setTimer1Enabled(bool enabled) override { timer1 = enabled; }
    void setTimer2Enabled(bool enabled) override { timer2 = enabled; }
    std::string resultsText() const override { return results; }
    void setResultsText(std::string text) override { results = std::move(text); }
    void moveResultsCaretToEnd() override { caret = results.size(); }
    void roundListed(std::span<const draw::ListedWinner> winners) override {
        std::vector<std::pair<int, std::string>> round;
        for (const draw::ListedWinner& winner : winners) {
            round.emplace_back(winner.number, std::string(winner.name));
        }
        listedRounds.push_back(std::move(round));
    }

    std::string rollCaption = "摇号";
    int rollCaptionChanges = 0;
    bool initEnabled = true;
    std::string startCaptionText = draw::text::kStartCaption;
    bool startEnabled = false;
    std::string roundSize;
    bool timer1 = false;
    bool timer2 = false;
    std::string results = "摇号结果\r\n";
    std::size_t caret = 0;
    std::vector<std::vector<std::pair<int, std::string>>> listedRounds; // number, name
};

} // namespace kelvara::testing
