#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw/line_alignment.h"

namespace kelvara::draw {
namespace {

std::vector<LineHash> hashes(const std::vector<std::string>& lines) {
    std::vector<LineHash> result;
    for (const auto& line : lines) {
        result.push_back(hashLine(line));
    }
    return result;
}

std::vector<std::string> numbered(int count) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) {
        lines.push_back("候选人" + std::to_string(i));
    }
    return lines;
}

TEST(LineAlignmentTest, TellsMovedLinesFromLinesEditedInPlace) {
    const std::vector<std::string> list{"a", "b", "c", "d", "e", "f"};
    const struct {
        const char* name;
        std::vector<std::string> after;
        bool moved;
    } rows[] = {
        {"unchanged", list, false},
        {"one line edited", {"a", "b", "X", "d", "e", "f"}, false},
        {"first and last edited", {"X", "b", "c", "d", "e", "Y"}, false},
        {"every line edited", {"u", "v", "w", "x", "y", "z"}, false},
        {"first deleted, one added at the end", {"b", "c", "d", "e", "f", "g"}, true},
        {"one inserted in the middle, the last dropped", {"a", "b", "N", "c", "d", "e"}, true},
        {"two lines swapped", {"a", "c", "b", "d", "e", "f"}, true},
        {"an edit beside a shift", {"X", "a", "b", "c", "d", "e"}, true},
        {"a line more", {"a", "b", "c", "d", "e", "f", "g"}, true},
        {"a line fewer", {"a", "b", "c", "d", "e"}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(linesInsertedOrRemoved(hashes(list), hashes(row.after)), row.moved);
    }
}

// Equal names are separate lines: removing one of two equal lines still moves the others.
TEST(LineAlignmentTest, EqualLinesDoNotHideAMove) {
    EXPECT_TRUE(linesInsertedOrRemoved(hashes({"a", "a", "b"}), hashes({"a", "b", "c"})));
    EXPECT_FALSE(linesInsertedOrRemoved(hashes({"a", "a", "b"}), hashes({"a", "a", "c"})));
    EXPECT_FALSE(linesInsertedOrRemoved({}, {}));
}

// Ten thousand lines: an edit, a shift far apart from it, a whole new list. (How fast: the
// benchmarks.)
TEST(LineAlignmentTest, LongListsAreChecked) {
    const auto before = hashes(numbered(10000));
    auto edited = numbered(10000);
    edited[4711] = "改过的名字";
    auto shifted = numbered(10000);
    shifted.erase(shifted.begin() + 9000);
    shifted.insert(shifted.begin() + 17, "后来的人");
    const auto replaced = [] {
        auto lines = numbered(10000);
        for (auto& line : lines) {
            line += "（新名单）";
        }
        return lines;
    }();

    EXPECT_FALSE(linesInsertedOrRemoved(before, hashes(edited)));
    EXPECT_TRUE(linesInsertedOrRemoved(before, hashes(shifted)));
    EXPECT_FALSE(linesInsertedOrRemoved(before, hashes(replaced)));
}

} // namespace
} // namespace kelvara::draw
