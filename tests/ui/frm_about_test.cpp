#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <QtTest>
#include <functional>

#include "fakes/fake_services.h"
#include "support/gui_helpers.h"
#include "ui/about/frm_about.h"
#include "ui/twips.h"

using kelvara::testing::FakeServices;
using kelvara::testing::findControl;
using kelvara::testing::versionCaption;
using kelvara::ui::FrmAbout;
using kelvara::ui::Twips;

namespace {

// The help as the operator must read it, each line ended by CR LF.
const QStringList kHelpLines = {
    QStringLiteral("★本摇号软件绿色免费。"),
    QStringLiteral("★使用时请在软件目录下的bonus.txt文件为摇号(抽奖)的资料库。"
                   "可以从Excel、Word文档等直接复制粘贴过来。"),
    QStringLiteral("★每次软件刚运行，点击一次初始化，然后就可以摇号了。"),
    QStringLiteral("★开始按钮旁边的文本框里输入本次摇号需要摇出的号码个数。"
                   "（默认是1个）可以直接按回车或空格键"),
    QStringLiteral("★进行摇号开始或停止。"),
    QStringLiteral("★字体设置的地方，双击字体二字可以伸缩字体列表，方便选择操作。"),
    QStringLiteral("★单击结果区右下角“V”“H”小按钮可以分别实现垂直伸缩和水平伸缩。"),
    QStringLiteral("★打印按钮可以打印当前结果区的内容。"),
    QStringLiteral("--------------"),
    QStringLiteral("★请关注我的博客上最新版本下载信息。"),
};

bool fullyTransparent(const QIcon& icon) {
    if (icon.isNull()) {
        return false;
    }
    const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                return false;
            }
        }
    }
    return true;
}

// What the window looked like while open; gathered from inside exec().
struct Opening {
    QString version;
    QString help;
    int scroll = -1;
    bool helpHasFocus = false;
    bool modal = false;
    bool centred = false;
    QPoint centreOffset;
};

} // namespace

class FrmAboutTest final : public QObject {
    Q_OBJECT

private slots:
    void opensAgainAndAgainFromTheDesignState();
    void isAFixedToolWindowWithoutIcon();
    void helpIsLockedButSelectable();
    void blocksTheMainWindowWhileOpen();

private:
    Opening openAndClose(FrmAbout& about, const std::function<void(FrmAbout&)>& whileOpen = {});
};

Opening FrmAboutTest::openAndClose(FrmAbout& about,
                                   const std::function<void(FrmAbout&)>& whileOpen) {
    Opening seen;
    QTimer::singleShot(0, &about, [&] {
        QTRY_VERIFY(about.isVisible());
        auto* help = findControl<QPlainTextEdit>(about, "Txt_Help");
        seen.version = findControl<QLabel>(about, "LblVer")->text();
        seen.help = help->toPlainText();
        seen.scroll = help->verticalScrollBar()->value();
        seen.helpHasFocus = about.focusWidget() == help;
        seen.modal = QApplication::activeModalWidget() == &about;
        const QRect screen = about.screen()->availableGeometry();
        seen.centreOffset = about.frameGeometry().center() - screen.center();
        seen.centred = seen.centreOffset.manhattanLength() <= 2;
        if (whileOpen) {
            whileOpen(about);
        }
        about.close();
    });
    about.exec();
    return seen;
}

void FrmAboutTest::opensAgainAndAgainFromTheDesignState() {
    FakeServices services(QDir::tempPath().toStdString());
    QWidget mainWindow;
    mainWindow.setWindowIcon(QIcon(QStringLiteral(":/kelvara/kelvara.png")));
    mainWindow.show();
    FrmAbout about(services, &mainWindow);
    const QString expectedHelp = kHelpLines.join(QLatin1Char('\n')) + QLatin1Char('\n');

    // The first time the operator scrolls down, selects and moves the window away.
    int scrollRange = 0;
    const Opening first = openAndClose(about, [&scrollRange](FrmAbout& open) {
        auto* help = findControl<QPlainTextEdit>(open, "Txt_Help");
        scrollRange = help->verticalScrollBar()->maximum();
        help->selectAll();
        help->verticalScrollBar()->setValue(help->verticalScrollBar()->maximum());
        open.move(0, 0);
    });
    const Opening second = openAndClose(about);
    QVERIFY2(scrollRange > 0, "the help fits its box, so scrolling back is not tested");

    for (const Opening& seen : {first, second}) {
        QCOMPARE(seen.version, versionCaption("-"));
        QCOMPARE(seen.help, expectedHelp);
        QCOMPARE(seen.scroll, 0);
        QVERIFY(seen.helpHasFocus);
        QVERIFY(seen.modal);
        QVERIFY2(seen.centred, qPrintable(QStringLiteral("off centre by %1,%2")
                                              .arg(seen.centreOffset.x())
                                              .arg(seen.centreOffset.y())));
    }
    QVERIFY(!findControl<QPlainTextEdit>(about, "Txt_Help")->textCursor().hasSelection());
}

void FrmAboutTest::isAFixedToolWindowWithoutIcon() {
    FakeServices services(QDir::tempPath().toStdString());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kelvara/kelvara.png")));
    QVERIFY2(!QApplication::windowIcon().isNull(), "the program's icon is not in the resources");
    FrmAbout about(services, nullptr);

    QCOMPARE(about.windowTitle(), QStringLiteral("关于"));
    const Qt::WindowFlags flags = about.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(about.minimumSize(), Twips::size(4680, 2910));
    QCOMPARE(about.maximumSize(), Twips::size(4680, 2910));
    QVERIFY(fullyTransparent(about.windowIcon()));

    // Only the help takes the focus, and it has no horizontal scroll bar.
    const auto* help = findControl<QPlainTextEdit>(about, "Txt_Help");
    QCOMPARE(help->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    for (const auto* label : about.findChildren<QLabel*>()) {
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
}

void FrmAboutTest::helpIsLockedButSelectable() {
    FakeServices services(QDir::tempPath().toStdString());
    FrmAbout about(services, nullptr);
    QString copied;
    openAndClose(about, [&copied](FrmAbout& open) {
        auto* help = findControl<QPlainTextEdit>(open, "Txt_Help");
        QTest::keyClicks(help, QStringLiteral("abc"));
        QTest::keyClick(help, Qt::Key_Delete);
        QTest::keyClick(help, Qt::Key_Backspace);
        QTest::keyClick(help, Qt::Key_End, Qt::ShiftModifier);
        copied = help->textCursor().selectedText();
        QTest::keyClick(help, Qt::Key_PageDown);
    });
    const auto* help = findControl<QPlainTextEdit>(about, "Txt_Help");
    QVERIFY(help->isReadOnly());
    QCOMPARE(help->toPlainText(), kHelpLines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QVERIFY2(!copied.isEmpty(), "the help cannot be selected from the keyboard");
    QVERIFY(kHelpLines.first().startsWith(copied.left(5)));
}

void FrmAboutTest::blocksTheMainWindowWhileOpen() {
    FakeServices services(QDir::tempPath().toStdString());
    QWidget mainWindow;
    QPushButton button(QStringLiteral("开始&G"), &mainWindow);
    int clicks = 0;
    connect(&button, &QPushButton::clicked, &mainWindow, [&clicks] { ++clicks; });
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    FrmAbout about(services, &mainWindow);

    bool blocked = false;
    openAndClose(about, [&](FrmAbout&) {
        blocked = QApplication::activeModalWidget() == &about;
        // Sent as the window system would, so that modality applies.
        QWindow* window = mainWindow.windowHandle();
        QTest::mouseClick(window, Qt::LeftButton, {}, button.geometry().center());
        QTest::keyClick(window, Qt::Key_G, Qt::AltModifier);
    });
    QVERIFY(blocked);
    QVERIFY(about.isModal());
    QCOMPARE(about.windowModality(), Qt::ApplicationModal);

    QCOMPARE(clicks, 0);
    QTest::mouseClick(mainWindow.windowHandle(), Qt::LeftButton, {}, button.geometry().center());
    QCOMPARE(clicks, 1);
}

QTEST_MAIN(FrmAboutTest)
#include "frm_about_test.moc"
