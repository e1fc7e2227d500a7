#pragma once

class QCoreApplication;

namespace kelvara::platform {

// Loads Qt's own Chinese texts (file error reasons, standard dialogs) for the whole program,
// whose every other word is Chinese too. Without them installed Qt's English texts remain.
// Returns whether they were found.
bool installQtChineseTranslations(QCoreApplication& application);

} // namespace kelvara::platform
