#include "repaint_pacer.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace kelvara::ui {

RepaintPacer::RepaintPacer(QWidget& widget) : m_widget(widget) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &RepaintPacer::repaintPending);
}

int RepaintPacer::intervalMs() const {
    const QScreen* screen = m_widget.screen();
    const double rate = screen != nullptr ? screen->refreshRate() : 60.0;
    // Some virtual screens report nonsense; stay between 30 and 240 paints a second.
    const double clamped = std::clamp(rate > 0.0 ? rate : 60.0, 30.0, 240.0);
    return static_cast<int>(std::floor(1000.0 / clamped));
}

void RepaintPacer::request(const QRect& area) {
    m_pending += area.isEmpty() ? m_widget.rect() : area;
    if (m_timer.isActive()) {
        return;
    }
    const int interval = intervalMs();
    const qint64 since = m_sincePaint.isValid() ? m_sincePaint.elapsed() : interval;
    if (since >= interval) {
        repaintPending();
    } else {
        m_timer.start(static_cast<int>(interval - since));
    }
}

void RepaintPacer::repaintPending() {
    m_widget.update(m_pending);
    m_pending = QRegion();
}

void RepaintPacer::painted() {
    m_sincePaint.start();
}

} // namespace kelvara::ui
