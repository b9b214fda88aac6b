// The clinical check as a plain function over the default rules: every kind warns where it must, and an
// ordinary prescription stays silent.

#include "data/clinicalrules.h"
#include "safety/check.h"

#include <QtTest>

using namespace lichuan;
using namespace lichuan::safety;

namespace {

// "川乌[先煎] 3，半夏 9，细辛": herbs with their grams per dose (none when no number follows).
std::vector<Item> itemsOf(const QString& text) {
    std::vector<Item> items;
    for (const QString& part : text.split(QStringLiteral("，"), Qt::SkipEmptyParts)) {
        const QStringList words = part.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        items.push_back({words.value(0), words.size() > 1 ? words.at(1).toDouble() : -1});
    }
    return items;
}

// The texts of the warnings, a hard one marked with "!".
QStringList texts(const std::vector<Warning>& warnings) {
    QStringList list;
    for (const Warning& warning : warnings)
        list << (warning.hard ? QStringLiteral("!") : QString()) + warning.text();
    return list;
}

RuleSet defaultsWithout(const QStringList& switchedOff) {
    std::vector<clinical::Rule> rules = clinical::defaultRules();
    for (clinical::Rule& rule : rules) {
        if (switchedOff.contains(rule.key))
            rule.state = clinical::kSwitchedOff;
    }
    return RuleSet(rules);
}

const QString kOrdinary = QStringLiteral("黄芪 15，当归 10，白术[炒] 10，茯苓 12，党参 10，陈皮 6，甘草 6，"
                                         "白芍[炒] 10，熟地 12，山药 15");

} // namespace

class TestSafetyCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void warnings_data();
    void warnings();
    void ageInYears_data();
    void ageInYears();
    void aNotedRuleMatchesOnlyItsName();
    void aConfirmationCoversTheSameHardWarnings();
    void theStripGroupsAKind();
};

void TestSafetyCheck::warnings_data() {
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("age");
    QTest::addColumn<bool>("pregnant");
    QTest::addColumn<QStringList>("switchedOff");
    QTest::addColumn<QStringList>("expected");
    const QStringList none;
    auto row = [&](const char* name, const QString& items, const QString& sex, const QString& age,
                   bool pregnant, const QStringList& expected, const QStringList& off = {}) {
        QTest::newRow(name) << items << sex << age << pregnant << off << expected;
    };
    row("ordinary", kOrdinary, "男", "45", false, none);
    row("ordinary, a woman of 30", kOrdinary, "女", "30岁", false, none);
    row("十八反", "川乌[先煎] 3，半夏 9", "男", "40", false,
        {"!十八反：川乌—半夏", "有毒：川乌（大毒）", "有毒：半夏（有毒）"});
    row("十九畏", "丁香 3，郁金 10", "男", "40", false, {"!十九畏：丁香—郁金"});
    row("overdose", "细辛 10", "男", "40", false, {"超量：细辛 10g（药典 1～3g）", "有毒：细辛（小毒）"});
    row("written twice", "细辛 2，黄芪 10，细辛 2", "男", "40", false,
        {"超量：细辛 4g（药典 1～3g）", "有毒：细辛（小毒）"});
    row("no quantity", "细辛", "男", "40", false, {"有毒：细辛（小毒）"});
    row("at the largest dose", "细辛 3", "男", "40", false, {"有毒：细辛（小毒）"});
    row("a toxic herb above its dose is hard", "川乌 4", "男", "40", false,
        {"!超量：川乌 4g（药典 1.5～3g）", "有毒：川乌（大毒）"});
    row("a woman of 30", "莪术 6", "女", "30", false, {"孕妇禁用：莪术"});
    row("a woman of 30, 妊娠", "莪术 6", "女", "30", true, {"!孕妇禁用：莪术"});
    row("a woman whose age is not written", "莪术 6，红花 6", "女", "", false,
        {"孕妇禁用：莪术", "孕妇慎用：红花"});
    row("a man", "莪术 6", "男", "30", false, none);
    row("a girl of 8 months", "莪术 6", "女", "8个月", false, none);
    row("a woman of 60", "莪术 6", "女", "60", false, none);
    row("a woman of 60, 妊娠", "莪术 6", "女", "60", true, {"!孕妇禁用：莪术"});
    row("a switched-off pair", "川乌 3，半夏 9", "男", "40", false, {"有毒：半夏（有毒）"},
        {clinical::defaultKey(clinical::kEighteen, QStringLiteral("川乌"), QStringLiteral("半夏")),
         clinical::defaultKey(clinical::kToxic, QStringLiteral("川乌"))});
}

void TestSafetyCheck::warnings() {
    QFETCH(QString, items);
    QFETCH(QString, sex);
    QFETCH(QString, age);
    QFETCH(bool, pregnant);
    QFETCH(QStringList, switchedOff);
    QFETCH(QStringList, expected);
    const std::vector<Warning> found =
        check(itemsOf(items), {sex, age, pregnant}, defaultsWithout(switchedOff));
    QCOMPARE(texts(found), expected);
}

void TestSafetyCheck::ageInYears_data() {
    QTest::addColumn<QString>("age");
    QTest::addColumn<double>("years");
    QTest::newRow("plain") << QStringLiteral("35") << 35.0;
    QTest::newRow("岁") << QStringLiteral("35岁") << 35.0;
    QTest::newRow("岁半") << QStringLiteral("35岁半") << 35.0;
    QTest::newRow("months") << QStringLiteral("8个月") << 0.0;
    QTest::newRow("days") << QStringLiteral("20天") << 0.0;
    QTest::newRow("a year and months") << QStringLiteral("1岁2个月") << 1.0;
    QTest::newRow("nothing") << QString() << -1.0;
}

void TestSafetyCheck::ageInYears() {
    QFETCH(QString, age);
    QFETCH(double, years);
    QCOMPARE(safety::ageInYears(age), years);
}

void TestSafetyCheck::aNotedRuleMatchesOnlyItsName() {
    clinical::Rule raw;
    raw.kind = clinical::kDose;
    raw.herb = QStringLiteral("附子{生}");
    raw.maxGrams = QStringLiteral("1");
    const RuleSet rules({raw});
    const Patient man{QStringLiteral("男"), QStringLiteral("40"), false};
    QCOMPARE(check(itemsOf(QStringLiteral("附子[生] 3")), man, rules).size(), std::size_t(1));
    QCOMPARE(check(itemsOf(QStringLiteral("附子[制] 3，附子 3")), man, rules).size(), std::size_t(0));
}

void TestSafetyCheck::aConfirmationCoversTheSameHardWarnings() {
    const RuleSet rules(clinical::defaultRules());
    const Patient man{QStringLiteral("男"), QStringLiteral("40"), false};
    const auto confirmed = check(itemsOf(QStringLiteral("川乌 3，半夏 9，丁香 3，郁金 10")), man, rules);
    const QString text = hardWarningsText(confirmed);
    QCOMPARE(text, QStringLiteral("十八反：川乌—半夏\r\n十九畏：丁香—郁金"));
    QVERIFY(confirmationCovers(
        text, check(itemsOf(QStringLiteral("郁金 10，丁香 3，半夏 9，川乌 3")), man, rules)));
    QVERIFY(!confirmationCovers(text, check(itemsOf(QStringLiteral("川乌 3，半夏 9")), man, rules)));
    QVERIFY(!confirmationCovers(QString(), confirmed));
    QVERIFY(confirmationCovers(QString(), check(itemsOf(kOrdinary), man, rules)));
}

void TestSafetyCheck::theStripGroupsAKind() {
    const RuleSet rules(clinical::defaultRules());
    const auto found = check(itemsOf(QStringLiteral("红花 6，桃仁 9，莪术 6")),
                             {QStringLiteral("女"), QStringLiteral("30"), true}, rules);
    QCOMPARE(stripEntries(found),
             QStringList({QStringLiteral("孕妇禁用：莪术"), QStringLiteral("孕妇慎用：红花、桃仁"),
                          QStringLiteral("有毒：桃仁（小毒）")}));
}

QTEST_GUILESS_MAIN(TestSafetyCheck)
#include "test_safety_check.moc"
