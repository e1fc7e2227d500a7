#include "sound_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>

#include "ui/main/sound_cues.h"

namespace kelvara::ui {

SoundPage::SoundPage(SoundCues& sound, QWidget* parent) : QWidget(parent), m_sound(sound) {
    setObjectName(QStringLiteral("Page_Sound"));
    m_mute = new QCheckBox(QStringLiteral("静音(&M)   F8"), this);
    m_mute->setObjectName(QStringLiteral("Chk_Mute"));
    m_mute->setChecked(sound.muted());

    auto* volumeLabel = new QLabel(QStringLiteral("音量(&V)："), this);
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("Sld_Volume"));
    m_volume->setRange(0, 100);
    m_volume->setPageStep(10);
    m_volume->setValue(sound.volume());
    volumeLabel->setBuddy(m_volume);
    m_volumeValue = new QLabel(this);
    m_volumeValue->setObjectName(QStringLiteral("Lbl_Volume"));
    m_volumeValue->setMinimumWidth(
        m_volumeValue->fontMetrics().horizontalAdvance(QStringLiteral("100")));
    showVolume(sound.volume());

    auto* files = new QLabel(this);
    files->setObjectName(QStringLiteral("Lbl_SoundFiles"));
    files->setWordWrap(true);
    files->setTextInteractionFlags(Qt::TextSelectableByMouse);
    files->setText(QStringLiteral("摇号时滚动播放节奏声，停止时播放一段号角；声音不会让摇号等待。"
                                  "\n可以用数据文件夹里“声音”文件夹中的文件替换它们：\n"
                                  "  滚动.mp3 — 滚动时的声音\n"
                                  "  停止.mp3 — 停止时的声音\n"
                                  "  奖项名称.mp3（如 一等奖.mp3）— 抽这个奖项时滚动的音乐\n"
                                  "也可以是 .wav 或 .ogg 文件。文件夹：%1")
                       .arg(sound.folderShown()));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_mute, 0, 0, 1, 3);
    grid->addWidget(volumeLabel, 1, 0);
    grid->addWidget(m_volume, 1, 1);
    grid->addWidget(m_volumeValue, 1, 2);
    grid->addWidget(files, 2, 0, 1, 3);
    grid->setRowStretch(3, 1);

    connect(m_mute, &QCheckBox::toggled, &sound, &SoundCues::setMuted);
    connect(m_volume, &QSlider::valueChanged, &sound, &SoundCues::setVolume);
    connect(&sound, &SoundCues::mutedChanged, m_mute, &QCheckBox::setChecked);
    connect(&sound, &SoundCues::volumeChanged, this, &SoundPage::showVolume);
}

void SoundPage::showVolume(int percent) {
    m_volume->setValue(percent);
    m_volumeValue->setText(QString::number(percent));
}

} // namespace kelvara::ui
