#pragma once

#include <QString>
#include <QStringView>
#include <QXmlStreamReader>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/zip_archive.h"

// The parts of a workbook as streams of XML, the relationships between them, and the
// workbook part that names the first worksheet.
namespace kelvara::platform::workbook {

using Fault = WorkbookFault;

// One token of a part, its type and name taken once: a sheet has millions of them.
class Token final {
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
PartRead parsePart(ZipArchive& zip, const std::string& name, const TokenHandler& handle);

bool isStart(const Token& xml, QStringView name);
bool isEnd(const Token& xml, QStringView name);

struct Relationship {
    QString type;
    QString target; // the part's name in the zip
};
using Relationships = std::map<QString, Relationship>;

std::optional<Relationships> readRelationships(ZipArchive& zip, const QString& part, Fault& fault);

// The first relationship of a type, by the type's last word ("worksheet", "styles"...).
std::optional<QString> targetOfType(const Relationships& relationships, QStringView kind);

struct Workbook {
    QString firstSheet;
    QString styles;
    QString sharedStrings;
    bool date1904 = false;
};

std::optional<Workbook> readWorkbook(ZipArchive& zip, const QString& part, Fault& fault);

} // namespace kelvara::platform::workbook
