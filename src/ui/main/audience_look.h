#pragma once

#include <QColor>
#include <QImage>
#include <QJsonValue>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

// The audience view's own look: the operator's theme and pictures, and how pictures are
// read and scaled.
namespace kelvara::ui::audience {

// The settings file's key for the look, and the data folder's subfolder of pictures.
inline const QString kLookKey = QStringLiteral("大屏幕");
inline const QString kPictureFolder = QStringLiteral("图片");
// The pictures' file names without their extension (.jpg, .jpeg or .png); a prize's
// picture is named after the prize.
inline const QString kBackgroundPicture = QStringLiteral("背景");
inline const QString kLogoPicture = QStringLiteral("标志");
inline const QString kDefaultTheme = QStringLiteral("默认");

// What the operator chose; a fresh start shows no title and the pictures that are there.
struct Look {
    QString theme = kDefaultTheme;
    bool title = false; // the event's title at the top
    bool logo = true;
    bool background = true;
    bool prizePictures = true;
    bool operator==(const Look&) const = default;
};

// The default theme first.
QStringList themeNames();

// A theme's colours. The default theme has none of its own: it follows the main window's
// background and the rolling label's colours.
struct Theme {
    QColor background;
    QColor text;      // the rolling name and the lists
    QColor prizeText; // the prize and the title
    QColor band;      // the shade behind text, semi-transparent
};
std::optional<Theme> themeColours(const QString& name);

// {"主题": …, "显示标题": …, "显示标志": …, "显示背景": …, "显示奖项图片": …}
QJsonValue lookToJson(const Look& look);
// A key applies when it is there with a value of its kind (a theme: a known one); anything
// else keeps the default.
Look lookFromJson(const QJsonValue& value);

// A picture scaled to cover the screen, its aspect kept, centred: what overflows is cropped.
QRect coverRect(QSize picture, QSize screen);
// A picture scaled to fit inside the box, its aspect kept, centred.
QRect fitRect(QSize picture, QRect box);

// A picture of the folder, or why there is none.
struct Picture {
    enum class State { Missing, Read, Damaged };
    State state = State::Missing;
    QImage image;
    QString file; // as the operator names it, "图片/背景.jpg"; empty when missing
};
// Reads <stem>.jpg, .jpeg or .png from the folder, whatever the extension's case; a large
// picture is read no larger than still covers `cover`, when given.
Picture readPicture(const QString& folder, const QString& stem, QSize cover = {});

// Told once per damaged picture.
QString pictureDamaged(const QString& file, bool background);

} // namespace kelvara::ui::audience
