// The verifiable draw: the window's choice before Initialize, the run's own window, and
// what the audience view shows of the commitment and the witnesses' digits.
#include <QCheckBox>

#include "frm_main.h"
#include "output/commitment_sheet.h"
#include "platform/services.h"
#include "ui/main/appearance.h"
#include "ui/main/audience_screen.h"
#include "ui/main/verifiable_window.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

constexpr char kRevealQuestion[] =
    "公布秘密值以后，任何人都可以核对本次摇号，但本次运行不能再摇号了。确定公布吗？";
constexpr char kRevealTitle[] = "公布";

QString hexText(const platform::Digest& digest) {
    return fromUtf8(output::groupedHex(draw::toHex(digest)));
}

// A digest on two lines, each as large as the screen allows.
QStringList hexHalves(const platform::Digest& digest) {
    const QString text = hexText(digest);
    const qsizetype half = text.size() / 2;
    return {text.left(half), text.mid(half + 1)};
}

} // namespace

void FrmMain::setUpVerifiable() {
    QCheckBox* choice = m_appearance->ui().Check_Verifiable;
    connect(choice, &QCheckBox::toggled, this, [this](bool on) { m_engine.setVerifiable(on); });
}

void FrmMain::showVerifiable(const draw::VerifiableRun& run) {
    QCheckBox* choice = m_appearance->ui().Check_Verifiable;
    choice->setChecked(true);
    choice->setEnabled(false);
    if (m_verifiable == nullptr) {
        m_verifiable = new VerifiableWindow(*this);
        connect(m_verifiable, &VerifiableWindow::partsEdited, this,
                &FrmMain::showVerifiableOnAudience);
        connect(m_verifiable, &VerifiableWindow::acceptRequested, this,
                &FrmMain::acceptPublicInput);
        connect(m_verifiable, &VerifiableWindow::printRequested, this, &FrmMain::printCommitment);
        connect(m_verifiable, &VerifiableWindow::revealRequested, this, &FrmMain::revealSecret);
    }
    m_verifiable->showRun(run);
    showVerifiableOnAudience(m_verifiable->witnessParts());
}

void FrmMain::acceptPublicInput(const QStringList& parts) {
    std::vector<std::string> typed;
    for (const QString& part : parts) {
        typed.push_back(part.toStdString());
    }
    if (m_engine.acceptPublicInput(typed)) {
        // The draw goes on in the main window.
        activateWindow();
        raise();
    }
}

void FrmMain::printCommitment() {
    if (const auto& run = m_engine.verifiableRun()) {
        if (const auto failure = m_output.printCommitment(output::commitmentSheet(*run))) {
            reportOutputFailure(*failure);
        }
    }
}

void FrmMain::revealSecret() {
    m_engine.completePendingListing();
    if (m_engine.phase() != draw::RoundPhase::Idle) {
        return;
    }
    if (m_services.messageBox(kRevealQuestion, platform::Buttons::YesNo,
                              std::string_view(kRevealTitle)) == platform::Answer::Yes) {
        // The secret takes the list's place on the audience view.
        m_audience->clearRound();
        m_engine.reveal();
    }
}

// Before the first round the view shows the commitment, the witnesses' digits as they are
// typed and, at the end, the secret; under a round's list, a line that keeps the
// commitment in sight.
void FrmMain::showVerifiableOnAudience(const QStringList& parts) {
    const auto& run = m_engine.verifiableRun();
    if (!run) {
        return;
    }
    QStringList panel{QStringLiteral("可验证摇号　承诺 C")};
    panel.append(hexHalves(run->commitment));
    QStringList witnesses;
    for (qsizetype k = 0; k < parts.size(); ++k) {
        witnesses.append(QStringLiteral("见证人%1：%2").arg(k + 1).arg(parts[k]));
    }
    if (!witnesses.isEmpty()) {
        panel.append(witnesses.join(QStringLiteral("　")));
    }
    if (run->sequence) {
        panel.append(QStringLiteral("公开输入：") + fromUtf8(run->inputs.publicInput));
    }
    if (run->revealed) {
        panel.append(QStringLiteral("秘密值 s"));
        panel.append(hexHalves(run->inputs.secret));
    }
    const QString footer =
        QStringLiteral("可验证摇号　承诺 C：") + hexText(run->commitment) +
        (run->sequence ? QStringLiteral("　公开输入：") + fromUtf8(run->inputs.publicInput)
                       : QString());
    m_audience->setVerifiable(panel, footer);
}

} // namespace kelvara::ui
