#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <string_view>

class QWidget;

namespace kelvara::platform {
struct AppData;
}

namespace kelvara::ui {

// UTF-8 text of the engine and the tables as a QString.
QString fromUtf8(std::string_view text);

// A bold design font of the given family and point size.
QFont boldFont(const QString& family, double points);

void setRoleColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// Fills the widget's background with the colour.
void setBackground(QWidget* widget, const QColor& colour);

// Draws a group box's frame as a plain line, so that its inside is exactly its background
// colour (the style's own frame tints it).
void drawPlainFrame(QWidget* groupBox);

// Moves the window so that its outer frame is centred on its screen's work area.
void centreOnScreen(QWidget& window);

// A window's outer size (client area plus the frame that the window manager reports), in
// twips. Setting it keeps the window's top-left corner.
int outerWidthTwips(const QWidget& window);
int outerHeightTwips(const QWidget& window);
void setOuterWidthTwips(QWidget& window, int twips);
void setOuterHeightTwips(QWidget& window, int twips);

// "<title> V<major>.<minor>.<revision><separator><description>", as the captions read.
QString versionCaption(const platform::AppData& data, std::string_view separator);

} // namespace kelvara::ui
