#include "verifiable_draw.h"

#include "limits.h"
#include "platform/clock.h"
#include "platform/hashes.h"

namespace kelvara::draw {

namespace {

// The inputs that the list and the plan fix.
VerifiableInputs inputsOf(const ListRead& list, const std::string& planSha256) {
    VerifiableInputs inputs;
    inputs.listSha256 = digestFromHex(list.result.sha256).value_or(platform::Digest{});
    if (!planSha256.empty()) {
        inputs.planSha256 = digestFromHex(planSha256);
    }
    inputs.lines = static_cast<int>(list.lines.size());
    return inputs;
}

bool allDigits(const std::vector<std::string>& parts, std::size_t& digits) {
    digits = 0;
    for (const std::string& part : parts) {
        if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        digits += part.size();
    }
    return true;
}

} // namespace

void VerifiableDraw::begin(const ListRead& list, const PlanRead& plan,
                           const std::string& listFile) {
    VerifiableRun run;
    run.inputs = inputsOf(list, plan.plan.sha256);
    run.inputs.secret = m_hashes.newSecret();
    run.commitment = m_hashes.sha256(run.inputs.secret);
    run.listFile = listFile;
    run.committed = m_clock.localDateTime();
    m_run = std::move(run);
    m_recorder.setVerifiable(&*m_run);
}

void VerifiableDraw::resume(VerifiableRun run) {
    m_run = std::move(run);
    m_recorder.setVerifiable(&*m_run);
}

std::optional<VerifiableRun> restoredRun(const platform::Hashes& hashes,
                                         const RecordedRun& recorded, const ListRead& list,
                                         const std::string& listFile) {
    const auto secret = digestFromHex(recorded.secret);
    const auto commitment = digestFromHex(recorded.commitment);
    if (!secret || !commitment || hashes.sha256(*secret) != *commitment) {
        return std::nullopt;
    }
    VerifiableRun run;
    run.inputs = inputsOf(list, recorded.planSha256);
    run.inputs.secret = *secret;
    run.commitment = *commitment;
    run.listFile = listFile;
    if (recorded.publicInput.empty()) {
        return recorded.winners.empty() ? std::optional(std::move(run)) : std::nullopt;
    }
    run.witnessParts = recorded.witnessParts;
    run.inputs.publicInput = recorded.publicInput;
    run.revealed = recorded.revealed;
    run.sequence.emplace(hashes, run.inputs);
    for (const RecordedWinner& winner : recorded.winners) {
        if (winner.number != run.sequence->position() + 1 || winner.line != run.sequence->next()) {
            return std::nullopt;
        }
    }
    return run;
}

bool VerifiableDraw::acceptPublicInput(const std::vector<std::string>& parts) {
    if (!m_run || m_run->sequence) {
        return false;
    }
    std::size_t digits = 0;
    if (!allDigits(parts, digits) || digits < static_cast<std::size_t>(kMinPublicDigits)) {
        Notice notice(NoticeKind::PublicInputRefused);
        notice.count = kMinPublicDigits;
        m_notices.tell(notice);
        return false;
    }
    m_run->witnessParts = parts;
    m_run->inputs.publicInput.clear();
    for (const std::string& part : parts) {
        m_run->inputs.publicInput += (m_run->inputs.publicInput.empty() ? "" : "-") + part;
    }
    m_run->sequence.emplace(m_hashes, m_run->inputs);
    tellRecordFailure(m_notices, m_recorder.publicInput(*m_run));
    return true;
}

bool VerifiableDraw::tellIf(bool refused, NoticeKind kind) {
    if (refused) {
        m_notices.tell(Notice(kind));
    }
    return refused;
}

// Once the secret is out, anyone could tell the next winners: the run is over. An edit in
// place would change the SHA-256 the sequence was fixed with.
bool VerifiableDraw::readyForRound(CandidateList& list) {
    if (tellIf(!m_run->sequence, NoticeKind::PublicInputMissing) ||
        tellIf(m_run->revealed, NoticeKind::VerifiableRunRevealed)) {
        return false;
    }
    const std::optional<std::string> sha256 = list.sha256Now();
    return sha256 &&
           !tellIf(*sha256 != toHex(m_run->inputs.listSha256), NoticeKind::ListNotAsCommitted);
}

std::optional<std::vector<int>> VerifiableDraw::nextLines(int count) {
    m_trial.emplace(*m_run->sequence);
    std::vector<int> lines;
    for (int k = 0; k < count; ++k) {
        const int line = m_trial->next();
        if (line == 0) {
            return std::nullopt;
        }
        lines.push_back(line);
    }
    return lines;
}

void VerifiableDraw::takePositions() {
    m_run->sequence.emplace(*m_trial);
}

void VerifiableDraw::reveal() {
    if (!m_run || m_run->revealed) {
        return;
    }
    m_run->revealed = true;
    tellRecordFailure(m_notices, m_recorder.reveal(*m_run));
}

} // namespace kelvara::draw
