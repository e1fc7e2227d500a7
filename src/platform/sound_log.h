#pragma once

#include <QString>
#include <memory>
#include <string>

#include "platform/sound_player.h"

namespace kelvara::platform {

// Writes each request as a line to a file, then passes it on: "loop 声音/一等奖.mp3",
// "once builtin:fanfare", "stop", "mute on", "mute off", "volume 60". Files are named
// relative to the data folder. The end-to-end tests read it, where there is no sound device.
class SoundLog final : public SoundPlayer {
public:
    SoundLog(QString logFile, std::string dataFolder, std::unique_ptr<SoundPlayer> player);

    void playLoop(const Sound& sound) override;
    void playOnce(const Sound& sound) override;
    void stop() override;
    void setVolume(int percent) override;
    void setMuted(bool muted) override;
    void setErrorSink(ErrorSink sink) override { m_player->setErrorSink(std::move(sink)); }

private:
    void write(const std::string& line) const;

    QString m_logFile;
    std::string m_dataFolder;
    std::unique_ptr<SoundPlayer> m_player;
};

} // namespace kelvara::platform
