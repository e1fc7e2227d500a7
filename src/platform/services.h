#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The runtime services that the engine, the output layer and the windows lean on.
// Plain standard C++ so the engine can use them without knowing the toolkit.
// All text is UTF-8.
namespace kelvara::platform {

class RandomSource;
class RecordStore;

enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

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

enum class ReadStatus { Ok, Missing, Unreadable };

// Local wall-clock time, to the second.
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct WriteResult {
    bool ok = true;
    std::string error; // the system's reason when !ok
};

struct PrintResult {
    bool ok = true;
    std::string error; // the print command's own words, or the system's reason
};

// Receives one line of a text file, without its terminator; returns false to stop reading.
using LineSink = std::function<bool(std::string_view line)>;

class Services {
public:
    virtual ~Services() = default;

    // Modal; no icon. Without a title the box carries the application's title.
    virtual Answer messageBox(std::string_view text, Buttons buttons = Buttons::Ok,
                              std::optional<std::string_view> title = std::nullopt) = 0;

    virtual AppData appData() const = 0;

    // True only for a regular file; a directory of that name does not count.
    virtual bool fileExists(const std::string& path) const = 0;

    // Reads the file line by line (see LineSplitter for the line rule), only as far as the
    // sink wants. A line longer than kLineCutBytes arrives cut. On Unreadable, lines that
    // reached the sink before the read error must be discarded.
    virtual ReadStatus readTextLines(const std::string& path, const LineSink& sink) = 0;

    // Creates or atomically replaces the file with text followed by CR LF. Succeeds only
    // when every byte reached the file; otherwise the earlier file stays as it was.
    virtual WriteResult writeTextFile(const std::string& path, std::string_view text) = 0;

    virtual RandomSource& random() = 0;

    virtual LocalDateTime localDateTime() const = 0;

    // SHA-256 of the file's bytes as 64 lower-case hex digits; empty when it cannot be read.
    virtual std::string fileSha256(const std::string& path) = 0;

    // The draw records, in the folder beside the candidate list.
    virtual RecordStore& records() = 0;

    // The path as the system's file manager shows it (backslashes on Windows).
    virtual std::string displayPath(const std::string& path) const = 0;

    // Installed screen font families, each once, in the platform's own order.
    virtual std::vector<std::string> screenFonts() const = 0;

    // Hands a document to the system's print operation. Fails when the operation cannot
    // start or reports an error at once; the printing itself is not awaited.
    virtual PrintResult printFile(const std::string& path) = 0;
};

// Path of a file in the data folder.
std::string appFilePath(const Services& services, std::string_view fileName);

} // namespace kelvara::platform
