// The options dialog: the rehearsal and the audience view's look; and the main window's own
// appearance, kept in the settings file.
#include <QLabel>
#include <QPushButton>

#include "platform/services.h"
#include "ui/main/appearance.h"
#include "ui/main/audience_screen.h"
#include "ui/main/draw_wording.h"
#include "ui/main/frm_main.h"
#include "ui/main/kept_appearance.h"
#include "ui/main/look_page.h"
#include "ui/main/options_dialog.h"
#include "ui/main/results_box.h"
#include "ui/main/sound_page.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

void FrmMain::setUpOptions() {
    m_keptAppearance =
        new KeptAppearance(*m_appearance, m_ui, *m_settings, [this] { tellSettingsNotWritten(); });
    connect(m_appearance->ui().Cmd_Options, &QPushButton::clicked, this, &FrmMain::openOptions);
}

void FrmMain::openOptions() {
    // The rehearsal is chosen before Initialize, as the verifiable draw is.
    OptionsDialog dialog(m_engine.rehearsal(), m_ui.Cmd_Init->isEnabled(), this);
    connect(&dialog, &OptionsDialog::rehearsalChosen, this, &FrmMain::setRehearsal);
    auto* look = new LookPage(*m_settings, *m_audience);
    connect(look, &LookPage::notWritten, this, &FrmMain::tellSettingsNotWritten);
    dialog.addPage(QStringLiteral("大屏幕"), look);
    dialog.addPage(QStringLiteral("声音"), new SoundPage(*m_sound));
    dialog.exec();
}

// A rehearsal is marked on both screens at once, so nobody takes it for the real draw.
void FrmMain::setRehearsal(bool rehearsal) {
    m_engine.setRehearsal(rehearsal);
    m_output.setRehearsal(m_engine.rehearsal());
    QLabel* mark = m_ui.Lbl_Rehearsal;
    mark->adjustSize();
    const QRect inside = m_ui.Txt_Results->viewport()->geometry();
    mark->move(inside.right() - mark->width() - 2, inside.top() + 2);
    mark->setVisible(m_engine.rehearsal());
    mark->raise();
    setWindowTitle(versionCaption(m_services.appData(), "     -  ") +
                   (m_engine.rehearsal() ? QStringLiteral("  【演练】") : QString()));
    m_audience->setRehearsal(m_engine.rehearsal());
}

// Told once: a disk that takes no settings would otherwise ask at every change.
void FrmMain::tellSettingsNotWritten() {
    if (!m_settingsNotWrittenTold) {
        m_settingsNotWrittenTold = true;
        m_services.messageBox(wording::settingsNotWritten());
    }
}

} // namespace kelvara::ui
