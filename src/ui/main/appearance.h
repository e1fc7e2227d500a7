#pragma once

#include <QObject>

#include "ui/main/settings_panel_ui.h"

class QListWidget;

namespace kelvara::ui {

struct FrmMainUi;

// The appearance handlers of the main window: the settings panel, which they build, with
// the fonts and colours of the rolling label and the results box, and the layout toggles.
// They keep no settings of their own; every decision reads the current property of the
// window or control.
class Appearance final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Appearance)

public:
    Appearance(QWidget& window, const FrmMainUi& windowUi);

    const SettingsPanelUi& ui() const { return m_ui; }
    // The window's size as the size buttons see it: each switches to the other.
    bool isNarrow() const;
    bool isShort() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectHandlers();

    void HScroll_Color_Roll_Change();
    void HScroll_Color_Roll_Back_Change();
    void HScroll_Color_Results_Change();
    void HScroll_Color_Results_Back_Change();
    void List_Fonts_Roll_Click();
    void List_Fonts_Results_Click();
    void List_FontSize_Roll_Click();
    void List_FontSize_Results_Click();
    void Lbl_Font_Roll_DblClick();
    void Lbl_Font_Results_DblClick();
    void List_Fonts_Roll_DblClick();
    void Opt_Align_Click(int index);
    void Opt_Size_Click(int index);
    void Cmd_Size_H_Click();
    void Cmd_Size_V_Click();
    void Check_Title_Click();
    void VScroll_Color_Frame_Change();

    // Runs `handler` whenever the list's selection lands on an item: a click (also on the
    // item already selected) or a move with the keys.
    void onItemChosen(QListWidget* list, void (Appearance::*handler)());

    int borderStyle() const;
    void setBorderStyle(int style);
    void keepResizable();

    QWidget& m_window;
    const FrmMainUi& m_windowUi;
    SettingsPanelUi m_ui;
};

} // namespace kelvara::ui
