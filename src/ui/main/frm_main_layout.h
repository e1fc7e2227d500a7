#pragma once

#include "ui/control_layout.h"

namespace kelvara::ui {

// Every control of the main window with its container, place in twips, caption and
// tooltip. A control is moved here and nowhere else. Rows are in creation order: a
// container before its controls, later siblings drawn over earlier ones.
inline constexpr ControlPlace kFrmMainLayout[] = {
    // name, container, left, top, width, height, caption, tooltip
    {"Shape1", "FrmMain", 120, 240, 6975, 1095, "", ""},
    {"Txt_Results", "FrmMain", 120, 1440, 6975, 2775, "", ""},
    {"Pic_Roll", "FrmMain", 240, 360, 6735, 855, "", ""},
    {"Lbl_Roll", "Pic_Roll", -1440, 0, 9735, 855, "摇号", ""},

    {"Frame_Oper", "FrmMain", 120, 4440, 6975, 975, "", ""},
    {"Cmd_Init", "Frame_Oper", 120, 240, 855, 615, "初始化&I", "初始化一次方可进行摇号"},
    {"Cmd_Start", "Frame_Oper", 1440, 240, 855, 615, "开始&G", ""},
    {"Txt_Num", "Frame_Oper", 2280, 240, 375, 270, "", "设置本轮点一次抽几个人！"},
    {"Cmd_Print", "Frame_Oper", 2880, 240, 855, 615, "打印&P", "直接打印当前结果"},
    {"Cmd_Save", "Frame_Oper", 4200, 240, 855, 615, "保存&S", "保存当前结果"},
    {"Cmd_Exit", "Frame_Oper", 5520, 240, 855, 615, "退出&X", "退出本程序"},

    // Drawn over the results box's lower right corner.
    {"Cmd_Size_V", "FrmMain", 6840, 4200, 135, 180, "&V", "点击可以上下伸缩"},
    {"Cmd_Size_H", "FrmMain", 6960, 4200, 135, 180, "&H", "点击可以左右伸缩"},

    // The settings panel, built by the appearance handlers.
    {"Frame_Settings", "FrmMain", 7200, 120, 2535, 5295, "设置", ""},
    {"Frame_Roll", "Frame_Settings", 120, 240, 1935, 3375, "滚动区", ""},
    {"Frame_Results", "Frame_Settings", 120, 3600, 1935, 1575, "结果区", ""},
    {"Label7", "Frame_Settings", 2160, 120, 255, 615, "背景色", ""},
    {"VScroll_Color_Frame", "Frame_Settings", 2160, 720, 255, 1815, "", ""},
    {"Check_Title", "Frame_Settings", 2160, 2880, 255, 255, "", ""},
    {"Label8", "Frame_Settings", 2160, 3240, 255, 975, "窗体标题栏", ""},
    {"CmdAbout", "Frame_Settings", 2160, 4440, 255, 735, "关\n于", "关于本软件"},
    // Beside the panel's caption: chosen before Initialize, fixed for the run after it.
    {"Check_Verifiable", "Frame_Settings", 600, 0, 1500, 240, "可验证摇号&Y",
     "初始化之前选择：中签者由公开的承诺和见证人输入的数字决定，任何人事后都可以核对"},

    // Beside the rolling frame's caption: how the list's columns are shown, and the
    // announcement.
    {"Cmd_Columns", "Frame_Settings", 900, 210, 1140, 270, "列与公示&L…",
     "选择名单的各列在滚动区、大屏幕、结果区和公示中是否显示、如何遮盖；"
     "填写公示的标题和地点，写出公示（Alt+K）"},

    // Beside the results frame's caption: the rehearsal, the audience view's look and sound.
    {"Cmd_Options", "Frame_Settings", 900, 3570, 1140, 270, "选项&O…",
     "演练（初始化之前选择）、大屏幕的画面与声音"},

    {"Frame_DuiQi", "Frame_Roll", 120, 240, 1335, 975, "对齐", ""},
    {"Opt_Align_0", "Frame_DuiQi", 120, 240, 855, 255, "左对齐", ""},
    {"Opt_Align_1", "Frame_DuiQi", 120, 480, 855, 255, "右对齐", ""},
    {"Opt_Align_2", "Frame_DuiQi", 120, 720, 735, 180, "居中", ""},
    {"Frame1", "Frame_Roll", 120, 1200, 1335, 735, "滚动区缩放", ""},
    {"Opt_Size_0", "Frame1", 120, 240, 1095, 255, "一倍宽度", ""},
    {"Opt_Size_1", "Frame1", 120, 480, 1095, 180, "二倍宽度", ""},
    {"Label1", "Frame_Roll", 120, 2040, 360, 180, "字号", ""},
    {"List_FontSize_Roll", "Frame_Roll", 840, 2040, 975, 240, "", "上下按钮调节，点击变蓝生效"},
    {"Label6", "Frame_Roll", 120, 2400, 720, 180, "字体颜色", ""},
    {"HScroll_Color_Roll", "Frame_Roll", 840, 2400, 975, 255, "", ""},
    {"Label2", "Frame_Roll", 120, 2640, 540, 180, "背景色", ""},
    {"HScroll_Color_Roll_Back", "Frame_Roll", 840, 2640, 975, 255, "", ""},
    {"Lbl_Font_Roll", "Frame_Roll", 120, 3000, 360, 180, "字体", "双击字体二字可以伸缩"},
    {"List_Fonts_Roll", "Frame_Roll", 480, 3000, 1335, 240, "", "双击字体二字可以伸缩"},

    {"Label4", "Frame_Results", 120, 240, 360, 180, "字号", "上下按钮调节，点击变蓝生效"},
    {"List_FontSize_Results", "Frame_Results", 840, 240, 975, 240, "",
     "上下按钮调节，点击变蓝生效"},
    {"Label3", "Frame_Results", 120, 600, 720, 180, "字体颜色", ""},
    {"HScroll_Color_Results", "Frame_Results", 840, 600, 975, 255, "", ""},
    {"Label5", "Frame_Results", 120, 840, 540, 180, "背景色", ""},
    {"HScroll_Color_Results_Back", "Frame_Results", 840, 840, 975, 255, "", ""},
    {"Lbl_Font_Results", "Frame_Results", 120, 1200, 360, 180, "字体", "双击字体二字可以伸缩"},
    {"List_Fonts_Results", "Frame_Results", 480, 1200, 1335, 240, "", "双击字体二字可以伸缩"},
};
static_assert(containersComeFirst(kFrmMainLayout, "FrmMain"));

consteval const ControlPlace& frmMainPlace(std::string_view name) {
    return placeOf(kFrmMainLayout, name);
}

} // namespace kelvara::ui
