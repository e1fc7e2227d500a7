#pragma once

#include <QtGlobal>
#include <chrono>
#include <functional>
#include <map>

class QKeyEvent;

namespace kelvara::ui {

// Lets a key act once per press: a key acts on its press and must be released before it
// acts again. Auto-repeat arrives as release and press pairs of the same key; a press that
// follows its key's release within kRepeatGap is such a pair, whatever the event's
// auto-repeat flag says (X11 sets it only when it sees both halves of the pair at once,
// which it misses under load or while a handler is busy).
// One guard can serve several windows, so a held key that moves between them still acts
// only once. A release can still be lost: one that comes after its window has gone (a box
// answered by the press) reaches no window. A key is held only until something else is
// pressed, as keyboards repeat the last key only, so a press after another key or a click
// is a new press.
class HeldKeyGuard final {
public:
    using Milliseconds = std::chrono::milliseconds;
    using Clock = std::function<Milliseconds()>;

    // Longer than the time between the halves of a repeat pair, shorter than anyone takes
    // to let go of a key and press it again.
    static constexpr Milliseconds kRepeatGap{40};

    // The clock gives the time of events that carry no time stamp of their own.
    explicit HeldKeyGuard(Clock clock = steadyClock);

    // Takes note of a key press or release; true for a press that acts.
    bool accept(const QKeyEvent& event);

    // Takes note of a press that acts on none of the guarded keys (another key, a mouse
    // button): keys down before it repeat no more.
    void interrupt();

    // Takes every key as released: for when the program loses the keyboard and would not
    // see the releases.
    void releaseAll();

    static Milliseconds steadyClock();

private:
    // An event's time: the window system's time stamp when it has one, else the clock's.
    struct Moment {
        quint64 stamp = 0;
        Milliseconds clock{};
    };
    struct KeyState {
        bool down = false;
        bool interrupted = false; // something else was pressed since its press
        bool released = false;
        Moment releasedAt;
    };

    bool isRepeat(const KeyState& state, const Moment& pressedAt) const;

    Clock m_clock;
    std::map<int, KeyState> m_keys;
};

} // namespace kelvara::ui
