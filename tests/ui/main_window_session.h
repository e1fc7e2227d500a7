#pragma once

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string>

#include "fakes/fake_services.h"
#include "ui/main/frm_main.h"
#include "ui/main/roll_label.h"

namespace kelvara::testing {

inline const QString kStart = QStringLiteral("开始&G");
inline const QString kStop = QStringLiteral("停止&G");

// A main window over a temporary program directory, shown and active.
struct Session {
    explicit Session(const std::string& bonus = {}) : services(dir.path().toStdString()) {
        if (!bonus.empty()) {
            QFile file(dir.filePath(QStringLiteral("bonus.txt")));
            file.open(QIODevice::WriteOnly);
            file.write(bonus.data(), static_cast<qint64>(bonus.size()));
        }
        window = std::make_unique<ui::FrmMain>(services);
        window->show();
        ok = QTest::qWaitForWindowActive(window.get());
    }
    template <typename T = QWidget> T* control(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QString rollText() const { return control<ui::RollLabel>("Lbl_Roll")->text(); }
    QString startCaption() const { return control<QPushButton>("Cmd_Start")->text(); }
    bool rolling() const { return control<QTimer>("Timer1")->isActive(); }
    int messageCount(const char* text) const {
        int count = 0;
        for (const auto& message : services.messages) {
            count += message.text == text ? 1 : 0;
        }
        return count;
    }

    QTemporaryDir dir;
    FakeServices services;
    std::unique_ptr<ui::FrmMain> window;
    bool ok = false;
};

} // namespace kelvara::testing
