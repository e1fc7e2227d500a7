#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvara::platform {

// The candidate list's file names, as text or as a workbook: a folder that holds either is
// the data folder.
inline constexpr char kCandidateFile[] = "bonus.txt";
inline constexpr char kCandidateWorkbook[] = "bonus.xlsx";

struct AppData {
    // The data folder, where the list is read and the results are written; without a
    // trailing separator. The program's directory unless that is no place for them.
    std::string directory;
    std::string title;
    std::int16_t major = 0;
    std::int16_t minor = 0;
    std::int16_t revision = 0;
    std::string fileDescription;
    bool isProgramDirectory = true; // false: the data folder is in the user's documents
};

// The program's name, version and data folder, and paths as the operator knows them.
class AppInfo {
public:
    virtual ~AppInfo() = default;

    virtual AppData appData() const = 0;

    // The path as the system's file manager shows it (backslashes on Windows).
    virtual std::string displayPath(const std::string& path) const = 0;
};

// Path of a file in the data folder.
std::string appFilePath(const AppInfo& app, std::string_view fileName);

} // namespace kelvara::platform
