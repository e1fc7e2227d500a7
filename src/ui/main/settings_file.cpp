#include "settings_file.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include "platform/files.h"

namespace kelvara::ui {

namespace {

// What says that a JSON file is this program's settings, and in which form.
constexpr char kFormatKey[] = "格式";
constexpr char kFormat[] = "Kelvara 设置 1";
// No settings file grows near this; a larger one is not ours.
constexpr std::uintmax_t kMaxBytes = 1024 * 1024;

} // namespace

SettingsFile::Loaded SettingsFile::load() {
    m_values = {};
    if (!m_reader.fileExists(m_path)) {
        return Loaded::Missing;
    }
    if (m_reader.fileSize(m_path) > kMaxBytes) {
        return Loaded::Damaged;
    }
    std::string text;
    const platform::ReadResult read = m_reader.readTextLines(m_path, [&](std::string_view line) {
        text.append(line).push_back('\n');
        return true;
    });
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    if (read.status != platform::ReadStatus::Ok || error.error != QJsonParseError::NoError ||
        !document.isObject() ||
        document.object().value(QString::fromUtf8(kFormatKey)).toString() !=
            QString::fromUtf8(kFormat)) {
        return Loaded::Damaged;
    }
    m_values = document.object();
    return Loaded::Read;
}

bool SettingsFile::setValue(const QString& key, const QJsonValue& value) {
    m_values.insert(key, value);
    m_values.insert(QString::fromUtf8(kFormatKey), QString::fromUtf8(kFormat));
    const QByteArray bytes = QJsonDocument(m_values).toJson(QJsonDocument::Indented);
    return !m_writer.writeTextFile(m_path, bytes.trimmed().toStdString());
}

} // namespace kelvara::ui
