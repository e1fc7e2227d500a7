#include "held_key_guard.h"

#include <QKeyEvent>

namespace kelvara::ui {

HeldKeyGuard::HeldKeyGuard(Clock clock) : m_clock(std::move(clock)) {}

HeldKeyGuard::Milliseconds HeldKeyGuard::steadyClock() {
    return std::chrono::duration_cast<Milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

bool HeldKeyGuard::accept(const QKeyEvent& event) {
    const Moment now{event.timestamp(), m_clock()};
    KeyState& state = m_keys[event.key()];
    if (event.type() == QEvent::KeyRelease) {
        state.down = false;
        state.released = true;
        state.releasedAt = now;
        return false;
    }
    if (event.type() != QEvent::KeyPress) {
        return false;
    }
    const bool fresh = !state.down || state.interrupted;
    const bool acts = fresh && !event.isAutoRepeat() && !isRepeat(state, now);
    interrupt();
    state.down = true;
    state.interrupted = false;
    return acts;
}

void HeldKeyGuard::interrupt() {
    for (auto& [key, state] : m_keys) {
        state.interrupted = state.down;
    }
}

void HeldKeyGuard::releaseAll() {
    m_keys.clear();
}

// Two time stamps of the window system are compared with each other; where either event
// lacks one, the clock's readings are.
bool HeldKeyGuard::isRepeat(const KeyState& state, const Moment& pressedAt) const {
    if (!state.released) {
        return false;
    }
    const Moment& releasedAt = state.releasedAt;
    if (pressedAt.stamp != 0 && releasedAt.stamp != 0) {
        return pressedAt.stamp >= releasedAt.stamp &&
               pressedAt.stamp - releasedAt.stamp <= static_cast<quint64>(kRepeatGap.count());
    }
    const Milliseconds gap = pressedAt.clock - releasedAt.clock;
    return gap >= Milliseconds::zero() && gap <= kRepeatGap;
}

} // namespace kelvara::ui
