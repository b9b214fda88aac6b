// Rules of the search panel and the header fields, without a window.

#include "data/catalog.h"
#include "data/lookups.h"
#include "prescription/headerrules.h"
#include "prescription/lookuprules.h"

#include <QtTest>

using namespace lichuan;

namespace {

CatalogItem item(const QString& name, const QString& qty, const QString& unit, const QString& usage = {}) {
    CatalogItem i;
    i.name = name;
    i.usualQty = qty;
    i.unit = unit;
    i.usage = usage;
    return i;
}

PatientRow patient(const QString& name, const QString& birthYear) {
    PatientRow row;
    row.name = name;
    row.birthYear = birthYear;
    return row;
}

const QString kCrLf2 = QStringLiteral("\r\n\r\n");

} // namespace

class TestLookupRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void catalogEntriesShowNotesInBracketsAndTheUsualDose();
    void twinAndStartUpEntriesCarryTheUsage();
    void herbPicksFillA13ColumnCellWithoutTheSpaceAfterANote();
    void westernPicksAddAUsageLineOnlyWhenThereIsAUsage();
    void chargeAndUsagePicks_data();
    void chargeAndUsagePicks();
    void letterPadTypesDigitsAndDeletesWholeCharacters();
    void categoriesAndTheirModes();
    void sexShortcutsAndClicks();
    void diagnosisSuggestionsFollowTheLastDiagnosis();
    void patientEntriesRoundTheAgeHalfToEven();
};

void TestLookupRules::catalogEntriesShowNotesInBracketsAndTheUsualDose() {
    QCOMPARE(catalogEntryText(item(QStringLiteral("石膏{先煎}"), QStringLiteral("10"), QStringLiteral("g"))),
             QStringLiteral("石膏[先煎] 10g"));
    QCOMPARE(catalogEntryText(item(QStringLiteral("阿莫西林胶囊{0.25g*24}"), QStringLiteral("1"),
                                   QStringLiteral("盒"), QStringLiteral("2粒 每日3次 口服"))),
             QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒"));
    // Only a dose of exactly "0" hides dose and unit.
    QCOMPARE(catalogEntryText(item(QStringLiteral("用法：静脉推注 每日1次"), QStringLiteral("0"), QString())),
             QStringLiteral("用法：静脉推注 每日1次"));
    QCOMPARE(catalogEntryText(item(QStringLiteral("冰片"), QStringLiteral("0.0"), QStringLiteral("g"))),
             QStringLiteral("冰片 0.0g"));
    QCOMPARE(catalogEntryText(item(QStringLiteral("冰片"), QStringLiteral(" 0"), QStringLiteral("g"))),
             QStringLiteral("冰片  0g"));
    QCOMPARE(shownName(QStringLiteral("a{b}{c}")), QStringLiteral("a[b][c]"));
}

void TestLookupRules::twinAndStartUpEntriesCarryTheUsage() {
    const CatalogItem withUsage = item(QStringLiteral("阿莫西林胶囊{0.25g*24}"), QStringLiteral("1"),
                                       QStringLiteral("盒"), QStringLiteral("2粒 每日3次 口服"));
    QCOMPARE(twinEntryText(withUsage), QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒\\2粒 每日3次 口服"));
    // A usage of spaces only counts as none in the twin, but the start-up list shows it.
    const CatalogItem blankUsage =
        item(QStringLiteral("石斛"), QStringLiteral("10"), QStringLiteral("g"), QStringLiteral("  "));
    QCOMPARE(twinEntryText(blankUsage), QStringLiteral("石斛 10g"));
    QCOMPARE(startupEntryText(blankUsage), QStringLiteral("石斛 10g\\  "));
    QCOMPARE(startupEntryText(item(QStringLiteral("石斛"), QStringLiteral("10"), QStringLiteral("g"))),
             QStringLiteral("石斛 10g"));
    // The start-up list shows the dose "0" too.
    QCOMPARE(startupEntryText(item(QStringLiteral("细辛{研}"), QStringLiteral("0"), QString())),
             QStringLiteral("细辛[研] 0"));
}

void TestLookupRules::herbPicksFillA13ColumnCellWithoutTheSpaceAfterANote() {
    QCOMPARE(herbPickText(QStringLiteral("石斛 10g")), QStringLiteral("石斛 10g     "));
    // 石膏[先煎] 10g is 14 columns: one filler space, then the space after the bracket goes.
    QCOMPARE(herbPickText(QStringLiteral("石膏[先煎] 10g")), QStringLiteral("石膏[先煎]10g "));
    // The cell is filled first, so removing the spaces after brackets makes it narrower.
    QCOMPARE(herbPickText(QStringLiteral("a] b] 1g")), QStringLiteral("a]b]1g     "));
}

void TestLookupRules::westernPicksAddAUsageLineOnlyWhenThereIsAUsage() {
    QCOMPARE(westernPickText(QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒\\2粒 每日3次 口服")),
             QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒\r\n    用法：2粒 每日3次 口服\r\n\r\n"));
    QCOMPARE(westernPickText(QStringLiteral("0.9%氯化钠注射液[250ml] 1瓶")),
             QStringLiteral("0.9%氯化钠注射液[250ml] 1瓶\r\n"));
}

void TestLookupRules::chargeAndUsagePicks_data() {
    QTest::addColumn<QString>("itemText");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    const QString fee = QStringLiteral("挂号费 1次");
    const QString usage = QStringLiteral("用法：静脉滴注 每日1次");
    QTest::newRow("empty") << QString() << fee << fee + "\r\n";
    QTest::newRow("spaces only") << QStringLiteral("  ") << fee << QStringLiteral("  ") + fee + "\r\n";
    QTest::newRow("a line break is not empty") << QStringLiteral("\r\n") << fee << kCrLf2 + fee + "\r\n";
    QTest::newRow("no break at the end") << QStringLiteral("a") << fee << "a" + kCrLf2 + fee + "\r\n";
    QTest::newRow("one break") << QStringLiteral("a\r\n") << fee << "a" + kCrLf2 + fee + "\r\n";
    QTest::newRow("two breaks") << QStringLiteral("a\r\n\r\n") << fee << "a\r\n" + kCrLf2 + fee + "\r\n";
    QTest::newRow("four breaks become three, once")
        << QStringLiteral("a\r\n\r\n\r\n\r\n") << fee << "a" + kCrLf2 + kCrLf2 + fee + "\r\n";
    QTest::newRow("usage after a drug")
        << QStringLiteral("a 1盒\r\n") << usage << "a 1盒\r\n    " + usage + kCrLf2;
    QTest::newRow("usage into an empty text") << QString() << usage << usage + "\r\n";
    QTest::newRow("a usage phrase without the word")
        << QStringLiteral("a") << QStringLiteral("水煎服") << "a" + kCrLf2 + QStringLiteral("水煎服\r\n");
}

void TestLookupRules::chargeAndUsagePicks() {
    QFETCH(QString, itemText);
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    QCOMPARE(chargeOrUsagePick(itemText, entry), expected);
}

void TestLookupRules::letterPadTypesDigitsAndDeletesWholeCharacters() {
    QCOMPARE(letterPadText(QString(), 4), QStringLiteral("5"));
    QCOMPARE(letterPadText(QStringLiteral("苏"), 6), QStringLiteral("苏7"));
    QCOMPARE(letterPadText(QStringLiteral("12"), 0), QStringLiteral("121"));
    QCOMPARE(letterPadText(QString(), kLetterPadBackspace), QString());
    QCOMPARE(letterPadText(QStringLiteral("苏子"), kLetterPadBackspace), QStringLiteral("苏"));
    const QString pair = QString::fromUcs4(U"a\U0002000B");
    QCOMPARE(letterPadText(pair, kLetterPadBackspace), QStringLiteral("a"));
    QCOMPARE(letterPadText(QStringLiteral("x"), 8), QStringLiteral("x"));
    QCOMPARE(letterPadText(QStringLiteral("x"), -1), QStringLiteral("x"));
}

void TestLookupRules::categoriesAndTheirModes() {
    QCOMPARE(categoryCaption(kHerbs), QStringLiteral("中药"));
    QCOMPARE(categoryCaption(kWesternTemplates), QStringLiteral("西成药组套"));
    QCOMPARE(categoryCaption(kHerbalFormulas), QStringLiteral("中药方剂"));
    QVERIFY(categoryCaption(6).isEmpty());
    for (int k = 0; k < kCategoryCount; ++k) {
        QCOMPARE(isHerbalCategory(k), k == 0 || k == 5);
        QCOMPARE(isWesternCategory(k), k == 1 || k == 4);
        QCOMPARE(isTemplateCategory(k), k >= 4);
    }
}

void TestLookupRules::sexShortcutsAndClicks() {
    QCOMPARE(sexShortcut(QStringLiteral("1")), QStringLiteral("男"));
    QCOMPARE(sexShortcut(QStringLiteral("2")), QStringLiteral("女"));
    QCOMPARE(sexShortcut(QStringLiteral("3")), QStringLiteral("3"));
    QCOMPARE(sexShortcut(QStringLiteral("12")), QStringLiteral("12"));
    QCOMPARE(sexAfterClick(QString()), QStringLiteral("男"));
    QCOMPARE(sexAfterClick(QStringLiteral("男")), QStringLiteral("女"));
    QCOMPARE(sexAfterClick(QStringLiteral("女")), QStringLiteral("男"));
    QCOMPARE(sexAfterClick(QStringLiteral("x")), QStringLiteral("男"));
}

void TestLookupRules::diagnosisSuggestionsFollowTheLastDiagnosis() {
    QCOMPARE(diagnosisKey(QStringLiteral("高血压病 2x")), QStringLiteral("2x"));
    QCOMPARE(diagnosisKey(QStringLiteral("  高血压病  ")), QString()); // after the last space: nothing
    QCOMPARE(diagnosisKey(QStringLiteral("高血压病")), QStringLiteral("高血压病"));
    QCOMPARE(diagnosisKey(QStringLiteral("高血压病\t")), QStringLiteral("高血压病\t")); // spaces only
    QCOMPARE(completeDiagnosis(QStringLiteral("高血压病 2x"), QStringLiteral("2型糖尿病")),
             QStringLiteral("高血压病 2型糖尿病"));
    QCOMPARE(completeDiagnosis(QStringLiteral("gxy"), QStringLiteral("高血压病")),
             QStringLiteral("高血压病"));
    QCOMPARE(completeDiagnosis(QStringLiteral("a b "), QStringLiteral("c")), QStringLiteral("a b c"));
}

void TestLookupRules::patientEntriesRoundTheAgeHalfToEven() {
    QCOMPARE(
        patientEntryText(patient(QStringLiteral("张三"), QStringLiteral("1989")), 2024).value_or(QString()),
        QStringLiteral("张三[35岁]"));
    QCOMPARE(patientAgeText(patient(QString(), QStringLiteral("1989.5")), 2024).value_or(QString()),
             QStringLiteral("34岁"));
    QCOMPARE(patientAgeText(patient(QString(), QStringLiteral("1988.5")), 2024).value_or(QString()),
             QStringLiteral("36岁"));
    QVERIFY(!patientEntryText(patient(QStringLiteral("李四"), QStringLiteral("abc")), 2024));
    QVERIFY(!namePromptsPatients(QStringLiteral("张")));
    QVERIFY(namePromptsPatients(QStringLiteral("张s")));
    QVERIFY(!namePromptsPatients(QString::fromUcs4(U"\U0002000B")));
}

QTEST_GUILESS_MAIN(TestLookupRules)
#include "test_lookup_rules.moc"
