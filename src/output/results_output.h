#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvara::platform {
class Services;
}

namespace kelvara::output {

inline constexpr char kResultsFileName[] = "摇号结果.txt";

// Why the results file could not be written: its path and the system's reason.
struct WriteFailure {
    std::string path;
    std::string reason;
};

std::string ResultsFilePath(const platform::Services& services);

// Writes the results text and one CR LF to the results file, replacing it whole. On
// failure the earlier file stays as it was.
std::optional<WriteFailure> WriteResultsFile(platform::Services& services,
                                             std::string_view resultsText);

// Writes the results file, then hands it to the system's print operation; nothing is
// printed when the write failed.
std::optional<WriteFailure> PrintResults(platform::Services& services,
                                         std::string_view resultsText);

} // namespace kelvara::output
