#include "workbook_cells.h"

#include <QDate>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "platform/text_lines.h"
#include "platform/workbook_reader.h"

namespace kelvara::platform::workbook {

namespace {

// Excel's last column is XFD.
constexpr int kMaxColumns = 16384;

// Text kept of one cell or string: enough to tell that a line is too long.
constexpr qsizetype kMaxKeptChars = static_cast<qsizetype>(kLineCutBytes);

void appendKept(QString& text, QStringView more) {
    const qsizetype room = kMaxKeptChars - text.size();
    if (room > 0) {
        text.append(more.left(room));
    }
}

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

class Cell {
public:
    void begin(const Token& xml) {
        m_reference = xml.attributes().value(QStringLiteral("r")).toString();
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

    // The cell's column from 0, from its reference ("C5": 2); none without one.
    std::optional<int> column() const {
        int column = 0;
        qsizetype letters = 0;
        for (; letters < m_reference.size() && m_reference[letters].isUpper(); ++letters) {
            column = column * 26 + (m_reference[letters].unicode() - u'A' + 1);
            if (column > kMaxColumns) {
                return std::nullopt;
            }
        }
        return letters == 0 ? std::nullopt : std::optional<int>(column - 1);
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

    QString m_reference;
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
    return headerWordKind(cell.toStdString()).has_value();
}

std::string rowLine(const QStringList& cells) {
    std::string line = cells.join(u' ').toStdString();
    if (line.size() > kLineCutBytes) {
        line.resize(kLineCutBytes);
    }
    return line;
}

} // namespace

void SharedStrings::add(const QString& text) {
    m_starts.push_back(m_text.size());
    m_text += text;
}

std::optional<QString> SharedStrings::at(std::size_t index) const {
    if (index >= m_starts.size()) {
        return std::nullopt;
    }
    const qsizetype end = index + 1 < m_starts.size() ? m_starts[index + 1] : m_text.size();
    return m_text.mid(m_starts[index], end - m_starts[index]);
}

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

// A row's cells as the list shows them: joined into its line, and each in its column.
class RowCells {
public:
    void add(std::optional<int> column, QString text) {
        const auto at = static_cast<std::size_t>(column.value_or(static_cast<int>(m_cells.size())));
        if (text.isEmpty() || at < m_cells.size()) {
            return; // a column given twice keeps its first cell
        }
        m_cells.resize(at + 1);
        m_cells[at] = text.toStdString();
        m_shown.append(std::move(text));
    }
    bool empty() const { return m_shown.isEmpty(); }
    bool isHeader() const { return isHeaderWord(m_shown.front()); }
    bool pass(const RowSink& sink, int row, bool header) {
        const std::string line = rowLine(m_shown);
        const bool more = sink({line, m_cells, row, header});
        m_shown.clear();
        m_cells.clear();
        return more;
    }

private:
    QStringList m_shown;
    std::vector<std::string> m_cells;
};

PartRead readRows(ZipArchive& zip, const QString& part, const CellContext& context,
                  const RowSink& sink) {
    RowCells cells;
    Cell cell;
    int row = 0;
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
            cells.add(cell.column(), cellLine(*text));
        } else if (inCell) {
            cell.take(xml);
        } else if (isStart(xml, u"row")) {
            const int numbered = xml.attributes().value(QStringLiteral("r")).toInt();
            row = numbered > 0 ? numbered : row + 1;
        } else if (isEnd(xml, u"row") && !cells.empty()) {
            const bool header = firstRow && cells.isHeader();
            firstRow = false;
            return cells.pass(sink, row, header);
        }
        return true;
    });
    if (damaged) {
        read = {Fault::Damaged, false};
    }
    return read;
}

} // namespace kelvara::platform::workbook
