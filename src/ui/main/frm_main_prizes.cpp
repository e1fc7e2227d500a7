// The prize plan's bar and absent winners: the window's side of both.
#include <QAction>
#include <QComboBox>

#include "frm_main.h"
#include "platform/services.h"
#include "ui/main/draw_wording.h"
#include "ui/main/prize_bar.h"
#include "ui/main/results_box.h"

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

// The action names what it does to the caret's line, and acts only between rounds.
void FrmMain::updateAbsentAction() {
    const auto number = m_ui.Txt_Results->numberAtCaret();
    const draw::ResultEntry* entry = number ? m_engine.results().entry(*number) : nullptr;
    m_absentAction->setText(entry != nullptr && entry->absent ? QStringLiteral("撤销弃奖…")
                                                              : QStringLiteral("标记弃奖…"));
    m_absentAction->setEnabled(entry != nullptr && m_engine.phase() == draw::RoundPhase::Idle);
}

// The draw says what the mark would do, or why it cannot be made; the operator confirms it.
void FrmMain::markAbsentAtCaret() {
    const auto number = m_ui.Txt_Results->numberAtCaret();
    if (!number) {
        return;
    }
    const auto change = m_engine.absentChange(*number);
    if (!change) {
        return;
    }
    const draw::ResultEntry& entry = *m_engine.results().entry(change->number);
    const auto answer =
        m_services.messageBox(wording::absentQuestion(m_engine.results(), entry),
                              platform::Buttons::YesNo, std::string_view(wording::kAbsentTitle));
    if (answer == platform::Answer::Yes) {
        m_engine.changeAbsent(*change);
    }
}

} // namespace kelvara::ui
