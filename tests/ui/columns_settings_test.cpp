// The list's columns as the operator chooses them: the dialog, the settings file that keeps
// the choice in the data folder, and a window that starts with it.
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>

#include <QtTest>
#include <string>

#include "fakes/fake_services.h"
#include "ui/main/columns_dialog.h"
#include "ui/main/draw_wording.h"
#include "ui/main/settings_file.h"
#include "ui/main_window_session.h"

using kelvara::draw::Column;
using kelvara::draw::Mask;
using kelvara::testing::FakeServices;
using kelvara::testing::MainWindow;
using kelvara::ui::ColumnsDialog;
using kelvara::ui::SettingsFile;

Q_DECLARE_METATYPE(SettingsFile::Loaded)

namespace {

// Through Qt, so that a Chinese name is that name on Windows too.
void writeFile(const QTemporaryDir& dir, const char* name, const std::string& bytes) {
    QFile file(dir.filePath(QString::fromUtf8(name)));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

const std::string kSettingsName = kelvara::ui::kSettingsFileName;

} // namespace

class ColumnsSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void settingsFileLeavesDamagedOrForeignFilesAside_data();
    void settingsFileLeavesDamagedOrForeignFilesAside();
    void dialogGivesWhatTheOperatorChose();
    void keptChoiceShowsFromTheFirstRound();
};

void ColumnsSettingsTest::settingsFileLeavesDamagedOrForeignFilesAside_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<SettingsFile::Loaded>("loaded");
    using Loaded = SettingsFile::Loaded;
    QTest::newRow("ours") << QByteArray(R"({"格式": "Kelvara 设置 1", "地点": "礼堂"})")
                          << Loaded::Read;
    QTest::newRow("not JSON") << QByteArray("活动名称=年会") << Loaded::Damaged;
    QTest::newRow("cut off") << QByteArray(R"({"格式": "Kelvara 设置 1", "地)") << Loaded::Damaged;
    QTest::newRow("another program's JSON") << QByteArray(R"({"地点": "礼堂"})") << Loaded::Damaged;
    QTest::newRow("an array") << QByteArray("[1, 2]") << Loaded::Damaged;
    QTest::newRow("larger than any settings")
        << QByteArray(2 * 1024 * 1024, ' ') << Loaded::Damaged;
}

void ColumnsSettingsTest::settingsFileLeavesDamagedOrForeignFilesAside() {
    QFETCH(QByteArray, bytes);
    QFETCH(SettingsFile::Loaded, loaded);
    QTemporaryDir dir;
    FakeServices services(dir.path().toStdString());
    const std::string path = dir.filePath(QString::fromStdString(kSettingsName)).toStdString();
    writeFile(dir, kSettingsName.c_str(), bytes.toStdString());

    SettingsFile settings(services, services, path);
    QCOMPARE(settings.load(), loaded);
    QCOMPARE(settings.value(QStringLiteral("地点")).toString(),
             loaded == SettingsFile::Loaded::Read ? QStringLiteral("礼堂") : QString());
    // The next change replaces a damaged file with one that reads back.
    QVERIFY(settings.setValue(QStringLiteral("活动名称"), QStringLiteral("年会")));
    SettingsFile again(services, services, path);
    QCOMPARE(again.load(), SettingsFile::Loaded::Read);
    QCOMPARE(again.value(QStringLiteral("活动名称")).toString(), QStringLiteral("年会"));
}

// What the table and fields hold when the dialog closes, and the same through the file.
void ColumnsSettingsTest::dialogGivesWhatTheOperatorChose() {
    std::vector<Column> columns(2);
    columns[0].title = "姓名";
    columns[1].title = "手机";
    columns[1].mask = Mask::Phone;
    ColumnsDialog dialog(columns, {QStringLiteral(" 年会 "), QString()}, nullptr);
    auto* table = dialog.findChild<QTableWidget*>();
    QVERIFY(table != nullptr);
    table->item(1, 1)->setCheckState(Qt::Unchecked); // the phone off the rolling label
    qobject_cast<QComboBox*>(table->cellWidget(0, 5))->setCurrentIndex(1); // 遮盖姓名
    qobject_cast<QComboBox*>(table->cellWidget(1, 5))->setCurrentIndex(0); // 不遮盖

    std::vector<Column> chosen = columns;
    chosen[0].mask = Mask::Name;
    chosen[1].mask = Mask::None;
    chosen[1].shown = {false, true, true, true};
    QCOMPARE(dialog.columns(), chosen);
    QCOMPARE(dialog.event().title, QStringLiteral("年会"));

    QJsonArray kept = kelvara::ui::columnsToJson(chosen);
    QCOMPARE(kelvara::ui::columnsFromJson(kept), chosen);
    // A column without a title, or a mask the program does not know, is not taken as given.
    kept.append(QJsonObject{{QStringLiteral("显示"), QJsonArray{QStringLiteral("滚动")}}});
    QJsonObject odd = kept[1].toObject();
    odd.insert(QStringLiteral("遮盖"), QStringLiteral("全部"));
    kept[1] = odd;
    chosen[1].mask = Mask::None;
    QCOMPARE(kelvara::ui::columnsFromJson(kept), chosen);
}

// A choice kept in the data folder (the phone hidden in the results box, shown unmasked in
// the files, where the row is then its line) is the window's from its first round; a damaged
// file is told once.
void ColumnsSettingsTest::keptChoiceShowsFromTheFirstRound() {
    QTemporaryDir dir;
    writeFile(dir, "bonus.txt", "姓名\t手机\r\n张三\t13812345678\r\n李四\t13900001111\r\n");
    writeFile(dir, kSettingsName.c_str(), R"({"格式": "Kelvara 设置 1", "列": [
        {"标题": "手机", "显示": ["滚动", "大屏", "文件"], "遮盖": "不遮盖"}]})");
    FakeServices services(dir.path().toStdString());
    MainWindow main(services);
    main.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&main.window));
    QTest::mouseClick(kelvara::testing::findControl<QWidget>(main.window, "Cmd_Init"),
                      Qt::LeftButton);
    auto* num = kelvara::testing::findControl<QLineEdit>(main.window, "Txt_Num");
    num->clear();
    QTest::keyClicks(num, QStringLiteral("2"));
    auto* start = kelvara::testing::findControl<QWidget>(main.window, "Cmd_Start");
    QTest::mouseClick(start, Qt::LeftButton);
    QTest::mouseClick(start, Qt::LeftButton);
    QTRY_VERIFY(main.window.resultsText().find("[2]:\t") != std::string::npos);
    const std::string& results = main.window.resultsText();
    QVERIFY(results.find("张三") != std::string::npos);
    QVERIFY(results.find("138") == std::string::npos);
    QVERIFY(!main.output.save(main.engine.results(), &main.engine.rowFormat()));
    QVERIFY(kelvara::testing::readFile(dir.filePath(QStringLiteral("摇号结果.txt")))
                .find("张三\t13812345678") != std::string::npos);
    QVERIFY(services.messages.empty());

    writeFile(dir, kSettingsName.c_str(), "{");
    MainWindow damaged(services);
    damaged.window.show();
    QTRY_COMPARE(services.messages.size(), std::size_t{1});
    QCOMPARE(services.messages.front().text, kelvara::ui::wording::settingsDamaged());
}

QTEST_MAIN(ColumnsSettingsTest)
#include "columns_settings_test.moc"
