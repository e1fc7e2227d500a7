#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace kelvara::ui {

class AudienceScreen;
class SettingsFile;

// The audience view's look as the operator sets it: the theme, and whether the background,
// the logo, the event's title and the prizes' pictures show; a label names the pictures'
// folder and files. Each change applies to the view at once and is kept in the settings
// file under "大屏幕".
class LookPage final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LookPage)

public:
    LookPage(SettingsFile& settings, AudienceScreen& view, QWidget* parent = nullptr);

signals:
    // A change applied to the view could not be written to the settings file.
    void notWritten();

private:
    void apply();

    SettingsFile& m_settings;
    AudienceScreen& m_view;
    QComboBox* m_theme = nullptr;
    QCheckBox* m_background = nullptr;
    QCheckBox* m_logo = nullptr;
    QCheckBox* m_title = nullptr;
    QCheckBox* m_prizePictures = nullptr;
};

} // namespace kelvara::ui
