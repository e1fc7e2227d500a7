#include "sound_cues.h"

#include <QDir>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>

#include "platform/services.h"
#include "ui/main/draw_wording.h"
#include "ui/main/settings_file.h"

namespace kelvara::ui {

namespace {

const QString kSettingsKey = QStringLiteral("声音");
const QString kMutedKey = QStringLiteral("静音");
const QString kVolumeKey = QStringLiteral("音量");
const QString kRollStem = QStringLiteral("滚动");
const QString kStopStem = QStringLiteral("停止");
// In the order they are looked for.
constexpr const char* kExtensions[] = {".mp3", ".wav", ".ogg"};

} // namespace

SoundCues::SoundCues(platform::Services& services, platform::SoundPlayer& player,
                     SettingsFile& settings, QObject* parent)
    : QObject(parent), m_services(services), m_player(player), m_settings(settings) {
    const QJsonObject kept = m_settings.value(kSettingsKey).toObject();
    if (kept.value(kMutedKey).isBool()) {
        m_muted = kept.value(kMutedKey).toBool();
    }
    if (kept.value(kVolumeKey).isDouble()) {
        m_volume = std::clamp(kept.value(kVolumeKey).toInt(kDefaultVolume), 0, 100);
    }
    m_player.setErrorSink([this](const platform::Sound& sound, const std::string& reason) {
        playerFailed(sound, reason);
    });
    m_player.setVolume(m_volume);
    m_player.setMuted(m_muted);
}

SoundCues::~SoundCues() {
    m_player.stop();
    m_player.setErrorSink({});
}

void SoundCues::roundStarted() {
    if (m_rolling) {
        return;
    }
    m_rolling = true;
    if (!m_muted) {
        m_player.playLoop(loopSound());
    }
}

// The fanfare replaces the loop.
void SoundCues::roundStopped() {
    if (!m_rolling) {
        return;
    }
    m_rolling = false;
    if (!m_muted) {
        m_player.playOnce(fanfareSound());
    }
    tellPending();
}

void SoundCues::setMuted(bool muted) {
    if (muted == m_muted) {
        return;
    }
    m_muted = muted;
    m_player.setMuted(muted);
    if (muted) {
        m_player.stop();
    } else if (m_rolling) {
        m_player.playLoop(loopSound());
    }
    keep();
    emit mutedChanged(muted);
}

void SoundCues::setVolume(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == m_volume) {
        return;
    }
    m_volume = percent;
    m_player.setVolume(percent);
    keep();
    emit volumeChanged(percent);
}

QString SoundCues::folderShown() const {
    return QString::fromStdString(
        m_services.displayPath(platform::appFilePath(m_services, kSoundFolderName)));
}

platform::Sound SoundCues::loopSound() const {
    platform::Sound sound{{}, platform::BuiltinSound::Roll};
    // A prize's own music, then the loop that replaces the built-in one.
    const bool ownMusic = !m_prize.isEmpty() && findFile(m_prize, sound);
    if (!ownMusic) {
        findFile(kRollStem, sound);
    }
    return sound;
}

platform::Sound SoundCues::fanfareSound() const {
    platform::Sound sound{{}, platform::BuiltinSound::Fanfare};
    findFile(kStopStem, sound);
    return sound;
}

bool SoundCues::findFile(const QString& stem, platform::Sound& sound) const {
    // A name that leads out of the folder names no file in it.
    if (stem.contains(QLatin1Char('/')) || stem.contains(QLatin1Char('\\')) ||
        stem.startsWith(QLatin1Char('.'))) {
        return false;
    }
    for (const char* extension : kExtensions) {
        const std::string path = platform::appFilePath(
            m_services, std::string(kSoundFolderName) + '/' + stem.toStdString() + extension);
        if (m_services.fileExists(path)) {
            sound.file = path;
            return true;
        }
    }
    return false;
}

void SoundCues::keep() {
    const QJsonObject values{{kMutedKey, m_muted}, {kVolumeKey, m_volume}};
    if (!m_settings.setValue(kSettingsKey, values) && !m_keepingTold) {
        m_keepingTold = true;
        tellWhenIdle(wording::settingsNotWritten());
    }
}

void SoundCues::playerFailed(const platform::Sound& sound, const std::string& reason) {
    if (m_failureTold) {
        return;
    }
    m_failureTold = true;
    const std::string folder = m_services.appData().directory;
    const QString name =
        sound.file.empty()
            ? QString()
            : QDir::toNativeSeparators(QString::fromStdString(platform::soundName(sound, folder)));
    tellWhenIdle(wording::soundFailed(name, sound.builtin == platform::BuiltinSound::Roll, reason));
}

// A message box in the middle of a round would take the Stop key: it waits for the stop.
void SoundCues::tellWhenIdle(std::string text) {
    m_pending.push_back(std::move(text));
    if (!m_rolling) {
        tellPending();
    }
}

// Shown from the event loop, never from within the draw's call that led to them.
void SoundCues::tellPending() {
    if (m_pending.empty()) {
        return;
    }
    QTimer::singleShot(0, this, [this] {
        // One box at a time: what comes while one is open follows it.
        if (m_telling) {
            return;
        }
        m_telling = true;
        while (!m_rolling && !m_pending.empty()) {
            const std::string text = std::move(m_pending.front());
            m_pending.erase(m_pending.begin());
            m_services.messageBox(text);
        }
        m_telling = false;
    });
}

} // namespace kelvara::ui
