#pragma once

#include <optional>
#include <string>
#include <vector>

#include "candidate_list.h"
#include "draw_record.h"
#include "notice.h"
#include "record_reading.h"
#include "verifiable_sequence.h"

namespace kelvara::platform {
class Hashes;
class WallClock;
} // namespace kelvara::platform

namespace kelvara::draw {

// The verifiable draw: chosen before Initialize and fixed for the run once Initialize
// succeeds. A commitment that binds a secret, the list and the plan is shown and recorded
// first, with the earlier commitments over the same list; the secret stays in memory until
// the witnesses' public input is in, and is recorded with it; every round takes the positions
// that the plan gives its prize in the one sequence that these fix; the secret is revealed
// at the end, so that anyone can check the run.
class VerifiableDraw final {
public:
    VerifiableDraw(const platform::Hashes& hashes, const platform::WallClock& clock,
                   DrawNotices& notices, DrawRecorder& recorder)
        : m_hashes(hashes), m_clock(clock), m_notices(notices), m_recorder(recorder) {}
    VerifiableDraw(const VerifiableDraw&) = delete;
    VerifiableDraw& operator=(const VerifiableDraw&) = delete;

    // The run, once Initialize or a continued record began it.
    const VerifiableRun* run() const { return m_run ? &*m_run : nullptr; }

    // At Initialize: the commitment to a secret nobody knows yet, over the list and the plan
    // as read, recorded before anything else.
    void begin(const ListRead& list, const PlanRead& plan, const std::string& listFile,
               std::vector<EarlierCommitment> earlier);
    // A continued run goes on as its record left it (see restoredRun).
    void resume(VerifiableRun run);

    // Once, between rounds: the witnesses' digits. False, after a notice, unless every part
    // is digits, there are kMinPublicDigits of them at least, and they are not plainly
    // guessable (see publicInputFault).
    bool acceptPublicInput(const std::vector<std::string>& parts);
    // At Start: the public input is in, the secret is not out, and the list is byte for byte
    // the committed one; otherwise a notice says why not.
    bool readyForRound(CandidateList& list);
    // The lines at the positions a round of `count` for `prize` takes, in the order of those
    // positions; none when the sequence has no such positions left. They are taken for good by
    // takePositions().
    std::optional<std::vector<int>> nextLines(int prize, int count);
    void takePositions();
    // Shows the secret in the record, so that anyone can check the run; once.
    void reveal();
    bool revealed() const { return m_run && m_run->revealed; }
    // A procedure's people listed so far, which its reveal counts.
    void countEntries(int entries) {
        if (m_run) {
            m_run->procedureEntries = entries;
        }
    }

private:
    bool tellIf(bool refused, NoticeKind kind);

    const platform::Hashes& m_hashes;
    const platform::WallClock& m_clock;
    DrawNotices& m_notices;
    DrawRecorder& m_recorder;
    std::optional<VerifiableRun> m_run;
    std::optional<PrizePositions> m_trial; // the positions a Start is taking
};

// Why these digits would make a guessable public input; None when they will do.
PublicInputFault publicInputFault(const std::vector<std::string>& parts);

// A verifiable run as its record left it: the same secret and inputs, and the positions its
// rounds took. None when the record holds no secret, the secret is not the committed one, or
// a listed winner is not the line the sequence has at the position its round took.
std::optional<VerifiableRun> restoredRun(const platform::Hashes& hashes,
                                         const RecordedRun& recorded, const ListRead& list,
                                         const std::string& listFile);

} // namespace kelvara::draw
