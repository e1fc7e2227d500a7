#include "record_store.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace kelvara::platform {

namespace {

constexpr std::string_view kExtension = ".txt";

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view stemPrefix() {
    static const std::string prefix = std::string(kRecordFolderName) + "_";
    return prefix;
}

} // namespace

std::string recordFileName(const LocalDateTime& initialized, int number) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d%02d%02d", initialized.year,
                  initialized.month, initialized.day, initialized.hour, initialized.minute,
                  initialized.second);
    std::string name(stemPrefix());
    name += stamp;
    if (number > 1) {
        name += '_';
        name += std::to_string(number);
    }
    name += kExtension;
    return name;
}

std::optional<RecordFileOrder> recordFileOrder(std::string_view fileName) {
    constexpr std::size_t kStampLength = 15; // YYYYMMDD_HHMMSS
    if (!fileName.starts_with(stemPrefix()) || !fileName.ends_with(kExtension)) {
        return std::nullopt;
    }
    fileName.remove_prefix(stemPrefix().size());
    fileName.remove_suffix(kExtension.size());
    if (fileName.size() < kStampLength || fileName[8] != '_' || !allDigits(fileName.substr(0, 8)) ||
        !allDigits(fileName.substr(9, 6))) {
        return std::nullopt;
    }
    RecordFileOrder order{std::string(fileName.substr(0, kStampLength)), 1};
    const std::string_view rest = fileName.substr(kStampLength);
    if (rest.empty()) {
        return order;
    }
    const std::string_view digits = rest.substr(1);
    if (rest[0] != '_' || !allDigits(digits)) {
        return std::nullopt;
    }
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), order.number);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return order;
}

} // namespace kelvara::platform
