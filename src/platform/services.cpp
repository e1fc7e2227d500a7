#include "services.h"

namespace kelvara::platform {

std::string appFilePath(const Services& services, std::string_view fileName) {
    // Qt accepts '/' on every platform, so one separator serves all of them.
    std::string path = services.appData().directory;
    path += '/';
    path += fileName;
    return path;
}

} // namespace kelvara::platform
