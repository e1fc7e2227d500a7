// The layout toggles of the settings panel: the rolling label's alignment and width, the
// window's width and height buttons, and the title bar.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <QtTest>

#include "fakes/fake_services.h"
#include "ui/main/frm_main.h"
#include "ui/main/roll_label.h"
#include "ui/main_window_session.h"
#include "ui/settings_window.h"
#include "ui/twips.h"

using kelvara::testing::g_testLog;
using kelvara::testing::kStart;
using kelvara::testing::kStop;
using kelvara::testing::Session;
using kelvara::testing::typeKey;
using kelvara::testing::Window;
using kelvara::testing::withoutSizeHintNoise;
using kelvara::ui::FrmMain;
using kelvara::ui::outerHeightTwips;
using kelvara::ui::outerWidthTwips;
using kelvara::ui::RollLabel;
using kelvara::ui::setOuterHeightTwips;
using kelvara::ui::setOuterWidthTwips;
using kelvara::ui::Twips;

class LayoutTogglesTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { g_testLog = qInstallMessageHandler(withoutSizeHintNoise); }
    void rollLabelAlignmentAndWidth();
    void sizeButtonsToggleAtTheirThresholds_data();
    void sizeButtonsToggleAtTheirThresholds();
    void shortWindowStillDrawsFromTheKeyboard();
    void titleCheckBoxSetsTheBorderStyle();
};

void LayoutTogglesTest::rollLabelAlignmentAndWidth() {
    Window w;
    w.widen();
    auto* roll = w.control<RollLabel>("Lbl_Roll");
    const int panel = w.control("Pic_Roll")->width();
    const QRect design = roll->geometry();

    const Qt::Alignment expected[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    for (int i : {0, 1, 2, 0}) {
        QTest::mouseClick(w.control(QStringLiteral("Opt_Align_%1").arg(i).toLatin1().constData()),
                          Qt::LeftButton);
        QCOMPARE(roll->alignment() & Qt::AlignHorizontal_Mask, expected[i]);
    }

    // Double width is already selected at start: clicking it still applies it.
    QTest::mouseClick(w.control("Opt_Size_1"), Qt::LeftButton);
    QCOMPARE(roll->y(), design.y());
    QCOMPARE(roll->height(), design.height());
    QVERIFY(qAbs(roll->width() - 2 * panel) <= 1);
    QVERIFY2(qAbs(roll->x() + roll->width() / 2.0 - panel / 2.0) <= 1.0, "not centred");

    QTest::mouseClick(w.control("Opt_Size_0"), Qt::LeftButton);
    QCOMPARE(roll->geometry(), QRect(0, design.y(), panel, design.height()));
}

void LayoutTogglesTest::sizeButtonsToggleAtTheirThresholds_data() {
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<int>("startPixels"); // outer size
    QTest::addColumn<int>("endTwips");

    QTest::newRow("width 7230") << true << Twips::toPixels(7230) << 9915;
    QTest::newRow("width just below 9000") << true << Twips::toPixels(9000) - 1 << 9915;
    QTest::newRow("width exactly 9000") << true << Twips::toPixels(9000) << 7230;
    QTest::newRow("width 9915") << true << Twips::toPixels(9915) << 7230;
    QTest::newRow("height 5985") << false << Twips::toPixels(5985) << 4810;
    QTest::newRow("height exactly 5000") << false << Twips::toPixels(5000) << 4810;
    QTest::newRow("height just below 5000") << false << Twips::toPixels(5000) - 1 << 6000;
    QTest::newRow("height 4810") << false << Twips::toPixels(4810) << 6000;
}

void LayoutTogglesTest::sizeButtonsToggleAtTheirThresholds() {
    QFETCH(bool, horizontal);
    QFETCH(int, startPixels);
    QFETCH(int, endTwips);
    Window w;
    FrmMain& frm = *w.window;
    const int startTwips = qRound(Twips::fromPixels(startPixels));
    if (horizontal) {
        setOuterWidthTwips(frm, startTwips);
    } else {
        setOuterHeightTwips(frm, startTwips);
    }
    const QPoint corner = frm.pos();
    const int otherSide = horizontal ? outerHeightTwips(frm) : outerWidthTwips(frm);

    w.control<QPushButton>(horizontal ? "Cmd_Size_H" : "Cmd_Size_V")->click();
    QCOMPARE(horizontal ? outerWidthTwips(frm) : outerHeightTwips(frm),
             qRound(Twips::fromPixels(Twips::toPixels(endTwips))));
    QCOMPARE(horizontal ? outerHeightTwips(frm) : outerWidthTwips(frm), otherSide);
    QCOMPARE(frm.pos(), corner);
    QCOMPARE(frm.minimumSize(), frm.maximumSize());

    const QRect client = frm.rect();
    if (horizontal) {
        const QRect panel = w.control("Frame_Settings")->geometry();
        QCOMPARE(client.contains(panel), endTwips == 9915);
    } else {
        const QRect oper = w.control("Frame_Oper")->geometry();
        // How much of the bar the short window still shows depends on the frame's metrics.
        QCOMPARE(client.contains(oper), endTwips == 6000);
        // The size buttons stay in reach either way.
        QVERIFY(client.contains(w.control("Cmd_Size_H")->geometry()));
        QVERIFY(client.contains(w.control("Cmd_Size_V")->geometry()));
    }
}

void LayoutTogglesTest::shortWindowStillDrawsFromTheKeyboard() {
    Window w;
    auto* start = w.control<QPushButton>("Cmd_Start");
    w.control<QPushButton>("Cmd_Init")->click();
    QVERIFY(start->isEnabled());
    w.control<QPushButton>("Cmd_Size_V")->click();
    QVERIFY(
        !w.window->rect().contains(start->geometry().translated(w.control("Frame_Oper")->pos())));

    auto* results = w.control<QPlainTextEdit>("Txt_Results");
    results->setFocus(Qt::OtherFocusReason);
    typeKey(results, Qt::Key_Return);
    QCOMPARE(start->text(), kStop);
    QVERIFY(w.control<QTimer>("Timer1")->isActive());
    typeKey(results, Qt::Key_Space);
    QCOMPARE(start->text(), kStart);
    QTRY_VERIFY(results->toPlainText().contains(QStringLiteral("[1]:")));

    typeKey(results, Qt::Key_Enter);
    QCOMPARE(start->text(), kStop);
    typeKey(results, Qt::Key_Enter);
    QCOMPARE(start->text(), kStart);
}

// Grayed at start; clicks switch between checked (title bar, fixed border) and unchecked
// (no border), without losing the place, size, focus or a running roll.
void LayoutTogglesTest::titleCheckBoxSetsTheBorderStyle() {
    Window w;
    FrmMain& frm = *w.window;
    w.widen();
    auto* box = w.control<QCheckBox>("Check_Title");
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);

    w.control<QPushButton>("Cmd_Init")->click();
    auto* num = w.control("Txt_Num");
    num->setFocus(Qt::OtherFocusReason);
    typeKey(num, Qt::Key_Return);
    QCOMPARE(w.control<QPushButton>("Cmd_Start")->text(), kStop);
    const QPoint corner = frm.pos();
    QSize size = frm.size();

    const auto checkWindow = [&](bool frameless, bool fixed, QWidget* focus) {
        QCOMPARE(frm.windowFlags().testFlag(Qt::FramelessWindowHint), frameless);
        QCOMPARE(frm.windowFlags().testFlag(Qt::WindowTitleHint), !frameless);
        QVERIFY(!frm.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(frm.minimumSize() == frm.maximumSize(), fixed);
        QVERIFY(frm.isVisible());
        QCOMPARE(frm.pos(), corner);
        QCOMPARE(frm.size(), size);
        QCOMPARE(frm.focusWidget(), focus);
        QVERIFY(w.control<QTimer>("Timer1")->isActive());
    };

    // By mouse, which also gives the box the focus.
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->checkState(), Qt::Checked);
    checkWindow(false, true, box);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->checkState(), Qt::Unchecked);
    checkWindow(true, true, box);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->checkState(), Qt::Checked);
    checkWindow(false, true, box);

    // Clicked while the focus is elsewhere: the focus stays there.
    num->setFocus(Qt::OtherFocusReason);
    box->click();
    QCOMPARE(box->checkState(), Qt::Unchecked);
    checkWindow(true, true, num);

    // A grayed value, should the box ever hold one after a click, makes the window
    // sizable, and it stays sizable through the size buttons.
    box->setCheckState(Qt::PartiallyChecked);
    emit box->clicked(false);
    checkWindow(false, false, num);
    w.control<QPushButton>("Cmd_Size_V")->click();
    QVERIFY(frm.minimumSize() != frm.maximumSize());
    w.control<QPushButton>("Cmd_Size_V")->click();
    QCOMPARE(outerHeightTwips(frm), 6000);
    size = frm.size();

    box->click();
    QVERIFY(box->checkState() != Qt::PartiallyChecked);
    checkWindow(box->checkState() == Qt::Unchecked, true, num);

    typeKey(num, Qt::Key_Return);
    QCOMPARE(w.control<QPushButton>("Cmd_Start")->text(), kStart);
}

QTEST_MAIN(LayoutTogglesTest)
#include "layout_toggles_test.moc"
