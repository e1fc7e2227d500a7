// The verifiable draw: the window's choice before Initialize, and the run's own window.
#include <QCheckBox>

#include "frm_main.h"
#include "output/commitment_sheet.h"
#include "platform/services.h"
#include "ui/main/appearance.h"
#include "ui/main/audience_screen.h"
#include "ui/main/verifiable_window.h"

namespace kelvara::ui {

namespace {

constexpr char kRevealQuestion[] =
    "公布秘密值以后，任何人都可以核对本次摇号，但本次运行不能再摇号了。确定公布吗？";
constexpr char kRevealTitle[] = "公布";

} // namespace

void FrmMain::setUpVerifiable() {
    QCheckBox* choice = m_appearance->ui().Check_Verifiable;
    connect(choice, &QCheckBox::toggled, this, [this](bool on) { m_engine.setVerifiable(on); });
}

// A verifiable run began: the choice is fixed, and the run gets its window, whose witnesses'
// digits the audience sees as they are typed.
void FrmMain::openVerifiableWindow() {
    QCheckBox* choice = m_appearance->ui().Check_Verifiable;
    choice->setChecked(true);
    choice->setEnabled(false);
    m_verifiable = new VerifiableWindow(*this);
    connect(m_verifiable, &VerifiableWindow::partsEdited, m_audience,
            &AudienceScreen::setWitnessParts);
    connect(m_verifiable, &VerifiableWindow::acceptRequested, this, &FrmMain::acceptPublicInput);
    connect(m_verifiable, &VerifiableWindow::printRequested, this, &FrmMain::printCommitment);
    connect(m_verifiable, &VerifiableWindow::revealRequested, this, &FrmMain::revealSecret);
    m_panels.push_back(m_verifiable);
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
    if (const draw::VerifiableRun* run = m_engine.verifiableRun()) {
        if (const platform::Outcome failure =
                m_output.printCommitment(output::commitmentSheet(*run))) {
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
        m_engine.reveal();
    }
}

} // namespace kelvara::ui
