#include "qt_services.h"

// Placeholder; the platform implementation replaces this file.
namespace kelvara::platform {
QtServices::QtServices() = default;
QtServices::~QtServices() = default;
Answer QtServices::messageBox(std::string_view, Buttons, std::optional<std::string_view>) {
    return Answer::Ok;
}
AppData QtServices::appData() const { return {}; }
bool QtServices::fileExists(const std::string&) const { return false; }
ReadStatus QtServices::readTextLines(const std::string&, const LineSink&) {
    return ReadStatus::Missing;
}
WriteResult QtServices::writeTextFile(const std::string&, std::string_view) { return {}; }
RandomSource& QtServices::random() { return *m_random; }
std::vector<std::string> QtServices::screenFonts() const { return {}; }
void QtServices::printFile(const std::string&) {}
} // namespace kelvara::platform
