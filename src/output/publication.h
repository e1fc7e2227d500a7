#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/failure.h"

namespace kelvara::draw {
class Results;
class RowFormat;
struct VerifiableRun;
} // namespace kelvara::draw

namespace kelvara::output {

inline constexpr char kPublicationPdfName[] = "摇号公示.pdf";
inline constexpr char kPublicationWorkbookName[] = "摇号公示.xlsx";

struct PublicationRow {
    int number = 0;                 // the listed number [n]
    std::string prize;              // prize name; empty without a prize plan
    std::vector<std::string> cells; // the shown columns, already masked as chosen
    bool absent = false;            // marked absent (弃奖)
    // A procedure's: the order on the line (1, 候补3, 递补（接替[7]）), the place's cells
    // under placeColumns, and a waiting person who has moved up (已递补).
    std::string order = {};
    std::vector<std::string> place = {};
    bool movedUp = false;
};

// The draw's result as it is posted and signed: the event, the list it was drawn from, a
// verifiable run's facts, and every listed winner with the columns chosen to be shown.
struct Publication {
    std::string title;    // the event's name; "摇号结果公示" when empty
    std::string date;     // "2026年12月8日"
    std::string place;    // empty: the line is left with room to write it by hand
    std::string listName; // "bonus.xlsx"
    int listCount = 0;
    std::string listSha256; // 64 hex
    // A verifiable run's label/value pairs ("算法", "kelvara-verifiable-draw-2"), ("承诺",
    // hex)...; empty otherwise.
    std::vector<std::pair<std::string, std::string>> facts;
    std::vector<std::string> columns; // headings of the shown columns, e.g. 姓名, 身份证号
    std::vector<PublicationRow> rows; // every listed winner, in listed order
    bool withPrizes = false;
    // A procedure's run: a 顺序 column before the shown ones, and its places' columns after.
    bool procedure = false;
    std::vector<std::string> placeColumns = {};
    bool rehearsal = false; // the title says so: "…（演练）"
};

// The list drawn from, as the announcement names it.
struct ListIdentity {
    std::string file;
    int count = 0;
    std::string sha256;
};
struct PublicationEvent {
    std::string title;
    std::string place;
    std::string date;
};

// The announcement of a run: every listed winner with the columns shown in files, masked as
// chosen, and a verifiable run's facts.
Publication publicationOf(const draw::Results& results, const draw::RowFormat& format,
                          const draw::VerifiableRun* run, const ListIdentity& list,
                          PublicationEvent event);

// One line above the table: "label：value". Both media show the same lines.
struct PublicationLine {
    std::string label; // with its colon
    std::string value;
};

// The title to show: the event's name, or the default one.
std::string publicationTitle(const Publication& publication);
// 日期, 地点, 名单, 名单SHA-256, then the facts, in that order.
std::vector<PublicationLine> publicationLines(const Publication& publication);
// 序号, 奖项 (with prizes only), 顺序 (a procedure's), the shown columns, the place's, 备注.
std::vector<std::string> publicationHeadings(const Publication& publication);
// The 顺序 column's index among those headings; none without a procedure.
std::optional<std::size_t> orderColumn(const Publication& publication);
// A row's cells under those headings: its number, prize, order, shown cells, place and marks.
std::vector<std::string> publicationCells(const Publication& publication,
                                          const PublicationRow& row);
// The labels of the signature block, each followed by room to sign.
std::vector<std::string> signatureLabels();

// Writes the announcement to `fileName` in the current folder (see platform::FileProducer).
// The failure names no path: the caller knows it. The PDF needs a QGuiApplication for its
// fonts.
platform::Outcome writePublicationPdf(const Publication& publication, const std::string& fileName);
platform::Outcome writePublicationWorkbook(const Publication& publication,
                                           const std::string& fileName);

} // namespace kelvara::output
