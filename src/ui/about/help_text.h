#pragma once

namespace kelvara::ui {

// The help shown in the About window: ten lines, each ended by CR LF. Lines 4 and 5 are one
// sentence, broken before "进行".
inline constexpr char kAboutHelpText[] =
    "★本摇号软件绿色免费。\r\n"
    "★使用时请在软件目录下的bonus.txt文件为摇号(抽奖)"
    "的资料库。可以从Excel、Word文档等直接复制粘贴过来。\r\n"
    "★每次软件刚运行，点击一次初始化，然后就可以摇号了。\r\n"
    "★开始按钮旁边的文本框里输入本次摇号需要摇出的号码个数。（默认是1个）可以直接按回车或空格键\r\n"
    "★进行摇号开始或停止。\r\n"
    "★字体设置的地方，双击字体二字可以伸缩字体列表，方便选择操作。\r\n"
    "★单击结果区右下角“V”“H”小按钮可以分别实现垂直伸缩和水平伸缩。\r\n"
    "★打印按钮可以打印当前结果区的内容。\r\n"
    "--------------\r\n"
    "★请关注我的博客上最新版本下载信息。\r\n";

} // namespace kelvara::ui
