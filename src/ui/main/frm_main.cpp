#include "frm_main.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "platform/services.h"
#include "platform/sound_player.h"
#include "ui/about/frm_about.h"
#include "ui/main/appearance.h"
#include "ui/main/audience_screen.h"
#include "ui/main/draw_wording.h"
#include "ui/main/failure_wording.h"
#include "ui/main/font_substitutions.h"
#include "ui/main/kept_appearance.h"
#include "ui/main/key_preview.h"
#include "ui/main/prize_bar.h"
#include "ui/main/results_box.h"
#include "ui/main/roll_label.h"
#include "ui/main/run_panel.h"
#include "ui/main/settings_file.h"
#include "ui/main/sound_cues.h"
#include "ui/twips.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

constexpr int kClientWidth = 7140;
constexpr int kClientHeight = 5505;

void enableTimer(QTimer* timer, bool enabled) {
    if (!enabled) {
        timer->stop();
    } else if (!timer->isActive()) {
        timer->start();
    }
}

} // namespace

FrmMain::FrmMain(platform::Services& services, draw::DrawEngine& engine,
                 output::ResultsOutput& output, platform::SoundPlayer* sound, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_services(services), m_engine(engine), m_output(output) {
    m_engine.attach(*this, *this);
    registerFontSubstitutions();
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Kelvara V1.0  -  最简单摇号软件"));
    setFixedSize(Twips::size(kClientWidth, kClientHeight));

    m_ui.setupUi(*this);
    m_ui.Txt_Results->showResults(m_engine.results());
    m_appearance = new Appearance(*this, m_ui);
    m_audience = new AudienceScreen(*this, *m_ui.Lbl_Roll);
    setUpPrizes();
    m_panels = {m_ui.Txt_Results, m_prizeBar, m_audience};
    setUpVerifiable();
    setUpColumns();
    setUpLook();
    setUpOptions();
    setUpSound(sound);
    setTabOrder();
    connectHandlers();
    m_ui.Txt_Results->setFocus(Qt::OtherFocusReason);
    centreOnScreen(*this);

    Form_Load();
    m_keptAppearance->restoreControls();
    m_keyPreview->setClickerWindow(m_audience);
}

// The sound cues go before the player and the settings they use, which are members here.
FrmMain::~FrmMain() {
    delete std::exchange(m_sound, nullptr);
}

// The keyboard order of the design; labels and frames never take the focus, so only the
// controls that do are chained.
void FrmMain::setTabOrder() {
    const SettingsPanelUi& panel = m_appearance->ui();
    QWidget* const order[] = {m_ui.Txt_Results,
                              m_prizeBar->list(),
                              m_ui.Pic_Roll,
                              m_ui.Txt_Num,
                              m_ui.Cmd_Exit,
                              m_ui.Cmd_Save,
                              m_ui.Cmd_Start,
                              m_ui.Cmd_Init,
                              panel.Opt_Align[0],
                              panel.Opt_Align[1],
                              panel.Opt_Align[2],
                              panel.Opt_Size[0],
                              panel.Opt_Size[1],
                              panel.List_FontSize_Roll,
                              panel.List_FontSize_Results,
                              panel.List_Fonts_Roll,
                              panel.List_Fonts_Results,
                              panel.HScroll_Color_Results,
                              panel.HScroll_Color_Results_Back,
                              panel.HScroll_Color_Roll_Back,
                              panel.HScroll_Color_Roll,
                              panel.VScroll_Color_Frame,
                              m_ui.Cmd_Print,
                              panel.CmdAbout,
                              m_ui.Cmd_Size_V,
                              m_ui.Cmd_Size_H,
                              panel.Check_Title,
                              panel.Check_Verifiable,
                              panel.Cmd_Columns,
                              panel.Cmd_Options};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void FrmMain::connectHandlers() {
    connect(m_ui.Cmd_Init, &QPushButton::clicked, this, &FrmMain::Cmd_Init_Click);
    connect(m_ui.Cmd_Start, &QPushButton::clicked, this, &FrmMain::Cmd_Start_Click);
    connect(m_ui.Cmd_Save, &QPushButton::clicked, this, &FrmMain::Cmd_Save_Click);
    connect(m_ui.Cmd_Print, &QPushButton::clicked, this, &FrmMain::Cmd_Print_Click);
    connect(m_ui.Cmd_Exit, &QPushButton::clicked, this, &FrmMain::Cmd_Exit_Click);
    connect(m_appearance->ui().CmdAbout, &QPushButton::clicked, this, &FrmMain::CmdAbout_Click);
    connect(m_ui.Timer1, &QTimer::timeout, this, &FrmMain::Timer1_Timer);
    connect(m_ui.Timer2, &QTimer::timeout, this, &FrmMain::Timer2_Timer);
    // The draw knows the round size as the box shows it, whoever changed it.
    connect(m_ui.Txt_Num, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_engine.Txt_Num_Change(text.toStdString()); });

    auto* audienceKey = new QShortcut(QKeySequence(Qt::Key_F11), this);
    audienceKey->setAutoRepeat(false);
    connect(audienceKey, &QShortcut::activated, this, &FrmMain::toggleAudienceScreen);
}

void FrmMain::toggleAudienceScreen() {
    if (m_audience->isVisible()) {
        m_audience->close();
    } else {
        m_audience->open();
    }
}

void FrmMain::Cmd_Init_Click() {
    m_engine.Cmd_Init_Click();
}

void FrmMain::Cmd_Start_Click() {
    m_engine.Cmd_Start_Click();
}

void FrmMain::Timer1_Timer() {
    m_engine.Timer1_Timer();
}

void FrmMain::Timer2_Timer() {
    m_engine.Timer2_Timer();
}

// Save and Print take the results as they will be: a stopped round is listed first.
void FrmMain::Cmd_Save_Click() {
    m_engine.completePendingListing();
    if (const platform::Outcome failure =
            m_output.save(m_engine.results(), &m_engine.rowFormat())) {
        reportOutputFailure(*failure);
        return;
    }
    m_services.messageBox(wording::saved(m_services));
}

void FrmMain::Cmd_Print_Click() {
    m_engine.completePendingListing();
    if (const platform::Outcome failure =
            m_output.print(m_engine.results(), &m_engine.rowFormat())) {
        reportOutputFailure(*failure);
    }
}

void FrmMain::reportOutputFailure(const platform::Failure& failure) {
    m_services.messageBox(wording::outputFailed(failure, m_services));
}

void FrmMain::CmdAbout_Click() {
    if (m_about == nullptr) {
        m_about = new FrmAbout(m_services, this);
    }
    m_about->exec();
}

// Qt makes an option group one tab stop at its first option; the stop belongs to the
// selected one.
bool FrmMain::focusNextPrevChild(bool next) {
    if (!QWidget::focusNextPrevChild(next)) {
        return false;
    }
    const auto* option = qobject_cast<QRadioButton*>(focusWidget());
    const QButtonGroup* group = option != nullptr ? option->group() : nullptr;
    if (group != nullptr && group->checkedButton() != nullptr && !option->isChecked()) {
        group->checkedButton()->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
    return true;
}

// Qt moves the focus on to the next control when the focused one is disabled, which
// would drop it somewhere in the hidden settings panel. Keep it on the window instead
// and hand it to the successor once that is usable.
void FrmMain::parkFocusWhileDisabled(QWidget* control, QWidget* successor) {
    if (focusWidget() != control) {
        return;
    }
    setFocus(Qt::OtherFocusReason);
    if (successor->isEnabled() && successor != control) {
        successor->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_focusAfterEnable = successor;
}

void FrmMain::tell(const draw::Notice& notice) {
    m_services.messageBox(wording::notice(notice, m_services));
}

bool FrmMain::drawAnyway(std::span<const draw::ListProblem> problems) {
    return m_services.messageBox(wording::listProblems(problems, m_engine.listFile()),
                                 platform::Buttons::YesNoSafe,
                                 wording::kListCheckTitle) == platform::Answer::Yes;
}

void FrmMain::setRollCaption(const QString& caption) {
    m_ui.Lbl_Roll->setText(caption);
    m_audience->setRollText(caption);
}

void FrmMain::showName(std::string_view name) {
    setRollCaption(fromUtf8(name));
}

void FrmMain::showRow(std::string_view roll, std::string_view audience) {
    m_ui.Lbl_Roll->setText(fromUtf8(roll));
    m_audience->setRollText(fromUtf8(audience));
}

void FrmMain::showListSize(int count) {
    setRollCaption(wording::listSize(count));
}

void FrmMain::showRolling() {
    setRollCaption(wording::rolling());
}

void FrmMain::showRestored(int restored, int remaining) {
    setRollCaption(wording::restored(restored, remaining));
}

void FrmMain::setInitEnabled(bool enabled) {
    if (!enabled) {
        parkFocusWhileDisabled(m_ui.Cmd_Init, m_ui.Cmd_Start);
    }
    m_ui.Cmd_Init->setEnabled(enabled);
}

void FrmMain::setStartAction(draw::StartAction action) {
    m_ui.Cmd_Start->setText(wording::startCaption(action));
    m_prizeBar->setChoosable(action == draw::StartAction::Start);
    updateAbsentAction();
}

void FrmMain::setStartEnabled(bool enabled) {
    if (!enabled) {
        parkFocusWhileDisabled(m_ui.Cmd_Start, m_ui.Cmd_Start);
    }
    m_ui.Cmd_Start->setEnabled(enabled);
    if (enabled && m_focusAfterEnable == m_ui.Cmd_Start) {
        m_focusAfterEnable = nullptr;
        if (focusWidget() == nullptr || focusWidget() == this) {
            m_ui.Cmd_Start->setFocus(Qt::OtherFocusReason);
        }
    }
}

void FrmMain::setRoundSizeText(std::string_view text) {
    m_ui.Txt_Num->setText(fromUtf8(text));
}

// The rolling timer runs exactly while a round rolls: its sound goes with it.
void FrmMain::setTimer1Enabled(bool enabled) {
    enableTimer(m_ui.Timer1, enabled);
    if (m_sound == nullptr) {
        return;
    }
    if (enabled) {
        m_sound->roundStarted();
    } else {
        m_sound->roundStopped();
    }
}

void FrmMain::setTimer2Enabled(bool enabled) {
    enableTimer(m_ui.Timer2, enabled);
}

const std::string& FrmMain::resultsText() const {
    return m_ui.Txt_Results->exactText();
}

void FrmMain::showRun(const draw::RunView& run) {
    if (run.verifiable != nullptr && m_verifiable == nullptr) {
        openVerifiableWindow();
    }
    for (RunPanel* const panel : m_panels) {
        panel->showRun(run);
    }
    if (m_sound != nullptr) { // not yet while the window is being built
        m_sound->setPrize(fromUtf8(run.results.prizeName(run.currentPrize)));
    }
    updateAbsentAction();
}

} // namespace kelvara::ui
