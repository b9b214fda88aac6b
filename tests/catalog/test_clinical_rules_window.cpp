// "用药警示维护": the four tabs with their rules, the search by herb, add, edit, switch off and delete as the
// user does them, and the workbook a pharmacist reviews: exported and read back, and a reviewed one (made by
// a spreadsheet application) imported.

#include "catalog/clinicalrulesgrid.h"
#include "catalog/clinicalruleswindow.h"
#include "data/clinicalrules.h"
#include "data/clock.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "safety/check.h"
#include "safety/rulecache.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "spreadsheet/workbookreader.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace lichuan;
using catalog::RulesTab;

namespace {

struct Fixture {
    Fixture() : clock(QDateTime(QDate(2024, 3, 1), QTime(9, 30))) {
        state.DataFolder = dir.path();
        state.StationSuffix = QStringLiteral("t1");
        state.mainDb = Database::open(dir.filePath(QStringLiteral("数据库.dat")), databaseKey(),
                                      Database::OpenMode::CreateNew);
        schema::createMain(*state.mainDb);
        defaults::fillMain(*state.mainDb, clock.now());
        settings = std::make_unique<SettingsStore>(state.mainDb.get(), QStringLiteral("PDF"),
                                                   [] { return QStringLiteral("PDF"); });
        services =
            std::make_unique<Services>(Services{state, *settings, clock, messages, navigator, chooser});
        window = std::make_unique<ClinicalRulesWindow>(*services);
        window->show();
    }

    // The warnings the sheet's check gives now.
    QStringList warningsOf(const QString& herbs) const {
        std::vector<safety::Item> items;
        for (const QString& herb : herbs.split(QLatin1Char(' ')))
            items.push_back(
                {herb.section(QLatin1Char(':'), 0, 0), herb.section(QLatin1Char(':'), 1).toDouble()});
        QStringList texts;
        for (const safety::Warning& w :
             safety::check(items, {QStringLiteral("男"), QStringLiteral("40"), false},
                           *safety::currentRules(*state.mainDb)))
            texts << w.text();
        return texts;
    }

    void clickRow(int row) const {
        QTableView* view = window->table;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
    }

    QTemporaryDir dir;
    ProcessState state;
    FixedClock clock;
    RecordingMessages messages;
    Navigator navigator;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;
    test::ScriptedFileChooser chooser;
    test::ScriptedFileChooser* files = &chooser;
    std::unique_ptr<ClinicalRulesWindow> window;
};

} // namespace

class TestClinicalRulesWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tabsListTheirRules_data();
    void tabsListTheirRules();
    void aRuleIsAddedEditedSwitchedOffAndDeleted();
    void aRefusedRuleIsNamed();
    void theExportIsReadBack();
    void aReviewedWorkbookIsImported();
};

void TestClinicalRulesWindow::tabsListTheirRules_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("firstRow"); // the cells of the first row, "|" between them
    QTest::newRow("pairs") << 0 << QString() << 53 << QString();
    QTest::newRow("pregnancy") << 1 << QString() << 64 << QString();
    QTest::newRow("toxic") << 2 << QString() << 23 << QString();
    QTest::newRow("doses") << 3 << QString() << 282 << QString();
    QTest::newRow("pairs of 丁香")
        << 0 << QStringLiteral("丁香") << 1
        << QStringLiteral("十九畏|丁香|郁金|《医经小学》十九畏歌“丁香莫与郁金见”；《中国药典》2020年版一部 "
                          "丁香、郁金【注意】|已核|默认|");
    QTest::newRow("an unreviewed rule")
        << 2 << QStringLiteral("雷公藤") << 1
        << QStringLiteral("雷公藤|大毒|待核：药典2020一部未收载；《中药学》规划教材作有大毒|待核|默认|");
    QTest::newRow("the dose of 细辛")
        << 3 << QStringLiteral("细辛") << 1
        << QStringLiteral(
               "细辛|1|3|散剂每次服0.5～1g；外用适量|《中国药典》2020年版一部 细辛【用法与用量】|已核|默认|");
}

void TestClinicalRulesWindow::tabsListTheirRules() {
    QFETCH(int, tab);
    QFETCH(QString, search);
    QFETCH(int, rows);
    QFETCH(QString, firstRow);
    Fixture f;
    QTest::mouseClick(f.window->tabs, Qt::LeftButton, {}, f.window->tabs->tabRect(tab).center());
    QCOMPARE(int(f.window->currentTab()), tab);
    f.window->searchBox->setText(search);
    const catalog::ClinicalRulesModel& grid = f.window->grid();
    QCOMPARE(grid.rowCount(), rows);
    if (firstRow.isEmpty())
        return;
    QStringList cells;
    for (int c = 0; c < grid.columnCount(); ++c)
        cells << grid.data(grid.index(0, c)).toString();
    QCOMPARE(cells.join(QLatin1Char('|')), firstRow);
}

void TestClinicalRulesWindow::aRuleIsAddedEditedSwitchedOffAndDeleted() {
    Fixture f;
    ClinicalRulesWindow& w = *f.window;
    w.chooseTab(int(RulesTab::Dose));
    // Added: the clinic's own largest dose of 黄芪.
    QTest::mouseClick(w.addButton, Qt::LeftButton);
    w.herbBox->setText(QStringLiteral("马钱子"));
    w.minBox->setText(QStringLiteral("0.3"));
    w.maxBox->setText(QStringLiteral("0.6"));
    w.sourceBox->setText(QStringLiteral("本院规定"));
    QTest::mouseClick(w.saveButton, Qt::LeftButton);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'\n')));
    QCOMPARE(f.warningsOf(QStringLiteral("马钱子:1")),
             QStringList{QStringLiteral("超量：马钱子 1g（限量 0.3～0.6g）")});
    QCOMPARE(w.markLabel->text(), QStringLiteral("本院，已核"));

    // Edited: the default dose of 细辛 raised; the row is marked as the clinic's change.
    w.searchBox->setText(QStringLiteral("细辛"));
    f.clickRow(0);
    QCOMPARE(w.maxBox->text(), QStringLiteral("3"));
    w.maxBox->setText(QStringLiteral("6"));
    QTest::mouseClick(w.saveButton, Qt::LeftButton);
    QCOMPARE(w.markLabel->text(), QStringLiteral("默认(已改)，已核"));
    QCOMPARE(f.warningsOf(QStringLiteral("细辛:5")), QStringList{QStringLiteral("有毒：细辛（小毒）")});

    // Switched off: it stays, marked, and warns no more; switched on again it warns.
    w.chooseTab(int(RulesTab::Toxic));
    w.searchBox->setText(QStringLiteral("细辛"));
    f.clickRow(0);
    QTest::mouseClick(w.switchButton, Qt::LeftButton);
    QCOMPARE(w.grid().rowCount(), 1);
    QCOMPARE(w.grid().data(w.grid().index(0, w.grid().columnCount() - 1)).toString(), QStringLiteral("停用"));
    QCOMPARE(w.switchButton->text(), QStringLiteral("启  用"));
    QVERIFY(f.warningsOf(QStringLiteral("细辛:5")).isEmpty());
    QTest::mouseClick(w.switchButton, Qt::LeftButton);
    QCOMPARE(f.warningsOf(QStringLiteral("细辛:5")), QStringList{QStringLiteral("有毒：细辛（小毒）")});

    // Deleted after a Yes: gone from the list and from the checks.
    QTest::mouseClick(w.deleteButton, Qt::LeftButton);
    QCOMPARE(w.grid().rowCount(), 0);
    QVERIFY(f.warningsOf(QStringLiteral("细辛:5")).isEmpty());
}

void TestClinicalRulesWindow::aRefusedRuleIsNamed() {
    Fixture f;
    ClinicalRulesWindow& w = *f.window;
    w.chooseTab(int(RulesTab::Pairs));
    w.herbBox->setText(QStringLiteral("甘草"));
    QTest::mouseClick(w.saveButton, Qt::LeftButton);
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("没有保存：十八反需要两味药")});
    QCOMPARE(w.grid().rowCount(), 53);
}

void TestClinicalRulesWindow::theExportIsReadBack() {
    Fixture f;
    QVERIFY(clinical::switchRule(
        *f.state.mainDb,
        clinical::defaultKey(clinical::kEighteen, QStringLiteral("川乌"), QStringLiteral("半夏")), true));
    QVERIFY(clinical::deleteRule(*f.state.mainDb,
                                 clinical::defaultKey(clinical::kPregnancy, QStringLiteral("薏米"))));
    const QString path = f.dir.filePath(QStringLiteral("规则"));
    f.files->answers << path;
    QTest::mouseClick(f.window->exportButton, Qt::LeftButton);
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("文件导出成功！")});
    const spreadsheet::ReadResult read = spreadsheet::readFirstSheet(path + QStringLiteral(".xlsx"));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.rows.size(),
             qsizetype(1 + clinical::defaultRules().size() - 1)); // the deleted one is left out
    QStringList header;
    for (const spreadsheet::Cell& cell : read.rows.first())
        header << cell.toText();
    QCOMPARE(header, catalog::kRulesSheetHeader);
    const catalog::RulesSheet sheet = catalog::rulesFromSheet(read.rows);
    QVERIFY(sheet.error.isEmpty());
    QCOMPARE(sheet.rules.front().state, clinical::kSwitchedOff);
    const std::vector<clinical::Rule> stored = clinical::readRules(*f.state.mainDb);
    for (std::size_t i = 0; i < sheet.rules.size(); ++i) {
        const clinical::Rule& back = sheet.rules[i];
        const auto found = std::find_if(stored.begin(), stored.end(),
                                        [&](const clinical::Rule& r) { return r.key == back.key; });
        QVERIFY(found != stored.end());
        QVERIFY2(found->sameContent(back), qPrintable(back.key));
        QCOMPARE(found->state, back.state);
    }
    // Read back unchanged, an import changes nothing.
    f.files->answers << path + QStringLiteral(".xlsx");
    f.messages.shown.clear();
    QTest::mouseClick(f.window->importButton, Qt::LeftButton);
    QCOMPARE(f.messages.shown,
             QStringList{QStringLiteral("导入完成：新增0条，修改0条，未变%1条。").arg(sheet.rules.size())});
}

void TestClinicalRulesWindow::aReviewedWorkbookIsImported() {
    // A pharmacist's review, saved by a spreadsheet application: 细辛's source marked reviewed, 川乌—半夏
    // switched off, a rule of the clinic's own added, one row that cannot be a rule.
    Fixture f;
    f.files->answers << QStringLiteral(LICHUAN_TEST_DATA "/clinical-rules-reviewed.xlsx");
    QTest::mouseClick(f.window->importButton, Qt::LeftButton);
    QCOMPARE(f.messages.shown,
             QStringList{QStringLiteral("导入完成：新增1条，修改2条，未变1条。\n以下1行没有导入：\n"
                                        "第6行：最大量应为大于0的克数")});
    const std::vector<clinical::Rule> rules = clinical::readRules(*f.state.mainDb);
    auto rule = [&](const QString& key) {
        return *std::find_if(rules.begin(), rules.end(),
                             [&](const clinical::Rule& r) { return r.key == key; });
    };
    QCOMPARE(rule(clinical::defaultKey(clinical::kDose, QStringLiteral("细辛"))).source,
             QStringLiteral("《中国药典》2020年版一部 细辛【用法与用量】 本院药师2024-03核"));
    QCOMPARE(
        rule(clinical::defaultKey(clinical::kEighteen, QStringLiteral("川乌"), QStringLiteral("半夏"))).state,
        clinical::kSwitchedOff);
    QCOMPARE(f.warningsOf(QStringLiteral("马钱子:1")),
             QStringList{QStringLiteral("超量：马钱子 1g（限量 0.3～0.6g）")});
    QCOMPARE(f.window->grid().rowCount(), 53); // the list shows the imported rules
}

QTEST_MAIN(TestClinicalRulesWindow)
#include "test_clinical_rules_window.moc"
