#pragma once

#include <string>

#include "platform/failure.h"

namespace kelvara::platform {
class AppInfo;
}

// How the windows word what failed in a file, a record or the printer.
namespace kelvara::ui::wording {

// Why it failed, in a phrase: the system's words, or the program's own for what the system
// has none for.
std::string failureReason(const platform::Failure& failure);

// Save or Print failed: which file, and why; or that the print operation refused, and why.
std::string outputFailed(const platform::Failure& failure, const platform::AppInfo& app);

} // namespace kelvara::ui::wording
