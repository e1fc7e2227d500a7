#include "kept_appearance.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QJsonValue>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "ui/main/appearance.h"
#include "ui/main/frm_main_ui.h"
#include "ui/main/settings_file.h"

namespace kelvara::ui {

namespace {

const QString kKey = QStringLiteral("主窗口");
const QString kRollColour = QStringLiteral("滚动区字体颜色");
const QString kRollBack = QStringLiteral("滚动区背景色");
const QString kResultsColour = QStringLiteral("结果区字体颜色");
const QString kResultsBack = QStringLiteral("结果区背景色");
const QString kWindowBack = QStringLiteral("背景色");
const QString kRollFont = QStringLiteral("滚动区字体");
const QString kRollSize = QStringLiteral("滚动区字号");
const QString kResultsFont = QStringLiteral("结果区字体");
const QString kResultsSize = QStringLiteral("结果区字号");
const QString kAlign = QStringLiteral("对齐");
const QString kWidth = QStringLiteral("滚动区缩放");
const QString kTitleBar = QStringLiteral("窗体标题栏");
const QString kWide = QStringLiteral("加宽");
const QString kTall = QStringLiteral("加高");

QString chosenText(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item != nullptr && item->isSelected() ? item->text() : QString();
}

// Clicks the group's button of that id, as the operator would; nothing for an unknown id.
void clickButton(const QButtonGroup* group, const QJsonValue& id) {
    if (QAbstractButton* button = group->button(id.toInt(-1)); id.isDouble() && button) {
        button->click();
    }
}

} // namespace

KeptAppearance::KeptAppearance(Appearance& appearance, const FrmMainUi& windowUi,
                               SettingsFile& settings, Teller notWritten)
    : QObject(&appearance), m_appearance(appearance), m_windowUi(windowUi), m_settings(settings),
      m_notWritten(std::move(notWritten)), m_kept(settings.value(kKey).toObject()) {}

void KeptAppearance::restoreControls() {
    const SettingsPanelUi& panel = m_appearance.ui();
    const std::pair<QScrollBar*, QString> bars[] = {
        {panel.HScroll_Color_Roll, kRollColour},
        {panel.HScroll_Color_Roll_Back, kRollBack},
        {panel.HScroll_Color_Results, kResultsColour},
        {panel.HScroll_Color_Results_Back, kResultsBack},
        {panel.VScroll_Color_Frame, kWindowBack},
    };
    for (const auto& [bar, key] : bars) {
        const QJsonValue value = m_kept.value(key);
        if (value.isDouble() && value.toInt() >= bar->minimum() &&
            value.toInt() <= bar->maximum()) {
            bar->setValue(value.toInt());
        }
    }
    restoreList(panel.List_Fonts_Roll, kRollFont);
    restoreList(panel.List_FontSize_Roll, kRollSize);
    restoreList(panel.List_Fonts_Results, kResultsFont);
    restoreList(panel.List_FontSize_Results, kResultsSize);
    clickButton(panel.Opt_Align_Group, m_kept.value(kAlign));
    clickButton(panel.Opt_Size_Group, m_kept.value(kWidth));
}

// A font or size the machine does not offer is left as it is.
void KeptAppearance::restoreList(QListWidget* list, const QString& key) {
    const QString text = m_kept.value(key).toString();
    const QList<QListWidgetItem*> found =
        text.isEmpty() ? QList<QListWidgetItem*>() : list->findItems(text, Qt::MatchExactly);
    if (!found.isEmpty()) {
        list->setCurrentItem(found.front());
        list->scrollToItem(found.front());
    }
}

// The sizes first, against the frame the window has now; a title bar taken away afterwards
// keeps the inner size, as it did when the operator took it away.
void KeptAppearance::restoreWindow() {
    if (const QJsonValue wide = m_kept.value(kWide);
        wide.isBool() && wide.toBool() == m_appearance.isNarrow()) {
        m_windowUi.Cmd_Size_H->click();
    }
    if (const QJsonValue tall = m_kept.value(kTall);
        tall.isBool() && tall.toBool() == m_appearance.isShort()) {
        m_windowUi.Cmd_Size_V->click();
    }
    const SettingsPanelUi& panel = m_appearance.ui();
    if (const QJsonValue bar = m_kept.value(kTitleBar); bar.isBool()) {
        // Once clicked the box only switches between checked and unchecked.
        panel.Check_Title->setTristate(false);
        panel.Check_Title->setChecked(!bar.toBool());
        panel.Check_Title->click();
    }
}

void KeptAppearance::keepChanges() {
    const SettingsPanelUi& panel = m_appearance.ui();
    keepBar(panel.HScroll_Color_Roll, kRollColour);
    keepBar(panel.HScroll_Color_Roll_Back, kRollBack);
    keepBar(panel.HScroll_Color_Results, kResultsColour);
    keepBar(panel.HScroll_Color_Results_Back, kResultsBack);
    keepBar(panel.VScroll_Color_Frame, kWindowBack);
    keepList(panel.List_Fonts_Roll, kRollFont);
    keepList(panel.List_FontSize_Roll, kRollSize);
    keepList(panel.List_Fonts_Results, kResultsFont);
    keepList(panel.List_FontSize_Results, kResultsSize);
    connect(panel.Opt_Align_Group, &QButtonGroup::idClicked, this,
            [this](int id) { keep(kAlign, id); });
    connect(panel.Opt_Size_Group, &QButtonGroup::idClicked, this,
            [this](int id) { keep(kWidth, id); });
    connect(panel.Check_Title, &QAbstractButton::clicked, this,
            [this, &panel] { keep(kTitleBar, panel.Check_Title->checkState() == Qt::Checked); });
    // After the appearance handlers, which were connected first, have resized the window.
    connect(m_windowUi.Cmd_Size_H, &QAbstractButton::clicked, this,
            [this] { keep(kWide, !m_appearance.isNarrow()); });
    connect(m_windowUi.Cmd_Size_V, &QAbstractButton::clicked, this,
            [this] { keep(kTall, !m_appearance.isShort()); });
}

void KeptAppearance::keepBar(QScrollBar* bar, const QString& key) {
    connect(bar, &QScrollBar::valueChanged, this, [this, key](int value) { keep(key, value); });
}

void KeptAppearance::keepList(QListWidget* list, const QString& key) {
    const auto chosen = [this, list, key] {
        if (const QString text = chosenText(list); !text.isEmpty()) {
            keep(key, text);
        }
    };
    connect(list, &QListWidget::currentRowChanged, this, chosen);
    connect(list, &QListWidget::itemClicked, this, chosen);
}

void KeptAppearance::keep(const QString& key, const QJsonValue& value) {
    if (m_kept.value(key) == value) {
        return;
    }
    m_kept.insert(key, value);
    if (!m_settings.setValue(kKey, m_kept) && m_notWritten) {
        m_notWritten();
    }
}

} // namespace kelvara::ui
