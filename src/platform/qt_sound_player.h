#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <string>

#include "platform/sound_player.h"

namespace kelvara::platform {

class SoundWorker;

// The sound player on Qt Multimedia. Requests are passed to a thread of its own, where one
// QMediaPlayer plays them, so that no request waits for the sound system: opening a file,
// finding the device and decoding all happen there. Errors come back to the requesting
// thread's event loop.
class QtSoundPlayer final : public SoundPlayer {
public:
    // Whether the system has a device to play on; by default Qt's list of audio outputs.
    using DeviceCheck = std::function<bool()>;

    explicit QtSoundPlayer(DeviceCheck hasDevice = {});
    ~QtSoundPlayer() override;
    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    void playLoop(const Sound& sound) override;
    void playOnce(const Sound& sound) override;
    void stop() override;
    void setVolume(int percent) override;
    void setMuted(bool muted) override;
    void setErrorSink(ErrorSink sink) override { m_sink = std::move(sink); }

private:
    template <typename Request> void post(Request request);

    QObject m_here; // receives the errors on the requesting thread
    QThread m_thread;
    QObject* m_there = nullptr; // lives on the sound thread
    std::unique_ptr<SoundWorker> m_worker;
    ErrorSink m_sink;
};

// The program's player: Qt's, or none when KELVARA_SOUND is "null"; when KELVARA_SOUND_LOG
// names a file, each request is also written there as a line (see SoundLog).
std::unique_ptr<SoundPlayer> makeSoundPlayer(const std::string& dataFolder);

} // namespace kelvara::platform
