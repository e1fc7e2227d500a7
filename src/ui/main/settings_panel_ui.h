#pragma once

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace kelvara::ui {

class LayoutBuilder;

// The main window's settings panel, by the controls' design names, created from the
// window's layout table.
struct SettingsPanelUi {
    QGroupBox* Frame_Settings = nullptr;
    QGroupBox* Frame_Roll = nullptr;
    QGroupBox* Frame_Results = nullptr;
    QLabel* Label7 = nullptr;
    QScrollBar* VScroll_Color_Frame = nullptr;
    QCheckBox* Check_Title = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* CmdAbout = nullptr;
    QCheckBox* Check_Verifiable = nullptr;
    QPushButton* Cmd_Columns = nullptr;
    QPushButton* Cmd_Options = nullptr;

    QGroupBox* Frame_DuiQi = nullptr;
    QRadioButton* Opt_Align[3] = {};
    QButtonGroup* Opt_Align_Group = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Opt_Size[2] = {};
    QButtonGroup* Opt_Size_Group = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* List_FontSize_Roll = nullptr;
    QLabel* Label6 = nullptr;
    QScrollBar* HScroll_Color_Roll = nullptr;
    QLabel* Label2 = nullptr;
    QScrollBar* HScroll_Color_Roll_Back = nullptr;
    QLabel* Lbl_Font_Roll = nullptr;
    QListWidget* List_Fonts_Roll = nullptr;

    QLabel* Label4 = nullptr;
    QListWidget* List_FontSize_Results = nullptr;
    QLabel* Label3 = nullptr;
    QScrollBar* HScroll_Color_Results = nullptr;
    QLabel* Label5 = nullptr;
    QScrollBar* HScroll_Color_Results_Back = nullptr;
    QLabel* Lbl_Font_Results = nullptr;
    QListWidget* List_Fonts_Results = nullptr;

    // Creates the panel in the window, in its design state.
    void setupUi(QWidget& window);

private:
    void addFrames(LayoutBuilder& builder);
    void addRollSettings(LayoutBuilder& builder, QWidget& window);
    void addResultsSettings(LayoutBuilder& builder);
};

} // namespace kelvara::ui
