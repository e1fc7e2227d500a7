#include "window_helpers.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/app_info.h"

namespace kelvara::ui {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont boldFont(const QString& family, double points) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void setRoleColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void setBackground(QWidget* widget, const QColor& colour) {
    setRoleColour(widget, QPalette::Window, colour);
    widget->setAutoFillBackground(true);
}

void centreOnScreen(QWidget& window) {
    const QWidget* owner = window.parentWidget();
    const QScreen* screen = owner != nullptr ? owner->screen() : window.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    QRect outer = window.frameGeometry();
    outer.moveCenter(screen->availableGeometry().center());
    window.move(outer.topLeft());
}

QString versionCaption(const platform::AppData& data, std::string_view separator) {
    return QStringLiteral("%1 V%2.%3.%4%5%6")
        .arg(QString::fromStdString(data.title))
        .arg(data.major)
        .arg(data.minor)
        .arg(data.revision)
        .arg(fromUtf8(separator))
        .arg(QString::fromStdString(data.fileDescription));
}

} // namespace kelvara::ui
