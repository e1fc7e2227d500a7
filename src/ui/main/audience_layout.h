#pragma once

#include <QFont>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>

// Text as large as fits, and the grid of a round's winners, for the audience view.
namespace kelvara::ui::audience {

// Tabs and line breaks inside names show as blanks, so every name keeps one line.
QString oneLine(QString text);

QFont withPixelSize(QFont font, int pixels);

// The largest pixel size, up to most, at which text fits the box on one line.
int fittingPixelSize(const QFont& font, const QString& text, QSizeF box, int most);

// Draws one line of text, vertically centred in area.
void drawLine(QPainter& painter, const QRectF& area, const QString& text, const QFont& font,
              Qt::Alignment alignment);

struct Winner {
    int number = 0;
    QString name;
};

// One page of a round's winners: as many columns as give the largest text, the numbers
// running down the columns.
struct ListLayout {
    int columns = 0;
    int rows = 0;
    int pixelSize = 0;
    int page = 0; // 0-based
    int pages = 0;
    QString heading; // the count and the numbers' range, above the pages
    QList<QRect> cells;
    QStringList texts;
};

inline constexpr int kPageSize = 100;
// The page heading's share of the list's box.
inline constexpr double kHeadingHeight = 0.12;
// Inside a box, the text keeps this share of the box's height from its edges.
inline constexpr double kPadding = 0.06;

// Page `page` (clamped) of the winners in `box`, in `font`'s family and weight, its text at
// most `largestPixels` high. Every page has the same columns and size, made for the
// fullest page.
ListLayout layOutWinners(const QList<Winner>& winners, int page, QRect box, const QFont& font,
                         int largestPixels);

} // namespace kelvara::ui::audience
