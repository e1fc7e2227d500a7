#include "font_substitutions.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace kelvara::ui {

namespace {

QStringList installed(const QStringList& candidates) {
    const QStringList families = QFontDatabase::families();
    QStringList found;
    for (const QString& family : candidates) {
        if (families.contains(family, Qt::CaseInsensitive)) {
            found << family;
        }
    }
    return found;
}

} // namespace

void registerFontSubstitutions() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;

    const QStringList sans =
        installed({"Noto Sans CJK SC", "Source Han Sans SC", "Noto Sans SC", "WenQuanYi Zen Hei",
                   "WenQuanYi Micro Hei", "Droid Sans Fallback"});
    QStringList serif = installed({"Noto Serif CJK SC", "Source Han Serif SC", "Noto Serif SC",
                                   "AR PL UMing CN", "AR PL SungtiL GB"});
    // Without a CJK serif a CJK sans still shows the characters.
    serif << sans;

    if (!sans.isEmpty()) {
        QFont::insertSubstitutions(QStringLiteral("黑体"), sans);
        QFont::insertSubstitutions(QStringLiteral("微软雅黑"), sans);
    }
    if (!serif.isEmpty()) {
        QFont::insertSubstitutions(QStringLiteral("宋体"), serif);
    }
}

} // namespace kelvara::ui
