#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

namespace kelvara::output {
struct VerifiableFacts;
}

namespace kelvara::ui::audience {

// What the audience view shows of a verifiable run: the panel below the rolling text while
// no round is listed, a line each, and the footer under a round's list.
struct VerifiableLines {
    QStringList panel;
    QString footer;
};

// Before the first round the panel shows the commitment, the witnesses' digits as they are
// typed (`typedParts`, until the public input is in) and, at the end, the secret; the footer
// keeps the commitment and the public input in sight.
VerifiableLines verifiableLines(const output::VerifiableFacts& facts,
                                const QStringList& typedParts);

// The panel's lines in `box`, a line each, all as large as the longest allows, in `font`'s
// family and weight.
void drawPanelLines(QPainter& painter, QRect box, const QStringList& lines, const QFont& font);

} // namespace kelvara::ui::audience
