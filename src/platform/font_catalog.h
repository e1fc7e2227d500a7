#pragma once

#include <string>
#include <vector>

namespace kelvara::platform {

class FontCatalog {
public:
    virtual ~FontCatalog() = default;

    // Installed screen font families, each once, in the platform's own order.
    virtual std::vector<std::string> screenFonts() const = 0;
};

} // namespace kelvara::platform
