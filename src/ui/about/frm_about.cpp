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
#include "platform/services.h"
#include "ui/about/help_text.h"
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

} // namespace

FrmAbout::FrmAbout(platform::Services& services, QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_services(services) {
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("关于"));
    setWindowIcon(noIcon());
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(Twips::size(4680, 2910));

    // Created in tab order; the labels never take the focus.
    m_lblVer = new QLabel(this);
    m_lblVer->setObjectName(QStringLiteral("LblVer"));
    m_lblVer->setGeometry(Twips::rect(120, 0, 4455, 735));
    m_lblVer->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_lblVer->setWordWrap(true);
    m_lblVer->setFont(boldFont(QStringLiteral("微软雅黑"), 14.25));
    m_lblVer->setForegroundRole(QPalette::Highlight);

    m_txtHelp = new QPlainTextEdit(this);
    m_txtHelp->setObjectName(QStringLiteral("Txt_Help"));
    m_txtHelp->setGeometry(Twips::rect(120, 1200, 4455, 1575));
    m_txtHelp->setReadOnly(true);
    // Locked, yet the text can still be selected, copied and scrolled from the keyboard.
    m_txtHelp->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_txtHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txtHelp->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setRoleColour(m_txtHelp, QPalette::Text, QColor(0, 0, 255));

    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setGeometry(Twips::rect(240, 720, 4215, 375));
    m_label2->setWordWrap(true);
    m_label2->setFont(boldFont(QStringLiteral("宋体"), 9));
    setRoleColour(m_label2, QPalette::WindowText, QColor(192, 0, 0));

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
    m_lblVer->setText(QStringLiteral("Kelvara  V1.0 完全 永久 免费 摇号软件"));
    // The editor keeps paragraphs, not line ends: each CR LF becomes one paragraph break.
    QString help = QString::fromUtf8(kAboutHelpText);
    help.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_txtHelp->setPlainText(help);
    m_txtHelp->moveCursor(QTextCursor::Start);
    m_txtHelp->verticalScrollBar()->setValue(0);
    m_label2->setText(QString::fromUtf8(version::kCreditLine));
    m_txtHelp->setFocus(Qt::OtherFocusReason);
}

void FrmAbout::Form_Load() {
    m_lblVer->setText(versionCaption(m_services.appData(), "-"));
}

} // namespace kelvara::ui
