#include "audience_look.h"

#include <QDir>
#include <QImageReader>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace kelvara::ui::audience {

namespace {

const QString kThemeKey = QStringLiteral("主题");
const QString kTitleKey = QStringLiteral("显示标题");
const QString kLogoKey = QStringLiteral("显示标志");
const QString kBackgroundKey = QStringLiteral("显示背景");
const QString kPrizePicturesKey = QStringLiteral("显示奖项图片");

void readFlag(const QJsonObject& object, const QString& key, bool& flag) {
    if (const QJsonValue value = object.value(key); value.isBool()) {
        flag = value.toBool();
    }
}

} // namespace

QStringList themeNames() {
    return {kDefaultTheme, QStringLiteral("喜庆红"), QStringLiteral("深蓝")};
}

std::optional<Theme> themeColours(const QString& name) {
    if (name == QStringLiteral("喜庆红")) {
        return Theme{QColor(0x9e, 0x0b, 0x0f), QColor(0xff, 0xd5, 0x4a), QColor(0xff, 0xe9, 0xa8),
                     QColor(0x46, 0x00, 0x00, 200)};
    }
    if (name == QStringLiteral("深蓝")) {
        return Theme{QColor(0x0b, 0x1f, 0x3f), QColor(0xff, 0xff, 0xff), QColor(0xf3, 0xd2, 0x7a),
                     QColor(0x00, 0x08, 0x1c, 200)};
    }
    return std::nullopt;
}

QJsonValue lookToJson(const Look& look) {
    return QJsonObject{{kThemeKey, look.theme},
                       {kTitleKey, look.title},
                       {kLogoKey, look.logo},
                       {kBackgroundKey, look.background},
                       {kPrizePicturesKey, look.prizePictures}};
}

Look lookFromJson(const QJsonValue& value) {
    Look look;
    const QJsonObject object = value.toObject();
    if (const QString theme = object.value(kThemeKey).toString(); themeNames().contains(theme)) {
        look.theme = theme;
    }
    readFlag(object, kTitleKey, look.title);
    readFlag(object, kLogoKey, look.logo);
    readFlag(object, kBackgroundKey, look.background);
    readFlag(object, kPrizePicturesKey, look.prizePictures);
    return look;
}

QRect coverRect(QSize picture, QSize screen) {
    if (picture.isEmpty() || screen.isEmpty()) {
        return {};
    }
    const QSize size = picture.scaled(screen, Qt::KeepAspectRatioByExpanding);
    return {(screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2,
            size.width(), size.height()};
}

QRect fitRect(QSize picture, QRect box) {
    if (picture.isEmpty() || box.isEmpty()) {
        return {};
    }
    const QSize size = picture.scaled(box.size(), Qt::KeepAspectRatio);
    return {box.left() + (box.width() - size.width()) / 2,
            box.top() + (box.height() - size.height()) / 2, size.width(), size.height()};
}

Picture readPicture(const QString& folder, const QString& stem, QSize cover) {
    Picture picture;
    if (stem.isEmpty()) {
        return picture;
    }
    const QDir dir(folder);
    QString found;
    // Listed rather than globbed: a prize's name may hold * or [.
    const QStringList files = dir.entryList(QDir::Files);
    for (const QString& suffix :
         {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png")}) {
        const auto match = std::ranges::find_if(files, [&](const QString& file) {
            return file.compare(stem + u'.' + suffix, Qt::CaseInsensitive) == 0;
        });
        if (match != files.end()) {
            found = *match;
            break;
        }
    }
    if (found.isEmpty()) {
        return picture;
    }
    picture.file = kPictureFolder + u'/' + found;
    QImageReader reader(dir.filePath(found));
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && !cover.isEmpty()) {
        const double scale = std::max(static_cast<double>(cover.width()) / size.width(),
                                      static_cast<double>(cover.height()) / size.height());
        if (scale < 1) {
            reader.setScaledSize(QSize(static_cast<int>(std::ceil(size.width() * scale)),
                                       static_cast<int>(std::ceil(size.height() * scale))));
        }
    }
    picture.image = reader.read();
    picture.state = picture.image.isNull() ? Picture::State::Damaged : Picture::State::Read;
    return picture;
}

QString pictureDamaged(const QString& file, bool background) {
    return QStringLiteral("图片 %1 无法读取，大屏幕%2。")
        .arg(file, background ? QStringLiteral("改用颜色") : QStringLiteral("不显示这张图片"));
}

} // namespace kelvara::ui::audience
