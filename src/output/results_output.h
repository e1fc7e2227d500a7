#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"

namespace kelvara::platform {
class AppInfo;
class FileWriter;
class Printer;
} // namespace kelvara::platform
namespace kelvara::draw {
class Results;
class RowFormat;
} // namespace kelvara::draw

namespace kelvara::output {

struct Publication;

inline constexpr char kResultsFileName[] = "摇号结果.txt";

// The results files in the data folder: the results text and one CR LF, written whole, and
// on Save also a workbook of the same winners.
class ResultsOutput final {
public:
    ResultsOutput(const platform::AppInfo& app, platform::FileWriter& files,
                  platform::Printer& printer)
        : m_app(app), m_files(files), m_printer(printer) {}

    // A rehearsal's files carry "（演练）" in their names, and its results text and
    // announcement say so at the top, so that none is taken for a real run's.
    void setRehearsal(bool rehearsal) { m_rehearsal = rehearsal; }
    bool rehearsal() const { return m_rehearsal; }

    std::string filePath() const;
    std::string workbookPath() const;
    std::string publicationPdfPath() const;
    std::string publicationWorkbookPath() const;

    // Replaces the results file, then the workbook, each whole; a file that fails stays as
    // it was, and a failed text file leaves the workbook untouched. A failure names the file
    // that failed.
    // Rows are shown as `format` has them in files; without it, as their lines.
    platform::Outcome save(const draw::Results& results, const draw::RowFormat* format = nullptr);

    // Writes the results file (not the workbook), then hands it to the system's print
    // operation; nothing is printed when the write failed. A print that fails leaves the
    // file written.
    platform::Outcome print(const draw::Results& results, const draw::RowFormat* format = nullptr);

    // Writes the announcement beside the results, the PDF first, then the workbook, each
    // whole as in save(); a failure names the file that failed, and a failed PDF leaves the
    // workbook untouched.
    platform::Outcome publish(const Publication& publication);

    // Writes the announcement's PDF (not its workbook), then hands it to the system's print
    // operation, as print() does.
    platform::Outcome printPublication(const Publication& publication);

    // Writes the commitment sheet to its own file beside the results, then prints it.
    platform::Outcome printCommitment(const std::string& sheet);

private:
    std::string pathOf(std::string_view fileName) const;
    platform::Outcome writeText(const draw::Results& results, const draw::RowFormat* format);
    platform::Outcome writePublicationPdf(const Publication& publication);

    const platform::AppInfo& m_app;
    platform::FileWriter& m_files;
    platform::Printer& m_printer;
    bool m_rehearsal = false;
};

// "摇号结果.txt" as a rehearsal's file: "摇号结果（演练）.txt".
std::string rehearsalName(std::string_view fileName);
inline constexpr char kRehearsalMark[] = "（演练）";

} // namespace kelvara::output
