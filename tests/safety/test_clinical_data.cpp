// The rules of the clinical checks and the confirmations in the database, on the files and on a server: the
// defaults of a new database, an older database brought up to date without losing a clinic's changes, the
// rules window's writes and the spreadsheet import, and the note stored with a prescription.

#include "data/clinicalrules.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "data/upgrade.h"
#include "safety/rulecache.h"
#include "testsupport.h"

#include <QtTest>

using namespace lichuan;
using clinical::Rule;

namespace {

const QDateTime kNow(QDate(2024, 3, 1), QTime(9, 0));

qint64 number(const Database& db, const QString& sql, const QString& value = QString()) {
    Statement select(db, sql);
    if (!value.isNull())
        select.bind(1, value);
    return select.next() ? select.integer(0) : -1;
}

std::optional<Rule> ruleOf(const Database& db, const QString& key) {
    for (const Rule& rule : clinical::readRules(db)) {
        if (rule.key == key)
            return rule;
    }
    return std::nullopt;
}

const QString kXixinDose = clinical::defaultKey(clinical::kDose, QStringLiteral("细辛"));
const QString kWuBanPair =
    clinical::defaultKey(clinical::kEighteen, QStringLiteral("川乌"), QStringLiteral("半夏"));
const QString kYimiPregnancy = clinical::defaultKey(clinical::kPregnancy, QStringLiteral("薏米"));
const QString kEzhuPregnancy = clinical::defaultKey(clinical::kPregnancy, QStringLiteral("莪术"));
const QString kDingYuPair =
    clinical::defaultKey(clinical::kNineteen, QStringLiteral("丁香"), QStringLiteral("郁金"));

SheetRecord sheetWithNote(const QString& key) {
    SheetRecord sheet;
    sheet.key = key;
    sheet.fields[kName] = QStringLiteral("李四");
    sheet.fields[kSex] = QStringLiteral("女");
    sheet.fields[kAge] = QStringLiteral("30");
    sheet.fields[kDate] = QStringLiteral("2024-03-01");
    sheet.items = QStringLiteral("川乌3g        半夏9g");
    sheet.clinical = {true, QStringLiteral("久痹，已告知风险"), QStringLiteral("十八反：川乌—半夏"),
                      QStringLiteral("2024-03-01 09:00:00"), QStringLiteral("诊室 t1")};
    return sheet;
}

} // namespace

class TestClinicalData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void aNewDatabaseHasTheDefaultRules();
    void noDefaultHerbIsPickedAboveItsLargestDose();
    void aClinicsChangesSurviveNewDefaults();
    void anOlderFileGetsTheRulesAndKeepsItsCatalog();
    void typedRules_data();
    void typedRules();
    void aDefaultRuleAsShippedAgainLosesItsMark();
    void anImportUpdatesAddsAndRefuses();
    void theRulesAreReadAgainWhenTheyChange();
    void theNoteGoesWithThePrescription();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Database> main_;
};

void TestClinicalData::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    main_ = test::createDatabase(dir_->filePath(QStringLiteral("数据库.dat")));
    QVERIFY(main_);
    schema::createMain(*main_);
    defaults::fillMain(*main_, kNow);
}

void TestClinicalData::cleanup() {
    main_.reset();
    dir_.reset();
}

void TestClinicalData::aNewDatabaseHasTheDefaultRules() {
    bool ok = false;
    const std::vector<Rule> rules = clinical::readRules(*main_, &ok);
    QVERIFY(ok);
    QCOMPARE(rules.size(), clinical::defaultRules().size());
    QCOMPARE(rules.size(), std::size_t(53 + 64 + 23 + 282));
    for (std::size_t i = 0; i < rules.size(); ++i) {
        QVERIFY(rules[i].sameContent(clinical::defaultRules()[i]));
        QVERIFY(rules[i].inForce() && !rules[i].changed && !rules[i].source.isEmpty());
        QVERIFY2(clinical::ruleProblem(rules[i]).isEmpty(), qPrintable(rules[i].key));
    }
    const std::optional<Rule> xixin = ruleOf(*main_, kXixinDose);
    QVERIFY(xixin);
    QCOMPARE(xixin->minGrams + u'|' + xixin->maxGrams, QStringLiteral("1|3"));
    QCOMPARE(number(*main_, QStringLiteral("select count(*) from [用药规则] where [来源] like '待核%'")), 9);
    QCOMPARE(main_->userVersion(), schema::kVersion);
}

void TestClinicalData::noDefaultHerbIsPickedAboveItsLargestDose() {
    Statement herbs(*main_, QStringLiteral("select [名称],[常用量] from [商品] where [分类] = '中药'"));
    int lowered = 0;
    while (herbs.next()) {
        const QString name = herbs.text(0);
        const double largest = clinical::defaultMaxGrams(name.left(name.indexOf(u'{')));
        const double usual = herbs.text(1).toDouble();
        QVERIFY2(largest < 0 || usual <= largest, qPrintable(name));
        lowered += usual < 10;
    }
    QCOMPARE(lowered, 66);
}

void TestClinicalData::aClinicsChangesSurviveNewDefaults() {
    // The clinic edits one default rule, switches one off, deletes one and adds its own.
    Rule xixin = *ruleOf(*main_, kXixinDose);
    xixin.maxGrams = QStringLiteral("4");
    QVERIFY(clinical::saveRule(*main_, xixin, kNow, QStringLiteral("t1")).ok);
    QVERIFY(clinical::switchRule(*main_, kWuBanPair, true));
    QVERIFY(clinical::deleteRule(*main_, kYimiPregnancy));
    Rule own;
    own.kind = clinical::kDose;
    own.herb = QStringLiteral("马钱子");
    own.minGrams = QStringLiteral("0.3");
    own.maxGrams = QStringLiteral("0.6");
    own.source = QStringLiteral("本院");
    const clinical::RuleWrite added = clinical::saveRule(*main_, own, kNow, QStringLiteral("t1"));
    QVERIFY2(added.ok, qPrintable(added.error));

    // As an earlier release left it: one default with older content, one default it did not have yet, one
    // it had and this release no longer ships.
    main_->exec(
        QStringLiteral("update [用药规则] set [等级] = '慎用' where [序号] = '%1'").arg(kEzhuPregnancy));
    main_->exec(QStringLiteral("delete from [用药规则] where [序号] = '%1'").arg(kDingYuPair));
    main_->exec(QStringLiteral("insert into [用药规则]([序号],[类别],[药物],[最大量],[来源],[状态],[修改]) "
                               "values('默认:剂量:旧药','剂量','旧药','5','旧','','')"));
    main_->setUserVersion(2);
    if (test::onServer()) {
        QVERIFY(upgradeDatabase(*main_));
    } else {
        main_.reset();
        main_ = test::openDatabase(dir_->filePath(QStringLiteral("数据库.dat")));
        QVERIFY(main_);
    }

    QCOMPARE(main_->userVersion(), schema::kVersion);
    QCOMPARE(ruleOf(*main_, kXixinDose)->maxGrams, QStringLiteral("4"));
    QVERIFY(ruleOf(*main_, kXixinDose)->changed);
    QCOMPARE(ruleOf(*main_, kWuBanPair)->state, clinical::kSwitchedOff);
    QCOMPARE(ruleOf(*main_, kYimiPregnancy)->state, clinical::kDeleted);
    QCOMPARE(ruleOf(*main_, added.key)->herb, QStringLiteral("马钱子"));
    QCOMPARE(ruleOf(*main_, kEzhuPregnancy)->level, QStringLiteral("禁用"));
    QVERIFY(ruleOf(*main_, kDingYuPair));
    QVERIFY(!ruleOf(*main_, QStringLiteral("默认:剂量:旧药")));
    QCOMPARE(clinical::readRules(*main_).size(), clinical::defaultRules().size() + 1);
}

void TestClinicalData::anOlderFileGetsTheRulesAndKeepsItsCatalog() {
    // A file of the first release, in the server run too: it is opened as a file.
    const QString path = dir_->filePath(QStringLiteral("earlier.dat"));
    QVERIFY(QFile::copy(QStringLiteral(LICHUAN_TEST_DATA "/old-main.dat"), path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    auto db = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
    QVERIFY(db);
    QCOMPARE(db->userVersion(), schema::kVersion);
    QCOMPARE(clinical::readRules(*db).size(), clinical::defaultRules().size());
    QVERIFY(db->hasTable(schema::kClinicalConfirmations));
    // The catalog stays as the clinic had it: no usual quantity is lowered in an older file.
    QCOMPARE(
        number(*db, QStringLiteral("select count(*) from [商品] where [分类] = '中药' and [常用量] <> '10'")),
        0);
    // A change of the new tables is counted like any other, for the other stations' copies.
    const qint64 before = db->tableStamp(schema::kClinicalRules);
    QVERIFY(clinical::switchRule(*db, kWuBanPair, true));
    QVERIFY(db->tableStamp(schema::kClinicalRules) != before);
}

void TestClinicalData::typedRules_data() {
    QTest::addColumn<QStringList>("fields"); // 类别 药物 药物2 等级 最小量 最大量
    QTest::addColumn<QString>("problem");
    auto row = [](const char* name, const QStringList& fields, const QString& problem) {
        QTest::newRow(name) << fields << problem;
    };
    row("a pair", {"十八反", "甘草", "海藻", "", "", ""}, QString());
    row("a dose", {"剂量", "黄芪", "", "", "9", "30"}, QString());
    row("a dose without its least", {"剂量", "黄芪", "", "", "", "30"}, QString());
    row("a pregnancy level", {"妊娠", "红花", "", "禁用", "", ""}, QString());
    row("an unknown kind", {"配伍", "甘草", "海藻", "", "", ""},
        QStringLiteral("类别应为十八反、十九畏、妊娠、毒性或剂量"));
    row("no herb", {"毒性", "", "", "大毒", "", ""}, QStringLiteral("没有药物名称"));
    row("a pair of one", {"十九畏", "丁香", "", "", "", ""}, QStringLiteral("十九畏需要两味药"));
    row("a pair of the same herb", {"十九畏", "丁香", "丁香", "", "", ""}, QStringLiteral("两味药相同"));
    row("a toxic level", {"毒性", "川乌", "", "剧毒", "", ""},
        QStringLiteral("毒性的等级应为大毒、有毒或小毒"));
    row("no largest dose", {"剂量", "黄芪", "", "", "9", ""}, QStringLiteral("最大量应为大于0的克数"));
    row("a dose in words", {"剂量", "黄芪", "", "", "", "三十"}, QStringLiteral("最大量应为大于0的克数"));
    row("the least above the largest", {"剂量", "黄芪", "", "", "40", "30"},
        QStringLiteral("最小量应为不大于最大量的克数"));
    row("doses of a pair", {"十八反", "甘草", "海藻", "", "", "3"},
        QStringLiteral("只有剂量规则有最小量和最大量"));
}

void TestClinicalData::typedRules() {
    QFETCH(QStringList, fields);
    QFETCH(QString, problem);
    Rule rule;
    rule.kind = fields.at(0);
    rule.herb = fields.at(1);
    rule.partner = fields.at(2);
    rule.level = fields.at(3);
    rule.minGrams = fields.at(4);
    rule.maxGrams = fields.at(5);
    const std::size_t before = clinical::readRules(*main_).size();
    const clinical::RuleWrite written = clinical::saveRule(*main_, rule, kNow, QStringLiteral("t1"));
    QCOMPARE(written.error, problem);
    QCOMPARE(written.ok, problem.isEmpty());
    QCOMPARE(clinical::readRules(*main_).size(), before + (problem.isEmpty() ? 1 : 0));
}

void TestClinicalData::aDefaultRuleAsShippedAgainLosesItsMark() {
    Rule xixin = *ruleOf(*main_, kXixinDose);
    xixin.maxGrams = QStringLiteral("5");
    QVERIFY(clinical::saveRule(*main_, xixin, kNow, QString()).ok);
    QVERIFY(ruleOf(*main_, kXixinDose)->changed);
    xixin.maxGrams = QStringLiteral("3");
    QVERIFY(clinical::saveRule(*main_, xixin, kNow, QString()).ok);
    QVERIFY(!ruleOf(*main_, kXixinDose)->changed);
    QVERIFY(clinical::switchRule(*main_, kXixinDose, true));
    QVERIFY(ruleOf(*main_, kXixinDose)->changed);
    QVERIFY(clinical::switchRule(*main_, kXixinDose, false));
    QVERIFY(!ruleOf(*main_, kXixinDose)->changed);
}

void TestClinicalData::anImportUpdatesAddsAndRefuses() {
    Rule xixin = *ruleOf(*main_, kXixinDose);
    xixin.source = QStringLiteral("《中国药典》2020年版一部 细辛【用法与用量】（本院药师已核）");
    Rule off = *ruleOf(*main_, kWuBanPair);
    off.state = clinical::kSwitchedOff;
    const Rule same = *ruleOf(*main_, kEzhuPregnancy);
    Rule fresh;
    fresh.kind = clinical::kToxic;
    fresh.herb = QStringLiteral("马钱子");
    fresh.level = QStringLiteral("大毒");
    Rule bad = fresh;
    bad.level = QStringLiteral("剧毒");
    Rule unknownDefault = fresh;
    unknownDefault.key = QStringLiteral("默认:毒性:没有的药");
    const clinical::RuleImport imported =
        clinical::importRules(*main_, {xixin, off, same, fresh, bad, unknownDefault}, {2, 3, 4, 5, 6, 7},
                              kNow, QStringLiteral("t1"));
    QVERIFY2(imported.ok, qPrintable(imported.error));
    QCOMPARE(imported.changed, 2);
    QCOMPARE(imported.unchanged, 1);
    QCOMPARE(imported.added, 1);
    QCOMPARE(imported.refused, QStringList({QStringLiteral("第6行：毒性的等级应为大毒、有毒或小毒"),
                                            QStringLiteral("第7行：没有这条默认规则")}));
    QVERIFY(ruleOf(*main_, kXixinDose)->source.endsWith(QStringLiteral("（本院药师已核）")));
    QVERIFY(ruleOf(*main_, kXixinDose)->changed);
    QCOMPARE(ruleOf(*main_, kWuBanPair)->state, clinical::kSwitchedOff);
    QCOMPARE(clinical::readRules(*main_).size(), clinical::defaultRules().size() + 1);
}

void TestClinicalData::theRulesAreReadAgainWhenTheyChange() {
    const auto before = safety::currentRules(*main_);
    QCOMPARE(before->rules().size(), clinical::defaultRules().size());
    QCOMPARE(safety::currentRules(*main_), before); // nothing changed: the same copy
    auto other = test::openDatabase(dir_->filePath(QStringLiteral("数据库.dat")));
    QVERIFY(other);
    QVERIFY(clinical::switchRule(*other, kWuBanPair, true)); // at another station
    QTRY_COMPARE(safety::currentRules(*main_)->rules().size(), clinical::defaultRules().size() - 1);
}

void TestClinicalData::theNoteGoesWithThePrescription() {
    auto stats = test::createDatabase(dir_->filePath(QStringLiteral("用药统计.dat")));
    QVERIFY(stats);
    schema::createStatistics(*stats);
    const QString key = QStringLiteral("20240301090000t1");
    const QString other = QStringLiteral("20240301090001t1");
    SheetRecord sheet = sheetWithNote(key);
    QVERIFY(savePrescription(*main_, sheet, true, kNow.date()).saved);
    QCOMPARE(loadPrescription(*main_, key)->clinical, sheet.clinical);
    // Saved again: kept, once.
    QVERIFY(savePrescription(*main_, sheet, false, kNow.date()).saved);
    QCOMPARE(loadPrescription(*main_, key)->clinical, sheet.clinical);
    QCOMPARE(number(*main_, QStringLiteral("select count(*) from [用药确认]")), 1);
    // A new sheet whose key another prescription holds takes the next free key, and its note with it.
    SheetRecord second = sheetWithNote(key);
    second.clinical.reason = QStringLiteral("另一张");
    const SaveOutcome moved = savePrescription(*main_, second, true, kNow.date());
    QCOMPARE(moved.key, other);
    QCOMPARE(loadPrescription(*main_, other)->clinical.reason, QStringLiteral("另一张"));
    QCOMPARE(loadPrescription(*main_, key)->clinical.reason, sheet.clinical.reason);
    // Nothing to keep: no row.
    sheet.clinical = ClinicalNote();
    QVERIFY(savePrescription(*main_, sheet, false, kNow.date()).saved);
    QVERIFY(loadPrescription(*main_, key)->clinical.isEmpty());
    QCOMPARE(number(*main_, QStringLiteral("select count(*) from [用药确认] where [序号] = ?"), key), 0);
    // Deleted with its prescription.
    QVERIFY(deletePrescription(*main_, stats.get(), other));
    QCOMPARE(number(*main_, QStringLiteral("select count(*) from [用药确认]")), 0);
}

QTEST_GUILESS_MAIN(TestClinicalData)
#include "test_clinical_data.moc"
