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

platform::Outcome ResultsOutput::writeText(const draw::Results& results) {
    return m_files.writeTextFile(filePath(), draw::resultsText(results));
}

platform::Outcome ResultsOutput::save(const draw::Results& results) {
    if (platform::Outcome failure = writeText(results)) {
        return failure;
    }
    return m_files.writeProducedFile(workbookPath(), [&results](const std::string& fileName) {
        return writeResultsWorkbook(results, fileName);
    });
}

platform::Outcome ResultsOutput::print(const draw::Results& results) {
    if (platform::Outcome failure = writeText(results)) {
        return failure;
    }
    return m_printer.printFile(filePath());
}

platform::Outcome ResultsOutput::printCommitment(const std::string& sheet) {
    const std::string path = platform::appFilePath(m_app, kCommitmentFileName);
    // The file's own last line end is added on writing.
    const std::string_view text = std::string_view(sheet).substr(0, sheet.rfind("\r\n"));
    if (platform::Outcome failure = m_files.writeTextFile(path, text)) {
        return failure;
    }
    return m_printer.printFile(path);
}

} // namespace kelvara::output
