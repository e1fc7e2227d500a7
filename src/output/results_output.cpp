#include "results_output.h"

#include <algorithm>

#include "platform/services.h"

namespace kelvara::output {

namespace {

// The path as the operator knows it from the file manager.
std::string displayPath(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

} // namespace

std::string ResultsFilePath(const platform::Services& services) {
    return platform::appFilePath(services, kResultsFileName);
}

bool WriteResultsFile(platform::Services& services, std::string_view resultsText) {
    const std::string path = ResultsFilePath(services);
    const platform::WriteResult result = services.writeTextFile(path, resultsText);
    if (result.ok) {
        return true;
    }
    // Without this the results of the whole run would be lost with the program; the box
    // keeps them, so the operator can free the file or the disk and save again.
    std::string message = kSaveFailedPrefix;
    message += displayPath(path);
    if (!result.error.empty()) {
        message += '\n';
        message += result.error;
    }
    services.messageBox(message, platform::Buttons::Ok);
    return false;
}

void SaveResults(platform::Services& services, std::string_view resultsText) {
    if (WriteResultsFile(services, resultsText)) {
        services.messageBox(kSavedMessage, platform::Buttons::Ok);
    }
}

void PrintResults(platform::Services& services, std::string_view resultsText) {
    if (WriteResultsFile(services, resultsText)) {
        services.printFile(ResultsFilePath(services));
    }
}

} // namespace kelvara::output
