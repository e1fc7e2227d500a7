#include "qt_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <random>

#include "kelvara_version.h"
#include "platform/font_families.h"
#include "platform/local_time_of_day.h"
#include "platform/text_codec.h"
#include "platform/text_reader.h"
#include "platform/workbook_reader.h"

#ifdef Q_OS_WIN
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

#ifndef Q_OS_WIN
// How long the print command may take to accept the document before the window goes on
// without waiting for its answer.
constexpr int kPrintCommandWaitMs = 5000;

// Runs the print command on the document and waits (briefly) for it to accept it. A command
// that cannot start, or ends with an error, fails with its own message when it gives one.
PrintResult runPrintCommand(const QString& program, const QString& document) {
    auto command = std::make_unique<QProcess>();
    command->start(program, {document});
    if (!command->waitForStarted(kPrintCommandWaitMs)) {
        return {false, QString(program + u'：' + command->errorString()).toStdString()};
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool finished = command->waitForFinished(kPrintCommandWaitMs);
    QGuiApplication::restoreOverrideCursor();
    if (!finished) {
        // Still busy: the document is with it; it cleans up after itself when it ends.
        QProcess* const running = command.release();
        QObject::connect(running, &QProcess::finished, running, &QObject::deleteLater);
        return {};
    }
    const QString said =
        QString::fromLocal8Bit(command->readAllStandardError() + command->readAllStandardOutput())
            .trimmed();
    if (command->exitStatus() == QProcess::NormalExit && command->exitCode() == 0) {
        return {};
    }
    if (!said.isEmpty()) {
        return {false, said.toStdString()};
    }
    return {
        false,
        QStringLiteral("%1 返回错误代码 %2").arg(program).arg(command->exitCode()).toStdString()};
}
#endif

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

// The main window; while another window of the program fills the main window's screen
// (the audience view), that window, so that the box shows above it.
QWidget* QtServices::dialogOwner() const {
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    const auto covering = std::find_if(windows.begin(), windows.end(), [this](QWidget* w) {
        return m_mainWindow != nullptr && w != m_mainWindow && w->isVisible() &&
               w->isFullScreen() && w->screen() == m_mainWindow->screen();
    });
    return covering != windows.end() ? *covering : m_mainWindow.data();
}

Answer QtServices::messageBox(std::string_view text, Buttons buttons,
                              std::optional<std::string_view> title) {
    QMessageBox box(dialogOwner());
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

std::uintmax_t QtServices::fileSize(const std::string& path) const {
    return static_cast<std::uintmax_t>(QFileInfo(QString::fromStdString(path)).size());
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

namespace {

// A workbook is read whole into memory, within its limit, and its rows handed on.
ReadResult readWorkbookLines(QFile& file, const LineSink& sink, WorkbookCache& cache) {
    if (static_cast<std::uint64_t>(file.size()) > kMaxWorkbookBytes) {
        return {ReadStatus::NotAList, {}, WorkbookFault::TooLarge};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {ReadStatus::Unreadable, {}};
    }
    std::string sha256 =
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
    const WorkbookRead read = cache.read(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), sha256, sink);
    if (read.fault != WorkbookFault::None) {
        return {ReadStatus::NotAList, {}, read.fault};
    }
    if (read.stopped) {
        return {ReadStatus::Ok, {}};
    }
    return {ReadStatus::Ok, std::move(sha256)};
}

} // namespace

ReadResult QtServices::readTextLines(const std::string& path, const LineSink& sink) {
    const QString name = QString::fromStdString(path);
    if (!QFileInfo(name).isFile()) {
        return {ReadStatus::Missing, {}};
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return {ReadStatus::Unreadable, {}};
    }
    if (name.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        return readWorkbookLines(file, sink, m_workbooks);
    }
    QCryptographicHash bytes(QCryptographicHash::Sha256);
    switch (platform::readTextLines(file, sink, &bytes)) {
    case ReadEnd::Complete:
        return {ReadStatus::Ok, bytes.result().toHex().toStdString()};
    case ReadEnd::Stopped:
        return {ReadStatus::Ok, {}};
    case ReadEnd::Failed:
        break;
    }
    return {ReadStatus::Unreadable, {}};
}

namespace {

// Creates or atomically replaces the file with the bytes, or leaves it as it was.
WriteResult saveWholeFile(const std::string& path, const QByteArray& bytes) {
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

// Makes a folder the current one while it lives, then goes back to the previous one.
class CurrentFolder final {
public:
    explicit CurrentFolder(const QString& folder)
        : m_previous(QDir::currentPath()), m_entered(QDir::setCurrent(folder)) {}
    ~CurrentFolder() {
        if (m_entered) {
            QDir::setCurrent(m_previous);
        }
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

    bool entered() const { return m_entered; }

private:
    QString m_previous;
    bool m_entered;
};

} // namespace

WriteResult QtServices::writeTextFile(const std::string& path, std::string_view text) {
    QByteArray bytes = encodeTextFile(text);
    bytes.append("\r\n");
    return saveWholeFile(path, bytes);
}

// C libraries built with MinGW open files by narrow names, in the ANSI code page on Windows,
// which cannot name every folder (C:\Users\张三 on a Western system). A plain ASCII name in a
// current folder entered through Qt's wide calls opens everywhere.
WriteResult QtServices::writeProducedFile(const std::string& path, const FileProducer& produce) {
    static constexpr char kProducedName[] = "produced.out";
    const QTemporaryDir scratch;
    if (!scratch.isValid()) {
        return {false, scratch.errorString().toStdString()};
    }
    {
        const CurrentFolder inScratch(scratch.path());
        if (!inScratch.entered()) {
            return {false, QStringLiteral("无法进入临时文件夹 %1")
                               .arg(QDir::toNativeSeparators(scratch.path()))
                               .toStdString()};
        }
        if (std::string error = produce(kProducedName); !error.empty()) {
            return {false, std::move(error)};
        }
    }
    QFile produced(scratch.filePath(QString::fromLatin1(kProducedName)));
    if (!produced.open(QIODevice::ReadOnly)) {
        return {false, produced.errorString().toStdString()};
    }
    const QByteArray bytes = produced.readAll();
    if (bytes.size() != produced.size()) {
        return {false, produced.errorString().toStdString()};
    }
    return saveWholeFile(path, bytes);
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

std::string QtServices::displayPath(const std::string& path) const {
    return QDir::toNativeSeparators(QString::fromStdString(path)).toStdString();
}

std::vector<std::string> QtServices::screenFonts() const {
    return distinctFamilyNames(QFontDatabase::families());
}

PrintResult QtServices::printFile(const std::string& path) {
#ifdef Q_OS_WIN
    const std::wstring file = QString::fromStdString(path).toStdWString();
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof request;
    // The shell shows no error box of its own: the window says what went wrong.
    request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    request.hwnd = m_mainWindow ? reinterpret_cast<HWND>(m_mainWindow->winId()) : nullptr;
    request.lpVerb = L"print";
    request.lpFile = file.c_str();
    request.lpParameters = L"";
    request.lpDirectory = L"";
    request.nShow = SW_HIDE;
    if (!ShellExecuteExW(&request)) {
        return {false, qt_error_string(static_cast<int>(GetLastError())).toStdString()};
    }
    return {};
#else
    return runPrintCommand(QStringLiteral("lp"), QString::fromStdString(path));
#endif
}

} // namespace kelvara::platform
