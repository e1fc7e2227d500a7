#include "workbook_styles.h"

#include <map>

namespace kelvara::platform::workbook {

namespace {

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

} // namespace

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

} // namespace kelvara::platform::workbook
