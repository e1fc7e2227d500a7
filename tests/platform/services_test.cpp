#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

#include "platform/qt_services.h"

using namespace kelvara::platform;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QStringList buttons;
    QString defaultButton;
    QMessageBox::Icon icon = QMessageBox::Information;
    bool modal = false;
    QWidget* parent = nullptr;
};

// Waits for the message box to open, records what it shows and answers it.
void answerNextBox(SeenBox& seen, std::function<void(QMessageBox&)> answer) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        seen.title = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text();
        }
        seen.buttons.sort();
        seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        seen.icon = box->icon();
        seen.modal = box->isModal();
        seen.parent = box->parentWidget();
        answer(*box);
    });
    poll->start(10);
}

} // namespace

TEST(ServicesTest, MessageBoxShowsChineseButtonsAndReturnsTheAnswer) {
    QtServices services;
    QWidget mainWindow;
    services.setMainWindow(&mainWindow);
    const auto click = [](const char* caption) {
        return [caption](QMessageBox& box) {
            for (QAbstractButton* button : box.buttons()) {
                if (button->text() == QString::fromUtf8(caption)) {
                    button->click();
                }
            }
        };
    };
    const auto key = [](Qt::Key pressed) {
        return [pressed](QMessageBox& box) {
            QKeyEvent press(QEvent::KeyPress, pressed, Qt::NoModifier);
            QApplication::sendEvent(&box, &press);
        };
    };
    struct Row {
        const char* name;
        Buttons buttons;
        std::optional<std::string_view> title;
        std::function<void(QMessageBox&)> answer;
        Answer expected;
    };
    const std::vector<Row> rows{
        {"ok", Buttons::Ok, std::nullopt, click("确定"), Answer::Ok},
        {"ok by escape", Buttons::Ok, std::nullopt, key(Qt::Key_Escape), Answer::Ok},
        {"yes", Buttons::YesNo, "退出", click("是(&Y)"), Answer::Yes},
        {"no", Buttons::YesNo, "退出", click("否(&N)"), Answer::No},
        {"enter picks yes", Buttons::YesNo, "退出", key(Qt::Key_Return), Answer::Yes},
        {"escape picks no", Buttons::YesNo, "退出", key(Qt::Key_Escape), Answer::No},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SeenBox seen;
        answerNextBox(seen, row.answer);
        // Markup in a name is shown as it is.
        EXPECT_EQ(services.messageBox("<b>张三</b>", row.buttons, row.title), row.expected);
        EXPECT_EQ(seen.text, QStringLiteral("<b>张三</b>"));
        EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
        EXPECT_TRUE(seen.modal);
        EXPECT_EQ(seen.parent, &mainWindow);
        if (row.buttons == Buttons::Ok) {
            EXPECT_EQ(seen.title, QStringLiteral("Kelvara"));
            EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("确定")});
        } else {
            EXPECT_EQ(seen.title, QStringLiteral("退出"));
            EXPECT_EQ(seen.buttons,
                      QStringList({QStringLiteral("否(&N)"), QStringLiteral("是(&Y)")}));
            EXPECT_EQ(seen.defaultButton, QStringLiteral("是(&Y)"));
        }
    }
}

TEST(ServicesTest, AppDataComesFromTheExecutableAndTheVersion) {
    QtServices services;
    const AppData data = services.appData();
    EXPECT_EQ(QString::fromStdString(data.directory), QCoreApplication::applicationDirPath());
    EXPECT_FALSE(data.directory.ends_with('/'));
    EXPECT_TRUE(data.isProgramDirectory); // the test's folder is writable
    EXPECT_EQ(data.title, "Kelvara");
    EXPECT_EQ(std::vector<int>({data.major, data.minor, data.revision}),
              std::vector<int>({1, 0, 0}));
    EXPECT_EQ(data.fileDescription, "最简单摇号软件");
    EXPECT_EQ(appFilePath(services, "bonus.txt"), data.directory + "/bonus.txt");
}

TEST(ServicesTest, OnlyVisibleRegularFilesExist) {
    QtServices services;
    QTemporaryDir dir;
    for (const char* name : {"bonus.txt", ".bonus.txt"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_TRUE(services.fileExists(dir.filePath("bonus.txt").toStdString()));
    EXPECT_FALSE(services.fileExists(dir.filePath(".bonus.txt").toStdString()));
    EXPECT_FALSE(services.fileExists(dir.filePath("folder").toStdString()));
    EXPECT_FALSE(services.fileExists(dir.filePath("none.txt").toStdString()));
}

#ifndef Q_OS_WIN
TEST(ServicesTest, PrintHandsTheFileToLpWithoutWaiting) {
    QTemporaryDir dir;
    const QString record = dir.filePath("lp-arguments");
    QFile script(dir.filePath("lp"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nsleep 1\nprintf '%s\\n' \"$@\" > '" + record.toUtf8() + ".part'\n" +
                 "mv '" + record.toUtf8() + ".part' '" + record.toUtf8() + "'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toUtf8() + ":" + savedPath);

    QtServices services;
    const std::string document = dir.filePath("摇号结果 1.txt").toStdString();
    QElapsedTimer timer;
    timer.start();
    services.printFile(document);
    // The script sleeps a second; the call must not.
    EXPECT_LT(timer.elapsed(), 900);
    qputenv("PATH", savedPath);

    const QDeadlineTimer deadline(10'000);
    while (!QFile::exists(record) && !deadline.hasExpired()) {
        QThread::msleep(20);
    }
    QFile recorded(record);
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly)) << "lp was not started";
    EXPECT_EQ(recorded.readAll(), QByteArray::fromStdString(document) + "\n");
}
#endif
