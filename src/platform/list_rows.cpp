#include "list_rows.h"

#include <algorithm>
#include <utility>

#include "platform/files.h"

namespace kelvara::platform {

namespace {

using enum ColumnKind;

// The words a list's header row may start with, and what each names.
constexpr std::pair<std::string_view, ColumnKind> kHeaderWords[] = {
    {"姓名", Name},
    {"名字", Name},
    {"名单", Name},
    {"申请人", Name},
    {"Name", Name},
    {"工号", StaffNumber},
    {"员工编号", StaffNumber},
    {"学号", StaffNumber},
    {"Staff No", StaffNumber},
    {"Employee ID", StaffNumber},
    {"编号", Other},
    {"序号", Other},
    {"号码", Other},
    {"申请编号", Other},
    {"ID", Other},
    {"No", Other},
    {"No.", Other},
    {"身份证号", IdNumber},
    {"身份证", IdNumber},
    {"身份证号码", IdNumber},
    {"证件号", IdNumber},
    {"证件号码", IdNumber},
    {"ID Number", IdNumber},
    {"手机", Phone},
    {"手机号", Phone},
    {"手机号码", Phone},
    {"电话", Phone},
    {"联系电话", Phone},
    {"Phone", Phone},
    {"Mobile", Phone},
    {"部门", Department},
    {"单位", Department},
    {"Department", Department},
    {"Dept", Department},
    {"组别", Group},
    {"分组", Group},
    {"Group", Group},
    {"批次", Batch},
    {"顺位", Batch},
    {"Batch", Batch},
    {"户号", Household},
    {"家庭编号", Household},
    {"Household", Household},
    {"Staff ID", StaffNumber},
    {"房号", Other},
    {"房源", Other},
    {"车位", Other},
    {"车位号", Other},
    {"学位", Other},
    {"Mobile Phone", Phone},
};

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameIgnoringLatinCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// Spaces and ideographic spaces around a field.
std::string_view trimmedField(std::string_view field) {
    constexpr std::string_view kIdeographicSpace = "\u3000";
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        if (field.starts_with(' ') || field.starts_with(kIdeographicSpace)) {
            field.remove_prefix(field.starts_with(' ') ? 1 : kIdeographicSpace.size());
            trimmed = true;
        }
        if (field.ends_with(' ') || field.ends_with(kIdeographicSpace)) {
            field.remove_suffix(field.ends_with(' ') ? 1 : kIdeographicSpace.size());
            trimmed = true;
        }
    }
    return field;
}

} // namespace

std::optional<ColumnKind> headerWordKind(std::string_view cell) {
    const std::string_view word = trimmedField(cell);
    for (const auto& [known, kind] : kHeaderWords) {
        if (sameIgnoringLatinCase(word, known)) {
            return kind;
        }
    }
    return std::nullopt;
}

std::vector<std::string> splitFields(std::string_view line) {
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.emplace_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

bool isTextHeader(std::string_view firstLine) {
    const std::size_t tab = firstLine.find('\t');
    return tab != std::string_view::npos && headerWordKind(firstLine.substr(0, tab)).has_value();
}

ReadResult FileReader::readListRows(const std::string& path, const RowSink& sink) {
    int row = 0;
    return readTextLines(path, [&](std::string_view line) {
        ++row;
        const std::vector<std::string> cells = splitFields(line);
        return sink({line, cells, row, row == 1 && isTextHeader(line)});
    });
}

} // namespace kelvara::platform
