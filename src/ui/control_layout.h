#pragma once

#include <QGroupBox>
#include <QString>
#include <QWidget>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "ui/window_helpers.h"

namespace kelvara::ui {

// One control of a window's layout table: its name, the name of its container (the
// window's own name for the window), its place in twips within the container, its
// caption and its tooltip (UTF-8, empty for none).
struct ControlPlace {
    std::string_view name;
    std::string_view container;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::string_view caption;
    std::string_view tip;
};

// The row of a table named `name`; a name missing from the table does not compile.
template <std::size_t N>
consteval const ControlPlace& placeOf(const ControlPlace (&table)[N], std::string_view name) {
    for (const ControlPlace& row : table) {
        if (row.name == name) {
            return row;
        }
    }
    throw "no control of that name in the layout table";
}

// True when every container of a table is the window or a control of an earlier row, so
// that the controls can be created in table order.
template <std::size_t N>
consteval bool containersComeFirst(const ControlPlace (&table)[N], std::string_view window) {
    for (std::size_t i = 0; i < N; ++i) {
        bool found = table[i].container == window;
        for (std::size_t j = 0; j < i && !found; ++j) {
            found = table[j].name == table[i].container;
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

// Creates the controls of a layout table in a window: each with its row's name as
// objectName, in its container, at its place, with its caption and tooltip.
class LayoutBuilder final {
public:
    explicit LayoutBuilder(QWidget& window);

    template <typename W> W* add(const ControlPlace& place) {
        auto* widget = new W(containerOf(place));
        setUp(widget, place);
        if constexpr (requires { widget->setText(QString()); }) {
            widget->setText(fromUtf8(place.caption));
        } else if constexpr (std::is_base_of_v<QGroupBox, W>) {
            widget->setTitle(fromUtf8(place.caption));
        }
        return widget;
    }

private:
    QWidget* containerOf(const ControlPlace& place) const;
    void setUp(QWidget* widget, const ControlPlace& place);

    QWidget& m_window;
    std::vector<std::pair<std::string_view, QWidget*>> m_made;
};

} // namespace kelvara::ui
