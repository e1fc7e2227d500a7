// The draw's sounds as the operator hears them: which sound a round plays, mute and volume
// kept in the settings file, a sound that fails told once, and the settings page.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "fakes/fake_services.h"
#include "platform/sound_player.h"
#include "ui/main/audience_screen.h"
#include "ui/main/settings_file.h"
#include "ui/main/sound_cues.h"
#include "ui/main/sound_page.h"
#include "ui/main_window_session.h"

using namespace Qt::StringLiterals;

using kelvara::platform::Sound;
using kelvara::testing::FakeServices;
using kelvara::testing::Session;
using kelvara::testing::sixtyNames;
using kelvara::testing::typeKey;
using kelvara::ui::SettingsFile;
using kelvara::ui::SoundCues;

namespace {

// Records each request as the sound log words it; fails every play on request, later, from
// the event loop, as the real player does.
class FakePlayer final : public kelvara::platform::SoundPlayer {
public:
    explicit FakePlayer(std::string dataFolder = {}) : folder(std::move(dataFolder)) {}

    void playLoop(const Sound& sound) override { play("loop ", sound); }
    void playOnce(const Sound& sound) override { play("once ", sound); }
    void stop() override { requests << u"stop"_s; }
    void setVolume(int percent) override { requests << u"volume %1"_s.arg(percent); }
    void setMuted(bool muted) override { requests << (muted ? u"mute on"_s : u"mute off"_s); }
    void setErrorSink(ErrorSink sink) override { m_sink = std::move(sink); }

    QStringList requests;
    bool failing = false;
    std::string folder; // files are named relative to it

private:
    void play(const char* how, const Sound& sound) {
        requests << QString::fromUtf8(how) +
                        QString::fromStdString(kelvara::platform::soundName(sound, folder));
        if (failing) {
            QTimer::singleShot(0, [this, sound] {
                if (m_sink) {
                    m_sink(sound, "文件已损坏");
                }
            });
        }
    }

    ErrorSink m_sink;
};

void makeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes = "ID3") {
    QDir(dir.path()).mkpath(QFileInfo(dir.filePath(name)).path());
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Sound cues over a temporary data folder and its settings file.
struct Cues {
    Cues() : services(dir.path().toStdString()), player(dir.path().toStdString()) {}

    SoundCues& make() {
        settings = std::make_unique<SettingsFile>(
            services, services,
            dir.filePath(QString::fromUtf8(kelvara::ui::kSettingsFileName)).toStdString());
        settings->load();
        cues.reset(); // the earlier one lets go of the player first
        player.requests.clear();
        cues = std::make_unique<SoundCues>(services, player, *settings);
        return *cues;
    }
    QJsonObject kept() const {
        QFile file(dir.filePath(QString::fromUtf8(kelvara::ui::kSettingsFileName)));
        file.open(QIODevice::ReadOnly);
        return QJsonDocument::fromJson(file.readAll()).object().value(u"声音"_s).toObject();
    }

    QTemporaryDir dir;
    FakeServices services;
    FakePlayer player;
    std::unique_ptr<SettingsFile> settings;
    std::unique_ptr<SoundCues> cues;
};

} // namespace

class SoundTest : public QObject {
    Q_OBJECT

private slots:
    void roundPlaysTheFolderFilesBeforeTheBuiltInSounds_data();
    void roundPlaysTheFolderFilesBeforeTheBuiltInSounds();
    void keptSettingsApplyWhereTheyArePresent_data();
    void keptSettingsApplyWhereTheyArePresent();
    void muteSilencesRoundsAndIsKept();
    void failingSoundIsToldOnceAfterTheRound();
    void windowSoundsThroughTheDraw();
    void pageShowsAndChangesTheSettings();
};

void SoundTest::roundPlaysTheFolderFilesBeforeTheBuiltInSounds_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("prize");
    QTest::addColumn<QStringList>("requests");
    const QString builtinLoop = u"loop builtin:roll"_s;
    const QString builtinFanfare = u"once builtin:fanfare"_s;
    QTest::newRow("no folder") << QStringList() << QString()
                               << QStringList{builtinLoop, builtinFanfare};
    QTest::newRow("the prize's own music")
        << QStringList{u"一等奖.mp3"_s} << u"一等奖"_s
        << QStringList{u"loop 声音/一等奖.mp3"_s, builtinFanfare};
    QTest::newRow("another prize's music")
        << QStringList{u"一等奖.mp3"_s} << u"三等奖"_s << QStringList{builtinLoop, builtinFanfare};
    QTest::newRow("prize music before the folder's loop")
        << QStringList{u"一等奖.ogg"_s, u"滚动.wav"_s, u"停止.mp3"_s} << u"一等奖"_s
        << QStringList{u"loop 声音/一等奖.ogg"_s, u"once 声音/停止.mp3"_s};
    QTest::newRow("the folder's loop without a plan")
        << QStringList{u"一等奖.mp3"_s, u"滚动.wav"_s} << QString()
        << QStringList{u"loop 声音/滚动.wav"_s, builtinFanfare};
    QTest::newRow("mp3 first") << QStringList{u"滚动.ogg"_s, u"滚动.mp3"_s} << QString()
                               << QStringList{u"loop 声音/滚动.mp3"_s, builtinFanfare};
    QTest::newRow("no other extension") << QStringList{u"滚动.flac"_s, u"停止.txt"_s, u"停止"_s}
                                        << QString() << QStringList{builtinLoop, builtinFanfare};
    QTest::newRow("a prize named like a path")
        << QStringList{u"滚动.mp3"_s} << u"../声音/滚动"_s
        << QStringList{u"loop 声音/滚动.mp3"_s, builtinFanfare};
}

void SoundTest::roundPlaysTheFolderFilesBeforeTheBuiltInSounds() {
    QFETCH(QStringList, files);
    QFETCH(QString, prize);
    QFETCH(QStringList, requests);
    Cues c;
    for (const QString& file : files) {
        makeFile(c.dir, u"声音/"_s + file);
    }
    SoundCues& cues = c.make();
    cues.setPrize(prize);
    c.player.requests.clear();
    cues.roundStarted();
    cues.roundStarted(); // the timer enabled again in the same round
    cues.roundStopped();
    cues.roundStopped();
    QCOMPARE(c.player.requests, requests);
}

void SoundTest::keptSettingsApplyWhereTheyArePresent_data() {
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<QStringList>("atStart");
    QTest::newRow("none: sound on") << QByteArray() << QStringList{u"volume 80"_s, u"mute off"_s};
    QTest::newRow("both") << QByteArray(R"({"静音": true, "音量": 35})")
                          << QStringList{u"volume 35"_s, u"mute on"_s};
    QTest::newRow("volume alone") << QByteArray(R"({"音量": 0})")
                                  << QStringList{u"volume 0"_s, u"mute off"_s};
    QTest::newRow("mute alone") << QByteArray(R"({"静音": true})")
                                << QStringList{u"volume 80"_s, u"mute on"_s};
    QTest::newRow("out of range") << QByteArray(R"({"音量": 250})")
                                  << QStringList{u"volume 100"_s, u"mute off"_s};
    QTest::newRow("wrong types") << QByteArray(R"({"静音": "是", "音量": "60"})")
                                 << QStringList{u"volume 80"_s, u"mute off"_s};
    QTest::newRow("not an object")
        << QByteArray("true") << QStringList{u"volume 80"_s, u"mute off"_s};
}

void SoundTest::keptSettingsApplyWhereTheyArePresent() {
    QFETCH(QByteArray, kept);
    QFETCH(QStringList, atStart);
    Cues c;
    if (!kept.isEmpty()) {
        makeFile(c.dir, QString::fromUtf8(kelvara::ui::kSettingsFileName),
                 R"({"格式": "Kelvara 设置 1", "声音": )" + kept + "}");
    }
    c.make();
    QCOMPARE(c.player.requests, atStart);
}

// Nothing plays while muted; heard again in the middle of a round, the loop goes on. Each
// change is in the file at once, and the next start takes it.
void SoundTest::muteSilencesRoundsAndIsKept() {
    Cues c;
    SoundCues& cues = c.make();
    QSignalSpy muted(&cues, &SoundCues::mutedChanged);
    cues.toggleMute();
    cues.setVolume(60);
    cues.setVolume(60);
    QCOMPARE(c.kept(), (QJsonObject{{u"静音"_s, true}, {u"音量"_s, 60}}));
    c.player.requests.clear();
    cues.roundStarted();
    cues.roundStopped();
    cues.roundStarted();
    QCOMPARE(c.player.requests, QStringList());

    cues.setMuted(false);
    cues.roundStopped();
    cues.setMuted(true);
    QCOMPARE(c.player.requests, (QStringList{u"mute off"_s, u"loop builtin:roll"_s,
                                             u"once builtin:fanfare"_s, u"mute on"_s, u"stop"_s}));
    QCOMPARE(muted.size(), 3);
    cues.setVolume(-5);
    QCOMPARE(c.kept(), (QJsonObject{{u"静音"_s, true}, {u"音量"_s, 0}}));

    c.make();
    QCOMPARE(c.player.requests, (QStringList{u"volume 0"_s, u"mute on"_s}));
    QVERIFY(c.services.messages.empty());
}

// Every play fails: one message, and not while the round rolls, where a box would take the
// Stop key.
void SoundTest::failingSoundIsToldOnceAfterTheRound() {
    Cues c;
    makeFile(c.dir, u"声音/一等奖.mp3"_s, "not a sound");
    SoundCues& cues = c.make();
    c.player.failing = true;
    cues.setPrize(u"一等奖"_s);
    cues.roundStarted();
    QTest::qWait(20);
    QVERIFY(c.services.messages.empty());
    cues.roundStopped();
    QTRY_COMPARE(c.services.messages.size(), std::size_t{1});
    cues.roundStarted();
    cues.roundStopped();
    QTest::qWait(20);
    QCOMPARE(c.services.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(c.services.messages.front().text),
             u"无法播放声音文件 %1：文件已损坏，摇号照常进行，不再提示。"_s.arg(
                 QDir::toNativeSeparators(u"声音/一等奖.mp3"_s)));
}

// A plan of two prizes, the second with its own music: Start and Stop from the window, F8
// there and F8 and M in the audience view, and the mute kept for the next start.
void SoundTest::windowSoundsThroughTheDraw() {
    FakePlayer player;
    auto s = std::make_unique<Session>(sixtyNames(), &player);
    QVERIFY(s->ok);
    player.folder = s->dir.path().toStdString();
    makeFile(s->dir, u"奖项.txt"_s, "三等奖 3\r\n一等奖 1\r\n");
    makeFile(s->dir, u"声音/一等奖.wav"_s);
    const auto listed = [&](const char* number) {
        return s->window->resultsText().find(number) != std::string::npos;
    };
    s->click("Cmd_Init");
    player.requests.clear();

    s->click("Cmd_Start");
    QVERIFY(s->rolling());
    QCOMPARE(player.requests, QStringList{u"loop builtin:roll"_s});
    s->click("Cmd_Start");
    QTRY_VERIFY(listed("[3]:\t"));
    s->click("Cmd_Start"); // the next prize, with its own music
    QVERIFY(s->rolling());
    typeKey(s->window.get(), Qt::Key_F8);
    s->click("Cmd_Start");
    QTRY_VERIFY(listed("[4]:\t"));
    QCOMPARE(player.requests, (QStringList{u"loop builtin:roll"_s, u"once builtin:fanfare"_s,
                                           u"loop 声音/一等奖.wav"_s, u"mute on"_s, u"stop"_s}));

    player.requests.clear();
    typeKey(s->window.get(), Qt::Key_F11);
    auto* view = s->control<kelvara::ui::AudienceScreen>("AudienceScreen");
    QTRY_VERIFY(view->isVisible());
    typeKey(view, Qt::Key_M);
    typeKey(view, Qt::Key_F8);
    QCOMPARE(player.requests, (QStringList{u"mute off"_s, u"mute on"_s, u"stop"_s}));
    QVERIFY(s->window->soundCues().muted());

    // The next start, over the same data folder.
    s->window.reset();
    FakePlayer again(player.folder);
    kelvara::draw::DrawEngine engine(s->services.forDraw());
    kelvara::output::ResultsOutput output(s->services, s->services, s->services);
    kelvara::ui::FrmMain window(s->services, engine, output, &again);
    QCOMPARE(again.requests, (QStringList{u"volume 80"_s, u"mute on"_s}));
}

void SoundTest::pageShowsAndChangesTheSettings() {
    Cues c;
    SoundCues& cues = c.make();
    kelvara::ui::SoundPage page(cues);
    auto* mute = kelvara::testing::findControl<QCheckBox>(page, "Chk_Mute");
    auto* volume = kelvara::testing::findControl<QSlider>(page, "Sld_Volume");
    auto* files = kelvara::testing::findControl<QLabel>(page, "Lbl_SoundFiles");
    QVERIFY(!mute->isChecked());
    QCOMPARE(volume->value(), SoundCues::kDefaultVolume);
    QVERIFY(files->text().contains(u"滚动.mp3"_s) && files->text().contains(u"停止.mp3"_s));
    QVERIFY(files->text().contains(cues.folderShown()));

    c.player.requests.clear();
    mute->click();
    volume->setValue(45);
    QVERIFY(cues.muted());
    QCOMPARE(c.kept(), (QJsonObject{{u"静音"_s, true}, {u"音量"_s, 45}}));
    QCOMPARE(c.player.requests, (QStringList{u"mute on"_s, u"stop"_s, u"volume 45"_s}));
    QCOMPARE(kelvara::testing::findControl<QLabel>(page, "Lbl_Volume")->text(), u"45"_s);

    // A mute by F8 shows on the page.
    cues.toggleMute();
    QVERIFY(!mute->isChecked());
    cues.setVolume(70);
    QCOMPARE(volume->value(), 70);
}

QTEST_MAIN(SoundTest)
#include "sound_test.moc"
