#pragma once

#include <optional>
#include <string>
#include <vector>

#include "candidate_list.h"
#include "draw_record.h"
#include "notice.h"
#include "record_reading.h"
#include "results.h"
#include "verifiable_sequence.h"

namespace kelvara::platform {
class Hashes;
class RecordStore;
} // namespace kelvara::platform

namespace kelvara::draw {

// A run that ended without "结束" (killed, a power cut, a frozen desktop), to continue.
struct ContinueOffer {
    std::string recordPath;
    RecordedRun run;
    std::string recordText;  // as read
    std::string foreignHost; // a computer whose lock the record has: it may still draw
    int editedLines = 0;     // lines of the list edited in place since the run began
    std::string list = platform::kCandidateFile; // the list's file name
};

// At start-up: the newest recorded run, when it can be continued. A record that cannot be
// read is told; the list is read now, so that the question can say that lines were edited.
// A verifiable run that ended before its public input drew nobody: its record is marked void
// instead.
std::optional<ContinueOffer> unfinishedRun(platform::RecordStore& records, CandidateList& list,
                                           DrawNotices& notices, DrawRecorder& recorder);

// What a continued run goes on from: the list as read now and the results as recorded.
struct RestoredRun {
    ListRead list;
    Results results;
    int nextNumber = 1;
    std::optional<VerifiableRun> verifiable;
    PrizePlan plan = {}; // as read now, the same as the run's
};

// The run of the offer over the list and prize plan read now, when they are the run's (a
// list edited in place is, unless the run is verifiable); otherwise none, after a notice.
// The recorded winners keep their numbers, rounds, prizes, times and marks; their names are
// their lines as the list has them now.
std::optional<RestoredRun> restoreRun(const ContinueOffer& offer, CandidateList& list,
                                      const platform::Hashes& hashes, DrawNotices& notices);

} // namespace kelvara::draw
