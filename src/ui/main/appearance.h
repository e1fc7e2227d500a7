#pragma once

#include <QObject>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QScrollBar;
class QWidget;

namespace kelvara::ui {

class FrmMain;
class RollLabel;

// The appearance handlers of the main window: fonts and colours of the rolling label and
// the results box, and the layout toggles. They keep no settings of their own; every
// decision reads the current property of the window or control. The controls are found
// by their design names, so the window only has to create this object.
class Appearance final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Appearance)

public:
    explicit Appearance(FrmMain& window);

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

    FrmMain& m_window;
    RollLabel* Lbl_Roll = nullptr;
    QPlainTextEdit* Txt_Results = nullptr;
    QWidget* Pic_Roll = nullptr;
    QGroupBox* Frame_Oper = nullptr;
    QAbstractButton* Cmd_Size_H = nullptr;
    QAbstractButton* Cmd_Size_V = nullptr;
    QScrollBar* HScroll_Color_Roll = nullptr;
    QScrollBar* HScroll_Color_Roll_Back = nullptr;
    QScrollBar* HScroll_Color_Results = nullptr;
    QScrollBar* HScroll_Color_Results_Back = nullptr;
    QScrollBar* VScroll_Color_Frame = nullptr;
    QListWidget* List_Fonts_Roll = nullptr;
    QListWidget* List_Fonts_Results = nullptr;
    QListWidget* List_FontSize_Roll = nullptr;
    QListWidget* List_FontSize_Results = nullptr;
    QLabel* Lbl_Font_Roll = nullptr;
    QLabel* Lbl_Font_Results = nullptr;
    QButtonGroup* Opt_Align = nullptr;
    QButtonGroup* Opt_Size = nullptr;
    QCheckBox* Check_Title = nullptr;
};

} // namespace kelvara::ui
