#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "draw/list_columns.h"
#include "ui/main/run_panel.h"

namespace kelvara::draw {
class Results;
}

namespace kelvara::ui {

// The results box: read-only for the operator, and holding its text exactly as the draw
// wrote it (CR LF, lone CR or LF and TAB inside names), which the editor's paragraphs
// cannot. The box shows a rendering of the exact text, brought up to date once the
// handler that changed it has ended. It knows the winner's number of each of its lines.
class ResultsBox final : public QPlainTextEdit, public RunPanel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultsBox)

public:
    explicit ResultsBox(QWidget* parent);

    // The results as their text. New winners bring the caret to the end; otherwise it stays
    // on its winner's line.
    void showRun(const draw::RunView& run) override;
    void showResults(const draw::Results& results, const draw::RowFormat* format = nullptr);

    const std::string& exactText() const { return m_exact; }
    // Any text, each line with its winner's number (0 or none: no winner's line).
    void setExactText(std::string text, std::vector<int> lineNumbers = {});
    void moveCaretToEnd();
    // The number of the winner on the caret's line, as the box shows it.
    std::optional<int> numberAtCaret() const;
    // Once the box shows its text: the caret on that winner's line.
    void moveCaretToNumber(int number);

protected:
    // The box's own actions (added with addAction) come first, for the clicked line.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void scheduleSync();
    void sync();

    std::string m_exact;
    std::vector<int> m_lineNumbers;
    std::string m_shown;
    std::vector<int> m_shownNumbers;
    std::size_t m_winners = 0; // listed in the results shown last
    bool m_caretToEnd = false;
    int m_caretNumber = 0;
    QTimer m_sync;
};

} // namespace kelvara::ui
