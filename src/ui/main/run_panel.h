#pragma once

namespace kelvara::draw {
struct RunView;
}

namespace kelvara::ui {

// A panel of the main window that shows the run, drawn from the run's data alone: whatever
// changed it (a round listed, a mark, a prize chosen, the secret revealed), every panel is
// drawn again from the same data.
class RunPanel {
public:
    virtual ~RunPanel() = default;

    virtual void showRun(const draw::RunView& run) = 0;
};

} // namespace kelvara::ui
