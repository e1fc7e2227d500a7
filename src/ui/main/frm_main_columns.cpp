#include <QJsonArray>
#include <QPushButton>
#include <QShortcut>

#include "output/publication.h"
#include "platform/services.h"
#include "ui/main/appearance.h"
#include "ui/main/audience_screen.h"
#include "ui/main/columns_dialog.h"
#include "ui/main/draw_wording.h"
#include "ui/main/frm_main.h"
#include "ui/main/settings_file.h"

// The list's columns, the event's facts and the announcement (公示).
namespace kelvara::ui {

namespace {

const QString kColumnsKey = QStringLiteral("列");
const QString kTitleKey = QStringLiteral("活动名称");
const QString kPlaceKey = QStringLiteral("地点");

} // namespace

void FrmMain::setUpColumns() {
    m_settings = std::make_unique<SettingsFile>(
        m_services, m_services, platform::appFilePath(m_services, kSettingsFileName));
    m_settingsDamaged = m_settings->load() == SettingsFile::Loaded::Damaged;
    m_engine.chooseColumns(columnsFromJson(m_settings->value(kColumnsKey).toArray()));
    m_event = {m_settings->value(kTitleKey).toString(), m_settings->value(kPlaceKey).toString()};

    // Alt+L is the button's own access key: a shortcut of the same keys beside it would make
    // the two ambiguous, and neither would act.
    connect(m_appearance->ui().Cmd_Columns, &QPushButton::clicked, this, &FrmMain::openColumns);
    auto* publishKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_K), this);
    publishKey->setAutoRepeat(false);
    connect(publishKey, &QShortcut::activated, this, &FrmMain::publish);
}

// Told once, after the window is up: the file is replaced by the next change.
void FrmMain::tellDamagedSettings() {
    if (m_settingsDamaged) {
        m_settingsDamaged = false;
        m_services.messageBox(wording::settingsDamaged());
    }
}

void FrmMain::openColumns() {
    std::vector<draw::Column> shown = m_engine.rowFormat().columns();
    ColumnsDialog dialog(shown, m_event, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    m_engine.chooseColumns(dialog.columns());
    // Columns of other lists stay kept beside this list's.
    std::vector<draw::Column> kept = columnsFromJson(m_settings->value(kColumnsKey).toArray());
    kept = draw::withChoices(std::move(kept), dialog.columns());
    for (const draw::Column& column : dialog.columns()) {
        if (std::ranges::none_of(kept,
                                 [&](const draw::Column& k) { return k.title == column.title; })) {
            kept.push_back(column);
        }
    }
    m_event = dialog.event();
    m_audience->setEventTitle(m_event.title);
    const bool written = m_settings->setValue(kColumnsKey, columnsToJson(kept)) &&
                         m_settings->setValue(kTitleKey, m_event.title) &&
                         m_settings->setValue(kPlaceKey, m_event.place);
    if (!written) {
        m_services.messageBox(wording::settingsNotWritten());
    }
    if (dialog.publishAsked()) {
        publish();
    }
}

void FrmMain::publish() {
    m_engine.completePendingListing();
    if (m_engine.results().entries().empty()) {
        m_services.messageBox(wording::nothingToPublish());
        return;
    }
    const platform::LocalDateTime now = m_services.localDateTime();
    const output::Publication publication = output::publicationOf(
        m_engine.results(), m_engine.rowFormat(), m_engine.verifiableRun(),
        {m_engine.listFile(),
         m_engine.state().DrawnFlags.size() > 0
             ? static_cast<int>(m_engine.state().DrawnFlags.size())
             : 0,
         m_engine.listSha256()},
        {m_event.title.toStdString(), m_event.place.toStdString(), wording::longDate(now)});
    if (const platform::Outcome failure = m_output.publish(publication)) {
        reportOutputFailure(*failure);
        return;
    }
    if (m_services.messageBox(wording::published(m_services), platform::Buttons::YesNo,
                              wording::kPublishTitle) == platform::Answer::Yes) {
        if (const platform::Outcome failure = m_output.printPublication(publication)) {
            reportOutputFailure(*failure);
        }
    }
}

} // namespace kelvara::ui
