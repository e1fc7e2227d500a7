#pragma once

#include <QRect>
#include <QSize>

namespace kelvara::ui {

// Twips (1440 per inch) to pixels, from the screen's logical DPI: 15 twips per pixel at
// 96 DPI. Every geometry of the windows goes through here.
class Twips final {
public:
    static double logicalDpi();
    static int toPixels(double twips);
    static double fromPixels(int pixels);
    static QRect rect(double left, double top, double width, double height);
    static QSize size(double width, double height);
};

} // namespace kelvara::ui
