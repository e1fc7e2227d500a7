#include "results_output.h"

#include "platform/services.h"

// Placeholder; the output implementation replaces this file.
namespace kelvara::output {
std::string ResultsFilePath(const platform::Services& services) {
    return platform::appFilePath(services, kResultsFileName);
}
bool WriteResultsFile(platform::Services&, std::string_view) { return false; }
void SaveResults(platform::Services&, std::string_view) {}
void PrintResults(platform::Services&, std::string_view) {}
} // namespace kelvara::output
