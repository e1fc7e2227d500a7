#pragma once

#include <optional>
#include <string_view>

namespace kelvara::platform {

// YesNoSafe: No is the default, for a question whose Yes goes on despite a problem.
enum class Buttons { Ok, YesNo, YesNoSafe };
enum class Answer { Ok, Yes, No };

// Modal message boxes; only the windows ask them. Text is UTF-8.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Modal; no icon. Without a title the box carries the application's title.
    virtual Answer messageBox(std::string_view text, Buttons buttons = Buttons::Ok,
                              std::optional<std::string_view> title = std::nullopt) = 0;
};

} // namespace kelvara::platform
