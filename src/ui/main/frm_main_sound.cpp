// The draw's sounds: the window's side of them.
#include <QShortcut>

#include "platform/sound_player.h"
#include "ui/main/audience_screen.h"
#include "ui/main/frm_main.h"
#include "ui/main/settings_file.h"
#include "ui/main/sound_cues.h"

namespace kelvara::ui {

void FrmMain::setUpSound(platform::SoundPlayer* player) {
    if (player == nullptr) {
        m_silence = std::make_unique<platform::SilentSoundPlayer>();
        player = m_silence.get();
    }
    m_sound = new SoundCues(m_services, *player, *m_settings, this);

    auto* muteKey = new QShortcut(QKeySequence(Qt::Key_F8), this);
    muteKey->setAutoRepeat(false);
    connect(muteKey, &QShortcut::activated, m_sound, &SoundCues::toggleMute);
    connect(m_audience, &AudienceScreen::muteKeyPressed, m_sound, &SoundCues::toggleMute);
}

} // namespace kelvara::ui
