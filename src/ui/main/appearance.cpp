#include "appearance.h"

#include "ui/main/frm_main.h"

namespace kelvara::ui {

Appearance::Appearance(FrmMain& window) : QObject(&window) {}

} // namespace kelvara::ui
