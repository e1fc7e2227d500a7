#include "results_output.h"

#include "commitment_sheet.h"
#include "draw/list_columns.h"
#include "draw/results.h"
#include "platform/app_info.h"
#include "platform/files.h"
#include "publication.h"
#include "results_workbook.h"

namespace kelvara::output {

std::string ResultsOutput::filePath() const {
    return platform::appFilePath(m_app, kResultsFileName);
}

std::string ResultsOutput::workbookPath() const {
    return platform::appFilePath(m_app, kResultsWorkbookName);
}

std::string ResultsOutput::publicationPdfPath() const {
    return platform::appFilePath(m_app, kPublicationPdfName);
}

std::string ResultsOutput::publicationWorkbookPath() const {
    return platform::appFilePath(m_app, kPublicationWorkbookName);
}

platform::Outcome ResultsOutput::writeText(const draw::Results& results,
                                           const draw::RowFormat* format) {
    return m_files.writeTextFile(filePath(),
                                 draw::resultsText(results, format, draw::Place::Files));
}

platform::Outcome ResultsOutput::save(const draw::Results& results, const draw::RowFormat* format) {
    if (platform::Outcome failure = writeText(results, format)) {
        return failure;
    }
    return m_files.writeProducedFile(workbookPath(), [&](const std::string& fileName) {
        return writeResultsWorkbook(results, fileName, format);
    });
}

platform::Outcome ResultsOutput::print(const draw::Results& results,
                                       const draw::RowFormat* format) {
    if (platform::Outcome failure = writeText(results, format)) {
        return failure;
    }
    return m_printer.printFile(filePath());
}

platform::Outcome ResultsOutput::writePublicationPdf(const Publication& publication) {
    return m_files.writeProducedFile(publicationPdfPath(), [&publication](const std::string& name) {
        return output::writePublicationPdf(publication, name);
    });
}

platform::Outcome ResultsOutput::publish(const Publication& publication) {
    if (platform::Outcome failure = writePublicationPdf(publication)) {
        return failure;
    }
    return m_files.writeProducedFile(publicationWorkbookPath(),
                                     [&publication](const std::string& name) {
                                         return writePublicationWorkbook(publication, name);
                                     });
}

platform::Outcome ResultsOutput::printPublication(const Publication& publication) {
    if (platform::Outcome failure = writePublicationPdf(publication)) {
        return failure;
    }
    return m_printer.printFile(publicationPdfPath());
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
