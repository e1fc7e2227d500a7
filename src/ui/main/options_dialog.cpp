#include "options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kelvara::ui {

OptionsDialog::OptionsDialog(bool rehearsal, bool rehearsalChoosable, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("OptionsDialog"));
    setWindowTitle(QStringLiteral("选项"));
    auto* layout = new QVBoxLayout(this);
    // Sized to what the pages need, their wrapped notes whole.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_pages = new QTabWidget(this);
    layout->addWidget(m_pages);

    auto* rehearsalBox = new QWidget(this);
    auto* rehearsalLayout = new QVBoxLayout(rehearsalBox);
    m_rehearsal = new QCheckBox(QStringLiteral("这次是演练，不是正式摇号(&W)"), rehearsalBox);
    m_rehearsal->setObjectName(QStringLiteral("Check_Rehearsal"));
    m_rehearsal->setChecked(rehearsal);
    m_rehearsal->setEnabled(rehearsalChoosable);
    auto* note = new QLabel(
        QStringLiteral("初始化之前选择。演练时两个画面的角上都显示“演练”；记录保存在"
                       "“摇号记录/演练”文件夹中，以后不会提示继续；保存、打印和公示的文件名带"
                       "“（演练）”。下次启动程序时不再是演练。"),
        rehearsalBox);
    note->setWordWrap(true);
    rehearsalLayout->addWidget(m_rehearsal);
    rehearsalLayout->addWidget(note);
    rehearsalLayout->addStretch();
    m_pages->addTab(rehearsalBox, QStringLiteral("演练"));
    connect(m_rehearsal, &QCheckBox::toggled, this, &OptionsDialog::rehearsalChosen);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void OptionsDialog::addPage(const QString& heading, QWidget* page) {
    m_pages->addTab(page, heading);
}

} // namespace kelvara::ui
