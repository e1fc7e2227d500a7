#include "look_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/main/audience_look.h"
#include "ui/main/audience_screen.h"
#include "ui/main/settings_file.h"

namespace kelvara::ui {

namespace {

QCheckBox* checkBox(QWidget& page, const char* name, const QString& text, bool checked) {
    auto* box = new QCheckBox(text, &page);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

QString filesText(const QString& folder) {
    const QString where = folder.isEmpty() ? QStringLiteral("数据文件夹的“图片”文件夹")
                                           : QDir::toNativeSeparators(folder);
    return QStringLiteral("图片放在 %1 里：\n"
                          "　背景.jpg 或 背景.png：铺满大屏幕的背景\n"
                          "　标志.png 或 标志.jpg：左上角的标志\n"
                          "　奖项名.jpg 或 奖项名.png（如 一等奖.png）：该奖项的图片\n"
                          "没有的图片不显示。活动名称在“列与公示”里填写。")
        .arg(where);
}

} // namespace

LookPage::LookPage(SettingsFile& settings, AudienceScreen& view, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_view(view) {
    setObjectName(QStringLiteral("LookPage"));
    const audience::Look look = view.look();
    m_theme = new QComboBox(this);
    m_theme->setObjectName(QStringLiteral("Combo_Theme"));
    m_theme->addItems(audience::themeNames());
    m_theme->setCurrentText(look.theme);
    m_background =
        checkBox(*this, "Check_Background", QStringLiteral("显示背景图片(&B)"), look.background);
    m_logo = checkBox(*this, "Check_Logo", QStringLiteral("显示标志(&L)"), look.logo);
    m_title = checkBox(*this, "Check_Title", QStringLiteral("显示活动名称(&T)"), look.title);
    m_prizePictures = checkBox(*this, "Check_PrizePictures", QStringLiteral("显示奖项图片(&P)"),
                               look.prizePictures);
    auto* files = new QLabel(filesText(view.pictureFolder()), this);
    files->setObjectName(QStringLiteral("Lbl_Pictures"));
    files->setWordWrap(true);
    files->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* themeRow = new QFormLayout;
    auto* themeLabel = new QLabel(QStringLiteral("大屏幕主题(&E)："), this);
    themeLabel->setBuddy(m_theme);
    themeRow->addRow(themeLabel, m_theme);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(themeRow);
    for (QCheckBox* box : {m_background, m_logo, m_title, m_prizePictures}) {
        layout->addWidget(box);
        connect(box, &QCheckBox::toggled, this, &LookPage::apply);
    }
    layout->addWidget(files);
    layout->addStretch();
    connect(m_theme, &QComboBox::currentTextChanged, this, &LookPage::apply);
}

void LookPage::apply() {
    const audience::Look look{m_theme->currentText(), m_title->isChecked(), m_logo->isChecked(),
                              m_background->isChecked(), m_prizePictures->isChecked()};
    m_view.setLook(look);
    if (!m_settings.setValue(audience::kLookKey, audience::lookToJson(look))) {
        emit notWritten();
    }
}

} // namespace kelvara::ui
