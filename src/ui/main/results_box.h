#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <optional>
#include <string>

namespace kelvara::ui {

// The results box: read-only for the operator, and holding its text exactly as the draw
// wrote it (CR LF, lone CR or LF and TAB inside names), which the editor's paragraphs
// cannot. The box shows a rendering of the exact text, brought up to date once the
// handler that changed it has ended.
class ResultsBox final : public QPlainTextEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultsBox)

public:
    explicit ResultsBox(QWidget* parent);

    const std::string& exactText() const { return m_exact; }
    void setExactText(std::string text);
    void moveCaretToEnd();
    // The number of the winner on the caret's line, "[12]:" giving 12.
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
    std::string m_shown;
    bool m_caretToEnd = false;
    int m_caretNumber = 0;
    QTimer m_sync;
};

} // namespace kelvara::ui
