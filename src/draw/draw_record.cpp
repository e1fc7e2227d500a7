#include "draw_record.h"

#include <algorithm>
#include <cstdio>

#include "platform/app_info.h"
#include "platform/record_store.h"

namespace kelvara::draw {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string winnerLine(const ResultEntry& entry) {
    std::string line = "[";
    line += std::to_string(entry.number);
    line += "]:\t第";
    line += std::to_string(entry.winner.line);
    line += "行\t";
    line += entry.winner.name;
    line += kCrLf;
    return line;
}

std::string prizeText(int prize) {
    return prize == 0 ? std::string() : "，" + std::string(record::kPrize) + std::to_string(prize);
}

// "第3轮：2026-12-07 19:31:12，5人" (and "，奖项2" with a plan), and a line per winner.
std::string roundText(std::span<const ResultEntry> round) {
    std::string text = std::string(record::kRound) + std::to_string(round.front().round) +
                       std::string(record::kRoundMark) + formatDateTime(round.front().time) + "，" +
                       std::to_string(round.size()) + "人" + prizeText(round.front().prize) +
                       std::string(kCrLf);
    for (const ResultEntry& entry : round) {
        text += winnerLine(entry);
    }
    return text;
}

// "弃奖：2026-12-07 19:40:00，[3]"
std::string markText(std::string_view word, const platform::LocalDateTime& time, int number) {
    return std::string(word) + formatDateTime(time) + "，[" + std::to_string(number) + "]" +
           std::string(kCrLf);
}

std::string planText(const PrizePlan& plan) {
    if (plan.prizes.empty()) {
        return {};
    }
    std::string text = std::string(record::kPlanLine) + kPrizePlanFile + "，共" +
                       std::to_string(plan.prizes.size()) + "项，SHA-256 " + plan.sha256 +
                       std::string(kCrLf);
    for (std::size_t k = 0; k < plan.prizes.size(); ++k) {
        text += std::string(record::kPrize) + std::to_string(k + 1) + "：" +
                std::to_string(plan.prizes[k].count) + "人，" + plan.prizes[k].name +
                std::string(kCrLf);
    }
    return text;
}

// "见证人1：…" for each witness, then "公开输入：<time>，<input>".
std::string publicInputText(const std::vector<std::string>& parts, std::string_view input,
                            const platform::LocalDateTime& time) {
    std::string text;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        text += std::string(record::kWitness) + std::to_string(k + 1) + "：" + parts[k] +
                std::string(kCrLf);
    }
    return text + record::kPublicInput + formatDateTime(time) + "，" + std::string(input) +
           std::string(kCrLf);
}

std::string revealedText(std::string_view secret, const platform::LocalDateTime& time) {
    return std::string(record::kRevealed) + formatDateTime(time) + record::kRevealedSecret +
           std::string(secret) + std::string(kCrLf);
}

} // namespace

std::string formatDateTime(const platform::LocalDateTime& time) {
    return std::to_string(time.year) + "-" + twoDigits(time.month) + "-" + twoDigits(time.day) +
           " " + twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second);
}

std::string DrawRecorder::now() const {
    return formatDateTime(m_clock.localDateTime());
}

std::string DrawRecorder::head(std::string_view sha256, std::span<const LineHash> lineHashes,
                               const PrizePlan& plan) const {
    const platform::AppData app = m_app.appData();
    std::string head = app.title + " V" + std::to_string(app.major) + "." +
                       std::to_string(app.minor) + "." + std::to_string(app.revision) +
                       record::kTitle;
    head += kCrLf;
    head += record::kListLine;
    head += m_listFile + "，共" + std::to_string(lineHashes.size()) + "条，SHA-256 ";
    head += sha256;
    head += kCrLf;
    for (std::size_t first = 0; first < lineHashes.size(); first += record::kLineHashesPerLine) {
        head += record::kLineHashes;
        const std::size_t end = std::min(lineHashes.size(), first + record::kLineHashesPerLine);
        for (std::size_t k = first; k < end; ++k) {
            char hex[24];
            std::snprintf(hex, sizeof hex, "%016llx",
                          static_cast<unsigned long long>(lineHashes[k]));
            head += hex;
        }
        head += kCrLf;
    }
    head += planText(plan);
    if (m_verifiable != nullptr) {
        head += std::string(record::kVerifiable) + kVerifiableAlgorithm + record::kCommitment +
                toHex(m_verifiable->commitment) + std::string(kCrLf);
        head +=
            std::string(record::kSecret) + toHex(m_verifiable->inputs.secret) + std::string(kCrLf);
    }
    return head;
}

std::optional<RecordFailure> DrawRecorder::beginRun(std::string_view sha256,
                                                    std::span<const LineHash> lineHashes,
                                                    const PrizePlan& plan) {
    m_begun = true;
    m_open = false;
    m_unwritten.clear();
    m_failureTold = false;
    m_initialized = m_clock.localDateTime();
    std::string text = head(sha256, lineHashes, plan);
    text += record::kInitialized;
    text += formatDateTime(m_initialized);
    text += kCrLf;
    return write(std::move(text));
}

bool DrawRecorder::takeOver(const std::string& path) {
    const platform::RecordResult taken = m_records.takeOver(path, true);
    if (taken.heldElsewhere) {
        return false;
    }
    m_open = taken.ok;
    m_continued = path;
    return true;
}

std::optional<RecordFailure> DrawRecorder::continueRun(const RecordedRun& run,
                                                       std::span<const LineHash> lineHashes,
                                                       std::span<const ResultEntry> restored) {
    m_begun = true;
    m_unwritten.clear();
    m_failureTold = false;
    m_initialized = m_clock.localDateTime();
    std::string line = std::string(record::kContinued) + formatDateTime(m_initialized) + "，" +
                       record::kRestored + std::to_string(restored.size()) + "人";
    if (m_open) {
        m_path = m_continued;
        // A line that a power cut left unfinished gets its end, so it stays apart.
        return write((run.cutAtEnd ? std::string(kCrLf) : std::string()) + line +
                     std::string(kCrLf));
    }
    // The run goes on in a record of its own, named by this time, that holds the run so far
    // and the record it continues, so that it can itself be continued.
    std::string text = head(run.sha256, lineHashes, {run.planSha256, run.prizes});
    text += runSoFar(run, restored);
    text += line + "，" + record::kContinues + m_continued + std::string(kCrLf);
    return write(std::move(text));
}

// The rounds, each after the absent marks that it drew replacements for, then the marks
// still waiting and the prize chosen: read again, they give the same results.
std::string DrawRecorder::runSoFar(const RecordedRun& run,
                                   std::span<const ResultEntry> restored) const {
    const auto marksReplacedIn = [&](int round) {
        std::string text;
        for (const ResultEntry& entry : restored) {
            if (entry.absent && entry.replacedInRound == round) {
                text += markText(record::kAbsent, *entry.absent, entry.number);
            }
        }
        return text;
    };
    std::string text;
    if (!run.publicInput.empty()) {
        text += publicInputText(run.witnessParts, run.publicInput, run.publicInputTime);
    }
    for (std::size_t first = 0; first < restored.size();) {
        std::size_t end = first + 1;
        while (end < restored.size() && restored[end].round == restored[first].round) {
            ++end;
        }
        text += marksReplacedIn(restored[first].round);
        text += roundText(restored.subspan(first, end - first));
        first = end;
    }
    text += marksReplacedIn(0);
    if (run.chosenPrize != 0) {
        text += std::string(record::kPrizeChosen) + now() + prizeText(run.chosenPrize) +
                std::string(kCrLf);
    }
    if (run.revealed) {
        text += revealedText(run.secret, run.revealedTime);
    }
    return text;
}

void DrawRecorder::decline(const std::string& path) {
    // Another computer's lock is left alone: the run is offered there, or here again.
    if (m_records.takeOver(path, false).ok) {
        m_records.append(std::string(record::kNotContinued) + now() + std::string(kCrLf));
    }
}

std::optional<RecordFailure> DrawRecorder::addRound(std::span<const ResultEntry> round) {
    if (!m_begun || round.empty()) {
        return std::nullopt;
    }
    return write(roundText(round));
}

std::optional<RecordFailure> DrawRecorder::markAbsent(const ResultEntry& entry) {
    if (!m_begun || !entry.absent) {
        return std::nullopt;
    }
    return write(markText(record::kAbsent, *entry.absent, entry.number));
}

std::optional<RecordFailure> DrawRecorder::takeBackAbsent(int number) {
    if (!m_begun) {
        return std::nullopt;
    }
    return write(markText(record::kAbsentTakenBack, m_clock.localDateTime(), number));
}

std::optional<RecordFailure> DrawRecorder::choosePrize(int prize) {
    if (!m_begun) {
        return std::nullopt;
    }
    return write(std::string(record::kPrizeChosen) + now() + prizeText(prize) + std::string(kCrLf));
}

std::optional<RecordFailure> DrawRecorder::publicInput(const VerifiableRun& run) {
    return write(
        publicInputText(run.witnessParts, run.inputs.publicInput, m_clock.localDateTime()));
}

std::optional<RecordFailure> DrawRecorder::reveal(const VerifiableRun& run) {
    return write(revealedText(toHex(run.inputs.secret), m_clock.localDateTime()));
}

void DrawRecorder::endRun() {
    if (m_begun) {
        static_cast<void>(write(std::string(record::kEnded) + now() + std::string(kCrLf)));
    }
}

std::optional<RecordFailure> DrawRecorder::write(std::string text) {
    m_unwritten += text;
    std::string reason;
    if (!m_open) {
        const platform::RecordResult created = m_records.create(m_initialized);
        m_path = created.path;
        m_open = created.ok;
        reason = created.error;
        if (m_open && m_verifiable != nullptr) {
            m_records.addCheckerPage();
        }
    }
    if (m_open) {
        const platform::WriteResult written = m_records.append(m_unwritten);
        if (written.ok) {
            m_unwritten.clear();
            m_failureTold = false;
            return std::nullopt;
        }
        reason = written.error;
    }
    if (m_failureTold) {
        return std::nullopt;
    }
    m_failureTold = true;
    return RecordFailure{m_path, reason};
}

} // namespace kelvara::draw
