// The audience view's own look: pictures scaled to cover, a damaged picture told once, the
// themes' bands keeping text readable, and the operator's choices kept and restored.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "fakes/fake_services.h"
#include "ui/main/audience_look.h"
#include "ui/main/audience_screen.h"
#include "ui/main/look_page.h"
#include "ui/main/roll_label.h"
#include "ui/main/settings_file.h"
#include "ui/main_window_session.h"
#include "ui/window_helpers.h"

using kelvara::testing::FakeServices;
using kelvara::testing::MainWindow;
using kelvara::ui::AudienceScreen;
using kelvara::ui::LookPage;
using kelvara::ui::RollLabel;
namespace audience = kelvara::ui::audience;

namespace {

const QString kRed = QStringLiteral("喜庆红");
const QString kNavy = QStringLiteral("深蓝");

// A data folder with a 图片 folder.
struct Pictures {
    Pictures() { QDir(dir.path()).mkdir(audience::kPictureFolder); }
    QString folder() const { return dir.filePath(audience::kPictureFolder); }
    void save(const QString& name, QSize size, QColor colour) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        QVERIFY(image.save(folder() + u'/' + name));
    }
    void damage(const QString& name) const {
        QFile file(folder() + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xff\xd8\xff\xe0 not a picture");
    }
    QTemporaryDir dir;
};

// The view alone at a projector's size, telling what it tells into a list.
struct LoneView {
    explicit LoneView(const QString& folder, QSize size = {1920, 1080})
        : label(&mainWindow), view(mainWindow, label) {
        label.setFont(kelvara::ui::boldFont(QStringLiteral("黑体"), 42));
        view.resize(size);
        view.setPictureFolder(folder);
        view.setTeller([this](const QString& text) { told << text; });
    }
    QImage image() { return view.grab().toImage(); }
    QWidget mainWindow;
    RollLabel label;
    AudienceScreen view;
    QStringList told;
};

// WCAG's contrast ratio of two opaque colours.
double contrast(QColor a, QColor b) {
    const auto luminance = [](QColor c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

void writeSettings(const QTemporaryDir& dir, const QJsonValue& look) {
    QJsonObject object{{QStringLiteral("格式"), QStringLiteral("Kelvara 设置 1")}};
    if (!look.isUndefined()) {
        object.insert(audience::kLookKey, look);
    }
    QFile file(dir.filePath(QString::fromUtf8(kelvara::ui::kSettingsFileName)));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(object).toJson());
}

} // namespace

class AudienceLookTest : public QObject {
    Q_OBJECT

private slots:
    void pictureCoversTheScreen_data();
    void pictureCoversTheScreen();
    void picturesMissingOrDamaged();
    void logoTitleAndPrizePicturesKeepClearOfTheText();
    void bandsKeepTextReadable_data();
    void bandsKeepTextReadable();
    void lookFromSettings_data();
    void lookFromSettings();
    void pageKeepsTheChoiceForTheNextStart();
};

void AudienceLookTest::pictureCoversTheScreen_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("screen");
    const QSize screens[] = {{1920, 1080}, {1280, 1024}};
    for (const QSize screen : screens) {
        const QString on = QStringLiteral(" on %1x%2").arg(screen.width()).arg(screen.height());
        QTest::addRow("%s", qPrintable(u"wide" + on)) << QSize(4000, 1000) << screen;
        QTest::addRow("%s", qPrintable(u"tall" + on)) << QSize(600, 1800) << screen;
        QTest::addRow("%s", qPrintable(u"the screen's own" + on)) << screen << screen;
        QTest::addRow("%s", qPrintable(u"small 16:9" + on)) << QSize(640, 360) << screen;
        QTest::addRow("%s", qPrintable(u"square" + on)) << QSize(1500, 1500) << screen;
    }
}

void AudienceLookTest::pictureCoversTheScreen() {
    QFETCH(QSize, picture);
    QFETCH(QSize, screen);
    const QRect drawn = audience::coverRect(picture, screen);
    // Covers: no edge of the screen is left bare, and one side fits exactly.
    QVERIFY(drawn.contains(QRect(QPoint(0, 0), screen)));
    QVERIFY(drawn.width() == screen.width() || drawn.height() == screen.height());
    // The aspect kept, to the pixel the rounding allows.
    QVERIFY(std::abs(drawn.width() * picture.height() - drawn.height() * picture.width()) <=
            std::max(picture.width(), picture.height()));
    // Centred: what is cropped is cropped evenly.
    QVERIFY(std::abs(-drawn.left() - (drawn.right() - screen.width() + 1)) <= 1);
    QVERIFY(std::abs(-drawn.top() - (drawn.bottom() - screen.height() + 1)) <= 1);
}

// A missing picture is silent; a damaged one is told once, however often the view opens,
// and the view keeps its colours.
void AudienceLookTest::picturesMissingOrDamaged() {
    Pictures missing;
    LoneView quiet(missing.folder());
    quiet.view.readPictures();
    QTest::qWait(20);
    QVERIFY(quiet.told.isEmpty());
    QVERIFY(quiet.view.backgroundRect().isEmpty());

    Pictures damaged;
    damaged.damage(QStringLiteral("背景.jpg"));
    damaged.damage(QStringLiteral("一等奖.png"));
    LoneView lone(damaged.folder());
    QPalette green;
    green.setColor(QPalette::Window, QColor(0x20, 0x60, 0x20));
    lone.mainWindow.setPalette(green);
    lone.view.setPrize(QStringLiteral("一等奖"));
    lone.view.readPictures();
    lone.view.readPictures();
    QTRY_COMPARE(lone.told.size(), 2);
    QTest::qWait(20);
    QCOMPARE(
        lone.told,
        QStringList({QStringLiteral("图片 图片/背景.jpg 无法读取，大屏幕改用颜色。"),
                     QStringLiteral("图片 图片/一等奖.png 无法读取，大屏幕不显示这张图片。")}));
    QVERIFY(lone.view.backgroundRect().isEmpty());
    QVERIFY(lone.view.prizePictureArea().isEmpty());
    QCOMPARE(lone.image().pixelColor(5, 5), QColor(0x20, 0x60, 0x20));

    // Mended, it shows at the next opening.
    damaged.save(QStringLiteral("背景.jpg"), {320, 180}, Qt::white);
    lone.view.readPictures();
    QCOMPARE(lone.view.backgroundRect(), QRect(0, 0, 1920, 1080));
    QVERIFY(lone.image().pixelColor(5, 5).lightness() > 240);
}

void AudienceLookTest::logoTitleAndPrizePicturesKeepClearOfTheText() {
    Pictures pictures;
    pictures.save(QStringLiteral("标志.png"), {400, 100}, Qt::blue);
    pictures.save(QStringLiteral("一等奖.png"), {300, 200}, Qt::green);
    for (const QSize size : {QSize(1920, 1080), QSize(1280, 1024)}) {
        LoneView lone(pictures.folder(), size);
        audience::Look look;
        look.title = true;
        lone.view.setLook(look);
        lone.view.setEventTitle(QStringLiteral("2026年度公司年会抽奖"));
        lone.view.setPrize(QStringLiteral("一等奖"));
        lone.view.setRollText(QStringLiteral("欧阳娜娜"));
        lone.view.readPictures();
        const QRect logo = lone.view.logoArea();
        const QRect title = lone.view.titleArea();
        const QRect picture = lone.view.prizePictureArea();
        // Small, in the top left corner, its aspect kept.
        QVERIFY(!logo.isEmpty() && logo.left() < size.width() / 20 && logo.top() < 20);
        QVERIFY(logo.height() <= size.height() / 10);
        QVERIFY(std::abs(logo.width() - logo.height() * 4) <= 4);
        QVERIFY(!title.isEmpty() && !title.intersects(logo));
        QCOMPARE(title.center().x(), size.width() / 2 - 1 + size.width() % 2);
        // The prize's picture beside the names, its aspect kept; nothing overlaps.
        QVERIFY(!picture.isEmpty());
        QVERIFY(std::abs(picture.width() * 2 - picture.height() * 3) <= 3);
        for (const QRect& text : {lone.view.prizeArea(), lone.view.rollArea()}) {
            QVERIFY(!text.intersects(picture) && !text.intersects(title));
        }
        QVERIFY(lone.view.rollArea().top() > title.bottom());
        const QImage image = lone.image();
        QCOMPARE(image.pixelColor(logo.center()), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(picture.center()), QColor(Qt::green));

        // Switched off, neither takes room.
        look.title = false;
        look.logo = false;
        look.prizePictures = false;
        lone.view.setLook(look);
        QVERIFY(lone.view.logoArea().isEmpty() && lone.view.titleArea().isEmpty());
        QVERIFY(lone.view.prizePictureArea().isEmpty());
    }
}

void AudienceLookTest::bandsKeepTextReadable_data() {
    QTest::addColumn<QString>("theme");
    QTest::addColumn<QColor>("picture");
    for (const QString& theme : audience::themeNames()) {
        for (const QColor& picture :
             {QColor(Qt::white), QColor(Qt::black), QColor(0xe0, 0x30, 0x30)}) {
            QTest::addRow("%s on %s", qPrintable(theme), qPrintable(picture.name()))
                << theme << picture;
        }
    }
}

// The rolling name, the prize and a round's list each stand on a band that keeps them
// readable whatever the picture.
void AudienceLookTest::bandsKeepTextReadable() {
    QFETCH(QString, theme);
    QFETCH(QColor, picture);
    Pictures pictures;
    pictures.save(QStringLiteral("背景.png"), {160, 90}, picture);
    LoneView lone(pictures.folder());
    QPalette label;
    label.setColor(QPalette::WindowText, Qt::black);
    label.setColor(QPalette::Window, QColor(0xf0, 0xf0, 0xf0));
    lone.label.setPalette(label);
    audience::Look look;
    look.theme = theme;
    lone.view.setLook(look);
    lone.view.setPrize(QStringLiteral("一等奖"));
    lone.view.setRollText(QStringLiteral("王伟"));
    lone.view.readPictures();
    const QImage rolling = lone.image();
    const QColor rollBand = rolling.pixelColor(lone.view.rollArea().topLeft() + QPoint(2, 2));
    QVERIFY(rollBand != picture);
    const auto colours = audience::themeColours(theme);
    const QColor text = colours ? colours->text : QColor(Qt::black);
    const QColor prize = colours ? colours->prizeText : QColor(Qt::black);
    QVERIFY2(contrast(text, rollBand) >= 4.5, qPrintable(rollBand.name()));
    QVERIFY2(contrast(prize, rollBand) >= 4.5, qPrintable(rollBand.name()));

    lone.view.showRound({{1, QStringLiteral("张伟")}, {2, QStringLiteral("李娜")}},
                        QStringLiteral("一等奖"));
    const QImage listed = lone.image();
    const QRect list = lone.view.listLayout().cells.front();
    const QColor listBand = listed.pixelColor(list.right() + 2, list.top() + 1);
    QVERIFY2(contrast(text, listBand) >= 4.5, qPrintable(listBand.name()));
    // Outside the bands the picture shows as it is.
    QCOMPARE(listed.pixelColor(2, 2), picture);
}

void AudienceLookTest::lookFromSettings_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("theme");
    QTest::addColumn<bool>("title");
    QTest::addColumn<bool>("background");
    QTest::newRow("none") << QByteArray() << audience::kDefaultTheme << false << true;
    QTest::newRow("all given") << QByteArray(
                                      R"({"主题": "深蓝", "显示标题": true, "显示背景": false})")
                               << kNavy << true << false;
    QTest::newRow("unknown theme") << QByteArray(R"({"主题": "紫色", "显示标题": true})")
                                   << audience::kDefaultTheme << true << true;
    QTest::newRow("wrong kinds") << QByteArray(R"({"主题": 3, "显示标题": "是", "显示背景": 0})")
                                 << audience::kDefaultTheme << false << true;
    QTest::newRow("not an object")
        << QByteArray(R"("喜庆红")") << audience::kDefaultTheme << false << true;
}

// The main window gives the view what the settings file keeps; a damaged value changes
// nothing.
void AudienceLookTest::lookFromSettings() {
    QFETCH(QByteArray, json);
    QFETCH(QString, theme);
    QFETCH(bool, title);
    QFETCH(bool, background);
    QTemporaryDir dir;
    writeSettings(dir, json.isEmpty() ? QJsonValue(QJsonValue::Undefined)
                                      : QJsonDocument::fromJson("[" + json + "]").array().at(0));
    FakeServices services(dir.path().toStdString());
    MainWindow main(services);
    const audience::Look look = main.window.audienceScreen().look();
    QCOMPARE(look.theme, theme);
    QCOMPARE(look.title, title);
    QCOMPARE(look.background, background);
    QVERIFY(services.messages.empty());
}

// The page applies a choice at once and keeps it; the next start shows it. Through the main
// window, so a damaged picture is told in its message box.
void AudienceLookTest::pageKeepsTheChoiceForTheNextStart() {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(audience::kPictureFolder);
    FakeServices services(dir.path().toStdString());
    {
        MainWindow main(services);
        LookPage page(main.window.settingsFile(), main.window.audienceScreen());
        auto* theme = page.findChild<QComboBox*>(QStringLiteral("Combo_Theme"));
        QVERIFY(theme != nullptr);
        QCOMPARE(theme->currentText(), audience::kDefaultTheme);
        theme->setCurrentText(kRed);
        page.findChild<QCheckBox*>(QStringLiteral("Check_Title"))->setChecked(true);
        page.findChild<QCheckBox*>(QStringLiteral("Check_Logo"))->setChecked(false);
        QCOMPARE(main.window.audienceScreen().look().theme, kRed);
        QVERIFY(main.window.audienceScreen().look().title);
        const QString label = page.findChild<QLabel*>(QStringLiteral("Lbl_Pictures"))->text();
        QVERIFY(label.contains(QDir::toNativeSeparators(dir.filePath(audience::kPictureFolder))));
        QVERIFY(label.contains(QStringLiteral("背景.jpg")) &&
                label.contains(QStringLiteral("标志.png")));
    }
    QFile damaged(dir.filePath(QStringLiteral("图片/背景.png")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x89PNG broken");
    damaged.close();
    MainWindow again(services);
    AudienceScreen& view = again.window.audienceScreen();
    const audience::Look look = view.look();
    QCOMPARE(look.theme, kRed);
    QVERIFY(look.title && !look.logo && look.background && look.prizePictures);
    LookPage page(again.window.settingsFile(), view);
    QCOMPARE(page.findChild<QComboBox*>(QStringLiteral("Combo_Theme"))->currentText(), kRed);
    QVERIFY(!page.findChild<QCheckBox*>(QStringLiteral("Check_Logo"))->isChecked());

    view.open();
    QTRY_COMPARE(services.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(services.messages.front().text),
             QStringLiteral("图片 图片/背景.png 无法读取，大屏幕改用颜色。"));
    view.close();
    view.open();
    QTest::qWait(50);
    QCOMPARE(services.messages.size(), std::size_t{1});
    view.close();
}

QTEST_MAIN(AudienceLookTest)
#include "audience_look_test.moc"
