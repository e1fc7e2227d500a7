#include "roll_label.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace kelvara::ui {

RollLabel::RollLabel(QWidget* parent) : QFrame(parent) {
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

// The caption may change far more often than the screen refreshes.
void RollLabel::setText(const QString& text) {
    if (text == m_text) {
        return;
    }
    m_text = text;
    m_pacer.request();
}

void RollLabel::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void RollLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    m_pacer.painted();
    ++m_paintCount;
    if (m_text.isEmpty()) {
        return;
    }

    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    // The label is wider than the box that shows it: a text too long for the part on show
    // is made smaller to fit there, rather than cut at the box's edges.
    const QRectF shown =
        parentWidget() != nullptr
            ? QRectF(contentsRect().intersected(parentWidget()->contentsRect().translated(-pos())))
            : QRectF(contentsRect());
    const double width = QFontMetricsF(font()).horizontalAdvance(m_text);
    if (width <= shown.width() || shown.width() <= 0) {
        drawCaption(painter, contentsRect(), m_text, font(), m_alignment);
        return;
    }
    QFont smaller = font();
    // A little room to spare: the shaped line is not quite as wide as its advances add up.
    const double fitted = QFontInfo(font()).pointSizeF() * 0.96 * shown.width() / width;
    smaller.setPointSizeF(std::max(kMinFittedPointSize, fitted));
    const double lineHeight = lineBox(smaller).height;
    // One line stands in the middle of the box; a text too long even so wraps from its top.
    const QRectF area =
        fitted >= kMinFittedPointSize
            ? QRectF(shown.left(), shown.center().y() - lineHeight / 2, shown.width(), lineHeight)
            : shown;
    drawCaption(painter, area, m_text, smaller, m_alignment);
}

LineBox lineBox(const QFont& font) {
    const QFontMetricsF metrics(font);
    const double em = QFontInfo(font).pixelSize();
    const double ascent = std::min(metrics.ascent(), 0.9 * em);
    const double descent = std::min(metrics.descent(), 0.22 * em);
    return {ascent, ascent + descent + metrics.leading()};
}

void drawCaption(QPainter& painter, const QRectF& area, const QString& text, const QFont& font,
                 Qt::Alignment alignment) {
    painter.save();
    painter.setClipRect(area);

    const LineBox box = lineBox(font);
    const double ascent = box.ascent;
    const double lineHeight = box.height;

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
