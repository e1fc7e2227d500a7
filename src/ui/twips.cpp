#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace kelvara::ui {

namespace {
constexpr double kTwipsPerInch = 1440.0;
}

double Twips::logicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

int Twips::toPixels(double twips) {
    return static_cast<int>(std::lround(twips * logicalDpi() / kTwipsPerInch));
}

double Twips::fromPixels(int pixels) {
    return pixels * kTwipsPerInch / logicalDpi();
}

QRect Twips::rect(double left, double top, double width, double height) {
    const int x = toPixels(left);
    const int y = toPixels(top);
    // Right and bottom edges are converted too, so adjoining controls stay adjoined.
    return {x, y, toPixels(left + width) - x, toPixels(top + height) - y};
}

QSize Twips::size(double width, double height) {
    return {toPixels(width), toPixels(height)};
}

} // namespace kelvara::ui
