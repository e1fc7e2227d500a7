#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/clock.h"

// The draw record's text: a file per run that grows by one block per listed round. UTF-8
// without mark, CR LF line ends, one fact per line. Its writer and its reader both take
// their words and separators from here.
namespace kelvara::draw::record {

inline constexpr char kLineEnd[] = "\r\n";
inline constexpr char kComma[] = "，";
inline constexpr char kColon[] = "：";

// "Kelvara V1.0.0 摇号记录"
inline constexpr char kTitle[] = " 摇号记录";
// "名单：bonus.txt，共60条，SHA-256 <hex>"
inline constexpr char kListLine[] = "名单：";
inline constexpr char kCountOf[] = "，共";
inline constexpr char kLinesThenSha256[] = "条，SHA-256 ";
// "行校验：" and up to kLineHashesPerLine hashes of kLineHashDigits hex digits.
inline constexpr char kLineHashes[] = "行校验：";
inline constexpr std::size_t kLineHashesPerLine = 500;
inline constexpr std::size_t kLineHashDigits = 16;
inline constexpr std::size_t kSha256HexLength = 64;
// "奖项表：奖项.txt，共3项，SHA-256 <hex>", then "奖项1：20人，三等奖" per prize.
inline constexpr char kPlanLine[] = "奖项表：";
inline constexpr char kPrizesThenSha256[] = "项，SHA-256 ";
inline constexpr char kPrize[] = "奖项";
inline constexpr char kPeople[] = "人";
inline constexpr char kPeopleThenName[] = "人，";
// "初始化：<time>"
inline constexpr char kInitialized[] = "初始化：";
// "第3轮：<time>，5人" (and "，奖项2" with a plan), then "[12]:\t第17行\t张三" per winner.
inline constexpr char kRound[] = "第";
inline constexpr char kRoundMark[] = "轮：";
inline constexpr char kWinnerOpen[] = "[";
inline constexpr char kWinnerLineOpen[] = "]:\t第";
inline constexpr char kWinnerLineClose[] = "行\t";
// "弃奖：<time>，[12]" and "撤销弃奖：<time>，[12]"
inline constexpr char kAbsent[] = "弃奖：";
inline constexpr char kAbsentTakenBack[] = "撤销弃奖：";
inline constexpr char kMarkOpen[] = "，[";
inline constexpr char kMarkClose[] = "]";
// A procedure's plan: "奖项2：全部，一组候补" for a waiting list, "奖项1条件：组别=A 批次=1>2>3
// 房源=随机" after a line with options, and "房源表：房源.xlsx，共300个，SHA-256 <hex>" (with
// "房源表头：<header>") when its lines give places. An ordinary run records its key at its first
// round, "抽签密钥：<time>，<hex>". A winner line ends in "\t候补12" on the waiting list, or in
// "\t房源第5行\t<place>"; "递补：<time>，[31]，接替[7]" comes before the line of who moved up.
inline constexpr char kAllPeople[] = "全部";
inline constexpr char kConditions[] = "条件：";
inline constexpr char kPlacesLine[] = "房源表：";
inline constexpr char kPlacesThenSha256[] = "个，SHA-256 ";
inline constexpr char kPlacesHeader[] = "房源表头：";
inline constexpr char kDrawKey[] = "抽签密钥：";
inline constexpr char kWaitingMark[] = "\t候补";
inline constexpr char kPlaceMark[] = "\t房源第";
inline constexpr char kPlaceRowClose[] = "行\t";
inline constexpr char kMovedUp[] = "递补：";
inline constexpr char kReplacesOpen[] = "，接替[";
// "选择奖项：<time>，奖项2"
inline constexpr char kPrizeChosen[] = "选择奖项：";
// "结束：<time>" and "未继续：<time>" close a run.
inline constexpr char kEnded[] = "结束：";
inline constexpr char kNotContinued[] = "未继续：";
// "继续：<time>，恢复11人", and "，接续：<record>" in a record of its own.
inline constexpr char kContinued[] = "继续：";
inline constexpr char kRestored[] = "恢复";
inline constexpr char kContinues[] = "接续：";
// A verifiable run: "可验证摇号：<algorithm>，承诺 <hex>", then a line per earlier commitment
// over the same list, "此前承诺：1，<record>，承诺 <hex>，已公布", and "本名单第2次承诺"; after
// Initialize "见证人1：<digits>", "公开输入：<time>，<input>" and "秘密值：<hex>" together;
// "公布：<time>，秘密值 <hex>，共12个位置，记录SHA-256 <hex>" at the end. A run ended before
// its public input says "承诺作废：<time>，公开输入之前结束" instead.
inline constexpr char kVerifiable[] = "可验证摇号：";
inline constexpr char kCommitment[] = "，承诺 ";
inline constexpr char kEarlierCommitment[] = "此前承诺：";
inline constexpr char kCommitmentNumberOpen[] = "本名单第";
inline constexpr char kCommitmentNumberClose[] = "次承诺";
inline constexpr char kEndedRevealed[] = "已公布";
inline constexpr char kEndedVoid[] = "公开输入前作废";
inline constexpr char kEndedAbandoned[] = "公开输入后放弃";
inline constexpr char kSecret[] = "秘密值：";
inline constexpr char kWitness[] = "见证人";
inline constexpr char kPublicInput[] = "公开输入：";
inline constexpr char kRevealed[] = "公布：";
inline constexpr char kRevealedSecret[] = "，秘密值 ";
inline constexpr char kPositionsOpen[] = "，共";
inline constexpr char kPositionsClose[] = "个位置";
inline constexpr char kRecordDigest[] = "，记录SHA-256 ";
inline constexpr char kVoided[] = "承诺作废：";
inline constexpr char kVoidedBeforeInput[] = "，公开输入之前结束";

// A list with a header: "表头：" and the header's cells joined by TAB, escaped as names are.
inline constexpr char kHeader[] = "表头：";
// A list drawn although its check found problems: "名单检查：<time>，发现3处问题，仍然摇号", then
// a line per problem, up to kListedProblems: "重复：整行相同，文件第3、57行", "重复：身份证号相同，
// 文件第5、9行", "空行：文件第8、9行", "证件号有误：文件第12行，身份证号，位数不对",
// "单元格多于表头：文件第14行，5个单元格，表头4列"; then "另有12处问题未列出". A line names
// kListedRows rows at most, then "等，共500行".
inline constexpr char kListCheck[] = "名单检查：";
inline constexpr char kProblemsFound[] = "，发现";
inline constexpr char kProblemsDrawnAnyway[] = "处问题，仍然摇号";
inline constexpr char kSame[] = "重复：";
inline constexpr char kSameRow[] = "整行相同";
inline constexpr char kSameValue[] = "相同";
inline constexpr char kBlankRows[] = "空行：";
inline constexpr char kBadId[] = "证件号有误：";
inline constexpr char kIdLength[] = "位数不对";
inline constexpr char kIdCheckDigit[] = "校验位不符";
inline constexpr char kExtraCells[] = "单元格多于表头：";
inline constexpr char kCellsThenHeader[] = "个单元格，表头";
inline constexpr char kColumns[] = "列";
inline constexpr char kFileRows[] = "文件第";
inline constexpr char kRowsClose[] = "行";
inline constexpr char kRowSeparator[] = "、";
inline constexpr char kMoreRows[] = "等，共";
inline constexpr char kMoreProblems[] = "另有";
inline constexpr char kMoreProblemsClose[] = "处问题未列出";
inline constexpr std::size_t kListedProblems = 20;
inline constexpr std::size_t kListedRows = 20;
// "显示列：<time>，第1列 滚动、大屏、结果、文件；第2列 …，遮盖证件号" (see choiceText), after the
// run's head and at each change.
inline constexpr char kColumnsShown[] = "显示列：";

// A name as a record line holds it: a backslash doubled, and each character that could end or
// break a line (C0 controls, DEL, U+0085, U+2028, U+2029) as "\\u" and four upper-case hex
// digits, so that a list line can never write a record line of its own.
std::string escapeText(std::string_view text);
// The name again; none for a backslash that escapeText() does not write.
std::optional<std::string> unescapeText(std::string_view text);
// The code point of a line-breaking character at `at` (UTF-8) and its length in bytes; a
// length of 0 for any other character.
std::pair<unsigned, std::size_t> breakingAt(std::string_view text, std::size_t at);

// Reading a field off the front of `text`, which keeps what follows it.
bool takePrefix(std::string_view& text, std::string_view prefix);
// A whole decimal number.
std::optional<int> takeNumber(std::string_view& text);
// A whole decimal number and the text after it: "12" then "]:\t第".
std::optional<int> takeNumberThen(std::string_view& text, std::string_view after);

} // namespace kelvara::draw::record

namespace kelvara::draw {

// Times as the record, the windows and the sheets show them: "2026-12-07 19:30:05".
std::string formatDateTime(const platform::LocalDateTime& time);
std::optional<platform::LocalDateTime> parseDateTime(std::string_view text);

// A name as a line of the results shows it: each character that ends a line (LF, VT, FF, CR,
// U+0085, U+2028, U+2029) becomes a space; a TAB stays.
std::string singleLine(std::string_view text);

} // namespace kelvara::draw
