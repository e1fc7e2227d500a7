#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "candidate_list.h"
#include "draw_record.h"
#include "draw_state.h"
#include "draw_view.h"
#include "limits.h"
#include "notice.h"
#include "procedure.h"
#include "results.h"
#include "round_size.h"
#include "run_continuation.h"
#include "verifiable_draw.h"

namespace kelvara::platform {
class AppInfo;
class RandomSource;
class RecordStore;
class Services;
class WallClock;
} // namespace kelvara::platform

namespace kelvara::draw {

// The services the draw leans on: the list, the random source, the clock, the records.
struct DrawServices {
    const platform::AppInfo& app; // the data folder, and the name and version for the record
    platform::FileReader& files;
    platform::RandomSource& random;
    const platform::WallClock& clock;
    platform::RecordStore& records;
    const platform::Hashes& hashes; // the verifiable draw's
};

// The draw's share of the program's services.
DrawServices drawServicesOf(platform::Services& services);

// Where a round stands: the Start button starts one while Idle and stops it while Rolling.
enum class RoundPhase {
    Idle,
    Starting, // Start is choosing the winners; a second press does nothing
    Rolling,
};

// What marking a listed winner does: mark them absent, or take the mark back.
struct AbsentChange {
    int number = 0;
    bool takeBack = false;
};

// The draw: the rounds and the listing of their winners, against the prize plan. It owns
// the draw state and the results, shows them through DrawView and tells what went wrong
// through DrawNotices. The list, the verifiable draw and continuing a recorded run are
// parts of their own that it calls at its seams.
class DrawEngine final {
public:
    explicit DrawEngine(DrawServices services);
    DrawEngine(DrawView& view, DrawNotices& notices, DrawServices services);
    DrawEngine(const DrawEngine&) = delete;
    DrawEngine& operator=(const DrawEngine&) = delete;

    // The window that shows the draw and words its notices.
    void attach(DrawView& view, DrawNotices& notices);

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
    // What the round-size box shows, whoever changed it.
    void Txt_Num_Change(std::string_view text) { m_roundSize.show(std::string(text)); }

    // The prize plan. The current prize is the one the operator chose while it has places
    // left, else the first of the plan that has; 0 without plan or once every prize is drawn.
    bool hasPrizePlan() const { return !m_results.prizes().empty(); }
    int currentPrize() const;
    // Between rounds only; a prize drawn out cannot be chosen.
    void choosePrize(int prize);
    // Between rounds, what marking winner `number` would do; none, after a notice saying
    // why, when the winner can be neither marked nor have the mark taken back. An absent
    // winner keeps the line, stays drawn, and their prize gets a place more.
    std::optional<AbsentChange> absentChange(int number);
    void changeAbsent(const AbsentChange& change);

    // A rehearsal, chosen before Initialize and fixed for the run after it: its record is
    // kept apart and never offered for continuing.
    void setRehearsal(bool on);
    bool rehearsal() const { return m_rehearsal; }

    // The verifiable draw, chosen before Initialize and fixed for the run once Initialize
    // succeeds.
    void setVerifiable(bool on);
    bool verifiableChosen() const { return m_verifiable.has_value(); }
    const VerifiableRun* verifiableRun() const;
    // After Initialize, once, between rounds: the witnesses' digits (see VerifiableDraw).
    bool acceptPublicInput(const std::vector<std::string>& parts);
    // Between rounds: shows and records the secret, so that anyone can check the run; no
    // round can be drawn after it.
    void reveal();

    // How rows are shown: the list's columns once Initialize read it. The operator's choice
    // is kept for the columns of the same titles, in this list and the next; after
    // Initialize it applies at once and the record says so.
    const RowFormat& rowFormat() const { return m_format; }
    const std::string& listFile() const { return m_list.fileName(); }
    // The list's SHA-256 as the run read it; empty before Initialize.
    const std::string& listSha256() const { return m_listSha256; }
    void chooseColumns(const std::vector<Column>& columns);

    // At start-up: the newest recorded run, when it can be continued.
    std::optional<ContinueOffer> unfinishedRun();
    void continueRun(const ContinueOffer& offer);
    void declineRun(const ContinueOffer& offer);
    // The program ends through the exit questions: the secret is revealed and the record
    // says so.
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
    void beginDraw(const ListRead& list);
    std::vector<Candidate> sampleOf(const ListRead& list) const;
    void startRound();
    void stopRound();
    void cancelStart();
    std::optional<std::int16_t> readRoundSize();
    std::optional<std::int16_t> checkAgainstPrize(std::int16_t roundSize);
    bool drawWinners();
    bool checkList(const ListRead& list);
    VerifiableDraw* activeVerifiable();
    std::vector<std::int16_t> ranksToSlots(std::vector<std::int16_t> ranks) const;
    std::vector<std::int16_t> slotsOfLines(const std::vector<int>& lines) const;
    bool fetchWinners(const std::vector<std::int16_t>& slots);
    void orderAsDrawn(const std::vector<int>& lines);
    void ListRoundWinners(std::int16_t WinnerNum);
    void fillRoundSize(bool prizeChanged);
    void showRun();
    void showWinner(const Candidate& winner);
    void setFormat(const ListRead& list, const std::vector<Column>& chosen);
    void showSample();
    void restore(RestoredRun restored);
    bool prepareProcedure(const ListRead& list, PrizePlan& plan,
                          const std::string* recordedPlaces = nullptr);
    void deriveProcedure(const platform::Digest& key);
    void deriveProcedure(const platform::Digest& key, Results& results);
    Candidate procedureRow(int line) const;
    std::optional<Candidate> placeOf(int row) const;
    bool drawProcedureRound();
    void giveProcedureFacts(std::vector<ResultEntry>& round) const;
    void moveUpFor(const ResultEntry& absent);
    void countProcedureEntries();
    bool replayProcedure(const RecordedRun& run, const VerifiableRun* verifiable, Results& results,
                         int& nextNumber);
    void recountRemaining();
    void tell(NoticeKind kind);

    DrawView* m_view;
    ListNamingNotices m_notices;
    DrawServices m_services;
    CandidateList m_list;
    DrawRecorder m_recorder;
    DrawState m_state;
    Results m_results;
    RoundPhase m_phase = RoundPhase::Idle;
    std::int16_t m_nextResultNumber = 0;
    int m_chosenPrize = 0;
    int m_roundPrize = 0; // the prize of the round being drawn
    RoundSizeBox m_roundSize;
    bool m_listingPending = false;
    bool m_roundOnShow = false;                 // the last listed round is on the audience's screen
    std::optional<VerifiableDraw> m_verifiable; // chosen, and once Initialize began it, the run
    RowFormat m_format;
    std::vector<std::string> m_listHeader;
    std::string m_listSha256;
    std::vector<Column> m_preferred;           // the operator's columns, kept by their titles
    std::vector<Candidate> m_sampleRows;       // the rows the rolling label cycles through
    std::vector<std::string> m_audienceSample; // and as the audience view shows them
    // A procedure plan's run: the list's rows as its conditions read them, the places list,
    // the orders once their key exists, and the people the round being drawn takes.
    ProcedureList m_procedureRows;
    std::vector<std::string> m_procedureNames;
    std::vector<std::vector<std::string>> m_procedureCells;
    ListRead m_placeRows;
    std::optional<Procedure> m_procedure;
    std::optional<platform::Digest> m_drawKey; // an ordinary run's, recorded at its first round
    bool m_drawKeyRecorded = false;
    bool m_rehearsal = false;
    std::vector<Pick> m_roundPicks;
    std::vector<ResultEntry> m_recoveredMovedUp; // who moved up while their line went unwritten
};

} // namespace kelvara::draw
