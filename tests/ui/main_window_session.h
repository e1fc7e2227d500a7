#pragma once

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string>

#include "draw/draw_engine.h"
#include "fakes/fake_services.h"
#include "output/results_output.h"
#include "support/gui_helpers.h"
#include "ui/main/frm_main.h"
#include "ui/main/roll_label.h"

namespace kelvara::testing {

// Sixty names, one per line with CR LF.
inline std::string sixtyNames() {
    static const char* const family[] = {"张", "王", "李", "赵", "刘", "陈"};
    static const char* const given[] = {"伟", "芳", "娜", "敏", "静", "磊", "洋", "艳", "勇", "军"};
    std::string text;
    for (const char* f : family) {
        for (const char* g : given) {
            text += std::string(f) + g + "明\r\n";
        }
    }
    return text;
}

// The bytes of a file; empty when it cannot be read.
inline std::string readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// The main window with the engine and the output it shows, built as main() builds them.
struct MainWindow {
    explicit MainWindow(FakeServices& services)
        : engine(services.forDraw()), output(services, services, services),
          window(services, engine, output) {}

    draw::DrawEngine engine;
    output::ResultsOutput output;
    ui::FrmMain window;
};

inline const QString kStart = QStringLiteral("开始&G");
inline const QString kStop = QStringLiteral("停止&G");

// A main window over a temporary program directory, shown and active; silent without a player.
struct Session {
    explicit Session(const std::string& bonus = {}, platform::SoundPlayer* sound = nullptr)
        : services(dir.path().toStdString()) {
        if (!bonus.empty()) {
            QFile file(dir.filePath(QStringLiteral("bonus.txt")));
            file.open(QIODevice::WriteOnly);
            file.write(bonus.data(), static_cast<qint64>(bonus.size()));
        }
        engine = std::make_unique<draw::DrawEngine>(services.forDraw());
        output = std::make_unique<output::ResultsOutput>(services, services, services);
        window = std::make_unique<ui::FrmMain>(services, *engine, *output, sound);
        window->show();
        ok = QTest::qWaitForWindowActive(window.get());
    }

    // The window's object of that name; the test program ends when there is none.
    template <typename T = QWidget> T* control(const char* name) const {
        return findControl<T>(*window, name);
    }
    template <typename T = QWidget> T* control(const QString& name) const {
        return control<T>(name.toLatin1().constData());
    }

    QString rollText() const { return control<ui::RollLabel>("Lbl_Roll")->text(); }
    QString startCaption() const { return control<QPushButton>("Cmd_Start")->text(); }
    bool rolling() const { return control<QTimer>("Timer1")->isActive(); }
    void click(const char* name) const { QTest::mouseClick(control(name), Qt::LeftButton); }

    QTemporaryDir dir;
    FakeServices services;
    std::unique_ptr<draw::DrawEngine> engine;
    std::unique_ptr<output::ResultsOutput> output;
    std::unique_ptr<ui::FrmMain> window;
    bool ok = false;
};

} // namespace kelvara::testing
