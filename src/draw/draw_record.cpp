#include "draw_record.h"

#include <charconv>
#include <cstdio>

#include "platform/app_info.h"
#include "platform/record_store.h"

namespace kelvara::draw {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kListLine = "名单：";
constexpr std::string_view kInitialized = "初始化：";
constexpr std::string_view kRound = "第";
constexpr std::string_view kRoundMark = "轮：";

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// A whole decimal number at the start of text; its length in `used`.
std::optional<int> leadingNumber(std::string_view text, std::size_t& used) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return std::nullopt;
    }
    used = static_cast<std::size_t>(end - text.data());
    return value;
}

bool consume(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

// A number and what follows it: "12" then "]:\t第".
std::optional<int> numberThen(std::string_view& text, std::string_view after) {
    std::size_t used = 0;
    const auto number = leadingNumber(text, used);
    if (!number) {
        return std::nullopt;
    }
    text.remove_prefix(used);
    if (!consume(text, after)) {
        return std::nullopt;
    }
    return number;
}

// "[12]:\t第17行\t张三" gives number 12 and line 17; the name is read again from the list.
std::optional<RecordedWinner> parseWinner(std::string_view line) {
    if (!consume(line, "[")) {
        return std::nullopt;
    }
    const auto number = numberThen(line, "]:\t第");
    const auto lineNumber = number ? numberThen(line, "行\t") : std::nullopt;
    if (!lineNumber) {
        return std::nullopt;
    }
    return RecordedWinner{*number, *lineNumber, 0, {}};
}

// "名单：bonus.txt，共60条，SHA-256 <hex>"
bool parseListLine(std::string_view line, RecordedRun& run) {
    const std::string_view count = "，共";
    const auto countAt = line.find(count);
    if (countAt == std::string_view::npos) {
        return false;
    }
    line.remove_prefix(countAt + count.size());
    const auto lines = numberThen(line, "条，SHA-256 ");
    if (!lines) {
        return false;
    }
    run.lineCount = *lines;
    run.sha256 = line;
    return true;
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

} // namespace

std::string formatDateTime(const platform::LocalDateTime& time) {
    return std::to_string(time.year) + "-" + twoDigits(time.month) + "-" + twoDigits(time.day) +
           " " + twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second);
}

std::optional<platform::LocalDateTime> parseDateTime(std::string_view text) {
    platform::LocalDateTime time;
    const auto year = numberThen(text, "-");
    const auto month = year ? numberThen(text, "-") : std::nullopt;
    const auto day = month ? numberThen(text, " ") : std::nullopt;
    const auto hour = day ? numberThen(text, ":") : std::nullopt;
    const auto minute = hour ? numberThen(text, ":") : std::nullopt;
    std::size_t used = 0;
    const auto second = minute ? leadingNumber(text, used) : std::nullopt;
    if (!second || used != text.size()) {
        return std::nullopt;
    }
    return platform::LocalDateTime{*year, *month, *day, *hour, *minute, *second};
}

std::optional<RecordedRun> parseRecord(std::string_view text) {
    RecordedRun run;
    bool haveList = false;
    std::size_t start = 0;
    // Only whole lines count: a last line without its CR LF was cut off by a power cut.
    for (std::size_t end = text.find(kCrLf); end != std::string_view::npos;
         start = end + kCrLf.size(), end = text.find(kCrLf, start)) {
        std::string_view line = text.substr(start, end - start);
        if (line.starts_with("[")) {
            if (auto winner = parseWinner(line)) {
                winner->round = run.rounds;
                winner->time = run.lastRoundTime;
                run.winners.push_back(std::move(*winner));
            }
        } else if (consume(line, kListLine)) {
            haveList = parseListLine(line, run);
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

std::string DrawRecorder::now() const {
    return formatDateTime(m_clock.localDateTime());
}

std::optional<RecordFailure> DrawRecorder::beginRun(int lineCount, std::string_view sha256) {
    const platform::AppData app = m_app.appData();
    m_begun = true;
    m_open = false;
    m_unwritten.clear();
    m_failureTold = false;
    m_initialized = m_clock.localDateTime();
    std::string head = app.title + " V" + std::to_string(app.major) + "." +
                       std::to_string(app.minor) + "." + std::to_string(app.revision) +
                       record::kTitle;
    head += kCrLf;
    head += kListLine;
    head += "bonus.txt，共" + std::to_string(lineCount) + "条，SHA-256 ";
    head += sha256;
    head += kCrLf;
    head += kInitialized;
    head += formatDateTime(m_initialized);
    head += kCrLf;
    return write(std::move(head));
}

std::optional<RecordFailure> DrawRecorder::continueRun(const std::string& path) {
    const platform::RecordResult taken = m_records.takeOver(path);
    m_begun = true;
    m_open = taken.ok;
    m_path = taken.path;
    m_unwritten.clear();
    m_failureTold = false;
    // A record that cannot be taken over is replaced by a new one of this time.
    m_initialized = m_clock.localDateTime();
    return write(std::string(record::kContinued) + formatDateTime(m_initialized) +
                 std::string(kCrLf));
}

void DrawRecorder::decline(const std::string& path) {
    if (m_records.takeOver(path).ok) {
        m_records.append(std::string(record::kNotContinued) + now() + std::string(kCrLf));
    }
}

std::optional<RecordFailure> DrawRecorder::addRound(std::span<const ResultEntry> round) {
    if (!m_begun || round.empty()) {
        return std::nullopt;
    }
    std::string text = std::string(kRound) + std::to_string(round.front().round) +
                       std::string(kRoundMark) + formatDateTime(round.front().time) + "，" +
                       std::to_string(round.size()) + "人" + std::string(kCrLf);
    for (const ResultEntry& entry : round) {
        text += winnerLine(entry);
    }
    return write(std::move(text));
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
