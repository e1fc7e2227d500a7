#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "draw/draw_engine.h"
#include "draw/draw_view.h"
#include "output/results_output.h"
#include "ui/held_key_guard.h"
#include "ui/main/columns_dialog.h"
#include "ui/main/frm_main_ui.h"

class QAction;
class QCloseEvent;
class QShowEvent;

namespace kelvara::platform {
class Services;
class SoundPlayer;
} // namespace kelvara::platform

namespace kelvara::ui {

class Appearance;
class AudienceScreen;
class FrmAbout;
class KeptAppearance;
class KeyPreview;
class PrizeBar;
class RunPanel;
class SettingsFile;
class SoundCues;
class VerifiableWindow;

// The main window. Its controls are in m_ui (the settings panel in the appearance
// handlers'); the draw itself lives in the engine, which reaches them through DrawView and
// tells what went wrong through DrawNotices, which the window words and shows. The panels
// that show the run (the results box, the prize bar, the audience view and the verifiable
// window) draw themselves from the engine's data.
class FrmMain final : public QWidget, public draw::DrawView, public draw::DrawNotices {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmMain)

public:
    // Without a sound player, the window is silent.
    FrmMain(platform::Services& services, draw::DrawEngine& engine, output::ResultsOutput& output,
            platform::SoundPlayer* sound = nullptr, QWidget* parent = nullptr);
    ~FrmMain() override;

    // DrawView
    void showName(std::string_view name) override;
    void showRow(std::string_view roll, std::string_view audience) override;
    void showListSize(int count) override;
    void showRolling() override;
    void showRestored(int restored, int remaining) override;
    void setInitEnabled(bool enabled) override;
    void setStartAction(draw::StartAction action) override;
    void setStartEnabled(bool enabled) override;
    void setRoundSizeText(std::string_view text) override;
    void setTimer1Enabled(bool enabled) override;
    void setTimer2Enabled(bool enabled) override;
    void showRun(const draw::RunView& run) override;

    // DrawNotices
    void tell(const draw::Notice& notice) override;
    bool drawAnyway(std::span<const draw::ListProblem> problems) override;

    // The results box's exact text.
    const std::string& resultsText() const;

    // The audience view, full screen for a hall; F11 opens and closes it.
    AudienceScreen& audienceScreen() const { return *m_audience; }
    void toggleAudienceScreen();
    // The operator's settings, for pages that keep their own choices there (LookPage).
    SettingsFile& settingsFile() const { return *m_settings; }

    // The draw's sounds, their mute (F8) and volume: what the sound settings page changes.
    SoundCues& soundCues() const { return *m_sound; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void setTabOrder();
    void connectHandlers();

    // Start-up and shut-down (frm_main_lifecycle.cpp).
    void Form_Load();
    bool Form_Unload(); // true: the window may close
    void Form_KeyPress(std::int16_t KeyAscii);
    void Cmd_Exit_Click();
    void offerToContinue();
    void restoreWindowOnceFramed(int waitsLeft);

    void Cmd_Init_Click();
    void Cmd_Start_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Cmd_Save_Click();
    void Cmd_Print_Click();
    void CmdAbout_Click();

    // The prize plan's bar and absent winners (frm_main_prizes.cpp).
    void setUpPrizes();
    void updateAbsentAction();
    void markAbsentAtCaret();

    // The list's columns, the event and the announcement (frm_main_columns.cpp).
    void setUpColumns();
    void tellDamagedSettings();
    void openColumns();
    void publish();
    // The audience view's look from the settings file (frm_main_look.cpp).
    void setUpLook();

    // The options: the rehearsal, the audience view's look, the sound; the main window's
    // appearance kept (frm_main_options.cpp).
    void setUpOptions();
    void openOptions();
    void setRehearsal(bool rehearsal);
    void tellSettingsNotWritten();

    // The draw's sounds (frm_main_sound.cpp).
    void setUpSound(platform::SoundPlayer* player);

    // The verifiable draw's window and choice (frm_main_verifiable.cpp).
    void setUpVerifiable();
    void openVerifiableWindow();
    void acceptPublicInput(const QStringList& parts);
    void printCommitment();
    void revealSecret();

    void reportOutputFailure(const platform::Failure& failure);
    void setRollCaption(const QString& caption);
    void parkFocusWhileDisabled(QWidget* control, QWidget* successor);

    platform::Services& m_services;
    draw::DrawEngine& m_engine;
    output::ResultsOutput& m_output;
    FrmMainUi m_ui;
    Appearance* m_appearance = nullptr;
    // Shared by every window that lets Enter or Space act, so a held key acts once.
    HeldKeyGuard m_heldKeys;
    std::unique_ptr<KeyPreview> m_keyPreview;
    bool m_askingToClose = false;
    bool m_shownBefore = false;
    // Where the focus returns once a control that lost it by being disabled is usable.
    QWidget* m_focusAfterEnable = nullptr;
    FrmAbout* m_about = nullptr;
    AudienceScreen* m_audience = nullptr;
    PrizeBar* m_prizeBar = nullptr;
    QAction* m_absentAction = nullptr;        // marks the winner on the results box's caret line
    VerifiableWindow* m_verifiable = nullptr; // opened by a verifiable run's Initialize
    std::vector<RunPanel*> m_panels;          // every panel that shows the run
    std::unique_ptr<SettingsFile> m_settings; // kept in the data folder
    bool m_settingsDamaged = false;           // to tell once the window is up
    std::unique_ptr<platform::SoundPlayer> m_silence; // the player of a window without sound
    SoundCues* m_sound = nullptr;
    EventFacts m_event;
    KeptAppearance* m_keptAppearance = nullptr;
    bool m_settingsNotWrittenTold = false;
};

} // namespace kelvara::ui
