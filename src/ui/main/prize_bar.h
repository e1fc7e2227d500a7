#pragma once

#include <QWidget>

#include "draw/results.h"
#include "ui/main/run_panel.h"

class QComboBox;
class QLabel;

namespace kelvara::ui {

struct FrmMainUi;

// The prize plan above the rolling name: every prize with what it has left, the current
// one chosen. Hidden in a run without plan; shown, it moves the rolling area and the top
// of the results box down to make room.
class PrizeBar final : public QWidget, public RunPanel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrizeBar)

public:
    PrizeBar(QWidget& window, FrmMainUi& ui);

    // Shown once the run has a plan.
    void showRun(const draw::RunView& run) override;
    void showPrizes(const draw::Results& results, int current);
    // Another prize can be chosen only while no round is being drawn.
    void setChoosable(bool choosable);
    QComboBox* list() const { return m_list; }

signals:
    void prizeChosen(int prize); // from 1

private:
    void makeRoom();

    FrmMainUi& m_ui;
    QLabel* m_label = nullptr;
    QComboBox* m_list = nullptr;
};

} // namespace kelvara::ui
