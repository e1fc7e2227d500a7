#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "list_check.h"
#include "list_columns.h"
#include "notice.h"
#include "platform/app_info.h"
#include "platform/clock.h"
#include "platform/failure.h"
#include "record_reading.h"
#include "results.h"
#include "verifiable_sequence.h"

namespace kelvara::platform {
class Hashes;
class RecordStore;
} // namespace kelvara::platform

namespace kelvara::draw {

// What the record's head says of the list besides its hashes.
struct ListFacts {
    std::span<const std::string> header;   // the header row's cells; none without a header
    std::span<const ListProblem> problems; // what the check found, drawn anyway
    const RowFormat* format = nullptr;     // how rows are shown
};

// The lines that say how rows are shown, and the list check's lines.
std::string columnsShownText(const std::vector<Column>& columns,
                             const platform::LocalDateTime& time);
std::string listCheckText(std::span<const ListProblem> problems,
                          const platform::LocalDateTime& time);

// Writes the record of one run. A write that fails is reported once (until a write succeeds
// again), drawing goes on, and the unwritten text is tried again with the next round.
class DrawRecorder final {
public:
    DrawRecorder(platform::RecordStore& records, const platform::WallClock& clock,
                 const platform::AppInfo& app, const platform::Hashes& hashes)
        : m_records(records), m_clock(clock), m_app(app), m_hashes(hashes) {}

    // The list's file name, as the record's head names it.
    void setListFile(std::string name) { m_listFile = std::move(name); }
    // A verifiable run's commitment and secret go into the record's head; none: an
    // ordinary run. The run must outlive the recorder's use of it.
    void setVerifiable(const VerifiableRun* run) { m_verifiable = run; }
    // At Initialize: a new record with the list's SHA-256, a hash per line, and the prize
    // plan when there is one.
    platform::Outcome beginRun(std::string_view sha256, std::span<const LineHash> lineHashes,
                               const PrizePlan& plan, const ListFacts& facts = {});
    // The operator changed how rows are shown.
    platform::Outcome columnsChosen(const std::vector<Column>& columns);
    // A run to continue after the program ended without "结束": its record becomes the one
    // written to. False when a running copy of the program has just taken it.
    // `text` is the record as read.
    bool takeOver(const std::string& path, std::string text);
    // The taken-over run goes on with these winners restored: its record says so, or a new
    // record that names it holds the run so far when it could not be taken over.
    // `lineHashes` are those of the list the run began with.
    platform::Outcome continueRun(const RecordedRun& run, std::span<const LineHash> lineHashes,
                                  std::span<const ResultEntry> restored,
                                  const ListFacts& facts = {});
    // The operator chose not to continue that run: it is not offered again.
    void decline(const std::string& path);
    // A verifiable run ended before its public input, and its record did not say so: it does
    // now, so the commitment reads as void.
    void voidUnfinished(const std::string& path);
    platform::Outcome addRound(std::span<const ResultEntry> round);
    platform::Outcome markAbsent(const ResultEntry& entry);
    // A procedure's winner marked absent, and who moved up for them (递补), in one write.
    platform::Outcome movedUp(const ResultEntry& absent, const ResultEntry& movedUp,
                              bool markToo = true);
    // An ordinary procedure's key, at its first round, so that a continued run keeps its order.
    platform::Outcome drawKey(std::string_view hex);
    platform::Outcome takeBackAbsent(int number);
    platform::Outcome choosePrize(int prize);
    // The witnesses' parts, the public input made of them and, now that it is fixed, the
    // secret: a run that ends before has drawn nobody.
    platform::Outcome publicInput(const VerifiableRun& run);
    // The secret, the positions drawn and the SHA-256 of the record so far, so that a record
    // cut afterwards no longer checks.
    platform::Outcome reveal(const VerifiableRun& run);
    // A verifiable run ended before its public input: its commitment is void.
    platform::Outcome voidCommitment();
    // The program ends through the exit questions; a failure now can no longer be acted on.
    void endRun();

private:
    platform::Outcome write(std::string text);
    std::string now() const;
    std::string head(std::string_view sha256, std::span<const LineHash> lineHashes,
                     const PrizePlan& plan, const ListFacts& facts) const;
    std::string runSoFar(const RecordedRun& run, std::span<const ResultEntry> restored,
                         const std::string& textBefore) const;
    std::string revealedText(const VerifiableRun& run, const platform::LocalDateTime& time,
                             std::string_view textBefore) const;

    platform::RecordStore& m_records;
    const platform::WallClock& m_clock;
    const platform::AppInfo& m_app;
    const platform::Hashes& m_hashes;
    bool m_begun = false;
    bool m_open = false; // the record file exists and is ours
    platform::LocalDateTime m_initialized;
    std::string m_listFile = platform::kCandidateFile;
    const VerifiableRun* m_verifiable = nullptr;
    std::string m_continued; // the record of the run being continued
    std::string m_unwritten;
    std::string m_text; // the whole record, written or still to write
    bool m_failureTold = false;
};

// The SHA-256 (hex) of a record's text with each line ended by CR LF, as the reveal states it:
// line ends changed by a copy do not matter, a line cut off or added does.
std::string recordDigestText(const platform::Hashes& hashes, std::string_view text);

// A record that could not be written is told, and the draw goes on.
void tellRecordFailure(DrawNotices& notices, const platform::Outcome& failure);

} // namespace kelvara::draw
