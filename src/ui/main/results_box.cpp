#include "results_box.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <string_view>

#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

// The box shows CR LF as a line break; a lone CR or LF inside a name breaks the line
// within its paragraph, so the exact text stays recoverable from the stored string.
QString shownText(std::string_view text) {
    const QString source = fromUtf8(text);
    QString shown;
    shown.reserve(source.size());
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source.at(i);
        if (c == u'\r' && i + 1 < source.size() && source.at(i + 1) == u'\n') {
            shown += u'\n';
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            shown += QChar(QChar::LineSeparator);
        } else {
            shown += c;
        }
    }
    return shown;
}

// True when `text` only adds to `shown` at a place where the rendering can simply go on:
// not between the CR and LF of one line end, nor inside a UTF-8 character.
bool onlyAppends(std::string_view shown, std::string_view text) {
    return !shown.empty() && text.size() > shown.size() && text.substr(0, shown.size()) == shown &&
           shown.back() != '\r' && (static_cast<unsigned char>(text[shown.size()]) & 0xC0) != 0x80;
}

} // namespace

ResultsBox::ResultsBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);

    m_sync.setSingleShot(true);
    m_sync.setInterval(0);
    connect(&m_sync, &QTimer::timeout, this, &ResultsBox::sync);
}

// A listing sets the text once per round without yielding; the box follows afterwards.
void ResultsBox::setExactText(std::string text) {
    m_exact = std::move(text);
    scheduleSync();
}

void ResultsBox::moveCaretToEnd() {
    m_caretToEnd = true;
    scheduleSync();
}

std::optional<int> ResultsBox::numberAtCaret() const {
    static const QRegularExpression numbered(QStringLiteral("^\\[(\\d+)\\]:\t"));
    const QRegularExpressionMatch match = numbered.match(textCursor().block().text());
    bool ok = false;
    const int number = match.hasMatch() ? match.captured(1).toInt(&ok) : 0;
    return ok ? std::optional<int>(number) : std::nullopt;
}

void ResultsBox::moveCaretToNumber(int number) {
    m_caretNumber = number;
    scheduleSync();
}

void ResultsBox::contextMenuEvent(QContextMenuEvent* event) {
    if (!textCursor().hasSelection()) {
        setTextCursor(cursorForPosition(event->pos()));
    }
    QMenu* const menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* const first = menu->actions().value(0);
    menu->insertActions(first, actions());
    menu->insertSeparator(first);
    menu->popup(event->globalPos());
}

void ResultsBox::scheduleSync() {
    if (!m_sync.isActive()) {
        m_sync.start();
    }
}

void ResultsBox::sync() {
    if (m_exact != m_shown) {
        if (onlyAppends(m_shown, m_exact)) {
            QTextCursor cursor(document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(shownText(std::string_view(m_exact).substr(m_shown.size())));
        } else {
            setPlainText(shownText(m_exact));
        }
        m_shown = m_exact;
    }
    if (m_caretToEnd) {
        m_caretToEnd = false;
        moveCursor(QTextCursor::End);
        ensureCursorVisible();
    }
    if (m_caretNumber != 0) {
        const QString start = QStringLiteral("[%1]:\t").arg(m_caretNumber);
        m_caretNumber = 0;
        for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
            if (block.text().startsWith(start)) {
                setTextCursor(QTextCursor(block));
                ensureCursorVisible();
                break;
            }
        }
    }
}

} // namespace kelvara::ui
