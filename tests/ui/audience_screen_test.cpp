#include <QApplication>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "ui/main/audience_screen.h"
#include "ui/main/palette_color.h"
#include "ui/main/roll_label.h"
#include "ui/main_window_session.h"
#include "ui/window_helpers.h"

using namespace Qt::StringLiterals;

using kelvara::testing::kStart;
using kelvara::testing::kStop;
using kelvara::testing::Session;
using kelvara::testing::typeKey;
using kelvara::ui::AudienceScreen;
using kelvara::ui::RollLabel;

namespace {

std::string names(int count) {
    static const char* const family[] = {"张", "王", "李", "赵", "刘", "陈", "欧阳", "司马"};
    static const char* const given[] = {"伟", "芳", "娜", "敏", "静", "磊", "洋", "艳", "勇", "军"};
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::string(family[i % 8]) + given[(i / 8) % 10] + std::to_string(i) + "\r\n";
    }
    return text;
}

AudienceScreen& audience(const Session& s) {
    return *s.control<AudienceScreen>("AudienceScreen");
}

// The view alone at a projector's size, over a stand-in main window and label.
struct LoneView {
    LoneView() : label(&mainWindow), view(mainWindow, label) {
        label.setFont(kelvara::ui::boldFont(QStringLiteral("黑体"), 42));
        view.resize(1920, 1080);
    }
    void showRound(int count, int firstNumber = 1, const QString& prize = {}) {
        QList<AudienceScreen::Winner> winners;
        for (int i = 0; i < count; ++i) {
            winners.push_back({firstNumber + i, QStringLiteral("张伟%1").arg(i)});
        }
        view.showRound(winners, prize);
    }
    QImage image() { return view.grab().toImage(); }
    QWidget mainWindow;
    RollLabel label;
    AudienceScreen view;
};

bool fitsOneLine(const QFont& font, const QString& text, const QRect& area) {
    const QFontMetricsF metrics(font);
    const double width =
        std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width());
    return width <= area.width() && kelvara::ui::lineBox(font).height <= area.height();
}

QColor pixel(QWidget& widget, QPoint at) {
    return widget.grab().toImage().pixelColor(at);
}

int pixelsChanged(const QImage& before, const QImage& after, const QRect& area) {
    int changed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            changed += before.pixel(x, y) != after.pixel(x, y) ? 1 : 0;
        }
    }
    return changed;
}

// Whether some row of the cell is inked all along its first `length` pixels, as a line
// struck through the text is and a row of letters with a blank between them is not.
bool inkedAcross(const QImage& image, const QRect& cell, int length, QColor background) {
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        bool inked = true;
        for (int x = cell.left() + 1; inked && x < cell.left() + length - 1; ++x) {
            inked = image.pixelColor(x, y) != background;
        }
        if (inked) {
            return true;
        }
    }
    return false;
}

} // namespace

class AudienceScreenTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheAudiencesScreen();
    void followsTheLabelTheListingAndTheBackground();
    void clickerKeysStartAndStop_data();
    void clickerKeysStartAndStop();
    void aKeyHeldAcrossTheWindowsActsOnce();
    void blankAndClose();
    void rollTextFits_data();
    void rollTextFits();
    void prizeLineFits_data();
    void prizeLineFits();
    void columnLayout_data();
    void columnLayout();
    void pagesTurnWithUpAndDown();
    void absentWinnersStayListedAndMarked();
    void procedureRoundsShowPlacesAndWaitingNumbers();
    void verifiablePanelAndFooter();
    void rollingPaintsOncePerScreenRefresh();
};

// Another screen when there is one (the projector), else over the main window.
void AudienceScreenTest::opensOnTheAudiencesScreen() {
    Session s;
    QVERIFY(s.ok);
    QVERIFY(!audience(s).isVisible());
    QTest::keyClick(s.window.get(), Qt::Key_F11);
    AudienceScreen& view = audience(s);
    QVERIFY(view.isVisible());
    QVERIFY(view.isFullScreen());
    QVERIFY(view.windowFlags().testFlag(Qt::FramelessWindowHint));
    QTRY_COMPARE(QApplication::focusWidget(), &view);
    const QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* const expected = screens.size() > 1 ? screens[1] : s.window->screen();
    QCOMPARE(s.window->screen(), screens[0]);
    QCOMPARE(view.screen(), expected);
    QTRY_COMPARE(view.geometry(), expected->geometry());

    QTest::keyClick(&view, Qt::Key_F11);
    QVERIFY(!view.isVisible());
}

void AudienceScreenTest::followsTheLabelTheListingAndTheBackground() {
    Session s(names(60));
    QVERIFY(s.ok);
    QTest::keyClick(s.window.get(), Qt::Key_F11);
    AudienceScreen& view = audience(s);
    QCOMPARE(view.rollText(), QStringLiteral("摇号"));
    s.click("Cmd_Init");
    QCOMPARE(view.rollText(), QStringLiteral("共60条数据！"));

    s.control<QLineEdit>("Txt_Num")->setText(QStringLiteral("3"));
    s.click("Cmd_Start");
    QVERIFY(view.listLayout().cells.isEmpty());
    const QString first = view.rollText();
    QTRY_VERIFY(view.rollText() != first);
    QCOMPARE(view.rollText(), s.rollText());
    s.click("Cmd_Start");
    QTRY_COMPARE(view.listLayout().texts.size(), 3);

    // The listed round as the results box has it, "[n]:<TAB>name" shown as "[n] name".
    QStringList listed;
    for (const auto& line :
         QString::fromStdString(s.window->resultsText()).split(QStringLiteral("\r\n"))) {
        if (line.startsWith(QLatin1Char('['))) {
            listed << QString(line).replace(QStringLiteral("]:\t"), QStringLiteral("] "));
        }
    }
    QCOMPARE(view.listLayout().texts, listed);
    QCOMPARE(view.rollText(), s.rollText());

    // The label's font family and weight, at the view's own size.
    s.control<QListWidget>("List_Fonts_Roll")->setCurrentRow(0);
    QCOMPARE(view.rollFont().family(), QStringLiteral("宋体"));
    QVERIFY(view.rollFont().bold());

    // Colours: the screen in the window's background, the text's box in the label's.
    const QPoint corner(2, 2);
    const QPoint inBox = view.rollArea().topLeft();
    QCOMPARE(pixel(view, corner), QColor(255, 0, 0));
    QCOMPARE(pixel(view, inBox), QColor(128, 255, 255));
    s.control<QScrollBar>("VScroll_Color_Frame")->setValue(1);
    s.control<QScrollBar>("HScroll_Color_Roll_Back")->setValue(14);
    QCOMPARE(pixel(view, corner), kelvara::ui::PaletteColor(1));
    QCOMPARE(pixel(view, inBox), kelvara::ui::PaletteColor(14));

    // The next round clears the last one's list.
    s.click("Cmd_Start");
    QVERIFY(view.listLayout().cells.isEmpty());
}

void AudienceScreenTest::clickerKeysStartAndStop_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("PageDown") << int(Qt::Key_PageDown);
    QTest::newRow("PageUp") << int(Qt::Key_PageUp);
}

// Each key a clicker sends starts a round and stops it, once per press.
void AudienceScreenTest::clickerKeysStartAndStop() {
    QFETCH(int, key);
    Session s(names(60));
    QVERIFY(s.ok);
    s.click("Cmd_Init");
    QTest::keyClick(s.window.get(), Qt::Key_F11);
    AudienceScreen& view = audience(s);
    QTRY_COMPARE(QApplication::focusWidget(), &view);

    typeKey(&view, Qt::Key(key));
    QCOMPARE(s.startCaption(), kStop);
    QVERIFY(s.rolling());
    typeKey(&view, Qt::Key(key));
    QCOMPARE(s.startCaption(), kStart);
    QTRY_COMPARE(view.listLayout().texts.size(), 1);
    QVERIFY(s.window->resultsText().find("[2]:") == std::string::npos);
    QVERIFY(s.services.messages.empty());
}

// Enter pressed in the main window and still held when its repeats reach the view.
void AudienceScreenTest::aKeyHeldAcrossTheWindowsActsOnce() {
    Session s(names(60));
    QVERIFY(s.ok);
    s.click("Cmd_Init");
    AudienceScreen& view = audience(s);
    const auto send = [](QWidget* to, QEvent::Type type, quint64 time) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        key.setTimestamp(time);
        QApplication::sendEvent(to, &key);
    };
    send(QApplication::focusWidget(), QEvent::KeyPress, 1000);
    QCOMPARE(s.startCaption(), kStop);
    view.open();
    send(&view, QEvent::KeyPress, 1500);
    send(&view, QEvent::KeyPress, 1540);
    QCOMPARE(s.startCaption(), kStop);
    send(&view, QEvent::KeyRelease, 2000);
    send(&view, QEvent::KeyPress, 2300);
    QCOMPARE(s.startCaption(), kStart);
}

void AudienceScreenTest::blankAndClose() {
    Session s;
    QVERIFY(s.ok);
    QTest::keyClick(s.window.get(), Qt::Key_F11);
    AudienceScreen& view = audience(s);
    QTRY_COMPARE(QApplication::focusWidget(), &view);
    const QPoint inBox = view.rollArea().topLeft();
    for (Qt::Key key : {Qt::Key_B, Qt::Key_Period}) {
        QTest::keyClick(&view, key);
        QVERIFY(view.isBlank());
        QCOMPARE(pixel(view, inBox), QColor(0, 0, 0));
        QTest::keyClick(&view, key);
        QVERIFY(!view.isBlank());
        QCOMPARE(pixel(view, inBox), QColor(128, 255, 255));
    }
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_F11}) {
        QTest::keyClick(s.window.get(), Qt::Key_F11);
        QVERIFY(view.isVisible());
        QTest::keyClick(&view, key);
        QVERIFY(!view.isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), s.window.get());
    }
}

void AudienceScreenTest::rollTextFits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("limitedByHeight");
    QTest::newRow("two characters") << QStringLiteral("张三") << true;
    QTest::newRow("a department and a name")
        << QStringLiteral("市场营销部华东区销售一组 欧阳建国") << false;
    QTest::newRow("eighty characters") << QStringLiteral("张").repeated(80) << false;
    QTest::newRow("Latin letters") << QStringLiteral("Wolfgang Amadeus Mozart-Smith") << false;
    QTest::newRow("a line break inside") << QStringLiteral("司马\n光") << true;
}

// As large as the box allows, never wider or taller than it.
void AudienceScreenTest::rollTextFits() {
    QFETCH(QString, text);
    QFETCH(bool, limitedByHeight);
    LoneView lone;
    lone.view.setRollText(text);
    const QRect area = lone.view.rollArea();
    QVERIFY(area.width() >= 1920 * 0.8 && area.height() >= 1080 * 0.35);
    const QFont font = lone.view.rollFont();
    const QString shown = lone.view.rollText();
    QVERIFY(!shown.contains(QLatin1Char('\n')));
    QVERIFY2(fitsOneLine(font, shown, area), qPrintable(QString::number(font.pixelSize())));
    // One pixel more would not fit: nothing is smaller than it needs to be.
    QFont larger = font;
    larger.setPixelSize(font.pixelSize() + 1);
    QVERIFY(!fitsOneLine(larger, shown, area));
    if (limitedByHeight) {
        QVERIFY(font.pixelSize() > area.height() * 0.8);
    }
}

void AudienceScreenTest::prizeLineFits_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("prize");
    QTest::addColumn<int>("listed");
    QTest::newRow("full HD") << QSize(1920, 1080) << QStringLiteral("三等奖") << 0;
    QTest::newRow("SVGA beside a list") << QSize(800, 600) << QStringLiteral("二等奖") << 30;
    QTest::newRow("XGA, a long name")
        << QSize(1024, 768) << QStringLiteral("特别奖（董事长特别奖励）") << 0;
    QTest::newRow("4K, Latin letters") << QSize(3840, 2160) << QStringLiteral("Grand Prize") << 3;
}

// Above the rolling name, as large as its line allows and smaller than a short name, drawn
// whole inside its line; set empty, the view is as it was.
void AudienceScreenTest::prizeLineFits() {
    QFETCH(QSize, screen);
    QFETCH(QString, prize);
    QFETCH(int, listed);
    LoneView lone;
    AudienceScreen& view = lone.view;
    view.resize(screen);
    lone.showRound(listed);
    const QRect alone = view.rollArea();
    const QImage before = lone.image(); // no name: only the prize draws in the rolling box

    view.setPrize(prize);
    const QRect area = view.prizeArea();
    QVERIFY(alone.contains(area) && area.bottom() < view.rollArea().top());
    QFont font = view.prizeFont();
    QVERIFY(fitsOneLine(font, prize, area));
    font.setPixelSize(font.pixelSize() + 1);
    QVERIFY(!fitsOneLine(font, prize, area));
    const QImage shown = lone.image();
    const int inside = pixelsChanged(before, shown, area);
    QVERIFY(inside > area.width() * area.height() / 50);
    QCOMPARE(pixelsChanged(before, shown, shown.rect()), inside);
    view.setRollText(QStringLiteral("张三"));
    QVERIFY(view.prizeFont().pixelSize() < view.rollFont().pixelSize());

    view.setRollText({});
    view.setPrize({});
    QVERIFY(view.prizeArea().isEmpty());
    QCOMPARE(view.rollArea(), alone);
    QCOMPARE(pixelsChanged(before, lone.image(), alone), 0);
}

void AudienceScreenTest::columnLayout_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("prize");
    QTest::newRow("1") << 1 << 1 << 1 << QString();
    QTest::newRow("3") << 3 << 0 << 1 << QString();
    QTest::newRow("12") << 12 << 0 << 1 << QString();
    QTest::newRow("100") << 100 << 0 << 1 << QString();
    QTest::newRow("101") << 101 << 0 << 2 << QString();
    QTest::newRow("1 for a prize") << 1 << 1 << 1 << QStringLiteral("特等奖");
    QTest::newRow("20 for a prize") << 20 << 0 << 1 << QStringLiteral("三等奖");
    QTest::newRow("120 for a prize") << 120 << 0 << 2 << QStringLiteral("纪念奖");
}

// Every name of the page in its own cell, whole, on the screen, at a size read across a
// hall; fewer names are never smaller.
void AudienceScreenTest::columnLayout() {
    QFETCH(int, count);
    QFETCH(int, columns);
    QFETCH(int, pages);
    QFETCH(QString, prize);
    LoneView lone;
    lone.showRound(count, 7, prize);
    const AudienceScreen::ListLayout layout = lone.view.listLayout();
    QCOMPARE(layout.pages, pages);
    const int perPage = (count + pages - 1) / pages;
    QCOMPARE(layout.cells.size(), perPage);
    QCOMPARE(layout.texts.first(), QStringLiteral("[7] 张伟0"));
    if (columns != 0) {
        QCOMPARE(layout.columns, columns);
    }
    QVERIFY(layout.columns * layout.rows >= perPage);
    QVERIFY((layout.columns - 1) * layout.rows < perPage); // no empty column
    QVERIFY2(layout.pixelSize >= 1080 / 40, qPrintable(QString::number(layout.pixelSize)));

    QFont font = lone.label.font();
    font.setPixelSize(layout.pixelSize);
    const QRect below(0, lone.view.rollArea().bottom(), 1920, 1080 - lone.view.rollArea().bottom());
    for (qsizetype i = 0; i < layout.cells.size(); ++i) {
        const QRect cell = layout.cells[i];
        QVERIFY2(below.contains(cell), qPrintable(layout.texts[i]));
        QVERIFY2(fitsOneLine(font, layout.texts[i], cell.adjusted(0, 0, 1, 1)),
                 qPrintable(layout.texts[i]));
        for (qsizetype j = 0; j < i; ++j) {
            QVERIFY(!cell.intersects(layout.cells[j]));
        }
    }
    // Numbers run down the columns.
    if (layout.rows > 1) {
        QCOMPARE(layout.cells[1].left(), layout.cells[0].left());
        QVERIFY(layout.cells[1].top() > layout.cells[0].top());
    }

    if (count > 1) {
        LoneView fewer;
        fewer.showRound(count / 3 + 1);
        QVERIFY(fewer.view.listLayout().pixelSize >= layout.pixelSize);
    }
    // The prize first, then the pages.
    QStringList heading{prize};
    if (pages > 1) {
        heading << QStringLiteral("本轮共%1人　[7]～[%2]　第1/%3页")
                       .arg(count)
                       .arg(count + 6)
                       .arg(pages);
    }
    heading.removeAll(QString());
    QCOMPARE(layout.heading, heading.join(QStringLiteral("　")));
}

void AudienceScreenTest::pagesTurnWithUpAndDown() {
    LoneView lone;
    lone.showRound(101);
    AudienceScreen& view = lone.view;
    const auto page = [&] {
        return view.listLayout().page;
    };
    const auto firstShown = [&] {
        return view.listLayout().texts.first();
    };
    QCOMPARE(page(), 0);
    QTest::keyClick(&view, Qt::Key_Up);
    QCOMPARE(page(), 0);
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(page(), 1);
    QCOMPARE(firstShown(), QStringLiteral("[52] 张伟51"));
    QCOMPARE(view.listLayout().texts.last(), QStringLiteral("[101] 张伟100"));
    QVERIFY(view.listLayout().heading.endsWith(QStringLiteral("第2/2页")));
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(page(), 1);
    QTest::keyClick(&view, Qt::Key_Up);
    QCOMPARE(firstShown(), QStringLiteral("[1] 张伟0"));

    // A new round starts at its first page.
    QTest::keyClick(&view, Qt::Key_Down);
    lone.showRound(150, 102);
    QCOMPARE(page(), 0);
}

// A verifiable run's panel takes the list's place, every line of it inked in its own band;
// under a round's list only the footer stays, in the bottom margin.
void AudienceScreenTest::verifiablePanelAndFooter() {
    LoneView lone;
    AudienceScreen& view = lone.view;
    const QRect alone = view.rollArea();
    const QStringList panel{u"可验证摇号　承诺 C"_s, u"c5f2b4e9 4ebe9389 f52a6277 5b471e13"_s,
                            u"a18f1739 071bb773 13c66662 b4c76281"_s,
                            u"见证人1：3141592653　见证人2：58979"_s};
    view.setVerifiable(panel, u"承诺 C：c5f2b4e9 4ebe9389 f52a6277 5b471e13"_s);
    QVERIFY(view.rollArea().top() < alone.top());
    const QImage image = lone.image();
    const QColor ink = lone.label.palette().color(QPalette::WindowText);
    const auto inked = [](const QImage& shot, const QRect& band, const QColor& colour) {
        for (int y = band.top(); y <= band.bottom(); ++y) {
            for (int x = band.left(); x <= band.right(); ++x) {
                if (shot.pixelColor(x, y) == colour) {
                    return true;
                }
            }
        }
        return false;
    };
    const int top = view.rollArea().bottom() + 60;
    const int margin = static_cast<int>(view.height() * 0.04);
    const int band = (view.height() - margin - top) / static_cast<int>(panel.size());
    for (int row = 0; row < panel.size(); ++row) {
        QVERIFY2(inked(image, QRect(0, top + row * band + band / 4, view.width(), band / 2), ink),
                 qPrintable(panel[row]));
    }
    const QRect footer(0, view.height() - margin + 2, view.width(), margin - 4);
    const QColor footerInk = lone.mainWindow.palette().color(QPalette::WindowText);
    QVERIFY(!inked(image, footer, footerInk));

    lone.showRound(3);
    QVERIFY(inked(lone.image(), footer, footerInk));
    view.setVerifiable(panel, {});
    QVERIFY(!inked(lone.image(), footer, footerInk));
}

// An absent winner keeps their line, fitting its cell, the name struck out; a number not on
// the list, or a winner already so, changes nothing.
void AudienceScreenTest::absentWinnersStayListedAndMarked() {
    LoneView lone;
    AudienceScreen& view = lone.view;
    lone.showRound(3);
    const AudienceScreen::ListLayout shown = view.listLayout();
    const QImage before = lone.image();
    view.setAbsent(4, true);
    view.setAbsent(2, false);
    QCOMPARE(view.listLayout().cells, shown.cells);
    QCOMPARE(lone.image(), before);

    view.setAbsent(2, true);
    const AudienceScreen::ListLayout layout = view.listLayout();
    QCOMPARE(layout.texts[1], QStringLiteral("[2] 张伟1（弃奖）"));
    QCOMPARE(layout.absent, QList<bool>({false, true, false}));
    const QFont font = kelvara::ui::audience::withPixelSize(lone.label.font(), layout.pixelSize);
    QVERIFY(fitsOneLine(font, layout.texts[1], layout.cells[1].adjusted(0, 0, 1, 1)));
    const QImage marked = lone.image();
    const QColor background = marked.pixelColor(layout.cells[1].topLeft() - QPoint(2, 0));
    const auto struck = [&](int i) {
        const QString name = layout.texts[i].left(layout.texts[i].indexOf(QChar(u'（')));
        const int length = static_cast<int>(QFontMetricsF(font).horizontalAdvance(name));
        return inkedAcross(marked, layout.cells[i], length, background);
    };
    QVERIFY(struck(1));
    QVERIFY(!struck(0));

    // On a later page, the page stays.
    lone.showRound(101);
    QTest::keyClick(&view, Qt::Key_Down);
    view.setAbsent(60, true);
    QCOMPARE(view.listLayout().page, 1);
    QCOMPARE(view.listLayout().texts[60 - 52], QStringLiteral("[60] 张伟59（弃奖）"));
}

// A housing draw: the admitted round shows each family's flat beside it, in a column of its
// own, struck out with the name for one who gives it up; the waiting list's round shows each
// family's number on it, and the family that moves up joins the round with its flat.
void AudienceScreenTest::procedureRoundsShowPlacesAndWaitingNumbers() {
    std::string families = "姓名\t组别\r\n";
    for (int k = 1; k <= 8; ++k) {
        families += "户" + std::to_string(k) + "\tA\r\n";
    }
    Session s(families);
    QVERIFY(s.ok);
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(s.dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(u"奖项.txt"_s, "入选 3 房源=顺序\r\n候补 全部\r\n");
    write(u"房源.txt"_s, "1-101\r\n1-102\r\n1-103\r\n");
    s.click("Cmd_Init");
    QTest::keyClick(s.window.get(), Qt::Key_F11);
    AudienceScreen& view = audience(s);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const auto drawRound = [&](int listed) {
        s.click("Cmd_Start");
        s.click("Cmd_Start");
        QTRY_COMPARE(view.listLayout().texts.size(), listed);
    };

    drawRound(3);
    const auto line = [&](std::size_t k) {
        return s.engine->results().entries()[k].winner.line;
    };
    const auto row = [&](std::size_t k) {
        return u"[%1] 户%2 A"_s.arg(k + 1).arg(line(k));
    };
    AudienceScreen::ListLayout layout = view.listLayout();
    QCOMPARE(layout.texts, QStringList({row(0), row(1), row(2)}));
    QCOMPARE(layout.places, QStringList({u"1-101"_s, u"1-102"_s, u"1-103"_s}));
    // The places stand in one column after the widest name, inside their cells.
    const auto width = [&](const QString& text) {
        const QFont font = kelvara::ui::audience::withPixelSize(
            s.control<RollLabel>("Lbl_Roll")->font(), layout.pixelSize);
        return QFontMetricsF(font).horizontalAdvance(text);
    };
    for (qsizetype i = 0; i < layout.cells.size(); ++i) {
        QVERIFY(width(layout.texts[i]) < layout.placeLeft);
        QVERIFY(layout.placeLeft + width(layout.places[i]) <= layout.cells[i].width() + 1);
    }

    // [2] gives the flat up: their place is struck out with the name.
    const auto change = s.engine->absentChange(2);
    QVERIFY(change.has_value());
    s.engine->changeAbsent(*change);
    layout = view.listLayout();
    QCOMPARE(layout.texts.size(), 4);
    QCOMPARE(layout.texts[1], row(1) + u"（弃奖）"_s);
    QCOMPARE(layout.texts[3], row(3) + u"（递补[2]）"_s);
    QCOMPARE(layout.places[3], u"1-102"_s);
    const QImage shot = view.grab().toImage();
    const QColor background = shot.pixelColor(layout.cells[0].topLeft() - QPoint(2, 0));
    const auto placeStruck = [&](qsizetype i) {
        const QRect place = layout.cells[i].adjusted(layout.placeLeft, 0, 0, 0);
        const int length = static_cast<int>(width(layout.places[i]));
        return inkedAcross(shot, place, length, background);
    };
    QVERIFY(placeStruck(1));
    QVERIFY(!placeStruck(0));

    // The waiting list: its numbers, no places, and whoever moved up says so.
    drawRound(5);
    layout = view.listLayout();
    QVERIFY(layout.places.isEmpty());
    QCOMPARE(layout.placeLeft, 0);
    QCOMPARE(layout.texts[0], u"[5] 候补1 户%1 A（已递补）"_s.arg(line(3)));
    QCOMPARE(layout.texts[1], u"[6] 候补2 户%1 A"_s.arg(line(5)));
}

// The view too paints at the screen's pace, not the rolling timer's.
void AudienceScreenTest::rollingPaintsOncePerScreenRefresh() {
    Session s(names(60));
    QVERIFY(s.ok);
    s.click("Cmd_Init");
    AudienceScreen& view = audience(s);
    view.open();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const double rate = std::clamp(view.screen()->refreshRate(), 30.0, 240.0);
    s.click("Cmd_Start");
    constexpr double kWatched = 0.5; // seconds
    const QList<qint64> paints = kelvara::testing::paintsWhileWatched(&view, kWatched, rate);
    s.click("Cmd_Start");

    QVERIFY2((!kelvara::testing::runsAlone() || paints.size() >= rate * kWatched / 2) &&
                 paints.size() <= rate * kWatched * 1.1 + 1,
             qPrintable(QStringLiteral("%1 paints at %2 Hz").arg(paints.size()).arg(rate)));
    for (qsizetype i = 1; i < paints.size(); ++i) {
        QVERIFY(paints[i] - paints[i - 1] >= std::floor(1000.0 / rate) - 1);
    }
}

QTEST_MAIN(AudienceScreenTest)
#include "audience_screen_test.moc"
