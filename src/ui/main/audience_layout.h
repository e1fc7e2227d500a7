#pragma once

#include <QFont>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>

#include "draw/draw_view.h"
#include "draw/results.h"

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
    bool absent = false; // gave the prize up; still listed, marked
    // A procedure's: the number on the waiting list before the name ("候补3"), who moved up
    // after it ("（递补[7]）", "（已递补）"), and the place the person gets, shown beside.
    QString before = {};
    QString after = {};
    QString place = {};

    // The same row, whatever its mark.
    bool sameRow(const Winner& other) const {
        return number == other.number && name == other.name && before == other.before &&
               after == other.after && place == other.place;
    }
};

// A listed round's winners as the view shows them.
QList<Winner> winnersOf(const draw::RunView& run, std::span<const draw::ResultEntry> round);

// After an absent winner's name, which is struck out.
inline constexpr QStringView kAbsentMark = u"（弃奖）";

// A winner as listed: "[n] name", "[n] 候补3 name" on a waiting list, with the absent mark
// when they gave the prize up. A place is not part of it: it stands in a column of its own.
QString winnerText(const Winner& winner);

// Draws a winner's cell text, left-aligned, and the place `placeLeft` into the cell; an
// absent winner's name and place struck out, the mark not.
void drawWinner(QPainter& painter, const QRectF& cell, const QString& text, bool absent,
                const QFont& font, const QString& place = {}, double placeLeft = 0);

// With a prize, the rolling text's area holds two lines: the prize's on top, smaller, and
// the rolling name's below it.
inline constexpr double kPrizeShare = 0.36;
struct RollLines {
    QRect prize;
    QRect name;
};
RollLines splitForPrize(QRect area);

// One page of a round's winners: as many columns as give the largest text, the numbers
// running down the columns.
struct ListLayout {
    int columns = 0;
    int rows = 0;
    int pixelSize = 0;
    int page = 0; // 0-based
    int pages = 0;
    QString heading; // the prize, and for pages the count and the numbers' range
    QList<QRect> cells;
    QStringList texts;
    QList<bool> absent; // per cell
    // A procedure's places, per cell (empty without), and where they start in a cell: a
    // column of their own after the widest name.
    QStringList places;
    int placeLeft = 0;
};

inline constexpr int kPageSize = 100;
// The page heading's share of the list's box.
inline constexpr double kHeadingHeight = 0.12;
// Inside a box, the text keeps this share of the box's height from its edges.
inline constexpr double kPadding = 0.06;

// Page `page` (clamped) of the winners in `box`, in `font`'s family and weight, its text at
// most `largestPixels` high, under a heading naming `prize` when there is one. Every page
// has the same columns and size, made for the fullest page.
ListLayout layOutWinners(const QList<Winner>& winners, int page, QRect box, const QFont& font,
                         int largestPixels, const QString& prize = {});

} // namespace kelvara::ui::audience
