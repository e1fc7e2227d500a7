#include "results_output.h"

#include "commitment_sheet.h"
#include "draw/results.h"
#include "platform/app_info.h"
#include "platform/files.h"
#include "results_workbook.h"

namespace kelvara::output {

std::string ResultsOutput::filePath() const {
    return platform::appFilePath(m_app, kResultsFileName);
}

std::string ResultsOutput::workbookPath() const {
    return platform::appFilePath(m_app, kResultsWorkbookName);
}

std::optional<OutputFailure> ResultsOutput::writeText(const draw::Results& results) {
    const std::string path = filePath();
    platform::WriteResult written = m_files.writeTextFile(path, draw::resultsText(results));
    if (written.ok) {
        return std::nullopt;
    }
    return OutputFailure{OutputFailure::Step::Write, path, std::move(written.error)};
}

std::optional<OutputFailure> ResultsOutput::save(const draw::Results& results) {
    if (auto failure = writeText(results)) {
        return failure;
    }
    const std::string path = workbookPath();
    platform::WriteResult written =
        m_files.writeProducedFile(path, [&results](const std::string& fileName) {
            return writeResultsWorkbook(results, fileName);
        });
    if (written.ok) {
        return std::nullopt;
    }
    return OutputFailure{OutputFailure::Step::Write, path, std::move(written.error)};
}

std::optional<OutputFailure> ResultsOutput::print(const draw::Results& results) {
    if (auto failure = writeText(results)) {
        return failure;
    }
    return printFile(filePath());
}

std::optional<OutputFailure> ResultsOutput::printCommitment(const std::string& sheet) {
    const std::string path = platform::appFilePath(m_app, kCommitmentFileName);
    // The file's own last line end is added on writing.
    const std::string_view text = std::string_view(sheet).substr(0, sheet.rfind("\r\n"));
    platform::WriteResult written = m_files.writeTextFile(path, text);
    if (!written.ok) {
        return OutputFailure{OutputFailure::Step::Write, path, std::move(written.error)};
    }
    return printFile(path);
}

std::optional<OutputFailure> ResultsOutput::printFile(const std::string& path) {
    platform::PrintResult printed = m_printer.printFile(path);
    if (printed.ok) {
        return std::nullopt;
    }
    return OutputFailure{OutputFailure::Step::Print, path, std::move(printed.error)};
}

} // namespace kelvara::output
