#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "line_alignment.h"
#include "list_check.h"
#include "notice.h"
#include "platform/files.h"
#include "prize_plan.h"
#include "results.h"

namespace kelvara::platform {
class AppInfo;
}

namespace kelvara::draw {

// The list as one reading of the file found it.
struct ListRead {
    platform::ReadResult result; // how the reading went, and the file's SHA-256
    std::vector<std::string> lines;
    std::vector<std::string> header;             // the header row's cells; none without one
    std::vector<std::vector<std::string>> cells; // a workbook's, per line; none for a text list
    std::vector<int> fileRows;                   // where the file has each line
    int width = 0;                               // the most cells of a line
    int tooLongLine = 0;                         // the first line over kMaxLineLength characters
    bool tooMany = false;
};

// The prize plan read beside the list: no prizes when there is none.
struct PlanRead {
    bool refused = false;
    PrizePlan plan;
};

inline constexpr char kPlacesFile[] = "房源.txt";
inline constexpr char kPlacesWorkbook[] = "房源.xlsx";

// The places list beside the list, read as a list is: its file, rows and SHA-256.
struct PlacesRead {
    std::string file; // empty when the data folder has none
    ListRead rows;
};

// The candidate list in the data folder: which file it is, its readings, and the hash of
// each line as the run began, which every Start holds the file to. Tells what is wrong with
// it through the notices, which name the file.
class CandidateList final {
public:
    CandidateList(const platform::AppInfo& app, platform::FileReader& files,
                  ListNamingNotices& notices)
        : m_app(app), m_files(files), m_notices(notices) {}

    // Which list the data folder holds: bonus.txt, or bonus.xlsx where only it is there.
    // False when it holds both.
    bool find();
    // The same, told: with both, neither is drawn from, since drawing an old list by
    // mistake, before a crowd, is the worst that can happen.
    bool choose();
    const std::string& fileName() const { return m_file; }

    // The whole list, read only as far as it is known to be refused; Missing when the file
    // is not there.
    ListRead read();
    // The list's rows as the list check takes them.
    static std::vector<CheckedRow> checkedRows(const ListRead& list);
    // Tells why the list cannot be drawn from, if it cannot.
    bool refuse(const ListRead& list);
    // The run draws from these lines: at every Start they must still stand where they stand.
    void keepLines(const std::vector<std::string>& lines);
    std::span<const LineHash> lineHashes() const { return m_lineHashes; }
    static std::vector<LineHash> hashesOf(const std::vector<std::string>& lines);

    // At Start: the list is still there, or a notice says it is not.
    bool present();
    // At Start: the given lines (ascending) as the list has them now; none, after a notice,
    // when lines moved, the list shrank or it cannot be read.
    std::optional<std::vector<Candidate>> readLines(const std::vector<int>& lines);
    // The file's SHA-256 now; none, after a notice, when it cannot be read.
    std::optional<std::string> sha256Now();

    // The prize plan beside the list, for a list of `listSize` lines; refused after a notice.
    PlanRead readPlan(int listSize);
    // The places list beside the list (房源.txt, else 房源.xlsx); its rows' status tells how
    // the reading went.
    PlacesRead readPlaces();

    // Tells a reading that failed; false when it did not.
    bool tellReadFailure(platform::ReadStatus status, platform::WorkbookFault fault);

private:
    struct RoundRead;
    std::string path() const;
    ListRead readRows(const std::string& path, bool workbook);
    bool isWorkbook() const { return m_file == platform::kCandidateWorkbook; }
    RoundRead readRound(const std::vector<int>& lines);
    bool refuseRound(const RoundRead& read);

    const platform::AppInfo& m_app;
    platform::FileReader& m_files;
    ListNamingNotices& m_notices;
    std::string m_file = platform::kCandidateFile;
    // One hash per line as the run's first reading found it: they tell a list edited in
    // place from one whose lines moved, without keeping the names.
    std::vector<LineHash> m_lineHashes;
};

} // namespace kelvara::draw
