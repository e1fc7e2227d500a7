// What outlasts a start: the main window's appearance as the operator changed it, kept in the
// settings file; and a rehearsal, which leaves nothing that a real run could take for its own.
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <QtTest>
#include <string>

#include "fakes/fake_services.h"
#include "ui/main/audience_screen.h"
#include "ui/main/roll_label.h"
#include "ui/main/settings_file.h"
#include "ui/main_window_session.h"
#include "ui/settings_window.h"

using kelvara::testing::FakeServices;
using kelvara::testing::findControl;
using kelvara::testing::MainWindow;
using namespace Qt::StringLiterals;

namespace {

void writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray tenNames() {
    return QByteArray::fromStdString(kelvara::testing::Window::tenNames());
}

// Shown, with its first event turn done: the kept window settings apply then.
void showStarted(kelvara::ui::FrmMain& window) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(20);
}

template <typename T = QWidget> T* control(kelvara::ui::FrmMain& window, const char* name) {
    return findControl<T>(window, name);
}

// Everything the settings panel changes, as the window shows it.
QStringList appearanceOf(kelvara::ui::FrmMain& window) {
    auto* roll = control<kelvara::ui::RollLabel>(window, "Lbl_Roll");
    auto* results = control<QPlainTextEdit>(window, "Txt_Results");
    return {
        roll->palette().color(QPalette::WindowText).name(),
        roll->palette().color(QPalette::Window).name(),
        results->palette().color(QPalette::Text).name(),
        results->palette().color(QPalette::Base).name(),
        window.palette().color(QPalette::Window).name(),
        roll->font().family() + u' ' + QString::number(roll->font().pointSizeF()),
        results->font().family() + u' ' + QString::number(results->font().pointSizeF()),
        QString::number(roll->alignment()),
        QString::number(roll->width()),
        QString::number(window.width()) + u'x' + QString::number(window.height()),
        QString::number(control<QCheckBox>(window, "Check_Title")->checkState()) +
            QString::number(window.windowFlags().testFlag(Qt::FramelessWindowHint)),
    };
}

// Opens the options and ticks the rehearsal, as the operator would; the dialog is modal.
void chooseRehearsal(kelvara::ui::FrmMain& window) {
    bool ticked = false;
    QTimer::singleShot(0, &window, [&ticked] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog != nullptr);
        auto* box = dialog->findChild<QCheckBox*>(u"Check_Rehearsal"_s);
        QVERIFY(box != nullptr && box->isEnabled());
        box->click();
        ticked = true;
        dialog->close();
    });
    control<QPushButton>(window, "Cmd_Options")->click();
    QVERIFY(ticked);
}

} // namespace

class KeptSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        kelvara::testing::g_testLog =
            qInstallMessageHandler(kelvara::testing::withoutSizeHintNoise);
    }
    void everyChangeComesBackAtTheNextStart();
    void aFreshStartKeepsTheDesignAndWritesNothing_data();
    void aFreshStartKeepsTheDesignAndWritesNothing();
    void aRehearsalIsMarkedAndLeavesNothingToContinue();
};

void KeptSettingsTest::everyChangeComesBackAtTheNextStart() {
    QTemporaryDir dir;
    writeFile(dir, u"bonus.txt"_s, tenNames());
    FakeServices services(dir.path().toStdString());
    QStringList changed;
    {
        MainWindow main(services);
        kelvara::ui::FrmMain& w = main.window;
        showStarted(w);
        const QStringList before = appearanceOf(w);
        control<QPushButton>(w, "Cmd_Size_H")->click();
        control<QPushButton>(w, "Cmd_Size_V")->click();
        for (const char* bar :
             {"HScroll_Color_Roll", "HScroll_Color_Roll_Back", "HScroll_Color_Results",
              "HScroll_Color_Results_Back", "VScroll_Color_Frame"}) {
            control<QScrollBar>(w, bar)->triggerAction(QAbstractSlider::SliderPageStepAdd);
        }
        control<QListWidget>(w, "List_Fonts_Roll")->setCurrentRow(2);
        control<QListWidget>(w, "List_Fonts_Results")->setCurrentRow(0);
        control<QListWidget>(w, "List_FontSize_Roll")->setCurrentRow(1);
        control<QListWidget>(w, "List_FontSize_Results")->setCurrentRow(4);
        control<QRadioButton>(w, "Opt_Align_0")->click();
        control<QRadioButton>(w, "Opt_Size_0")->click();
        control<QCheckBox>(w, "Check_Title")->click(); // with a title bar
        control<QCheckBox>(w, "Check_Title")->click(); // and without
        changed = appearanceOf(w);
        for (int i = 0; i < before.size(); ++i) {
            QVERIFY2(changed[i] != before[i], qPrintable(u"unchanged: "_s + before[i]));
        }
    }
    // The next start, as after a crash: the same window, without a single click.
    MainWindow again(services);
    showStarted(again.window);
    QCOMPARE(appearanceOf(again.window), changed);
    QVERIFY(services.messages.empty());
}

void KeptSettingsTest::aFreshStartKeepsTheDesignAndWritesNothing_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("foreign values") << QByteArray(
        R"({"格式": "Kelvara 设置 1", "主窗口": {"滚动区字体颜色": "红", "背景色": 99999,)"
        R"( "滚动区字体": "没有这种字体", "滚动区字号": "7", "对齐": 9, "加宽": "是",)"
        R"( "窗体标题栏": 3}})");
    QTest::newRow("not an object") << QByteArray(R"({"格式": "Kelvara 设置 1", "主窗口": [1, 2]})");
}

// Whatever is not kept stays as the program defines it, and nothing is written before the
// operator changes something.
void KeptSettingsTest::aFreshStartKeepsTheDesignAndWritesNothing() {
    QFETCH(QByteArray, settings);
    QStringList design;
    {
        QTemporaryDir dir;
        writeFile(dir, u"bonus.txt"_s, tenNames());
        FakeServices services(dir.path().toStdString());
        MainWindow main(services);
        showStarted(main.window);
        design = appearanceOf(main.window);
    }
    QTemporaryDir dir;
    writeFile(dir, u"bonus.txt"_s, tenNames());
    const QString file = dir.filePath(QString::fromUtf8(kelvara::ui::kSettingsFileName));
    if (!settings.isEmpty()) {
        writeFile(dir, QString::fromUtf8(kelvara::ui::kSettingsFileName), settings);
    }
    FakeServices services(dir.path().toStdString());
    MainWindow main(services);
    showStarted(main.window);
    QCOMPARE(appearanceOf(main.window), design);
    QCOMPARE(QFile::exists(file), !settings.isEmpty());
    if (!settings.isEmpty()) {
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), settings);
    }
}

void KeptSettingsTest::aRehearsalIsMarkedAndLeavesNothingToContinue() {
    QTemporaryDir dir;
    writeFile(dir, u"bonus.txt"_s, tenNames());
    FakeServices services(dir.path().toStdString());
    {
        MainWindow main(services);
        kelvara::ui::FrmMain& w = main.window;
        showStarted(w);
        QVERIFY(!control(w, "Lbl_Rehearsal")->isVisible());
        chooseRehearsal(w);
        QVERIFY(control(w, "Lbl_Rehearsal")->isVisible());
        QVERIFY(!w.audienceScreen().rehearsalArea().isEmpty());

        control<QPushButton>(w, "Cmd_Init")->click();
        QVERIFY(services.recordStore.current.starts_with("摇号记录/演练/"));
        control<QPushButton>(w, "Cmd_Start")->click();
        control<QPushButton>(w, "Cmd_Start")->click();
        QTRY_VERIFY(w.resultsText().find("[1]:") != std::string::npos);
        control<QPushButton>(w, "Cmd_Save")->click();
        QFile saved(dir.filePath(u"摇号结果（演练）.txt"_s));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readLine().startsWith("演练，不是正式摇号结果"));
        QVERIFY(!QFile::exists(dir.filePath(u"摇号结果.txt"_s)));
        QVERIFY(!QFile::exists(dir.filePath(u"摇号结果.xlsx"_s)));
        // The run has begun: the choice is fixed.
        QTimer::singleShot(0, &w, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            QVERIFY(!dialog->findChild<QCheckBox*>(u"Check_Rehearsal"_s)->isEnabled());
            dialog->close();
        });
        control<QPushButton>(w, "Cmd_Options")->click();
    }
    // Ended as a crash would end it: the next start (a new process, whose records are a real
    // run's) asks nothing, and is a real run.
    services.messages.clear();
    services.recordStore.setRehearsal(false);
    MainWindow again(services);
    showStarted(again.window);
    QTest::qWait(50);
    QVERIFY(services.messages.empty());
    QVERIFY(!control(again.window, "Lbl_Rehearsal")->isVisible());
    QVERIFY(again.window.audienceScreen().rehearsalArea().isEmpty());
    control<QPushButton>(again.window, "Cmd_Init")->click();
    QVERIFY(services.recordStore.current.starts_with("摇号记录/摇号记录_"));
}

QTEST_MAIN(KeptSettingsTest)
#include "kept_settings_test.moc"
