#include "audience_screen.h"

#include <QApplication>
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
// The top strip holding the logo and the title.
constexpr double kTopStrip = 0.1;
// The shade behind text over a background picture in the default theme.
constexpr int kDefaultBandAlpha = 200;
// Pictures are read no larger than this covers: the logo's, and a prize's.
constexpr QSize kLogoCover(960, 240);
constexpr QSize kPrizeCover(600, 600);

// A prize picture stands beside text in a box of at most this many text heights' width.
constexpr double kPictureWidth = 1.5;

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

// While a round is on show its own prize stands above it, not the next one to be drawn: a
// hall reads the name above a winner as what they won. The next Start clears the round.
void AudienceScreen::showRun(const draw::RunView& run) {
    const QString roundPrize = run.roundOnShow.empty()
                                   ? QString()
                                   : fromUtf8(run.results.prizeName(run.roundOnShow.front().prize));
    setPrize(run.roundOnShow.empty() ? fromUtf8(run.results.prizeName(run.currentPrize))
                                     : roundPrize);
    showListedRound(audience::winnersOf(run, run.roundOnShow), roundPrize);
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
    if (isVisible()) {
        readPrizePicture(m_prize);
    }
    m_pacer.request(rollBox());
}

void AudienceScreen::showRound(QList<Winner> winners, const QString& prize) {
    m_winners = std::move(winners);
    m_roundPrize = prize;
    if (isVisible()) {
        readPrizePicture(oneLine(prize));
    }
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

void AudienceScreen::setLook(const audience::Look& look) {
    if (look == m_look) {
        return;
    }
    m_look = look;
    if (isVisible()) {
        readPictures();
    }
    layOutList();
    update();
}

void AudienceScreen::setPictureFolder(const QString& folder) {
    m_pictureFolder = folder;
    if (isVisible()) {
        readPictures();
    }
}

void AudienceScreen::setEventTitle(const QString& title) {
    if (oneLine(title) == m_eventTitle) {
        return;
    }
    m_eventTitle = oneLine(title);
    layOutList();
    update();
}

// Only what the look shows is read; a damaged picture is told once and not shown.
void AudienceScreen::readPictures() {
    m_background = {};
    m_logo = {};
    m_prizePictures.clear();
    m_scaled.clear();
    if (!m_pictureFolder.isEmpty()) {
        QScreen* const target = chosenScreen();
        const QSize screenSize =
            target != nullptr ? target->geometry().size() * target->devicePixelRatio() : size();
        if (m_look.background) {
            const audience::Picture picture =
                audience::readPicture(m_pictureFolder, audience::kBackgroundPicture, screenSize);
            m_background = picture.image;
            tellDamaged(picture, true);
        }
        if (m_look.logo) {
            const audience::Picture picture =
                audience::readPicture(m_pictureFolder, audience::kLogoPicture, kLogoCover);
            m_logo = picture.image;
            tellDamaged(picture, false);
        }
        readPrizePicture(m_prize);
        readPrizePicture(oneLine(m_roundPrize));
    }
    layOutList();
    update();
}

void AudienceScreen::readPrizePicture(const QString& prize) {
    if (!m_look.prizePictures || prize.isEmpty() || m_pictureFolder.isEmpty() ||
        m_prizePictures.contains(prize)) {
        return;
    }
    const audience::Picture picture = audience::readPicture(m_pictureFolder, prize, kPrizeCover);
    m_prizePictures.insert(prize, picture.image);
    tellDamaged(picture, false);
}

// Told after the current event, so that no message box opens inside a paint or the draw.
void AudienceScreen::tellDamaged(const audience::Picture& picture, bool background) {
    if (picture.state != audience::Picture::State::Damaged || m_told.contains(picture.file)) {
        return;
    }
    m_told.append(picture.file);
    if (m_tell) {
        QTimer::singleShot(
            0, this,
            [this, text = audience::pictureDamaged(picture.file, background)] { m_tell(text); });
    }
}

QImage AudienceScreen::prizePicture(const QString& prize) const {
    return m_look.prizePictures ? m_prizePictures.value(oneLine(prize)) : QImage();
}

// Scaled smoothly once per size, so that painting while rolling copies it.
QPixmap AudienceScreen::scaledPicture(const QImage& image, QSize size) const {
    const QString key =
        QStringLiteral("%1 %2x%3").arg(image.cacheKey()).arg(size.width()).arg(size.height());
    const auto kept = m_scaled.constFind(key);
    if (kept != m_scaled.constEnd()) {
        return *kept;
    }
    QPixmap pixmap = QPixmap::fromImage(
        image.scaled(size * devicePixelRatio(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(devicePixelRatio());
    m_scaled.insert(key, pixmap);
    return pixmap;
}

void AudienceScreen::open() {
    m_blank = false;
    readPictures();
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

// The logo and the title take a strip at the top when either is shown.
int AudienceScreen::topStripHeight() const {
    const bool logo = m_look.logo && !m_logo.isNull();
    const bool title = m_look.title && !m_eventTitle.isEmpty();
    return logo || title ? static_cast<int>(height() * kTopStrip) : 0;
}

QRect AudienceScreen::content() const {
    return rect().adjusted(0, topStripHeight(), 0, 0);
}

// Alone, the rolling text stands in the middle; above a list it takes less room.
QRect AudienceScreen::rollBox() const {
    const QRect r = content();
    const double share = rollAlone() ? kRollHeight : kRollHeightBesideList;
    const int width = static_cast<int>(r.width() * kRollWidth);
    const int height = static_cast<int>(r.height() * share);
    const int top = r.top() + (rollAlone() ? (r.height() - height) / 2
                                           : static_cast<int>(r.height() * kMargin));
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

// The prize's picture stands at the left of the rolling text's box, as high as the box.
QRect AudienceScreen::prizePictureArea() const {
    const QImage picture = prizePicture(m_prize);
    if (m_prize.isEmpty() || picture.isNull()) {
        return {};
    }
    const QRect inside = rollBoxInside();
    const int width =
        std::min(static_cast<int>(inside.height() * kPictureWidth), inside.width() / 3);
    QRect fitted =
        audience::fitRect(picture.size(), QRect(inside.topLeft(), QSize(width, inside.height())));
    fitted.moveLeft(inside.left());
    return fitted;
}

QRect AudienceScreen::rollArea() const {
    QRect inside = rollBoxInside();
    if (const QRect picture = prizePictureArea(); !picture.isEmpty()) {
        inside.setLeft(picture.right() + 1 + static_cast<int>(inside.height() * kPadding));
    }
    return m_prize.isEmpty() ? inside : splitForPrize(inside).name;
}

QRect AudienceScreen::prizeArea() const {
    if (m_prize.isEmpty()) {
        return {};
    }
    QRect inside = rollBoxInside();
    if (const QRect picture = prizePictureArea(); !picture.isEmpty()) {
        inside.setLeft(picture.right() + 1 + static_cast<int>(inside.height() * kPadding));
    }
    return splitForPrize(inside).prize;
}

QRect AudienceScreen::backgroundRect() const {
    return m_look.background && !m_background.isNull()
               ? audience::coverRect(m_background.size(), size())
               : QRect();
}

// Small, in the top left corner.
QRect AudienceScreen::logoArea() const {
    const int strip = topStripHeight();
    if (!m_look.logo || m_logo.isNull() || strip == 0) {
        return {};
    }
    const int margin = strip / 8;
    const QRect box(2 * margin, margin, strip * 3, strip - 2 * margin);
    QRect fitted = audience::fitRect(m_logo.size(), box);
    fitted.moveLeft(box.left());
    return fitted;
}

// Centred across the screen, clear of the logo.
QRect AudienceScreen::titleArea() const {
    const int strip = topStripHeight();
    if (!m_look.title || m_eventTitle.isEmpty() || strip == 0) {
        return {};
    }
    const int margin = strip / 8;
    const QRect logo = logoArea();
    const int side = logo.isEmpty() ? 2 * margin : logo.right() + 1 + 2 * margin;
    return {side, margin, width() - 2 * side, strip - 2 * margin};
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

QColor AudienceScreen::backColour() const {
    const auto theme = audience::themeColours(m_look.theme);
    return theme ? theme->background : m_mainWindow.palette().color(QPalette::Window);
}

QColor AudienceScreen::textColour() const {
    const auto theme = audience::themeColours(m_look.theme);
    return theme ? theme->text : m_label.palette().color(QPalette::WindowText);
}

QColor AudienceScreen::prizeColour() const {
    const auto theme = audience::themeColours(m_look.theme);
    return theme ? theme->prizeText : m_label.palette().color(QPalette::WindowText);
}

// The default theme's band is the label's background, shading a picture behind it.
QColor AudienceScreen::bandColour() const {
    if (const auto theme = audience::themeColours(m_look.theme)) {
        return theme->band;
    }
    QColor band = m_label.palette().color(QPalette::Window);
    if (!backgroundRect().isEmpty()) {
        band.setAlpha(kDefaultBandAlpha);
    }
    return band;
}

// Drawn again only when the size, the layout, the colours or the pictures change.
const QPixmap& AudienceScreen::backdrop() {
    const QRect roll = rollBox();
    const QStringList parts = {QString::number(width()),
                               QString::number(height()),
                               QString::number(devicePixelRatio()),
                               QString::number(roll.top()),
                               QString::number(roll.height()),
                               backColour().name(QColor::HexArgb),
                               bandColour().name(QColor::HexArgb),
                               prizeColour().name(QColor::HexArgb),
                               QString::number(m_background.cacheKey()),
                               QString::number(m_logo.cacheKey()),
                               m_look.theme,
                               QString::number(static_cast<int>(m_look.background)),
                               QString::number(static_cast<int>(m_look.logo)),
                               QString::number(static_cast<int>(m_look.title)),
                               m_eventTitle,
                               m_label.font().toString()};
    const QString key = parts.join(u'|');
    if (key == m_backdropKey && !m_backdrop.isNull()) {
        return m_backdrop;
    }
    m_backdropKey = key;
    m_backdrop = QPixmap(size() * devicePixelRatio());
    m_backdrop.setDevicePixelRatio(devicePixelRatio());
    QPainter painter(&m_backdrop);
    painter.fillRect(rect(), backColour());
    if (const QRect cover = backgroundRect(); !cover.isEmpty()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(cover, m_background);
    }
    paintTop(painter);
    painter.fillRect(roll, bandColour());
    return m_backdrop;
}

void AudienceScreen::paintEvent(QPaintEvent* event) {
    static_cast<void>(event);
    m_pacer.painted();
    QPainter painter(this);
    if (m_blank) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawPixmap(0, 0, backdrop());
    paintRoll(painter);
    paintList(painter);
    paintVerifiable(painter);
    paintRehearsal(painter);
}

void AudienceScreen::setRehearsal(bool rehearsal) {
    m_rehearsal = rehearsal;
    update();
}

QRect AudienceScreen::rehearsalArea() const {
    if (!m_rehearsal) {
        return {};
    }
    const int high = std::max(24, height() / 12);
    const int wide = high * 2;
    return {width() - wide - high / 4, high / 4, wide, high};
}

// Black on yellow, readable on any theme or picture.
void AudienceScreen::paintRehearsal(QPainter& painter) const {
    const QRect area = rehearsalArea();
    if (area.isEmpty()) {
        return;
    }
    painter.fillRect(area, QColor(255, 212, 0));
    painter.setPen(Qt::black);
    const QString mark = QStringLiteral("演练");
    const int pixels =
        fittingPixelSize(m_label.font(), mark, QSizeF(area.size()) * 0.8, area.height());
    drawLine(painter, area, mark, labelFont(pixels), Qt::AlignHCenter);
}

// The logo and the title on a band across the top.
void AudienceScreen::paintTop(QPainter& painter) const {
    const int strip = topStripHeight();
    if (strip == 0) {
        return;
    }
    painter.fillRect(QRect(0, 0, width(), strip), bandColour());
    if (const QRect logo = logoArea(); !logo.isEmpty()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(logo, m_logo);
    }
    if (const QRect title = titleArea(); !title.isEmpty()) {
        painter.setPen(prizeColour());
        const int pixels =
            fittingPixelSize(m_label.font(), m_eventTitle, title.size(), title.height() * 8 / 10);
        drawLine(painter, title, m_eventTitle, labelFont(pixels), Qt::AlignHCenter);
    }
}

void AudienceScreen::paintRoll(QPainter& painter) const {
    if (!m_prize.isEmpty()) {
        if (const QRect picture = prizePictureArea(); !picture.isEmpty()) {
            painter.drawPixmap(picture.topLeft(),
                               scaledPicture(prizePicture(m_prize), picture.size()));
        }
        painter.setPen(prizeColour());
        drawLine(painter, prizeArea(), m_prize, prizeFont(), Qt::AlignHCenter);
    }
    painter.setPen(textColour());
    drawLine(painter, rollArea(), m_rollText, rollFont(), Qt::AlignHCenter);
}

QRect AudienceScreen::headingArea() const {
    const QRect box = listBox();
    const int pad = static_cast<int>(box.height() * kPadding / 2);
    return {box.left() + pad, box.top() + pad, box.width() - 2 * pad,
            static_cast<int>(box.height() * kHeadingHeight) - pad};
}

// The picture keeps a heading's height at the left of its text; the text stays centred.
QRect AudienceScreen::roundPrizePictureArea() const {
    const QImage picture = prizePicture(m_roundPrize);
    if (m_list.heading.isEmpty() || picture.isNull()) {
        return {};
    }
    const QRect heading = headingArea();
    const int side = heading.height();
    const QRect text = heading.adjusted(side + side / 4, 0, -side - side / 4, 0);
    const int pixels =
        fittingPixelSize(m_label.font(), m_list.heading, text.size(), m_list.pixelSize);
    const QFontMetricsF metrics(labelFont(pixels));
    const int textLeft =
        text.center().x() - static_cast<int>(metrics.horizontalAdvance(m_list.heading) / 2);
    QRect fitted = audience::fitRect(picture.size(), QRect(0, heading.top(), side, side));
    fitted.moveRight(textLeft - side / 4);
    return fitted;
}

void AudienceScreen::paintList(QPainter& painter) const {
    if (m_list.cells.isEmpty()) {
        return;
    }
    const QRect box = listBox();
    const int pad = static_cast<int>(box.height() * kPadding / 2);
    // The panel holds the names with a margin, the heading's line included.
    QRect panel;
    for (const QRect& cell : m_list.cells) {
        panel |= cell;
    }
    if (!m_list.heading.isEmpty()) {
        panel = box;
    }
    painter.fillRect(panel.adjusted(-m_list.pixelSize, -pad, m_list.pixelSize, pad) & box,
                     bandColour());
    if (!m_list.heading.isEmpty()) {
        QRect heading = headingArea();
        if (const QRect picture = roundPrizePictureArea(); !picture.isEmpty()) {
            painter.drawPixmap(picture.topLeft(),
                               scaledPicture(prizePicture(m_roundPrize), picture.size()));
            const int side = heading.height();
            heading.adjust(side + side / 4, 0, -side - side / 4, 0);
        }
        painter.setPen(prizeColour());
        const int pixels =
            fittingPixelSize(m_label.font(), m_list.heading, heading.size(), m_list.pixelSize);
        drawLine(painter, heading, m_list.heading, labelFont(pixels), Qt::AlignHCenter);
    }
    painter.setPen(textColour());
    const QFont font = labelFont(m_list.pixelSize);
    for (qsizetype i = 0; i < m_list.cells.size(); ++i) {
        drawWinner(painter, m_list.cells[i], m_list.texts[i], m_list.absent[i], font,
                   i < m_list.places.size() ? m_list.places[i] : QString(), m_list.placeLeft);
    }
}

// The panel fills the list's place, a line each, as large as the longest allows; the
// footer keeps to the bottom margin.
void AudienceScreen::paintVerifiable(QPainter& painter) const {
    if (m_winners.isEmpty() && !m_verifiablePanel.isEmpty()) {
        const QRect box = listBox();
        painter.fillRect(box, bandColour());
        painter.setPen(textColour());
        audience::drawPanelLines(painter, box, m_verifiablePanel, m_label.font());
        return;
    }
    if (!m_winners.isEmpty() && !m_verifiableFooter.isEmpty()) {
        const int margin = static_cast<int>(height() * kMargin);
        const QRect footer(rollBox().left(), height() - margin, rollBox().width(), margin);
        const bool themed = audience::themeColours(m_look.theme).has_value();
        if (!backgroundRect().isEmpty()) {
            painter.fillRect(footer, bandColour());
        }
        painter.setPen(themed ? textColour() : m_mainWindow.palette().color(QPalette::WindowText));
        const int pixels =
            fittingPixelSize(m_label.font(), m_verifiableFooter, footer.size(), margin * 6 / 10);
        drawLine(painter, footer, m_verifiableFooter, labelFont(pixels), Qt::AlignHCenter);
    }
}

} // namespace kelvara::ui
