#include "verifiable_draw.h"

#include <algorithm>
#include <iterator>

#include "limits.h"
#include "platform/clock.h"
#include "platform/hashes.h"

namespace kelvara::draw {

namespace {

// The inputs that the list and the plan fix.
VerifiableInputs inputsOf(const ListRead& list, const std::string& planSha256,
                          const std::vector<Prize>& prizes, const std::string& placesSha256) {
    VerifiableInputs inputs;
    inputs.listSha256 = digestFromHex(list.result.sha256).value_or(platform::Digest{});
    if (!planSha256.empty()) {
        inputs.planSha256 = digestFromHex(planSha256);
    }
    inputs.procedure = isProcedure(prizes);
    if (inputs.procedure && !placesSha256.empty()) {
        inputs.placesSha256 = digestFromHex(placesSha256);
    }
    inputs.lines = static_cast<int>(list.lines.size());
    return inputs;
}

std::vector<int> countsOf(const std::vector<Prize>& prizes) {
    std::vector<int> counts;
    for (const Prize& prize : prizes) {
        counts.push_back(prize.count);
    }
    return counts;
}

bool digitsOnly(const std::vector<std::string>& parts) {
    return std::ranges::all_of(parts, [](const std::string& part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string::npos;
    });
}

// Each digit `step` more than the one before, modulo 10.
bool steps(std::string_view digits, int step) {
    for (std::size_t k = 1; k < digits.size(); ++k) {
        if ((digits[k - 1] - '0' + step + 10) % 10 != digits[k] - '0') {
            return false;
        }
    }
    return true;
}

// The first `period` digits over and over.
bool repeats(std::string_view digits, std::size_t period) {
    for (std::size_t k = period; k < digits.size(); ++k) {
        if (digits[k] != digits[k - period]) {
            return false;
        }
    }
    return true;
}

// Constants that anyone could key in, as the start of a public input.
constexpr std::string_view kKnownDigits[] = {
    "31415926535897932384626433832795028841971693993751", // pi
    "27182818284590452353602874713526624977572470936999", // e
};

} // namespace

PublicInputFault publicInputFault(const std::vector<std::string>& parts) {
    std::string digits;
    for (const std::string& part : parts) {
        digits += part;
    }
    if (!digitsOnly(parts) || std::ssize(digits) < kMinPublicDigits) {
        return PublicInputFault::NotDigits;
    }
    if (repeats(digits, 1)) {
        return PublicInputFault::OneDigit;
    }
    if (steps(digits, 1) || steps(digits, -1)) {
        return PublicInputFault::Run;
    }
    for (std::size_t period = 2; period <= 6; ++period) {
        if (repeats(digits, period)) {
            return PublicInputFault::Repeated;
        }
    }
    for (const std::string_view known : kKnownDigits) {
        if (known.starts_with(digits.substr(0, std::min(digits.size(), known.size())))) {
            return PublicInputFault::Constant;
        }
    }
    return PublicInputFault::None;
}

void VerifiableDraw::begin(const ListRead& list, const PlanRead& plan, const std::string& listFile,
                           std::vector<EarlierCommitment> earlier) {
    VerifiableRun run;
    run.inputs = inputsOf(list, plan.plan.sha256, plan.plan.prizes, plan.plan.placesSha256);
    run.inputs.secret = m_hashes.newSecret();
    run.prizeCounts = countsOf(plan.plan.prizes);
    run.commitment = commitmentOf(m_hashes, run.inputs);
    run.earlier = std::move(earlier);
    run.listFile = listFile;
    run.committed = m_clock.localDateTime();
    m_run = std::move(run);
    m_recorder.setVerifiable(&*m_run);
}

void VerifiableDraw::resume(VerifiableRun run) {
    m_run = std::move(run);
    m_recorder.setVerifiable(&*m_run);
}

namespace {

// The recorded rounds take their positions again; every winner must be the line there.
bool replayPositions(VerifiableRun& run, const std::vector<RecordedWinner>& winners) {
    for (auto first = winners.begin(); first != winners.end();) {
        const auto end = std::find_if(first, winners.end(), [&](const RecordedWinner& winner) {
            return winner.round != first->round;
        });
        const auto positions =
            run.positions.take(first->prize, static_cast<int>(std::distance(first, end)));
        if (!positions) {
            return false;
        }
        for (std::size_t k = 0; k < positions->size(); ++k) {
            if (first[static_cast<std::ptrdiff_t>(k)].line !=
                run.sequence->lineAt((*positions)[k])) {
                return false;
            }
        }
        first = end;
    }
    return true;
}

} // namespace

std::optional<VerifiableRun> restoredRun(const platform::Hashes& hashes,
                                         const RecordedRun& recorded, const ListRead& list,
                                         const std::string& listFile) {
    const auto secret = digestFromHex(recorded.secret);
    const auto commitment = digestFromHex(recorded.commitment);
    if (!secret || !commitment || recorded.publicInput.empty()) {
        return std::nullopt;
    }
    VerifiableRun run;
    run.inputs = inputsOf(list, recorded.planSha256, recorded.prizes, recorded.placesSha256);
    run.inputs.secret = *secret;
    run.prizeCounts = countsOf(recorded.prizes);
    if (recorded.verifiableAlgorithm != run.inputs.algorithm() ||
        commitmentOf(hashes, run.inputs) != *commitment) {
        return std::nullopt;
    }
    run.commitment = *commitment;
    run.earlier = recorded.earlier;
    run.listFile = listFile;
    run.witnessParts = recorded.witnessParts;
    run.inputs.publicInput = recorded.publicInput;
    run.revealed = recorded.revealed;
    run.sequence.emplace(hashes, run.inputs);
    run.positions = PrizePositions(run.prizeCounts, run.inputs.lines);
    // A procedure's people come from its sections' orders, which the draw replays itself.
    if (!run.inputs.procedure && !replayPositions(run, recorded.winners)) {
        return std::nullopt;
    }
    return run;
}

bool VerifiableDraw::acceptPublicInput(const std::vector<std::string>& parts) {
    if (!m_run || m_run->sequence) {
        return false;
    }
    const PublicInputFault fault = publicInputFault(parts);
    if (fault != PublicInputFault::None) {
        Notice notice(NoticeKind::PublicInputRefused);
        notice.count = kMinPublicDigits;
        notice.inputFault = fault;
        m_notices.tell(notice);
        return false;
    }
    m_run->witnessParts = parts;
    m_run->inputs.publicInput.clear();
    for (const std::string& part : parts) {
        m_run->inputs.publicInput += (m_run->inputs.publicInput.empty() ? "" : "-") + part;
    }
    m_run->sequence.emplace(m_hashes, m_run->inputs);
    m_run->positions = PrizePositions(m_run->prizeCounts, m_run->inputs.lines);
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

std::optional<std::vector<int>> VerifiableDraw::nextLines(int prize, int count) {
    m_trial.emplace(m_run->positions);
    const auto positions = m_trial->take(prize, count);
    if (!positions) {
        return std::nullopt;
    }
    std::vector<int> lines;
    for (const int position : *positions) {
        lines.push_back(m_run->sequence->lineAt(position));
    }
    return lines;
}

void VerifiableDraw::takePositions() {
    m_run->positions = *m_trial;
}

void VerifiableDraw::reveal() {
    if (!m_run || m_run->revealed) {
        return;
    }
    m_run->revealed = true;
    tellRecordFailure(m_notices, m_recorder.reveal(*m_run));
}

} // namespace kelvara::draw
