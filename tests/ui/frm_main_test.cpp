#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_services.h"
#include "ui/main/frm_main.h"
#include "ui/main/roll_label.h"
#include "ui/main_window_session.h"
#include "ui/twips.h"

using namespace Qt::StringLiterals;

using kelvara::platform::Answer;
using kelvara::platform::Buttons;
using kelvara::testing::kStart;
using kelvara::testing::kStop;
using kelvara::testing::Session;
using kelvara::testing::sixtyNames;
using kelvara::testing::typeKey;
using kelvara::ui::FrmMain;
using kelvara::ui::RollLabel;
using kelvara::ui::Twips;

namespace {

const char kExitQuestion[] = "确定要关闭摇号软件吗?";
const char kConfirmQuestion[] = "请再次确认关闭吗?";

} // namespace

class FrmMainTest : public QObject {
    Q_OBJECT

private slots:
    void startUpState();
    void controlGeometry_data();
    void controlGeometry();
    void tabOrder();
    void accessKeys_data();
    void accessKeys();
    void enterAndSpaceRunOneAction_data();
    void enterAndSpaceRunOneAction();
    void closeAsksTwice_data();
    void closeAsksTwice();
    void cancelledCloseKeepsRolling();
    void focusStaysInTheOperationsBar_data();
    void focusStaysInTheOperationsBar();
    void heldKeyActsOnce_data();
    void heldKeyActsOnce();
    void keysDoNothingWhileAModalWindowIsOpen();
    void cleanupTestCase() { m_shared.reset(); }

private:
    std::unique_ptr<Session> m_shared;
};

void FrmMainTest::startUpState() {
    Session s;
    QVERIFY(s.ok);
    FrmMain& w = *s.window;

    QCOMPARE(w.windowTitle(), kelvara::testing::versionCaption("     -  "));
    QCOMPARE(w.palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(s.control("Frame_Oper")->palette().color(QPalette::Window), QColor(255, 0, 0));
    QVERIFY(s.control("Frame_Oper")->autoFillBackground());
    // The frame paints the window's own red inside, not a tinted one.
    const QImage frame = s.control("Frame_Oper")->grab().toImage();
    QCOMPARE(frame.pixelColor(frame.width() / 2, frame.height() - 4), QColor(255, 0, 0));
    QCOMPARE(frame.pixelColor(4, frame.height() / 2), QColor(255, 0, 0));
    QVERIFY(!s.control("Cmd_Start")->isEnabled());
    QVERIFY(s.control("Cmd_Init")->isEnabled());
    QCOMPARE(s.startCaption(), kStart);
    QCOMPARE(s.rollText(), QStringLiteral("摇号"));
    QCOMPARE(w.resultsText(), std::string("摇号结果\r\n"));
    QVERIFY(s.control<QLineEdit>("Txt_Num")->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), s.control("Txt_Results"));
    QVERIFY(s.control<QPlainTextEdit>("Txt_Results")->isReadOnly());

    for (const char* name : {"Timer1", "Timer2"}) {
        QVERIFY(!s.control<QTimer>(name)->isActive());
        QCOMPARE(s.control<QTimer>(name)->interval(), 1);
    }

    // Both font lists: the platform's fonts, same order, nothing selected.
    QStringList fonts;
    for (const auto& font : s.services.fonts) {
        fonts << QString::fromStdString(font);
    }
    for (const char* name : {"List_Fonts_Roll", "List_Fonts_Results"}) {
        auto* list = s.control<QListWidget>(name);
        QStringList shown;
        for (int i = 0; i < list->count(); ++i) {
            shown << list->item(i)->text();
        }
        QCOMPARE(shown, fonts);
        QVERIFY(list->selectedItems().isEmpty());
    }

    // Only the rolling display, the results and the operations bar are in view.
    const QRect client = w.rect();
    QVERIFY(!client.intersects(s.control("Frame_Settings")->geometry()));
    for (const char* name : {"Pic_Roll", "Txt_Results", "Frame_Oper"}) {
        QVERIFY2(client.contains(s.control(name)->geometry()), name);
    }

    QCOMPARE(s.control<QCheckBox>("Check_Title")->checkState(), Qt::PartiallyChecked);
    auto* align = s.control<QButtonGroup>("Opt_Align");
    auto* size = s.control<QButtonGroup>("Opt_Size");
    QCOMPARE(align->checkedId(), 2);
    QCOMPARE(size->checkedId(), 1);
    for (const char* name :
         {"HScroll_Color_Roll", "HScroll_Color_Roll_Back", "HScroll_Color_Results",
          "HScroll_Color_Results_Back", "VScroll_Color_Frame"}) {
        auto* bar = s.control<QScrollBar>(name);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 15);
        QCOMPARE(bar->value(), 0);
    }

    // The design fonts keep their names and resolve to an installed Chinese face.
    auto* roll = s.control("Lbl_Roll");
    auto* results = s.control("Txt_Results");
    QCOMPARE(roll->font().family(), QStringLiteral("黑体"));
    QCOMPARE(roll->font().pointSizeF(), 42.0);
    QVERIFY(roll->font().bold());
    QCOMPARE(results->font().family(), QStringLiteral("宋体"));
    QCOMPARE(results->font().pointSizeF(), 26.25);
    for (QWidget* widget : {roll, results}) {
        const QString actual = QFontInfo(widget->font()).family();
        QVERIFY2(QFontDatabase::writingSystems(actual).contains(QFontDatabase::SimplifiedChinese),
                 qPrintable(actual));
    }
    QCOMPARE(roll->palette().color(QPalette::Window), QColor(128, 255, 255));
    QCOMPARE(roll->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    QCOMPARE(results->palette().color(QPalette::Text), QColor(0, 0, 255));
}

void FrmMainTest::controlGeometry_data() {
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("twips");
    auto row = [](const char* name, const char* container, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(container) << QRect(l, t, w, h);
    };
    row("Shape1", "FrmMain", 120, 240, 6975, 1095);
    row("Pic_Roll", "FrmMain", 240, 360, 6735, 855);
    row("Txt_Results", "FrmMain", 120, 1440, 6975, 2775);
    row("Cmd_Size_V", "FrmMain", 6840, 4200, 135, 180);
    row("Cmd_Size_H", "FrmMain", 6960, 4200, 135, 180);
    row("Frame_Oper", "FrmMain", 120, 4440, 6975, 975);
    row("Frame_Settings", "FrmMain", 7200, 120, 2535, 5295);
    row("Lbl_Roll", "Pic_Roll", -1440, 0, 9735, 855);
    row("Cmd_Init", "Frame_Oper", 120, 240, 855, 615);
    row("Cmd_Start", "Frame_Oper", 1440, 240, 855, 615);
    row("Txt_Num", "Frame_Oper", 2280, 240, 375, 270);
    row("Cmd_Print", "Frame_Oper", 2880, 240, 855, 615);
    row("Cmd_Save", "Frame_Oper", 4200, 240, 855, 615);
    row("Cmd_Exit", "Frame_Oper", 5520, 240, 855, 615);
    row("Frame_Roll", "Frame_Settings", 120, 240, 1935, 3375);
    row("Frame_Results", "Frame_Settings", 120, 3600, 1935, 1575);
    row("Label7", "Frame_Settings", 2160, 120, 255, 615);
    row("VScroll_Color_Frame", "Frame_Settings", 2160, 720, 255, 1815);
    row("Check_Title", "Frame_Settings", 2160, 2880, 255, 255);
    row("Label8", "Frame_Settings", 2160, 3240, 255, 975);
    row("CmdAbout", "Frame_Settings", 2160, 4440, 255, 735);
    row("Frame_DuiQi", "Frame_Roll", 120, 240, 1335, 975);
    row("Frame1", "Frame_Roll", 120, 1200, 1335, 735);
    row("Label1", "Frame_Roll", 120, 2040, 360, 180);
    row("List_FontSize_Roll", "Frame_Roll", 840, 2040, 975, 240);
    row("Label6", "Frame_Roll", 120, 2400, 720, 180);
    row("HScroll_Color_Roll", "Frame_Roll", 840, 2400, 975, 255);
    row("Label2", "Frame_Roll", 120, 2640, 540, 180);
    row("HScroll_Color_Roll_Back", "Frame_Roll", 840, 2640, 975, 255);
    row("Lbl_Font_Roll", "Frame_Roll", 120, 3000, 360, 180);
    row("List_Fonts_Roll", "Frame_Roll", 480, 3000, 1335, 240);
    row("Opt_Align_0", "Frame_DuiQi", 120, 240, 855, 255);
    row("Opt_Align_1", "Frame_DuiQi", 120, 480, 855, 255);
    row("Opt_Align_2", "Frame_DuiQi", 120, 720, 735, 180);
    row("Opt_Size_0", "Frame1", 120, 240, 1095, 255);
    row("Opt_Size_1", "Frame1", 120, 480, 1095, 180);
    row("Label4", "Frame_Results", 120, 240, 360, 180);
    row("List_FontSize_Results", "Frame_Results", 840, 240, 975, 240);
    row("Label3", "Frame_Results", 120, 600, 720, 180);
    row("HScroll_Color_Results", "Frame_Results", 840, 600, 975, 255);
    row("Label5", "Frame_Results", 120, 840, 540, 180);
    row("HScroll_Color_Results_Back", "Frame_Results", 840, 840, 975, 255);
    row("Lbl_Font_Results", "Frame_Results", 120, 1200, 360, 180);
    row("List_Fonts_Results", "Frame_Results", 480, 1200, 1335, 240);
}

void FrmMainTest::controlGeometry() {
    QFETCH(QString, container);
    QFETCH(QRect, twips);
    if (!m_shared) {
        m_shared = std::make_unique<Session>(); // one window for all rows
    }
    const Session& s = *m_shared;
    QVERIFY(s.ok);
    QCOMPARE(s.window->size(), Twips::size(7140, 5505));

    auto* widget = s.control(QTest::currentDataTag());
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    QVERIFY(widget->isVisibleTo(s.window.get()));
}

void FrmMainTest::tabOrder() {
    Session s;
    QVERIFY(s.ok);
    // Option buttons of one group take a single stop, at the checked one; the disabled
    // Start button is skipped.
    const QStringList expected = {u"Pic_Roll"_s,
                                  u"Txt_Num"_s,
                                  u"Cmd_Exit"_s,
                                  u"Cmd_Save"_s,
                                  u"Cmd_Init"_s,
                                  u"Opt_Align_2"_s,
                                  u"Opt_Size_1"_s,
                                  u"List_FontSize_Roll"_s,
                                  u"List_FontSize_Results"_s,
                                  u"List_Fonts_Roll"_s,
                                  u"List_Fonts_Results"_s,
                                  u"HScroll_Color_Results"_s,
                                  u"HScroll_Color_Results_Back"_s,
                                  u"HScroll_Color_Roll_Back"_s,
                                  u"HScroll_Color_Roll"_s,
                                  u"VScroll_Color_Frame"_s,
                                  u"Cmd_Print"_s,
                                  u"CmdAbout"_s,
                                  u"Cmd_Size_V"_s,
                                  u"Cmd_Size_H"_s,
                                  u"Check_Title"_s,
                                  u"Check_Verifiable"_s,
                                  u"Cmd_Columns"_s,
                                  u"Cmd_Options"_s,
                                  u"Txt_Results"_s};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void FrmMainTest::accessKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("initialized");
    QTest::addColumn<int>("clicks");
    QTest::newRow("Alt+I") << int(Qt::Key_I) << "Cmd_Init" << false << 1;
    QTest::newRow("Alt+G while Start is disabled") << int(Qt::Key_G) << "Cmd_Start" << false << 0;
    QTest::newRow("Alt+G after Initialize") << int(Qt::Key_G) << "Cmd_Start" << true << 1;
    QTest::newRow("Alt+P") << int(Qt::Key_P) << "Cmd_Print" << false << 1;
    QTest::newRow("Alt+S") << int(Qt::Key_S) << "Cmd_Save" << false << 1;
    QTest::newRow("Alt+X") << int(Qt::Key_X) << "Cmd_Exit" << false << 1;
    QTest::newRow("Alt+H") << int(Qt::Key_H) << "Cmd_Size_H" << false << 1;
    QTest::newRow("Alt+V") << int(Qt::Key_V) << "Cmd_Size_V" << false << 1;
}

void FrmMainTest::accessKeys() {
    QFETCH(int, key);
    QFETCH(QString, button);
    QFETCH(bool, initialized);
    QFETCH(int, clicks);
    Session s(sixtyNames());
    QVERIFY(s.ok);
    s.services.answers = {Answer::No}; // Alt+X: keep the window
    if (initialized) {
        s.click("Cmd_Init");
        QVERIFY(s.control("Cmd_Start")->isEnabled());
    }
    auto* target = s.control<QPushButton>(button);
    QSignalSpy clicked(target, &QPushButton::clicked);
    QTest::keyClick(s.window.get(), Qt::Key(key), Qt::AltModifier);
    // An access key presses its button at once and clicks it when the press has been shown:
    // a button that is not down now never clicks.
    QCOMPARE(target->isDown() || clicked.count() > 0, clicks > 0);
    QTRY_COMPARE(clicked.count(), clicks);
    if (clicks == 0) {
        QCOMPARE(s.startCaption(), kStart);
    }
    QVERIFY(s.window->isVisible());
}

void FrmMainTest::enterAndSpaceRunOneAction_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::newRow("Space on Start") << "Cmd_Start" << int(Qt::Key_Space);
    QTest::newRow("Enter on Start") << "Cmd_Start" << int(Qt::Key_Return);
    QTest::newRow("keypad Enter on Start") << "Cmd_Start" << int(Qt::Key_Enter);
    QTest::newRow("Space on Exit") << "Cmd_Exit" << int(Qt::Key_Space);
    QTest::newRow("Space on Print") << "Cmd_Print" << int(Qt::Key_Space);
    QTest::newRow("Space on an option") << "Opt_Align_2" << int(Qt::Key_Space);
    QTest::newRow("Space in the results") << "Txt_Results" << int(Qt::Key_Space);
}

// Start and then Stop by the same key, wherever the focus is, and nothing else.
void FrmMainTest::enterAndSpaceRunOneAction() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    Session s(sixtyNames());
    QVERIFY(s.ok);
    QTest::mouseClick(s.control("Cmd_Init"), Qt::LeftButton);
    auto* target = s.control(focus);
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);
    const std::size_t messagesBefore = s.services.messages.size();

    typeKey(target, Qt::Key(key));
    QCOMPARE(s.startCaption(), kStop);
    QVERIFY(s.rolling());

    typeKey(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(s.startCaption(), kStart);
    QVERIFY(!s.rolling());
    QTRY_VERIFY(s.window->resultsText().find("[1]:\t") != std::string::npos);
    QVERIFY(s.window->resultsText().find("[2]:") == std::string::npos);

    // No exit question, no print, no second round, and the option did not change.
    QCOMPARE(s.services.messages.size(), messagesBefore);
    QVERIFY(s.services.printed.empty());
    QVERIFY(s.control<QRadioButton>("Opt_Align_2")->isChecked());
    QVERIFY(s.window->isVisible());
}

void FrmMainTest::closeAsksTwice_data() {
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<bool>("byExitButton");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closes");
    const int yes = int(Answer::Yes);
    const int no = int(Answer::No);
    QTest::newRow("No") << QList<int>{no} << false << 1 << false;
    QTest::newRow("Yes, No") << QList<int>{yes, no} << false << 2 << false;
    QTest::newRow("Yes, Yes") << QList<int>{yes, yes} << false << 2 << true;
    QTest::newRow("Exit button: No") << QList<int>{no} << true << 1 << false;
    QTest::newRow("Exit button: Yes, Yes") << QList<int>{yes, yes} << true << 2 << true;
}

void FrmMainTest::closeAsksTwice() {
    QFETCH(QList<int>, answers);
    QFETCH(bool, byExitButton);
    QFETCH(int, questions);
    QFETCH(bool, closes);
    Session s;
    QVERIFY(s.ok);
    for (int answer : answers) {
        s.services.answers.push_back(Answer(answer));
    }
    if (byExitButton) {
        QTest::mouseClick(s.control("Cmd_Exit"), Qt::LeftButton);
    } else {
        s.window->close(); // what the close box and Alt+F4 ask for
    }

    QCOMPARE(int(s.services.messages.size()), questions);
    const std::pair<const char*, const char*> asked[] = {{kExitQuestion, "退出"},
                                                         {kConfirmQuestion, "确认退出"}};
    for (int i = 0; i < questions; ++i) {
        QCOMPARE(s.services.messages[i].text, std::string(asked[i].first));
        QCOMPARE(s.services.messages[i].title, std::string(asked[i].second));
        QCOMPARE(s.services.messages[i].buttons, Buttons::YesNo);
    }
    QCOMPARE(s.window->isVisible(), !closes);
}

void FrmMainTest::cancelledCloseKeepsRolling() {
    Session s(sixtyNames());
    QVERIFY(s.ok);
    QTest::mouseClick(s.control("Cmd_Init"), Qt::LeftButton);
    QTest::mouseClick(s.control("Cmd_Start"), Qt::LeftButton);
    QVERIFY(s.rolling());
    const std::string results = s.window->resultsText();

    s.services.answers = {Answer::Yes, Answer::No};
    s.window->close();
    QVERIFY(s.window->isVisible());
    QVERIFY(s.rolling());
    QCOMPARE(s.startCaption(), kStop);
    QCOMPARE(s.window->resultsText(), results);
    const QString shown = s.rollText();
    QTRY_VERIFY(s.rollText() != shown);
}

void FrmMainTest::focusStaysInTheOperationsBar_data() {
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<bool>("initializeFirst");
    QTest::newRow("Initialize") << "Cmd_Init" << false;
    QTest::newRow("Start") << "Cmd_Start" << true;
}

// A button that disables itself while it works keeps the focus on the window and gets it
// back, instead of losing it to the next control, deep in the hidden settings panel.
void FrmMainTest::focusStaysInTheOperationsBar() {
    QFETCH(QString, pressed);
    QFETCH(bool, initializeFirst);
    Session s(sixtyNames());
    QVERIFY(s.ok);
    if (initializeFirst) {
        s.click("Cmd_Init");
    }
    auto* button = s.control<QPushButton>(pressed);
    button->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), button);
    button->click();
    QCOMPARE(s.startCaption(), initializeFirst ? kStop : kStart);
    QCOMPARE(QApplication::focusWidget(), s.control("Cmd_Start"));
}

void FrmMainTest::heldKeyActsOnce_data() {
    // Key events as the window system delivers them: R for a release, P for a press, a
    // trailing "r" where the event carries the auto-repeat flag; then the time stamp in ms.
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("acts");
    QTest::newRow("held, repeats flagged")
        << QStringList{u"P1000"_s, u"R1660r"_s, u"P1660r"_s, u"R1700r"_s, u"P1700r"_s, u"R2000"_s}
        << 1;
    QTest::newRow("held, repeats unflagged")
        << QStringList{u"P1000"_s, u"R1660"_s, u"P1660"_s, u"R1700"_s, u"P1700"_s, u"R2000"_s} << 1;
    QTest::newRow("held, repeat's halves 30 ms apart")
        << QStringList{u"P1000"_s, u"R1660"_s, u"P1690"_s, u"R1730"_s, u"P1760"_s, u"R2000"_s} << 1;
    QTest::newRow("held, presses only")
        << QStringList{u"P1000"_s, u"P1500"_s, u"P1540"_s, u"R2000"_s} << 1;
    QTest::newRow("pressed twice by a person")
        << QStringList{u"P1000"_s, u"R1100"_s, u"P1250"_s, u"R1350"_s} << 2;
    QTest::newRow("pressed again 50 ms after letting go")
        << QStringList{u"P1000"_s, u"R1100"_s, u"P1150"_s, u"R1250"_s} << 2;
}

// Start acts once per press; a second act stops the round, which lists a winner.
void FrmMainTest::heldKeyActsOnce() {
    QFETCH(QStringList, events);
    QFETCH(int, acts);
    Session s(sixtyNames());
    QVERIFY(s.ok);
    s.click("Cmd_Init");
    QWidget* const focus = QApplication::focusWidget();
    for (const QString& event : events) {
        const bool press = event.startsWith(QLatin1Char('P'));
        const bool repeat = event.endsWith(QLatin1Char('r'));
        const qsizetype digits = event.size() - 1 - (repeat ? 1 : 0);
        QKeyEvent key(press ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier,
                      QStringLiteral("\r"), repeat);
        key.setTimestamp(event.mid(1, digits).toULongLong());
        QApplication::sendEvent(focus, &key);
    }
    QCoreApplication::processEvents();
    QCOMPARE(s.startCaption(), acts % 2 == 1 ? kStop : kStart);
    if (acts >= 2) {
        QTRY_VERIFY(s.window->resultsText().find("[1]:") != std::string::npos);
    }
    const std::string results = s.window->resultsText();
    QCOMPARE(results.find("[1]:") != std::string::npos, acts >= 2);
    QCOMPARE(results.find("[2]:") != std::string::npos, acts >= 4);
}

// Enter typed into the About window, or sent to the main window while the About window
// is modal, starts nothing.
void FrmMainTest::keysDoNothingWhileAModalWindowIsOpen() {
    Session s(sixtyNames());
    QVERIFY(s.ok);
    s.click("Cmd_Init");
    bool wasModal = false;
    QTimer::singleShot(0, s.window.get(), [&] {
        QWidget* about = QApplication::activeModalWidget();
        wasModal = about != nullptr && about != s.window.get();
        if (about == nullptr) {
            return;
        }
        QWidget* aboutFocus = about->focusWidget() != nullptr ? about->focusWidget() : about;
        typeKey(aboutFocus, Qt::Key_Return);
        typeKey(aboutFocus, Qt::Key_Space);
        // Straight to the main window's focus, where its keys would go. (Space would click
        // the focused button itself, which the window system never lets happen.)
        typeKey(s.window->focusWidget(), Qt::Key_Return);
        about->close();
    });
    s.control<QPushButton>("CmdAbout")->click();
    QVERIFY(wasModal);
    QCOMPARE(s.startCaption(), kStart);
    QVERIFY(!s.rolling());

    // Once it is closed the keys work again.
    s.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
    typeKey(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(s.startCaption(), kStop);
}

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
