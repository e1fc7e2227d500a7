#include "key_preview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ui/held_key_guard.h"

namespace kelvara::ui {

namespace {

// Keys that act in some window; their presses and releases count wherever they go.
bool isGuarded(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        return true;
    default:
        return false;
    }
}

bool isModifier(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
        return true;
    default:
        return false;
    }
}

// A key event goes first to the focused control of its window and then, while nobody
// accepts it, on to that control's parents: only its first receiver counts.
bool isFirstReceiver(QWidget* receiver) {
    QWidget* const window = receiver->window();
    QWidget* const focus = window->focusWidget();
    return receiver == (focus != nullptr ? focus : window);
}

} // namespace

KeyPreview::KeyPreview(QWidget& window, HeldKeyGuard& heldKeys, Handler handler)
    : m_window(window), m_heldKeys(heldKeys), m_handler(std::move(handler)) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (watched->isWidgetType() && previewKey(static_cast<QWidget*>(watched), event)) {
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
        m_heldKeys.interrupt();
        break;
    case QEvent::ApplicationStateChange:
        // Keys let go of while another program has the keyboard are never seen.
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
            Qt::ApplicationActive) {
            m_heldKeys.releaseAll();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

std::int16_t KeyPreview::keyAsciiIn(const QWidget* window, int key) const {
    if (window == m_clickerWindow) {
        return 13;
    }
    if (window != &m_window) {
        return 0;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Space:
        return 32;
    default:
        return 0;
    }
}

bool KeyPreview::previewKey(QWidget* receiver, QEvent* event) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!isFirstReceiver(receiver)) {
        return false;
    }
    if (!isGuarded(key->key())) {
        // Another key stops a held one repeating: the held key's next press is a new one.
        if (event->type() == QEvent::KeyPress && !key->isAutoRepeat() && !isModifier(key->key())) {
            m_heldKeys.interrupt();
        }
        return false;
    }
    // Every press and release counts, also those that a message box receives: a key held
    // down when a box opens is still held when the box closes.
    const bool acts = m_heldKeys.accept(*key);

    const QWidget* const window = receiver->window();
    const std::int16_t code = keyAsciiIn(window, key->key());
    if (code == 0) {
        return false;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != &m_window) {
        return false;
    }
    if (acts) {
        m_handler(code);
    }
    return window == m_clickerWindow || qobject_cast<QAbstractButton*>(receiver) != nullptr;
}

} // namespace kelvara::ui
