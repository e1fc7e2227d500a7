#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvara::platform {
class Services;
}

namespace kelvara::output {

inline constexpr char kResultsFileName[] = "摇号结果.txt";

// What went wrong with the results file: it could not be written (its path and the
// system's reason), or the print operation refused it (in its own words).
struct OutputFailure {
    enum class Step { Write, Print };
    Step step = Step::Write;
    std::string path;
    std::string reason;
};

std::string ResultsFilePath(const platform::Services& services);

// Writes the results text and one CR LF to the results file, replacing it whole. On
// failure the earlier file stays as it was.
std::optional<OutputFailure> WriteResultsFile(platform::Services& services,
                                              std::string_view resultsText);

// Writes the results file, then hands it to the system's print operation; nothing is
// printed when the write failed. A print that fails leaves the file written.
std::optional<OutputFailure> PrintResults(platform::Services& services,
                                          std::string_view resultsText);

} // namespace kelvara::output
