#include "frm_about.h"

namespace kelvara::ui {

FrmAbout::FrmAbout(platform::Services& services, QWidget* parent)
    : QDialog(parent), m_services(services) {}

} // namespace kelvara::ui
