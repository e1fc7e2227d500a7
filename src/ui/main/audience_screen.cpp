#include "audience_screen.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "ui/main/audience_verifiable.h"
#include "ui/main/roll_label.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

using audience::drawLine;
using audience::drawWinner;
using audience::fittingPixelSize;
using audience::kHeadingHeight;
using audience::kPadding;
using audience::oneLine;
using audience::splitForPrize;
using audience::withPixelSize;

// Shares of the screen: the rolling text's box, and the margins around it and the list.
constexpr double kRollWidth = 0.9;
constexpr double kRollHeight = 0.4;
constexpr double kRollHeightBesideList = 0.2;
constexpr double kMargin = 0.04;

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

void AudienceScreen::showRun(const draw::RunView& run) {
    setPrize(fromUtf8(run.results.prizeName(run.currentPrize)));
    showListedRound(audience::winnersOf(run, run.roundOnShow),
                    run.roundOnShow.empty()
                        ? QString()
                        : fromUtf8(run.results.prizeName(run.roundOnShow.front().prize)));
    m_verifiableFacts = run.verifiable != nullptr
                            ? std::optional(output::verifiableFacts(*run.verifiable))
                            : std::nullopt;
    showVerifiableFacts();
}

// A round already on show keeps its page; only its marks change.
void AudienceScreen::showListedRound(QList<Winner> winners, const QString& prize) {
    if (winners.empty()) {
        clearRound();
        return;
    }
    const auto sameRows = [&] {
        return std::ranges::equal(winners, m_winners,
                                  [](const Winner& a, const Winner& b) { return a.sameRow(b); });
    };
    if (winners.size() != m_winners.size() || !sameRows() || prize != m_roundPrize) {
        showRound(std::move(winners), prize);
        return;
    }
    for (const Winner& winner : winners) {
        setAbsent(winner.number, winner.absent);
    }
}

void AudienceScreen::setWitnessParts(const QStringList& parts) {
    m_witnessParts = parts;
    showVerifiableFacts();
}

void AudienceScreen::showVerifiableFacts() {
    const audience::VerifiableLines lines =
        m_verifiableFacts ? audience::verifiableLines(*m_verifiableFacts, m_witnessParts)
                          : audience::VerifiableLines{};
    setVerifiable(lines.panel, lines.footer);
}

void AudienceScreen::setRollText(const QString& text) {
    const QString line = oneLine(text);
    if (line == m_rollText) {
        return;
    }
    m_rollText = line;
    m_pacer.request(rollBox());
}

void AudienceScreen::setPrize(const QString& prize) {
    const QString line = oneLine(prize);
    if (line == m_prize) {
        return;
    }
    m_prize = line;
    m_pacer.request(rollBox());
}

void AudienceScreen::showRound(QList<Winner> winners, const QString& prize) {
    m_winners = std::move(winners);
    m_roundPrize = prize;
    m_list.page = 0;
    layOutList();
    update();
}

void AudienceScreen::setAbsent(int number, bool absent) {
    const auto winner = std::find_if(m_winners.begin(), m_winners.end(),
                                     [number](const Winner& w) { return w.number == number; });
    if (winner == m_winners.end() || winner->absent == absent) {
        return;
    }
    winner->absent = absent;
    // The mark widens the name, which may make the whole list smaller.
    layOutList();
    update(listBox());
}

void AudienceScreen::setVerifiable(const QStringList& panel, const QString& footer) {
    if (panel == m_verifiablePanel && oneLine(footer) == m_verifiableFooter) {
        return;
    }
    m_verifiablePanel = panel;
    m_verifiableFooter = oneLine(footer);
    layOutList();
    update();
}

void AudienceScreen::clearRound() {
    m_roundPrize.clear();
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
// choose now, once Qt has settled its windows on the remaining screens. The presenter
// clicker keeps working: the view keeps the keyboard it had, and takes it when the move
// left no window of the program with it.
void AudienceScreen::followScreens() {
    const auto replace = [this] {
        if (!isVisible()) {
            return;
        }
        const bool hadKeyboard = isActiveWindow();
        QTimer::singleShot(0, this, [this, hadKeyboard] {
            placeOnScreen();
            if (hadKeyboard || QApplication::activeWindow() == nullptr) {
                activateWindow();
            }
        });
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
    case Qt::Key_F8:
    case Qt::Key_M:
        if (!event->isAutoRepeat()) {
            emit muteKeyPressed();
        }
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
    const double share = rollAlone() ? kRollHeight : kRollHeightBesideList;
    const int width = static_cast<int>(r.width() * kRollWidth);
    const int height = static_cast<int>(r.height() * share);
    const int top =
        rollAlone() ? (r.height() - height) / 2 : static_cast<int>(r.height() * kMargin);
    return {(r.width() - width) / 2, top, width, height};
}

QRect AudienceScreen::listBox() const {
    const QRect roll = rollBox();
    const int margin = static_cast<int>(height() * kMargin);
    const int top = roll.bottom() + 1 + margin;
    return {roll.left(), top, roll.width(), std::max(0, height() - margin - top)};
}

// The rolling text's box less its padding: the name's, and the prize's line when there is one.
QRect AudienceScreen::rollBoxInside() const {
    const QRect box = rollBox();
    const int pad = static_cast<int>(box.height() * kPadding);
    return box.adjusted(pad, pad, -pad, -pad);
}

QRect AudienceScreen::rollArea() const {
    return m_prize.isEmpty() ? rollBoxInside() : splitForPrize(rollBoxInside()).name;
}

QRect AudienceScreen::prizeArea() const {
    return m_prize.isEmpty() ? QRect() : splitForPrize(rollBoxInside()).prize;
}

QFont AudienceScreen::labelFont(int pixelSize) const {
    // Family and weight are the label's; the size is the view's own.
    return withPixelSize(m_label.font(), pixelSize);
}

QFont AudienceScreen::rollFont() const {
    const QRect area = rollArea();
    return labelFont(fittingPixelSize(m_label.font(), m_rollText, area.size(), area.height()));
}

QFont AudienceScreen::prizeFont() const {
    const QRect area = prizeArea();
    return labelFont(fittingPixelSize(m_label.font(), m_prize, area.size(), area.height()));
}

void AudienceScreen::layOutList() {
    m_list =
        audience::layOutWinners(m_winners, m_list.page, listBox(), m_label.font(),
                                static_cast<int>(rollBoxInside().height() * 0.8), m_roundPrize);
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
    paintVerifiable(painter);
}

void AudienceScreen::paintRoll(QPainter& painter) const {
    const QPalette& colours = m_label.palette();
    painter.fillRect(rollBox(), colours.color(QPalette::Window));
    painter.setPen(colours.color(QPalette::WindowText));
    if (!m_prize.isEmpty()) {
        drawLine(painter, prizeArea(), m_prize, prizeFont(), Qt::AlignHCenter);
    }
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
        drawWinner(painter, m_list.cells[i], m_list.texts[i], m_list.absent[i], font,
                   i < m_list.places.size() ? m_list.places[i] : QString(), m_list.placeLeft);
    }
}

// The panel fills the list's place, a line each, as large as the longest allows; the
// footer keeps to the bottom margin.
void AudienceScreen::paintVerifiable(QPainter& painter) const {
    const QPalette& colours = m_label.palette();
    if (m_winners.isEmpty() && !m_verifiablePanel.isEmpty()) {
        const QRect box = listBox();
        painter.fillRect(box, colours.color(QPalette::Window));
        painter.setPen(colours.color(QPalette::WindowText));
        audience::drawPanelLines(painter, box, m_verifiablePanel, m_label.font());
        return;
    }
    if (!m_winners.isEmpty() && !m_verifiableFooter.isEmpty()) {
        const int margin = static_cast<int>(height() * kMargin);
        const QRect footer(rollBox().left(), height() - margin, rollBox().width(), margin);
        painter.setPen(m_mainWindow.palette().color(QPalette::WindowText));
        const int pixels =
            fittingPixelSize(m_label.font(), m_verifiableFooter, footer.size(), margin * 6 / 10);
        drawLine(painter, footer, m_verifiableFooter, labelFont(pixels), Qt::AlignHCenter);
    }
}

} // namespace kelvara::ui
