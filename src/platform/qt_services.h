#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/data_folder.h"
#include "platform/qt_hashes.h"
#include "platform/qt_record_store.h"
#include "platform/random_source.h"
#include "platform/services.h"
#include "platform/workbook_reader.h"

namespace kelvara::platform {

// The services on Qt and the operating system.
class QtServices final : public Services {
public:
    QtServices();
    ~QtServices() override;
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    Answer messageBox(std::string_view text, Buttons buttons,
                      std::optional<std::string_view> title) override;
    AppData appData() const override;
    bool fileExists(const std::string& path) const override;
    std::uintmax_t fileSize(const std::string& path) const override;
    ReadResult readTextLines(const std::string& path, const LineSink& sink) override;
    ReadResult readListRows(const std::string& path, const RowSink& sink) override;
    Outcome writeTextFile(const std::string& path, std::string_view text) override;
    Outcome writeProducedFile(const std::string& path, const FileProducer& produce) override;
    RandomSource& random() override;
    LocalDateTime localDateTime() const override;
    RecordStore& records() override { return m_records; }
    std::string displayPath(const std::string& path) const override;
    std::vector<std::string> screenFonts() const override;
    Outcome printFile(const std::string& path) override;
    Digest sha256(std::span<const std::uint8_t> data) const override {
        return m_hashes.sha256(data);
    }
    Digest hmacSha256(std::span<const std::uint8_t> key,
                      std::span<const std::uint8_t> message) const override {
        return m_hashes.hmacSha256(key, message);
    }
    Digest newSecret() const override { return m_hashes.newSecret(); }

    // The window that owns message boxes and print requests.
    void setMainWindow(QWidget* window) { m_mainWindow = window; }

private:
    QWidget* dialogOwner() const;

    std::unique_ptr<RandomSource> m_random;
    DataFolder m_dataFolder;
    QtRecordStore m_records;
    WorkbookCache m_workbooks;
    QtHashes m_hashes;
    QPointer<QWidget> m_mainWindow;
};

} // namespace kelvara::platform
