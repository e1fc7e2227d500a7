#include "audience_layout.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "ui/main/roll_label.h"

namespace kelvara::ui::audience {

namespace {

// Between columns, in ems; rows are this much taller than a line.
constexpr double kColumnGap = 0.8;
constexpr double kRowSpacing = 1.1;
// Measurements are taken at this size and scaled.
constexpr int kProbePixels = 100;
// Between a name and its place, in ems.
constexpr double kPlaceGap = 1.0;

// The widest of the texts in font, ink or advance, whichever is wider.
double widest(const QFont& font, const QStringList& texts) {
    const QFontMetricsF metrics(font);
    double width = 0;
    for (const QString& text : texts) {
        width =
            std::max({width, metrics.horizontalAdvance(text), metrics.boundingRect(text).width()});
    }
    return width;
}

// The winners' texts, and a procedure's places: a cell holds the widest text and, after a
// gap, the widest place.
struct CellTexts {
    QStringList texts;
    QStringList places; // none without places

    double width(const QFont& font) const {
        const double text = widest(font, texts);
        return places.isEmpty() ? text : text + kPlaceGap * font.pixelSize() + widest(font, places);
    }
};

// The column count that gives the largest text for `perPage` texts, at the probe size;
// sets the layout's columns and rows, and returns the scale from the probe size.
double chooseColumns(ListLayout& list, const CellTexts& texts, int perPage, QRect area,
                     const QFont& probe) {
    const double cellWidth = texts.width(probe) + kColumnGap * kProbePixels;
    const double rowHeight = lineBox(probe).height * kRowSpacing;
    double best = 0;
    for (int columns = 1; columns <= perPage; ++columns) {
        const int rows = (perPage + columns - 1) / columns;
        const double scale =
            std::min(area.width() / (columns * cellWidth - kColumnGap * kProbePixels),
                     area.height() / (rows * rowHeight));
        if (scale > best) {
            best = scale;
            list.columns = columns;
            list.rows = rows;
        }
    }
    list.columns = (perPage + list.rows - 1) / list.rows;
    return best;
}

// The largest size at which the grid really fits the area, starting from `pixels`.
int fittingGridSize(const ListLayout& list, const CellTexts& texts, QRect area, const QFont& font,
                    int pixels) {
    const auto fits = [&](int size) {
        const QFont sized = withPixelSize(font, size);
        const double gap = kColumnGap * size;
        return list.columns * (texts.width(sized) + gap) - gap <= area.width() &&
               list.rows * lineBox(sized).height * kRowSpacing <= area.height();
    };
    while (pixels > 1 && !fits(pixels)) {
        --pixels;
    }
    return std::max(1, pixels);
}

// The cells of texts[first, first + shown), centred in the area.
void placeCells(ListLayout& list, const CellTexts& texts, int first, int shown, QRect area,
                const QFont& font) {
    const QFont sized = withPixelSize(font, list.pixelSize);
    const double gap = kColumnGap * list.pixelSize;
    const double column = texts.width(sized) + gap;
    if (!texts.places.isEmpty()) {
        list.placeLeft = static_cast<int>(widest(sized, texts.texts) + kPlaceGap * list.pixelSize);
    }
    const double row = lineBox(sized).height * kRowSpacing;
    const double left = area.left() + (area.width() - (list.columns * column - gap)) / 2;
    const double top = area.top() + (area.height() - std::min(shown, list.rows) * row) / 2;
    for (int i = 0; i < shown; ++i) {
        const int c = i / list.rows;
        const int r = i % list.rows;
        list.cells << QRectF(left + c * column, top + r * row, column - gap, row).toRect();
        list.texts << texts.texts[first + i];
        if (!texts.places.isEmpty()) {
            list.places << texts.places[first + i];
        }
    }
}

// The prize, then for more than one page the count, the numbers' range and the page.
QString listHeading(const QList<Winner>& winners, const ListLayout& list, const QString& prize) {
    QStringList parts;
    if (!prize.isEmpty()) {
        parts << oneLine(prize);
    }
    if (list.pages > 1) {
        parts << QStringLiteral("本轮共%1人　[%2]～[%3]　第%4/%5页")
                     .arg(winners.size())
                     .arg(winners.front().number)
                     .arg(winners.back().number)
                     .arg(list.page + 1)
                     .arg(list.pages);
    }
    return parts.join(QStringLiteral("　"));
}

} // namespace

QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            c = QLatin1Char(' ');
        }
    }
    return text;
}

QFont withPixelSize(QFont font, int pixels) {
    font.setPixelSize(std::max(1, pixels));
    return font;
}

int fittingPixelSize(const QFont& font, const QString& text, QSizeF box, int most) {
    const QFont probe = withPixelSize(font, kProbePixels);
    const double width = std::max(1.0, widest(probe, {text}));
    const double height = lineBox(probe).height;
    int pixels = static_cast<int>(
        std::floor(kProbePixels * std::min(box.width() / width, box.height() / height)));
    most = std::max(1, most);
    pixels = std::clamp(pixels, 1, most);
    // Hinting keeps sizes from scaling exactly, either way: step down until the text really
    // fits, or up while a larger size still does.
    const auto fits = [&](int size) {
        const QFont sized = withPixelSize(font, size);
        return widest(sized, {text}) <= box.width() && lineBox(sized).height <= box.height();
    };
    while (pixels > 1 && !fits(pixels)) {
        --pixels;
    }
    while (pixels < most && fits(pixels + 1)) {
        ++pixels;
    }
    return pixels;
}

void drawLine(QPainter& painter, const QRectF& area, const QString& text, const QFont& font,
              Qt::Alignment alignment) {
    const LineBox box = lineBox(font);
    const double width = widest(font, {text});
    double x = area.left();
    if (alignment & Qt::AlignHCenter) {
        x += (area.width() - width) / 2;
    }
    const double top = area.top() + (area.height() - box.height) / 2;
    painter.setFont(font);
    painter.drawText(QPointF(x, top + box.ascent), text);
}

QList<Winner> winnersOf(const draw::RunView& run, std::span<const draw::ResultEntry> round) {
    QList<Winner> winners;
    winners.reserve(static_cast<qsizetype>(round.size()));
    // The waiting people who moved up since: their 候补 line says so.
    std::unordered_set<int> movedUp;
    for (const draw::ResultEntry& entry : run.results.entries()) {
        if (entry.replaces != 0) {
            movedUp.insert(entry.winner.line);
        }
    }
    for (const draw::ResultEntry& entry : round) {
        Winner& winner = winners.emplace_back(
            Winner{entry.number,
                   QString::fromStdString(draw::shownRow(run, entry.winner, draw::Place::Audience)),
                   entry.absent.has_value()});
        if (entry.waiting != 0) {
            winner.before = QStringLiteral("候补%1").arg(entry.waiting);
            if (movedUp.contains(entry.winner.line)) {
                winner.after = QStringLiteral("（已递补）");
            }
        }
        if (entry.replaces != 0) {
            winner.after = QStringLiteral("（递补[%1]）").arg(entry.replaces);
        }
        if (entry.place) {
            winner.place = QString::fromStdString(draw::placeText(*entry.place));
        }
    }
    return winners;
}

QString winnerText(const Winner& winner) {
    QString text = QStringLiteral("[%1] ").arg(winner.number);
    if (!winner.before.isEmpty()) {
        text += winner.before + u' ';
    }
    text += oneLine(winner.name) + winner.after;
    if (winner.absent) {
        text += kAbsentMark;
    }
    return text;
}

void drawWinner(QPainter& painter, const QRectF& cell, const QString& text, bool absent,
                const QFont& font, const QString& place, double placeLeft) {
    QFont struck = font;
    struck.setStrikeOut(true);
    if (!place.isEmpty()) {
        drawLine(painter, cell.adjusted(placeLeft, 0, 0, 0), oneLine(place), absent ? struck : font,
                 Qt::AlignLeft);
    }
    if (!absent || !text.endsWith(kAbsentMark)) {
        drawLine(painter, cell, text, font, Qt::AlignLeft);
        return;
    }
    const QString name = text.chopped(kAbsentMark.size());
    drawLine(painter, cell, name, struck, Qt::AlignLeft);
    const double advance = QFontMetricsF(font).horizontalAdvance(name);
    drawLine(painter, cell.adjusted(advance, 0, 0, 0), kAbsentMark.toString(), font, Qt::AlignLeft);
}

RollLines splitForPrize(QRect area) {
    const int prizeHeight = static_cast<int>(area.height() * kPrizeShare);
    const int gap = static_cast<int>(area.height() * kPadding);
    QRect name = area;
    name.setTop(area.top() + prizeHeight + gap);
    return {QRect(area.left(), area.top(), area.width(), prizeHeight), name};
}

ListLayout layOutWinners(const QList<Winner>& winners, int page, QRect box, const QFont& font,
                         int largestPixels, const QString& prize) {
    ListLayout list;
    const auto count = static_cast<int>(winners.size());
    if (count == 0) {
        return list;
    }
    list.pages = (count + kPageSize - 1) / kPageSize;
    list.page = std::clamp(page, 0, list.pages - 1);
    const int perPage = (count + list.pages - 1) / list.pages;
    const int first = list.page * perPage;

    CellTexts all;
    const bool places =
        std::ranges::any_of(winners, [](const Winner& winner) { return !winner.place.isEmpty(); });
    for (const Winner& winner : winners) {
        all.texts << winnerText(winner);
        if (places) {
            all.places << oneLine(winner.place);
        }
    }
    list.heading = listHeading(winners, list, prize);
    if (!list.heading.isEmpty()) {
        box.setTop(box.top() + static_cast<int>(box.height() * kHeadingHeight));
    }
    const int pad = static_cast<int>(box.height() * kPadding / 2);
    box.adjust(pad, pad, -pad, -pad);
    if (box.isEmpty()) {
        return list;
    }
    const double scale = chooseColumns(list, all, perPage, box, withPixelSize(font, kProbePixels));
    // No larger than the rolling text's box allows a line, and really fitting.
    list.pixelSize = fittingGridSize(
        list, all, box, font,
        std::min(static_cast<int>(std::floor(scale * kProbePixels)), largestPixels));
    const int shown = std::min(perPage, count - first);
    placeCells(list, all, first, shown, box, font);
    for (int i = 0; i < shown; ++i) {
        list.absent << winners[first + i].absent;
    }
    return list;
}

} // namespace kelvara::ui::audience
