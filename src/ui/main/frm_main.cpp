#include "frm_main.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <string>

#include "output/results_output.h"
#include "platform/services.h"
#include "ui/about/frm_about.h"
#include "ui/main/appearance.h"
#include "ui/main/font_substitutions.h"
#include "ui/main/roll_label.h"
#include "ui/twips.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

constexpr int kClientWidth = 7140;
constexpr int kClientHeight = 5505;
constexpr char kResultsHeading[] = "摇号结果\r\n";
constexpr char kExitQuestion[] = "确定要关闭摇号软件吗?";
constexpr char kExitTitle[] = "退出";
constexpr char kConfirmQuestion[] = "请再次确认关闭吗?";
constexpr char kConfirmTitle[] = "确认退出";
const QColor kRed(255, 0, 0);

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Creates a control with its design name, placed in twips within its container.
template <typename W>
W* place(QWidget* container, const char* name, int left, int top, int width, int height) {
    auto* widget = new W(container);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(Twips::rect(left, top, width, height));
    return widget;
}

QLabel* label(QWidget* container, const char* name, const QString& text, int left, int top,
              int width, int height) {
    auto* widget = place<CaptionLabel>(container, name, left, top, width, height);
    widget->setText(text);
    return widget;
}

QPushButton* button(QWidget* container, const char* name, const QString& caption, int left, int top,
                    int width, int height, const QString& tip = {}) {
    auto* widget = place<QPushButton>(container, name, left, top, width, height);
    widget->setText(caption);
    widget->setToolTip(tip);
    widget->setAutoDefault(false);
    return widget;
}

QGroupBox* frame(QWidget* container, const char* name, const QString& caption, int left, int top,
                 int width, int height) {
    auto* widget = place<QGroupBox>(container, name, left, top, width, height);
    widget->setTitle(caption);
    return widget;
}

QScrollBar* colourBar(QWidget* container, const char* name, Qt::Orientation orientation, int left,
                      int top, int width, int height) {
    auto* widget = place<QScrollBar>(container, name, left, top, width, height);
    widget->setOrientation(orientation);
    widget->setRange(0, 15);
    widget->setValue(0);
    widget->setSingleStep(1);
    widget->setPageStep(1);
    widget->setFocusPolicy(Qt::StrongFocus);
    return widget;
}

QListWidget* oneRowList(QWidget* container, const char* name, int left, int top, int width,
                        int height, const QString& tip) {
    auto* widget = place<QListWidget>(container, name, left, top, width, height);
    widget->setToolTip(tip);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    widget->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    widget->setSortingEnabled(false);
    return widget;
}

// Frame captions are drawn in the highlight colour; the frame's own controls keep the
// ordinary text colour.
void highlightCaptions(QWidget* root) {
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    const QColor text = QApplication::palette().color(QPalette::WindowText);
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        QPalette palette = child->palette();
        const bool isFrame = qobject_cast<QGroupBox*>(child) != nullptr;
        palette.setColor(QPalette::WindowText, isFrame ? highlight : text);
        child->setPalette(palette);
    }
    if (qobject_cast<QGroupBox*>(root) != nullptr) {
        QPalette palette = root->palette();
        palette.setColor(QPalette::WindowText, highlight);
        root->setPalette(palette);
    }
}

// The box shows CR LF as a line break; a lone CR or LF inside a name breaks the line
// within its paragraph, so the exact text stays recoverable from the stored string.
QString renderResults(std::string_view text) {
    const QString source = fromUtf8(text);
    QString shown;
    shown.reserve(source.size());
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source.at(i);
        if (c == u'\r' && i + 1 < source.size() && source.at(i + 1) == u'\n') {
            shown += u'\n';
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            shown += QChar(QChar::LineSeparator);
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace

FrmMain::FrmMain(platform::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_services(services), m_engine(*this, services) {
    registerFontSubstitutions();
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Kelvara V1.0  -  最简单摇号软件"));
    setFixedSize(Twips::size(kClientWidth, kClientHeight));

    createControls();
    createSettingsPanel();
    setTabOrder();
    connectHandlers();

    m_resultsText = kResultsHeading;
    syncResultsBox();
    Txt_Results->setFocus(Qt::OtherFocusReason);

    centreOnScreen(*this);

    Form_Load();
    new Appearance(*this);
}

FrmMain::~FrmMain() {
    if (m_keyPreview) {
        qApp->removeEventFilter(this);
    }
}

void FrmMain::createControls() {
    // Created bottom to top: later siblings are drawn over earlier ones.
    Shape1 = place<QFrame>(this, "Shape1", 120, 240, 6975, 1095);
    setBackground(Shape1, QColor(0, 0, 255));

    Txt_Results = place<QPlainTextEdit>(this, "Txt_Results", 120, 1440, 6975, 2775);
    Txt_Results->setReadOnly(true);
    Txt_Results->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Txt_Results->setFocusPolicy(Qt::StrongFocus);
    Txt_Results->setTabChangesFocus(true);
    Txt_Results->setUndoRedoEnabled(false);
    Txt_Results->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Txt_Results->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Txt_Results->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setRoleColour(Txt_Results, QPalette::Text, QColor(0, 0, 255));
    Txt_Results->setFont(boldFont(QStringLiteral("宋体"), 26.25));

    Pic_Roll = place<QFrame>(this, "Pic_Roll", 240, 360, 6735, 855);
    Pic_Roll->setFrameShape(QFrame::NoFrame);
    Pic_Roll->setFocusPolicy(Qt::StrongFocus);

    Lbl_Roll = new RollLabel(Pic_Roll);
    Lbl_Roll->setObjectName(QStringLiteral("Lbl_Roll"));
    Lbl_Roll->setGeometry(Twips::rect(-1440, 0, 9735, 855));
    Lbl_Roll->setFrameStyle(QFrame::Box | QFrame::Plain);
    Lbl_Roll->setLineWidth(1);
    Lbl_Roll->setAlignment(Qt::AlignHCenter);
    Lbl_Roll->setText(QStringLiteral("摇号"));
    setRoleColour(Lbl_Roll, QPalette::Window, QColor(128, 255, 255));
    setRoleColour(Lbl_Roll, QPalette::WindowText, QColor(192, 0, 0));
    Lbl_Roll->setFont(boldFont(QStringLiteral("黑体"), 42));

    Frame_Oper = frame(this, "Frame_Oper", QString(), 120, 4440, 6975, 975);
    Cmd_Init = button(Frame_Oper, "Cmd_Init", QStringLiteral("初始化&I"), 120, 240, 855, 615,
                      QStringLiteral("初始化一次方可进行摇号"));
    Cmd_Start =
        button(Frame_Oper, "Cmd_Start", fromUtf8(draw::text::kStartCaption), 1440, 240, 855, 615);
    Txt_Num = place<QLineEdit>(Frame_Oper, "Txt_Num", 2280, 240, 375, 270);
    Txt_Num->setToolTip(QStringLiteral("设置本轮点一次抽几个人！"));
    Cmd_Print = button(Frame_Oper, "Cmd_Print", QStringLiteral("打印&P"), 2880, 240, 855, 615,
                       QStringLiteral("直接打印当前结果"));
    Cmd_Save = button(Frame_Oper, "Cmd_Save", QStringLiteral("保存&S"), 4200, 240, 855, 615,
                      QStringLiteral("保存当前结果"));
    Cmd_Exit = button(Frame_Oper, "Cmd_Exit", QStringLiteral("退出&X"), 5520, 240, 855, 615,
                      QStringLiteral("退出本程序"));

    Frame_Settings = frame(this, "Frame_Settings", QStringLiteral("设置"), 7200, 120, 2535, 5295);

    Cmd_Size_V = button(this, "Cmd_Size_V", QStringLiteral("&V"), 6840, 4200, 135, 180,
                        QStringLiteral("点击可以上下伸缩"));
    Cmd_Size_H = button(this, "Cmd_Size_H", QStringLiteral("&H"), 6960, 4200, 135, 180,
                        QStringLiteral("点击可以左右伸缩"));

    // Too small for the style's own button frame and padding.
    for (QPushButton* tiny : {Cmd_Size_V, Cmd_Size_H}) {
        tiny->setStyleSheet(QStringLiteral(
            "QPushButton { border: 1px solid palette(dark); background: palette(button);"
            " padding: 0px; font-size: 8px; }"
            "QPushButton:pressed { background: palette(mid); }"));
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1);

    m_resultsSync = new QTimer(this);
    m_resultsSync->setSingleShot(true);
    m_resultsSync->setInterval(0);
}

void FrmMain::createSettingsPanel() {
    QWidget* const panel = Frame_Settings;
    // The panel keeps the ordinary background when the window turns red.
    setBackground(panel, QApplication::palette().color(QPalette::Window));

    Frame_Roll = frame(panel, "Frame_Roll", QStringLiteral("滚动区"), 120, 240, 1935, 3375);
    Frame_Results = frame(panel, "Frame_Results", QStringLiteral("结果区"), 120, 3600, 1935, 1575);
    Label7 = label(panel, "Label7", QStringLiteral("背景色"), 2160, 120, 255, 615);
    VScroll_Color_Frame =
        colourBar(panel, "VScroll_Color_Frame", Qt::Vertical, 2160, 720, 255, 1815);
    Check_Title = place<QCheckBox>(panel, "Check_Title", 2160, 2880, 255, 255);
    Check_Title->setTristate(true);
    Check_Title->setCheckState(Qt::PartiallyChecked);
    Label8 = label(panel, "Label8", QStringLiteral("窗体标题栏"), 2160, 3240, 255, 975);
    CmdAbout = button(panel, "CmdAbout", QStringLiteral("关\n于"), 2160, 4440, 255, 735,
                      QStringLiteral("关于本软件"));
    CmdAbout->setAccessibleName(QStringLiteral("关于"));

    // The rolling label's settings.
    Frame_DuiQi = frame(Frame_Roll, "Frame_DuiQi", QStringLiteral("对齐"), 120, 240, 1335, 975);
    Frame1 = frame(Frame_Roll, "Frame1", QStringLiteral("滚动区缩放"), 120, 1200, 1335, 735);
    Label1 = label(Frame_Roll, "Label1", QStringLiteral("字号"), 120, 2040, 360, 180);
    List_FontSize_Roll = oneRowList(Frame_Roll, "List_FontSize_Roll", 840, 2040, 975, 240,
                                    QStringLiteral("上下按钮调节，点击变蓝生效"));
    List_FontSize_Roll->addItems({"22", "26", "30", "34", "38", "42"});
    Label6 = label(Frame_Roll, "Label6", QStringLiteral("字体颜色"), 120, 2400, 720, 180);
    HScroll_Color_Roll =
        colourBar(Frame_Roll, "HScroll_Color_Roll", Qt::Horizontal, 840, 2400, 975, 255);
    Label2 = label(Frame_Roll, "Label2", QStringLiteral("背景色"), 120, 2640, 540, 180);
    HScroll_Color_Roll_Back =
        colourBar(Frame_Roll, "HScroll_Color_Roll_Back", Qt::Horizontal, 840, 2640, 975, 255);
    Lbl_Font_Roll = label(Frame_Roll, "Lbl_Font_Roll", QStringLiteral("字体"), 120, 3000, 360, 180);
    Lbl_Font_Roll->setToolTip(QStringLiteral("双击字体二字可以伸缩"));
    List_Fonts_Roll = oneRowList(Frame_Roll, "List_Fonts_Roll", 480, 3000, 1335, 240,
                                 QStringLiteral("双击字体二字可以伸缩"));

    const char* const alignNames[] = {"Opt_Align_0", "Opt_Align_1", "Opt_Align_2"};
    const QString alignCaptions[] = {QStringLiteral("左对齐"), QStringLiteral("右对齐"),
                                     QStringLiteral("居中")};
    const int alignTops[] = {240, 480, 720};
    const int alignWidths[] = {855, 855, 735};
    const int alignHeights[] = {255, 255, 180};
    Opt_Align_Group = new QButtonGroup(this);
    Opt_Align_Group->setObjectName(QStringLiteral("Opt_Align"));
    for (int i = 0; i < 3; ++i) {
        Opt_Align[i] = place<QRadioButton>(Frame_DuiQi, alignNames[i], 120, alignTops[i],
                                           alignWidths[i], alignHeights[i]);
        Opt_Align[i]->setText(alignCaptions[i]);
        Opt_Align_Group->addButton(Opt_Align[i], i);
    }
    Opt_Align[2]->setChecked(true);

    const char* const sizeNames[] = {"Opt_Size_0", "Opt_Size_1"};
    const QString sizeCaptions[] = {QStringLiteral("一倍宽度"), QStringLiteral("二倍宽度")};
    const int sizeTops[] = {240, 480};
    const int sizeHeights[] = {255, 180};
    Opt_Size_Group = new QButtonGroup(this);
    Opt_Size_Group->setObjectName(QStringLiteral("Opt_Size"));
    for (int i = 0; i < 2; ++i) {
        Opt_Size[i] =
            place<QRadioButton>(Frame1, sizeNames[i], 120, sizeTops[i], 1095, sizeHeights[i]);
        Opt_Size[i]->setText(sizeCaptions[i]);
        Opt_Size_Group->addButton(Opt_Size[i], i);
    }
    Opt_Size[1]->setChecked(true);

    // The results box's settings.
    Label4 = label(Frame_Results, "Label4", QStringLiteral("字号"), 120, 240, 360, 180);
    Label4->setToolTip(QStringLiteral("上下按钮调节，点击变蓝生效"));
    List_FontSize_Results = oneRowList(Frame_Results, "List_FontSize_Results", 840, 240, 975, 240,
                                       QStringLiteral("上下按钮调节，点击变蓝生效"));
    List_FontSize_Results->addItems({"10", "12",  "14",  "16",  "18",  "20",  "22",
                                     "24", "26",  "30",  "40",  "50",  "60",  "70",
                                     "80", "100", "120", "150", "180", "240", "300"});
    Label3 = label(Frame_Results, "Label3", QStringLiteral("字体颜色"), 120, 600, 720, 180);
    HScroll_Color_Results =
        colourBar(Frame_Results, "HScroll_Color_Results", Qt::Horizontal, 840, 600, 975, 255);
    Label5 = label(Frame_Results, "Label5", QStringLiteral("背景色"), 120, 840, 540, 180);
    HScroll_Color_Results_Back =
        colourBar(Frame_Results, "HScroll_Color_Results_Back", Qt::Horizontal, 840, 840, 975, 255);
    Lbl_Font_Results =
        label(Frame_Results, "Lbl_Font_Results", QStringLiteral("字体"), 120, 1200, 360, 180);
    Lbl_Font_Results->setToolTip(QStringLiteral("双击字体二字可以伸缩"));
    List_Fonts_Results = oneRowList(Frame_Results, "List_Fonts_Results", 480, 1200, 1335, 240,
                                    QStringLiteral("双击字体二字可以伸缩"));

    highlightCaptions(Frame_Settings);
}

// The keyboard order of the design; labels and frames never take the focus, so only the
// controls that do are chained.
void FrmMain::setTabOrder() {
    QWidget* const order[] = {Txt_Results,
                              Pic_Roll,
                              Txt_Num,
                              Cmd_Exit,
                              Cmd_Save,
                              Cmd_Start,
                              Cmd_Init,
                              Opt_Align[0],
                              Opt_Align[1],
                              Opt_Align[2],
                              Opt_Size[0],
                              Opt_Size[1],
                              List_FontSize_Roll,
                              List_FontSize_Results,
                              List_Fonts_Roll,
                              List_Fonts_Results,
                              HScroll_Color_Results,
                              HScroll_Color_Results_Back,
                              HScroll_Color_Roll_Back,
                              HScroll_Color_Roll,
                              VScroll_Color_Frame,
                              Cmd_Print,
                              CmdAbout,
                              Cmd_Size_V,
                              Cmd_Size_H,
                              Check_Title};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void FrmMain::connectHandlers() {
    connect(Cmd_Init, &QPushButton::clicked, this, &FrmMain::Cmd_Init_Click);
    connect(Cmd_Start, &QPushButton::clicked, this, &FrmMain::Cmd_Start_Click);
    connect(Cmd_Save, &QPushButton::clicked, this, &FrmMain::Cmd_Save_Click);
    connect(Cmd_Print, &QPushButton::clicked, this, &FrmMain::Cmd_Print_Click);
    connect(Cmd_Exit, &QPushButton::clicked, this, &FrmMain::Cmd_Exit_Click);
    connect(CmdAbout, &QPushButton::clicked, this, &FrmMain::CmdAbout_Click);
    connect(Timer1, &QTimer::timeout, this, &FrmMain::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &FrmMain::Timer2_Timer);
    connect(m_resultsSync, &QTimer::timeout, this, &FrmMain::syncResultsBox);
}

void FrmMain::Form_Load() {
    setWindowTitle(versionCaption(m_services.appData(), "     -  "));

    m_engine.StartUp();

    setBackground(this, kRed);
    setBackground(Frame_Oper, kRed);

    Cmd_Start->setEnabled(false);

    for (const std::string& name : m_services.screenFonts()) {
        List_Fonts_Roll->addItem(fromUtf8(name));
        List_Fonts_Results->addItem(fromUtf8(name));
    }

    qApp->installEventFilter(this);
    m_keyPreview = true;
}

bool FrmMain::Form_Unload() {
    using platform::Answer;
    using platform::Buttons;
    if (m_services.messageBox(kExitQuestion, Buttons::YesNo, std::string_view(kExitTitle)) !=
        Answer::Yes) {
        return false;
    }
    return m_services.messageBox(kConfirmQuestion, Buttons::YesNo,
                                 std::string_view(kConfirmTitle)) == Answer::Yes;
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // A second close request while the questions are open is ignored.
    if (m_askingToClose) {
        event->ignore();
        return;
    }
    m_askingToClose = true;
    const bool mayClose = Form_Unload();
    m_askingToClose = false;
    if (mayClose) {
        event->accept();
    } else {
        event->ignore();
    }
}

void FrmMain::Cmd_Init_Click() {
    m_engine.Cmd_Init_Click();
}

void FrmMain::Cmd_Start_Click() {
    m_engine.Cmd_Start_Click();
}

void FrmMain::Timer1_Timer() {
    m_engine.Timer1_Timer();
}

void FrmMain::Timer2_Timer() {
    m_engine.Timer2_Timer();
}

void FrmMain::Cmd_Save_Click() {
    m_engine.CompletePendingListing();
    output::SaveResults(m_services, m_resultsText);
}

void FrmMain::Cmd_Print_Click() {
    m_engine.CompletePendingListing();
    output::PrintResults(m_services, m_resultsText);
}

void FrmMain::Cmd_Exit_Click() {
    close();
}

void FrmMain::CmdAbout_Click() {
    if (m_about == nullptr) {
        m_about = new FrmAbout(m_services, this);
    }
    m_about->exec();
}

// Key preview: Enter and Space anywhere in the window act as Start/Stop before the focused
// control sees them. A focused button, check box or option button does not get them as
// well, so one key press never runs two actions.
bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (m_keyPreview && watched->isWidgetType() &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        if (previewKey(static_cast<QWidget*>(watched), event)) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool FrmMain::previewKey(QWidget* receiver, QEvent* event) {
    const auto* key = static_cast<QKeyEvent*>(event);
    std::int16_t code = 0;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        code = 13;
        break;
    case Qt::Key_Space:
        code = 32;
        break;
    default:
        return false;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    // Only keys typed into this window, and only at their first receiver: a key that the
    // focused control ignores travels on to its parents.
    if (receiver->window() != this) {
        return false;
    }
    QWidget* const first = focusWidget() != nullptr ? focusWidget() : this;
    if (receiver != first) {
        return false;
    }
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != this) {
        return false;
    }

    const bool toButton = qobject_cast<QAbstractButton*>(receiver) != nullptr;
    // Holding the key down would start and stop rounds at the repeat rate.
    if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
        m_engine.Form_KeyPress(code);
    }
    return toButton;
}

// Qt makes an option group one tab stop at its first option; the stop belongs to the
// selected one.
bool FrmMain::focusNextPrevChild(bool next) {
    if (!QWidget::focusNextPrevChild(next)) {
        return false;
    }
    const auto* option = qobject_cast<QRadioButton*>(focusWidget());
    const QButtonGroup* group = option != nullptr ? option->group() : nullptr;
    if (group != nullptr && group->checkedButton() != nullptr && !option->isChecked()) {
        group->checkedButton()->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
    return true;
}

// Qt moves the focus on to the next control when the focused one is disabled, which
// would drop it somewhere in the hidden settings panel. Keep it on the window instead
// and hand it to the successor once that is usable.
void FrmMain::parkFocusWhileDisabled(QWidget* control, QWidget* successor) {
    if (focusWidget() != control) {
        return;
    }
    setFocus(Qt::OtherFocusReason);
    if (successor->isEnabled() && successor != control) {
        successor->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_focusAfterEnable = successor;
}

void FrmMain::setRollCaption(std::string_view text) {
    Lbl_Roll->setText(fromUtf8(text));
}

void FrmMain::setInitEnabled(bool enabled) {
    if (!enabled) {
        parkFocusWhileDisabled(Cmd_Init, Cmd_Start);
    }
    Cmd_Init->setEnabled(enabled);
}

std::string FrmMain::startCaption() const {
    return Cmd_Start->text().toStdString();
}

void FrmMain::setStartCaption(std::string_view text) {
    Cmd_Start->setText(fromUtf8(text));
}

void FrmMain::setStartEnabled(bool enabled) {
    if (!enabled) {
        parkFocusWhileDisabled(Cmd_Start, Cmd_Start);
    }
    Cmd_Start->setEnabled(enabled);
    if (enabled && m_focusAfterEnable == Cmd_Start) {
        m_focusAfterEnable = nullptr;
        if (focusWidget() == nullptr || focusWidget() == this) {
            Cmd_Start->setFocus(Qt::OtherFocusReason);
        }
    }
}

std::string FrmMain::roundSizeText() const {
    return Txt_Num->text().toStdString();
}

void FrmMain::setRoundSizeText(std::string_view text) {
    Txt_Num->setText(fromUtf8(text));
}

void FrmMain::setTimer1Enabled(bool enabled) {
    if (!enabled) {
        Timer1->stop();
    } else if (!Timer1->isActive()) {
        Timer1->start();
    }
}

void FrmMain::setTimer2Enabled(bool enabled) {
    if (!enabled) {
        Timer2->stop();
    } else if (!Timer2->isActive()) {
        Timer2->start();
    }
}

std::string FrmMain::resultsText() const {
    return m_resultsText;
}

// A listing sets the text once per winner without yielding; the box is brought up to
// date once afterwards.
void FrmMain::setResultsText(std::string text) {
    m_resultsText = std::move(text);
    if (!m_resultsSync->isActive()) {
        m_resultsSync->start();
    }
}

void FrmMain::moveResultsCaretToEnd() {
    m_resultsCaretToEnd = true;
    if (!m_resultsSync->isActive()) {
        m_resultsSync->start();
    }
}

void FrmMain::syncResultsBox() {
    if (m_resultsText != m_shownResultsText) {
        const std::string_view shown = m_shownResultsText;
        const bool appended =
            !shown.empty() && m_resultsText.size() > shown.size() &&
            std::string_view(m_resultsText).substr(0, shown.size()) == shown &&
            shown.back() != '\r' &&
            (static_cast<unsigned char>(m_resultsText[shown.size()]) & 0xC0) != 0x80;
        if (appended) {
            QTextCursor cursor(Txt_Results->document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(renderResults(std::string_view(m_resultsText).substr(shown.size())));
        } else {
            Txt_Results->setPlainText(renderResults(m_resultsText));
        }
        m_shownResultsText = m_resultsText;
    }
    if (m_resultsCaretToEnd) {
        m_resultsCaretToEnd = false;
        Txt_Results->moveCursor(QTextCursor::End);
        Txt_Results->ensureCursorVisible();
    }
}

QSize FrmMain::frameExtra() const {
    return frameGeometry().size() - geometry().size();
}

int FrmMain::outerWidthTwips() const {
    return static_cast<int>(std::lround(Twips::fromPixels(width() + frameExtra().width())));
}

int FrmMain::outerHeightTwips() const {
    return static_cast<int>(std::lround(Twips::fromPixels(height() + frameExtra().height())));
}

void FrmMain::setOuterWidthTwips(int twips) {
    const QPoint corner = pos();
    setFixedWidth(std::max(0, Twips::toPixels(twips) - frameExtra().width()));
    move(corner);
}

void FrmMain::setOuterHeightTwips(int twips) {
    const QPoint corner = pos();
    setFixedHeight(std::max(0, Twips::toPixels(twips) - frameExtra().height()));
    move(corner);
}

} // namespace kelvara::ui
