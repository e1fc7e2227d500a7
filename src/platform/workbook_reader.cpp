#include "workbook_reader.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_lines.h"
#include "platform/zip_archive.h"

namespace kelvara::platform {

namespace {

using Fault = WorkbookFault;

constexpr std::string_view kCompoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
// The stream an Excel file protected by a password keeps its workbook in, in UTF-16.
constexpr std::string_view kEncryptedStreamName("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0",
                                                32);
// Text kept of one cell or string: enough to tell that a line is too long.
constexpr qsizetype kMaxKeptChars = static_cast<qsizetype>(kLineCutBytes);

Fault faultOf(EntryEnd end) {
    switch (end) {
    case EntryEnd::Complete:
    case EntryEnd::Stopped:
        return Fault::None;
    case EntryEnd::Missing:
    case EntryEnd::Damaged:
        return Fault::Damaged;
    case EntryEnd::TooLarge:
        return Fault::TooLarge;
    case EntryEnd::Encrypted:
        return Fault::Encrypted;
    }
    return Fault::Damaged;
}

void appendKept(QString& text, QStringView more) {
    const qsizetype room = kMaxKeptChars - text.size();
    if (room > 0) {
        text.append(more.left(room));
    }
}

// ---- Parts as streams of XML ----------------------------------------------------------

// One token of a part, its type and name taken once: a sheet has millions of them.
class Token {
public:
    explicit Token(const QXmlStreamReader& xml)
        : m_xml(xml), m_type(xml.tokenType()), m_name(xml.name()) {}
    QXmlStreamReader::TokenType tokenType() const { return m_type; }
    QStringView name() const { return m_name; }
    QStringView text() const { return m_xml.text(); }
    QXmlStreamAttributes attributes() const { return m_xml.attributes(); }

private:
    const QXmlStreamReader& m_xml;
    QXmlStreamReader::TokenType m_type;
    QStringView m_name;
};

// Handles one token of a part; returns false to stop reading it.
using TokenHandler = std::function<bool(const Token&)>;

struct PartRead {
    Fault fault = Fault::None;
    bool stopped = false;
};

// Inflates a part piece by piece and hands its tokens on as they are parsed, so neither
// the part nor its document tree is ever held whole. A DTD has no place in a workbook:
// it would only serve to expand entities.
PartRead parsePart(ZipArchive& zip, const std::string& name, const TokenHandler& handle) {
    QXmlStreamReader xml;
    bool broken = false;
    bool stopped = false;
    bool ended = false;
    const auto drain = [&] {
        for (;;) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::Invalid) {
                broken = xml.error() != QXmlStreamReader::PrematureEndOfDocumentError;
                return !broken;
            }
            if (token == QXmlStreamReader::DTD) {
                broken = true;
                return false;
            }
            if (token == QXmlStreamReader::EndDocument) {
                ended = true;
                return false;
            }
            if (!handle(Token(xml))) {
                stopped = true;
                return false;
            }
        }
    };
    const EntryEnd end = zip.read(name, kMaxWorkbookPartBytes, [&](std::string_view piece) {
        xml.addData(QByteArray(piece.data(), static_cast<qsizetype>(piece.size())));
        return drain();
    });
    if (stopped) {
        return {Fault::None, true};
    }
    if (broken) {
        return {Fault::Damaged, false};
    }
    if (end != EntryEnd::Complete && end != EntryEnd::Stopped) {
        return {faultOf(end), false};
    }
    return {ended ? Fault::None : Fault::Damaged, false};
}

bool isStart(const Token& xml, QStringView name) {
    return xml.tokenType() == QXmlStreamReader::StartElement && xml.name() == name;
}

bool isEnd(const Token& xml, QStringView name) {
    return xml.tokenType() == QXmlStreamReader::EndElement && xml.name() == name;
}

// ---- Relationships --------------------------------------------------------------------

struct Relationship {
    QString type;
    QString target; // the part's name in the zip
};
using Relationships = std::map<QString, Relationship>;

// The folder of a part, with its trailing '/'; empty for a part at the top.
QString folderOf(const QString& part) {
    return part.left(part.lastIndexOf(QLatin1Char('/')) + 1);
}

// A relationship's target as a part name: relative to the source's folder unless it
// starts with '/'; "." and ".." resolved.
QString resolveTarget(const QString& sourceFolder, const QString& target) {
    const QString joined = target.startsWith(QLatin1Char('/')) ? target : sourceFolder + target;
    QStringList parts;
    for (const QString& segment : joined.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) {
            if (!parts.isEmpty()) {
                parts.removeLast();
            }
        } else if (segment != QLatin1String(".")) {
            parts.append(segment);
        }
    }
    return parts.join(QLatin1Char('/'));
}

QString relationshipsOf(const QString& part) {
    return folderOf(part) + QStringLiteral("_rels/") + part.mid(folderOf(part).size()) +
           QStringLiteral(".rels");
}

std::optional<Relationships> readRelationships(ZipArchive& zip, const QString& part, Fault& fault) {
    Relationships relationships;
    const QString folder = folderOf(part);
    const PartRead read = parsePart(zip, relationshipsOf(part).toStdString(), [&](const auto& xml) {
        if (isStart(xml, u"Relationship") &&
            xml.attributes().value(QStringLiteral("TargetMode")) != QLatin1String("External")) {
            const auto attributes = xml.attributes();
            relationships[attributes.value(QStringLiteral("Id")).toString()] = {
                attributes.value(QStringLiteral("Type")).toString(),
                resolveTarget(folder, attributes.value(QStringLiteral("Target")).toString())};
        }
        return true;
    });
    if (read.fault != Fault::None) {
        fault = read.fault;
        return std::nullopt;
    }
    return relationships;
}

// The first relationship of a type, by the type's last word ("worksheet", "styles"...).
std::optional<QString> targetOfType(const Relationships& relationships, QStringView kind) {
    for (const auto& [id, relationship] : relationships) {
        if (relationship.type.endsWith(u'/' + kind.toString())) {
            return relationship.target;
        }
    }
    return std::nullopt;
}

// ---- The workbook: its first worksheet ------------------------------------------------

struct Workbook {
    QString firstSheet;
    QString styles;
    QString sharedStrings;
    bool date1904 = false;
};

bool isTrue(QStringView value) {
    return value == u"1" || value == u"true";
}

// The r:id attribute, whatever prefix the relationships namespace has.
QString relationshipId(const Token& xml) {
    for (const QXmlStreamAttribute& attribute : xml.attributes()) {
        if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty()) {
            return attribute.value().toString();
        }
    }
    return {};
}

std::optional<Workbook> readWorkbook(ZipArchive& zip, const QString& part, Fault& fault) {
    bool isWorkbook = false;
    bool first = true;
    Workbook workbook;
    std::vector<QString> sheetIds;
    const PartRead read = parsePart(zip, part.toStdString(), [&](const auto& xml) {
        if (xml.tokenType() != QXmlStreamReader::StartElement) {
            return true;
        }
        if (first) {
            first = false;
            isWorkbook = xml.name() == u"workbook";
            return isWorkbook;
        }
        if (xml.name() == u"workbookPr") {
            workbook.date1904 = isTrue(xml.attributes().value(QStringLiteral("date1904")));
        } else if (xml.name() == u"sheet") {
            sheetIds.push_back(relationshipId(xml));
        }
        return true;
    });
    if (read.fault != Fault::None || !isWorkbook) {
        fault = !isWorkbook ? Fault::NotAWorkbook : read.fault;
        return std::nullopt;
    }
    const auto relationships = readRelationships(zip, part, fault);
    if (!relationships) {
        return std::nullopt;
    }
    // Tabs in their order; a chart sheet is no list.
    for (const QString& id : sheetIds) {
        const auto found = relationships->find(id);
        if (found != relationships->end() && found->second.type.endsWith(u"/worksheet")) {
            workbook.firstSheet = found->second.target;
            break;
        }
    }
    if (workbook.firstSheet.isEmpty()) {
        fault = Fault::NoWorksheet;
        return std::nullopt;
    }
    workbook.styles = targetOfType(*relationships, u"styles").value_or(QString());
    workbook.sharedStrings = targetOfType(*relationships, u"sharedStrings").value_or(QString());
    return workbook;
}

// ---- Styles: which cells show dates ---------------------------------------------------

enum class Shown { Number, Date, DateTime, Time };

// Excel's built-in formats that show dates or times, Chinese ones included.
Shown builtInFormat(int id) {
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) ||
        (id >= 50 && id <= 58)) {
        return Shown::Date;
    }
    if (id == 22) {
        return Shown::DateTime;
    }
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 33) || (id >= 45 && id <= 47)) {
        return Shown::Time;
    }
    return Shown::Number;
}

// A format code's first section, without its quoted text, escapes and [colour] or
// [$-locale] parts, tells by its letters whether a number shows as a date or time.
Shown customFormat(const QString& code) {
    QString letters;
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != u'"';
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i);
            const QString inside = code.mid(i + 1, close - i - 1).toLower();
            if (inside == u"h" || inside == u"hh" || inside == u"m" || inside == u"mm" ||
                inside == u"s" || inside == u"ss") {
                letters += u'h';
            }
            i = close < 0 ? code.size() : close;
        } else if (c == u';') {
            break;
        } else {
            letters += c.toLower();
        }
    }
    if (letters.contains(QLatin1String("general"))) {
        return Shown::Number;
    }
    const bool date = letters.contains(u'y') || letters.contains(u'd') || letters.contains(u'e');
    const bool time = letters.contains(u'h') || letters.contains(u's');
    if (date) {
        return time ? Shown::DateTime : Shown::Date;
    }
    return time ? Shown::Time : Shown::Number;
}

// How each cell style (the cell's s="n") shows numbers.
std::vector<Shown> readStyles(ZipArchive& zip, const QString& part, Fault& fault) {
    std::map<int, QString> customCodes;
    std::vector<int> formatOfStyle;
    bool inCellStyles = false;
    const PartRead read = parsePart(zip, part.toStdString(), [&](const auto& xml) {
        if (isStart(xml, u"numFmt")) {
            customCodes[xml.attributes().value(QStringLiteral("numFmtId")).toInt()] =
                xml.attributes().value(QStringLiteral("formatCode")).toString();
        } else if (isStart(xml, u"cellXfs")) {
            inCellStyles = true;
        } else if (isEnd(xml, u"cellXfs")) {
            inCellStyles = false;
        } else if (inCellStyles && isStart(xml, u"xf")) {
            formatOfStyle.push_back(xml.attributes().value(QStringLiteral("numFmtId")).toInt());
        }
        return true;
    });
    if (read.fault != Fault::None) {
        fault = read.fault;
        return {};
    }
    std::vector<Shown> shown;
    shown.reserve(formatOfStyle.size());
    for (const int id : formatOfStyle) {
        const auto custom = customCodes.find(id);
        shown.push_back(custom != customCodes.end() ? customFormat(custom->second)
                                                    : builtInFormat(id));
    }
    return shown;
}

// ---- Shared strings ---------------------------------------------------------------------

// All strings in one buffer, so a table of millions of short strings costs little more
// than its text.
class SharedStrings {
public:
    void add(const QString& text) {
        m_starts.push_back(m_text.size());
        m_text += text;
    }
    std::optional<QString> at(std::size_t index) const {
        if (index >= m_starts.size()) {
            return std::nullopt;
        }
        const qsizetype end = index + 1 < m_starts.size() ? m_starts[index + 1] : m_text.size();
        return m_text.mid(m_starts[index], end - m_starts[index]);
    }

private:
    QString m_text;
    std::vector<qsizetype> m_starts;
};

// The text runs of a string item, without its phonetic guides.
class StringItem {
public:
    void add(const Token& xml) {
        if (isStart(xml, u"rPh")) {
            ++m_phonetic;
        } else if (isEnd(xml, u"rPh")) {
            --m_phonetic;
        } else if (isStart(xml, u"t")) {
            m_inText = m_phonetic == 0;
        } else if (isEnd(xml, u"t")) {
            m_inText = false;
        } else if (m_inText && xml.tokenType() == QXmlStreamReader::Characters) {
            appendKept(m_text, xml.text());
        }
    }
    QString finish() {
        m_phonetic = 0;
        m_inText = false;
        return std::exchange(m_text, QString());
    }

private:
    QString m_text;
    int m_phonetic = 0;
    bool m_inText = false;
};

std::optional<SharedStrings> readSharedStrings(ZipArchive& zip, const QString& part, Fault& fault) {
    SharedStrings strings;
    StringItem item;
    bool inItem = false;
    const PartRead read = parsePart(zip, part.toStdString(), [&](const auto& xml) {
        if (isStart(xml, u"si")) {
            inItem = true;
        } else if (isEnd(xml, u"si")) {
            inItem = false;
            strings.add(item.finish());
        } else if (inItem) {
            item.add(xml);
        }
        return true;
    });
    if (read.fault != Fault::None) {
        fault = read.fault;
        return std::nullopt;
    }
    return strings;
}

// ---- Cells and rows ---------------------------------------------------------------------

// A general number as Excel shows it: whole numbers without ".0", fifteen digits at most.
QString generalNumber(double value) {
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1String("e+"), QLatin1String("E+"));
    text.replace(QLatin1String("e-"), QLatin1String("E-"));
    return text;
}

// A date serial as a date and time: days since 1899-12-30, except that Excel counts a
// 29 February 1900 that never was; or since 1904-01-01 in the 1904 system.
std::optional<QString> dateText(double serial, Shown shown, bool date1904) {
    if (!(serial >= 0 && serial < 2958466)) { // to the year 9999
        return std::nullopt;
    }
    const auto days = static_cast<qint64>(std::floor(serial));
    const auto seconds = static_cast<int>(std::lround((serial - std::floor(serial)) * 86400));
    QString date;
    if (!date1904 && days == 60) {
        date = QStringLiteral("1900-02-29");
    } else {
        const QDate epoch = date1904    ? QDate(1904, 1, 1)
                            : days < 60 ? QDate(1899, 12, 31)
                                        : QDate(1899, 12, 30);
        date = epoch.addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
    }
    const QString time =
        QTime(0, 0).addSecs(std::min(seconds, 86399)).toString(QStringLiteral("HH:mm:ss"));
    switch (shown) {
    case Shown::Date:
        return date;
    case Shown::DateTime:
        return date + u' ' + time;
    case Shown::Time:
        return time;
    case Shown::Number:
        break;
    }
    return std::nullopt;
}

struct CellContext {
    const SharedStrings* strings = nullptr;
    const std::vector<Shown>* styles = nullptr;
    bool date1904 = false;
};

class Cell {
public:
    void begin(const Token& xml) {
        m_type = xml.attributes().value(QStringLiteral("t")).toString();
        m_style = xml.attributes().value(QStringLiteral("s")).toInt();
        m_value.clear();
        m_inValue = false;
        m_inline.finish();
    }
    void take(const Token& xml) {
        if (isStart(xml, u"v")) {
            m_inValue = true;
        } else if (isEnd(xml, u"v")) {
            m_inValue = false;
        } else if (m_inValue && xml.tokenType() == QXmlStreamReader::Characters) {
            appendKept(m_value, xml.text());
        } else if (m_type == u"inlineStr") {
            m_inline.add(xml);
        }
    }
    // What Excel shows; nullopt when the cell names a shared string that is not there.
    std::optional<QString> text(const CellContext& context) {
        if (m_type == u"inlineStr") {
            return m_inline.finish();
        }
        if (m_type == u"s") {
            bool ok = false;
            const qulonglong index = m_value.trimmed().toULongLong(&ok);
            if (!ok || context.strings == nullptr) {
                return std::nullopt;
            }
            return context.strings->at(index);
        }
        if (m_type == u"b") {
            return m_value.trimmed() == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        }
        if (m_type == u"d") {
            return m_value.left(10);
        }
        if (!m_type.isEmpty() && m_type != u"n") {
            return m_value; // a formula's text, or an error such as #N/A
        }
        return number(context);
    }

private:
    QString number(const CellContext& context) const {
        bool ok = false;
        const double value = m_value.trimmed().toDouble(&ok);
        if (!ok) {
            return m_value;
        }
        const Shown shown =
            m_style >= 0 && static_cast<std::size_t>(m_style) < context.styles->size()
                ? (*context.styles)[static_cast<std::size_t>(m_style)]
                : Shown::Number;
        if (shown != Shown::Number) {
            if (auto date = dateText(value, shown, context.date1904)) {
                return *date;
            }
        }
        return generalNumber(value);
    }

    QString m_type;
    int m_style = 0;
    QString m_value;
    bool m_inValue = false;
    StringItem m_inline;
};

// Excel writes a character that XML cannot hold, a carriage return among them, as
// "_xHHHH_", and a literal "_xHHHH_" with its "_" so written ("_x005F_").
QString unescaped(const QString& text) {
    if (!text.contains(QLatin1String("_x"))) {
        return text;
    }
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool hex = false;
        const ushort code =
            i + 7 <= text.size() && text[i] == u'_' && text[i + 1] == u'x' && text[i + 6] == u'_'
                ? text.mid(i + 2, 4).toUShort(&hex, 16)
                : 0;
        if (hex) {
            plain += QChar(code);
            i += 6;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

// Line breaks, tabs and other control characters in a cell would split or misalign the line.
QString cellLine(const QString& text) {
    QString line = unescaped(text);
    for (QChar& c : line) {
        if (c.unicode() < 0x20) {
            c = u' ';
        }
    }
    return line.trimmed();
}

bool isHeaderWord(const QString& cell) {
    return std::any_of(kHeaderWords.begin(), kHeaderWords.end(), [&](std::string_view word) {
        return QString::compare(cell, QString::fromUtf8(word.data(), word.size()),
                                Qt::CaseInsensitive) == 0;
    });
}

std::string rowLine(const QStringList& cells) {
    std::string line = cells.join(u' ').toStdString();
    if (line.size() > kLineCutBytes) {
        line.resize(kLineCutBytes);
    }
    return line;
}

PartRead readRows(ZipArchive& zip, const QString& part, const CellContext& context,
                  const LineSink& sink) {
    QStringList cells;
    Cell cell;
    bool inCell = false;
    bool firstRow = true;
    bool damaged = false;
    PartRead read = parsePart(zip, part.toStdString(), [&](const auto& xml) {
        if (isStart(xml, u"c")) {
            inCell = true;
            cell.begin(xml);
        } else if (isEnd(xml, u"c")) {
            inCell = false;
            const auto text = cell.text(context);
            if (!text) {
                damaged = true;
                return false;
            }
            if (QString line = cellLine(*text); !line.isEmpty()) {
                cells.append(std::move(line));
            }
        } else if (inCell) {
            cell.take(xml);
        } else if (isEnd(xml, u"row") && !cells.isEmpty()) {
            const bool header = firstRow && isHeaderWord(cells.front());
            firstRow = false;
            const bool more = header || sink(rowLine(cells));
            cells.clear();
            return more;
        }
        return true;
    });
    if (damaged) {
        read = {Fault::Damaged, false};
    }
    return read;
}

std::optional<QString> mainPart(ZipArchive& zip, Fault& fault) {
    const QString fallback = QStringLiteral("xl/workbook.xml");
    if (!zip.contains("_rels/.rels")) {
        return fallback;
    }
    const auto relationships = readRelationships(zip, QString(), fault);
    if (!relationships) {
        return std::nullopt;
    }
    return targetOfType(*relationships, u"officeDocument").value_or(fallback);
}

WorkbookRead readRowsOf(ZipArchive& zip, const LineSink& sink) {
    Fault fault = Fault::None;
    const auto main = mainPart(zip, fault);
    if (!main) {
        return {fault};
    }
    if (!zip.contains(main->toStdString())) {
        return {Fault::NotAWorkbook};
    }
    const auto workbook = readWorkbook(zip, *main, fault);
    if (!workbook) {
        return {fault};
    }
    std::vector<Shown> styles;
    if (!workbook->styles.isEmpty()) {
        styles = readStyles(zip, workbook->styles, fault);
    }
    std::optional<SharedStrings> strings;
    if (fault == Fault::None && !workbook->sharedStrings.isEmpty()) {
        strings = readSharedStrings(zip, workbook->sharedStrings, fault);
    }
    if (fault != Fault::None) {
        return {fault};
    }
    const CellContext context{strings ? &*strings : nullptr, &styles, workbook->date1904};
    const PartRead rows = readRows(zip, workbook->firstSheet, context, sink);
    return {rows.fault, rows.stopped};
}

} // namespace

WorkbookRead WorkbookCache::read(std::string_view bytes, const std::string& sha256,
                                 const LineSink& sink) {
    if (!m_sha256.empty() && sha256 == m_sha256) {
        for (const std::string& line : m_lines) {
            if (!sink(line)) {
                return {WorkbookFault::None, true};
            }
        }
        return {};
    }
    m_sha256.clear();
    m_lines.clear();
    std::size_t kept = 0;
    const WorkbookRead read = readWorkbookRows(bytes, [&](std::string_view line) {
        kept += line.size();
        m_lines.emplace_back(line);
        return sink(line);
    });
    // Only a workbook read whole, of a list's size, is kept.
    if (read.fault == WorkbookFault::None && !read.stopped && kept <= kMaxWorkbookPartBytes) {
        m_sha256 = sha256;
    } else {
        m_lines.clear();
    }
    return read;
}

WorkbookRead readWorkbookRows(std::string_view bytes, const LineSink& sink) {
    if (bytes.starts_with(kCompoundFileSignature)) {
        return {bytes.find(kEncryptedStreamName) != std::string_view::npos ? Fault::Encrypted
                                                                           : Fault::OldFormat};
    }
    ZipArchive zip(bytes);
    if (!zip.isOpen()) {
        return {Fault::NotAWorkbook};
    }
    return readRowsOf(zip, sink);
}

} // namespace kelvara::platform
