#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <string>

namespace kelvara::platform {
class FileReader;
class FileWriter;
} // namespace kelvara::platform

namespace kelvara::ui {

inline constexpr char kSettingsFileName[] = "摇号设置.json";

// The operator's settings, kept in a file of the data folder beside the list, so that the
// next start, and a run continued after a crash, find them. Each change is written at once,
// whole. A damaged or foreign file is left unread and replaced by the next change.
class SettingsFile final {
public:
    enum class Loaded { Missing, Read, Damaged };

    SettingsFile(platform::FileReader& reader, platform::FileWriter& writer, std::string path)
        : m_reader(reader), m_writer(writer), m_path(std::move(path)) {}

    Loaded load();
    QJsonValue value(const QString& key) const { return m_values.value(key); }
    // Keeps the value and writes the file; false when it could not be written.
    bool setValue(const QString& key, const QJsonValue& value);

private:
    platform::FileReader& m_reader;
    platform::FileWriter& m_writer;
    std::string m_path;
    QJsonObject m_values;
};

} // namespace kelvara::ui
