#include "roll_label.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace kelvara::ui {

RollLabel::RollLabel(QWidget* parent) : QFrame(parent) {
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    m_repaintTimer.setSingleShot(true);
    m_repaintTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_repaintTimer, &QTimer::timeout, this, [this] { update(); });
}

void RollLabel::setText(const QString& text) {
    if (text == m_text) {
        return;
    }
    m_text = text;
    scheduleRepaint();
}

void RollLabel::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

int RollLabel::repaintIntervalMs() const {
    const QScreen* s = screen();
    const double rate = s != nullptr ? s->refreshRate() : 60.0;
    // Some virtual screens report nonsense; stay between 30 and 240 paints a second.
    const double clamped = std::clamp(rate > 0.0 ? rate : 60.0, 30.0, 240.0);
    return static_cast<int>(std::floor(1000.0 / clamped));
}

// The caption may change far more often than the screen refreshes: paint at most once
// per refresh, and always paint the latest caption.
void RollLabel::scheduleRepaint() {
    if (m_repaintTimer.isActive()) {
        return;
    }
    const int interval = repaintIntervalMs();
    const qint64 since = m_sincePaint.isValid() ? m_sincePaint.elapsed() : interval;
    if (since >= interval) {
        update();
    } else {
        m_repaintTimer.start(static_cast<int>(interval - since));
    }
}

void RollLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    m_sincePaint.start();
    ++m_paintCount;
    if (m_text.isEmpty()) {
        return;
    }

    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    drawCaption(painter, contentsRect(), m_text, font(), m_alignment);
}

void drawCaption(QPainter& painter, const QRectF& area, const QString& text, const QFont& font,
                 Qt::Alignment alignment) {
    painter.save();
    painter.setClipRect(area);

    // Tall CJK fonts report an ascent well above their ideographs; place lines by the em
    // box instead, so a caption fits its label as it does with the design fonts.
    const QFontMetricsF metrics(font);
    const double em = QFontInfo(font).pixelSize();
    const double ascent = std::min(metrics.ascent(), 0.9 * em);
    const double descent = std::min(metrics.descent(), 0.22 * em);
    const double lineHeight = ascent + descent + metrics.leading();

    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    double y = area.top();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        const double free = area.width() - line.naturalTextWidth();
        double x = 0.0;
        if (alignment & Qt::AlignHCenter) {
            x = free / 2.0;
        } else if (alignment & Qt::AlignRight) {
            x = free;
        }
        // QTextLine positions are the line's top; shift so the baseline sits at y + ascent.
        line.setPosition(QPointF(x, y + ascent - line.ascent()));
        y += lineHeight;
        if (y > area.bottom() + lineHeight) {
            break;
        }
    }
    layout.endLayout();
    layout.draw(&painter, QPointF(area.left(), 0));
    painter.restore();
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    drawCaption(painter, contentsRect(), text(), font(), alignment());
}

} // namespace kelvara::ui
