#include "options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvara::ui {

OptionsDialog::OptionsDialog(bool rehearsal, bool rehearsalChoosable, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("OptionsDialog"));
    setWindowTitle(QStringLiteral("选项"));
    m_pages = new QVBoxLayout(this);

    auto* rehearsalBox = new QGroupBox(QStringLiteral("演练"), this);
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
    m_pages->addWidget(rehearsalBox);
    connect(m_rehearsal, &QCheckBox::toggled, this, &OptionsDialog::rehearsalChosen);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_pages->addWidget(buttons);
}

void OptionsDialog::addPage(const QString& heading, QWidget* page) {
    auto* box = new QGroupBox(heading, this);
    auto* layout = new QVBoxLayout(box);
    page->setParent(box);
    layout->addWidget(page);
    // Above the dialog's buttons.
    m_pages->insertWidget(m_pages->count() - 1, box);
}

} // namespace kelvara::ui
