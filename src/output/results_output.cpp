#include "results_output.h"

#include "platform/services.h"

namespace kelvara::output {

std::string ResultsFilePath(const platform::Services& services) {
    return platform::appFilePath(services, kResultsFileName);
}

std::optional<WriteFailure> WriteResultsFile(platform::Services& services,
                                             std::string_view resultsText) {
    const std::string path = ResultsFilePath(services);
    platform::WriteResult result = services.writeTextFile(path, resultsText);
    if (result.ok) {
        return std::nullopt;
    }
    return WriteFailure{path, std::move(result.error)};
}

std::optional<WriteFailure> PrintResults(platform::Services& services,
                                         std::string_view resultsText) {
    auto failure = WriteResultsFile(services, resultsText);
    if (!failure) {
        services.printFile(ResultsFilePath(services));
    }
    return failure;
}

} // namespace kelvara::output
