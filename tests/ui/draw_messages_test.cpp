// What the operator reads of the draw: every notice the engine tells, worded by the window
// as a message box, and the question that offers to continue an unfinished run.
#include <QPushButton>
#include <QTemporaryDir>

#include <QtTest>
#include <memory>
#include <string>

#include "fakes/fake_services.h"
#include "support/gui_helpers.h"
#include "support/procedure_results.h"
#include "ui/main/draw_wording.h"
#include "ui/main/failure_wording.h"
#include "ui/main/frm_main.h"
#include "ui/main/roll_label.h"
#include "ui/main_window_session.h"

using namespace Qt::StringLiterals;
using kelvara::draw::Notice;
using kelvara::draw::NoticeKind;
using kelvara::platform::Answer;
using kelvara::platform::Buttons;
using kelvara::platform::Failure;
using kelvara::platform::FailureKind;
using kelvara::platform::WorkbookFault;
using kelvara::testing::FakeServices;
using kelvara::testing::findControl;
using kelvara::ui::FrmMain;

Q_DECLARE_METATYPE(kelvara::draw::Notice)

namespace {

const std::string kMissing = "请在本程序旁建立文本文件bonus.txt，然后将您要抽奖的名单逐行输入或从"
                             "其它文档复制剪贴到bonus.txt即可。\n"
                             "也可以直接使用Excel文件bonus.xlsx：第一个工作表中每行一人。";
const std::string kRecord = "摇号记录/摇号记录_20261207_193005.txt";

} // namespace

class DrawMessagesTest : public QObject {
    Q_OBJECT

private slots:
    void noticesAreWordedExactly_data();
    void noticesAreWordedExactly();
    void savedMessageSaysWhereTheFileIs();
    void outputFailuresSayWhichFileAndWhy();
    void continueQuestionSaysThatLinesWereEdited();
    void absentQuestionSaysWhatFollows();
    void prizeStatusCountsTheWaitingList();
    void unfinishedRunIsOfferedAtStartUp_data();
    void unfinishedRunIsOfferedAtStartUp();
};

void DrawMessagesTest::noticesAreWordedExactly_data() {
    QTest::addColumn<Notice>("notice");
    QTest::addColumn<bool>("programDirectory");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* name, Notice notice, const std::string& text,
                        bool programDirectory = true) {
        QTest::newRow(name) << notice << programDirectory << QString::fromStdString(text);
    };
    row("list missing beside the program", NoticeKind::ListMissing, kMissing);
    // An installed copy names the folder where the list goes, in the system's form.
    row("list missing from the documents folder", NoticeKind::ListMissing,
        kMissing + "\n（文件夹：<" + QDir::tempPath().toStdString() + ">）", false);
    row("list unreadable", NoticeKind::ListUnreadable,
        "无法读取bonus.txt，请检查文件是否被其它程序占用或没有读取权限！");
    row("too few lines", NoticeKind::TooFewLines, "记录起码需要两条以上，请检查!");
    row("too many lines", NoticeKind::TooManyLines, "记录总数不要超过10000条！");
    row("a line too long", {NoticeKind::LineTooLong, 7},
        "bonus.txt第7行超过1000个字符，请检查文件内容！");
    row("more numbers than the pool", NoticeKind::NeededAboveMyNum,
        "抽取的人数不能多于候选人数！[随即函数]");
    row("too few candidates", NoticeKind::TooFewCandidates,
        "候选人数少于2人，不足以进行一次摇号！");
    row("round above the remainder", NoticeKind::RoundAboveRemaining,
        "抽取的人数不能多于候选人数！[开始]");
    row("round size not positive", NoticeKind::RoundNotPositive, "抽取的人数必须是正整数！[开始]");
    row("list shrunk", NoticeKind::ListShrunk,
        "bonus.txt的记录比初始化时少，本轮摇号已取消！请恢复该文件后再摇号。");
    row("lines shifted", NoticeKind::LinesShifted,
        "bonus.txt在初始化后插入或删除了记录，本轮摇号已取消！请恢复该文件后再摇号。");
    row("list differs from the record's", {NoticeKind::ListDiffers, 0, kRecord},
        "bonus.txt与上次摇号时的名单不同，无法继续上次的摇号。\n上次的记录保存在：" + kRecord);
    // A record that cannot be written says why in the program's words where the system has
    // none, and keeps the system's own beside them.
    const std::string onlyInTheBox = "\n本次摇号的结果只保存在结果框中，请及时保存。";
    const auto unwritten = [&](FailureKind kind, std::string detail) {
        return Notice::recordNotWritten({kind, kRecord, std::move(detail)});
    };
    row("record on a full disk", unwritten(FailureKind::DiskFull, "设备上没有空间"),
        "无法写入摇号记录：" + kRecord + "\n磁盘已满（设备上没有空间）" + onlyInTheBox);
    row("record on a read-only disk", unwritten(FailureKind::ReadOnly, "只读文件系统"),
        "无法写入摇号记录：" + kRecord + "\n磁盘或文件夹只能读取、不能写入（只读文件系统）" +
            onlyInTheBox);
    row("record not locked", unwritten(FailureKind::LockFailed, {}),
        "无法写入摇号记录：" + kRecord + "\n无法锁定记录文件" + onlyInTheBox);
    row("record not written, no reason given", unwritten(FailureKind::System, {}),
        "无法写入摇号记录：" + kRecord + onlyInTheBox);
    const std::string notContinued = "，无法继续上次的摇号。\n上次的记录保存在：" + kRecord;
    using kelvara::draw::RecordDamage;
    row("record damaged at a line", Notice::recordDamaged(RecordDamage::LineTwice, 9, kRecord),
        "上次的摇号记录第9行重复记录了已经抽中的人" + notContinued);
    row("record of another list", Notice::recordDamaged(RecordDamage::CountDiffers, 0, kRecord),
        "上次的摇号记录的名单条数与bonus.txt不符" + notContinued);
    row("run continued by another copy", {NoticeKind::RunContinuedElsewhere, 0, kRecord},
        "另一个摇号程序刚刚继续了上次的摇号，本程序不再继续，以免同一批人被抽两次。\n"
        "上次的记录保存在：" +
            kRecord);
    using kelvara::draw::PlanFault;
    row("plan with a prize twice", Notice::planRefused(PlanFault::NameTwice, 3, "一等奖"),
        "奖项.txt第3行的奖项“一等奖”与前面的重复！");
    row("plan without a count", Notice::planRefused(PlanFault::NoCount, 2, {}),
        "奖项.txt第2行缺少人数，请按“三等奖 20”的格式逐行填写奖项名称和人数！");
    const auto planShows = [](PlanFault fault, int line, char32_t character) {
        Notice notice = Notice::planRefused(fault, line, {});
        notice.character = character;
        return notice;
    };
    row("plan with a line break inside a line", planShows(PlanFault::ControlCharacter, 2, U'\n'),
        "奖项.txt第2行中间有另一种换行符（U+000A），后面的内容与这一行连成了一行，"
        "请删除这个换行后重新按回车换行！");
    row("plan with a line separator", planShows(PlanFault::ControlCharacter, 2, 0x2028),
        "奖项.txt第2行中间有另一种换行符（U+2028），后面的内容与这一行连成了一行，"
        "请删除这个换行后重新按回车换行！");
    row("plan with a TAB in a name", planShows(PlanFault::ControlCharacter, 4, U'\t'),
        "奖项.txt第4行的奖项名称中有制表符（Tab），请改用空格！");
    row("plan with a control character", planShows(PlanFault::ControlCharacter, 1, 0x1B),
        "奖项.txt第1行中有看不见的控制字符（U+001B），请删除这一行后重新输入！");
    row("plan with a zero-width space", planShows(PlanFault::InvisibleCharacter, 3, 0x200B),
        "奖项.txt第3行中有看不见或形似空格的特殊字符（U+200B），请删除这一行后重新输入！");
    row("plan with a tag character", planShows(PlanFault::InvisibleCharacter, 1, 0xE0041),
        "奖项.txt第1行中有看不见或形似空格的特殊字符（U+E0041），请删除这一行后重新输入！");
    row("plan with an undecodable byte", planShows(PlanFault::InvalidCharacter, 2, 0xFFFD),
        "奖项.txt第2行中有无法识别的字符（乱码），请删除这一行后重新输入！");
    const auto planCounts = [](int line, std::string written) {
        Notice notice = Notice::planRefused(PlanFault::ThousandsSeparator, line, {});
        notice.written = std::move(written);
        return notice;
    };
    row("plan with a thousands comma", planCounts(3, "1,500"),
        "奖项.txt第3行的人数“1,500”中有千位分隔符，请写成1500！");
    row("plan with full-width thousands commas", planCounts(1, "1，000，000"),
        "奖项.txt第1行的人数“1，000，000”中有千位分隔符，请写成1000000！");
    Notice spaced = Notice::planRefused(PlanFault::SpaceRun, 5, {});
    spaced.count = 200;
    row("plan with a long run of spaces", spaced,
        "奖项.txt第5行有一长串连续的空格（200个），请删去多余的空格！");
    using kelvara::draw::MarkOutcome;
    row("mark of a replaced winner", Notice::markRefused(MarkOutcome::AlreadyReplaced, 3, "张三"),
        "已经为[3] 张三补抽过，弃奖标记不能撤销。");
    row("mark while rolling", Notice::markRefused(MarkOutcome::WhileRolling, 3, "张三"),
        "正在摇号，请在本轮结束后再标记弃奖！");
    row("round above the prize", Notice::roundAbovePrize("三等奖", 12),
        "本轮抽取的人数不能多于“三等奖”剩下的12人！");
    row("plan of another run", {NoticeKind::PrizePlanDiffers, 0, kRecord},
        "奖项.txt与上次摇号时的奖项不同" + notContinued);

    // A workbook list is named as such; its lines are counted as people, not rows.
    const auto workbook = [](Notice notice, WorkbookFault fault = WorkbookFault::None) {
        notice.list = "bonus.xlsx";
        notice.workbookFault = fault;
        return notice;
    };
    row("both lists", NoticeKind::TwoLists,
        "同时有bonus.txt和bonus.xlsx两个名单，请只保留要抽奖的那一个！");
    row("workbook line too long", workbook({NoticeKind::LineTooLong, 7}),
        "bonus.xlsx中第7个人超过1000个字符，请检查文件内容！");
    row("workbook shrunk", workbook(NoticeKind::ListShrunk),
        "bonus.xlsx的记录比初始化时少，本轮摇号已取消！请恢复该文件后再摇号。");
    const std::pair<WorkbookFault, std::string> refusals[] = {
        {WorkbookFault::NotAWorkbook,
         "不是Excel工作簿（.xlsx），请在Excel中用“另存为”保存为“Excel工作簿”！"},
        {WorkbookFault::OldFormat,
         "是旧版Excel文件（.xls），请在Excel中用“另存为”保存为“Excel工作簿（*.xlsx）”！"},
        {WorkbookFault::Encrypted, "设置了打开密码，请在Excel中取消密码后再保存！"},
        {WorkbookFault::NoWorksheet, "中没有工作表，请把名单放在第一个工作表中！"},
        {WorkbookFault::TooLarge, "太大，不是名单（名单最多10000人），请检查文件内容！"},
        {WorkbookFault::Damaged, "已损坏，无法读取，请在Excel中打开并重新保存！"},
    };
    for (const auto& [fault, text] : refusals) {
        QTest::newRow(("workbook refused: " + text).c_str())
            << workbook(NoticeKind::WorkbookRefused, fault) << true
            << QString::fromStdString("bonus.xlsx" + text);
    }
}

// Each a box with only OK, no icon and the program's title.
void DrawMessagesTest::noticesAreWordedExactly() {
    QFETCH(Notice, notice);
    QFETCH(bool, programDirectory);
    QFETCH(QString, text);
    FakeServices services(QDir::tempPath().toStdString());
    services.directoryIsProgramDirectory = programDirectory;
    kelvara::testing::MainWindow program(services);
    FrmMain& window = program.window;
    window.tell(notice);
    QCOMPARE(services.messages.size(), 1U);
    QCOMPARE(QString::fromStdString(services.messages[0].text), text);
    QCOMPARE(services.messages[0].buttons, Buttons::Ok);
    QVERIFY(services.messages[0].title.empty());
}

// A copy beside its files keeps its words; an installed copy names its documents folder.
void DrawMessagesTest::savedMessageSaysWhereTheFileIs() {
    FakeServices services(QDir::tempPath().toStdString());
    QCOMPARE(kelvara::ui::wording::saved(services),
             std::string("已经保存到摇号软件目录下！文件名叫摇号结果.txt和摇号结果.xlsx"));
    services.directoryIsProgramDirectory = false;
    QCOMPARE(kelvara::ui::wording::saved(services), "已经保存到<" + QDir::tempPath().toStdString() +
                                                        ">！文件名叫摇号结果.txt和摇号结果.xlsx");
}

// Save names the file and why; Print says why the print operation refused.
void DrawMessagesTest::outputFailuresSayWhichFileAndWhy() {
    FakeServices services(QDir::tempPath().toStdString());
    const struct {
        Failure failure;
        std::string text;
    } rows[] = {
        {{FailureKind::DiskFull, "d/摇号结果.xlsx", "设备上没有空间"},
         "保存失败！无法写入文件：<d/摇号结果.xlsx>\n磁盘已满（设备上没有空间）"},
        {{FailureKind::System, "d/摇号结果.txt", "是一个目录"},
         "保存失败！无法写入文件：<d/摇号结果.txt>\n是一个目录"},
        {{FailureKind::NoScratch, "d/.kelvara-1", {}},
         "保存失败！无法写入文件：<d/.kelvara-1>\n无法使用临时文件夹 d/.kelvara-1"},
        {{FailureKind::PrintRefused, "d/摇号结果.txt", "lp: Error - No default destination."},
         "打印失败：lp: Error - No default destination."},
        {{FailureKind::PrintNotRun, "d/摇号结果.txt", "没有那个文件或目录", "lp"},
         "打印失败：lp：没有那个文件或目录"},
        {{FailureKind::PrintExitCode, "d/摇号结果.txt", {}, "lp", 3},
         "打印失败：lp 返回错误代码 3"},
    };
    for (const auto& row : rows) {
        QCOMPARE(kelvara::ui::wording::outputFailed(row.failure, services), row.text);
    }
}

void DrawMessagesTest::continueQuestionSaysThatLinesWereEdited() {
    kelvara::draw::ContinueOffer offer;
    offer.run.winners.resize(6);
    offer.run.lastRoundTime = {2026, 12, 7, 19, 31, 12};
    offer.editedLines = 2;
    QCOMPARE(kelvara::ui::wording::continueQuestion(offer),
             std::string("上次摇号没有正常结束，已抽出6人（最后一轮：2026-12-07 19:31:12）。\n"
                         "bonus.txt自上次摇号以来有2行在原处被修改（没有插入或删除行），"
                         "将按修改后的名单继续。\n是否继续上次的摇号？"));
}

// An ordinary prize is drawn again for an absent winner; in a procedure the first waiting
// person moves up at once into the place, and a waiting person who withdraws leaves the list.
void DrawMessagesTest::absentQuestionSaysWhatFollows() {
    using kelvara::draw::Results;
    Results plain;
    plain.addRound({{1, {5, "张三"}, 0, {}}});
    Results prizes;
    prizes.setPrizes({{"三等奖", 2}});
    prizes.addRound({{1, {5, "张三"}, 0, {}}}, 1);
    const Results procedure = kelvara::testing::procedureResults(false);
    // A line without places: its winners move up into the place alone.
    Results noPlaces;
    noPlaces.setPrizes({{"入选", 1}, {"候补", 0, true}});
    noPlaces.setCapacities({1, 3});
    kelvara::draw::ResultEntry admitted{1, {5, "张三"}, 0, {}};
    admitted.rank = 1;
    noPlaces.addRound({admitted}, 1);
    const struct {
        const char* name;
        const Results& results;
        int number;
        std::string text;
    } rows[] = {
        {"no plan", plain, 1,
         "确定[1] 张三不在场、弃奖吗？\n其名字保留并标上“（弃奖）”，不再参加抽奖；"
         "下一轮将为其补抽。"},
        {"a prize", prizes, 1,
         "确定[1] 张三（三等奖）不在场、弃奖吗？\n其名字保留并标上“（弃奖）”，不再参加抽奖；"
         "下一轮三等奖将为其补抽一人。"},
        {"a procedure's place", procedure, 1,
         "确定[1] 户11（A组，顺序1）不在场、弃奖吗？\n其名字保留并标上“（弃奖）”；"
         "候补名单中排在最前的人将立即递补其名额和房源。"},
        {"a procedure without places", noPlaces, 1,
         "确定[1] 张三（入选，顺序1）不在场、弃奖吗？\n其名字保留并标上“（弃奖）”；"
         "候补名单中排在最前的人将立即递补其名额。"},
        {"a waiting person", procedure, 3,
         "确定[3] 户13（A组候补，候补1）不在场、放弃候补吗？\n"
         "其名字保留并标上“（弃奖）”，不再递补。"},
        {"a waiting person's mark taken back", procedure, 4,
         "撤销[4] 户14（A组候补，候补2）的弃奖标记吗？\n其回到候补名单中原来的位置。"},
    };
    for (const auto& row : rows) {
        const kelvara::draw::ResultEntry* entry = row.results.entry(row.number);
        QVERIFY2(entry != nullptr, row.name);
        QCOMPARE(kelvara::ui::wording::absentQuestion(row.results, *entry), row.text);
    }
}

// A "全部" line's status counts who is still to list on the waiting list, once its order is
// known; other lines count their places.
void DrawMessagesTest::prizeStatusCountsTheWaitingList() {
    using kelvara::draw::Results;
    using kelvara::ui::wording::prizeStatus;
    Results procedure = kelvara::testing::procedureResults(false);
    QCOMPARE(prizeStatus(procedure, 1), u"A组 已抽完"_s);
    QCOMPARE(prizeStatus(procedure, 2), u"A组候补 候补名单已全部列出"_s);
    procedure.setCapacities({3, 5});
    QCOMPARE(prizeStatus(procedure, 1), u"A组 还剩1人"_s);
    QCOMPARE(prizeStatus(procedure, 2), u"A组候补 候补名单还剩3人"_s);
    Results unordered;
    unordered.setPrizes(procedure.prizes());
    QCOMPARE(prizeStatus(unordered, 2), u"A组候补 候补名单"_s);
}

void DrawMessagesTest::unfinishedRunIsOfferedAtStartUp_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("foreignHost");
    QTest::newRow("continued") << true << QString();
    QTest::newRow("declined") << false << QString();
    QTest::newRow("locked by another computer, continued") << true << QStringLiteral("财务室");
}

// A run of five killed after a round of two: once the window shows, the operator is asked;
// Yes brings the round back as it was listed, No starts afresh and marks the record.
void DrawMessagesTest::unfinishedRunIsOfferedAtStartUp() {
    QFETCH(bool, yes);
    QFETCH(QString, foreignHost);
    QTemporaryDir dir;
    const std::string list = dir.filePath(QStringLiteral("bonus.txt")).toStdString();
    {
        QFile file(QString::fromStdString(list));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("甲\r\n乙\r\n丙\r\n丁\r\n戊\r\n");
    }
    FakeServices services(dir.path().toStdString());
    services.recordStore.files[kRecord].text =
        "Kelvara V1.0.0 摇号记录\r\n名单：bonus.txt，共5条，SHA-256 " +
        FakeServices::digestOf(list) +
        "\r\n初始化：2026-12-07 19:30:05\r\n第1轮：2026-12-07 19:31:12，2人\r\n"
        "[1]:\t第5行\t戊\r\n[2]:\t第2行\t乙\r\n";
    services.recordStore.files[kRecord].foreignHost = foreignHost.toStdString();
    services.answers = {yes ? Answer::Yes : Answer::No};
    kelvara::testing::MainWindow program(services);
    FrmMain& window = program.window;
    window.show();
    QTRY_COMPARE(services.messages.size(), 1U);
    const std::string warning = foreignHost.isEmpty()
                                    ? std::string()
                                    : "\n这次摇号的记录被另一台电脑（" + foreignHost.toStdString() +
                                          "）锁定，那台电脑上的摇号程序可能仍在用它摇号。";
    QCOMPARE(services.messages[0].text,
             "上次摇号没有正常结束，已抽出2人（最后一轮：2026-12-07 19:31:12）。" + warning +
                 "\n是否继续上次的摇号？");
    QCOMPARE(services.messages[0].title, std::string("继续摇号"));
    QCOMPARE(services.messages[0].buttons, Buttons::YesNo);

    const auto* roll = findControl<kelvara::ui::RollLabel>(window, "Lbl_Roll");
    const auto* init = findControl<QPushButton>(window, "Cmd_Init");
    if (yes) {
        QCOMPARE(window.resultsText(), std::string("摇号结果\r\n\r\n[1]:\t戊\r\n[2]:\t乙"));
        QCOMPARE(roll->text(), QStringLiteral("已恢复2人，剩余3人"));
        QVERIFY(!init->isEnabled());
        QVERIFY(services.recordStore.files[kRecord].text.ends_with(
            "\r\n继续：2026-12-07 19:30:05，恢复2人\r\n"));
    } else {
        QCOMPARE(window.resultsText(), std::string("摇号结果\r\n"));
        QCOMPARE(roll->text(), QStringLiteral("摇号"));
        QVERIFY(init->isEnabled());
        QVERIFY(services.recordStore.files[kRecord].text.ends_with(
            "\r\n未继续：2026-12-07 19:30:05\r\n"));
    }
}

QTEST_MAIN(DrawMessagesTest)
#include "draw_messages_test.moc"
