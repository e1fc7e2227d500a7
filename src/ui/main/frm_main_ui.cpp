#include "frm_main_ui.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/main/frm_main_layout.h"
#include "ui/main/results_box.h"
#include "ui/main/roll_label.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

QPushButton* button(LayoutBuilder& builder, const ControlPlace& place) {
    auto* widget = builder.add<QPushButton>(place);
    widget->setAutoDefault(false);
    return widget;
}

QTimer* timer(QWidget& window, const char* name) {
    auto* widget = new QTimer(&window);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setInterval(1);
    return widget;
}

} // namespace

void FrmMainUi::setupUi(QWidget& window) {
    LayoutBuilder builder(window);

    Shape1 = builder.add<QFrame>(frmMainPlace("Shape1"));
    setBackground(Shape1, QColor(0, 0, 255));

    Txt_Results = builder.add<ResultsBox>(frmMainPlace("Txt_Results"));
    setRoleColour(Txt_Results, QPalette::Text, QColor(0, 0, 255));
    Txt_Results->setFont(boldFont(QStringLiteral("宋体"), 26.25));

    Pic_Roll = builder.add<QFrame>(frmMainPlace("Pic_Roll"));
    Pic_Roll->setFrameShape(QFrame::NoFrame);
    Pic_Roll->setFocusPolicy(Qt::StrongFocus);

    Lbl_Roll = builder.add<RollLabel>(frmMainPlace("Lbl_Roll"));
    Lbl_Roll->setFrameStyle(QFrame::Box | QFrame::Plain);
    Lbl_Roll->setLineWidth(1);
    Lbl_Roll->setAlignment(Qt::AlignHCenter);
    setRoleColour(Lbl_Roll, QPalette::Window, QColor(128, 255, 255));
    setRoleColour(Lbl_Roll, QPalette::WindowText, QColor(192, 0, 0));
    Lbl_Roll->setFont(boldFont(QStringLiteral("黑体"), 42));

    Frame_Oper = builder.add<QGroupBox>(frmMainPlace("Frame_Oper"));
    drawPlainFrame(Frame_Oper);
    Cmd_Init = button(builder, frmMainPlace("Cmd_Init"));
    Cmd_Start = button(builder, frmMainPlace("Cmd_Start"));
    Txt_Num = builder.add<QLineEdit>(frmMainPlace("Txt_Num"));
    Cmd_Print = button(builder, frmMainPlace("Cmd_Print"));
    Cmd_Save = button(builder, frmMainPlace("Cmd_Save"));
    Cmd_Exit = button(builder, frmMainPlace("Cmd_Exit"));
    // The rehearsal's mark, in the results box's top right corner: in view whatever the
    // window's size.
    Lbl_Rehearsal = new QLabel(QStringLiteral("演练"), Txt_Results);
    Lbl_Rehearsal->setObjectName(QStringLiteral("Lbl_Rehearsal"));
    Lbl_Rehearsal->setToolTip(QStringLiteral("这次是演练，不是正式摇号"));
    Lbl_Rehearsal->setAlignment(Qt::AlignCenter);
    Lbl_Rehearsal->setContentsMargins(8, 2, 8, 2);
    Lbl_Rehearsal->setFont(boldFont(QStringLiteral("黑体"), 12));
    Lbl_Rehearsal->setAutoFillBackground(true);
    setRoleColour(Lbl_Rehearsal, QPalette::Window, QColor(255, 212, 0));
    setRoleColour(Lbl_Rehearsal, QPalette::WindowText, Qt::black);
    Lbl_Rehearsal->hide();

    Cmd_Size_V = button(builder, frmMainPlace("Cmd_Size_V"));
    Cmd_Size_H = button(builder, frmMainPlace("Cmd_Size_H"));
    // Too small for the style's own button frame and padding.
    for (QPushButton* tiny : {Cmd_Size_V, Cmd_Size_H}) {
        tiny->setStyleSheet(QStringLiteral(
            "QPushButton { border: 1px solid palette(dark); background: palette(button);"
            " padding: 0px; font-size: 8px; }"
            "QPushButton:pressed { background: palette(mid); }"));
    }

    Timer1 = timer(window, "Timer1");
    Timer2 = timer(window, "Timer2");
}

} // namespace kelvara::ui
