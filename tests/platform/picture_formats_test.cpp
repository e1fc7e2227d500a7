#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

// The audience screen's backgrounds are JPEG or PNG files: the program's Qt must read both
// (in the static Windows build, only the image plugins linked into the program exist).
TEST(PictureFormatsTest, BackgroundFilesReadBack) {
    const struct {
        const char* format;
        const char* fileName;
        int tolerance; // JPEG is lossy
    } cases[] = {
        {"jpeg", "背景.jpg", 12},
        {"png", "背景.png", 0},
    };
    const QByteArrayList supported = QImageReader::supportedImageFormats();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage original(96, 64, QImage::Format_RGB32);
    original.fill(QColor(200, 40, 90));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_TRUE(supported.contains(QByteArray(c.format)));
        const QString path = dir.filePath(QString::fromUtf8(c.fileName));
        ASSERT_TRUE(original.save(path));
        const QImage read(path);
        ASSERT_FALSE(read.isNull());
        EXPECT_EQ(read.size(), original.size());
        const QColor pixel = read.pixelColor(50, 30);
        EXPECT_LE(std::abs(pixel.red() - 200), c.tolerance);
        EXPECT_LE(std::abs(pixel.green() - 40), c.tolerance);
        EXPECT_LE(std::abs(pixel.blue() - 90), c.tolerance);
    }
}
