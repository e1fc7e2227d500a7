#include "frm_about.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextCursor>

#include "kelvara_version.h"
#include "platform/app_info.h"
#include "ui/about/help_text.h"
#include "ui/control_layout.h"
#include "ui/twips.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

// A null icon would fall back to the application's; this window shows none.
QIcon noIcon() {
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

// name, container, left, top, width, height, caption, tooltip; in tab order, though the
// labels never take the focus.
constexpr ControlPlace kFrmAboutLayout[] = {
    {"LblVer", "FrmAbout", 120, 0, 4455, 735, "", ""},
    {"Txt_Help", "FrmAbout", 120, 1200, 4455, 1575, "", ""},
    {"Label2", "FrmAbout", 240, 720, 4215, 375, "", ""},
};
static_assert(containersComeFirst(kFrmAboutLayout, "FrmAbout"));

} // namespace

void FrmAbout::Ui::setupUi(QWidget& window) {
    LayoutBuilder builder(window);
    LblVer = builder.add<QLabel>(placeOf(kFrmAboutLayout, "LblVer"));
    LblVer->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    LblVer->setWordWrap(true);
    LblVer->setFont(boldFont(QStringLiteral("微软雅黑"), 14.25));
    LblVer->setForegroundRole(QPalette::Highlight);

    Txt_Help = builder.add<QPlainTextEdit>(placeOf(kFrmAboutLayout, "Txt_Help"));
    Txt_Help->setReadOnly(true);
    // Locked, yet the text can still be selected, copied and scrolled from the keyboard.
    Txt_Help->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Txt_Help->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Txt_Help->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Txt_Help->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setRoleColour(Txt_Help, QPalette::Text, QColor(0, 0, 255));

    Label2 = builder.add<QLabel>(placeOf(kFrmAboutLayout, "Label2"));
    Label2->setWordWrap(true);
    Label2->setFont(boldFont(QStringLiteral("宋体"), 9));
    setRoleColour(Label2, QPalette::WindowText, QColor(192, 0, 0));
}

FrmAbout::FrmAbout(const platform::AppInfo& app, QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_app(app) {
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("关于"));
    setWindowIcon(noIcon());
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(Twips::size(4680, 2910));

    m_ui.setupUi(*this);
    restoreDesignState();
}

void FrmAbout::showEvent(QShowEvent* event) {
    // Closing unloads the window, so every opening starts from the design state again.
    if (!event->spontaneous()) {
        restoreDesignState();
        Form_Load();
        centreOnScreen(*this);
    }
    QDialog::showEvent(event);
}

void FrmAbout::restoreDesignState() {
    m_ui.LblVer->setText(QStringLiteral("Kelvara  V1.0 完全 永久 免费 摇号软件"));
    // The editor keeps paragraphs, not line ends: each CR LF becomes one paragraph break.
    QString help = QString::fromUtf8(kAboutHelpText);
    help.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_ui.Txt_Help->setPlainText(help);
    m_ui.Txt_Help->moveCursor(QTextCursor::Start);
    m_ui.Txt_Help->verticalScrollBar()->setValue(0);
    m_ui.Label2->setText(QString::fromUtf8(version::kCreditLine));
    m_ui.Txt_Help->setFocus(Qt::OtherFocusReason);
}

void FrmAbout::Form_Load() {
    m_ui.LblVer->setText(versionCaption(m_app.appData(), "-"));
}

} // namespace kelvara::ui
