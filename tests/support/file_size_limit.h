#pragma once

#ifdef __linux__
#include <csignal>
#include <sys/resource.h>

namespace kelvara::testing {

// Runs `action` while the process may write files of at most `bytes` bytes: a write past
// that stops short with an error, as on a full disk.
template <typename Action> auto withFileSizeLimit(rlim_t bytes, Action action) {
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = original;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    auto result = action();
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);
    return result;
}

} // namespace kelvara::testing
#endif
