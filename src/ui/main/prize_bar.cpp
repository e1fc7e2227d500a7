#include "prize_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStandardItemModel>

#include "draw/draw_view.h"
#include "ui/main/draw_wording.h"
#include "ui/main/frm_main_ui.h"
#include "ui/main/results_box.h"
#include "ui/twips.h"

namespace kelvara::ui {

namespace {

// The bar's place in twips, and how far it pushes the controls under it.
constexpr int kLeft = 120;
constexpr int kTop = 30;
constexpr int kWidth = 6975;
constexpr int kHeight = 330;
constexpr int kRoom = 360;

void moveDown(QWidget* control, int twips) {
    control->move(control->x(), control->y() + Twips::toPixels(twips));
}

} // namespace

PrizeBar::PrizeBar(QWidget& window, FrmMainUi& ui) : QWidget(&window), m_ui(ui) {
    setObjectName(QStringLiteral("Bar_Prize"));
    setGeometry(Twips::rect(kLeft, kTop, kWidth, kHeight));
    m_label = new QLabel(QStringLiteral("奖项(&J)："), this);
    m_list = new QComboBox(this);
    m_list->setObjectName(QStringLiteral("Cmb_Prize"));
    m_list->setToolTip(QStringLiteral("当前抽取的奖项；没有摇号时可以改选其它奖项"));
    m_label->setBuddy(m_list);
    QFont bold = m_list->font();
    bold.setBold(true);
    m_list->setFont(bold);
    // On a plate of the results box's colours, readable on whatever colour the window has.
    m_label->setFont(bold);
    m_label->setAutoFillBackground(true);
    m_label->setBackgroundRole(QPalette::Base);
    m_label->setForegroundRole(QPalette::Text);
    m_label->setContentsMargins(6, 0, 6, 0);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_label);
    row->addWidget(m_list, 1);
    connect(m_list, &QComboBox::activated, this,
            [this](int index) { emit prizeChosen(index + 1); });
    hide();
}

void PrizeBar::makeRoom() {
    moveDown(m_ui.Shape1, kRoom);
    moveDown(m_ui.Pic_Roll, kRoom);
    const QRect box = m_ui.Txt_Results->geometry();
    m_ui.Txt_Results->setGeometry(box.adjusted(0, Twips::toPixels(kRoom), 0, 0));
}

void PrizeBar::showRun(const draw::RunView& run) {
    if (!run.results.prizes().empty()) {
        showPrizes(run.results, run.currentPrize);
    }
}

void PrizeBar::showPrizes(const draw::Results& results, int current) {
    if (isHidden()) {
        makeRoom();
        show();
    }
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    auto* model = qobject_cast<QStandardItemModel*>(m_list->model());
    for (int prize = 1; prize <= std::ssize(results.prizes()); ++prize) {
        m_list->addItem(wording::prizeStatus(results, prize));
        // A prize drawn out cannot be chosen.
        model->item(prize - 1)->setEnabled(results.placesLeft(prize) > 0);
    }
    if (current == 0) {
        m_list->addItem(QStringLiteral("所有奖项都已抽完"));
        model->item(m_list->count() - 1)->setEnabled(false);
    }
    m_list->setCurrentIndex(current == 0 ? m_list->count() - 1 : current - 1);
}

void PrizeBar::setChoosable(bool choosable) {
    m_list->setEnabled(choosable);
}

} // namespace kelvara::ui
