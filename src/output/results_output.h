#pragma once

#include <string>
#include <string_view>

namespace kelvara::platform {
class Services;
}

namespace kelvara::output {

inline constexpr char kResultsFileName[] = "摇号结果.txt";
inline constexpr char kSavedMessage[] = "已经保存到摇号软件目录下！文件名叫摇号结果.txt";
inline constexpr char kSaveFailedPrefix[] = "保存失败！无法写入文件：";

std::string ResultsFilePath(const platform::Services& services);

// Writes the results text and one CR LF to the results file, replacing it whole.
// On failure shows why and returns false; the earlier file stays as it was.
bool WriteResultsFile(platform::Services& services, std::string_view resultsText);

// Cmd_Save: write, then confirm.
void SaveResults(platform::Services& services, std::string_view resultsText);

// Cmd_Print: write, then hand the file to the system's print operation.
void PrintResults(platform::Services& services, std::string_view resultsText);

} // namespace kelvara::output
