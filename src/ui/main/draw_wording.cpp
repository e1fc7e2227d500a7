#include "draw_wording.h"

#include "draw/record_format.h"
#include "ui/main/settings_file.h"

#include <optional>

#include "draw/limits.h"
#include "draw/record_format.h"
#include "platform/app_info.h"
#include "ui/main/failure_wording.h"

namespace kelvara::ui::wording {

namespace {

using platform::kCandidateFile;
constexpr std::uintmax_t kMegabyte = 1024 * 1024;
using platform::kCandidateWorkbook;

// A data folder away from the program is named, so the operator knows where the list goes.
std::string missingFile(const platform::AppInfo& app) {
    const platform::AppData data = app.appData();
    std::string message = std::string("请在本程序旁建立文本文件") + kCandidateFile +
                          "，然后将您要抽奖的名单逐行输入或从其它文档复制剪贴到" + kCandidateFile +
                          "即可。\n也可以直接使用Excel文件" + kCandidateWorkbook +
                          "：第一个工作表中每行一人。";
    if (!data.isProgramDirectory) {
        message += "\n（文件夹：" + app.displayPath(data.directory) + "）";
    }
    return message;
}

bool isWorkbook(const draw::Notice& notice) {
    return notice.list.ends_with(".xlsx");
}

// A workbook's blank rows and header are no lines: its lines are counted as people.
std::string lineTooLong(const draw::Notice& notice) {
    const std::string where = isWorkbook(notice) ? "中第" + std::to_string(notice.line) + "个人"
                                                 : "第" + std::to_string(notice.line) + "行";
    return notice.list + where + "超过" + std::to_string(draw::kMaxLineLength) +
           "个字符，请检查文件内容！";
}

std::string workbookRefused(const draw::Notice& notice) {
    using platform::WorkbookFault;
    const std::string& list = notice.list;
    switch (notice.workbookFault) {
    case WorkbookFault::None:
    case WorkbookFault::NotAWorkbook:
        return list + "不是Excel工作簿（.xlsx），请在Excel中用“另存为”保存为“Excel工作簿”！";
    case WorkbookFault::OldFormat:
        return list +
               "是旧版Excel文件（.xls），请在Excel中用“另存为”保存为“Excel工作簿（*.xlsx）”！";
    case WorkbookFault::Encrypted:
        return list + "设置了打开密码，请在Excel中取消密码后再保存！";
    case WorkbookFault::NoWorksheet:
        return list + "中没有工作表，请把名单放在第一个工作表中！";
    case WorkbookFault::TooLarge:
        return list + "太大，不是名单（名单最多" + std::to_string(draw::kMaxCandidates) +
               "人），请检查文件内容！";
    case WorkbookFault::Damaged:
        return list + "已损坏，无法读取，请在Excel中打开并重新保存！";
    }
    return {};
}

std::string recordNotWritten(const draw::Notice& notice) {
    std::string message = "无法写入摇号记录：" + notice.failure.path;
    if (const std::string reason = failureReason(notice.failure); !reason.empty()) {
        message += "\n" + reason;
    }
    return message + "\n本次摇号的结果只保存在结果框中，请及时保存。";
}

// What the record shows, after "上次的摇号记录".
std::string recordDamage(const draw::Notice& notice) {
    using draw::RecordDamage;
    const std::string atLine = "第" + std::to_string(notice.line) + "行";
    switch (notice.damage) {
    case RecordDamage::None:
    case RecordDamage::UnknownLine:
        return atLine + "无法识别";
    case RecordDamage::NumberOutOfRange:
        return atLine + "的编号超出了一次摇号能达到的范围";
    case RecordDamage::NumberOutOfOrder:
        return atLine + "的编号与前一人不连续";
    case RecordDamage::LineOutOfRange:
        return atLine + "记录的中奖行不在名单之内";
    case RecordDamage::LineTwice:
        return atLine + "重复记录了已经抽中的人";
    case RecordDamage::RoundMiscounted:
        return atLine + "所记的一轮人数与其后的中奖者不符";
    case RecordDamage::CountDiffers:
        return "的名单条数与" + notice.list + "不符";
    case RecordDamage::TooLarge:
        return "过大，不是本程序写的记录";
    case RecordDamage::NotTheSequence:
        return "中的中奖者与可验证摇号的序列不符";
    case RecordDamage::MarkMismatch:
        return atLine + "的弃奖标记与之前的记录不符";
    }
    return {};
}

std::string recordDamaged(const draw::Notice& notice) {
    return "上次的摇号记录" + recordDamage(notice) + "，无法继续上次的摇号。\n上次的记录保存在：" +
           notice.path;
}

// A winner that cannot be marked absent, or have the mark taken back.
std::string markRefused(const draw::Notice& notice) {
    using draw::MarkOutcome;
    const std::string who = "[" + std::to_string(notice.number) + "] " + notice.name;
    switch (notice.mark) {
    case MarkOutcome::AlreadyReplaced:
        return "已经为" + who + "补抽过，弃奖标记不能撤销。";
    case MarkOutcome::WhileRolling:
        return "正在摇号，请在本轮结束后再标记弃奖！";
    case MarkOutcome::NoSuchNumber:
        return "结果中没有编号为[" + std::to_string(notice.number) + "]的中奖者！";
    case MarkOutcome::AlreadyAbsent:
        return who + "已经标记为弃奖！";
    case MarkOutcome::NotAbsent:
    case MarkOutcome::Done:
        break;
    }
    return who + "没有弃奖标记！";
}

// What was wrong with the witnesses' digits, and what to do: key them again.
std::string publicInputRefused(const draw::Notice& notice) {
    const std::string again = "请各位见证人重新输入随意想到的数字！";
    switch (notice.inputFault) {
    case draw::PublicInputFault::OneDigit:
        return "公开数字不能全是同一个数字（如000000000000），谁都能猜到。" + again;
    case draw::PublicInputFault::Run:
        return "公开数字不能是依次递增或递减的数字（如123456789012），谁都能猜到。" + again;
    case draw::PublicInputFault::Repeated:
        return "公开数字不能是一组数字的重复（如121212121212），谁都能猜到。" + again;
    case draw::PublicInputFault::Constant:
        return "公开数字不能是圆周率、自然常数等公开常数的数字（如314159265358），谁都能猜到。" +
               again;
    case draw::PublicInputFault::None:
    case draw::PublicInputFault::NotDigits:
        break;
    }
    return "公开数字只能由数字组成，合计至少" + std::to_string(notice.count) + "位！";
}

// "U+200B": a character that cannot be shown, named so it can be searched for.
std::string codePoint(char32_t character) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string digits;
    for (auto value = static_cast<std::uint32_t>(character); value != 0 || digits.size() < 4;
         value >>= 4U) {
        digits.insert(digits.begin(), kHex[value & 0xFU]);
    }
    return "U+" + digits;
}

// "1,500" and "1，500" as 1500.
std::string withoutCommas(std::string text) {
    for (const std::string_view comma : {std::string_view(","), std::string_view("，")}) {
        for (std::size_t at = text.find(comma); at != std::string::npos; at = text.find(comma)) {
            text.erase(at, comma.size());
        }
    }
    return text;
}

// A control character: a line break in the middle of a line, a TAB in a name, or another.
std::string planControl(const std::string& atLine, char32_t character) {
    switch (character) {
    case U'\t':
        return atLine + "的奖项名称中有制表符（Tab），请改用空格！";
    case U'\n':
    case U'\v':
    case U'\f':
    case 0x85:
    case 0x2028:
    case 0x2029:
        return atLine + "中间有另一种换行符（" + codePoint(character) +
               "），后面的内容与这一行连成了一行，请删除这个换行后重新按回车换行！";
    default:
        break;
    }
    return atLine + "中有看不见的控制字符（" + codePoint(character) +
           "），请删除这一行后重新输入！";
}

// A procedure's options: what the line says that the plan or the list cannot do.
std::string procedureRefused(const draw::Notice& notice, const std::string& atLine) {
    using draw::PlanFault;
    const std::string option = "“" + notice.written + "”";
    switch (notice.planFault) {
    case PlanFault::TwoTiers:
        return atLine + "有两处用“>”排的先后顺序（" + option + "），每行只能按一列排先后！";
    case PlanFault::PlacesMode:
        return atLine + "的" + option + "应写成“房源=顺序”或“房源=随机”！";
    case PlanFault::PlacesOnAll:
        return atLine + "是“全部”候补名单，候补的人不分房源，请删去“房源=”！";
    case PlanFault::AllNotLast:
        return atLine + "与前面的“全部”候补名单条件相同（" + option +
               "），候补名单应是同样条件的最后一行！";
    case PlanFault::UnknownColumn:
        return atLine + "中的列“" + notice.prize + "”在" + notice.list + "的表头中没有！";
    case PlanFault::UnknownValue:
        return atLine + "要抽“" + notice.prize + "”为“" + notice.written + "”的人，但" +
               notice.list + "中没有这样的人！";
    case PlanFault::PlacesShort:
        return atLine + "为止需要" + notice.written + "个房源，但房源表只有" +
               std::to_string(notice.count) + "个！";
    default:
        break;
    }
    return atLine + "的条件" + option + "写得不完整，请按“组别=A”的格式填写！";
}

std::string planRefused(const draw::Notice& notice) {
    using draw::PlanFault;
    const std::string plan = draw::kPrizePlanFile;
    const std::string atLine = plan + "第" + std::to_string(notice.line) + "行";
    constexpr char kFormat[] = "，请按“三等奖 20”的格式逐行填写奖项名称和人数！";
    switch (notice.planFault) {
    case PlanFault::None:
    case PlanFault::NoName:
        return atLine + "缺少奖项名称" + kFormat;
    case PlanFault::NoCount:
        return atLine + "缺少人数" + kFormat;
    case PlanFault::CountNotWhole:
        return atLine + "的人数必须是正整数！";
    case PlanFault::NameTwice:
        return atLine + "的奖项“" + notice.prize + "”与前面的重复！";
    case PlanFault::AboveList:
        return plan + "到第" + std::to_string(notice.line) + "行为止的获奖人数已多于" +
               notice.list + "的名单人数！";
    case PlanFault::LineTooLong:
        return atLine + "太长，奖项名称不要超过" + std::to_string(draw::kMaxPrizeNameLength) +
               "个字符！";
    case PlanFault::TooLarge:
        return plan + "超过" + std::to_string(draw::kMaxPrizePlanBytes / kMegabyte) +
               "MB，不是奖项表，请检查文件内容！";
    case PlanFault::ControlCharacter:
        return planControl(atLine, notice.character);
    case PlanFault::InvisibleCharacter:
        return atLine + "中有看不见或形似空格的特殊字符（" + codePoint(notice.character) +
               "），请删除这一行后重新输入！";
    case PlanFault::InvalidCharacter:
        return atLine + "中有无法识别的字符（乱码），请删除这一行后重新输入！";
    case PlanFault::ThousandsSeparator:
        return atLine + "的人数“" + notice.written + "”中有千位分隔符，请写成" +
               withoutCommas(notice.written) + "！";
    case PlanFault::SpaceRun:
        return atLine + "有一长串连续的空格（" + std::to_string(notice.count) +
               "个），请删去多余的空格！";
    default:
        return procedureRefused(notice, atLine);
    }
    return {};
}

} // namespace

std::string saved(const platform::AppInfo& app) {
    const platform::AppData data = app.appData();
    // A copy that keeps its files beside itself says so in its old words; an installed copy
    // saves into its documents folder, and names it.
    const std::string folder =
        data.isProgramDirectory ? "摇号软件目录下" : app.displayPath(data.directory);
    return "已经保存到" + folder + "！文件名叫摇号结果.txt和摇号结果.xlsx";
}

namespace {

std::string rowsWords(const std::vector<int>& rows) {
    std::string words = "第";
    for (std::size_t i = 0; i < rows.size() && i < draw::record::kListedRows; ++i) {
        words += (i == 0 ? "" : "、") + std::to_string(rows[i]);
    }
    words += "行";
    if (rows.size() > draw::record::kListedRows) {
        words += "等" + std::to_string(rows.size()) + "行";
    }
    return words;
}

std::string problemWords(const draw::ListProblem& problem) {
    using enum draw::ProblemKind;
    switch (problem.kind) {
    case SameRow:
        return "重复：" + rowsWords(problem.rows) + "整行相同";
    case SameValue:
        // The value itself stays off the screen: an ID or phone is masked wherever it shows.
        return "重复：" + rowsWords(problem.rows) + "的" + problem.column + "相同";
    case BlankRows:
        return "空行：" + rowsWords(problem.rows) + "是空的，空行也会参加摇号";
    case IdLength:
        return "证件号有误：" + rowsWords(problem.rows) + "的" + problem.column +
               "位数不对（应为18位或15位）";
    case IdCheckDigit:
        return "证件号有误：" + rowsWords(problem.rows) + "的" + problem.column + "校验位不符";
    case ExtraCells:
        return "单元格多于表头：" + rowsWords(problem.rows) + "有" + std::to_string(problem.cells) +
               "个单元格，表头只有" + std::to_string(problem.headerCells) + "列";
    }
    return {};
}

} // namespace

std::string listProblems(std::span<const draw::ListProblem> problems, const std::string& list) {
    std::string text = "名单检查发现" + std::to_string(problems.size()) + "处问题：\n";
    for (std::size_t i = 0; i < problems.size() && i < draw::record::kListedProblems; ++i) {
        text += problemWords(problems[i]) + "\n";
    }
    if (problems.size() > draw::record::kListedProblems) {
        text += "另有" + std::to_string(problems.size() - draw::record::kListedProblems) +
                "处问题未列出。\n";
    }
    text += "（行号是" + list +
            "中的行号。）\n\n照这份名单摇号吗？\n"
            "选“是”照样摇号，名单检查的结果写入摇号记录；选“否”不初始化，请先修改名单。";
    return text;
}

std::string settingsDamaged() {
    return std::string("设置文件") + kSettingsFileName +
           "已损坏，或不是本程序的设置，这次没有使用它；下次更改设置时会重新写入。";
}

std::string settingsNotWritten() {
    return std::string("无法写入设置文件") + kSettingsFileName +
           "，这次的设置在本程序退出后不会保留。请检查数据文件夹是否可写。";
}

std::string soundFailed(const QString& file, bool rolling, const std::string& reason) {
    const std::string what = !file.isEmpty() ? "声音文件 " + file.toStdString()
                             : rolling       ? std::string("内置的滚动声音")
                                             : std::string("内置的停止声音");
    return "无法播放" + what + "：" + reason + "，摇号照常进行，不再提示。";
}

std::string nothingToPublish() {
    return "还没有中签者，没有可以公示的结果。";
}

std::string published(const platform::AppInfo& app) {
    const platform::AppData data = app.appData();
    const std::string folder =
        data.isProgramDirectory ? "摇号软件目录下" : app.displayPath(data.directory);
    return "公示已经写到" + folder + "：摇号公示.pdf 和 摇号公示.xlsx。\n\n现在打印公示吗？";
}

std::string longDate(const platform::LocalDateTime& time) {
    return std::to_string(time.year) + "年" + std::to_string(time.month) + "月" +
           std::to_string(time.day) + "日";
}

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

namespace {

// The list, and the rounds drawn from it; none for another notice.
std::optional<std::string> listNotice(const draw::Notice& notice, const platform::AppInfo& app) {
    using draw::NoticeKind;
    switch (notice.kind) {
    case NoticeKind::ListMissing:
        return missingFile(app);
    case NoticeKind::TwoLists:
        return std::string("同时有") + kCandidateFile + "和" + kCandidateWorkbook +
               "两个名单，请只保留要抽奖的那一个！";
    case NoticeKind::WorkbookRefused:
        return workbookRefused(notice);
    case NoticeKind::ListUnreadable:
        return "无法读取" + notice.list + "，请检查文件是否被其它程序占用或没有读取权限！";
    case NoticeKind::TooFewLines:
        return "记录起码需要两条以上，请检查!";
    case NoticeKind::TooManyLines:
        return "记录总数不要超过" + std::to_string(draw::kMaxCandidates) + "条！";
    case NoticeKind::LineTooLong:
        return lineTooLong(notice);
    case NoticeKind::NeededAboveMyNum:
        return "抽取的人数不能多于候选人数！[随即函数]";
    case NoticeKind::TooFewCandidates:
        return "候选人数少于" + std::to_string(draw::kMinCandidates) + "人，不足以进行一次摇号！";
    case NoticeKind::RoundAboveRemaining:
        return "抽取的人数不能多于候选人数！[开始]";
    case NoticeKind::RoundNotPositive:
        return "抽取的人数必须是正整数！[开始]";
    case NoticeKind::ListShrunk:
        return notice.list + "的记录比初始化时少，本轮摇号已取消！请恢复该文件后再摇号。";
    case NoticeKind::LinesShifted:
        return notice.list + "在初始化后插入或删除了记录，本轮摇号已取消！请恢复该文件后再摇号。";
    default:
        break;
    }
    return std::nullopt;
}

// The record, the prize plan, absent marks and the verifiable draw.
std::string runNotice(const draw::Notice& notice) {
    using draw::NoticeKind;
    switch (notice.kind) {
    case NoticeKind::ListDiffers:
        return notice.list + "与上次摇号时的名单不同，无法继续上次的摇号。\n上次的记录保存在：" +
               notice.path;
    case NoticeKind::RecordNotWritten:
        return recordNotWritten(notice);
    case NoticeKind::RecordDamaged:
        return recordDamaged(notice);
    case NoticeKind::PrizePlanUnreadable:
        return std::string("无法读取") + draw::kPrizePlanFile +
               "，请检查文件是否被其它程序占用或没有读取权限！";
    case NoticeKind::PrizePlanRefused:
        return planRefused(notice);
    case NoticeKind::AllPrizesDrawn:
        return "所有奖项都已抽完！";
    case NoticeKind::RoundAbovePrize:
        return "本轮抽取的人数不能多于“" + notice.prize + "”剩下的" + std::to_string(notice.count) +
               "人！";
    case NoticeKind::PublicInputMissing:
        return "可验证摇号需要先由见证人输入公开数字，才能开始抽奖！";
    case NoticeKind::PublicInputRefused:
        return publicInputRefused(notice);
    case NoticeKind::VerifiableRunRevealed:
        return "秘密值已经公布，本次可验证摇号已经结束！如需再次摇号，请重新初始化。";
    case NoticeKind::ListNotAsCommitted:
        return notice.list +
               "与公布承诺时的名单不同，本轮摇号已取消！可验证摇号中名单不能有任何改动，"
               "请恢复该文件后再摇号。";
    case NoticeKind::PrizePlanDiffers:
        return draw::kPrizePlanFile +
               std::string("与上次摇号时的奖项不同，无法继续上次的摇号。\n上次的记录保存在：") +
               notice.path;
    case NoticeKind::MarkRefused:
        return markRefused(notice);
    case NoticeKind::PlacesMissing:
        return std::string("奖项表要分配房源，但数据文件夹中没有") + draw::kPlacesFile + "或" +
               draw::kPlacesWorkbook + "！";
    case NoticeKind::PlacesUnreadable:
        return "无法读取房源表" + notice.path + "，请检查文件内容！";
    case NoticeKind::PlacesHeaderAlone:
        return "房源表" + notice.path +
               "的第一行像是表头，但只有一列：请在表头后加一列（用 TAB 分隔），或删去这一行！";
    case NoticeKind::PlacesDiffer:
        return "房源表" + notice.path + "与上次摇号时的不同，无法继续上次的摇号。";
    case NoticeKind::NobodyToMoveUp:
        return notice.name + "放弃了“" + notice.prize +
               "”，候补名单中已没有可以递补的人，这个名额空缺。";
    case NoticeKind::RunContinuedElsewhere:
        return "另一个摇号程序刚刚继续了上次的摇号，本程序不再继续，以免同一批人被抽两次。\n"
               "上次的记录保存在：" +
               notice.path;
    default:
        break;
    }
    return {};
}

} // namespace

std::string notice(const draw::Notice& notice, const platform::AppInfo& app) {
    if (std::optional<std::string> text = listNotice(notice, app)) {
        return *std::move(text);
    }
    return runNotice(notice);
}

QString prizeStatus(const draw::Results& results, int prize) {
    const int left = results.placesLeft(prize);
    const QString name = QString::fromStdString(results.prizeName(prize));
    // A "全部" line lists the waiting list: how many are still to list, once its order is known.
    if (results.prizes()[static_cast<std::size_t>(prize - 1)].all) {
        if (!results.procedure()) {
            return QStringLiteral("%1 候补名单").arg(name);
        }
        return left > 0 ? QStringLiteral("%1 候补名单还剩%2人").arg(name).arg(left)
                        : QStringLiteral("%1 候补名单已全部列出").arg(name);
    }
    return left > 0 ? QStringLiteral("%1 还剩%2人").arg(name).arg(left)
                    : QStringLiteral("%1 已抽完").arg(name);
}

namespace {

// A procedure's person: who moves up when they give their place up, and nobody is drawn
// again for them.
std::string procedureAbsentQuestion(const std::string& who, const std::string& prize,
                                    const draw::ResultEntry& entry) {
    std::string about = prize;
    if (entry.waiting != 0) {
        about += "，候补" + std::to_string(entry.waiting);
    } else if (entry.rank != 0) {
        about += "，顺序" + std::to_string(entry.rank);
    }
    about = about.empty() ? std::string() : "（" + about + "）";
    const std::string what = entry.place ? "名额和房源" : "名额";
    if (entry.absent) {
        return "撤销" + who + about + "的弃奖标记吗？\n" +
               (entry.waiting != 0 ? "其回到候补名单中原来的位置。" : "其" + what + "仍归其所有。");
    }
    if (entry.waiting != 0) {
        return "确定" + who + about +
               "不在场、放弃候补吗？\n其名字保留并标上“（弃奖）”，不再递补。";
    }
    return "确定" + who + about + "不在场、弃奖吗？\n其名字保留并标上“（弃奖）”；" +
           "候补名单中排在最前的人将立即递补其" + what + "。";
}

} // namespace

std::string absentQuestion(const draw::Results& results, const draw::ResultEntry& entry) {
    const std::string who = "[" + std::to_string(entry.number) + "] " + entry.winner.name;
    const std::string& prize = results.prizeName(entry.prize);
    if (entry.procedural() || results.procedure()) {
        return procedureAbsentQuestion(who, prize, entry);
    }
    if (entry.absent) {
        return "撤销" + who + "的弃奖标记吗？" +
               (prize.empty() ? std::string() : "\n" + prize + "将少补抽一人。");
    }
    return "确定" + who + (prize.empty() ? std::string() : "（" + prize + "）") +
           "不在场、弃奖吗？\n其名字保留并标上“（弃奖）”，不再参加抽奖；" +
           (prize.empty() ? std::string("下一轮将为其补抽。")
                          : "下一轮" + prize + "将为其补抽一人。");
}

std::string continueQuestion(const draw::ContinueOffer& offer) {
    std::string question = "上次摇号没有正常结束，已抽出";
    question += std::to_string(offer.run.winners.size());
    question += "人（最后一轮：";
    question += draw::formatDateTime(offer.run.lastRoundTime);
    question += "）。";
    if (offer.editedLines > 0) {
        question += "\n" + offer.list + "自上次摇号以来有" + std::to_string(offer.editedLines) +
                    "行在原处被修改（没有插入或删除行），将按修改后的名单继续。";
    }
    if (!offer.foreignHost.empty()) {
        question += "\n这次摇号的记录被另一台电脑（" + offer.foreignHost +
                    "）锁定，那台电脑上的摇号程序可能仍在用它摇号。";
    }
    question += "\n是否继续上次的摇号？";
    return question;
}

} // namespace kelvara::ui::wording
