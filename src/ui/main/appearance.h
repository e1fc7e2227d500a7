#pragma once

#include <QObject>

namespace kelvara::ui {

class FrmMain;

// Placeholder for the appearance handlers of the main window.
class Appearance final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Appearance)

public:
    explicit Appearance(FrmMain& window);
};

} // namespace kelvara::ui
