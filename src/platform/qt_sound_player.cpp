#include "qt_sound_player.h"

#include <QAudio>
#include <QAudioDevice>
#include <QAudioOutput>
#include <QFile>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>

#include "platform/builtin_sounds.h"
#include "platform/sound_log.h"

namespace kelvara::platform {

namespace {

constexpr char kNoDevice[] = "没有找到可用的音频输出设备";
constexpr char kNotPlayable[] = "无法识别或解码这个文件";

bool systemHasDevice() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

} // namespace

// The sound thread's side: made, used and destroyed on that thread only.
class SoundWorker {
public:
    using Report = std::function<void(const Sound&, const std::string&)>;

    SoundWorker(QtSoundPlayer::DeviceCheck hasDevice, Report report)
        : m_hasDevice(std::move(hasDevice)), m_report(std::move(report)) {}

    void play(const Sound& sound, bool loop) {
        m_current = sound;
        m_reported = false;
        if (!m_hasDevice()) {
            reportOnce(kNoDevice);
            return;
        }
        const QUrl url = urlOf(sound);
        if (url.isEmpty()) {
            return; // told by urlOf
        }
        makePlayer();
        m_player->stop();
        m_player->setSource(url);
        m_player->setLoops(loop ? QMediaPlayer::Infinite : QMediaPlayer::Once);
        m_player->play();
    }

    void stop() {
        if (m_player) {
            m_player->stop();
        }
    }

    void setVolume(int percent) {
        m_volume = std::clamp(percent, 0, 100);
        apply();
    }

    void setMuted(bool muted) {
        m_muted = muted;
        apply();
    }

private:
    void reportOnce(const std::string& reason) {
        if (!m_reported) {
            m_reported = true;
            m_report(m_current, reason);
        }
    }

    void makePlayer() {
        if (m_player) {
            return;
        }
        m_player = std::make_unique<QMediaPlayer>();
        m_output = std::make_unique<QAudioOutput>();
        m_player->setAudioOutput(m_output.get());
        apply();
        QObject::connect(m_player.get(), &QMediaPlayer::errorOccurred, m_player.get(),
                         [this](QMediaPlayer::Error, const QString& text) {
                             // Qt's reason is the decoder's, in English: named after ours.
                             reportOnce(text.isEmpty()
                                            ? std::string(kNotPlayable)
                                            : kNotPlayable + ("（" + text.toStdString() + "）"));
                         });
        QObject::connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, m_player.get(),
                         [this](QMediaPlayer::MediaStatus status) {
                             if (status == QMediaPlayer::InvalidMedia) {
                                 reportOnce(kNotPlayable);
                             }
                         });
    }

    void apply() {
        if (!m_output) {
            return;
        }
        // The slider moves as the ear hears: a logarithmic scale, as Qt recommends.
        m_output->setVolume(QAudio::convertVolume(m_volume / 100.0F, QAudio::LogarithmicVolumeScale,
                                                  QAudio::LinearVolumeScale));
        m_output->setMuted(m_muted);
    }

    // A file as it is; a built-in sound written once into a folder of its own.
    QUrl urlOf(const Sound& sound) {
        if (!sound.file.empty()) {
            const QString path = QString::fromStdString(sound.file);
            if (!QFile::exists(path)) {
                reportOnce("文件不存在");
                return {};
            }
            return QUrl::fromLocalFile(path);
        }
        if (!m_builtins) {
            m_builtins = std::make_unique<QTemporaryDir>();
        }
        const QString path = m_builtins->filePath(sound.builtin == BuiltinSound::Roll
                                                      ? QStringLiteral("roll.wav")
                                                      : QStringLiteral("fanfare.wav"));
        if (!QFile::exists(path)) {
            const std::vector<std::uint8_t> wav = builtinSoundWav(sound.builtin);
            QFile file(path);
            if (!m_builtins->isValid() || !file.open(QIODevice::WriteOnly) ||
                file.write(reinterpret_cast<const char*>(wav.data()),
                           static_cast<qint64>(wav.size())) != static_cast<qint64>(wav.size())) {
                file.remove();
                reportOnce("无法写入内置声音的临时文件");
                return {};
            }
        }
        return QUrl::fromLocalFile(path);
    }

    QtSoundPlayer::DeviceCheck m_hasDevice;
    Report m_report;
    Sound m_current;
    bool m_reported = false;
    int m_volume = 100;
    bool m_muted = false;
    std::unique_ptr<QTemporaryDir> m_builtins;
    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player; // goes first: it plays on m_output
};

QtSoundPlayer::QtSoundPlayer(DeviceCheck hasDevice) {
    m_thread.setObjectName(QStringLiteral("sound"));
    m_there = new QObject;
    m_there->moveToThread(&m_thread);
    // The worker's errors cross back to this thread's event loop, where the sink is called.
    auto report = [this](const Sound& sound, const std::string& reason) {
        QMetaObject::invokeMethod(
            &m_here,
            [this, sound, reason] {
                if (m_sink) {
                    m_sink(sound, reason);
                }
            },
            Qt::QueuedConnection);
    };
    m_worker = std::make_unique<SoundWorker>(hasDevice ? std::move(hasDevice) : systemHasDevice,
                                             std::move(report));
    m_thread.start();
}

QtSoundPlayer::~QtSoundPlayer() {
    // The worker's Qt objects belong to the sound thread: they go there, before it ends.
    SoundWorker* const worker = m_worker.release();
    QMetaObject::invokeMethod(
        m_there, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_there;
}

template <typename Request> void QtSoundPlayer::post(Request request) {
    SoundWorker* const worker = m_worker.get();
    QMetaObject::invokeMethod(
        m_there, [worker, request] { request(*worker); }, Qt::QueuedConnection);
}

void QtSoundPlayer::playLoop(const Sound& sound) {
    post([sound](SoundWorker& worker) { worker.play(sound, true); });
}

void QtSoundPlayer::playOnce(const Sound& sound) {
    post([sound](SoundWorker& worker) { worker.play(sound, false); });
}

void QtSoundPlayer::stop() {
    post([](SoundWorker& worker) { worker.stop(); });
}

void QtSoundPlayer::setVolume(int percent) {
    post([percent](SoundWorker& worker) { worker.setVolume(percent); });
}

void QtSoundPlayer::setMuted(bool muted) {
    post([muted](SoundWorker& worker) { worker.setMuted(muted); });
}

std::unique_ptr<SoundPlayer> makeSoundPlayer(const std::string& dataFolder) {
    std::unique_ptr<SoundPlayer> player;
    if (qEnvironmentVariable("KELVARA_SOUND") == QLatin1String("null")) {
        player = std::make_unique<SilentSoundPlayer>();
    } else {
        player = std::make_unique<QtSoundPlayer>();
    }
    const QString log = qEnvironmentVariable("KELVARA_SOUND_LOG");
    if (!log.isEmpty()) {
        player = std::make_unique<SoundLog>(log, dataFolder, std::move(player));
    }
    return player;
}

} // namespace kelvara::platform
