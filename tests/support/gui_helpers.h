#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QList>
#include <QObject>
#include <QString>
#include <QWidget>
#include <QtTest>

#include "kelvara_version.h"
#include "ui/held_key_guard.h"

namespace kelvara::testing {

// The object of that name under root; a missing one ends the test program with its name,
// rather than letting the test go on with nothing.
template <typename T = QWidget> T* findControl(const QObject& root, const char* name) {
    T* found = root.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("%s has no %s named %s", qPrintable(root.objectName()),
               T::staticMetaObject.className(), name);
    }
    return found;
}

// "<title> V<major>.<minor>.<revision><separator><description>" of the built version.
inline QString versionCaption(const char* separator) {
    return QStringLiteral("%1 V%2.%3.%4%5%6")
        .arg(QString::fromUtf8(version::kProductName))
        .arg(version::kMajor)
        .arg(version::kMinor)
        .arg(version::kRevision)
        .arg(QString::fromUtf8(separator))
        .arg(QString::fromUtf8(version::kFileDescription));
}

// A key typed as a person types it: let go of the last key a moment ago, then pressed and
// released, so that it is never taken for a held key's repeat.
inline void typeKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::qWait(static_cast<int>(ui::HeldKeyGuard::kRepeatGap.count()) + 10);
    QTest::keyClick(widget, key, modifiers);
}

// Times of a widget's paints, in ms since the clock was made.
class PaintClock final : public QObject {
public:
    explicit PaintClock(QWidget* widget) : m_widget(widget) {
        m_clock.start();
        widget->installEventFilter(this);
    }
    ~PaintClock() override { m_widget->removeEventFilter(this); }
    QList<qint64> times() const { return m_times; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Paint) {
            m_times << m_clock.elapsed();
        }
        return false;
    }

private:
    QWidget* m_widget;
    QElapsedTimer m_clock;
    QList<qint64> m_times;
};

// A widget's paints while it is watched for `seconds`, at a screen refresh `rate`: watched
// again, three times at most, while it painted fewer than half the refreshes, which only a
// busy machine causes. (One that paints more often than the screen refreshes does so every
// time.)
// A paint at nearly every refresh holds only where nothing else keeps the cores busy: ctest
// runs the paint-rate checks alone once more, and says so, while in the parallel run only the
// limit on paints holds.
inline bool runsAlone() {
    return qEnvironmentVariableIsSet("KELVARA_TEST_ALONE");
}

inline QList<qint64> paintsWhileWatched(QWidget* widget, double seconds, double rate) {
    QList<qint64> times;
    for (int watch = 0; watch < 3; ++watch) {
        PaintClock clock(widget);
        QTest::qWait(static_cast<int>(seconds * 1000));
        times = clock.times();
        if (times.size() >= rate * seconds / 2) {
            break;
        }
    }
    return times;
}

} // namespace kelvara::testing
