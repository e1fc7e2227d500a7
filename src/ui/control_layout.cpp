#include "control_layout.h"

#include "ui/twips.h"

namespace kelvara::ui {

LayoutBuilder::LayoutBuilder(QWidget& window) : m_window(window) {}

QWidget* LayoutBuilder::containerOf(const ControlPlace& place) const {
    for (const auto& [name, widget] : m_made) {
        if (name == place.container) {
            return widget;
        }
    }
    // Tables name the window or an earlier row, which containersComeFirst checks.
    return &m_window;
}

void LayoutBuilder::setUp(QWidget* widget, const ControlPlace& place) {
    widget->setObjectName(fromUtf8(place.name));
    widget->setGeometry(Twips::rect(place.left, place.top, place.width, place.height));
    if (!place.tip.empty()) {
        widget->setToolTip(fromUtf8(place.tip));
    }
    m_made.emplace_back(place.name, widget);
}

} // namespace kelvara::ui
