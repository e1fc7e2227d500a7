#include "audience_verifiable.h"

#include <QPainter>
#include <algorithm>

#include "output/verifiable_facts.h"
#include "ui/main/audience_layout.h"
#include "ui/window_helpers.h"

namespace kelvara::ui::audience {

namespace {

// A digest on two lines, each as large as the screen allows.
QStringList hexHalves(const std::string& hex) {
    const auto [first, second] = output::groupedHexHalves(hex);
    return {fromUtf8(first), fromUtf8(second)};
}

} // namespace

VerifiableLines verifiableLines(const output::VerifiableFacts& facts,
                                const QStringList& typedParts) {
    VerifiableLines lines;
    lines.panel.append(QStringLiteral("可验证摇号　") + fromUtf8(facts.commitmentNumber) +
                       QStringLiteral("　承诺 C"));
    lines.panel.append(hexHalves(facts.commitment));
    QStringList witnesses;
    if (facts.publicInput.empty()) {
        for (qsizetype k = 0; k < typedParts.size(); ++k) {
            witnesses.append(fromUtf8(output::hiddenWitnessLine(
                static_cast<std::size_t>(k) + 1, static_cast<std::size_t>(typedParts[k].size()))));
        }
    } else {
        for (const std::string& witness : facts.witnesses) {
            witnesses.append(fromUtf8(witness));
        }
    }
    if (!witnesses.isEmpty()) {
        lines.panel.append(witnesses.join(QStringLiteral("　")));
    }
    const QString publicInput = fromUtf8(output::kPublicInputLabel) + fromUtf8(facts.publicInput);
    if (!facts.publicInput.empty()) {
        lines.panel.append(publicInput);
    }
    if (!facts.secret.empty()) {
        lines.panel.append(QStringLiteral("秘密值 s"));
        lines.panel.append(hexHalves(facts.secret));
    }
    lines.footer = QStringLiteral("可验证摇号　承诺 C：") +
                   fromUtf8(output::groupedHex(facts.commitment)) +
                   (facts.publicInput.empty() ? QString() : u'　' + publicInput);
    return lines;
}

void drawPanelLines(QPainter& painter, QRect box, const QStringList& lines, const QFont& font) {
    const int rows = static_cast<int>(lines.size());
    const int rowHeight = box.height() / rows;
    const int pad = static_cast<int>(rowHeight * kPadding);
    int pixels = rowHeight;
    for (const QString& line : lines) {
        pixels =
            std::min(pixels, fittingPixelSize(font, line, QSize(box.width() - 2 * pad, rowHeight),
                                              rowHeight * 7 / 10));
    }
    const QFont sized = withPixelSize(font, pixels);
    for (int row = 0; row < rows; ++row) {
        const QRect line(box.left() + pad, box.top() + row * rowHeight, box.width() - 2 * pad,
                         rowHeight);
        drawLine(painter, line, lines[row], sized, Qt::AlignHCenter);
    }
}

} // namespace kelvara::ui::audience
