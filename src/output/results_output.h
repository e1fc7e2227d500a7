#pragma once

#include <optional>
#include <string>

namespace kelvara::platform {
class AppInfo;
class FileWriter;
class Printer;
} // namespace kelvara::platform
namespace kelvara::draw {
class Results;
}

namespace kelvara::output {

inline constexpr char kResultsFileName[] = "摇号结果.txt";

// What went wrong with a results file: it could not be written (its path and the
// system's reason), or the print operation refused it (in its own words).
struct OutputFailure {
    enum class Step { Write, Print };
    Step step = Step::Write;
    std::string path;
    std::string reason;
};

// The results files in the data folder: the results text and one CR LF, written whole, and
// on Save also a workbook of the same winners.
class ResultsOutput final {
public:
    ResultsOutput(const platform::AppInfo& app, platform::FileWriter& files,
                  platform::Printer& printer)
        : m_app(app), m_files(files), m_printer(printer) {}

    std::string filePath() const;
    std::string workbookPath() const;

    // Replaces the results file, then the workbook, each whole; a file that fails stays as
    // it was, and a failed text file leaves the workbook untouched.
    std::optional<OutputFailure> save(const draw::Results& results);

    // Writes the results file (not the workbook), then hands it to the system's print
    // operation; nothing is printed when the write failed. A print that fails leaves the
    // file written.
    std::optional<OutputFailure> print(const draw::Results& results);

    // Writes the commitment sheet to its own file beside the results, then prints it.
    std::optional<OutputFailure> printCommitment(const std::string& sheet);

private:
    std::optional<OutputFailure> writeText(const draw::Results& results);
    std::optional<OutputFailure> printFile(const std::string& path);

    const platform::AppInfo& m_app;
    platform::FileWriter& m_files;
    platform::Printer& m_printer;
};

} // namespace kelvara::output
