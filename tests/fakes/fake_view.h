#pragma once

#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "draw/draw_engine.h"
#include "draw/draw_view.h"

namespace kelvara::testing {

// The window's controls as plain fields, in their design state after start-up, and the
// notices it was told. What the window words is kept as a short mark in the rolling label.
class FakeView final : public draw::DrawView, public draw::DrawNotices {
public:
    void showName(std::string_view name) override { setRoll(std::string(name)); }
    void showRow(std::string_view rollText, std::string_view audienceText) override {
        audience = audienceText;
        showName(rollText);
    }
    void showListSize(int count) override { setRoll("<list of " + std::to_string(count) + ">"); }
    void showRolling() override { setRoll(kRolling); }
    void showRestored(int restored, int remaining) override {
        setRoll("<restored " + std::to_string(restored) + ", " + std::to_string(remaining) +
                " left>");
    }
    void setInitEnabled(bool enabled) override { initEnabled = enabled; }
    void setStartAction(draw::StartAction action) override { startAction = action; }
    void setStartEnabled(bool enabled) override { startEnabled = enabled; }
    void setRoundSizeText(std::string_view text) override { roundSize = text; }
    void setTimer1Enabled(bool enabled) override { timer1 = enabled; }
    void setTimer2Enabled(bool enabled) override { timer2 = enabled; }
    // The panels as the window's would show the run: the results' text, each round that
    // comes on show once, and the prize plan when there is one.
    void showRun(const draw::RunView& run) override {
        results = draw::resultsText(run.results, run.format);
        if (!run.roundOnShow.empty() && run.roundOnShow.front().number != roundShown) {
            roundShown = run.roundOnShow.front().number;
            std::vector<std::pair<int, std::string>> listed;
            for (const draw::ResultEntry& entry : run.roundOnShow) {
                listed.emplace_back(entry.number,
                                    draw::shownRow(run, entry.winner, draw::Place::Audience));
            }
            listedRounds.push_back(std::move(listed));
        }
        if (!run.results.prizes().empty()) {
            placesLeft.clear();
            for (int prize = 1; prize <= std::ssize(run.results.prizes()); ++prize) {
                placesLeft.push_back(run.results.placesLeft(prize));
            }
            currentPrize = run.currentPrize;
        }
        verifiable = run.verifiable;
    }
    void tell(const draw::Notice& notice) override {
        notices.push_back(notice);
        if (whileTelling) {
            whileTelling();
        }
    }

    bool drawAnyway(std::span<const draw::ListProblem> found) override {
        problems.assign(found.begin(), found.end());
        return answerDrawAnyway;
    }

    std::vector<draw::NoticeKind> noticeKinds() const {
        std::vector<draw::NoticeKind> kinds;
        for (const draw::Notice& notice : notices) {
            kinds.push_back(notice.kind);
        }
        return kinds;
    }
    bool rolling() const { return startAction == draw::StartAction::Stop; }

    static constexpr char kRolling[] = "<rolling>";
    std::string roll = "摇号";
    std::string audience;                    // the audience view's text of the last row shown
    std::vector<draw::ListProblem> problems; // what the list check asked about last
    bool answerDrawAnyway = true;
    int rollChanges = 0;
    bool initEnabled = true;
    draw::StartAction startAction = draw::StartAction::Start;
    bool startEnabled = false;
    std::string roundSize;
    bool timer1 = false;
    bool timer2 = false;
    std::string results = "摇号结果\r\n";
    int roundShown = 0; // the first number of the round last on show
    const draw::VerifiableRun* verifiable = nullptr;
    std::vector<std::vector<std::pair<int, std::string>>> listedRounds; // number, name
    std::vector<draw::Notice> notices;
    std::vector<int> placesLeft;        // per prize of the plan, as last shown
    int currentPrize = -1;              // as last shown; -1 while no plan was shown
    std::function<void()> whileTelling; // what happens while a notice is shown

private:
    void setRoll(std::string text) {
        roll = std::move(text);
        ++rollChanges;
    }
};

// The operator types into the round-size box, which the engine hears of.
inline void typeRoundSize(FakeView& view, draw::DrawEngine& engine, const std::string& text) {
    view.roundSize = text;
    engine.Txt_Num_Change(text);
}

// The operator marks winner `number` absent, or takes the mark back, straight through the
// engine: Done, or the refusal the engine told.
inline draw::MarkOutcome changeAbsent(draw::DrawEngine& engine, FakeView& view, int number,
                                      bool takeBack) {
    const std::size_t told = view.notices.size();
    engine.changeAbsent({number, takeBack});
    return view.notices.size() > told && view.notices.back().kind == draw::NoticeKind::MarkRefused
               ? view.notices.back().mark
               : draw::MarkOutcome::Done;
}
inline draw::MarkOutcome markAbsent(draw::DrawEngine& engine, FakeView& view, int number) {
    return changeAbsent(engine, view, number, false);
}
inline draw::MarkOutcome takeBackAbsent(draw::DrawEngine& engine, FakeView& view, int number) {
    return changeAbsent(engine, view, number, true);
}

} // namespace kelvara::testing
