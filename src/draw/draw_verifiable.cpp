// The verifiable draw: a commitment at Initialize, the public input, rounds from the one
// sequence, the secret revealed at the end.
#include <algorithm>

#include "draw_engine.h"

namespace kelvara::draw {

void DrawEngine::setVerifiable(bool on) {
    if (m_state.CandidateCount() == 0) {
        m_verifiableChosen = on;
    }
}

// The commitment to a secret nobody knows yet, shown and recorded before anything else.
void DrawEngine::beginVerifiable(const ListRead& list, const PlanRead& plan) {
    VerifiableRun run;
    run.inputs.secret = m_services.hashes.newSecret();
    run.commitment = m_services.hashes.sha256(run.inputs.secret);
    run.inputs.listSha256 = digestFromHex(list.result.sha256).value_or(platform::Digest{});
    if (!plan.plan.sha256.empty()) {
        run.inputs.planSha256 = digestFromHex(plan.plan.sha256);
    }
    run.inputs.lines = static_cast<int>(list.lines.size());
    run.listFile = m_listFile;
    run.committed = m_services.clock.localDateTime();
    m_verifiable = std::move(run);
    m_recorder.setVerifiable(&*m_verifiable);
}

bool DrawEngine::acceptPublicInput(const std::vector<std::string>& parts) {
    if (!m_verifiable || m_verifiable->sequence || m_phase != RoundPhase::Idle) {
        return false;
    }
    std::size_t digits = 0;
    for (const std::string& part : parts) {
        if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos) {
            digits = 0;
            break;
        }
        digits += part.size();
    }
    if (digits < static_cast<std::size_t>(kMinPublicDigits)) {
        Notice notice(NoticeKind::PublicInputRefused);
        notice.count = kMinPublicDigits;
        m_notices.tell(notice);
        return false;
    }
    VerifiableRun& run = *m_verifiable;
    run.witnessParts = parts;
    run.inputs.publicInput.clear();
    for (const std::string& part : parts) {
        run.inputs.publicInput += (run.inputs.publicInput.empty() ? "" : "-") + part;
    }
    run.sequence.emplace(m_services.hashes, run.inputs);
    reportRecordFailure(m_recorder.publicInput(run));
    m_view.showVerifiable(run);
    return true;
}

void DrawEngine::reveal() {
    if (m_phase == RoundPhase::Idle && m_verifiable && m_verifiable->sequence) {
        disclose();
        m_view.setStartEnabled(false);
    }
}

void DrawEngine::disclose() {
    if (!m_verifiable || m_verifiable->revealed) {
        return;
    }
    m_verifiable->revealed = true;
    reportRecordFailure(m_recorder.reveal(*m_verifiable));
    m_view.showVerifiable(*m_verifiable);
}

// In this mode an edit in place would change the SHA-256 the sequence was fixed with.
bool DrawEngine::checkVerifiableList(const std::string& path) {
    if (!m_verifiable->sequence) {
        tell(NoticeKind::PublicInputMissing);
        return false;
    }
    // Once the secret is out, anyone could tell the next winners: the run is over.
    if (m_verifiable->revealed) {
        tell(NoticeKind::VerifiableRunRevealed);
        return false;
    }
    const platform::ReadResult read =
        m_services.files.readTextLines(path, [](std::string_view) { return true; });
    if (reportReadFailure(read.status, read.workbookFault)) {
        return false;
    }
    if (read.sha256 != toHex(m_verifiable->inputs.listSha256)) {
        tell(NoticeKind::ListNotAsCommitted);
        return false;
    }
    return true;
}

// The round's slots at the sequence's next positions; `order` gets their lines in the order
// drawn. The positions are taken for good only once the round has started.
std::optional<std::vector<std::int16_t>> DrawEngine::verifiableSlots(std::vector<int>& order) {
    std::vector<std::int16_t> slotOfLine(m_state.LinePermutation.size() + 1);
    for (std::size_t slot = 0; slot < m_state.LinePermutation.size(); ++slot) {
        slotOfLine[static_cast<std::size_t>(m_state.LinePermutation[slot])] =
            static_cast<std::int16_t>(slot + 1);
    }
    m_trialSequence.emplace(*m_verifiable->sequence);
    std::vector<std::int16_t> slots;
    for (int k = 0; k < m_state.RoundSize; ++k) {
        const int line = m_trialSequence->next();
        if (line == 0) {
            return std::nullopt;
        }
        order.push_back(line);
        slots.push_back(slotOfLine[static_cast<std::size_t>(line)]);
    }
    return slots;
}

// The round's winners in the order the sequence drew them: the listed number is the
// position.
void DrawEngine::orderAsDrawn(const std::vector<int>& order) {
    std::vector<Candidate> ordered;
    ordered.reserve(order.size());
    for (const int line : order) {
        const auto found =
            std::find_if(m_state.RoundWinners.begin(), m_state.RoundWinners.end(),
                         [line](const Candidate& candidate) { return candidate.line == line; });
        ordered.push_back(*found);
    }
    m_state.RoundWinners = std::move(ordered);
    m_verifiable->sequence.emplace(*m_trialSequence);
}

// A verifiable run as its record left it: the same secret and inputs, and the sequence past
// the positions already listed, each of which must be the line the sequence drew there.
std::optional<VerifiableRun> DrawEngine::restoredVerifiable(const RecordedRun& recorded,
                                                            const ListRead& list) const {
    VerifiableRun run;
    const auto secret = digestFromHex(recorded.secret);
    const auto commitment = digestFromHex(recorded.commitment);
    if (!secret || !commitment || m_services.hashes.sha256(*secret) != *commitment) {
        return std::nullopt;
    }
    run.inputs.secret = *secret;
    run.commitment = *commitment;
    run.listFile = m_listFile;
    run.inputs.listSha256 = digestFromHex(list.result.sha256).value_or(platform::Digest{});
    if (!recorded.planSha256.empty()) {
        run.inputs.planSha256 = digestFromHex(recorded.planSha256);
    }
    run.inputs.lines = static_cast<int>(list.lines.size());
    if (recorded.publicInput.empty()) {
        return recorded.winners.empty() ? std::optional(std::move(run)) : std::nullopt;
    }
    run.witnessParts = recorded.witnessParts;
    run.inputs.publicInput = recorded.publicInput;
    run.revealed = recorded.revealed;
    run.sequence.emplace(m_services.hashes, run.inputs);
    for (const RecordedWinner& winner : recorded.winners) {
        if (winner.number != run.sequence->position() + 1 || winner.line != run.sequence->next()) {
            return std::nullopt;
        }
    }
    return run;
}

} // namespace kelvara::draw
