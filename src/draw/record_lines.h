#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "line_alignment.h"
#include "platform/clock.h"
#include "prize_plan.h"
#include "verifiable_sequence.h"

// The record's lines one at a time, each read into its fields. A line out of shape reads as
// nothing; whether it may stand where it stands is for the reader of the whole run.
namespace kelvara::draw::record {

// "名单：bonus.txt，共60条，SHA-256 <hex>"
struct ListLine {
    int lines = 0;
    std::string sha256;
};
std::optional<ListLine> readListLine(std::string_view line);

// "行校验：<hashes>": at least one, at most kLineHashesPerLine.
std::optional<std::vector<LineHash>> readLineHashes(std::string_view line);

// "奖项表：奖项.txt，共3项，SHA-256 <hex>"
struct PlanLine {
    int prizes = 0;
    std::string sha256;
};
std::optional<PlanLine> readPlanLine(std::string_view line);

// "奖项1：20人，三等奖"
struct PrizeLine {
    int index = 0;
    Prize prize;
};
std::optional<PrizeLine> readPrizeLine(std::string_view line);

// "奖项1条件：组别=A 批次=1>2>3": the prize and its options.
struct ConditionsLine {
    int index = 0;
    std::string options;
};
std::optional<ConditionsLine> readConditionsLine(std::string_view line);

// "房源表：房源.xlsx，共300个，SHA-256 <hex>"
struct PlacesLine {
    std::string file;
    int places = 0;
    std::string sha256;
};
std::optional<PlacesLine> readPlacesLine(std::string_view line);

// "抽签密钥：<time>，<hex>"
std::optional<std::string> readDrawKeyLine(std::string_view line);

// "递补：<time>，[31]，接替[7]"
struct MovedUpLine {
    platform::LocalDateTime time;
    int number = 0;
    int replaces = 0;
};
std::optional<MovedUpLine> readMovedUpLine(std::string_view line);

// "第3轮：<time>，5人", ending in "，奖项2" when the plan has `prizes` prizes (0: no plan).
struct RoundLine {
    int round = 0;
    platform::LocalDateTime time;
    int winners = 0;
    int prize = 0;
};
std::optional<RoundLine> readRoundLine(std::string_view line, int prizes);

// "[12]:\t第17行\t张三": the name is read again from the list.
struct WinnerLine {
    int number = 0;
    int line = 0;
};
std::optional<WinnerLine> readWinnerLine(std::string_view line);

// "弃奖：<time>，[12]" or "撤销弃奖：<time>，[12]"
struct MarkLine {
    platform::LocalDateTime time;
    int number = 0;
    bool takenBack = false;
};
std::optional<MarkLine> readMarkLine(std::string_view line);

// "选择奖项：<time>，奖项2": the prize, one of the plan's `prizes`.
std::optional<int> readChoiceLine(std::string_view line, int prizes);

// "继续：<time>，恢复11人"; records of earlier versions say the time alone.
struct ContinuedLine {
    platform::LocalDateTime time;
    std::optional<int> restored;
};
std::optional<ContinuedLine> readContinuedLine(std::string_view line);

// "初始化：<time>"
bool isInitializedLine(std::string_view line);

// "可验证摇号：<algorithm>，承诺 <hex>", of an algorithm this program draws with.
struct CommitmentLine {
    std::string algorithm;
    std::string commitment;
};
std::optional<CommitmentLine> readCommitmentLine(std::string_view line);
// "秘密值：<hex>"
std::optional<std::string> readSecretLine(std::string_view line);

// "见证人1：<digits>"
struct WitnessLine {
    int witness = 0;
    std::string digits;
};
std::optional<WitnessLine> readWitnessLine(std::string_view line);

// "公开输入：<time>，<input>"
struct PublicInputLine {
    platform::LocalDateTime time;
    std::string input;
};
std::optional<PublicInputLine> readPublicInputLine(std::string_view line);

// "公布：<time>，秘密值 <hex>，共12个位置，记录SHA-256 <hex>"
struct RevealedLine {
    platform::LocalDateTime time;
    std::string secret;
    int positions = 0;
    std::string digest;
};
std::optional<RevealedLine> readRevealedLine(std::string_view line);

// "此前承诺：1，<record>，承诺 <hex>，已公布"
struct EarlierLine {
    int number = 0;
    EarlierCommitment commitment;
};
std::optional<EarlierLine> readEarlierLine(std::string_view line);
// "本名单第2次承诺"
std::optional<int> readCommitmentNumberLine(std::string_view line);
// "承诺作废：<time>，公开输入之前结束"
bool isVoidedLine(std::string_view line);

} // namespace kelvara::draw::record
