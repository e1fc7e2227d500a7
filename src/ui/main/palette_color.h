#pragma once

#include <QColor>

namespace kelvara::ui {

// Number of colours a colour bar can choose from (bar values 0 to 15).
inline constexpr int kPaletteColorCount = 16;

// The fixed colour of a colour bar's value. Values outside 0 to 15 are held to the
// nearest end, so no bar can ever ask for a colour that does not exist.
QColor PaletteColor(int index);

} // namespace kelvara::ui
