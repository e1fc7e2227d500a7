#pragma once

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QString>

#include "ui/repaint_pacer.h"

namespace kelvara::ui {

// A line of text placed by the em box of its font: tall CJK fonts report an ascent well
// above their ideographs, so lines placed by the em box sit as they do with the design fonts.
struct LineBox {
    double ascent = 0;
    double height = 0;
};
LineBox lineBox(const QFont& font);

// Draws text wrapped into area, top-aligned, lines spaced by the font's em box.
void drawCaption(QPainter& painter, const QRectF& area, const QString& text, const QFont& font,
                 Qt::Alignment alignment);

// The large rolling label. Its caption may change every millisecond; it is painted at
// most once per screen refresh, always with the latest caption. Text colour, background
// and font come from the palette roles WindowText and Window and from font().
// Like a fixed-size label it wraps long captions and keeps its text at the top.
// The smallest size a long text is made to fit the rolling box; smaller than this it wraps.
inline constexpr double kMinFittedPointSize = 9.0;

class RollLabel final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RollLabel)

public:
    explicit RollLabel(QWidget* parent);

    QString text() const { return m_text; }
    void setText(const QString& text);

    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    // How many times the label has been painted (a test hook).
    int paintCount() const { return m_paintCount; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    RepaintPacer m_pacer{*this};
    int m_paintCount = 0;
};

// A fixed-size label drawn like the rolling label, by the em box of its font, so that CJK
// captions fit the design height; a one-character-wide one shows one character per line.
class CaptionLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CaptionLabel)

public:
    explicit CaptionLabel(QWidget* parent) : QLabel(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kelvara::ui
