#pragma once

#include <QJsonObject>
#include <QObject>
#include <functional>

class QAbstractButton;
class QListWidget;
class QScrollBar;

namespace kelvara::ui {

class Appearance;
class SettingsFile;
struct FrmMainUi;

// Keeps the operator's changes to the main window's appearance (the settings panel's
// colours, fonts, sizes, alignment, the label's width, the title bar and the window's size)
// in the settings file under "主窗口", each when it is made, and restores them by working the
// same controls, so that the appearance handlers apply them as they would a click. Only what
// the operator has changed is kept: the rest stays as the program defines it.
class KeptAppearance final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeptAppearance)

public:
    using Teller = std::function<void()>;

    // notWritten runs when a change could not be written to the file.
    KeptAppearance(Appearance& appearance, const FrmMainUi& windowUi, SettingsFile& settings,
                   Teller notWritten);

    // The controls' kept values; the window's size and title bar once it is on the screen.
    void restoreControls();
    void restoreWindow();
    // From now on, every change the operator makes is kept.
    void keepChanges();

private:
    void keep(const QString& key, const QJsonValue& value);
    void keepBar(QScrollBar* bar, const QString& key);
    void keepList(QListWidget* list, const QString& key);
    void restoreList(QListWidget* list, const QString& key);

    const Appearance& m_appearance;
    const FrmMainUi& m_windowUi;
    SettingsFile& m_settings;
    Teller m_notWritten;
    QJsonObject m_kept;
};

} // namespace kelvara::ui
