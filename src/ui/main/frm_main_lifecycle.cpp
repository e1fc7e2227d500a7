// The main window's start-up, keyboard preview and guarded shut-down.

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

#include "platform/services.h"
#include "ui/main/appearance.h"
#include "ui/main/draw_wording.h"
#include "ui/main/frm_main.h"
#include "ui/main/kept_appearance.h"
#include "ui/main/key_preview.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

constexpr char kExitQuestion[] = "确定要关闭摇号软件吗?";
constexpr char kExitTitle[] = "退出";
constexpr char kConfirmQuestion[] = "请再次确认关闭吗?";
constexpr char kConfirmTitle[] = "确认退出";
const QColor kRed(255, 0, 0);
constexpr int kFrameWait = 20; // ms
constexpr int kFrameWaits = 50;

} // namespace

void FrmMain::Form_Load() {
    setWindowTitle(versionCaption(m_services.appData(), "     -  "));

    m_engine.startUp();

    setBackground(this, kRed);
    setBackground(m_ui.Frame_Oper, kRed);

    m_ui.Cmd_Start->setEnabled(false);

    const SettingsPanelUi& panel = m_appearance->ui();
    for (const std::string& name : m_services.screenFonts()) {
        panel.List_Fonts_Roll->addItem(fromUtf8(name));
        panel.List_Fonts_Results->addItem(fromUtf8(name));
    }

    m_keyPreview = std::make_unique<KeyPreview>(
        *this, m_heldKeys, [this](std::int16_t KeyAscii) { Form_KeyPress(KeyAscii); });
}

void FrmMain::Form_KeyPress(std::int16_t KeyAscii) {
    m_engine.Form_KeyPress(KeyAscii);
}

bool FrmMain::Form_Unload() {
    using platform::Answer;
    using platform::Buttons;
    if (m_services.messageBox(kExitQuestion, Buttons::YesNo, std::string_view(kExitTitle)) !=
        Answer::Yes) {
        return false;
    }
    return m_services.messageBox(kConfirmQuestion, Buttons::YesNo,
                                 std::string_view(kConfirmTitle)) == Answer::Yes;
}

void FrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shownBefore) {
        m_shownBefore = true;
        // Asked once the window is on the screen, so the question has it behind it.
        QTimer::singleShot(0, this, [this] {
            m_keptAppearance->keepChanges();
            restoreWindowOnceFramed(kFrameWaits);
            tellDamagedSettings();
            offerToContinue();
        });
    }
}

// The kept window size is an outer size: it waits for the window manager's frame, which comes
// a moment after the window shows, or gives up waiting after a second (no frame at all).
void FrmMain::restoreWindowOnceFramed(int waitsLeft) {
    const QWindow* native = windowHandle();
    const bool framed = native != nullptr && !native->frameMargins().isNull();
    if (framed || waitsLeft <= 0 || QGuiApplication::platformName() == u"offscreen") {
        m_keptAppearance->restoreWindow();
        return;
    }
    QTimer::singleShot(kFrameWait, this,
                       [this, waitsLeft] { restoreWindowOnceFramed(waitsLeft - 1); });
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // A second close request while the questions are open is ignored.
    if (m_askingToClose) {
        event->ignore();
        return;
    }
    m_askingToClose = true;
    const bool mayClose = Form_Unload();
    m_askingToClose = false;
    if (mayClose) {
        m_engine.endRun();
        event->accept();
    } else {
        event->ignore();
    }
}

// A run that ended without the exit questions (killed, a power cut) may go on.
void FrmMain::offerToContinue() {
    const auto offer = m_engine.unfinishedRun();
    if (!offer) {
        return;
    }
    const auto answer =
        m_services.messageBox(wording::continueQuestion(*offer), platform::Buttons::YesNo,
                              std::string_view(wording::kContinueTitle));
    if (answer == platform::Answer::Yes) {
        m_engine.continueRun(*offer);
    } else {
        m_engine.declineRun(*offer);
    }
}

void FrmMain::Cmd_Exit_Click() {
    close();
}

} // namespace kelvara::ui
