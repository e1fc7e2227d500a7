#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "draw_fixture.h"

namespace kelvara::testing {
namespace {

using draw::NoticeKind;
using platform::WorkbookFault;

// The fake reads a workbook's lines as text: what is tested here is which list is drawn from
// and how it is named.
class WorkbookListTest : public DrawFixture {
protected:
    void writeWorkbook(const std::string& lines) const {
        std::ofstream(m_dir / "bonus.xlsx", std::ios::binary | std::ios::trunc) << lines;
    }
    std::string recordText() const {
        return services.recordStore.files.at(services.recordStore.current).text;
    }
};

TEST_F(WorkbookListTest, DrawsFromTheWorkbookOnlyWhenItIsTheOnlyList) {
    const struct {
        const char* name;
        bool text;
        bool workbook;
        WorkbookFault fault;
        std::vector<NoticeKind> told;
        const char* recorded; // the list the record names, when Initialize succeeded
    } rows[] = {
        {"text alone", true, false, WorkbookFault::None, {}, "名单：bonus.txt，共3条"},
        {"workbook alone", false, true, WorkbookFault::None, {}, "名单：bonus.xlsx，共3条"},
        {"both", true, true, WorkbookFault::None, {NoticeKind::TwoLists}, nullptr},
        {"neither", false, false, WorkbookFault::None, {NoticeKind::ListMissing}, nullptr},
        {"a workbook that is no list",
         false,
         true,
         WorkbookFault::Encrypted,
         {NoticeKind::WorkbookRefused},
         nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(bonusPath());
        std::filesystem::remove(m_dir / "bonus.xlsx");
        if (row.text) {
            writeBonus("甲\r\n乙\r\n丙\r\n");
        }
        if (row.workbook) {
            writeWorkbook("张三\r\n李四\r\n王五\r\n");
        }
        services.workbookFault = row.fault;
        FakeView window;
        draw::DrawEngine fresh(window, window, services.forDraw());
        fresh.startUp();
        fresh.Cmd_Init_Click();
        EXPECT_EQ(window.noticeKinds(), row.told);
        EXPECT_EQ(window.initEnabled, row.recorded == nullptr);
        if (row.recorded != nullptr) {
            EXPECT_NE(recordText().find(row.recorded), std::string::npos);
        }
        if (row.fault != WorkbookFault::None) {
            EXPECT_EQ(window.notices[0].workbookFault, row.fault);
            EXPECT_EQ(window.notices[0].list, "bonus.xlsx");
        }
    }
}

// The workbook stays the run's list: rows inserted since Initialize cancel the round with
// the workbook named, an edit in place does not, and a run continues from it.
TEST_F(WorkbookListTest, GuardsAndContinuesARunFromTheWorkbook) {
    writeWorkbook(numberedList(20));
    engine.Cmd_Init_Click();
    drawRound("3");
    writeWorkbook("改过的名字\r\n" + numberedList(20).substr(numberedList(1).size()));
    drawRound("2");
    EXPECT_TRUE(view.notices.empty());
    writeWorkbook("新插入的一行\r\n" + numberedList(20));
    typeRoundSize(view, engine, "1");
    engine.Cmd_Start_Click();
    ASSERT_EQ(view.noticeKinds(), std::vector{NoticeKind::LinesShifted});
    EXPECT_EQ(view.notices[0].list, "bonus.xlsx");

    writeWorkbook(numberedList(20));
    FakeView window;
    FakeServices restarted(utf8String(m_dir), 99);
    restarted.recordStore.files = services.recordStore.files;
    draw::DrawEngine again(window, window, restarted.forDraw());
    again.startUp();
    const auto offer = again.unfinishedRun();
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(offer->list, "bonus.xlsx");
    EXPECT_EQ(offer->editedLines, 0);
    // A text list put beside it since: neither is drawn from.
    writeBonus(numberedList(20));
    again.continueRun(*offer);
    EXPECT_EQ(window.noticeKinds(), std::vector{NoticeKind::TwoLists});
    std::filesystem::remove(bonusPath());
    window.notices.clear();
    again.continueRun(*offer);
    EXPECT_TRUE(window.notices.empty());
    EXPECT_EQ(again.results().entries().size(), 5U);
}

} // namespace
} // namespace kelvara::testing
