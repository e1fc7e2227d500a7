#include "font_substitutions.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace kelvara::ui {

using namespace Qt::StringLiterals;

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
        installed({u"Noto Sans CJK SC"_s, u"Source Han Sans SC"_s, u"Noto Sans SC"_s,
                   u"WenQuanYi Zen Hei"_s, u"WenQuanYi Micro Hei"_s, u"Droid Sans Fallback"_s});
    QStringList serif = installed({u"Noto Serif CJK SC"_s, u"Source Han Serif SC"_s,
                                   u"Noto Serif SC"_s, u"AR PL UMing CN"_s, u"AR PL SungtiL GB"_s});
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
