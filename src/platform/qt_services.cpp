#include "qt_services.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>
#include <random>

#include "kelvara_version.h"
#include "platform/font_families.h"
#include "platform/local_time_of_day.h"
#include "platform/text_codec.h"
#include "platform/text_reader.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <qt_windows.h>
#include <shellapi.h>
#endif

namespace kelvara::platform {

namespace {

// Some desktop themes put pictures on standard buttons; these boxes show words only.
void clearButtonIcons(QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) {
        button->setIcon(QIcon());
    }
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::uint64_t runSecret() {
    std::random_device device;
    const std::uint64_t high = device();
    return (high << 32U) ^ device();
}

#ifdef Q_OS_WIN
bool isSystemFile(const QString& path) {
    const DWORD attributes =
        GetFileAttributesW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
}
#endif

} // namespace

QtServices::QtServices()
    : m_random(std::make_unique<MixedRandomSource>(LocalTimeOfDay{}, runSecret())),
      m_dataFolder(
          chooseDataFolder(QCoreApplication::applicationDirPath(),
                           QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))),
      m_records([this] { return appFilePath(*this, kRecordFolderName); }) {}

QtServices::~QtServices() = default;

Answer QtServices::messageBox(std::string_view text, Buttons buttons,
                              std::optional<std::string_view> title) {
    QMessageBox box(m_mainWindow);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(title ? toQString(*title) : QString::fromUtf8(version::kProductName));
    // Names in messages are plain text, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(toQString(text));
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        clearButtonIcons(box);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    clearButtonIcons(box);
    box.exec();
    return Answer::Ok;
}

AppData QtServices::appData() const {
    return {m_dataFolder.path.toStdString(),
            version::kProductName,
            version::kMajor,
            version::kMinor,
            version::kRevision,
            version::kFileDescription,
            m_dataFolder.isProgramDirectory};
}

bool QtServices::fileExists(const std::string& path) const {
    const QFileInfo info(QString::fromStdString(path));
    if (!info.isFile() || info.isHidden()) {
        return false;
    }
#ifdef Q_OS_WIN
    return !isSystemFile(info.filePath());
#else
    return true;
#endif
}

ReadStatus QtServices::readTextLines(const std::string& path, const LineSink& sink) {
    const QString name = QString::fromStdString(path);
    if (!QFileInfo(name).isFile()) {
        return ReadStatus::Missing;
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return ReadStatus::Unreadable;
    }
    return platform::readTextLines(file, sink) ? ReadStatus::Ok : ReadStatus::Unreadable;
}

WriteResult QtServices::writeTextFile(const std::string& path, std::string_view text) {
    QByteArray bytes = encodeTextFile(text);
    bytes.append("\r\n");
    // No QIODevice::Text: it would change the line ends on some platforms. Unbuffered, so
    // that a full disk fails the write itself: commit() does not see a failed final flush
    // and would replace the earlier file by a truncated one.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return {false, file.errorString().toStdString()};
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        return {false, reason};
    }
    if (!file.commit()) {
        return {false, file.errorString().toStdString()};
    }
    return {};
}

RandomSource& QtServices::random() {
    return *m_random;
}

LocalDateTime QtServices::localDateTime() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

std::string QtServices::fileSha256(const std::string& path) {
    QFile file(QString::fromStdString(path));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) {
        return {};
    }
    return hash.result().toHex().toStdString();
}

std::vector<std::string> QtServices::screenFonts() const {
    return distinctFamilyNames(QFontDatabase::families());
}

void QtServices::printFile(const std::string& path) {
#ifdef Q_OS_WIN
    const HWND owner = m_mainWindow ? reinterpret_cast<HWND>(m_mainWindow->winId()) : nullptr;
    const std::wstring file = QString::fromStdString(path).toStdWString();
    ShellExecuteW(owner, L"print", file.c_str(), L"", L"", 0);
#else
    // Handed to the print spooler; like the shell's print verb, the outcome is not awaited.
    QProcess::startDetached(QStringLiteral("lp"), {QString::fromStdString(path)});
#endif
}

} // namespace kelvara::platform
