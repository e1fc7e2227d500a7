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
#include "platform/qt_failure.h"
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
Outcome runPrintCommand(const QString& program, const QString& document) {
    auto command = std::make_unique<QProcess>();
    command->start(program, {document});
    if (!command->waitForStarted(kPrintCommandWaitMs)) {
        return Failure{FailureKind::PrintNotRun, document.toStdString(),
                       command->errorString().toStdString(), program.toStdString()};
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool finished = command->waitForFinished(kPrintCommandWaitMs);
    QGuiApplication::restoreOverrideCursor();
    if (!finished) {
        // Still busy: the document is with it; it cleans up after itself when it ends.
        QProcess* const running = command.release();
        QObject::connect(running, &QProcess::finished, running, &QObject::deleteLater);
        return std::nullopt;
    }
    const QString said =
        QString::fromLocal8Bit(command->readAllStandardError() + command->readAllStandardOutput())
            .trimmed();
    if (command->exitStatus() == QProcess::NormalExit && command->exitCode() == 0) {
        return std::nullopt;
    }
    if (!said.isEmpty()) {
        return Failure{FailureKind::PrintRefused, document.toStdString(), said.toStdString()};
    }
    return Failure{FailureKind::PrintExitCode,
                   document.toStdString(),
                   {},
                   program.toStdString(),
                   command->exitCode()};
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
    if (buttons == Buttons::YesNo || buttons == Buttons::YesNoSafe) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        box.setDefaultButton(buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::No);
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

bool isWorkbook(const std::string& path) {
    return QString::fromStdString(path).endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
}

// A workbook is read whole into memory, within its limit, and its rows handed on.
ReadResult readWorkbookRows(QFile& file, const RowSink& sink, WorkbookCache& cache) {
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

// Reads the file at `path` with `read`, once it is there and open.
template <typename Read> ReadResult readOpenFile(const std::string& path, Read read) {
    const QString name = QString::fromStdString(path);
    if (!QFileInfo(name).isFile()) {
        return {ReadStatus::Missing, {}};
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return {ReadStatus::Unreadable, {}};
    }
    return read(file);
}

} // namespace

ReadResult QtServices::readTextLines(const std::string& path, const LineSink& sink) {
    if (isWorkbook(path)) {
        return readListRows(path, [&](const ListRow& row) { return row.header || sink(row.line); });
    }
    return readOpenFile(path, [&](QFile& file) -> ReadResult {
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
    });
}

ReadResult QtServices::readListRows(const std::string& path, const RowSink& sink) {
    if (!isWorkbook(path)) {
        return FileReader::readListRows(path, sink);
    }
    return readOpenFile(path,
                        [&](QFile& file) { return readWorkbookRows(file, sink, m_workbooks); });
}

namespace {

// Creates or atomically replaces the file with the bytes, or leaves it as it was.
Outcome saveWholeFile(const QString& path, const QByteArray& bytes) {
    // No QIODevice::Text: it would change the line ends on some platforms. Unbuffered, so
    // that a full disk fails the write itself: commit() does not see a failed final flush
    // and would replace the earlier file by a truncated one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return fileFailure(file, path);
    }
    if (!writeWhole(file, bytes.constData(), bytes.size()) || !file.flush()) {
        Failure failure = fileFailure(file, path);
        file.cancelWriting();
        return failure;
    }
    if (!file.commit()) {
        return fileFailure(file, path);
    }
    return std::nullopt;
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

// What `produce` wrote in the scratch folder as `name`, read back whole.
std::optional<QByteArray> producedBytes(const QTemporaryDir& scratch, const char* name,
                                        const FileProducer& produce, Failure& failure) {
    const CurrentFolder inScratch(scratch.path());
    if (!inScratch.entered()) {
        failure = {FailureKind::NoScratch, scratch.path().toStdString(), {}};
        return std::nullopt;
    }
    if (Outcome failed = produce(name)) {
        failure = std::move(*failed);
        return std::nullopt;
    }
    QFile produced(QString::fromLatin1(name));
    QByteArray bytes;
    if (!produced.open(QIODevice::ReadOnly) ||
        (bytes = produced.readAll()).size() != produced.size()) {
        failure = fileFailure(produced, scratch.filePath(QString::fromLatin1(name)));
        return std::nullopt;
    }
    return bytes;
}

} // namespace

Outcome QtServices::writeTextFile(const std::string& path, std::string_view text) {
    QByteArray bytes = encodeTextFile(text);
    bytes.append("\r\n");
    return saveWholeFile(QString::fromStdString(path), bytes);
}

// C libraries built with MinGW open files by narrow names, in the ANSI code page on Windows,
// which cannot name every folder (C:\Users\张三 on a Western system). A plain ASCII name in a
// current folder entered through Qt's wide calls opens everywhere. The scratch folder is made
// beside the file, on the disk that the file goes to: the system's temporary folder may be
// full, or on another disk, when the data folder is not.
Outcome QtServices::writeProducedFile(const std::string& path, const FileProducer& produce) {
    static constexpr char kProducedName[] = "produced.out";
    const QString target = QString::fromStdString(path);
    const QString folder = QFileInfo(target).absolutePath();
    const QTemporaryDir scratch(folder + QStringLiteral("/.kelvara-XXXXXX"));
    if (!scratch.isValid()) {
        return scratchFailure(folder, scratch.errorString());
    }
    Failure failure;
    const auto bytes = producedBytes(scratch, kProducedName, produce, failure);
    if (!bytes) {
        failure.path = failure.path.empty() ? path : failure.path;
        return failure;
    }
    return saveWholeFile(target, *bytes);
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

Outcome QtServices::printFile(const std::string& path) {
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
        return Failure{FailureKind::PrintRefused, path,
                       qt_error_string(static_cast<int>(GetLastError())).toStdString()};
    }
    return std::nullopt;
#else
    return runPrintCommand(QStringLiteral("lp"), QString::fromStdString(path));
#endif
}

} // namespace kelvara::platform
