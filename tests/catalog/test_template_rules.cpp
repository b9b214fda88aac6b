// What a template and a word look like when they are stored, and how the stored rows are written: ordering
// keys, the herbal layout of formulas, keys that never collide, literal characters, refusals.

#include "catalog/templaterules.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/templates.h"
#include "testsupport.h"

#include <QtTest>

using namespace lichuan;

namespace {

QString spaces(int n) {
    return QString(n, QLatin1Char(' '));
}

struct MainFile {
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    MainFile() {
        db = test::createDatabase(dir.filePath(QStringLiteral("数据库.dat")));
        schema::createMain(*db);
        defaults::fillMain(*db, QDateTime(QDate(2024, 3, 1), QTime(9, 30)));
    }
};

TemplateRow newTemplate(const QString& key, const QString& name, const QString& kind, const QString& order) {
    TemplateRow row;
    row.key = key;
    row.name = name;
    row.content = QStringLiteral("内容");
    row.kind = kind;
    row.order = order;
    return row;
}

QStringList names(const std::vector<WordRow>& rows) {
    QStringList list;
    for (const WordRow& row : rows)
        list << row.name;
    return list;
}

} // namespace

class TestTemplateRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void orderKeys();
    void contentByKind();
    void searchCodeFitsItsColumn();
    void saveUpdatesTheChosenRowAndNeverReusesAKey();
    void overlongValuesAreRefusedAndNamed();
    void wordListsSearchAndRefuseDuplicates();
    void quotesAndWildcardsAreCharacters();
};

void TestTemplateRules::orderKeys() {
    QCOMPARE(nextOrderKey(0), QStringLiteral("001"));
    QCOMPARE(nextOrderKey(3), QStringLiteral("004"));
    QCOMPARE(nextOrderKey(9), QStringLiteral("010"));
    QCOMPARE(nextOrderKey(998), QStringLiteral("999"));
    QCOMPARE(nextOrderKey(999), QStringLiteral("000")); // the key wraps from the thousandth row on
    QCOMPARE(nextOrderKey(1000), QStringLiteral("001"));
}

void TestTemplateRules::contentByKind() {
    // A formula: 克 → g, 、 → space, then the sheet's layout: two 13-column items on one line.
    QCOMPARE(contentForSave(kFormula, QStringLiteral("桂枝10克、白芍10克")),
             QStringLiteral("桂枝10g") + spaces(6) + QStringLiteral("白芍10g") + spaces(6));
    // Trailing blank lines go before the layout, so a stored formula laid out again stays as it is.
    const QString stored =
        contentForSave(kFormula, QStringLiteral("桂枝 9g 白芍 9g 甘草 6g 生姜 9g\r\n\r\n"));
    QCOMPARE(stored, QStringLiteral("桂枝 9g") + spaces(6) + QStringLiteral("白芍 9g") + spaces(6) +
                         QStringLiteral("甘草 6g") + spaces(6) + QStringLiteral("\r\n\r\n生姜 9g") +
                         spaces(6));
    QCOMPARE(contentForSave(kFormula, stored), stored);
    // A record phrase loses three trailing blank lines and its surrounding spaces, nothing inside.
    QCOMPARE(contentForSave(kRecordPhrase, QStringLiteral("  头痛三天，\r\n加重1天。 \r\n\r\n\r\n")),
             QStringLiteral("头痛三天，\r\n加重1天。"));
    // A medicine set is not laid out, and 克 stays.
    const QString set = QStringLiteral("阿莫西林胶囊[0.25g*24粒] 2盒\r\n    用法：每次0.5克");
    QCOMPARE(contentForSave(kWesternSet, set + QStringLiteral("\r\n")), set);
}

void TestTemplateRules::searchCodeFitsItsColumn() {
    QCOMPARE(templateSearchCode(QStringLiteral("桂枝汤"), QStringLiteral("gzt")),
             QStringLiteral("桂枝汤gzt275"));
    const QString longName(20, QChar(0x6C64)); // 20 × 汤
    const QString code = templateSearchCode(longName, QString(20, QLatin1Char('t')));
    QCOMPARE(code.size(), 50);
    QVERIFY(code.startsWith(longName + QString(20, QLatin1Char('t'))));
}

void TestTemplateRules::saveUpdatesTheChosenRowAndNeverReusesAKey() {
    MainFile f;
    const QString formula = QStringLiteral("中药方剂");
    const int before = countTemplatesOfKind(*f.db, formula);
    QCOMPARE(before, 4);

    // Two entries started in the same second: the second is stored under the next free second.
    const QString key = QStringLiteral("20240301100000");
    const TemplateSaveOutcome first =
        saveTemplate(*f.db, newTemplate(key, QStringLiteral("甲方"), formula, "005"));
    const TemplateSaveOutcome second =
        saveTemplate(*f.db, newTemplate(key, QStringLiteral("乙方"), formula, "006"));
    QVERIFY(first.saved && second.saved);
    QCOMPARE(first.key, key);
    QCOMPARE(second.key, QStringLiteral("20240301100001"));
    QVERIFY(first.rowid != second.rowid);
    // Another kind does not reuse it either: a key names one template.
    const TemplateSaveOutcome third =
        saveTemplate(*f.db, newTemplate(key, QStringLiteral("丙"), QStringLiteral("病历模板"), "007"));
    QCOMPARE(third.key, QStringLiteral("20240301100002"));

    // Saving the chosen row again updates it in place, key and all.
    TemplateRow edited = *loadTemplate(*f.db, first.rowid);
    edited.content = QStringLiteral("改过");
    edited.order = QStringLiteral("010");
    const TemplateSaveOutcome again = saveTemplate(*f.db, edited);
    QVERIFY(again.saved);
    QCOMPARE(again.rowid, first.rowid);
    QCOMPARE(again.key, key);
    QCOMPARE(countTemplatesOfKind(*f.db, formula), before + 2);
    QCOMPARE(loadTemplate(*f.db, first.rowid)->content, QStringLiteral("改过"));

    // 010 sorts behind 009 and every key below it.
    const std::vector<TemplateRow> rows = templatesOfKind(*f.db, formula);
    QCOMPARE(rows.back().name, QStringLiteral("甲方"));

    // A row deleted meanwhile is written anew rather than lost.
    QVERIFY(deleteTemplate(*f.db, first.rowid));
    QVERIFY(!loadTemplate(*f.db, first.rowid));
    const TemplateSaveOutcome revived = saveTemplate(*f.db, edited);
    QVERIFY(revived.saved);
    QVERIFY(revived.rowid != first.rowid);
    QCOMPARE(loadTemplate(*f.db, revived.rowid)->name, QStringLiteral("甲方"));
}

void TestTemplateRules::overlongValuesAreRefusedAndNamed() {
    MainFile f;
    const int before = countTemplatesOfKind(*f.db, QStringLiteral("中药方剂"));
    TemplateRow row = newTemplate(QStringLiteral("20240301100000"), QString(51, QChar(0x65B9)),
                                  QStringLiteral("中药方剂"), QStringLiteral("00000000001"));
    const TemplateSaveOutcome outcome = saveTemplate(*f.db, row);
    QVERIFY(!outcome.saved);
    QCOMPARE(outcome.tooLong, (QStringList{QStringLiteral("名称"), QStringLiteral("排序")}));
    QCOMPARE(templateSaveMessage(outcome),
             QStringLiteral("名称（最多50个字）、排序（最多10个字）太长，模板没有保存。"));
    QCOMPARE(countTemplatesOfKind(*f.db, QStringLiteral("中药方剂")), before);

    // A word whose key (name + pinyin) is longer than 50 characters.
    const QString address(26, QChar(0x6751)); // 26 × 村
    const WordSaveOutcome word = addWord(*f.db, schema::kAddress, address, QString(26, QLatin1Char('c')));
    QCOMPARE(word.result, WordSaveOutcome::TooLong);
    QCOMPARE(wordSaveMessage(addressList(), address, word),
             QStringLiteral("地址名称太长：地址名称与拼音代码合计最多50个字，没有保存。"));
    QCOMPARE(searchWordList(*f.db, schema::kAddress, QString()).size(), std::size_t(3));
}

void TestTemplateRules::wordListsSearchAndRefuseDuplicates() {
    MainFile f;
    const QString diagnoses = schema::kDiagnosis;
    // 高血压病 is among the default diagnoses: found by its initials and by part of its name.
    QCOMPARE(names(searchWordList(*f.db, diagnoses, QStringLiteral("gxy"))),
             QStringList{QStringLiteral("高血压病")});
    QCOMPARE(names(searchWordList(*f.db, diagnoses, QStringLiteral("血压"))),
             QStringList{QStringLiteral("高血压病")});
    QCOMPARE(searchWordList(*f.db, diagnoses, QString()).size(), std::size_t(7));

    // A second one is refused, whatever its pinyin; so is a key that differs in letter case only.
    WordSaveOutcome again = addWord(*f.db, diagnoses, QStringLiteral("高血压病"), QStringLiteral("gx"));
    QCOMPARE(again.result, WordSaveOutcome::Exists);
    QCOMPARE(wordSaveMessage(diagnosisList(), QStringLiteral("高血压病"), again),
             QStringLiteral("诊断名称“高血压病”已经存在，没有保存。"));
    QCOMPARE(addWord(*f.db, diagnoses, QStringLiteral("CT异常"), QStringLiteral("ctyc")).result,
             WordSaveOutcome::Stored);
    QCOMPARE(addWord(*f.db, diagnoses, QStringLiteral("ct异常"), QStringLiteral("CTYC")).result,
             WordSaveOutcome::Exists);
    QCOMPARE(searchWordList(*f.db, diagnoses, QString()).size(), std::size_t(8));

    // Addresses are unique by key only: the same name with other initials is a new row.
    QCOMPARE(addWord(*f.db, schema::kAddress, QStringLiteral("城关镇"), QStringLiteral("cgz")).result,
             WordSaveOutcome::Exists);
    QCOMPARE(addWord(*f.db, schema::kAddress, QStringLiteral("城关镇"), QStringLiteral("cg")).result,
             WordSaveOutcome::Stored);

    // A deleted row goes; the others keep their order.
    const std::vector<WordRow> all = searchWordList(*f.db, diagnoses, QString());
    QVERIFY(deleteWord(*f.db, diagnoses, all[1].rowid));
    QStringList expected = names(all);
    expected.removeAt(1);
    QCOMPARE(names(searchWordList(*f.db, diagnoses, QString())), expected);
}

void TestTemplateRules::quotesAndWildcardsAreCharacters() {
    MainFile f;
    const QString table = schema::kAddress;
    QCOMPARE(addWord(*f.db, table, QStringLiteral("O'Brien路"), QStringLiteral("obl")).result,
             WordSaveOutcome::Stored);
    QCOMPARE(addWord(*f.db, table, QStringLiteral("100%村_1"), QStringLiteral("100c1")).result,
             WordSaveOutcome::Stored);
    QCOMPARE(names(searchWordList(*f.db, table, QStringLiteral("'"))),
             QStringList{QStringLiteral("O'Brien路")});
    QCOMPARE(names(searchWordList(*f.db, table, QStringLiteral("%"))),
             QStringList{QStringLiteral("100%村_1")});
    QCOMPARE(names(searchWordList(*f.db, table, QStringLiteral("_"))),
             QStringList{QStringLiteral("100%村_1")});
    QVERIFY(searchWordList(*f.db, table, QStringLiteral("\\")).empty());

    TemplateRow row = newTemplate(QStringLiteral("20240301100000"), QStringLiteral("王氏'秘方%"),
                                  QStringLiteral("中药方剂"), QStringLiteral("005"));
    row.content = QStringLiteral("it's 10g");
    const TemplateSaveOutcome saved = saveTemplate(*f.db, row);
    QVERIFY(saved.saved);
    const TemplateRow stored = *loadTemplate(*f.db, saved.rowid);
    QCOMPARE(stored.name, row.name);
    QCOMPARE(stored.content, row.content);
}

QTEST_GUILESS_MAIN(TestTemplateRules)
#include "test_template_rules.moc"
