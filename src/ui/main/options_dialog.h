#pragma once

#include <QDialog>

class QCheckBox;
class QTabWidget;

namespace kelvara::ui {

// The operator's options beyond the settings panel: the rehearsal, chosen before Initialize,
// and the pages that set the audience view's look and the sound. Each choice applies at once;
// the pages keep theirs in the settings file.
class OptionsDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OptionsDialog)

public:
    // `rehearsalChoosable` is false once the run has begun.
    OptionsDialog(bool rehearsal, bool rehearsalChoosable, QWidget* parent = nullptr);

    // A page on a tab of its own, after those added before.
    void addPage(const QString& heading, QWidget* page);

signals:
    void rehearsalChosen(bool rehearsal);

private:
    QTabWidget* m_pages = nullptr;
    QCheckBox* m_rehearsal = nullptr;
};

} // namespace kelvara::ui
