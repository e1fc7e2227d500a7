#include "appearance.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "ui/main/frm_main_ui.h"
#include "ui/main/palette_color.h"
#include "ui/main/results_box.h"
#include "ui/main/roll_label.h"
#include "ui/twips.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

// Font lists: above this height a list counts as expanded.
constexpr int kExpandedAbove = 260;
constexpr int kCollapsedHeight = 240;
constexpr int kExpandedHeight = 1200;
constexpr int kExpandShift = 1200;
// The roll font list's own double-click toggles between these.
constexpr int kListTallAbove = 200;
constexpr int kListFlatHeight = 20;
constexpr int kListTallHeight = 300;
// Outer window sizes.
constexpr int kNarrowBelow = 9000;
constexpr int kWideWidth = 9915;
constexpr int kNarrowWidth = 7230;
constexpr int kShortBelow = 5000;
constexpr int kTallHeight = 6000;
constexpr int kShortHeight = 4810;

// Thresholds given in twips are compared in whole pixels, each side rounded the same way,
// so a control set to exactly a threshold's height counts as at the threshold.
bool above(int pixels, int twips) {
    return pixels > Twips::toPixels(twips);
}

// Expands a one-row font list upward over the controls above it, or collapses it back.
void toggleFontList(QListWidget* list) {
    const QRect g = list->geometry();
    if (above(g.height(), kExpandedAbove)) {
        list->setGeometry(g.x(), g.y() + Twips::toPixels(kExpandShift), g.width(),
                          Twips::toPixels(kCollapsedHeight));
    } else {
        list->setGeometry(g.x(), g.y() - Twips::toPixels(kExpandShift), g.width(),
                          Twips::toPixels(kExpandedHeight));
        list->raise();
    }
    if (QListWidgetItem* item = list->currentItem()) {
        list->scrollToItem(item);
    }
}

// The selected item's text, or nothing when no item is selected: the current row also
// moves without a selection (the list taking the focus, Ctrl+arrow), which chooses nothing.
QString chosenText(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item != nullptr && item->isSelected() ? item->text() : QString();
}

void setFamily(QWidget* target, const QString& family) {
    QFont font = target->font();
    // One family, exactly the item's text: a name is never split at commas.
    font.setFamilies({family});
    target->setFont(font);
}

void setPointSize(QWidget* target, const QString& sizeText) {
    bool ok = false;
    const float points = sizeText.toFloat(&ok);
    if (!ok || points <= 0.0F) {
        return;
    }
    QFont font = target->font();
    font.setPointSizeF(static_cast<double>(points));
    target->setFont(font);
}

} // namespace

Appearance::Appearance(QWidget& window, const FrmMainUi& windowUi)
    : QObject(&window), m_window(window), m_windowUi(windowUi) {
    setObjectName(QStringLiteral("Appearance"));
    m_ui.setupUi(window);
    connectHandlers();
}

void Appearance::connectHandlers() {
    // A bar's colour applies when its value settles: an arrow, a track click, a key, or
    // the end of a thumb drag, never the positions passed during the drag.
    const std::pair<QScrollBar*, void (Appearance::*)()> bars[] = {
        {m_ui.HScroll_Color_Roll, &Appearance::HScroll_Color_Roll_Change},
        {m_ui.HScroll_Color_Roll_Back, &Appearance::HScroll_Color_Roll_Back_Change},
        {m_ui.HScroll_Color_Results, &Appearance::HScroll_Color_Results_Change},
        {m_ui.HScroll_Color_Results_Back, &Appearance::HScroll_Color_Results_Back_Change},
        {m_ui.VScroll_Color_Frame, &Appearance::VScroll_Color_Frame_Change},
    };
    for (const auto& [bar, handler] : bars) {
        bar->setTracking(false);
        // Qt's scroll bars invert the keys so that Down scrolls down; on a horizontal bar
        // that would make Right step to the left.
        if (bar->orientation() == Qt::Horizontal) {
            bar->setInvertedControls(false);
        }
        connect(bar, &QScrollBar::valueChanged, this, handler);
    }

    onItemChosen(m_ui.List_Fonts_Roll, &Appearance::List_Fonts_Roll_Click);
    onItemChosen(m_ui.List_Fonts_Results, &Appearance::List_Fonts_Results_Click);
    onItemChosen(m_ui.List_FontSize_Roll, &Appearance::List_FontSize_Roll_Click);
    onItemChosen(m_ui.List_FontSize_Results, &Appearance::List_FontSize_Results_Click);
    connect(m_ui.List_Fonts_Roll, &QListWidget::itemDoubleClicked, this,
            &Appearance::List_Fonts_Roll_DblClick);

    // Labels raise no double-click of their own.
    m_ui.Lbl_Font_Roll->installEventFilter(this);
    m_ui.Lbl_Font_Results->installEventFilter(this);

    connect(m_ui.Opt_Align_Group, &QButtonGroup::idClicked, this, &Appearance::Opt_Align_Click);
    connect(m_ui.Opt_Size_Group, &QButtonGroup::idClicked, this, &Appearance::Opt_Size_Click);
    connect(m_windowUi.Cmd_Size_H, &QAbstractButton::clicked, this, &Appearance::Cmd_Size_H_Click);
    connect(m_windowUi.Cmd_Size_V, &QAbstractButton::clicked, this, &Appearance::Cmd_Size_V_Click);
    connect(m_ui.Check_Title, &QAbstractButton::clicked, this, &Appearance::Check_Title_Click);
}

void Appearance::onItemChosen(QListWidget* list, void (Appearance::*handler)()) {
    connect(list, &QListWidget::currentRowChanged, this, handler);
    // A click on the item that is already current changes no row but still applies it.
    connect(list, &QListWidget::itemClicked, this, handler);
}

bool Appearance::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == m_ui.Lbl_Font_Roll) {
            Lbl_Font_Roll_DblClick();
            return true;
        }
        if (watched == m_ui.Lbl_Font_Results) {
            Lbl_Font_Results_DblClick();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void Appearance::HScroll_Color_Roll_Change() {
    setRoleColour(m_windowUi.Lbl_Roll, QPalette::WindowText,
                  PaletteColor(m_ui.HScroll_Color_Roll->value()));
}

void Appearance::HScroll_Color_Roll_Back_Change() {
    setRoleColour(m_windowUi.Lbl_Roll, QPalette::Window,
                  PaletteColor(m_ui.HScroll_Color_Roll_Back->value()));
}

void Appearance::HScroll_Color_Results_Change() {
    setRoleColour(m_windowUi.Txt_Results, QPalette::Text,
                  PaletteColor(m_ui.HScroll_Color_Results->value()));
}

void Appearance::HScroll_Color_Results_Back_Change() {
    setRoleColour(m_windowUi.Txt_Results, QPalette::Base,
                  PaletteColor(m_ui.HScroll_Color_Results_Back->value()));
}

void Appearance::List_Fonts_Roll_Click() {
    const QString family = chosenText(m_ui.List_Fonts_Roll);
    if (!family.isEmpty()) {
        setFamily(m_windowUi.Lbl_Roll, family);
    }
}

void Appearance::List_Fonts_Results_Click() {
    const QString family = chosenText(m_ui.List_Fonts_Results);
    if (!family.isEmpty()) {
        setFamily(m_windowUi.Txt_Results, family);
    }
}

void Appearance::List_FontSize_Roll_Click() {
    setPointSize(m_windowUi.Lbl_Roll, chosenText(m_ui.List_FontSize_Roll));
}

void Appearance::List_FontSize_Results_Click() {
    setPointSize(m_windowUi.Txt_Results, chosenText(m_ui.List_FontSize_Results));
}

void Appearance::Lbl_Font_Roll_DblClick() {
    toggleFontList(m_ui.List_Fonts_Roll);
}

void Appearance::Lbl_Font_Results_DblClick() {
    toggleFontList(m_ui.List_Fonts_Results);
}

// The click of the same double-click has already applied the font.
void Appearance::List_Fonts_Roll_DblClick() {
    const int height = above(m_ui.List_Fonts_Roll->height(), kListTallAbove)
                           ? Twips::toPixels(kListFlatHeight)
                           : Twips::toPixels(kListTallHeight);
    m_ui.List_Fonts_Roll->resize(m_ui.List_Fonts_Roll->width(), height);
}

void Appearance::Opt_Align_Click(int index) {
    static constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignRight,
                                                    Qt::AlignHCenter};
    if (index >= 0 && index < static_cast<int>(std::size(kAlignments))) {
        m_windowUi.Lbl_Roll->setAlignment(kAlignments[index]);
    }
}

// Single width covers the panel exactly; double width overhangs it by half on each side,
// so the label's middle half shows.
void Appearance::Opt_Size_Click(int index) {
    const double panel = Twips::fromPixels(m_windowUi.Pic_Roll->width());
    double left = 0;
    double width = 0;
    if (index == 0) {
        left = 0;
        width = panel;
    } else if (index == 1) {
        left = -panel / 2;
        width = 2 * panel;
    } else {
        return;
    }
    const QRect g = m_windowUi.Lbl_Roll->geometry();
    const QRect across = Twips::rect(left, 0, width, 0);
    m_windowUi.Lbl_Roll->setGeometry(across.x(), g.y(), across.width(), g.height());
}

bool Appearance::isNarrow() const {
    return Twips::toPixels(outerWidthTwips(m_window)) < Twips::toPixels(kNarrowBelow);
}

bool Appearance::isShort() const {
    return Twips::toPixels(outerHeightTwips(m_window)) < Twips::toPixels(kShortBelow);
}

void Appearance::Cmd_Size_H_Click() {
    setOuterWidthTwips(m_window, isNarrow() ? kWideWidth : kNarrowWidth);
    keepResizable();
}

void Appearance::Cmd_Size_V_Click() {
    setOuterHeightTwips(m_window, isShort() ? kTallHeight : kShortHeight);
    keepResizable();
}

// The box starts grayed; once clicked it only switches between checked and unchecked.
// Its value is the border style: unchecked 0, checked 1, grayed 2.
void Appearance::Check_Title_Click() {
    const Qt::CheckState value = m_ui.Check_Title->checkState();
    m_ui.Check_Title->setTristate(false);
    switch (value) {
    case Qt::Unchecked:
        setBorderStyle(0);
        break;
    case Qt::Checked:
        setBorderStyle(1);
        break;
    case Qt::PartiallyChecked:
        setBorderStyle(2);
        break;
    }
}

void Appearance::VScroll_Color_Frame_Change() {
    setBackground(&m_window, PaletteColor(m_ui.VScroll_Color_Frame->value()));
    setBackground(m_windowUi.Frame_Oper, m_window.palette().color(QPalette::Window));
}

// 0 none, 1 fixed single, 2 sizable: read from the window itself.
int Appearance::borderStyle() const {
    if (m_window.windowFlags().testFlag(Qt::FramelessWindowHint)) {
        return 0;
    }
    return m_window.minimumSize() == m_window.maximumSize() ? 1 : 2;
}

void Appearance::setBorderStyle(int style) {
    const QPoint corner = m_window.pos();
    const QSize size = m_window.size();
    const bool shown = m_window.isVisible();
    const bool active = m_window.isActiveWindow();
    QWidget* const focus = m_window.focusWidget();

    Qt::WindowFlags flags = Qt::Window;
    if (style == 0) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
    }
    // New flags re-create the native window, which hides it.
    if (flags != m_window.windowFlags()) {
        m_window.setWindowFlags(flags);
    }
    if (style == 2) {
        m_window.setMinimumSize(0, 0);
        m_window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_window.resize(size);
    } else {
        m_window.setFixedSize(size);
    }
    m_window.move(corner);
    if (shown && !m_window.isVisible()) {
        m_window.show();
        if (active) {
            m_window.activateWindow();
        }
    }
    if (focus != nullptr && m_window.focusWidget() != focus) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

// The size buttons fix the new size; a sizable window stays sizable.
void Appearance::keepResizable() {
    if (borderStyle() == 2) {
        m_window.setMinimumSize(0, 0);
        m_window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

} // namespace kelvara::ui
