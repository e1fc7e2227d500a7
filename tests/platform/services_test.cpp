#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

#include "platform/qt_services.h"

#ifdef Q_OS_WIN
#include <QSettings>
#include <qt_windows.h>
#endif

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

// A full-screen window of the program over the main window's screen would hide a box of
// the main window: the box belongs to it instead. A hidden or smaller one changes nothing.
TEST(ServicesTest, MessageBoxShowsAboveAFullScreenWindowOverTheMainWindow) {
    QtServices services;
    QWidget mainWindow;
    mainWindow.show();
    services.setMainWindow(&mainWindow);
    QWidget other(&mainWindow, Qt::Window | Qt::FramelessWindowHint);
    const auto ownerOfTheNextBox = [&] {
        SeenBox seen;
        answerNextBox(seen, [](QMessageBox& box) { box.accept(); });
        services.messageBox("拒绝", Buttons::Ok, std::nullopt);
        return seen.parent;
    };
    EXPECT_EQ(ownerOfTheNextBox(), &mainWindow) << "hidden";
    other.show();
    EXPECT_EQ(ownerOfTheNextBox(), &mainWindow) << "a normal window";
    other.showFullScreen();
    EXPECT_EQ(ownerOfTheNextBox(), &other) << "full screen";
    other.hide();
    EXPECT_EQ(ownerOfTheNextBox(), &mainWindow) << "closed again";
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

// Paths in messages look as in the file manager: backslashes on Windows, and the names kept.
TEST(ServicesTest, DisplayPathsUseTheSystemsSeparators) {
    QtServices services;
#ifdef Q_OS_WIN
    EXPECT_EQ(services.displayPath("C:/Users/张三/Documents/Kelvara/摇号结果.txt"),
              "C:\\Users\\张三\\Documents\\Kelvara\\摇号结果.txt");
#else
    EXPECT_EQ(services.displayPath("/home/张三/Documents/Kelvara/摇号结果.txt"),
              "/home/张三/Documents/Kelvara/摇号结果.txt");
#endif
}

#ifdef Q_OS_WIN
// Sets a file's hidden or system attribute, the way Windows marks files to keep out of sight.
void addAttribute(const QString& path, DWORD attribute) {
    const QString native = QDir::toNativeSeparators(path);
    const auto name = reinterpret_cast<LPCWSTR>(native.utf16());
    ASSERT_TRUE(SetFileAttributesW(name, GetFileAttributesW(name) | attribute));
}
#endif

TEST(ServicesTest, OnlyVisibleRegularFilesExist) {
    QtServices services;
    QTemporaryDir dir;
    for (const char* name : {"bonus.txt", ".bonus.txt", "hidden.txt", "system.txt"}) {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    EXPECT_TRUE(services.fileExists(dir.filePath(QStringLiteral("bonus.txt")).toStdString()));
    EXPECT_FALSE(services.fileExists(dir.filePath(QStringLiteral("folder")).toStdString()));
    EXPECT_FALSE(services.fileExists(dir.filePath(QStringLiteral("none.txt")).toStdString()));
#ifdef Q_OS_WIN
    addAttribute(dir.filePath(QStringLiteral("hidden.txt")), FILE_ATTRIBUTE_HIDDEN);
    addAttribute(dir.filePath(QStringLiteral("system.txt")), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_FALSE(services.fileExists(dir.filePath(QStringLiteral("hidden.txt")).toStdString()));
    EXPECT_FALSE(services.fileExists(dir.filePath(QStringLiteral("system.txt")).toStdString()));
#else
    EXPECT_FALSE(services.fileExists(dir.filePath(QStringLiteral(".bonus.txt")).toStdString()));
#endif
}

#ifndef Q_OS_WIN
// The print command is `lp`, found on PATH: a script stands in for it here.
TEST(ServicesTest, PrintHandsTheFileToLpAndReportsItsFailure) {
    const struct {
        const char* name;
        const char* script; // empty: no lp at all
        std::optional<FailureKind> kind;
        const char* detail; // null: the system's words, whatever they are
        int exitCode;
    } rows[] = {
        {"accepted", "printf '%s\\n' \"$@\" > \"$0.arguments\"\nexit 0\n", std::nullopt, "", 0},
        {"no printer", "echo 'lp: Error - No default destination.' >&2\nexit 1\n",
         FailureKind::PrintRefused, "lp: Error - No default destination.", 0},
        {"fails silently", "exit 3\n", FailureKind::PrintExitCode, "", 3},
        {"missing", "", FailureKind::PrintNotRun, nullptr, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        if (*row.script != '\0') {
            QFile script(dir.filePath(QStringLiteral("lp")));
            ASSERT_TRUE(script.open(QIODevice::WriteOnly));
            script.write(QByteArray("#!/bin/sh\n") + row.script);
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", dir.path().toUtf8());
        QtServices services;
        const std::string document = dir.filePath(QStringLiteral("摇号结果 1.txt")).toStdString();
        const Outcome result = services.printFile(document);
        qputenv("PATH", savedPath);

        ASSERT_EQ(result.has_value(), row.kind.has_value());
        if (result) {
            EXPECT_EQ(result->kind, *row.kind);
            EXPECT_EQ(result->exitCode, row.exitCode);
            if (row.detail != nullptr) {
                EXPECT_EQ(result->detail, row.detail);
            } else {
                EXPECT_FALSE(result->detail.empty());
            }
            if (result->kind != FailureKind::PrintRefused) {
                EXPECT_EQ(result->program, "lp");
            }
        } else {
            QFile recorded(dir.filePath(QStringLiteral("lp.arguments")));
            ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
            EXPECT_EQ(recorded.readAll(), QByteArray::fromStdString(document) + "\n");
        }
    }
}
#endif

#ifdef Q_OS_WIN
// A document type of the test's own whose print operation copies the document to a record
// file, registered for the current user and removed again. Wine's shell does not look at
// the user's classes, so there it goes to the machine's.
class PrintVerb {
public:
    explicit PrintVerb(const QString& record) {
        const QString command = QStringLiteral("cmd.exe /c copy /y \"%1\" \"%2\"")
                                    .arg(QStringLiteral("%1"), QDir::toNativeSeparators(record));
        for (const QString& root : {kUserClasses, kMachineClasses}) {
            m_root = root;
            QSettings classes(root, QSettings::NativeFormat);
            classes.setValue(kExtension + QStringLiteral("/."), kType);
            classes.setValue(kType + QStringLiteral("/shell/print/command/."), command);
            classes.sync();
            if (QSettings(kAllClasses, QSettings::NativeFormat)
                    .value(kExtension + QStringLiteral("/.")) == kType) {
                return;
            }
            remove();
        }
    }
    ~PrintVerb() { remove(); }
    PrintVerb(const PrintVerb&) = delete;
    PrintVerb& operator=(const PrintVerb&) = delete;

private:
    void remove() const {
        QSettings classes(m_root, QSettings::NativeFormat);
        classes.remove(kExtension);
        classes.remove(kType);
    }

    static inline const QString kUserClasses =
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes");
    static inline const QString kMachineClasses =
        QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Classes");
    static inline const QString kAllClasses = QStringLiteral("HKEY_CLASSES_ROOT");
    static inline const QString kExtension = QStringLiteral(".kelvaraprint");
    static inline const QString kType = QStringLiteral("Kelvara.PrintTest");
    QString m_root;
};

TEST(ServicesTest, PrintHandsTheFileToTheShellsPrintOperationOrSaysWhyNot) {
    QTemporaryDir dir;
    const QByteArray text("\xE6\x91\x87\xE5\x8F\xB7\xE7\xBB\x93\xE6\x9E\x9C\r\n");
    for (const QString& name :
         {QStringLiteral("摇号结果 1.kelvaraprint"), QStringLiteral("摇号结果 1.kelvaranone")}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    const QString record = dir.filePath(QStringLiteral("printed.txt"));
    PrintVerb verb(record);
    QtServices services;

    // A document type without a print operation: the shell's reason comes back.
    const Outcome refused =
        services.printFile(dir.filePath(QStringLiteral("摇号结果 1.kelvaranone")).toStdString());
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->kind, FailureKind::PrintRefused);
    EXPECT_FALSE(refused->detail.empty());

    const Outcome printed =
        services.printFile(dir.filePath(QStringLiteral("摇号结果 1.kelvaraprint")).toStdString());
    EXPECT_EQ(printed, std::nullopt);
    const QDeadlineTimer deadline(20'000);
    while (QFileInfo(record).size() < text.size() && !deadline.hasExpired()) {
        QThread::msleep(50);
    }
    QFile copy(record);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << "the print operation did not run";
    EXPECT_EQ(copy.readAll(), text);
}
#endif
