#include "audience_screen.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "ui/main/roll_label.h"

namespace kelvara::ui {

namespace {

// Shares of the screen: the rolling text's box, and the margins around it and the list.
constexpr double kRollWidth = 0.9;
constexpr double kRollHeight = 0.4;
constexpr double kRollHeightBesideList = 0.2;
constexpr double kMargin = 0.04;
// Inside a box, the text keeps this share of the box's height from its edges.
constexpr double kPadding = 0.06;
// Between columns, in ems; rows are this much taller than a line.
constexpr double kColumnGap = 0.8;
constexpr double kRowSpacing = 1.1;
// The page heading's share of the list's box.
constexpr double kHeadingHeight = 0.12;
// Measurements are taken at this size and scaled.
constexpr int kProbePixels = 100;

// Tabs and line breaks inside names show as blanks, so every name keeps one line.
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

// The largest pixel size, up to most, at which text fits the box on one line.
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

} // namespace

AudienceScreen::AudienceScreen(QWidget& mainWindow, RollLabel& label)
    : QWidget(&mainWindow, Qt::Window | Qt::FramelessWindowHint), m_mainWindow(mainWindow),
      m_label(label) {
    setObjectName(QStringLiteral("AudienceScreen"));
    setWindowTitle(QStringLiteral("摇号 - 观众画面"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::BlankCursor);
    m_rollText = label.text();
    // Fonts and colours are read when painting; a change of them repaints.
    m_mainWindow.installEventFilter(this);
    label.installEventFilter(this);
    followScreens();
}

void AudienceScreen::setRollText(const QString& text) {
    const QString line = oneLine(text);
    if (line == m_rollText) {
        return;
    }
    m_rollText = line;
    m_pacer.request(rollBox());
}

void AudienceScreen::showRound(QList<Winner> winners) {
    m_winners = std::move(winners);
    m_list.page = 0;
    layOutList();
    update();
}

void AudienceScreen::clearRound() {
    if (m_winners.isEmpty()) {
        return;
    }
    m_winners.clear();
    layOutList();
    update();
}

void AudienceScreen::open() {
    m_blank = false;
    placeOnScreen();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

// A screen other than the main window's; the main window's own when there is no other.
QScreen* AudienceScreen::chosenScreen() const {
    QScreen* const operatorScreen = m_mainWindow.screen();
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto other = std::find_if(screens.begin(), screens.end(),
                                    [operatorScreen](QScreen* s) { return s != operatorScreen; });
    if (other != screens.end()) {
        return *other;
    }
    return operatorScreen != nullptr ? operatorScreen : QGuiApplication::primaryScreen();
}

// A projector plugged in or out while the view is open: it moves to the screen it would
// choose now, once Qt has settled its windows on the remaining screens.
void AudienceScreen::followScreens() {
    const auto replace = [this] {
        if (isVisible()) {
            QTimer::singleShot(0, this, &AudienceScreen::placeOnScreen);
        }
    };
    connect(qApp, &QGuiApplication::screenAdded, this, replace);
    connect(qApp, &QGuiApplication::screenRemoved, this, replace);
}

void AudienceScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    connect(windowHandle(), &QWindow::screenChanged, this, &AudienceScreen::placeOnScreen,
            Qt::UniqueConnection);
}

void AudienceScreen::placeOnScreen() {
    QScreen* const target = chosenScreen();
    if (target == nullptr) {
        return;
    }
    const QRect area = target->geometry();
    if (isVisible() && screen() == target && geometry() == area && isFullScreen()) {
        return;
    }
    // A window manager puts a full-screen window on the monitor that holds it, so the
    // window goes there as a normal window first.
    if (isFullScreen()) {
        showNormal();
    }
    setScreen(target);
    setGeometry(area);
    showFullScreen();
}

void AudienceScreen::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_F11:
    case Qt::Key_Escape:
        if (!event->isAutoRepeat()) {
            close();
            m_mainWindow.activateWindow();
        }
        return;
    case Qt::Key_Up:
        turnPage(-1);
        return;
    case Qt::Key_Down:
        turnPage(1);
        return;
    case Qt::Key_B:
    case Qt::Key_Period:
        if (!event->isAutoRepeat()) {
            m_blank = !m_blank;
            update();
        }
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void AudienceScreen::turnPage(int step) {
    const int page = std::clamp(m_list.page + step, 0, std::max(0, m_list.pages - 1));
    if (page == m_list.page) {
        return;
    }
    m_list.page = page;
    layOutList();
    update();
}

bool AudienceScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        layOutList();
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void AudienceScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutList();
}

// Alone, the rolling text stands in the middle; above a list it takes less room.
QRect AudienceScreen::rollBox() const {
    const QRect r = rect();
    const double share = m_winners.isEmpty() ? kRollHeight : kRollHeightBesideList;
    const int width = static_cast<int>(r.width() * kRollWidth);
    const int height = static_cast<int>(r.height() * share);
    const int top =
        m_winners.isEmpty() ? (r.height() - height) / 2 : static_cast<int>(r.height() * kMargin);
    return {(r.width() - width) / 2, top, width, height};
}

QRect AudienceScreen::listBox() const {
    const QRect roll = rollBox();
    const int margin = static_cast<int>(height() * kMargin);
    const int top = roll.bottom() + 1 + margin;
    return {roll.left(), top, roll.width(), std::max(0, height() - margin - top)};
}

QRect AudienceScreen::rollArea() const {
    const QRect box = rollBox();
    const int pad = static_cast<int>(box.height() * kPadding);
    return box.adjusted(pad, pad, -pad, -pad);
}

QFont AudienceScreen::labelFont(int pixelSize) const {
    // Family and weight are the label's; the size is the view's own.
    return withPixelSize(m_label.font(), pixelSize);
}

QFont AudienceScreen::rollFont() const {
    const QRect area = rollArea();
    return labelFont(fittingPixelSize(m_label.font(), m_rollText, area.size(), area.height()));
}

// Every page has the same columns and size, made for the fullest page; the numbers run
// down the columns.
void AudienceScreen::layOutList() {
    const int page = m_list.page;
    m_list = ListLayout{};
    const auto count = static_cast<int>(m_winners.size());
    if (count == 0) {
        return;
    }
    m_list.pages = (count + kPageSize - 1) / kPageSize;
    m_list.page = std::clamp(page, 0, m_list.pages - 1);
    const int perPage = (count + m_list.pages - 1) / m_list.pages;
    const int first = m_list.page * perPage;
    const int shown = std::min(perPage, count - first);

    QStringList all;
    for (const Winner& winner : m_winners) {
        all << QStringLiteral("[%1] %2").arg(winner.number).arg(oneLine(winner.name));
    }

    QRect area = listBox();
    if (m_list.pages > 1) {
        m_list.heading = QStringLiteral("本轮共%1人　[%2]～[%3]　第%4/%5页")
                             .arg(count)
                             .arg(m_winners.front().number)
                             .arg(m_winners.back().number)
                             .arg(m_list.page + 1)
                             .arg(m_list.pages);
        area.setTop(area.top() + static_cast<int>(area.height() * kHeadingHeight));
    }
    const int pad = static_cast<int>(area.height() * kPadding / 2);
    area.adjust(pad, pad, -pad, -pad);
    if (area.isEmpty()) {
        return;
    }

    // The column count that gives the largest text, at the probe size.
    const QFont probe = labelFont(kProbePixels);
    const double cellWidth = widest(probe, all) + kColumnGap * kProbePixels;
    const double rowHeight = lineBox(probe).height * kRowSpacing;
    double best = 0;
    for (int columns = 1; columns <= perPage; ++columns) {
        const int rows = (perPage + columns - 1) / columns;
        const double scale =
            std::min(area.width() / (columns * cellWidth - kColumnGap * kProbePixels),
                     area.height() / (rows * rowHeight));
        if (scale > best) {
            best = scale;
            m_list.columns = columns;
            m_list.rows = rows;
        }
    }
    m_list.columns = (perPage + m_list.rows - 1) / m_list.rows;

    // No larger than the rolling text's box allows a line, and really fitting.
    int pixels = std::min(static_cast<int>(std::floor(best * kProbePixels)),
                          static_cast<int>(rollArea().height() * 0.8));
    auto fits = [&](int size) {
        const QFont font = labelFont(size);
        const double gap = kColumnGap * size;
        return m_list.columns * (widest(font, all) + gap) - gap <= area.width() &&
               m_list.rows * lineBox(font).height * kRowSpacing <= area.height();
    };
    while (pixels > 1 && !fits(pixels)) {
        --pixels;
    }
    m_list.pixelSize = std::max(1, pixels);

    const QFont font = labelFont(m_list.pixelSize);
    const double gap = kColumnGap * m_list.pixelSize;
    const double column = widest(font, all) + gap;
    const double row = lineBox(font).height * kRowSpacing;
    const double left = area.left() + (area.width() - (m_list.columns * column - gap)) / 2;
    const double top = area.top() + (area.height() - std::min(shown, m_list.rows) * row) / 2;
    for (int i = 0; i < shown; ++i) {
        const int c = i / m_list.rows;
        const int r = i % m_list.rows;
        m_list.cells << QRectF(left + c * column, top + r * row, column - gap, row).toRect();
        m_list.texts << all[first + i];
    }
}

void AudienceScreen::paintEvent(QPaintEvent* event) {
    static_cast<void>(event);
    m_pacer.painted();
    QPainter painter(this);
    if (m_blank) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.fillRect(rect(), m_mainWindow.palette().color(QPalette::Window));
    paintRoll(painter);
    paintList(painter);
}

void AudienceScreen::paintRoll(QPainter& painter) const {
    const QPalette& colours = m_label.palette();
    painter.fillRect(rollBox(), colours.color(QPalette::Window));
    painter.setPen(colours.color(QPalette::WindowText));
    drawLine(painter, rollArea(), m_rollText, rollFont(), Qt::AlignHCenter);
}

void AudienceScreen::paintList(QPainter& painter) const {
    if (m_list.cells.isEmpty()) {
        return;
    }
    const QPalette& colours = m_label.palette();
    const QRect box = listBox();
    const int pad = static_cast<int>(box.height() * kPadding / 2);
    // The panel holds the names with a margin, the heading's line included.
    QRect panel;
    for (const QRect& cell : m_list.cells) {
        panel |= cell;
    }
    const QRect heading(box.left() + pad, box.top() + pad, box.width() - 2 * pad,
                        static_cast<int>(box.height() * kHeadingHeight) - pad);
    if (!m_list.heading.isEmpty()) {
        panel = box;
    }
    painter.fillRect(panel.adjusted(-m_list.pixelSize, -pad, m_list.pixelSize, pad) & box,
                     colours.color(QPalette::Window));
    painter.setPen(colours.color(QPalette::WindowText));
    if (!m_list.heading.isEmpty()) {
        const int pixels =
            fittingPixelSize(m_label.font(), m_list.heading, heading.size(), m_list.pixelSize);
        drawLine(painter, heading, m_list.heading, labelFont(pixels), Qt::AlignHCenter);
    }
    const QFont font = labelFont(m_list.pixelSize);
    for (qsizetype i = 0; i < m_list.cells.size(); ++i) {
        drawLine(painter, m_list.cells[i], m_list.texts[i], font, Qt::AlignLeft);
    }
}

} // namespace kelvara::ui
