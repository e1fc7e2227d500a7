#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRegion>
#include <QTimer>

class QWidget;

namespace kelvara::ui {

// Repaints a widget at most once per refresh of its screen, however often it is asked,
// and always with the latest state: a paint that would come too soon is put off until
// the refresh is due.
class RepaintPacer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RepaintPacer)

public:
    // A member of the widget that it paces.
    explicit RepaintPacer(QWidget& widget);

    // Asks for a repaint of area, or of the whole widget when area is empty.
    void request(const QRect& area = {});
    // To be called from the widget's paintEvent.
    void painted();

private:
    int intervalMs() const;
    void repaintPending();

    QWidget& m_widget;
    QElapsedTimer m_sincePaint;
    QTimer m_timer;
    QRegion m_pending;
};

} // namespace kelvara::ui
