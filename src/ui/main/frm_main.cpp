#include "frm_main.h"

namespace kelvara::ui {

FrmMain::FrmMain(platform::Services&, QWidget* parent) : QWidget(parent) {}

} // namespace kelvara::ui
