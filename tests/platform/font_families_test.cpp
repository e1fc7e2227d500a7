#include <QFontDatabase>
#include <gtest/gtest.h>

#include <set>

#include "platform/font_families.h"
#include "platform/qt_services.h"

using namespace kelvara::platform;
using Names = std::vector<std::string>;

namespace {

QStringList families(std::initializer_list<const char*> names) {
    QStringList list;
    for (const char* name : names) {
        list << QString::fromUtf8(name);
    }
    return list;
}

} // namespace

TEST(FontFamiliesTest, EachFamilyOnceByItsPlainName) {
    const struct {
        const char* name;
        QStringList families;
        Names expected;
    } cases[] = {
        {"plain names kept in order", families({"宋体", "DejaVu Sans", "Arial"}),
         Names{"宋体", "DejaVu Sans", "Arial"}},
        {"one family from two foundries", families({"C059 [UKWN]", "C059 [urw]", "Cantarell"}),
         Names{"C059", "Cantarell"}},
        {"tagged and untagged alike", families({"Noto Sans", "Noto Sans [GOOG]"}),
         Names{"Noto Sans"}},
        {"brackets inside a name are the name's", families({"Font [Beta] Sans", "[x]"}),
         Names{"Font [Beta] Sans", "[x]"}},
        {"Chinese names with a foundry", families({"文泉驿微米黑 [WQY]", "文泉驿微米黑 [wqy]"}),
         Names{"文泉驿微米黑"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(distinctFamilyNames(c.families), c.expected);
    }
}

// The lists the settings panel shows, from the fonts of the machine the tests run on.
TEST(FontFamiliesTest, ScreenFontsHaveNoDuplicatesAndNoFoundryTags) {
    const Names names = QtServices().screenFonts();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    for (const std::string& name : names) {
        EXPECT_FALSE(name.ends_with(']') && name.find(" [") != std::string::npos) << name;
    }
}
