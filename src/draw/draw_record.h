#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "results.h"

namespace kelvara::platform {
class AppInfo;
class RecordStore;
} // namespace kelvara::platform

namespace kelvara::draw {

// The draw record: a text file per run that grows by one block per listed round, synced to
// the disk before the round's handler returns, so that no winner the crowd has seen is lost
// with the program. UTF-8 without mark, CR LF line ends, one fact per line.
namespace record {
inline constexpr char kTitle[] = " 摇号记录";
inline constexpr char kEnded[] = "结束：";
inline constexpr char kContinued[] = "继续：";
inline constexpr char kNotContinued[] = "未继续：";
} // namespace record

std::string formatDateTime(const platform::LocalDateTime& time); // 2026-12-07 19:30:05
std::optional<platform::LocalDateTime> parseDateTime(std::string_view text);

struct RecordedWinner {
    int number = 0;   // result number
    int line = 0;     // line in bonus.txt
    int round = 0;    // the round block it stands in; 0 before the first
    std::string time; // that round's time as recorded
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

std::optional<RecordedRun> parseRecord(std::string_view text);

// A record that could not be written: where, and the system's reason.
struct RecordFailure {
    std::string path;
    std::string reason;
};

// Writes the record of one run. A write that fails is reported once (until a write succeeds
// again), drawing goes on, and the unwritten text is tried again with the next round.
class DrawRecorder final {
public:
    DrawRecorder(platform::RecordStore& records, const platform::WallClock& clock,
                 const platform::AppInfo& app)
        : m_records(records), m_clock(clock), m_app(app) {}

    // At Initialize: a new record with the list's line count and SHA-256.
    std::optional<RecordFailure> beginRun(int lineCount, std::string_view sha256);
    // A run continued after the program ended without "结束": its record goes on.
    std::optional<RecordFailure> continueRun(const std::string& path);
    // The operator chose not to continue that run: it is not offered again.
    void decline(const std::string& path);
    std::optional<RecordFailure> addRound(std::span<const ResultEntry> round);
    // The program ends through the exit questions; a failure now can no longer be acted on.
    void endRun();

private:
    std::optional<RecordFailure> write(std::string text);
    std::string now() const;

    platform::RecordStore& m_records;
    const platform::WallClock& m_clock;
    const platform::AppInfo& m_app;
    bool m_begun = false;
    bool m_open = false; // the record file exists and is ours
    platform::LocalDateTime m_initialized;
    std::string m_path;
    std::string m_unwritten;
    bool m_failureTold = false;
};

} // namespace kelvara::draw
