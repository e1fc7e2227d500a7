#include "results_box.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <string_view>

#include "draw/draw_view.h"
#include "draw/results.h"
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

void ResultsBox::showRun(const draw::RunView& run) {
    showResults(run.results, run.format);
}

void ResultsBox::showResults(const draw::Results& results, const draw::RowFormat* format) {
    draw::NumberedText shown = draw::numberedResultsText(results, format);
    if (shown.text == m_exact) {
        return;
    }
    const bool added = results.entries().size() > m_winners;
    m_winners = results.entries().size();
    if (added) {
        m_caretNumber = 0;
        moveCaretToEnd();
    } else if (const auto number = numberAtCaret()) {
        moveCaretToNumber(*number);
    }
    setExactText(std::move(shown.text), std::move(shown.lineNumbers));
}

// A listing sets the text once per round without yielding; the box follows afterwards.
void ResultsBox::setExactText(std::string text, std::vector<int> lineNumbers) {
    m_exact = std::move(text);
    m_lineNumbers = std::move(lineNumbers);
    scheduleSync();
}

void ResultsBox::moveCaretToEnd() {
    m_caretToEnd = true;
    scheduleSync();
}

std::optional<int> ResultsBox::numberAtCaret() const {
    const auto line = static_cast<std::size_t>(textCursor().blockNumber());
    if (line >= m_shownNumbers.size() || m_shownNumbers[line] == 0) {
        return std::nullopt;
    }
    return m_shownNumbers[line];
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
    m_shownNumbers = m_lineNumbers;
    if (m_caretToEnd) {
        m_caretToEnd = false;
        moveCursor(QTextCursor::End);
        ensureCursorVisible();
    }
    if (m_caretNumber != 0) {
        const auto line = std::find(m_shownNumbers.begin(), m_shownNumbers.end(), m_caretNumber);
        m_caretNumber = 0;
        if (line != m_shownNumbers.end()) {
            setTextCursor(QTextCursor(
                document()->findBlockByNumber(static_cast<int>(line - m_shownNumbers.begin()))));
            ensureCursorVisible();
        }
    }
}

} // namespace kelvara::ui
