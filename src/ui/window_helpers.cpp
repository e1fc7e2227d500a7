#include "window_helpers.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOption>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/app_info.h"
#include "ui/twips.h"

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

namespace {

class PlainFrameStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_FrameGroupBox) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QColor fill = option->palette.color(QPalette::Window);
        painter->save();
        painter->setPen(fill.darker(150));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
};

} // namespace

void drawPlainFrame(QWidget* groupBox) {
    auto* style = new PlainFrameStyle(QApplication::style()->name());
    style->setParent(groupBox);
    groupBox->setStyle(style);
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

namespace {

QSize frameExtra(const QWidget& window) {
    return window.frameGeometry().size() - window.geometry().size();
}

} // namespace

int outerWidthTwips(const QWidget& window) {
    return static_cast<int>(
        std::lround(Twips::fromPixels(window.width() + frameExtra(window).width())));
}

int outerHeightTwips(const QWidget& window) {
    return static_cast<int>(
        std::lround(Twips::fromPixels(window.height() + frameExtra(window).height())));
}

void setOuterWidthTwips(QWidget& window, int twips) {
    const QPoint corner = window.pos();
    window.setFixedWidth(std::max(0, Twips::toPixels(twips) - frameExtra(window).width()));
    window.move(corner);
}

void setOuterHeightTwips(QWidget& window, int twips) {
    const QPoint corner = window.pos();
    window.setFixedHeight(std::max(0, Twips::toPixels(twips) - frameExtra(window).height()));
    window.move(corner);
}

} // namespace kelvara::ui
