#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

#include "draw/verifiable_sequence.h"
#include "ui/main/run_panel.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvara::ui {

// The verifiable run's own window, opened at Initialize beside the main window: the
// commitment as it was recorded, the witnesses' fields, and the actions that take the
// public input, print the commitment and reveal the secret.
class VerifiableWindow final : public QWidget, public RunPanel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VerifiableWindow)

public:
    static constexpr int kMaxWitnesses = 10;

    explicit VerifiableWindow(QWidget& mainWindow);

    // Shows the run as it stands; fields are open for typing until the public input is in.
    // The window opens beside the main window the first time, and then stays as the
    // operator leaves it.
    void showRun(const draw::RunView& run) override;
    void showVerifiable(const draw::VerifiableRun& run);
    QStringList witnessParts() const;

signals:
    void partsEdited(const QStringList& parts);
    void acceptRequested(const QStringList& parts);
    void printRequested();
    void revealRequested();

private:
    QLineEdit* addWitness();
    void partsChanged();
    void placeBesideMainWindow();

    QWidget& m_mainWindow;
    QLabel* m_facts = nullptr;
    QLabel* m_commitment = nullptr;
    QGridLayout* m_witnessGrid = nullptr;
    QList<QLineEdit*> m_witnesses;
    QLabel* m_count = nullptr;
    QLabel* m_publicInput = nullptr;
    QLabel* m_secret = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_accept = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_reveal = nullptr;
    bool m_inputTaken = false;
    bool m_revealed = false;
    bool m_opened = false;
};

// The digits typed so far, the parts empty ones left out.
int digitCount(const QStringList& parts);

} // namespace kelvara::ui
