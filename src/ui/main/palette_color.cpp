#include "palette_color.h"

#include <algorithm>
#include <array>

namespace kelvara::ui {

namespace {

struct Rgb {
    int r;
    int g;
    int b;
};

constexpr std::array<Rgb, kPaletteColorCount> kPalette{{
    {0, 0, 0},       // black
    {0, 0, 128},     // blue
    {0, 128, 0},     // green
    {0, 128, 128},   // cyan
    {128, 0, 0},     // red
    {128, 0, 128},   // magenta
    {128, 128, 0},   // yellow
    {192, 192, 192}, // white
    {128, 128, 128}, // grey
    {0, 0, 255},     // light blue
    {0, 255, 0},     // light green
    {0, 255, 255},   // light cyan
    {255, 0, 0},     // light red
    {255, 0, 255},   // light magenta
    {255, 255, 0},   // light yellow
    {255, 255, 255}, // bright white
}};

} // namespace

QColor PaletteColor(int index) {
    const Rgb& c = kPalette[static_cast<std::size_t>(std::clamp(index, 0, kPaletteColorCount - 1))];
    return {c.r, c.g, c.b};
}

} // namespace kelvara::ui
