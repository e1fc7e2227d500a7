#include "fake_services.h"

#include <bit>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "kelvara_version.h"
#include "platform/text_lines.h"

namespace kelvara::testing {

std::filesystem::path utf8Path(std::string_view path) {
    return std::u8string(path.begin(), path.end());
}

std::string utf8String(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

float QuickRandomSource::value(float x) {
    if (x == 0.0F) {
        return m_last;
    }
    if (x < 0.0F) {
        reseed(std::bit_cast<std::uint32_t>(x));
    }
    m_state ^= m_state >> 12U;
    m_state ^= m_state << 25U;
    m_state ^= m_state >> 27U;
    // 24 random bits: exact in a float and below 1.
    m_last = static_cast<float>((m_state * 0x2545F4914F6CDD1DULL) >> 40U) / 16777216.0F;
    return m_last;
}

FakeServices::FakeServices(std::string dir, std::uint64_t seed)
    : directory(std::move(dir)), m_random(std::make_unique<QuickRandomSource>(seed)) {}

platform::Answer FakeServices::messageBox(std::string_view text, platform::Buttons buttons,
                                          std::optional<std::string_view> title) {
    messages.push_back({std::string(text), buttons, std::string(title.value_or(""))});
    if (!answers.empty()) {
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == platform::Buttons::Ok ? platform::Answer::Ok : platform::Answer::Yes;
}

platform::AppData FakeServices::appData() const {
    return {directory,
            version::kProductName,
            version::kMajor,
            version::kMinor,
            version::kRevision,
            version::kFileDescription,
            directoryIsProgramDirectory};
}

std::uintmax_t FakeServices::fileSize(const std::string& path) const {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(utf8Path(path), error);
    return error ? 0 : size;
}

bool FakeServices::fileExists(const std::string& path) const {
    std::error_code error;
    return std::filesystem::is_regular_file(utf8Path(path), error);
}

platform::ReadResult FakeServices::readTextLines(const std::string& path,
                                                 const platform::LineSink& sink) {
    if (!fileExists(path)) {
        return {platform::ReadStatus::Missing, {}};
    }
    // Compared as paths: on Windows '/' and '\\' are the same separator.
    for (const auto& locked : unreadable) {
        if (utf8Path(locked).lexically_normal() == utf8Path(path).lexically_normal()) {
            return {platform::ReadStatus::Unreadable, {}};
        }
    }
    if (path.ends_with(".xlsx") && workbookFault != platform::WorkbookFault::None) {
        return {platform::ReadStatus::NotAList, {}, workbookFault};
    }
    std::ifstream in(utf8Path(path), std::ios::binary);
    if (!in) {
        return {platform::ReadStatus::Unreadable, {}};
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!platform::splitTextLines(bytes, sink)) {
        return {platform::ReadStatus::Ok, {}};
    }
    return {platform::ReadStatus::Ok, digestOf(path)};
}

platform::Outcome FakeServices::writeTextFile(const std::string& path, std::string_view text) {
    std::ofstream out(utf8Path(path), std::ios::binary | std::ios::trunc);
    if (!out) {
        return platform::Failure{platform::FailureKind::System, path, "cannot open"};
    }
    out << text << "\r\n";
    out.close();
    if (!out) {
        return platform::Failure{platform::FailureKind::System, path, "cannot write"};
    }
    return std::nullopt;
}

// The producer writes into a fresh scratch folder made current for the call, as the real
// services do; its bytes then replace the file.
platform::Outcome FakeServices::writeProducedFile(const std::string& path,
                                                  const platform::FileProducer& produce) {
    const auto failed = [&path](std::string reason) {
        return platform::Failure{platform::FailureKind::System, path, std::move(reason)};
    };
    if (!producedFileFailure.empty()) {
        return failed(producedFileFailure);
    }
    std::random_device seed;
    const auto scratch =
        std::filesystem::temp_directory_path() / ("kelvara-produced-" + std::to_string(seed()));
    std::error_code error;
    if (!std::filesystem::create_directory(scratch, error)) {
        return failed(error.message());
    }
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(scratch);
    platform::Outcome failure = produce("produced.out");
    std::ifstream in(scratch / "produced.out", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const bool producedSomething = in.is_open();
    in.close();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(scratch, error);
    if (failure) {
        failure->path = path;
        return failure;
    }
    if (!producedSomething) {
        return failed("nothing produced");
    }
    std::ofstream out(utf8Path(path), std::ios::binary | std::ios::trunc);
    if (!out) {
        return failed("cannot open");
    }
    out << bytes;
    out.close();
    if (!out) {
        return failed("cannot write");
    }
    return std::nullopt;
}

platform::Digest FakeServices::sha256(std::span<const std::uint8_t> data) const {
    platform::Digest digest{};
    // Four FNV-1a hashes of differently seeded starts, 8 bytes each.
    for (std::size_t part = 0; part < 4; ++part) {
        std::uint64_t hash = 14695981039346656037ULL + part;
        for (const std::uint8_t byte : data) {
            hash = (hash ^ byte) * 1099511628211ULL;
        }
        for (std::size_t k = 0; k < 8; ++k) {
            digest[part * 8 + k] = static_cast<std::uint8_t>(hash >> (8 * k));
        }
    }
    return digest;
}

platform::Digest FakeServices::hmacSha256(std::span<const std::uint8_t> key,
                                          std::span<const std::uint8_t> message) const {
    std::vector<std::uint8_t> both(key.begin(), key.end());
    both.push_back(0);
    both.insert(both.end(), message.begin(), message.end());
    return sha256(both);
}

std::string FakeServices::digestOf(const std::string& path) {
    std::ifstream in(utf8Path(path), std::ios::binary);
    if (!in) {
        return {};
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::ostringstream digest;
    digest << std::hex;
    for (int part = 0; part < 4; ++part) {
        digest.width(16);
        digest.fill('0');
        digest << std::hash<std::string>{}(bytes + static_cast<char>(part));
    }
    return digest.str();
}

std::string FakeRecordStore::folder() const {
    std::string name = platform::kRecordFolderName;
    return rehearsal ? name + '/' + platform::kRehearsalFolderName : name;
}

bool FakeRecordStore::inFolder(const std::string& path) const {
    const std::string here = folder() + '/';
    return path.starts_with(here) && path.find('/', here.size()) == std::string::npos;
}

platform::Outcome FakeRecordStore::create(const platform::LocalDateTime& initialized) {
    for (int number = 1;; ++number) {
        const std::string path = folder() + "/" + platform::recordFileName(initialized, number);
        if (!failure.empty()) {
            return platform::Failure{platform::FailureKind::System, path, failure};
        }
        if (files.count(path) == 0) {
            files[path] = {};
            current = path;
            return std::nullopt;
        }
    }
}

platform::Outcome FakeRecordStore::takeOver(const std::string& path, bool breakUnprovenLock) {
    File& file = files[path];
    if (file.live) {
        return platform::Failure{platform::FailureKind::HeldElsewhere, path, {}};
    }
    if (file.unlockable || (!file.foreignHost.empty() && !breakUnprovenLock)) {
        return platform::Failure{platform::FailureKind::LockFailed, path, {}};
    }
    file.foreignHost.clear();
    current = path;
    return std::nullopt;
}

platform::Outcome FakeRecordStore::append(std::string_view text) {
    if (current.empty()) {
        return platform::Failure{platform::FailureKind::NoRecord, {}, {}};
    }
    if (!failure.empty()) {
        return platform::Failure{platform::FailureKind::System, current, failure};
    }
    files[current].text += text;
    return std::nullopt;
}

std::optional<platform::StoredRecord> FakeRecordStore::newest() {
    std::vector<platform::StoredRecord> records = all();
    if (records.empty()) {
        return std::nullopt;
    }
    return records.back();
}

std::vector<platform::StoredRecord> FakeRecordStore::all() {
    std::vector<platform::StoredRecord> records;
    for (const auto& [path, file] : files) {
        if (inFolder(path)) {
            records.push_back(
                {path, file.text, file.live || path == current, file.foreignHost, false});
        }
    }
    return records;
}

} // namespace kelvara::testing
