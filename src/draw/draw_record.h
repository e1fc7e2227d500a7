#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::platform {
class Services;
struct LocalDateTime;
} // namespace kelvara::platform

namespace kelvara::draw {

// The draw record: a text file per run that grows by one block per listed round, synced to
// the disk before the round's handler returns, so that no winner the crowd has seen is lost
// with the program. UTF-8 without mark, CR LF line ends, one fact per line.
namespace record {
inline constexpr char kTitle[] = " 摇号记录";
inline constexpr char kStemPrefix[] = "摇号记录_";
inline constexpr char kEnded[] = "结束：";
inline constexpr char kContinued[] = "继续：";
inline constexpr char kNotContinued[] = "未继续：";
inline constexpr char kWriteFailed[] = "无法写入摇号记录：";
inline constexpr char kWriteFailedAdvice[] = "\n本次摇号的结果只保存在结果框中，请及时保存。";
} // namespace record

std::string FormatDateTime(const platform::LocalDateTime& time); // 2026-12-07 19:30:05
std::string RecordStem(const platform::LocalDateTime& time);     // 摇号记录_20261207_193005

struct RecordedWinner {
    int number = 0; // result number
    int line = 0;   // line in bonus.txt
};

// What a record tells of its run. Lines cut off by a power cut are ignored.
struct RecordedRun {
    int lineCount = 0;
    std::string sha256;
    int rounds = 0;
    std::vector<RecordedWinner> winners;
    std::string lastRoundTime;
    bool closed = false; // ended through the exit questions, or not to be continued
};

std::optional<RecordedRun> ParseRecord(std::string_view text);

struct ListedWinner {
    std::int16_t number;
    std::int16_t line;
    std::string_view name;
};

// Writes the record of one run. When the record cannot be written the operator is told
// once, drawing goes on, and the unwritten text is tried again with the next round.
class DrawRecorder final {
public:
    explicit DrawRecorder(platform::Services& services) : m_services(services) {}

    // At Initialize: a new record with the list's line count and SHA-256.
    void Begin(int lineCount, std::string_view sha256);
    // A run continued after the program ended without "结束": its record goes on.
    bool Continue(const std::string& path, int rounds);
    // The operator chose not to continue that run: it is not offered again.
    void Decline(const std::string& path);
    void AddRound(std::span<const ListedWinner> winners);
    // The program ends through the exit questions.
    void End();

private:
    void Write(std::string text, bool tellFailure);
    std::string Now() const;

    platform::Services& m_services;
    bool m_begun = false;
    bool m_open = false; // the record file exists and is ours
    std::string m_stem;
    std::string m_path;
    std::string m_unwritten;
    int m_rounds = 0;
    bool m_failureShown = false;
};

} // namespace kelvara::draw
