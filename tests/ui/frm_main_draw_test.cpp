// The draw through the main window: a whole run, the results box, the rolling label's
// paints, and Save and Print with their failures.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTimer>

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "fakes/fake_services.h"
#include "ui/main/audience_screen.h"
#include "ui/main/frm_main.h"
#include "ui/main/results_box.h"
#include "ui/main/roll_label.h"
#include "ui/main_window_session.h"

using namespace Qt::StringLiterals;

using kelvara::platform::Buttons;
using kelvara::testing::kStart;
using kelvara::testing::kStop;
using kelvara::testing::paintsWhileWatched;
using kelvara::testing::readFile;
using kelvara::testing::Session;
using kelvara::testing::sixtyNames;
using kelvara::ui::ResultsBox;
using kelvara::ui::RollLabel;

class FrmMainDrawTest : public QObject {
    Q_OBJECT

private slots:
    void wholeDrawThroughTheWindow();
    void resultsBoxShowsExactText_data();
    void resultsBoxShowsExactText();
    void rollingPaintsOncePerScreenRefresh();
    void captionsFitTheRollingBox_data();
    void captionsFitTheRollingBox();
    void saveAndPrintListAStoppedRoundFirst_data();
    void saveAndPrintListAStoppedRoundFirst();
    void writeFailureSaysWhy_data();
    void writeFailureSaysWhy();
    void printFailureSaysWhy();
    void prizePlanAndAbsentMarksThroughTheWindow();
    void verifiableDrawThroughItsWindow();
};

void FrmMainDrawTest::wholeDrawThroughTheWindow() {
    // A TAB inside a name travels to the results unchanged; a lone LF shows as a space.
    const std::string names = sixtyNames() + "欧阳\t修\r\n司马\n光\r\n";
    Session s(names);
    QVERIFY(s.ok);
    QTest::mouseClick(s.control("Cmd_Init"), Qt::LeftButton);
    QCOMPARE(s.rollText(), QStringLiteral("共62条数据！"));
    QVERIFY(!s.control("Cmd_Init")->isEnabled());
    QVERIFY(s.control("Cmd_Start")->isEnabled());

    // Draw everybody but one in two rounds, typed into the round-size box.
    int listed = 0;
    for (const int roundSize : {40, 21}) {
        auto* num = s.control<QLineEdit>("Txt_Num");
        num->clear();
        QTest::keyClicks(num, QString::number(roundSize));
        QTest::mouseClick(s.control("Cmd_Start"), Qt::LeftButton);
        QCOMPARE(s.startCaption(), kStop);
        const QString first = s.rollText();
        QTRY_VERIFY(s.rollText() != first); // it rolls
        QTest::mouseClick(s.control("Cmd_Start"), Qt::LeftButton);
        QCOMPARE(s.startCaption(), kStart);
        listed += roundSize;
        QTRY_VERIFY(s.window->resultsText().find("[" + std::to_string(listed) + "]:\t") !=
                    std::string::npos);
    }

    // Heading, an empty line, then one numbered line per winner and nothing after it.
    const std::string text = s.window->resultsText();
    QVERIFY(text.rfind("摇号结果\r\n\r\n[1]:\t", 0) == 0);
    QVERIFY(text.substr(text.size() - 2) != "\r\n");
    std::set<std::string> winners;
    std::size_t at = 0;
    for (int n = 1; n <= listed; ++n) {
        const std::string tag = "[" + std::to_string(n) + "]:\t";
        const std::size_t begin = text.find(tag, at);
        QVERIFY(begin != std::string::npos);
        const std::size_t end = text.find("\r\n[", begin);
        winners.insert(text.substr(begin + tag.size(), end == std::string::npos
                                                           ? std::string::npos
                                                           : end - begin - tag.size()));
        at = begin + tag.size();
    }
    QCOMPARE(int(winners.size()), listed); // nobody twice
    for (const std::string& winner : winners) {
        QVERIFY(names.find((winner == "司马 光" ? "司马\n光" : winner) + "\r\n") !=
                std::string::npos);
    }

    // The box shows the same lines, caret at the end; one candidate is left over.
    auto* box = s.control<QPlainTextEdit>("Txt_Results");
    QTRY_COMPARE(box->document()->blockCount(), listed + 2);
    QCOMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
    QTest::mouseClick(s.control("Cmd_Start"), Qt::LeftButton);
    QCOMPARE(s.services.messages.back().text, std::string("候选人数少于2人，不足以进行一次摇号！"));

    // Save writes exactly the listed text.
    QTest::mouseClick(s.control("Cmd_Save"), Qt::LeftButton);
    QFile saved(s.dir.filePath(QStringLiteral("摇号结果.txt")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QVERIFY(bytes.contains(QByteArray("[61]:\t")));
}

void FrmMainDrawTest::resultsBoxShowsExactText_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("paragraphs");
    QTest::newRow("appended lines") << QStringList{u"摇号结果\r\n"_s, u"摇号结果\r\n\r\n[1]:\t甲"_s,
                                                   u"摇号结果\r\n\r\n[1]:\t甲\r\n[2]:\t乙"_s}
                                    << "摇号结果\n\n[1]:\t甲\n[2]:\t乙" << 4;
    QTest::newRow("lone LF and CR inside names")
        << QStringList{u"摇号结果\r\n\r\n[1]:\t司马\n光"_s,
                       u"摇号结果\r\n\r\n[1]:\t司马\n光\r\n[2]:\t丙\r丁"_s}
        << "摇号结果\n\n[1]:\t司马\n光\n[2]:\t丙\n丁" << 4;
    QTest::newRow("CR then LF in two steps")
        << QStringList{u"摇号结果\r"_s, u"摇号结果\r\n甲"_s} << "摇号结果\n甲" << 2;
    QTest::newRow("replaced, not appended")
        << QStringList{u"摇号结果\r\n\r\n[1]:\t甲"_s, u"别的\r\n"_s} << "别的\n"
        << 2;
}

void FrmMainDrawTest::resultsBoxShowsExactText() {
    QFETCH(QStringList, texts);
    QFETCH(QString, shown);
    QFETCH(int, paragraphs); // a lone CR or LF breaks the line inside its paragraph
    Session s;
    QVERIFY(s.ok);
    auto* box = s.control<ResultsBox>("Txt_Results");
    for (const QString& text : texts) {
        box->setExactText(text.toStdString());
        QCOMPARE(s.window->resultsText(), text.toStdString());
        QCoreApplication::processEvents();
    }
    box->moveCaretToEnd();
    QTRY_COMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
    QCOMPARE(box->toPlainText(), shown);
    QCOMPARE(box->document()->blockCount(), paragraphs);
}

// The caption changes every millisecond; painting follows the screen, not the timer: no
// two paints closer than one refresh, yet a paint at nearly every refresh.
void FrmMainDrawTest::rollingPaintsOncePerScreenRefresh() {
    Session s(sixtyNames());
    QVERIFY(s.ok);
    auto* label = s.control<RollLabel>("Lbl_Roll");
    const double rate = std::clamp(label->screen()->refreshRate(), 30.0, 240.0);
    const double refreshMs = 1000.0 / rate;
    s.click("Cmd_Init");
    s.click("Cmd_Start");
    constexpr double kWatched = 0.5; // seconds
    const QList<qint64> times = paintsWhileWatched(label, kWatched, rate);
    s.click("Cmd_Start");

    QVERIFY2((!kelvara::testing::runsAlone() || times.size() >= rate * kWatched / 2) &&
                 times.size() <= rate * kWatched * 1.1 + 1,
             qPrintable(QStringLiteral("%1 paints at %2 Hz").arg(times.size()).arg(rate)));
    for (qsizetype i = 1; i < times.size(); ++i) {
        QVERIFY2(times[i] - times[i - 1] >= std::floor(refreshMs) - 1,
                 qPrintable(QStringLiteral("paints %1 ms apart").arg(times[i] - times[i - 1])));
    }
}

void FrmMainDrawTest::captionsFitTheRollingBox_data() {
    QTest::addColumn<int>("restored");
    QTest::addColumn<int>("remaining");
    QTest::newRow("few") << 2 << 3;
    QTest::newRow("many") << 1234 << 8766;
}

// The program's own captions at the design's 42 pt are whole inside the rolling box: no
// ink at its edges.
void FrmMainDrawTest::captionsFitTheRollingBox() {
    QFETCH(int, restored);
    QFETCH(int, remaining);
    Session s(sixtyNames());
    QVERIFY(s.ok);
    s.window->showRestored(restored, remaining);
    auto* label = s.control<RollLabel>("Lbl_Roll");
    QTRY_VERIFY(label->text().startsWith(u"已恢复"_s));
    const QImage box = s.control("Pic_Roll")->grab().toImage();
    const QColor ink = label->palette().color(QPalette::WindowText);
    // Inside the label's own box line, where the box shows it.
    const QRect inside =
        box.rect().intersected(label->geometry().adjusted(1, 1, -1, -1)).adjusted(1, 1, -1, -1);
    QRect inked;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (box.pixelColor(x, y) == ink) {
                inked |= QRect(x, y, 1, 1);
            }
        }
    }
    QVERIFY(!inked.isEmpty());
    QVERIFY2(inside.adjusted(1, 1, -1, -1).contains(inked),
             qPrintable(u"ink %1,%2 %3x%4 in %5x%6"_s.arg(inked.x())
                            .arg(inked.y())
                            .arg(inked.width())
                            .arg(inked.height())
                            .arg(inside.width())
                            .arg(inside.height())));
}

void FrmMainDrawTest::saveAndPrintListAStoppedRoundFirst_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("prints");
    QTest::newRow("Save")
        << "Cmd_Save"
        << QStringList{u"已经保存到摇号软件目录下！文件名叫摇号结果.txt和摇号结果.xlsx"_s} << false;
    QTest::newRow("Print") << "Cmd_Print" << QStringList{} << true;
}

// Pressed right after Stop, before the listing's timer ticks: the file holds the round.
void FrmMainDrawTest::saveAndPrintListAStoppedRoundFirst() {
    QFETCH(QString, button);
    QFETCH(QStringList, messages);
    QFETCH(bool, prints);
    Session s(sixtyNames());
    QVERIFY(s.ok);
    s.click("Cmd_Init");
    s.click("Cmd_Start");
    s.services.messages.clear();
    s.control<QPushButton>("Cmd_Start")->click();
    QVERIFY(s.control<QTimer>("Timer2")->isActive());
    s.control<QPushButton>(button)->click();

    const std::string saved = readFile(s.dir.filePath(QStringLiteral("摇号结果.txt")));
    QVERIFY2(saved.find("\r\n[1]:\t") != std::string::npos, saved.c_str());
    QCOMPARE(saved, s.window->resultsText() + "\r\n");
    QStringList shown;
    for (const auto& message : s.services.messages) {
        shown << QString::fromStdString(message.text);
    }
    QCOMPARE(shown, messages);
    QCOMPARE(s.services.printed.size(), prints ? 1U : 0U);
}

void FrmMainDrawTest::writeFailureSaysWhy_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failedFile");
    QTest::newRow("Save") << "Cmd_Save"
                          << "摇号结果.txt";
    QTest::newRow("Print") << "Cmd_Print"
                           << "摇号结果.txt";
    // The text file is written, the workbook after it is not.
    QTest::newRow("SaveWorkbook") << "Cmd_Save"
                                  << "摇号结果.xlsx";
}

// A results file that cannot be written (a directory of that name; the workbook: its
// writer's reason): the operator learns where and why, no notice of success follows and
// nothing is printed.
void FrmMainDrawTest::writeFailureSaysWhy() {
    QFETCH(QString, button);
    QFETCH(QString, failedFile);
    Session s;
    QVERIFY(s.ok);
    const std::string workbookReason = "Error creating output xlsx file.";
    if (failedFile.endsWith(u".xlsx"_s)) {
        s.services.producedFileFailure = workbookReason;
    } else {
        QVERIFY(QDir(s.dir.path()).mkdir(failedFile));
    }
    s.control<QPushButton>(button)->click();

    QCOMPARE(s.services.messages.size(), 1U);
    const QString text = QString::fromStdString(s.services.messages[0].text);
    // The path in the system's form, as the services give it.
    const QString path =
        QStringLiteral("保存失败！无法写入文件：<") + s.dir.filePath(failedFile) + QLatin1Char('>');
    QVERIFY2(text.startsWith(path + QLatin1Char('\n')), qPrintable(text));
    QVERIFY2(text.size() > path.size() + 1, "the system's reason is missing");
    if (failedFile.endsWith(u".xlsx"_s)) {
        QVERIFY2(text.endsWith(QString::fromStdString(workbookReason)), qPrintable(text));
        QVERIFY(QFile::exists(s.dir.filePath(QStringLiteral("摇号结果.txt"))));
    }
    QCOMPARE(s.services.messages[0].buttons, Buttons::Ok);
    QVERIFY(s.services.messages[0].title.empty());
    QVERIFY(s.services.printed.empty());
}

// No printer: the operator is told, in the print command's words.
void FrmMainDrawTest::printFailureSaysWhy() {
    Session s;
    QVERIFY(s.ok);
    s.services.printFailure = "lp: Error - No default destination.";
    s.click("Cmd_Print");
    QCOMPARE(s.services.messages.size(), 1U);
    QCOMPARE(s.services.messages[0].text,
             std::string("打印失败：lp: Error - No default destination."));
    QCOMPARE(s.services.messages[0].buttons, Buttons::Ok);
    QVERIFY(QFile::exists(s.dir.filePath(QStringLiteral("摇号结果.txt"))));
}

// The choice fixed by Initialize, the witnesses' digits hidden as typed and shown together
// on both screens once taken, the commitment printed, and the secret revealed to end the run.
void FrmMainDrawTest::verifiableDrawThroughItsWindow() {
    Session s(sixtyNames());
    QVERIFY(s.ok);
    auto* choice = s.control<QCheckBox>("Check_Verifiable");
    choice->click();
    s.click("Cmd_Init");
    QVERIFY(choice->isChecked() && !choice->isEnabled());
    auto* window = s.control("FrmVerifiable");
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const auto button = [window](const QString& caption) {
        const auto buttons = window->findChildren<QPushButton*>();
        return *std::find_if(buttons.begin(), buttons.end(),
                             [&](const QPushButton* b) { return b->text() == caption; });
    };
    const auto witness = [window](int k) {
        const auto fields = window->findChildren<QLineEdit*>();
        return *std::find_if(fields.begin(), fields.end(), [k](const QLineEdit* f) {
            return f->accessibleName() == QStringLiteral("见证人%1").arg(k);
        });
    };
    QPushButton* accept = button(u"确定公开输入(&U)"_s);
    const auto& audience = s.window->audienceScreen();
    const QString commitment = audience.verifiablePanel().value(1);
    QCOMPARE(commitment.size(), 35); // four groups of eight hex digits

    QTest::keyClicks(witness(1), u"12a345"_s);
    QTest::keyClicks(witness(2), u"678901"_s);
    QVERIFY(!accept->isEnabled());
    QVERIFY(audience.verifiablePanel().value(0).contains(u"本名单第1次承诺"_s));
    QVERIFY(audience.verifiablePanel().contains(u"见证人1：已输入5位　见证人2：已输入6位"_s));
    QCOMPARE(witness(1)->displayText().contains(u"1"_s), false);
    QTest::keyClicks(witness(3), u"0"_s);
    QVERIFY(accept->isEnabled());
    accept->click();
    QVERIFY(witness(1)->isReadOnly() && !accept->isEnabled());
    QCOMPARE(witness(2)->displayText(), u"678901"_s);
    QVERIFY(audience.verifiablePanel().contains(u"见证人1：12345　见证人2：678901　见证人3：0"_s));
    QVERIFY(audience.verifiablePanel().contains(u"公开输入：12345-678901-0"_s));

    s.click("Cmd_Start");
    s.click("Cmd_Start");
    QTRY_VERIFY(s.window->resultsText().find("[1]:") != std::string::npos);
    button(u"打印承诺(&R)"_s)->click();
    QCOMPARE(s.services.printed.size(), 1U);
    const std::string sheet = readFile(QString::fromStdString(s.services.printed[0]));
    QVERIFY2(sheet.find("\r\n" + commitment.toStdString() + " ") != std::string::npos,
             sheet.c_str());
    QVERIFY(sheet.find("公开输入：12345-678901-0\r\n") != std::string::npos);

    button(u"公布(&B)"_s)->click();
    QCOMPARE(s.services.messages.back().title, std::string("公布"));
    QVERIFY(audience.verifiablePanel().contains(u"秘密值 s"_s));
    QVERIFY(!s.control<QPushButton>("Cmd_Start")->isEnabled());
    QVERIFY(!button(u"公布(&B)"_s)->isEnabled());
}

QTEST_MAIN(FrmMainDrawTest)
#include "frm_main_draw_test.moc"

// A plan of two prizes: the bar above the rolling name, a prize chosen from the keyboard,
// a winner marked absent with Delete and redrawn.
void FrmMainDrawTest::prizePlanAndAbsentMarksThroughTheWindow() {
    Session s(sixtyNames());
    QVERIFY(s.ok);
    QFile plan(s.dir.filePath(u"奖项.txt"_s));
    QVERIFY(plan.open(QIODevice::WriteOnly));
    plan.write("三等奖 3\r\n一等奖 1\r\n");
    plan.close();
    QWidget* const roll = s.control("Pic_Roll");
    const QRect rollBefore = roll->geometry();
    QVERIFY(!s.control("Bar_Prize")->isVisible());

    s.click("Cmd_Init");
    auto* prizes = s.control<QComboBox>("Cmb_Prize");
    QVERIFY(prizes->isVisible());
    QVERIFY(s.control("Bar_Prize")->geometry().bottom() < roll->geometry().top());
    QVERIFY(roll->geometry().top() > rollBefore.top());
    // The label reads as well as the results box: dark text on its light plate.
    const QImage label = s.control("Bar_Prize")->findChild<QLabel*>()->grab().toImage();
    QCOMPARE(label.pixelColor(1, 1), s.control("Txt_Results")->palette().color(QPalette::Base));
    int darkest = 255;
    for (int y = 0; y < label.height(); ++y) {
        for (int x = 0; x < label.width(); ++x) {
            darkest = std::min(darkest, qGray(label.pixel(x, y)));
        }
    }
    QVERIFY2(darkest < 60, qPrintable(QString::number(darkest)));
    QCOMPARE(prizes->currentText(), u"三等奖 还剩3人"_s);
    QCOMPARE(s.control<QLineEdit>("Txt_Num")->text(), u"3"_s);

    // Alt+J reaches the list; Down chooses the next prize.
    QTest::keyClick(s.window.get(), Qt::Key_J, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), prizes);
    QTest::keyClick(prizes, Qt::Key_Down);
    QCOMPARE(prizes->currentText(), u"一等奖 还剩1人"_s);
    QCOMPARE(s.control<QLineEdit>("Txt_Num")->text(), u"1"_s);
    QTest::keyClick(prizes, Qt::Key_Up);
    QCOMPARE(prizes->currentText(), u"三等奖 还剩3人"_s);

    s.click("Cmd_Start");
    QVERIFY(!prizes->isEnabled()); // no other prize while rolling
    s.click("Cmd_Start");
    QTRY_VERIFY(s.window->resultsText().find("[3]:\t") != std::string::npos);
    QVERIFY(prizes->isEnabled());
    QCOMPARE(prizes->currentText(), u"一等奖 还剩1人"_s);
    // The hall still reads the round's own prize above its winners, until the next Start.
    QCOMPARE(s.window->audienceScreen().prize(), u"三等奖"_s);

    // Delete on [2]'s line asks, naming the person and the prize, then marks the line.
    auto* box = s.control<ResultsBox>("Txt_Results");
    box->setFocus();
    QTRY_VERIFY(box->toPlainText().contains(u"[3]:"_s));
    // A listed round brings the caret to the end, where the new winners are.
    QTRY_COMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
    QTextCursor line(box->document()->findBlockByNumber(4));
    box->setTextCursor(line);
    QCOMPARE(box->numberAtCaret(), std::optional<int>(2));
    s.services.messages.clear();
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(s.services.messages.size(), std::size_t{1});
    QCOMPARE(s.services.messages.front().buttons, Buttons::YesNo);
    const std::string& name = s.window->resultsText();
    QVERIFY(s.services.messages.front().text.find("三等奖") != std::string::npos);
    QVERIFY(name.find("（弃奖）") != std::string::npos);
    QCOMPARE(prizes->currentText(), u"三等奖 还剩1人"_s);
    QTRY_COMPARE(box->numberAtCaret(), std::optional<int>(2));

    // The replacement is drawn for 三等奖, and goes on under its heading.
    s.click("Cmd_Start");
    QCOMPARE(s.window->audienceScreen().prize(), u"三等奖"_s);
    s.click("Cmd_Start");
    QTRY_VERIFY(s.window->resultsText().find("[4]:\t") != std::string::npos);
    QCOMPARE(s.window->resultsText().find("【", 20), std::string::npos);
    QCOMPARE(prizes->currentText(), u"一等奖 还剩1人"_s);
    QTRY_VERIFY(box->toPlainText().contains(u"[4]:"_s));
    box->setFocus();
    box->setTextCursor(QTextCursor(box->document()->findBlockByNumber(4)));
    QTest::keyClick(box, Qt::Key_Delete);
    QVERIFY(s.services.messages.back().text.find("补抽过") != std::string::npos);
}
