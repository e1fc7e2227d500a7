#include "font_families.h"

#include <QSet>

namespace kelvara::platform {

namespace {

// "Family [Foundry]" -> "Family"; a name without a foundry is kept as it is.
QString withoutFoundry(const QString& family) {
    if (!family.endsWith(QLatin1Char(']'))) {
        return family;
    }
    const qsizetype open = family.lastIndexOf(QLatin1String(" ["));
    return open > 0 ? family.left(open) : family;
}

} // namespace

std::vector<std::string> distinctFamilyNames(const QStringList& families) {
    std::vector<std::string> names;
    QSet<QString> seen;
    for (const QString& family : families) {
        const QString name = withoutFoundry(family);
        if (!seen.contains(name)) {
            seen.insert(name);
            names.push_back(name.toStdString());
        }
    }
    return names;
}

} // namespace kelvara::platform
