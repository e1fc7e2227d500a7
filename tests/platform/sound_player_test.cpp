// The player on Qt Multimedia, and the sounds the program makes itself. CI machines and wine
// have no sound device: whatever the machine, a request that cannot play is reported through
// the sink, from the event loop, and never crashes.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/builtin_sounds.h"
#include "platform/qt_sound_player.h"
#include "platform/sound_log.h"

using namespace kelvara::platform;

namespace {

struct Reported {
    Sound sound;
    std::string reason;
};

// The first report, if one comes within the time.
std::optional<Reported> firstReport(SoundPlayer& player, const std::function<void()>& request,
                                    int milliseconds = 15000) {
    std::optional<Reported> seen;
    player.setErrorSink([&](const Sound& sound, const std::string& reason) {
        if (!seen) {
            seen = Reported{sound, reason};
        }
    });
    request();
    EXPECT_FALSE(seen) << "reported from within the request";
    const QDeadlineTimer deadline(milliseconds);
    while (!seen && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    player.setErrorSink({});
    return seen;
}

std::uint32_t littleEndian(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
    }
    return value;
}

} // namespace

TEST(QtSoundPlayer, ReportsAFileThatDoesNotPlay) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("一等奖.mp3"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, '\x5a'));
    file.close();
    const Sound corrupt{path.toStdString(), BuiltinSound::Roll};

    // As the machine has it, and as if it had a device: the decoder itself refuses it.
    for (const bool assumeDevice : {false, true}) {
        QtSoundPlayer player(assumeDevice ? QtSoundPlayer::DeviceCheck([] { return true; })
                                          : QtSoundPlayer::DeviceCheck());
        player.setVolume(50);
        const auto report = firstReport(player, [&] { player.playLoop(corrupt); });
        ASSERT_TRUE(report) << "device assumed: " << assumeDevice;
        EXPECT_EQ(report->sound, corrupt);
        EXPECT_FALSE(report->reason.empty());
    }
}

TEST(QtSoundPlayer, ReportsAMissingDeviceAndGoesOn) {
    QtSoundPlayer player([] { return false; });
    const auto report = firstReport(player, [&] { player.playOnce({{}, BuiltinSound::Fanfare}); });
    ASSERT_TRUE(report);
    EXPECT_EQ(report->sound, (Sound{{}, BuiltinSound::Fanfare}));
    EXPECT_EQ(report->reason, "没有找到可用的音频输出设备");
    // The requests after it, and the end with requests still queued, are harmless.
    player.playLoop({});
    player.setMuted(true);
    player.stop();
}

// Each request is a line of the log, files named as the data folder holds them, and still
// reaches the player behind.
TEST(SoundLog, WritesOneLinePerRequest) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("sound.log"));
    const std::string folder = dir.path().toStdString();
    int reached = 0;
    class Counting final : public SoundPlayer {
    public:
        explicit Counting(int& count) : m_count(count) {}
        void playLoop(const Sound&) override { ++m_count; }
        void playOnce(const Sound&) override { ++m_count; }
        void stop() override { ++m_count; }
        void setVolume(int) override { ++m_count; }
        void setMuted(bool) override { ++m_count; }
        void setErrorSink(ErrorSink) override {}

    private:
        int& m_count;
    };
    SoundLog player(log, folder, std::make_unique<Counting>(reached));
    player.playLoop({folder + "/声音/一等奖.mp3", BuiltinSound::Roll});
    player.playOnce({{}, BuiltinSound::Fanfare});
    player.playLoop({});
    player.stop();
    player.setMuted(true);
    player.setMuted(false);
    player.setVolume(60);
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "loop 声音/一等奖.mp3\nonce builtin:fanfare\n"
                                            "loop builtin:roll\nstop\nmute on\nmute off\n"
                                            "volume 60\n");
    EXPECT_EQ(reached, 7);
}

// A WAV file that any player reads: its header agrees with its data; the loop is a whole
// number of beats long; neither sound is silent nor clipped flat.
TEST(BuiltinSounds, AreWholePcmWavFiles) {
    for (const BuiltinSound sound : {BuiltinSound::Roll, BuiltinSound::Fanfare}) {
        const std::vector<std::uint8_t> wav = builtinSoundWav(sound);
        ASSERT_GT(wav.size(), 44U);
        EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
        EXPECT_EQ(littleEndian(wav, 4, 4), wav.size() - 8);
        EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(littleEndian(wav, 20, 2), 1U); // PCM
        EXPECT_EQ(littleEndian(wav, 22, 2), 1U); // mono
        EXPECT_EQ(littleEndian(wav, 24, 4), std::uint32_t{kBuiltinSampleRate});
        EXPECT_EQ(littleEndian(wav, 34, 2), 16U);
        EXPECT_EQ(std::memcmp(wav.data() + 36, "data", 4), 0);
        const std::uint32_t dataSize = littleEndian(wav, 40, 4);
        EXPECT_EQ(dataSize, wav.size() - 44);

        int peak = 0;
        int atLimit = 0;
        for (std::size_t at = 44; at + 1 < wav.size(); at += 2) {
            const auto sample = static_cast<std::int16_t>(littleEndian(wav, at, 2));
            peak = std::max(peak, std::abs(int{sample}));
            atLimit += std::abs(int{sample}) >= 32767 ? 1 : 0;
        }
        EXPECT_GT(peak, 32767 / 4);
        EXPECT_LT(atLimit, 10);
        if (sound == BuiltinSound::Roll) {
            EXPECT_EQ(dataSize, 2U * 2 * kBuiltinSampleRate); // two seconds
        }
    }
}
