#include "draw_record.h"

#include <charconv>
#include <cstdio>

#include "platform/record_store.h"
#include "platform/services.h"

namespace kelvara::draw {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kListLine = "名单：";
constexpr std::string_view kInitialized = "初始化：";
constexpr std::string_view kRound = "第";
constexpr std::string_view kRoundMark = "轮：";

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// A whole decimal number at the start of text; its length in `used`.
std::optional<int> LeadingNumber(std::string_view text, std::size_t& used) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return std::nullopt;
    }
    used = static_cast<std::size_t>(end - text.data());
    return value;
}

bool Consume(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

// "[12]:\t第17行\t张三" gives number 12 and line 17; the name is read again from the list.
std::optional<RecordedWinner> ParseWinner(std::string_view line) {
    std::size_t used = 0;
    if (!Consume(line, "[")) {
        return std::nullopt;
    }
    const auto number = LeadingNumber(line, used);
    if (!number) {
        return std::nullopt;
    }
    line.remove_prefix(used);
    if (!Consume(line, "]:\t第")) {
        return std::nullopt;
    }
    const auto lineNumber = LeadingNumber(line, used);
    if (!lineNumber) {
        return std::nullopt;
    }
    line.remove_prefix(used);
    if (!Consume(line, "行\t")) {
        return std::nullopt;
    }
    return RecordedWinner{*number, *lineNumber};
}

// "名单：bonus.txt，共60条，SHA-256 <hex>"
bool ParseListLine(std::string_view line, RecordedRun& run) {
    const std::string_view count = "，共";
    const std::string_view digest = "条，SHA-256 ";
    const auto countAt = line.find(count);
    if (countAt == std::string_view::npos) {
        return false;
    }
    line.remove_prefix(countAt + count.size());
    std::size_t used = 0;
    const auto lines = LeadingNumber(line, used);
    if (!lines) {
        return false;
    }
    line.remove_prefix(used);
    if (!Consume(line, digest)) {
        return false;
    }
    run.lineCount = *lines;
    run.sha256 = line;
    return true;
}

} // namespace

std::string FormatDateTime(const platform::LocalDateTime& time) {
    return std::to_string(time.year) + "-" + TwoDigits(time.month) + "-" + TwoDigits(time.day) +
           " " + TwoDigits(time.hour) + ":" + TwoDigits(time.minute) + ":" + TwoDigits(time.second);
}

std::string RecordStem(const platform::LocalDateTime& time) {
    return record::kStemPrefix + std::to_string(time.year) + TwoDigits(time.month) +
           TwoDigits(time.day) + "_" + TwoDigits(time.hour) + TwoDigits(time.minute) +
           TwoDigits(time.second);
}

std::optional<RecordedRun> ParseRecord(std::string_view text) {
    RecordedRun run;
    bool haveList = false;
    std::size_t start = 0;
    // Only whole lines count: a last line without its CR LF was cut off by a power cut.
    for (std::size_t end = text.find(kCrLf); end != std::string_view::npos;
         start = end + kCrLf.size(), end = text.find(kCrLf, start)) {
        std::string_view line = text.substr(start, end - start);
        if (line.starts_with("[")) {
            if (const auto winner = ParseWinner(line)) {
                run.winners.push_back(*winner);
            }
        } else if (Consume(line, kListLine)) {
            haveList = ParseListLine(line, run);
        } else if (line.starts_with(record::kEnded) || line.starts_with(record::kNotContinued)) {
            run.closed = true;
        } else if (line.starts_with(kRound) && line.find(kRoundMark) != std::string_view::npos) {
            ++run.rounds;
            line.remove_prefix(line.find(kRoundMark) + kRoundMark.size());
            run.lastRoundTime = line.substr(0, line.find("，"));
        }
    }
    if (!haveList) {
        return std::nullopt;
    }
    return run;
}

std::string DrawRecorder::Now() const {
    return FormatDateTime(m_services.localDateTime());
}

void DrawRecorder::Begin(int lineCount, std::string_view sha256) {
    const platform::AppData app = m_services.appData();
    m_begun = true;
    m_open = false;
    m_rounds = 0;
    m_unwritten.clear();
    m_failureShown = false;
    const platform::LocalDateTime now = m_services.localDateTime();
    m_stem = RecordStem(now);
    std::string head = app.title + " V" + std::to_string(app.major) + "." +
                       std::to_string(app.minor) + "." + std::to_string(app.revision) +
                       record::kTitle;
    head += kCrLf;
    head += kListLine;
    head += "bonus.txt，共" + std::to_string(lineCount) + "条，SHA-256 ";
    head += sha256;
    head += kCrLf;
    head += kInitialized;
    head += FormatDateTime(now);
    head += kCrLf;
    Write(std::move(head), true);
}

bool DrawRecorder::Continue(const std::string& path, int rounds) {
    const platform::RecordResult taken = m_services.records().takeOver(path);
    m_begun = true;
    m_open = taken.ok;
    m_path = taken.path;
    m_rounds = rounds;
    m_unwritten.clear();
    m_failureShown = false;
    Write(std::string(record::kContinued) + Now() + std::string(kCrLf), true);
    return m_open;
}

void DrawRecorder::Decline(const std::string& path) {
    auto& records = m_services.records();
    if (records.takeOver(path).ok) {
        records.append(std::string(record::kNotContinued) + Now() + std::string(kCrLf));
    }
}

void DrawRecorder::AddRound(std::span<const ListedWinner> winners) {
    if (!m_begun) {
        return;
    }
    ++m_rounds;
    std::string text = std::string(kRound) + std::to_string(m_rounds) + std::string(kRoundMark) +
                       Now() + "，" + std::to_string(winners.size()) + "人";
    text += kCrLf;
    for (const ListedWinner& winner : winners) {
        text += '[';
        text += std::to_string(winner.number);
        text += "]:\t第";
        text += std::to_string(winner.line);
        text += "行\t";
        text += winner.name;
        text += kCrLf;
    }
    Write(std::move(text), true);
}

void DrawRecorder::End() {
    if (m_begun) {
        // The program is closing: a failure now can no longer be acted on.
        Write(std::string(record::kEnded) + Now() + std::string(kCrLf), false);
    }
}

void DrawRecorder::Write(std::string text, bool tellFailure) {
    m_unwritten += text;
    auto& records = m_services.records();
    std::string reason;
    if (!m_open) {
        const platform::RecordResult created = records.create(m_stem);
        m_path = created.path;
        m_open = created.ok;
        reason = created.error;
    }
    if (m_open) {
        const platform::WriteResult written = records.append(m_unwritten);
        if (written.ok) {
            m_unwritten.clear();
            m_failureShown = false;
            return;
        }
        reason = written.error;
    }
    if (tellFailure && !m_failureShown) {
        m_failureShown = true;
        std::string message = record::kWriteFailed + m_path;
        if (!reason.empty()) {
            message += "\n" + reason;
        }
        message += record::kWriteFailedAdvice;
        m_services.messageBox(message, platform::Buttons::Ok);
    }
}

} // namespace kelvara::draw
