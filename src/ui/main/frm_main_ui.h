#pragma once

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QWidget;

namespace kelvara::ui {

class ResultsBox;
class RollLabel;

// The main window's own controls, by their design names, created from the layout table.
// The settings panel is the appearance handlers' (SettingsPanelUi).
struct FrmMainUi {
    QFrame* Shape1 = nullptr;
    ResultsBox* Txt_Results = nullptr;
    QFrame* Pic_Roll = nullptr;
    RollLabel* Lbl_Roll = nullptr;
    QGroupBox* Frame_Oper = nullptr;
    QPushButton* Cmd_Init = nullptr;
    QPushButton* Cmd_Start = nullptr;
    QLineEdit* Txt_Num = nullptr;
    QPushButton* Cmd_Print = nullptr;
    QPushButton* Cmd_Save = nullptr;
    QPushButton* Cmd_Exit = nullptr;
    QLabel* Lbl_Rehearsal = nullptr; // shown in a rehearsal
    QPushButton* Cmd_Size_V = nullptr;
    QPushButton* Cmd_Size_H = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // Creates the controls in their design state.
    void setupUi(QWidget& window);
};

} // namespace kelvara::ui
