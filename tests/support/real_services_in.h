#pragma once

#include <string>

#include "draw/draw_engine.h"
#include "platform/qt_services.h"

namespace kelvara::testing {

// The real services, except that the program's directory is a folder of the test's choice.
class RealServicesIn final : public platform::Services {
public:
    explicit RealServicesIn(std::string directory)
        : m_directory(std::move(directory)),
          m_records([this] { return platform::appFilePath(*this, platform::kRecordFolderName); }) {}

    // Records the text; answers Yes to a question.
    platform::Answer messageBox(std::string_view text, platform::Buttons buttons,
                                std::optional<std::string_view>) override {
        messages.emplace_back(text);
        return buttons == platform::Buttons::YesNo ? platform::Answer::Yes : platform::Answer::Ok;
    }
    platform::AppData appData() const override {
        auto data = m_real.appData();
        data.directory = m_directory;
        return data;
    }
    bool fileExists(const std::string& path) const override { return m_real.fileExists(path); }
    std::uintmax_t fileSize(const std::string& path) const override {
        return m_real.fileSize(path);
    }
    platform::ReadResult readTextLines(const std::string& path,
                                       const platform::LineSink& sink) override {
        return m_real.readTextLines(path, sink);
    }
    platform::Outcome writeTextFile(const std::string& path, std::string_view text) override {
        return m_real.writeTextFile(path, text);
    }
    platform::Outcome writeProducedFile(const std::string& path,
                                        const platform::FileProducer& produce) override {
        return m_real.writeProducedFile(path, produce);
    }
    platform::RandomSource& random() override { return m_real.random(); }
    platform::LocalDateTime localDateTime() const override { return m_real.localDateTime(); }
    platform::RecordStore& records() override { return m_records; }
    std::string displayPath(const std::string& path) const override {
        return m_real.displayPath(path);
    }
    std::vector<std::string> screenFonts() const override { return m_real.screenFonts(); }
    platform::Outcome printFile(const std::string& path) override { return m_real.printFile(path); }

    platform::Digest sha256(std::span<const std::uint8_t> data) const override {
        return m_real.sha256(data);
    }
    platform::Digest hmacSha256(std::span<const std::uint8_t> key,
                                std::span<const std::uint8_t> message) const override {
        return m_real.hmacSha256(key, message);
    }
    platform::Digest newSecret() const override { return m_real.newSecret(); }

    // What the engine sees of these services.
    draw::DrawServices forDraw() { return draw::drawServicesOf(*this); }

    std::vector<std::string> messages;

private:
    platform::QtServices m_real;
    std::string m_directory;
    platform::QtRecordStore m_records;
};

} // namespace kelvara::testing
