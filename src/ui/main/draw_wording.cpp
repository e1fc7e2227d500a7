#include "draw_wording.h"

#include "platform/app_info.h"

namespace kelvara::ui::wording {

namespace {

constexpr char kMissingFile[] =
    "请在本程序旁建立文本文件bonus.txt，然后将您要抽奖的名单逐行输入或从其它文档复制剪贴到bonus."
    "txt即可。";

// A data folder away from the program is named, so the operator knows where the list goes.
std::string missingFile(const platform::AppInfo& app) {
    const platform::AppData data = app.appData();
    std::string message = kMissingFile;
    if (!data.isProgramDirectory) {
        message += "\n（文件夹：" + app.displayPath(data.directory) + "）";
    }
    return message;
}

std::string lineTooLong(int line) {
    std::string message = "bonus.txt第";
    message += std::to_string(line);
    message += "行超过1000个字符，请检查文件内容！";
    return message;
}

std::string recordNotWritten(const draw::Notice& notice) {
    std::string message = "无法写入摇号记录：" + notice.path;
    if (!notice.reason.empty()) {
        message += "\n" + notice.reason;
    }
    return message + "\n本次摇号的结果只保存在结果框中，请及时保存。";
}

} // namespace

QString startCaption(draw::StartAction action) {
    return action == draw::StartAction::Start ? QStringLiteral("开始&G") : QStringLiteral("停止&G");
}

QString listSize(int count) {
    return QStringLiteral("共%1条数据！").arg(count);
}

QString rolling() {
    return QStringLiteral("---------");
}

QString restored(int restored, int remaining) {
    return QStringLiteral("已恢复%1人，剩余%2人").arg(restored).arg(remaining);
}

std::string notice(const draw::Notice& notice, const platform::AppInfo& app) {
    using draw::NoticeKind;
    switch (notice.kind) {
    case NoticeKind::ListMissing:
        return missingFile(app);
    case NoticeKind::ListUnreadable:
        return "无法读取bonus.txt，请检查文件是否被其它程序占用或没有读取权限！";
    case NoticeKind::TooFewLines:
        return "记录起码需要两条以上，请检查!";
    case NoticeKind::TooManyLines:
        return "记录总数不要超过10000条！";
    case NoticeKind::LineTooLong:
        return lineTooLong(notice.line);
    case NoticeKind::NeededAboveMyNum:
        return "抽取的人数不能多于候选人数！[随即函数]";
    case NoticeKind::TooFewCandidates:
        return "候选人数少于2人，不足以进行一次摇号！";
    case NoticeKind::RoundAboveRemaining:
        return "抽取的人数不能多于候选人数！[开始]";
    case NoticeKind::RoundNotPositive:
        return "抽取的人数必须是正整数！[开始]";
    case NoticeKind::ListShrunk:
        return "bonus.txt的记录比初始化时少，本轮摇号已取消！请恢复该文件后再摇号。";
    case NoticeKind::LinesShifted:
        return "bonus.txt在初始化后插入或删除了记录，本轮摇号已取消！请恢复该文件后再摇号。";
    case NoticeKind::ListDiffers:
        return "bonus.txt与上次摇号时的名单不同，无法继续上次的摇号。\n上次的记录保存在：" +
               notice.path;
    case NoticeKind::RecordNotWritten:
        return recordNotWritten(notice);
    }
    return {};
}

std::string continueQuestion(const draw::ContinueOffer& offer) {
    std::string question = "上次摇号没有正常结束，已抽出";
    question += std::to_string(offer.run.winners.size());
    question += "人（最后一轮：";
    question += offer.run.lastRoundTime;
    question += "）。\n是否继续上次的摇号？";
    return question;
}

} // namespace kelvara::ui::wording
