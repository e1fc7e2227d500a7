#include "results_output.h"

#include "commitment_sheet.h"
#include "draw/list_columns.h"
#include "draw/results.h"
#include "platform/app_info.h"
#include "platform/files.h"
#include "publication.h"
#include "results_workbook.h"

namespace kelvara::output {

std::string rehearsalName(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    std::string name(fileName.substr(0, dot));
    name += kRehearsalMark;
    if (dot != std::string_view::npos) {
        name += fileName.substr(dot);
    }
    return name;
}

std::string ResultsOutput::pathOf(std::string_view fileName) const {
    return platform::appFilePath(m_app,
                                 m_rehearsal ? rehearsalName(fileName) : std::string(fileName));
}

std::string ResultsOutput::filePath() const {
    return pathOf(kResultsFileName);
}

std::string ResultsOutput::workbookPath() const {
    return pathOf(kResultsWorkbookName);
}

std::string ResultsOutput::publicationPdfPath() const {
    return pathOf(kPublicationPdfName);
}

std::string ResultsOutput::publicationWorkbookPath() const {
    return pathOf(kPublicationWorkbookName);
}

platform::Outcome ResultsOutput::writeText(const draw::Results& results,
                                           const draw::RowFormat* format) {
    std::string text = draw::resultsText(results, format, draw::Place::Files);
    if (m_rehearsal) {
        text = std::string("演练，不是正式摇号结果\r\n") + text;
    }
    return m_files.writeTextFile(filePath(), text);
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
    Publication marked = publication;
    marked.rehearsal = m_rehearsal;
    return m_files.writeProducedFile(publicationPdfPath(), [&marked](const std::string& name) {
        return output::writePublicationPdf(marked, name);
    });
}

platform::Outcome ResultsOutput::publish(const Publication& publication) {
    if (platform::Outcome failure = writePublicationPdf(publication)) {
        return failure;
    }
    Publication marked = publication;
    marked.rehearsal = m_rehearsal;
    return m_files.writeProducedFile(publicationWorkbookPath(), [&marked](const std::string& name) {
        return writePublicationWorkbook(marked, name);
    });
}

platform::Outcome ResultsOutput::printPublication(const Publication& publication) {
    if (platform::Outcome failure = writePublicationPdf(publication)) {
        return failure;
    }
    return m_printer.printFile(publicationPdfPath());
}

platform::Outcome ResultsOutput::printCommitment(const std::string& sheet) {
    const std::string path = pathOf(kCommitmentFileName);
    // The file's own last line end is added on writing.
    const std::string_view text = std::string_view(sheet).substr(0, sheet.rfind("\r\n"));
    if (platform::Outcome failure = m_files.writeTextFile(path, text)) {
        return failure;
    }
    return m_printer.printFile(path);
}

} // namespace kelvara::output
