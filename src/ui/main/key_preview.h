#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QWidget;

namespace kelvara::ui {

class HeldKeyGuard;

// Key preview of a window: Enter and Space typed anywhere in it reach the handler before
// the focused control sees them, as the key codes 13 and 32. A focused button, check box
// or option button does not get them as well, so one key press never runs two actions.
// A held key acts once (see HeldKeyGuard), and nothing acts while another window of the
// program is modal. A clicker window (the audience view) may be added, where Enter, Space,
// PageDown and PageUp, the keys that presenter clickers send, all act as Enter.
class KeyPreview final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyPreview)

public:
    using Handler = std::function<void(std::int16_t keyAscii)>;

    // Watches every key event of the program from now on, until destroyed. Owned by the
    // window, outside its children, so that it goes before what the handler uses.
    KeyPreview(QWidget& window, HeldKeyGuard& heldKeys, Handler handler);
    ~KeyPreview() override;

    void setClickerWindow(QWidget* window) { m_clickerWindow = window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool previewKey(QWidget* receiver, QEvent* event);
    std::int16_t keyAsciiIn(const QWidget* window, int key) const;

    QWidget& m_window;
    QWidget* m_clickerWindow = nullptr;
    HeldKeyGuard& m_heldKeys;
    Handler m_handler;
};

} // namespace kelvara::ui
