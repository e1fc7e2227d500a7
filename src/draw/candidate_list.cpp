#include "candidate_list.h"

#include <algorithm>

#include "limits.h"
#include "platform/app_info.h"
#include "platform/text_lines.h"

namespace kelvara::draw {

// A Start's reading of the list.
struct CandidateList::RoundRead {
    platform::ReadStatus status = platform::ReadStatus::Ok;
    platform::WorkbookFault fault = platform::WorkbookFault::None;
    std::vector<LineHash> hashes; // of every line read
    std::vector<Candidate> winners;
    int lines = 0;       // read
    int tooLongLine = 0; // the first line over kMaxLineLength characters
};

std::string CandidateList::path() const {
    return platform::appFilePath(m_app, m_file);
}

bool CandidateList::find() {
    const bool text = m_files.fileExists(platform::appFilePath(m_app, platform::kCandidateFile));
    const bool workbook =
        m_files.fileExists(platform::appFilePath(m_app, platform::kCandidateWorkbook));
    m_file = workbook && !text ? platform::kCandidateWorkbook : platform::kCandidateFile;
    return !(text && workbook);
}

bool CandidateList::choose() {
    const bool both = !find();
    m_notices.setList(m_file);
    if (both) {
        m_notices.tell(Notice(NoticeKind::TwoLists));
        return false;
    }
    return true;
}

ListRead CandidateList::read() {
    return readRows(path(), isWorkbook());
}

PlacesRead CandidateList::readPlaces() {
    for (const char* file : {kPlacesFile, kPlacesWorkbook}) {
        const std::string at = platform::appFilePath(m_app, file);
        if (m_files.fileExists(at)) {
            return {file, readRows(at, file == std::string_view(kPlacesWorkbook))};
        }
    }
    return {};
}

ListRead CandidateList::readRows(const std::string& path, bool workbook) {
    ListRead list;
    if (!m_files.fileExists(path)) {
        list.result.status = platform::ReadStatus::Missing;
        return list;
    }
    list.result = m_files.readListRows(path, [&](const platform::ListRow& row) {
        if (row.header) {
            list.header.assign(row.cells.begin(), row.cells.end());
            return true;
        }
        if (list.lines.size() >= kMaxCandidates) {
            list.tooMany = true;
            return false;
        }
        if (platform::utf8Length(row.line) > kMaxLineLength) {
            list.tooLongLine = static_cast<int>(list.lines.size()) + 1;
            return false;
        }
        list.lines.emplace_back(row.line);
        if (workbook) {
            list.cells.emplace_back(row.cells.begin(), row.cells.end());
        }
        list.fileRows.push_back(row.fileRow);
        list.width = std::max(list.width, static_cast<int>(row.cells.size()));
        return true;
    });
    return list;
}

std::vector<CheckedRow> CandidateList::checkedRows(const ListRead& list) {
    std::vector<CheckedRow> rows;
    rows.reserve(list.lines.size());
    for (std::size_t i = 0; i < list.lines.size(); ++i) {
        rows.push_back(
            {list.fileRows[i], list.lines[i],
             i < list.cells.size() ? list.cells[i] : platform::splitFields(list.lines[i])});
    }
    return rows;
}

bool CandidateList::refuse(const ListRead& list) {
    if (tellReadFailure(list.result.status, list.result.workbookFault)) {
        return true;
    }
    if (list.tooLongLine != 0) {
        m_notices.tell(Notice(NoticeKind::LineTooLong, list.tooLongLine));
        return true;
    }
    if (std::ssize(list.lines) < kMinCandidates) {
        m_notices.tell(Notice(NoticeKind::TooFewLines));
        return true;
    }
    if (list.tooMany) {
        m_notices.tell(Notice(NoticeKind::TooManyLines));
        return true;
    }
    return false;
}

std::vector<LineHash> CandidateList::hashesOf(const std::vector<std::string>& lines) {
    std::vector<LineHash> hashes;
    hashes.reserve(lines.size());
    for (const std::string& line : lines) {
        hashes.push_back(hashLine(line));
    }
    return hashes;
}

void CandidateList::keepLines(const std::vector<std::string>& lines) {
    m_lineHashes = hashesOf(lines);
}

bool CandidateList::present() {
    if (m_files.fileExists(path())) {
        return true;
    }
    m_notices.tell(Notice(NoticeKind::ListMissing));
    return false;
}

std::optional<std::vector<Candidate>> CandidateList::readLines(const std::vector<int>& lines) {
    RoundRead read = readRound(lines);
    if (refuseRound(read)) {
        return std::nullopt;
    }
    return std::move(read.winners);
}

// The whole list as far as the run counts it, for its lines' hashes and the text of the
// given lines.
CandidateList::RoundRead CandidateList::readRound(const std::vector<int>& lines) {
    const auto candidateCount = static_cast<int>(m_lineHashes.size());
    RoundRead read;
    read.hashes.reserve(m_lineHashes.size());
    read.winners.reserve(lines.size());
    const auto take = [&](const platform::ListRow& row) {
        if (row.header) {
            return true;
        }
        ++read.lines;
        if (platform::utf8Length(row.line) > kMaxLineLength) {
            read.tooLongLine = read.lines;
            return false;
        }
        read.hashes.push_back(hashLine(row.line));
        const std::size_t found = read.winners.size();
        if (found < lines.size() && lines[found] == read.lines) {
            read.winners.push_back({read.lines, std::string(row.line)});
            if (isWorkbook()) {
                read.winners.back().cells.assign(row.cells.begin(), row.cells.end());
            }
        }
        return read.lines < candidateCount;
    };
    const platform::ReadResult result = m_files.readListRows(path(), take);
    read.status = result.status;
    read.fault = result.workbookFault;
    return read;
}

// The lines must still stand where they stood when the run began, or a line number would
// now name somebody else, perhaps a winner already.
bool CandidateList::refuseRound(const RoundRead& read) {
    if (tellReadFailure(read.status, read.fault)) {
        return true;
    }
    if (read.tooLongLine != 0) {
        m_notices.tell(Notice(NoticeKind::LineTooLong, read.tooLongLine));
        return true;
    }
    if (read.lines < std::ssize(m_lineHashes)) {
        // Listing the missing lines would number winners who are nobody.
        m_notices.tell(Notice(NoticeKind::ListShrunk));
        return true;
    }
    if (linesInsertedOrRemoved(m_lineHashes, read.hashes)) {
        m_notices.tell(Notice(NoticeKind::LinesShifted));
        return true;
    }
    return false;
}

std::optional<std::string> CandidateList::sha256Now() {
    const platform::ReadResult read =
        m_files.readTextLines(path(), [](std::string_view) { return true; });
    if (tellReadFailure(read.status, read.workbookFault)) {
        return std::nullopt;
    }
    return read.sha256;
}

PlanRead CandidateList::readPlan(int listSize) {
    const std::string plan = platform::appFilePath(m_app, kPrizePlanFile);
    if (!m_files.fileExists(plan)) {
        return {};
    }
    if (m_files.fileSize(plan) > kMaxPrizePlanBytes) {
        m_notices.tell(Notice::planRefused(PlanFault::TooLarge, 0, {}));
        return {true, {}};
    }
    PrizePlanReader reader(listSize);
    const platform::ReadResult read =
        m_files.readTextLines(plan, [&](std::string_view line) { return reader.take(line); });
    if (read.status != platform::ReadStatus::Ok) {
        m_notices.tell(Notice(NoticeKind::PrizePlanUnreadable));
        return {true, {}};
    }
    if (reader.fault() != PlanFault::None) {
        m_notices.tell(Notice::planRefused(reader));
        return {true, {}};
    }
    if (reader.prizes().empty()) {
        return {}; // a plan of blank lines is no plan
    }
    return {false, {read.sha256, reader.prizes(), reader.lines()}};
}

bool CandidateList::tellReadFailure(platform::ReadStatus status, platform::WorkbookFault fault) {
    switch (status) {
    case platform::ReadStatus::Ok:
        return false;
    case platform::ReadStatus::Missing:
        m_notices.tell(Notice(NoticeKind::ListMissing));
        return true;
    case platform::ReadStatus::Unreadable:
        m_notices.tell(Notice(NoticeKind::ListUnreadable));
        return true;
    case platform::ReadStatus::NotAList: {
        Notice notice(NoticeKind::WorkbookRefused);
        notice.workbookFault = fault;
        m_notices.tell(notice);
        return true;
    }
    }
    return true;
}

} // namespace kelvara::draw
