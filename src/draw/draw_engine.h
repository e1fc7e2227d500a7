#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draw_record.h"
#include "draw_state.h"
#include "draw_view.h"
#include "line_alignment.h"

namespace kelvara::platform {
class Services;
enum class ReadStatus;
} // namespace kelvara::platform

namespace kelvara::draw {

// The captions, file names and messages of the draw.
namespace text {
inline constexpr char kStartCaption[] = "开始&G";
inline constexpr char kStopCaption[] = "停止&G";
inline constexpr char kCandidateFile[] = "bonus.txt";
inline constexpr char kMissingFile[] =
    "请在本程序旁建立文本文件bonus.txt，然后将您要抽奖的名单逐行输入或从其它文档复制剪贴到bonus."
    "txt即可。";
inline constexpr char kUnreadableFile[] =
    "无法读取bonus.txt，请检查文件是否被其它程序占用或没有读取权限！";
inline constexpr char kTooFewLines[] = "记录起码需要两条以上，请检查!";
inline constexpr char kTooManyLines[] = "记录总数不要超过10000条！";
inline constexpr char kNeededAboveMyNum[] = "抽取的人数不能多于候选人数！[随即函数]";
inline constexpr char kTooFewCandidates[] = "候选人数少于2人，不足以进行一次摇号！";
inline constexpr char kRoundAboveRemaining[] = "抽取的人数不能多于候选人数！[开始]";
inline constexpr char kRoundNotPositive[] = "抽取的人数必须是正整数！[开始]";
inline constexpr char kFileShrunk[] =
    "bonus.txt的记录比初始化时少，本轮摇号已取消！请恢复该文件后再摇号。";
inline constexpr char kLinesShifted[] =
    "bonus.txt在初始化后插入或删除了记录，本轮摇号已取消！请恢复该文件后再摇号。";
inline constexpr char kLineTooLongBefore[] = "bonus.txt第";
inline constexpr char kLineTooLongAfter[] = "行超过1000个字符，请检查文件内容！";
inline constexpr char kRolling[] = "---------";
inline constexpr char kContinueTitle[] = "继续摇号";
inline constexpr char kListDiffers[] =
    "bonus.txt与上次摇号时的名单不同，无法继续上次的摇号。\n上次的记录保存在：";
} // namespace text

inline constexpr int kMaxCandidates = 10000;
// No name is this long; a longer line means the file is no list, and laying it out would
// freeze the window.
inline constexpr std::size_t kMaxLineLength = 1000;

// The draw: loading the list, the rounds and the listing of their winners. It owns the
// draw state and reaches the window only through DrawView.
class DrawEngine final {
public:
    DrawEngine(DrawView& view, platform::Services& services);

    // Transposition steps per pass of the listing: enough to mix even the largest round.
    static int ListingInnerSteps(int winnerCount);

    // Start-up part of the window's load: the rolling cursor and the numbering start at 1.
    void StartUp();

    void Cmd_Init_Click();
    void Cmd_Start_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    // Enter (13) and Space (32) act as the Start button; the code is left unchanged.
    void Form_KeyPress(std::int16_t& KeyAscii);

    // At start-up, once the window shows: offers to continue the newest recorded run when it
    // ended without "结束" (killed, a power cut, a frozen desktop).
    void OfferToContinue();
    // The program ends through the exit questions: the record says so.
    void EndRun();

    // Runs a stopped round's listing now if its timer has not ticked yet, so that no
    // round is left unlisted before anything reads or replaces it.
    void CompletePendingListing();
    bool ListingPending() const { return m_listingPending; }

    // NeededNum distinct numbers from 1..MyNum in random order; empty (after a message)
    // when NeededNum exceeds MyNum.
    std::vector<std::int16_t> GenRndArray(std::int16_t MyNum, std::int16_t NeededNum);

    const DrawState& State() const { return m_state; }
    std::int16_t NextResultNumber() const { return m_nextResultNumber; }

private:
    void StartRound();
    void StopRound();
    void CancelStart();
    std::optional<std::int16_t> ReadRoundSize();
    std::vector<std::int16_t> RanksToSlots(std::vector<std::int16_t> ranks) const;
    bool FetchWinners(const std::string& path, const std::vector<std::int16_t>& slots);
    void ReportLineTooLong(int lineNumber);
    void ContinueRun(const std::string& recordPath, const RecordedRun& run);
    std::vector<std::string> ReadLines(std::vector<int> lineNumbers);
    void ListRoundWinners(std::int16_t WinnerNum);
    std::string CandidateFilePath() const;
    void Message(std::string_view message);
    bool ReportReadFailure(platform::ReadStatus status);

    DrawView& m_view;
    platform::Services& m_services;
    DrawState m_state;
    // One hash per line as Initialize read it: at every Start they tell a list that was
    // edited in place from one whose lines moved, without keeping the names.
    std::vector<LineHash> m_lineHashes;
    // The line of each entry of RoundWinners, kept in step with it for the record.
    std::vector<std::int16_t> m_roundLines;
    DrawRecorder m_recorder;
    bool m_continuing = false; // Initialize runs for a continued run: its record goes on
    std::int16_t m_nextResultNumber = 0;
    bool m_listingPending = false;
};

} // namespace kelvara::draw
