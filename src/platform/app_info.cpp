#include "app_info.h"

namespace kelvara::platform {

std::string appFilePath(const AppInfo& app, std::string_view fileName) {
    // Qt accepts '/' on every platform, so one separator serves all of them.
    std::string path = app.appData().directory;
    path += '/';
    path += fileName;
    return path;
}

} // namespace kelvara::platform
