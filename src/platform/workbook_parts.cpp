#include "workbook_parts.h"

#include <QStringList>

#include <vector>

#include "platform/workbook_reader.h"

namespace kelvara::platform::workbook {

namespace {

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

} // namespace

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

std::optional<QString> targetOfType(const Relationships& relationships, QStringView kind) {
    for (const auto& [id, relationship] : relationships) {
        if (relationship.type.endsWith(u'/' + kind.toString())) {
            return relationship.target;
        }
    }
    return std::nullopt;
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

} // namespace kelvara::platform::workbook
