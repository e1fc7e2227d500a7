#include "results_output.h"

#include "platform/services.h"

namespace kelvara::output {

std::string ResultsFilePath(const platform::Services& services) {
    return platform::appFilePath(services, kResultsFileName);
}

std::optional<OutputFailure> WriteResultsFile(platform::Services& services,
                                              std::string_view resultsText) {
    const std::string path = ResultsFilePath(services);
    platform::WriteResult result = services.writeTextFile(path, resultsText);
    if (result.ok) {
        return std::nullopt;
    }
    return OutputFailure{OutputFailure::Step::Write, path, std::move(result.error)};
}

std::optional<OutputFailure> PrintResults(platform::Services& services,
                                          std::string_view resultsText) {
    if (auto failure = WriteResultsFile(services, resultsText)) {
        return failure;
    }
    const std::string path = ResultsFilePath(services);
    platform::PrintResult printed = services.printFile(path);
    if (printed.ok) {
        return std::nullopt;
    }
    return OutputFailure{OutputFailure::Step::Print, path, std::move(printed.error)};
}

} // namespace kelvara::output
