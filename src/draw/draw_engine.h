#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "draw_record.h"
#include "draw_state.h"
#include "draw_view.h"
#include "limits.h"
#include "line_alignment.h"
#include "notice.h"
#include "platform/app_info.h"
#include "platform/files.h"
#include "results.h"
#include "verifiable_sequence.h"

namespace kelvara::platform {
class AppInfo;
class RandomSource;
class RecordStore;
class WallClock;
} // namespace kelvara::platform

namespace kelvara::draw {

using platform::kCandidateFile;
using platform::kCandidateWorkbook;

// The services the draw leans on: the list, the random source, the clock, the records.
struct DrawServices {
    const platform::AppInfo& app; // the data folder, and the name and version for the record
    platform::FileReader& files;
    platform::RandomSource& random;
    const platform::WallClock& clock;
    platform::RecordStore& records;
    const platform::Hashes& hashes; // the verifiable draw's
};

// Where a round stands: the Start button starts one while Idle and stops it while Rolling.
enum class RoundPhase {
    Idle,
    Starting, // Start is choosing the winners; a second press does nothing
    Rolling,
};

// A run that ended without "结束" (killed, a power cut, a frozen desktop), to continue.
struct ContinueOffer {
    std::string recordPath;
    RecordedRun run;
    std::string foreignHost;           // a computer whose lock the record has: it may still draw
    int editedLines = 0;               // lines of the list edited in place since the run began
    std::string list = kCandidateFile; // the list's file name
};

// The draw: loading the list, the rounds and the listing of their winners. It owns the
// draw state and the results, shows them through DrawView and tells what went wrong
// through DrawNotices.
class DrawEngine final {
public:
    DrawEngine(DrawView& view, DrawNotices& notices, DrawServices services);

    // Transposition steps per pass of the listing: enough to mix even the largest round.
    static int listingInnerSteps(int winnerCount);

    // Start-up part of the window's load: the rolling cursor and the numbering start at 1.
    void startUp();

    void Cmd_Init_Click();
    void Cmd_Start_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    // Enter (13) and Space (32) act as the Start button; the code is left unchanged.
    void Form_KeyPress(std::int16_t& KeyAscii);

    // The prize plan (draw_prizes.cpp). The current prize is the one the operator chose
    // while it has places left, else the first of the plan that has; 0 without plan or
    // once every prize is drawn.
    bool hasPrizePlan() const { return !m_results.prizes().empty(); }
    int currentPrize() const;
    // Between rounds only; a prize drawn out cannot be chosen.
    void choosePrize(int prize);
    // An absent winner keeps the line, stays drawn, and their prize gets a place more.
    MarkOutcome markAbsent(int number);
    MarkOutcome takeBackAbsent(int number);

    // The verifiable draw (draw_verifiable.cpp): chosen before Initialize and fixed for the
    // run once Initialize succeeds. Its winners come from one sequence that the secret, the
    // list, the plan and the public input fix; nobody can steer it.
    void setVerifiable(bool on);
    bool verifiableChosen() const { return m_verifiableChosen; }
    const std::optional<VerifiableRun>& verifiableRun() const { return m_verifiable; }
    // After Initialize, once: the witnesses' digits. False, after a notice, unless every
    // part is digits and there are kMinPublicDigits of them at least.
    bool acceptPublicInput(const std::vector<std::string>& parts);
    // Between rounds: shows and records the secret, so that anyone can check the run; no
    // round can be drawn after it.
    void reveal();

    // At start-up: the newest recorded run, when it can be continued.
    std::optional<ContinueOffer> unfinishedRun();
    void continueRun(const ContinueOffer& offer);
    void declineRun(const ContinueOffer& offer);
    // The program ends through the exit questions: the record says so.
    void endRun();

    // Runs a stopped round's listing now if its timer has not ticked yet, so that no
    // round is left unlisted before anything reads or replaces it.
    void completePendingListing();
    bool listingPending() const { return m_listingPending; }

    // NeededNum distinct numbers from 1..MyNum in random order; empty (after a notice)
    // when NeededNum exceeds MyNum.
    std::vector<std::int16_t> GenRndArray(std::int16_t MyNum, std::int16_t NeededNum);

    const DrawState& state() const { return m_state; }
    const Results& results() const { return m_results; }
    RoundPhase phase() const { return m_phase; }
    std::int16_t NextResultNumber() const { return m_nextResultNumber; }

private:
    // The list as one reading of the file found it.
    struct ListRead {
        platform::ReadResult result; // how the reading went, and the file's SHA-256
        std::vector<std::string> lines;
        int tooLongLine = 0; // the first line over kMaxLineLength characters
        bool tooMany = false;
    };

    // A Start's reading of the list.
    struct RoundRead {
        platform::ReadStatus status = platform::ReadStatus::Ok;
        platform::WorkbookFault fault = platform::WorkbookFault::None;
        std::vector<LineHash> hashes; // of every line read
        std::vector<Candidate> winners;
        int lines = 0;       // read
        int tooLongLine = 0; // the first line over kMaxLineLength characters
    };

    // The plan read at Initialize: empty prizes when there is none.
    struct PlanRead {
        bool refused = false;
        PrizePlan plan;
    };

    ListRead readList(const std::string& path);
    PlanRead readPrizePlan(int listSize);
    void showPrizeProgress(bool prizeChanged);
    std::optional<std::int16_t> checkAgainstPrize(std::int16_t roundSize);
    bool refuseList(const ListRead& list);
    void initializeFrom(const ListRead& list);
    std::vector<std::string> sampleOf(const std::vector<std::string>& lines) const;
    void startRound();
    void stopRound();
    void cancelStart();
    std::optional<std::int16_t> readRoundSize();
    std::vector<std::int16_t> ranksToSlots(std::vector<std::int16_t> ranks) const;
    bool fetchWinners(const std::string& path, const std::vector<std::int16_t>& slots);
    RoundRead readRound(const std::string& path, const std::vector<int>& lines);
    bool refuseRound(const RoundRead& read);
    void restoreWinners(const ContinueOffer& offer, const std::vector<std::string>& lines);
    static std::optional<int> linesEditedSince(const RecordedRun& run, const ListRead& list);
    void ListRoundWinners(std::int16_t WinnerNum);
    void beginVerifiable(const ListRead& list, const PlanRead& plan);
    bool checkVerifiableList(const std::string& path);
    void disclose();
    std::optional<std::vector<std::int16_t>> verifiableSlots(std::vector<int>& order);
    void orderAsDrawn(const std::vector<int>& order);
    std::optional<VerifiableRun> restoredVerifiable(const RecordedRun& run,
                                                    const ListRead& list) const;
    void recountRemaining();
    std::string candidateFilePath() const;
    bool findList();
    bool chooseList();
    void tell(NoticeKind kind);
    bool reportReadFailure(platform::ReadStatus status, platform::WorkbookFault fault);
    void reportRecordFailure(const std::optional<RecordFailure>& failure);

    DrawView& m_view;
    ListNamingNotices m_notices;
    std::string m_listFile = kCandidateFile; // the list this run draws from
    DrawServices m_services;
    DrawState m_state;
    Results m_results;
    RoundPhase m_phase = RoundPhase::Idle;
    // One hash per line as Initialize read it: at every Start they tell a list that was
    // edited in place from one whose lines moved, without keeping the names.
    std::vector<LineHash> m_lineHashes;
    DrawRecorder m_recorder;
    std::int16_t m_nextResultNumber = 0;
    int m_chosenPrize = 0;
    int m_roundPrize = 0;          // the prize of the round being drawn
    std::string m_filledRoundSize; // what the round-size box was last filled with
    bool m_listingPending = false;
    bool m_verifiableChosen = false;
    std::optional<VerifiableRun> m_verifiable;
    std::optional<VerifiableSequence> m_trialSequence; // the positions a Start is taking
};

} // namespace kelvara::draw
