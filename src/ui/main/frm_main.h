#pragma once

#include <QWidget>

namespace kelvara::platform {
class Services;
}

namespace kelvara::ui {

// Placeholder for the main window.
class FrmMain final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmMain)

public:
    explicit FrmMain(platform::Services& services, QWidget* parent = nullptr);
};

} // namespace kelvara::ui
