// The prize plan's bar and absent winners: the window's side of both.
#include <QAction>
#include <QComboBox>

#include "frm_main.h"
#include "platform/services.h"
#include "ui/main/audience_screen.h"
#include "ui/main/draw_wording.h"
#include "ui/main/prize_bar.h"
#include "ui/main/results_box.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

void FrmMain::setUpPrizes() {
    m_prizeBar = new PrizeBar(*this, m_ui);
    connect(m_prizeBar, &PrizeBar::prizeChosen, this,
            [this](int prize) { m_engine.choosePrize(prize); });

    m_absentAction = new QAction(this);
    m_absentAction->setShortcut(QKeySequence(Qt::Key_Delete));
    m_absentAction->setShortcutContext(Qt::WidgetShortcut);
    m_ui.Txt_Results->addAction(m_absentAction);
    connect(m_absentAction, &QAction::triggered, this, &FrmMain::markAbsentAtCaret);
    connect(m_ui.Txt_Results, &QPlainTextEdit::cursorPositionChanged, this,
            &FrmMain::updateAbsentAction);
    updateAbsentAction();
}

void FrmMain::showPrizes(const draw::Results& results, int current) {
    m_prizeBar->showPrizes(results, current);
    m_audience->setPrize(fromUtf8(results.prizeName(current)));
}

// The action names what it does to the caret's line, and acts only between rounds.
void FrmMain::updateAbsentAction() {
    const auto number = m_ui.Txt_Results->numberAtCaret();
    const draw::ResultEntry* entry = number ? m_engine.results().entry(*number) : nullptr;
    m_absentAction->setText(entry != nullptr && entry->absent ? QStringLiteral("撤销弃奖…")
                                                              : QStringLiteral("标记弃奖…"));
    m_absentAction->setEnabled(entry != nullptr && m_engine.phase() == draw::RoundPhase::Idle);
}

void FrmMain::markAbsentAtCaret() {
    m_engine.completePendingListing();
    const auto number = m_ui.Txt_Results->numberAtCaret();
    const draw::ResultEntry* entry = number ? m_engine.results().entry(*number) : nullptr;
    if (entry == nullptr || m_engine.phase() != draw::RoundPhase::Idle) {
        return;
    }
    const bool takingBack = entry->absent.has_value();
    if (takingBack && entry->replacedInRound != 0) {
        m_services.messageBox(wording::absentRefused(*entry));
        return;
    }
    const auto answer =
        m_services.messageBox(wording::absentQuestion(m_engine.results(), *entry),
                              platform::Buttons::YesNo, std::string_view(wording::kAbsentTitle));
    if (answer != platform::Answer::Yes) {
        return;
    }
    const int marked = *number;
    const draw::MarkOutcome outcome =
        takingBack ? m_engine.takeBackAbsent(marked) : m_engine.markAbsent(marked);
    if (outcome == draw::MarkOutcome::Done) {
        m_ui.Txt_Results->moveCaretToNumber(marked);
        m_audience->setAbsent(marked, !takingBack);
    }
}

} // namespace kelvara::ui
