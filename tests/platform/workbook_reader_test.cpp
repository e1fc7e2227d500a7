#include "platform/workbook_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_lines.h"

using kelvara::platform::ListRow;
using kelvara::platform::WorkbookFault;
using kelvara::platform::WorkbookRead;

namespace {

// ---- Workbooks made here, part by part ---------------------------------------------------

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::string rawDeflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct Entry {
    std::string name;
    std::string data;
    bool encrypted = false;
    std::uint32_t claimedSize = 0; // what the headers say it expands to; 0: the truth
};

// A zip of deflated entries, as a workbook is stored.
std::string zipOf(const std::vector<Entry>& entries) {
    std::string out;
    std::string directory;
    for (const Entry& entry : entries) {
        const std::string packed = rawDeflate(entry.data);
        const auto crc =
            static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
                                             static_cast<uInt>(entry.data.size())));
        const auto size = entry.claimedSize != 0 ? entry.claimedSize
                                                 : static_cast<std::uint32_t>(entry.data.size());
        const auto offset = static_cast<std::uint32_t>(out.size());
        const auto fields = [&](std::string& to) {
            put16(to, 20);
            put16(to, entry.encrypted ? 1 : 0);
            put16(to, 8);
            put32(to, 0);
            put32(to, crc);
            put32(to, static_cast<std::uint32_t>(packed.size()));
            put32(to, size);
            put16(to, static_cast<unsigned>(entry.name.size()));
            put16(to, 0);
        };
        put32(out, 0x04034b50);
        fields(out);
        out += entry.name + packed;
        put32(directory, 0x02014b50);
        put16(directory, 20);
        fields(directory);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, offset);
        directory += entry.name;
    }
    const auto directoryAt = static_cast<std::uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put32(out, 0);
    put16(out, static_cast<unsigned>(entries.size()));
    put16(out, static_cast<unsigned>(entries.size()));
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryAt);
    put16(out, 0);
    return out;
}

const std::string kMain = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
const std::string kRelNs =
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
const std::string kRelType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string relationships(const std::vector<std::pair<std::string, std::string>>& typeTargets) {
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?><Relationships )"
                      R"(xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    int id = 1;
    for (const auto& [type, target] : typeTargets) {
        xml += "<Relationship Id=\"rId" + std::to_string(id++) + "\" Type=\"" + kRelType + type +
               "\" Target=\"" + target + "\"/>";
    }
    return xml + "</Relationships>";
}

// The parts of a workbook: its first sheet's rows, shared strings and styles as XML.
struct Book {
    std::string rows;
    std::string strings = {};
    std::string styles = {};
    std::string workbookPr = {};
};

std::vector<Entry> partsOf(const Book& book) {
    std::vector<std::pair<std::string, std::string>> links{{"worksheet", "worksheets/sheet1.xml"}};
    std::vector<Entry> parts{
        {"_rels/.rels", relationships({{"officeDocument", "xl/workbook.xml"}})},
        {"xl/workbook.xml", "<workbook " + kMain + " " + kRelNs + ">" + book.workbookPr +
                                R"(<sheets><sheet name="名单" sheetId="1" r:id="rId1"/></sheets>)"
                                "</workbook>"},
        {"xl/worksheets/sheet1.xml",
         "<worksheet " + kMain + "><sheetData>" + book.rows + "</sheetData></worksheet>"},
    };
    if (!book.strings.empty()) {
        links.emplace_back("sharedStrings", "sharedStrings.xml");
        parts.push_back({"xl/sharedStrings.xml", "<sst " + kMain + ">" + book.strings + "</sst>"});
    }
    if (!book.styles.empty()) {
        links.emplace_back("styles", "styles.xml");
        parts.push_back(
            {"xl/styles.xml", "<styleSheet " + kMain + ">" + book.styles + "</styleSheet>"});
    }
    parts.push_back({"xl/_rels/workbook.xml.rels", relationships(links)});
    return parts;
}

std::string workbookOf(const Book& book) {
    return zipOf(partsOf(book));
}

std::string inlineRow(const std::vector<std::string>& cells) {
    std::string row = "<row>";
    for (const std::string& cell : cells) {
        row += R"(<c t="inlineStr"><is><t>)" + cell + "</t></is></c>";
    }
    return row + "</row>";
}

struct Rows {
    WorkbookRead read;
    std::vector<std::string> lines;              // the candidates' lines, without the header
    std::vector<std::vector<std::string>> cells; // every row's, the header's first if any
    std::vector<int> fileRows;
};

Rows rowsOf(const std::string& bytes, std::size_t stopAfter = SIZE_MAX) {
    Rows rows;
    rows.read = kelvara::platform::readWorkbookRows(bytes, [&](const ListRow& row) {
        rows.cells.emplace_back(row.cells.begin(), row.cells.end());
        rows.fileRows.push_back(row.fileRow);
        if (!row.header) {
            rows.lines.emplace_back(row.line);
        }
        return rows.lines.size() < stopAfter;
    });
    return rows;
}

using Lines = std::vector<std::string>;

// ---- What a workbook shows ----------------------------------------------------------------

struct ShownCase {
    const char* what;
    Book book;
    Lines lines;
};

const std::string kDateStyles =
    R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/>)"
    R"(<numFmt numFmtId="165" formatCode="0.00&quot;d&quot;;[Red]0.00"/></numFmts>)"
    R"(<cellXfs count="5"><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/>)"
    R"(<xf numFmtId="20"/><xf numFmtId="49"/></cellXfs>)";

TEST(WorkbookReader, rowsShowAsExcelShowsThem) {
    const ShownCase cases[] = {
        {"shared strings in three columns, header row skipped",
         {R"(<row r="1"><c t="s"><v>0</v></c><c t="s"><v>1</v></c></row>)"
          R"(<row r="2"><c t="s"><v>2</v></c><c t="s"><v>3</v></c><c t="s"><v>4</v></c></row>)",
          R"(<si><t>工号</t></si><si><t>姓名</t></si><si><t>00123</t></si><si><t>张三</t></si>)"
          R"(<si><t>销售部</t></si>)"},
         {"00123 张三 销售部"}},
        {"numbers without a trailing .0, fifteen digits",
         {R"(<row><c><v>20230001</v></c><c><v>1.5</v></c><c><v>0.30000000000000004</v></c>)"
          R"(<c><v>1E+20</v></c><c><v>-7</v></c></row>)"},
         {"20230001 1.5 0.3 1E+20 -7"}},
        {"dates by built-in and custom formats, a time, text-formatted numbers",
         {R"(<row><c s="1"><v>46364</v></c><c s="2"><v>46364.5</v></c><c s="3"><v>0.75</v></c>)"
          R"(<c s="4"><v>42</v></c><c s="1"><v>60</v></c><c s="1"><v>59</v></c></row>)",
          {},
          kDateStyles},
         {"2026-12-08 2026-12-08 18:00:00 42 1900-02-29 1900-02-28"}},
        {"the 1904 date system",
         {R"(<row><c s="1"><v>0</v></c><c><v>0</v></c></row>)",
          {},
          kDateStyles,
          R"(<workbookPr date1904="1"/>)"},
         {"1904-01-01 0"}},
        {"booleans, formulas by their cached value, errors",
         {R"(<row><c t="b"><v>1</v></c><c t="b"><v>0</v></c><c><f>1+1</f><v>2</v></c>)"
          R"(<c t="str"><f>A1&amp;"x"</f><v>TRUEx</v></c><c t="e"><v>#N/A</v></c></row>)"},
         {"TRUE FALSE 2 TRUEx #N/A"}},
        {"blank rows, empty cells and merged cells' empty parts are not people",
         {R"(<row r="1"/><row r="2"><c r="A2"/><c r="B2" t="inlineStr"><is><t>  </t></is></c></row>)" +
          inlineRow({"李四"}) +
          R"(<row><c r="A5" t="inlineStr"><is><t>王五</t></is></c><c r="B5"/></row>)"},
         {"李四", "王五"}},
        {"rich text without phonetic guides; breaks and tabs in a cell become spaces",
         {R"(<row><c t="s"><v>0</v></c><c t="s"><v>1</v></c></row>)",
          R"(<si><r><t>赵</t></r><r><rPr><b/></rPr><t>六</t></r><rPh sb="0" eb="1"><t>ZHAO</t></rPh></si>)"
          R"(<si><t xml:space="preserve"> 一部&#10;二组	三 </t></si>)"},
         {"赵六 一部 二组 三"}},
        {"characters Excel escapes: a carriage return, a literal escape",
         {inlineRow({"王_x000D_&#10;五", "_x005F_x0041_", "_x41_"})},
         {"王  五 _x0041_ _x41_"}},
        {"a first row is a header only by its first cell's word, in any case",
         {inlineRow({"id", "名字"}) + inlineRow({"张三", "姓名"}) + inlineRow({"姓名"})},
         {"张三 姓名", "姓名"}},
        {"a first row of people is kept",
         {inlineRow({"张三"}) + inlineRow({"李四"})},
         {"张三", "李四"}},
    };
    for (const ShownCase& c : cases) {
        const Rows rows = rowsOf(workbookOf(c.book));
        EXPECT_EQ(rows.read.fault, WorkbookFault::None) << c.what;
        EXPECT_EQ(rows.lines, c.lines) << c.what;
    }
}

// Generators name and place parts in their own ways; all lead to the first sheet by tab.
TEST(WorkbookReader, findsTheFirstSheetByItsTabWhereverItIs) {
    const std::string sheet = "<x:worksheet xmlns:x=\"" +
                              std::string(kMain.substr(7, kMain.size() - 8)) + "\"><x:sheetData>";
    const auto sheetOf = [&](const std::string& name) {
        return sheet + "<x:row><x:c t=\"inlineStr\"><x:is><x:t>" + name +
               "</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>";
    };
    const std::vector<Entry> parts{
        {"_rels/.rels", relationships({{"officeDocument", "/excel/book.xml"}})},
        {"excel/book.xml",
         "<workbook " + kMain +
             R"( xmlns:rel="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
             R"(<sheets><sheet name="图" rel:id="rId1"/><sheet name="名单" rel:id="rId3"/>)"
             R"(<sheet name="旧" rel:id="rId2"/></sheets></workbook>)"},
        {"excel/_rels/book.xml.rels",
         relationships({{"chartsheet", "charts/c1.xml"},
                        {"worksheet", "/excel/sheets/old.xml"},
                        {"worksheet", "./sheets/../sheets/list.xml"}})},
        {"excel/sheets/old.xml", sheetOf("旧名单")},
        {"excel/sheets/list.xml", sheetOf("张三")},
    };
    const Rows rows = rowsOf(zipOf(parts));
    EXPECT_EQ(rows.read.fault, WorkbookFault::None);
    EXPECT_EQ(rows.lines, Lines{"张三"});
}

// ---- Hostile and broken files -------------------------------------------------------------

std::string compoundFile(bool encrypted) {
    std::string bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    bytes += std::string(2000, '\0');
    if (encrypted) {
        bytes += std::string("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    }
    return bytes + std::string(2000, '\0');
}

std::string withEntry(const Book& book, const std::string& name, std::string data,
                      std::uint32_t claimedSize = 0) {
    std::vector<Entry> parts = partsOf(book);
    for (Entry& entry : parts) {
        if (entry.name == name) {
            entry.data = std::move(data);
            entry.claimedSize = claimedSize;
        }
    }
    return zipOf(parts);
}

TEST(WorkbookReader, refusesWhatIsNoListWithItsReason) {
    const Book two{inlineRow({"张三"}) + inlineRow({"李四"})};
    const std::string good = workbookOf(two);
    std::string badCrc = good;
    badCrc[badCrc.find("xl/worksheets/sheet1.xml") + 30] ^= 0x55;
    std::vector<Entry> encryptedParts = partsOf(two);
    encryptedParts[2].encrypted = true;
    const std::vector<Entry> document{
        {"_rels/.rels", relationships({{"officeDocument", "word/document.xml"}})},
        {"word/document.xml", "<document/>"}};
    const std::string sheet = "xl/worksheets/sheet1.xml";
    const std::string sheetHead = "<worksheet " + kMain + "><sheetData>";
    const struct {
        const char* what;
        std::string bytes;
        WorkbookFault fault;
    } cases[] = {
        {"text renamed", "张三\r\n李四\r\n", WorkbookFault::NotAWorkbook},
        {"empty file", "", WorkbookFault::NotAWorkbook},
        {"a zip cut short", good.substr(0, good.size() / 2), WorkbookFault::NotAWorkbook},
        {"a word processor's document", zipOf(document), WorkbookFault::NotAWorkbook},
        {"an old .xls", compoundFile(false), WorkbookFault::OldFormat},
        {"a password to open", compoundFile(true), WorkbookFault::Encrypted},
        {"a zip entry with a password", zipOf(encryptedParts), WorkbookFault::Encrypted},
        {"no worksheet",
         withEntry(two, "xl/workbook.xml", "<workbook " + kMain + "><sheets/></workbook>"),
         WorkbookFault::NoWorksheet},
        {"a sheet's bytes changed", badCrc, WorkbookFault::Damaged},
        {"a sheet that is no XML", withEntry(two, sheet, "<worksheet><row>"),
         WorkbookFault::Damaged},
        {"a shared string that is not there",
         withEntry(two, sheet,
                   sheetHead + R"(<row><c t="s"><v>5</v></c></row></sheetData></worksheet>)"),
         WorkbookFault::Damaged},
        {"entities declared to expand",
         withEntry(two, sheet,
                   R"(<!DOCTYPE w [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;">]>)" +
                       sheetHead +
                       "<row><c t=\"inlineStr\"><is><t>&b;</t></is></c></row>"
                       "</sheetData></worksheet>"),
         WorkbookFault::Damaged},
        // Nothing is inflated past the size an entry claims.
        {"a sheet that expands past what it claims",
         withEntry(two, sheet, sheetHead + std::string(40 << 20, ' ') + "</sheetData></worksheet>",
                   1000),
         WorkbookFault::Damaged},
    };
    for (const auto& c : cases) {
        const Rows rows = rowsOf(c.bytes);
        EXPECT_EQ(rows.read.fault, c.fault) << c.what;
    }
}

// A zip bomb costs no more than the limit: a few dozen KB that expand well past it.
TEST(WorkbookReader, zipBombIsRefusedQuickly) {
    const std::string sheetHead = "<worksheet " + kMain + "><sheetData>";
    const std::string bomb = withEntry(
        Book{inlineRow({"张三"})}, "xl/worksheets/sheet1.xml",
        sheetHead + std::string(kelvara::platform::kMaxWorkbookPartBytes + (8U << 20), ' '));
    EXPECT_LT(bomb.size(), 1U << 20);
    const auto start = std::chrono::steady_clock::now();
    const Rows rows = rowsOf(bomb);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(rows.read.fault, WorkbookFault::TooLarge);
    EXPECT_LT(took, std::chrono::seconds(1));
}

// Reading ends where the list is known to be too long; a huge cell arrives cut.
TEST(WorkbookReader, hugeSheetsAndCellsStayBounded) {
    std::string million;
    for (int k = 0; k < 1000000; ++k) {
        million += "<row><c><v>" + std::to_string(k) + "</v></c></row>";
    }
    const Rows many = rowsOf(workbookOf({million}), 10001);
    EXPECT_TRUE(many.read.stopped);
    EXPECT_EQ(many.lines.size(), 10001U);

    // A megabyte of Chinese in one cell: cut by bytes, as a text list's line would be.
    std::string huge;
    while (huge.size() < (1U << 20)) {
        huge += "名";
    }
    const Rows wide = rowsOf(workbookOf({inlineRow({huge}) + inlineRow({"李四"})}));
    ASSERT_EQ(wide.lines.size(), 2U);
    EXPECT_EQ(wide.lines[0].size(), kelvara::platform::kLineCutBytes);
}

// Damaged copies of real workbooks, at the zip's level and at the XML's: never a crash, a
// hang or a line longer than the cut. The sanitizer build runs this too.
TEST(WorkbookReader, survivesDamagedWorkbooks) {
    const std::vector<Book> corpus{
        {R"(<row><c t="s"><v>0</v></c><c s="1"><v>46364</v></c><c t="b"><v>1</v></c></row>)" +
             inlineRow({"张三", "李四"}),
         R"(<si><t>王五</t></si><si><r><t>赵</t></r><rPh><t>z</t></rPh></si>)", kDateStyles},
        {inlineRow({"工号", "姓名"}) +
         R"(<row><c><f>1+1</f><v>2</v></c><c t="e"><v>#REF!</v></c></row>)"},
    };
    std::mt19937 random(20261208);
    const auto damage = [&](std::string text) {
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < edits && !text.empty(); ++k) {
            const std::size_t at = random() % text.size();
            switch (random() % 4) {
            case 0:
                text[at] = static_cast<char>(random());
                break;
            case 1:
                text.erase(at, 1 + random() % 16);
                break;
            case 2:
                text.insert(at, text.substr(random() % text.size(), 1 + random() % 32));
                break;
            default:
                text.resize(at);
            }
        }
        return text;
    };
    int read = 0;
    for (int round = 0; round < 1500; ++round) {
        const Book& book = corpus[static_cast<std::size_t>(round) % corpus.size()];
        std::vector<Entry> parts = partsOf(book);
        Entry& part = parts[random() % parts.size()];
        part.data = damage(part.data);
        for (const std::string& bytes : {zipOf(parts), damage(workbookOf(book))}) {
            const Rows rows = rowsOf(bytes);
            for (const std::string& line : rows.lines) {
                ASSERT_LE(line.size(), kelvara::platform::kLineCutBytes);
            }
            read += rows.read.fault == WorkbookFault::None ? 1 : 0;
        }
    }
    // Some damage leaves a readable workbook; most does not.
    EXPECT_GT(read, 0);
    EXPECT_LT(read, 3000);
}

} // namespace
