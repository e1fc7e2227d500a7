#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <QtTest>
#include <memory>

#include "fakes/fake_services.h"
#include "ui/main/frm_main.h"
#include "ui/main/palette_color.h"
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
using kelvara::ui::PaletteColor;
using kelvara::ui::RollLabel;
using kelvara::ui::Twips;

namespace {

QColor roleColour(const QWidget* widget, QPalette::ColorRole role) {
    return widget->palette().color(role);
}

void clickItem(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

// As the window system delivers it: press, release, the double-click press, release.
void doubleClick(QWidget* widget, QPoint at = {}) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

void doubleClickItem(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    doubleClick(list->viewport(), list->visualItemRect(item).center());
}

QRect twipsRect(int left, int top, int width, int height) {
    return {Twips::toPixels(left), Twips::toPixels(top), Twips::toPixels(width),
            Twips::toPixels(height)};
}

} // namespace

class AppearanceTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { g_testLog = qInstallMessageHandler(withoutSizeHintNoise); }
    void colourBarsApplyThePaletteEntryOfTheirValue_data();
    void colourBarsApplyThePaletteEntryOfTheirValue();
    void windowColourBarChangesOnlyTheWindowAndTheOperationsBar();
    void fontListsChangeOneAttributeAndKeepTheRest_data();
    void fontListsChangeOneAttributeAndKeepTheRest();
    void fontListsApplyOnlyAChosenItem();
    void fontLabelsExpandAndCollapseTheirList_data();
    void fontLabelsExpandAndCollapseTheirList();
    void rollFontListDoubleClickTogglesItsHeight_data();
    void rollFontListDoubleClickTogglesItsHeight();
    void doubleClicksOfFontListsAndLabelsTogether();
};

void AppearanceTest::colourBarsApplyThePaletteEntryOfTheirValue_data() {
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("role");
    QTest::addColumn<QColor>("designColour");

    QTest::newRow("roll text") << "HScroll_Color_Roll"
                               << "Lbl_Roll" << int(QPalette::WindowText) << QColor(192, 0, 0);
    QTest::newRow("roll background")
        << "HScroll_Color_Roll_Back"
        << "Lbl_Roll" << int(QPalette::Window) << QColor(128, 255, 255);
    QTest::newRow("results text") << "HScroll_Color_Results"
                                  << "Txt_Results" << int(QPalette::Text) << QColor(0, 0, 255);
    QTest::newRow("results background")
        << "HScroll_Color_Results_Back"
        << "Txt_Results" << int(QPalette::Base) << QApplication::palette().color(QPalette::Base);
}

// Bars start at 0 whatever colour their target has: the first step must give entry 1,
// not the colour after the starting one, and a drag must change nothing until released.
void AppearanceTest::colourBarsApplyThePaletteEntryOfTheirValue() {
    QFETCH(QString, bar);
    QFETCH(QString, target);
    QFETCH(int, role);
    QFETCH(QColor, designColour);
    Window w;
    w.widen();
    auto* scroll = w.control<QScrollBar>(bar.toLatin1().constData());
    const QWidget* shown = w.control(target.toLatin1().constData());
    const auto colour = [&] {
        return roleColour(shown, QPalette::ColorRole(role));
    };
    QCOMPARE(scroll->value(), 0);
    QCOMPARE(colour(), designColour);

    // Dragging the thumb across several colours, then letting go.
    scroll->setSliderDown(true);
    scroll->setSliderPosition(5);
    scroll->setSliderPosition(9);
    QCOMPARE(colour(), designColour);
    scroll->setSliderDown(false);
    QCOMPARE(colour(), PaletteColor(9));

    scroll->setValue(0);
    QCOMPARE(colour(), QColor(0, 0, 0));
    QTest::keyClick(scroll, Qt::Key_Right);
    QCOMPARE(scroll->value(), 1);
    QCOMPARE(colour(), QColor(0, 0, 128));
    scroll->setValue(12);
    QCOMPARE(colour(), QColor(255, 0, 0));
    QTest::keyClick(scroll, Qt::Key_End);
    QCOMPARE(colour(), QColor(255, 255, 255));
}

void AppearanceTest::windowColourBarChangesOnlyTheWindowAndTheOperationsBar() {
    Window w;
    w.widen();
    auto* bar = w.control<QScrollBar>("VScroll_Color_Frame");
    const auto* oper = w.control("Frame_Oper");
    const QList<const QWidget*> others = {w.control("Frame_Settings"), w.control("Frame_Roll"),
                                          w.control("Label7"), w.control("Cmd_Size_H")};
    QList<QColor> before;
    for (const QWidget* other : others) {
        before << roleColour(other, QPalette::Window);
    }
    const QColor labelBack = roleColour(w.control("Lbl_Roll"), QPalette::Window);
    const QColor resultsBack = roleColour(w.control("Txt_Results"), QPalette::Base);

    QTest::keyClick(bar, Qt::Key_Down);
    QCOMPARE(roleColour(w.window.get(), QPalette::Window), QColor(0, 0, 128));
    QCOMPARE(roleColour(oper, QPalette::Window), QColor(0, 0, 128));
    bar->setValue(12);
    QCOMPARE(roleColour(w.window.get(), QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(roleColour(oper, QPalette::Window), QColor(255, 0, 0));
    bar->setValue(0);
    QCOMPARE(roleColour(w.window.get(), QPalette::Window), QColor(0, 0, 0));
    QCOMPARE(roleColour(oper, QPalette::Window), QColor(0, 0, 0));
    QVERIFY(oper->autoFillBackground());

    for (int i = 0; i < others.size(); ++i) {
        QCOMPARE(roleColour(others[i], QPalette::Window), before[i]);
    }
    QCOMPARE(roleColour(w.control("Lbl_Roll"), QPalette::Window), labelBack);
    QCOMPARE(roleColour(w.control("Txt_Results"), QPalette::Base), resultsBack);
}

void AppearanceTest::fontListsChangeOneAttributeAndKeepTheRest_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("isSize");

    QTest::newRow("roll family") << "List_Fonts_Roll"
                                 << "Lbl_Roll" << 0 << false;
    QTest::newRow("results family") << "List_Fonts_Results"
                                    << "Txt_Results" << 2 << false;
    QTest::newRow("roll size 22") << "List_FontSize_Roll"
                                  << "Lbl_Roll" << 0 << true;
    QTest::newRow("roll size 42") << "List_FontSize_Roll"
                                  << "Lbl_Roll" << 5 << true;
    QTest::newRow("results size 10") << "List_FontSize_Results"
                                     << "Txt_Results" << 0 << true;
    QTest::newRow("results size 300") << "List_FontSize_Results"
                                      << "Txt_Results" << 20 << true;
}

// Choosing by click, then moving the selection with the arrow keys, applies each item at
// once; every other attribute of the font stays.
void AppearanceTest::fontListsChangeOneAttributeAndKeepTheRest() {
    QFETCH(QString, list);
    QFETCH(QString, target);
    QFETCH(int, row);
    QFETCH(bool, isSize);
    Window w;
    w.widen();
    auto* choices = w.control<QListWidget>(list.toLatin1().constData());
    QWidget* shown = w.control(target.toLatin1().constData());
    const QFont design = shown->font();

    const auto check = [&](int chosen) {
        const QString text = choices->item(chosen)->text();
        const QFont now = shown->font();
        QCOMPARE(now.bold(), design.bold());
        QCOMPARE(now.weight(), design.weight());
        QCOMPARE(now.italic(), design.italic());
        if (isSize) {
            QCOMPARE(now.pointSizeF(), text.toDouble());
            QCOMPARE(now.family(), design.family());
        } else {
            QCOMPARE(now.family(), text);
            QCOMPARE(now.pointSizeF(), design.pointSizeF());
        }
    };

    clickItem(choices, row);
    check(row);
    const int next = row + 1 < choices->count() ? row + 1 : row - 1;
    QTest::keyClick(choices, next > row ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(choices->currentRow(), next);
    check(next);
}

// The list takes the focus, which makes its first row current without selecting it: that
// applies nothing, and a click on that very row must still apply it.
void AppearanceTest::fontListsApplyOnlyAChosenItem() {
    Window w;
    w.widen();
    auto* sizes = w.control<QListWidget>("List_FontSize_Results");
    auto* results = w.control("Txt_Results");
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(sizes, &focusIn);
    QCOMPARE(sizes->currentRow(), 0);
    QCOMPARE(results->font().pointSizeF(), 26.25);

    clickItem(sizes, 0);
    QCOMPARE(results->font().pointSizeF(), 10.0);
    clickItem(sizes, 3);
    QCOMPARE(results->font().pointSizeF(), 16.0);
    // The item keeps its place in the list: a second click on it applies again.
    QFont other = results->font();
    other.setPointSizeF(50);
    results->setFont(other);
    clickItem(sizes, 3);
    QCOMPARE(results->font().pointSizeF(), 16.0);
}

void AppearanceTest::fontLabelsExpandAndCollapseTheirList_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("designTop");
    QTest::addColumn<int>("startHeight"); // pixels
    QTest::addColumn<bool>("expands");

    const int at260 = Twips::toPixels(260);
    QTest::newRow("roll, design height")
        << "Lbl_Font_Roll"
        << "List_Fonts_Roll" << 3000 << Twips::toPixels(240) << true;
    QTest::newRow("roll, exactly 260") << "Lbl_Font_Roll"
                                       << "List_Fonts_Roll" << 3000 << at260 << true;
    QTest::newRow("roll, above 260") << "Lbl_Font_Roll"
                                     << "List_Fonts_Roll" << 3000 << at260 + 1 << false;
    QTest::newRow("results, design height")
        << "Lbl_Font_Results"
        << "List_Fonts_Results" << 1200 << Twips::toPixels(240) << true;
    QTest::newRow("results, exactly 260") << "Lbl_Font_Results"
                                          << "List_Fonts_Results" << 1200 << at260 << true;
    QTest::newRow("results, above 260") << "Lbl_Font_Results"
                                        << "List_Fonts_Results" << 1200 << at260 + 1 << false;
}

void AppearanceTest::fontLabelsExpandAndCollapseTheirList() {
    QFETCH(QString, label);
    QFETCH(QString, list);
    QFETCH(int, designTop);
    QFETCH(int, startHeight);
    QFETCH(bool, expands);
    Window w;
    w.widen();
    auto* caption = w.control<QLabel>(label.toLatin1().constData());
    auto* fonts = w.control<QListWidget>(list.toLatin1().constData());
    const QRect captionPlace = caption->geometry();
    const QRect design = twipsRect(480, designTop, 1335, 240);
    QCOMPARE(fonts->geometry(), design);

    fonts->resize(fonts->width(), startHeight);
    doubleClick(caption);
    const int shift = Twips::toPixels(1200);
    if (expands) {
        QCOMPARE(fonts->geometry(), QRect(design.x(), design.y() - shift, design.width(), shift));
    } else {
        QCOMPARE(fonts->geometry(), design.translated(0, shift));
    }
    QCOMPARE(caption->geometry(), captionPlace);

    // Twice more from the design place: back exactly where it was.
    fonts->setGeometry(design);
    doubleClick(caption);
    doubleClick(caption);
    QCOMPARE(fonts->geometry(), design);
}

void AppearanceTest::rollFontListDoubleClickTogglesItsHeight_data() {
    QTest::addColumn<int>("startHeight"); // pixels
    QTest::addColumn<int>("endHeight");   // twips

    // 200 and 201 twips are the same whole pixel at 96 DPI; both count as 200 or less.
    QTest::newRow("200") << Twips::toPixels(200) << 300;
    QTest::newRow("201") << Twips::toPixels(201) << 300;
    QTest::newRow("first pixel above 200") << Twips::toPixels(200) + 1 << 20;
    QTest::newRow("design 240") << Twips::toPixels(240) << 20;
    QTest::newRow("expanded 1200") << Twips::toPixels(1200) << 20;
}

void AppearanceTest::rollFontListDoubleClickTogglesItsHeight() {
    QFETCH(int, startHeight);
    QFETCH(int, endHeight);
    Window w;
    w.widen();
    auto* fonts = w.control<QListWidget>("List_Fonts_Roll");
    auto* roll = w.control<RollLabel>("Lbl_Roll");
    const QFont design = roll->font();
    fonts->resize(fonts->width(), startHeight);
    const QPoint place = fonts->pos();

    doubleClickItem(fonts, 1);
    QCOMPARE(roll->font().family(), fonts->item(1)->text());
    QCOMPARE(roll->font().pointSizeF(), design.pointSizeF());
    QCOMPARE(fonts->height(), Twips::toPixels(endHeight));
    QCOMPARE(fonts->pos(), place);
}

// The sequence the help describes, and the results list, which only applies its font.
void AppearanceTest::doubleClicksOfFontListsAndLabelsTogether() {
    Window w;
    w.widen();
    auto* fonts = w.control<QListWidget>("List_Fonts_Roll");
    auto* caption = w.control<QLabel>("Lbl_Font_Roll");
    doubleClick(caption);
    QCOMPARE(fonts->geometry(), twipsRect(480, 1800, 1335, 1200));
    doubleClickItem(fonts, 2);
    QCOMPARE(fonts->geometry(), twipsRect(480, 1800, 1335, 20));
    doubleClick(caption);
    QCOMPARE(fonts->geometry(), twipsRect(480, 600, 1335, 1200));

    auto* results = w.control<QListWidget>("List_Fonts_Results");
    const QRect before = results->geometry();
    doubleClickItem(results, 1);
    QCOMPARE(w.control("Txt_Results")->font().family(), results->item(1)->text());
    QCOMPARE(results->geometry(), before);
}

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
