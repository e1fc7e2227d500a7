#pragma once

#include <QDialog>

namespace kelvara::platform {
class Services;
}

namespace kelvara::ui {

// Placeholder for the About window.
class FrmAbout final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmAbout)

public:
    explicit FrmAbout(platform::Services& services, QWidget* parent = nullptr);

private:
    platform::Services& m_services;
};

} // namespace kelvara::ui
