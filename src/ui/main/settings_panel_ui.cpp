#include "settings_panel_ui.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "ui/main/frm_main_layout.h"
#include "ui/main/roll_label.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

using namespace Qt::StringLiterals;

namespace {

QScrollBar* colourBar(LayoutBuilder& builder, const ControlPlace& place,
                      Qt::Orientation orientation) {
    auto* widget = builder.add<QScrollBar>(place);
    widget->setOrientation(orientation);
    widget->setRange(0, 15);
    widget->setValue(0);
    widget->setSingleStep(1);
    widget->setPageStep(1);
    widget->setFocusPolicy(Qt::StrongFocus);
    return widget;
}

QListWidget* oneRowList(LayoutBuilder& builder, const ControlPlace& place) {
    auto* widget = builder.add<QListWidget>(place);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    widget->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    widget->setSortingEnabled(false);
    return widget;
}

template <std::size_t N>
QButtonGroup* optionGroup(QWidget& window, const char* name, QRadioButton* (&options)[N]) {
    auto* group = new QButtonGroup(&window);
    group->setObjectName(QString::fromLatin1(name));
    for (std::size_t i = 0; i < N; ++i) {
        group->addButton(options[i], static_cast<int>(i));
    }
    return group;
}

// Frame captions are drawn in the highlight colour; the frames' own controls keep the
// ordinary text colour.
void highlightCaptions(QGroupBox* root) {
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    const QColor text = QApplication::palette().color(QPalette::WindowText);
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const bool isFrame = qobject_cast<QGroupBox*>(child) != nullptr;
        setRoleColour(child, QPalette::WindowText, isFrame ? highlight : text);
    }
    setRoleColour(root, QPalette::WindowText, highlight);
}

} // namespace

void SettingsPanelUi::setupUi(QWidget& window) {
    LayoutBuilder builder(window);
    addFrames(builder);
    addRollSettings(builder, window);
    addResultsSettings(builder);
    highlightCaptions(Frame_Settings);
}

void SettingsPanelUi::addFrames(LayoutBuilder& builder) {
    Frame_Settings = builder.add<QGroupBox>(frmMainPlace("Frame_Settings"));
    // The panel keeps the ordinary background when the window turns red.
    setBackground(Frame_Settings, QApplication::palette().color(QPalette::Window));
    Frame_Roll = builder.add<QGroupBox>(frmMainPlace("Frame_Roll"));
    Frame_Results = builder.add<QGroupBox>(frmMainPlace("Frame_Results"));
    Label7 = builder.add<CaptionLabel>(frmMainPlace("Label7"));
    VScroll_Color_Frame = colourBar(builder, frmMainPlace("VScroll_Color_Frame"), Qt::Vertical);
    Check_Title = builder.add<QCheckBox>(frmMainPlace("Check_Title"));
    Check_Title->setTristate(true);
    Check_Title->setCheckState(Qt::PartiallyChecked);
    Label8 = builder.add<CaptionLabel>(frmMainPlace("Label8"));
    CmdAbout = builder.add<QPushButton>(frmMainPlace("CmdAbout"));
    CmdAbout->setAutoDefault(false);
    CmdAbout->setAccessibleName(QStringLiteral("关于"));
    Check_Verifiable = builder.add<QCheckBox>(frmMainPlace("Check_Verifiable"));
    Cmd_Columns = builder.add<QPushButton>(frmMainPlace("Cmd_Columns"));
    Cmd_Columns->setAutoDefault(false);
    Cmd_Columns->setFlat(true);
    Cmd_Options = builder.add<QPushButton>(frmMainPlace("Cmd_Options"));
    Cmd_Options->setAutoDefault(false);
    Cmd_Options->setFlat(true);
}

// The rolling label's settings.
void SettingsPanelUi::addRollSettings(LayoutBuilder& builder, QWidget& window) {
    Frame_DuiQi = builder.add<QGroupBox>(frmMainPlace("Frame_DuiQi"));
    Opt_Align[0] = builder.add<QRadioButton>(frmMainPlace("Opt_Align_0"));
    Opt_Align[1] = builder.add<QRadioButton>(frmMainPlace("Opt_Align_1"));
    Opt_Align[2] = builder.add<QRadioButton>(frmMainPlace("Opt_Align_2"));
    Opt_Align_Group = optionGroup(window, "Opt_Align", Opt_Align);
    Opt_Align[2]->setChecked(true);
    Frame1 = builder.add<QGroupBox>(frmMainPlace("Frame1"));
    Opt_Size[0] = builder.add<QRadioButton>(frmMainPlace("Opt_Size_0"));
    Opt_Size[1] = builder.add<QRadioButton>(frmMainPlace("Opt_Size_1"));
    Opt_Size_Group = optionGroup(window, "Opt_Size", Opt_Size);
    Opt_Size[1]->setChecked(true);
    Label1 = builder.add<CaptionLabel>(frmMainPlace("Label1"));
    List_FontSize_Roll = oneRowList(builder, frmMainPlace("List_FontSize_Roll"));
    List_FontSize_Roll->addItems({u"22"_s, u"26"_s, u"30"_s, u"34"_s, u"38"_s, u"42"_s});
    Label6 = builder.add<CaptionLabel>(frmMainPlace("Label6"));
    HScroll_Color_Roll = colourBar(builder, frmMainPlace("HScroll_Color_Roll"), Qt::Horizontal);
    Label2 = builder.add<CaptionLabel>(frmMainPlace("Label2"));
    HScroll_Color_Roll_Back =
        colourBar(builder, frmMainPlace("HScroll_Color_Roll_Back"), Qt::Horizontal);
    Lbl_Font_Roll = builder.add<CaptionLabel>(frmMainPlace("Lbl_Font_Roll"));
    List_Fonts_Roll = oneRowList(builder, frmMainPlace("List_Fonts_Roll"));
}

// The results box's settings.
void SettingsPanelUi::addResultsSettings(LayoutBuilder& builder) {
    Label4 = builder.add<CaptionLabel>(frmMainPlace("Label4"));
    List_FontSize_Results = oneRowList(builder, frmMainPlace("List_FontSize_Results"));
    List_FontSize_Results->addItems({u"10"_s,  u"12"_s,  u"14"_s, u"16"_s,  u"18"_s,  u"20"_s,
                                     u"22"_s,  u"24"_s,  u"26"_s, u"30"_s,  u"40"_s,  u"50"_s,
                                     u"60"_s,  u"70"_s,  u"80"_s, u"100"_s, u"120"_s, u"150"_s,
                                     u"180"_s, u"240"_s, u"300"_s});
    Label3 = builder.add<CaptionLabel>(frmMainPlace("Label3"));
    HScroll_Color_Results =
        colourBar(builder, frmMainPlace("HScroll_Color_Results"), Qt::Horizontal);
    Label5 = builder.add<CaptionLabel>(frmMainPlace("Label5"));
    HScroll_Color_Results_Back =
        colourBar(builder, frmMainPlace("HScroll_Color_Results_Back"), Qt::Horizontal);
    Lbl_Font_Results = builder.add<CaptionLabel>(frmMainPlace("Lbl_Font_Results"));
    List_Fonts_Results = oneRowList(builder, frmMainPlace("List_Fonts_Results"));
}

} // namespace kelvara::ui
