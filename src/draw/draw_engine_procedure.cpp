// A procedure plan's run: its sections' orders fixed once their key exists, rounds that list
// the next people of a line, and whoever is waiting moving up for a winner who declines.
#include <algorithm>

#include "draw_engine.h"
#include "platform/hashes.h"
#include "platform/list_rows.h"

namespace kelvara::draw {

namespace {

std::vector<std::string> cellsOf(const ListRead& list, std::size_t at) {
    return at < list.cells.size() ? list.cells[at] : platform::splitFields(list.lines[at]);
}

} // namespace

// The list's columns and the places list, checked against what the plan names; the plan
// learns the places list's facts for the record and the commitment.
bool DrawEngine::prepareProcedure(const ListRead& list, PrizePlan& plan,
                                  const std::string* recordedPlaces) {
    m_procedure.reset();
    m_drawKey.reset();
    m_drawKeyRecorded = false;
    m_procedureRows = {};
    m_placeRows = {};
    if (!isProcedure(plan.prizes)) {
        return true;
    }
    ProcedureList& facts = m_procedureRows;
    const RowFormat format = RowFormat::of(list.header, list.width);
    for (const Column& column : format.columns()) {
        facts.titles.push_back(column.title);
    }
    for (std::size_t at = 0; at < list.lines.size(); ++at) {
        facts.cells.push_back(cellsOf(list, at));
    }
    m_procedureNames = list.lines;
    m_procedureCells = list.cells;
    if (std::ranges::any_of(plan.prizes, [](const Prize& prize) {
            return prize.rule.places != PlacesMode::None;
        })) {
        PlacesRead places = m_list.readPlaces();
        if (places.file.empty()) {
            tell(NoticeKind::PlacesMissing);
            return false;
        }
        if (places.rows.result.status != platform::ReadStatus::Ok || places.rows.tooMany ||
            places.rows.tooLongLine != 0) {
            m_notices.tell(Notice(NoticeKind::PlacesUnreadable, 0, places.file));
            return false;
        }
        // "房号" alone on the first line of a one-column list is no header: it would be a place.
        const std::vector<std::string> first =
            places.rows.lines.empty() ? std::vector<std::string>()
                                      : platform::splitFields(places.rows.lines.front());
        if (places.rows.header.empty() && !first.empty() &&
            platform::headerWordKind(first.front())) {
            m_notices.tell(Notice(NoticeKind::PlacesHeaderAlone, 0, places.file));
            return false;
        }
        if (recordedPlaces != nullptr && *recordedPlaces != places.rows.result.sha256) {
            m_notices.tell(Notice(NoticeKind::PlacesDiffer, 0, places.file));
            return false;
        }
        plan.placesFile = places.file;
        plan.placesSha256 = places.rows.result.sha256;
        plan.placesHeader = places.rows.header;
        plan.places = static_cast<int>(places.rows.lines.size());
        facts.places = plan.places;
        m_placeRows = std::move(places.rows);
    }
    const ProcedureFault fault = checkProcedure(plan.prizes, facts);
    if (fault.fault != PlanFault::None) {
        Notice notice = Notice::planRefused(
            fault.fault,
            plan.fileLines.empty() ? fault.prize
                                   : plan.fileLines[static_cast<std::size_t>(fault.prize - 1)],
            fault.column);
        notice.written = fault.value;
        notice.count = plan.places;
        m_notices.tell(notice);
        return false;
    }
    return true;
}

// Every section's order and every line's places, from the run's key.
void DrawEngine::deriveProcedure(const platform::Digest& key) {
    deriveProcedure(key, m_results);
}

void DrawEngine::deriveProcedure(const platform::Digest& key, Results& results) {
    const platform::Hashes& hashes = m_services.hashes;
    m_procedure.emplace(results.prizes(), m_procedureRows,
                        [&](const std::string& label, std::vector<int>& items) {
                            shuffleByLabel(hashes, key, label, items);
                        });
    std::vector<int> capacities;
    for (int prize = 1; prize <= std::ssize(results.prizes()); ++prize) {
        capacities.push_back(m_procedure->capacity(prize));
    }
    results.setCapacities(std::move(capacities));
    std::vector<std::string> placeTitles;
    if (!m_placeRows.cells.empty() && !m_placeRows.header.empty()) {
        const RowFormat places = RowFormat::of(m_placeRows.header, m_placeRows.width);
        for (const Column& column : places.columns()) {
            placeTitles.push_back(column.title);
        }
    }
    results.setPlaceTitles(std::move(placeTitles));
}

Candidate DrawEngine::procedureRow(int line) const {
    const auto at = static_cast<std::size_t>(line - 1);
    return {line, m_procedureNames[at],
            at < m_procedureCells.size() ? m_procedureCells[at] : std::vector<std::string>()};
}

std::optional<Candidate> DrawEngine::placeOf(int row) const {
    if (row < 1 || row > std::ssize(m_placeRows.lines)) {
        return std::nullopt;
    }
    const auto at = static_cast<std::size_t>(row - 1);
    return Candidate{row, m_placeRows.lines[at],
                     at < m_placeRows.cells.size() ? m_placeRows.cells[at]
                                                   : std::vector<std::string>()};
}

// A round of a procedure: the line's next people, read from the list as it is now. An
// ordinary run's key goes into the record before its first round, so that a continued run
// keeps the same order.
bool DrawEngine::drawProcedureRound() {
    if (!m_procedure) {
        tell(NoticeKind::PublicInputMissing);
        return false;
    }
    Procedure trial = *m_procedure;
    m_roundPicks = trial.take(m_roundPrize, m_state.RoundSize);
    std::vector<int> lines;
    for (const Pick& pick : m_roundPicks) {
        lines.push_back(pick.line);
    }
    if (lines.empty() || !fetchWinners(slotsOfLines(lines))) {
        return false;
    }
    orderAsDrawn(lines);
    *m_procedure = std::move(trial);
    if (m_drawKey && !m_drawKeyRecorded) {
        m_drawKeyRecorded = true;
        tellRecordFailure(m_notices, m_recorder.drawKey(toHex(*m_drawKey)));
    }
    return true;
}

void DrawEngine::giveProcedureFacts(std::vector<ResultEntry>& round) const {
    for (std::size_t k = 0; k < round.size() && k < m_roundPicks.size(); ++k) {
        round[k].rank = m_roundPicks[k].rank;
        round[k].waiting = m_roundPicks[k].waiting;
        round[k].place = placeOf(m_roundPicks[k].placeRow);
    }
}

// The first waiting person who may moves up to the absent winner's rank and place (递补).
void DrawEngine::moveUpFor(const ResultEntry& absent) {
    const std::optional<Pick> pick =
        m_procedure->decline(absent.prize, absent.winner.line, absent.rank);
    if (!pick) {
        if (absent.rank != 0) {
            Notice notice(NoticeKind::NobodyToMoveUp);
            notice.name = absent.winner.name;
            notice.prize = m_results.prizeName(absent.prize);
            m_notices.tell(notice);
        }
        tellRecordFailure(m_notices, m_recorder.markAbsent(absent));
        return;
    }
    ResultEntry movedUp{m_nextResultNumber++, procedureRow(pick->line), m_results.rounds(),
                        *absent.absent, absent.prize};
    movedUp.rank = pick->rank;
    movedUp.replaces = absent.number;
    movedUp.place = placeOf(pick->placeRow);
    m_results.addMovedUp(movedUp);
    countProcedureEntries();
    tellRecordFailure(m_notices, m_recorder.movedUp(absent, movedUp));
}

void DrawEngine::countProcedureEntries() {
    if (m_verifiable) {
        m_verifiable->countEntries(static_cast<int>(m_results.entries().size()));
    }
}

// A continued procedure: its key from the record (or a new one when no round was drawn), and
// its rounds, marks and 递补 replayed; false when a recorded person is not whom the procedure
// gives there.
bool DrawEngine::replayProcedure(const RecordedRun& run, const VerifiableRun* verifiable,
                                 Results& results, int& nextNumber) {
    m_recoveredMovedUp.clear();
    if (!isProcedure(run.prizes)) {
        return true;
    }
    if (!m_procedureNames.empty() && run.commitment.empty()) {
        const auto key = run.drawKey.empty() ? std::optional(m_services.hashes.newSecret())
                                             : digestFromHex(run.drawKey);
        if (!key) {
            return false;
        }
        m_drawKey = key;
        m_drawKeyRecorded = !run.drawKey.empty();
    }
    if (verifiable != nullptr && verifiable->sequence) {
        m_drawKey.reset();
        deriveProcedure(procedureKey(m_services.hashes, verifiable->inputs), results);
    } else if (m_drawKey) {
        deriveProcedure(*m_drawKey, results);
    }
    if (!m_procedure) {
        return results.entries().empty();
    }
    std::vector<ResultEntry> entries(results.entries().begin(), results.entries().end());
    std::vector<std::optional<Pick>> movedUp(entries.size() + 1);
    std::size_t nextMark = 0;
    const auto entryAt = [&](int number) -> ResultEntry* {
        const auto found = std::ranges::find(entries, number, &ResultEntry::number);
        return found != entries.end() ? &*found : nullptr;
    };
    const auto markUpTo = [&](std::size_t listed) {
        for (; nextMark < run.marks.size() && run.marks[nextMark].afterEntries <= listed;
             ++nextMark) {
            const AbsentMark& mark = run.marks[nextMark];
            const ResultEntry* const entry = entryAt(mark.number);
            if (entry == nullptr) {
                continue;
            }
            if (mark.takenBack) {
                m_procedure->takeBack(entry->prize, entry->winner.line, entry->rank);
            } else if (const auto pick =
                           m_procedure->decline(entry->prize, entry->winner.line, entry->rank)) {
                movedUp[static_cast<std::size_t>(entry - entries.data())] = pick;
            }
        }
    };
    for (std::size_t first = 0; first < entries.size();) {
        markUpTo(first);
        ResultEntry& entry = entries[first];
        if (entry.replaces != 0) {
            const ResultEntry* const replaced = entryAt(entry.replaces);
            const auto& pick = replaced != nullptr
                                   ? movedUp[static_cast<std::size_t>(replaced - entries.data())]
                                   : std::optional<Pick>();
            if (!pick || pick->line != entry.winner.line) {
                return false;
            }
            entry.rank = pick->rank;
            entry.place = placeOf(pick->placeRow);
            movedUp[static_cast<std::size_t>(replaced - entries.data())].reset();
            ++first;
            continue;
        }
        std::size_t end = first + 1;
        while (end < entries.size() && entries[end].round == entry.round &&
               entries[end].replaces == 0) {
            ++end;
        }
        const std::vector<Pick> picks =
            m_procedure->take(entry.prize, static_cast<int>(end - first));
        if (picks.size() != end - first) {
            return false;
        }
        for (std::size_t k = first; k < end; ++k) {
            const Pick& pick = picks[k - first];
            if (pick.line != entries[k].winner.line) {
                return false;
            }
            entries[k].rank = pick.rank;
            entries[k].waiting = pick.waiting;
            entries[k].place = placeOf(pick.placeRow);
        }
        first = end;
    }
    markUpTo(entries.size());
    // A power cut between a mark and the line of who moved up lost only that line: they
    // move up now, as the mark made them.
    const std::size_t listed = entries.size();
    for (std::size_t k = 0; k < listed; ++k) {
        if (const auto& pick = movedUp[k]) {
            ResultEntry& recovered = entries.emplace_back(
                ResultEntry{nextNumber++, procedureRow(pick->line), entries[k].round,
                            entries[k].absent.value_or(entries[k].time), entries[k].prize});
            recovered.rank = pick->rank;
            recovered.replaces = entries[k].number;
            recovered.place = placeOf(pick->placeRow);
            m_recoveredMovedUp.push_back(recovered);
        }
    }
    results.replaceEntries(std::move(entries));
    return true;
}

} // namespace kelvara::draw
