#include "sound_log.h"

#include <QFile>

namespace kelvara::platform {

SoundLog::SoundLog(QString logFile, std::string dataFolder, std::unique_ptr<SoundPlayer> player)
    : m_logFile(std::move(logFile)), m_dataFolder(std::move(dataFolder)),
      m_player(std::move(player)) {}

// Opened for each line, so that a reader sees every request as soon as it is made.
void SoundLog::write(const std::string& line) const {
    QFile file(m_logFile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.write(QByteArray::fromStdString(line + '\n'));
    }
}

void SoundLog::playLoop(const Sound& sound) {
    write("loop " + soundName(sound, m_dataFolder));
    m_player->playLoop(sound);
}

void SoundLog::playOnce(const Sound& sound) {
    write("once " + soundName(sound, m_dataFolder));
    m_player->playOnce(sound);
}

void SoundLog::stop() {
    write("stop");
    m_player->stop();
}

void SoundLog::setVolume(int percent) {
    write("volume " + std::to_string(percent));
    m_player->setVolume(percent);
}

void SoundLog::setMuted(bool muted) {
    write(muted ? "mute on" : "mute off");
    m_player->setMuted(muted);
}

} // namespace kelvara::platform
