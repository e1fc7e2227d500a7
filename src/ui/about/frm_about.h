#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QShowEvent;

namespace kelvara::platform {
class AppInfo;
}

namespace kelvara::ui {

// The About window: the version line, the help text and the credit line. A fixed tool
// window, application modal, opened with exec() and reloaded at every opening.
class FrmAbout final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmAbout)

public:
    explicit FrmAbout(const platform::AppInfo& app, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The window's controls, by their design names.
    struct Ui {
        QLabel* LblVer = nullptr;
        QPlainTextEdit* Txt_Help = nullptr;
        QLabel* Label2 = nullptr;
        void setupUi(QWidget& window);
    };

    void restoreDesignState();
    void Form_Load();

    const platform::AppInfo& m_app;
    Ui m_ui;
};

} // namespace kelvara::ui
