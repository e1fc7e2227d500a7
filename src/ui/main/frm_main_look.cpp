#include "platform/services.h"
#include "ui/main/audience_look.h"
#include "ui/main/audience_screen.h"
#include "ui/main/frm_main.h"
#include "ui/main/settings_file.h"

// The audience view's look: its pictures' folder, the operator's choices and the title.
namespace kelvara::ui {

void FrmMain::setUpLook() {
    const std::string folder =
        platform::appFilePath(m_services, audience::kPictureFolder.toStdString());
    m_audience->setPictureFolder(QString::fromStdString(folder));
    m_audience->setLook(audience::lookFromJson(m_settings->value(audience::kLookKey)));
    m_audience->setEventTitle(m_event.title);
    m_audience->setTeller(
        [this](const QString& text) { m_services.messageBox(text.toStdString()); });
}

} // namespace kelvara::ui
