#pragma once

#include <span>
#include <string>
#include <utility>

#include "list_check.h"
#include "platform/app_info.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "prize_plan.h"
#include "results.h"

namespace kelvara::draw {

// What the draw has to tell the operator; the window words it and shows it. After a notice
// the action that raised it has ended and changed nothing, except where it says otherwise.
enum class NoticeKind {
    ListMissing,           // the list is not in the data folder
    TwoLists,              // both bonus.txt and bonus.xlsx are: which one is meant?
    WorkbookRefused,       // the list is a workbook that shows `workbookFault`
    ListUnreadable,        // it is there but cannot be read
    TooFewLines,           // fewer than 2 lines at Initialize
    TooManyLines,          // more than kMaxCandidates lines at Initialize
    LineTooLong,           // line `line` is over kMaxLineLength characters
    NeededAboveMyNum,      // GenRndArray was asked for more numbers than its pool holds
    TooFewCandidates,      // fewer than 2 undrawn candidates at Start
    RoundAboveRemaining,   // the round size exceeds the undrawn candidates
    RoundNotPositive,      // the round size is no positive number
    ListShrunk,            // the list lost lines since Initialize: the round is cancelled
    LinesShifted,          // lines were inserted or removed since Initialize: cancelled too
    ListDiffers,           // the list is not the one of the run in record `path`
    RecordNotWritten,      // the record cannot be written, for `failure`; drawing goes on
    RecordDamaged,         // record `path` shows `damage` at its line `line`: not continued
    RunContinuedElsewhere, // another copy continued the run of record `path` just now
    PrizePlanUnreadable,   // the prize plan is there but cannot be read
    PrizePlanRefused,      // the prize plan shows `planFault` at its line `line`
    AllPrizesDrawn,        // Start with every prize of the plan drawn out
    RoundAbovePrize,       // the round size exceeds the `count` places left of `prize`
    PrizePlanDiffers,      // the prize plan is not the one of the run in record `path`
    PublicInputMissing,    // a verifiable run's Start before the witnesses keyed their digits
    PublicInputRefused,    // the public input is not digits alone, or has fewer than `count`
    ListNotAsCommitted,    // a verifiable run's list is no longer byte for byte the one read
    VerifiableRunRevealed, // a Start after the secret was revealed
    MarkRefused,           // winner `number` (`name`) cannot be marked absent or back: `mark`
    PlacesMissing,         // the plan gives places, and the data folder has no places list
    PlacesUnreadable,      // the places list `path` is there but cannot be read as a list
    PlacesDiffer,          // the places list is not the one of the run in record `path`
    PlacesHeaderAlone,     // places list `path` begins with a header word but no second column
    NobodyToMoveUp, // `name` declined `prize`, and nobody waiting can move up: it stays empty
};

// Why the record of an unfinished run cannot be continued.
enum class RecordDamage {
    None,
    UnknownLine,      // a line the program does not write, or one with a field out of shape
    NumberOutOfRange, // a number below 1, or past what the run can reach
    NumberOutOfOrder, // a number that does not follow the one before it
    LineOutOfRange,   // a winner on a line the list does not have
    LineTwice,        // a line drawn twice
    RoundMiscounted,  // a round with another number of winners than it says
    CountDiffers,     // the list has the recorded SHA-256 but another number of lines
    TooLarge,         // larger than any run writes
    MarkMismatch,     // an absent mark for a winner that cannot have it
    NotTheSequence,   // a verifiable run's winner other than its sequence draws there
};

// Why a public input is refused: what could be guessed before anyone keyed it is no input.
enum class PublicInputFault {
    None,
    NotDigits, // a part empty or not digits alone, or fewer than `count` digits in all
    OneDigit,  // one digit repeated
    Run,       // each digit one more, or one less, than the one before (modulo 10)
    Repeated,  // a group of a few digits repeated
    Constant,  // the first digits of pi or e
};

struct Notice {
    Notice() = default;
    // A kind alone says it all for most notices.
    Notice(NoticeKind kind, int line = 0, std::string path = {})
        : kind(kind), line(line), path(std::move(path)) {}
    static Notice recordNotWritten(platform::Failure failure) {
        Notice notice(NoticeKind::RecordNotWritten);
        notice.failure = std::move(failure);
        return notice;
    }
    static Notice recordDamaged(RecordDamage damage, int line, std::string path) {
        Notice notice(NoticeKind::RecordDamaged, line, std::move(path));
        notice.damage = damage;
        return notice;
    }
    static Notice planRefused(PlanFault fault, int line, std::string prize) {
        Notice notice(NoticeKind::PrizePlanRefused, line);
        notice.planFault = fault;
        notice.prize = std::move(prize);
        return notice;
    }
    // The plan's reader refused it: at which line, and what it found there.
    static Notice planRefused(const PrizePlanReader& reader) {
        Notice notice = planRefused(reader.fault(), reader.faultLine(), reader.faultName());
        notice.character = reader.faultCharacter();
        notice.written = reader.faultCount();
        notice.count = reader.faultSpaces();
        return notice;
    }
    static Notice markRefused(MarkOutcome mark, int number, std::string name) {
        Notice notice(NoticeKind::MarkRefused);
        notice.mark = mark;
        notice.number = number;
        notice.name = std::move(name);
        return notice;
    }
    static Notice roundAbovePrize(std::string prize, int count) {
        Notice notice(NoticeKind::RoundAbovePrize);
        notice.prize = std::move(prize);
        notice.count = count;
        return notice;
    }

    NoticeKind kind = NoticeKind::ListMissing;
    int line = 0;
    std::string path;
    platform::Failure failure;
    RecordDamage damage = RecordDamage::None;
    PlanFault planFault = PlanFault::None;
    char32_t character = 0; // a character the prize plan may not hold
    std::string written;    // a count as the prize plan writes it
    std::string prize;      // a prize's name
    int count = 0;
    MarkOutcome mark = MarkOutcome::Done;
    int number = 0;                              // a listed winner's number
    std::string name;                            // a listed winner's name
    std::string list = platform::kCandidateFile; // the list's file name
    platform::WorkbookFault workbookFault = platform::WorkbookFault::None;
    PublicInputFault inputFault = PublicInputFault::None;

    bool operator==(const Notice&) const = default;
};

class DrawNotices {
public:
    virtual ~DrawNotices() = default;

    // Shown before the draw goes on, as a modal message would be.
    virtual void tell(const Notice& notice) = 0;
    // At Initialize, what the list check found: true to draw the list anyway.
    virtual bool drawAnyway(std::span<const ListProblem> problems) = 0;
};

// Names the list file in every notice it passes on, so the words fit the list in use.
class ListNamingNotices final : public DrawNotices {
public:
    // Where the notices go; until then they go nowhere.
    void sendTo(DrawNotices& to) { m_to = &to; }
    void setList(std::string name) { m_list = std::move(name); }
    void tell(const Notice& notice) override {
        if (m_to != nullptr) {
            Notice named = notice;
            named.list = m_list;
            m_to->tell(named);
        }
    }
    bool drawAnyway(std::span<const ListProblem> problems) override {
        return m_to == nullptr || m_to->drawAnyway(problems);
    }

private:
    DrawNotices* m_to = nullptr;
    std::string m_list = platform::kCandidateFile;
};

} // namespace kelvara::draw
