#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "platform/sound_player.h"

namespace kelvara::platform {
class Services;
}

namespace kelvara::ui {

class SettingsFile;

inline constexpr char kSoundFolderName[] = "声音";

// What the draw sounds like: a loop while a round rolls, a fanfare when it stops, silence
// otherwise. The data folder's 声音 folder may replace them: a file named after the prize
// being drawn (一等奖.mp3) for that prize's rounds, 滚动.* for every other round's loop,
// 停止.* for the fanfare; .mp3, .wav or .ogg. Mute and volume are the operator's settings,
// kept in the settings file under 声音. A sound that does not play is told once, when no
// round is rolling, and the draw goes on without it.
class SoundCues final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoundCues)

public:
    static constexpr int kDefaultVolume = 80;

    // Takes mute and volume from the settings, when they are there, and gives them to the
    // player.
    SoundCues(platform::Services& services, platform::SoundPlayer& player, SettingsFile& settings,
              QObject* parent = nullptr);
    ~SoundCues() override;

    // The prize being drawn (empty without a plan), whose music a round plays.
    void setPrize(const QString& prize) { m_prize = prize; }
    void roundStarted();
    void roundStopped();

    bool muted() const { return m_muted; }
    int volume() const { return m_volume; }
    void setMuted(bool muted);
    void toggleMute() { setMuted(!m_muted); }
    void setVolume(int percent);

    // The 声音 folder as the system's file manager shows it.
    QString folderShown() const;

signals:
    void mutedChanged(bool muted);
    void volumeChanged(int percent);

private:
    platform::Sound loopSound() const;
    platform::Sound fanfareSound() const;
    // The 声音 folder's file of that name with a playable extension, if there is one.
    bool findFile(const QString& stem, platform::Sound& sound) const;
    void keep();
    void playerFailed(const platform::Sound& sound, const std::string& reason);
    void tellWhenIdle(std::string text);
    void tellPending();

    platform::Services& m_services;
    platform::SoundPlayer& m_player;
    SettingsFile& m_settings;
    QString m_prize;
    bool m_rolling = false;
    bool m_muted = false;
    int m_volume = kDefaultVolume;
    bool m_failureTold = false;
    bool m_keepingTold = false;
    std::vector<std::string> m_pending; // told once no round rolls
    bool m_telling = false;
};

} // namespace kelvara::ui
