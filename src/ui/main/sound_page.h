#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QSlider;

namespace kelvara::ui {

class SoundCues;

// The sound settings, a section of the options: mute, the volume, and which files of the
// data folder's 声音 folder replace the built-in sounds. Changes take effect and are kept
// at once; a mute by F8 shows here too.
class SoundPage final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoundPage)

public:
    explicit SoundPage(SoundCues& sound, QWidget* parent = nullptr);

private:
    void showVolume(int percent);

    SoundCues& m_sound;
    QCheckBox* m_mute = nullptr;
    QSlider* m_volume = nullptr;
    QLabel* m_volumeValue = nullptr;
};

} // namespace kelvara::ui
