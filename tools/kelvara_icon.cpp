// Draws the program's icon: a red lottery ball with a white disc carrying the character 奖.
// Usage: kelvara_icon [--indexed] SIZE OUTPUT.png
// The drawing is made for 48 x 48 pixels and scaled to SIZE. --indexed writes 256 colours
// with an alpha palette, as the 48-pixel window and desktop icon is kept. scripts/redraw_icon.sh
// runs it for every committed icon file.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>
#include <QTextStream>

namespace {

constexpr int kSize = 48;

QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double scale = static_cast<double>(size) / kSize;
    painter.scale(scale, scale);

    // The ball, lit from the upper left.
    const QRectF ball(1.5, 1.5, kSize - 3.0, kSize - 3.0);
    QRadialGradient shade(QPointF(17, 14), 34, QPointF(15, 12));
    shade.setColorAt(0.0, QColor(255, 120, 100));
    shade.setColorAt(0.45, QColor(222, 20, 20));
    shade.setColorAt(1.0, QColor(120, 0, 0));
    painter.setPen(QPen(QColor(100, 0, 0), 1.2));
    painter.setBrush(shade);
    painter.drawEllipse(ball);

    // A golden band round the ball's waist gives it the look of a draw ball.
    QPainterPath clip;
    clip.addEllipse(ball);
    painter.save();
    painter.setClipPath(clip);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 200, 40, 210));
    painter.drawRect(QRectF(0, 19.5, kSize, 9));
    painter.restore();

    // The white disc with the character.
    const QRectF disc(10, 10, 28, 28);
    painter.setPen(QPen(QColor(250, 200, 40), 1.5));
    painter.setBrush(QColor(255, 253, 245));
    painter.drawEllipse(disc);

    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Microsoft YaHei"), QStringLiteral("SimHei")});
    font.setPixelSize(20);
    font.setBold(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    painter.setFont(font);
    painter.setPen(QColor(200, 0, 0));
    painter.drawText(disc.translated(0, -0.5), Qt::AlignCenter, QStringLiteral("奖"));

    // A small gloss on the upper left.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 150));
    painter.drawEllipse(QRectF(8, 6, 9, 5));
    painter.end();
    return image;
}

// 256 colours, as the icon is meant to have; the palette keeps an alpha channel.
QImage toIndexed(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32)
        .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::PreferDither);
}

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application, but no display is needed for drawing into an image.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList arguments = QGuiApplication::arguments();
    arguments.removeFirst();
    const bool indexed = arguments.removeAll(QStringLiteral("--indexed")) > 0;
    bool sizeOk = false;
    const int size = arguments.value(0).toInt(&sizeOk);
    if (arguments.size() != 2 || !sizeOk || size < 16 || size > 256) {
        QTextStream(stderr) << "usage: kelvara_icon [--indexed] SIZE OUTPUT.png (SIZE 16 to 256)\n";
        return 2;
    }
    const QString path = arguments.at(1);
    const QImage icon = drawIcon(size);
    QImageWriter writer(path);
    if (!writer.write(indexed ? toIndexed(icon) : icon.convertToFormat(QImage::Format_ARGB32))) {
        QTextStream(stderr) << "kelvara_icon: " << path << ": " << writer.errorString() << '\n';
        return 1;
    }
    return 0;
}
