#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "draw/draw_engine.h"
#include "platform/random_source.h"
#include "platform/record_store.h"
#include "platform/services.h"

namespace kelvara::testing {

// Paths are UTF-8 text throughout the program; the standard library reads a plain
// std::string path in the system's narrow encoding, which on Windows is not UTF-8.
std::filesystem::path utf8Path(std::string_view path);
std::string utf8String(const std::filesystem::path& path);

// A clock that advances by a fixed step at every reading: deterministic, and never
// twice the same time, like a fine real clock.
class SteppingTime {
public:
    explicit SteppingTime(std::uint64_t start = 43'200'000'000'000ULL, std::uint64_t step = 25)
        : m_now(start), m_step(step) {}
    platform::TimeOfDay operator()() {
        m_now += m_step;
        return {m_now};
    }

private:
    std::uint64_t m_now;
    std::uint64_t m_step;
};

// A deterministic source that costs next to nothing, for tests of what the draw does with
// its numbers; the program's own source is tested where the source itself matters.
// Reseeding from the clock changes nothing; each value is the next of a xorshift sequence.
class QuickRandomSource final : public platform::RandomSource {
public:
    explicit QuickRandomSource(std::uint64_t seed) { reseed(seed); }

    void reseedFromClock() override {}
    float value(float x) override;
    float clock() override { return 43'200.5F; }

private:
    void reseed(std::uint64_t seed) { m_state = (seed + 1) * 0x9E3779B97F4A7C15ULL; }

    std::uint64_t m_state = 0;
    float m_last = 0.0F;
};

// Records kept in memory, with failures on request.
class FakeRecordStore final : public platform::RecordStore {
public:
    struct File {
        std::string text;
        bool live = false;       // held by another running copy on this computer
        std::string foreignHost; // locked by a copy on that computer
        bool unlockable = false; // its lock cannot be made (a read-only folder)
    };

    platform::Outcome create(const platform::LocalDateTime& initialized) override;
    platform::Outcome takeOver(const std::string& path, bool breakUnprovenLock) override;
    platform::Outcome append(std::string_view text) override;
    std::optional<platform::StoredRecord> newest() override;
    std::vector<platform::StoredRecord> all() override;
    void addCheckerPage() override { checkerPages.push_back(current); }
    void setRehearsal(bool on) override { rehearsal = on; }
    std::string folder() const;
    bool inFolder(const std::string& path) const;

    std::map<std::string, File> files;     // by path; names sort by their time
    std::string current;                   // the record that append() writes to
    std::string failure;                   // when set, create and append fail with this reason
    std::vector<std::string> checkerPages; // the records the checker page was put beside
    bool rehearsal = false;
};

// Services for tests without a toolkit: files are read as UTF-8 from the real file
// system, message boxes are recorded and answered from a script.
class FakeServices final : public platform::Services {
public:
    struct Message {
        std::string text;
        platform::Buttons buttons;
        std::string title; // empty: the application's title
    };

    explicit FakeServices(std::string directory, std::uint64_t seed = 1);

    platform::Answer messageBox(std::string_view text, platform::Buttons buttons,
                                std::optional<std::string_view> title) override;
    platform::AppData appData() const override;
    bool fileExists(const std::string& path) const override;
    std::uintmax_t fileSize(const std::string& path) const override;
    platform::ReadResult readTextLines(const std::string& path,
                                       const platform::LineSink& sink) override;
    platform::Outcome writeTextFile(const std::string& path, std::string_view text) override;
    platform::Outcome writeProducedFile(const std::string& path,
                                        const platform::FileProducer& produce) override;
    platform::RandomSource& random() override { return *m_random; }
    platform::LocalDateTime localDateTime() const override { return now; }
    platform::RecordStore& records() override { return recordStore; }
    // Marked, so a test sees which paths reach the operator in the system's form.
    std::string displayPath(const std::string& path) const override { return "<" + path + ">"; }
    std::vector<std::string> screenFonts() const override { return fonts; }
    platform::Outcome printFile(const std::string& path) override {
        printed.push_back(path);
        if (printFailure.empty()) {
            return std::nullopt;
        }
        return platform::Failure{platform::FailureKind::PrintRefused, path, printFailure};
    }

    // For engines made afterwards.
    void setRandom(std::unique_ptr<platform::RandomSource> random) { m_random = std::move(random); }

    // What the engine sees of these services.
    // Not SHA-256 nor HMAC, but as good for the engine, which only compares and combines
    // them: 32 bytes that change with every byte of the input.
    platform::Digest sha256(std::span<const std::uint8_t> data) const override;
    platform::Digest hmacSha256(std::span<const std::uint8_t> key,
                                std::span<const std::uint8_t> message) const override;
    platform::Digest newSecret() const override { return secret; }

    draw::DrawServices forDraw() { return draw::drawServicesOf(*this); }

    // The digest that readTextLines gives for the file. Not SHA-256, but as good for the
    // engine, which only compares digests: 64 hex digits that change with every byte.
    static std::string digestOf(const std::string& path);

    std::vector<Message> messages;
    std::deque<platform::Answer> answers; // scripted; Yes (or Ok) when empty
    std::vector<std::string> fonts{"宋体", "黑体", "微软雅黑"};
    std::vector<std::string> printed;
    std::string printFailure;            // when set, the print operation refuses with this reason
    std::string producedFileFailure;     // when set, writeProducedFile fails with this reason
    std::vector<std::string> unreadable; // paths that fail to read as if locked
    // A workbook's lines are read as text; this fault, when set, refuses every workbook.
    platform::WorkbookFault workbookFault = platform::WorkbookFault::None;
    std::string directory;
    platform::Digest secret{1, 2, 3}; // what newSecret gives
    bool directoryIsProgramDirectory = true;
    platform::LocalDateTime now{2026, 12, 7, 19, 30, 5};
    FakeRecordStore recordStore;

private:
    std::unique_ptr<platform::RandomSource> m_random;
};

} // namespace kelvara::testing
