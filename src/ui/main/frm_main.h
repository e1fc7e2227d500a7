#pragma once

#include <QWidget>
#include <string>

#include "draw/draw_engine.h"
#include "draw/draw_view.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QCloseEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;

namespace kelvara::platform {
class Services;
}

namespace kelvara::ui {

class FrmAbout;
class RollLabel;

// The main window. Every control carries its design name as objectName; the draw
// itself lives in the engine, which reaches the controls through DrawView.
class FrmMain final : public QWidget, public draw::DrawView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmMain)

public:
    explicit FrmMain(platform::Services& services, QWidget* parent = nullptr);
    ~FrmMain() override;

    // Outer size (client area plus the frame that the window manager reports), in twips.
    // Setting it keeps the window's top-left corner.
    int outerWidthTwips() const;
    int outerHeightTwips() const;
    void setOuterWidthTwips(int twips);
    void setOuterHeightTwips(int twips);

    draw::DrawEngine& engine() { return m_engine; }

    // DrawView
    void setRollCaption(std::string_view text) override;
    void setInitEnabled(bool enabled) override;
    std::string startCaption() const override;
    void setStartCaption(std::string_view text) override;
    void setStartEnabled(bool enabled) override;
    std::string roundSizeText() const override;
    void setRoundSizeText(std::string_view text) override;
    void setTimer1Enabled(bool enabled) override;
    void setTimer2Enabled(bool enabled) override;
    std::string resultsText() const override;
    void setResultsText(std::string text) override;
    void moveResultsCaretToEnd() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void createControls();
    void createSettingsPanel();
    void setTabOrder();
    void connectHandlers();
    void Form_Load();
    bool Form_Unload(); // true: the window may close

    void Cmd_Init_Click();
    void Cmd_Start_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Cmd_Save_Click();
    void Cmd_Print_Click();
    void Cmd_Exit_Click();
    void CmdAbout_Click();

    bool previewKey(QWidget* receiver, QEvent* event);
    void parkFocusWhileDisabled(QWidget* control, QWidget* successor);
    void syncResultsBox();
    QSize frameExtra() const;

    platform::Services& m_services;
    draw::DrawEngine m_engine;
    bool m_keyPreview = false;
    bool m_askingToClose = false;

    // Exact results text; the box shows a rendering of it.
    std::string m_resultsText;
    std::string m_shownResultsText;
    bool m_resultsCaretToEnd = false;
    QTimer* m_resultsSync = nullptr;

    // Where the focus returns once a control that lost it by being disabled is usable.
    QWidget* m_focusAfterEnable = nullptr;

    FrmAbout* m_about = nullptr;

    // Controls, by their design names.
    QFrame* Shape1 = nullptr;
    QFrame* Pic_Roll = nullptr;
    RollLabel* Lbl_Roll = nullptr;
    QPlainTextEdit* Txt_Results = nullptr;
    QPushButton* Cmd_Size_V = nullptr;
    QPushButton* Cmd_Size_H = nullptr;
    QGroupBox* Frame_Oper = nullptr;
    QPushButton* Cmd_Init = nullptr;
    QPushButton* Cmd_Start = nullptr;
    QLineEdit* Txt_Num = nullptr;
    QPushButton* Cmd_Print = nullptr;
    QPushButton* Cmd_Save = nullptr;
    QPushButton* Cmd_Exit = nullptr;
    QGroupBox* Frame_Settings = nullptr;
    QGroupBox* Frame_Roll = nullptr;
    QGroupBox* Frame_Results = nullptr;
    QLabel* Label7 = nullptr;
    QScrollBar* VScroll_Color_Frame = nullptr;
    QCheckBox* Check_Title = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* CmdAbout = nullptr;
    QGroupBox* Frame_DuiQi = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* List_FontSize_Roll = nullptr;
    QLabel* Label6 = nullptr;
    QScrollBar* HScroll_Color_Roll = nullptr;
    QLabel* Label2 = nullptr;
    QScrollBar* HScroll_Color_Roll_Back = nullptr;
    QLabel* Lbl_Font_Roll = nullptr;
    QListWidget* List_Fonts_Roll = nullptr;
    QRadioButton* Opt_Align[3] = {};
    QRadioButton* Opt_Size[2] = {};
    QButtonGroup* Opt_Align_Group = nullptr;
    QButtonGroup* Opt_Size_Group = nullptr;
    QLabel* Label4 = nullptr;
    QListWidget* List_FontSize_Results = nullptr;
    QLabel* Label3 = nullptr;
    QScrollBar* HScroll_Color_Results = nullptr;
    QLabel* Label5 = nullptr;
    QScrollBar* HScroll_Color_Results_Back = nullptr;
    QLabel* Lbl_Font_Results = nullptr;
    QListWidget* List_Fonts_Results = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
};

} // namespace kelvara::ui
