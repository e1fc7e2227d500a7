#include <QKeyEvent>
#include <QtTest>

#include "ui/held_key_guard.h"

using namespace Qt::StringLiterals;

using kelvara::ui::HeldKeyGuard;
using Milliseconds = HeldKeyGuard::Milliseconds;

class HeldKeyGuardTest final : public QObject {
    Q_OBJECT

private slots:
    void actsOncePerPress_data();
    void actsOncePerPress();
    void forgetsHeldKeysWhenTheKeyboardIsLost();
};

void HeldKeyGuardTest::actsOncePerPress_data() {
    // One event a word: P press, A auto-repeat press or R release, then its time in ms as
    // the window system's time stamp, or after "~" as the clock's reading for an event
    // without a stamp; Return unless a key is named; I for another key or a click (no
    // digit). "acts" has a digit per key event: 1 where a press acts.
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("acts");
    QTest::newRow("a press acts") << QStringList{u"P1000"_s} << "1";
    QTest::newRow("held, presses without releases")
        << QStringList{u"P1000"_s, u"P1500"_s, u"P1540"_s} << "100";
    QTest::newRow("held, repeat pairs with one stamp")
        << QStringList{u"P1000"_s, u"R1660"_s, u"P1660"_s, u"R1700"_s, u"P1700"_s, u"R1800"_s}
        << "100000";
    QTest::newRow("held, a pair's press at the repeat gap")
        << QStringList{u"P1000"_s, u"R1660"_s, u"P1700"_s} << "100";
    QTest::newRow("pressed again just after the repeat gap")
        << QStringList{u"P1000"_s, u"R1100"_s, u"P1141"_s} << "101";
    QTest::newRow("pressed twice by a person")
        << QStringList{u"P1000"_s, u"R1100"_s, u"P1250"_s, u"R1350"_s, u"P1500"_s} << "10101";
    QTest::newRow("no stamps: a pair within the gap on the clock")
        << QStringList{u"P~1000"_s, u"R~1660"_s, u"P~1690"_s} << "100";
    QTest::newRow("no stamps: pressed twice by a person")
        << QStringList{u"P~1000"_s, u"R~1100"_s, u"P~1300"_s} << "101";
    // Stamps and clock readings are never compared with each other.
    QTest::newRow("the release without a stamp")
        << QStringList{u"P1000"_s, u"R~1100"_s, u"P~1120"_s} << "100";
    QTest::newRow("a stamp that went back")
        << QStringList{u"P4000"_s, u"R5000"_s, u"P10"_s} << "101";
    QTest::newRow("other keys are their own")
        << QStringList{u"P1000"_s, u"P1010 Space"_s, u"P1020 Enter"_s} << "111";
    QTest::newRow("a press flagged as repeat") << QStringList{u"A1000"_s} << "0";
    // The release of the Enter that answered a box went to the box, which had gone; Escape
    // answered the next box, and the next Enter is a new press.
    QTest::newRow("a lost release, then another key")
        << QStringList{u"P1000"_s, u"I1200"_s, u"P1400"_s} << "11";
    QTest::newRow("a lost release, then another guarded key")
        << QStringList{u"P1000"_s, u"P1200 Space"_s, u"R1300 Space"_s, u"P1500"_s} << "1101";
    QTest::newRow("held through a click: the repeats still do not act")
        << QStringList{u"P1000"_s, u"I1200"_s, u"R1660"_s, u"P1660"_s, u"A1700"_s} << "1000";
    QTest::newRow("a release of another key lets none go")
        << QStringList{u"P1000"_s, u"R1100 Space"_s, u"P1300"_s} << "100";
}

void HeldKeyGuardTest::actsOncePerPress() {
    QFETCH(QStringList, events);
    QFETCH(QString, acts);
    Milliseconds now{0};
    HeldKeyGuard guard([&now] { return now; });

    QString acted;
    for (const QString& event : events) {
        const QStringList words = event.split(QLatin1Char(' '));
        if (words[0].startsWith(QLatin1Char('I'))) {
            guard.interrupt();
            continue;
        }
        const bool repeat = words[0].startsWith(QLatin1Char('A'));
        const bool press = repeat || words[0].startsWith(QLatin1Char('P'));
        const bool stamped = words[0].at(1) != QLatin1Char('~');
        const quint64 time = words[0].mid(stamped ? 1 : 2).toULongLong();
        Qt::Key key = Qt::Key_Return;
        if (words.size() > 1) {
            key = words[1] == QLatin1String("Space") ? Qt::Key_Space : Qt::Key_Enter;
        }
        now = Milliseconds(time);
        QKeyEvent keyEvent(press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier,
                           QString(), repeat);
        keyEvent.setTimestamp(stamped ? time : 0);
        acted += guard.accept(keyEvent) ? QLatin1Char('1') : QLatin1Char('0');
    }
    QCOMPARE(acted, acts);
}

// Released while another program had the keyboard: the next press acts.
void HeldKeyGuardTest::forgetsHeldKeysWhenTheKeyboardIsLost() {
    HeldKeyGuard guard([] { return Milliseconds(0); });
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    press.setTimestamp(1000);
    QVERIFY(guard.accept(press));
    press.setTimestamp(5000);
    QVERIFY(!guard.accept(press));
    guard.releaseAll();
    press.setTimestamp(9000);
    QVERIFY(guard.accept(press));
}

QTEST_MAIN(HeldKeyGuardTest)
#include "held_key_guard_test.moc"
