// Change stamps per table, the copies kept current by them, and the history's name list: every answer
// from a copy or the list is compared with the plain query over the table, after changes made by this
// station and by another one.
#include "data/catalog.h"
#include "data/catalogrows.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/engine_file.h"
#include "data/lookups.h"
#include "data/prescriptions.h"
#include "data/readahead.h"
#include "data/schema.h"
#include "data/serverdatabase.h"
#include "data/settingsrow.h"
#include "data/templates.h"
#include "data/tracking.h"
#include "testsupport.h"

#include <QtTest>
#define SQLITE_HAS_CODEC 1
#include <random>
#include <sqlite3.h>

using namespace lichuan;

namespace {

const QString kHerbs = QStringLiteral("中药");
const QString kWestern = QStringLiteral("西成药");

// A copy at `path` of a main file an earlier release wrote, writable as a station's file is.
bool copyEarlierFile(const QString& path) {
    QFile::remove(path);
    return QFile::copy(QStringLiteral(LICHUAN_TEST_DATA "/old-main.dat"), path) &&
           QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString patientsText(const std::vector<PatientRow>& rows) {
    QStringList lines;
    for (const PatientRow& p : rows)
        lines << QStringList{p.key,   p.name,    p.sex, p.birthYear, p.insurance,
                             p.phone, p.address, p.fee, p.diagnosis}
                     .join(QLatin1Char('|'));
    return lines.join(QLatin1Char('\n'));
}

QString itemsText(const std::vector<CatalogItem>& items) {
    QStringList lines;
    for (const CatalogItem& i : items)
        lines << QStringList{i.name, i.usualQty, i.unit, i.usage, i.price, i.drawer, i.category}.join(
            QLatin1Char('|'));
    return lines.join(QLatin1Char('\n'));
}

QString rowsText(const std::vector<CatalogRow>& rows) {
    QStringList lines;
    for (const CatalogRow& r : rows)
        lines << QStringList{r.key,    r.name,   r.usualQty, r.unit,     r.price, r.usage,
                             r.drawer, r.pinyin, r.remark,   r.category, r.search}
                     .join(QLatin1Char('|'));
    return lines.join(QLatin1Char('\n'));
}

// Every row of a category in the engine's order, as the export read them before it sorted them itself.
std::vector<CatalogRow> categoryByQuery(const Database& db, const QString& category) {
    Statement select(db, QStringLiteral("select [ID号],[名称],[常用量],[单位],[单价],[用法],[斗位],[拼音],"
                                        "[备用1],[分类],[查询] from [商品] where [分类] = ? "
                                        "order by [名称] collate GBK, rowid"));
    select.bind(1, category);
    std::vector<CatalogRow> rows;
    while (select.next()) {
        CatalogRow row;
        int column = 0;
        for (QString* cell : {&row.key, &row.name, &row.usualQty, &row.unit, &row.price, &row.usage,
                              &row.drawer, &row.pinyin, &row.remark, &row.category, &row.search})
            *cell = select.text(column++);
        rows.push_back(row);
    }
    return rows;
}

QString historyText(const std::vector<HistoryRow>& rows) {
    QStringList lines;
    for (const HistoryRow& r : rows)
        lines << QStringList{r.key, r.name, r.sex, r.age, r.date, r.settled}.join(QLatin1Char('|'));
    return lines.join(QLatin1Char('\n'));
}

void run(Database& db, const QString& sql, const QStringList& values = {}) {
    Statement statement(db, sql);
    for (int i = 0; i < values.size(); ++i) {
        if (values.at(i).isNull())
            statement.bindNull(i + 1);
        else
            statement.bind(i + 1, values.at(i));
    }
    statement.run();
}

qint64 number(const Database& db, const QString& sql) {
    Statement select(db, sql);
    return select.next() ? select.integer(0) : -1;
}

} // namespace

class TestTracking : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void eachTableHasItsOwnStamp();
    void patientCopyAnswersAsTheQuery();
    void pickListCopyAnswersAsTheQuery();
    void historyByNameListAnswersAsTheQuery();
    void wordListAndTemplateCopiesAnswerAsTheQuery();
    void copiesReadAheadAnswerAsTheQuery_data();
    void copiesReadAheadAnswerAsTheQuery();
    void anEarlierFileIsUpgradedOnceAndStaysPlainSql();
    void anEarlierDatabaseGetsTheNewSettingsColumn();
    void aFileWithoutTrackingIsReadAsBefore();

private:
    QTemporaryDir dir_;
    std::unique_ptr<Database> here_;  // this station
    std::unique_ptr<Database> other_; // another station on the same file
};

void TestTracking::init() {
    const QString path = dir_.filePath(QStringLiteral("shared.dat"));
    QFile::remove(path);
    here_ = test::createDatabase(path);
    QVERIFY(here_);
    schema::createMain(*here_);
    defaults::fillMain(*here_, QDateTime(QDate(2024, 3, 1), QTime(9, 0)));
    other_ = test::openDatabase(path);
    QVERIFY(other_);
}

void TestTracking::cleanup() {
    other_.reset();
    here_.reset();
}

void TestTracking::eachTableHasItsOwnStamp() {
    const qint64 catalog = here_->tableStamp(schema::kCatalog);
    const qint64 patients = here_->tableStamp(schema::kPatient);
    const qint64 archive = here_->tableStamp(schema::kArchive);

    // A prescription saved by another station changes 档案 and 患者信息, never the catalog.
    SheetRecord sheet;
    sheet.key = QStringLiteral("20240301100000b2");
    sheet.fields[kName] = QStringLiteral("张三");
    sheet.fields[kAge] = QStringLiteral("35岁");
    sheet.fields[kDate] = QStringLiteral("2024-03-01");
    QVERIFY(savePrescription(*other_, sheet, true, QDate(2024, 3, 1)).saved);
    // (A server announces another station's commit a moment after it.)
    QTRY_VERIFY(here_->tableStamp(schema::kArchive) != archive);
    QTRY_VERIFY(here_->tableStamp(schema::kPatient) != patients);
    QCOMPARE(here_->tableStamp(schema::kCatalog), catalog);
    if (test::onServer())
        return; // the row log below is the files' own: a server's copies are read again on a change

    // A catalog change elsewhere moves the catalog's stamp, and names the changed row.
    run(*other_, QStringLiteral("update [商品] set [单价] = '1.000' where [名称] = '白芍{炒}'"));
    const qint64 changed = here_->tableStamp(schema::kCatalog);
    QVERIFY(changed != catalog);
    const auto rows = tracking::rowsChangedSince(*here_, schema::kCatalog, catalog);
    QVERIFY(rows);
    QCOMPARE(rows->size(), std::size_t(1));
    QCOMPARE(number(*here_, QStringLiteral("select rowid from [商品] where [名称] = '白芍{炒}'")),
             rows->front());
    QCOMPARE(tracking::rowsChangedSince(*here_, schema::kCatalog, changed)->size(), std::size_t(0));

    // An INSERT OR REPLACE removes the old row without a DELETE statement: still counted as changed.
    const qint64 before = here_->tableStamp(schema::kCatalog);
    run(*here_, QStringLiteral("insert or replace into [商品]([ID号],[名称],[查询],[分类]) "
                               "values('x1','白芍{炒}','白芍bs12','中药')"));
    QCOMPARE(tracking::rowsChangedSince(*here_, schema::kCatalog, before)->size(), std::size_t(2));

    // Beyond the length of the log, the rows changed are no longer known.
    const qint64 old = here_->tableStamp(schema::kCatalog);
    {
        Transaction transaction(*other_);
        for (int i = 0; i <= tracking::kLogLength; ++i)
            run(*other_, QStringLiteral("update [商品] set [备用1] = ? where rowid = 1"),
                {QString::number(i)});
        transaction.commit();
    }
    QVERIFY(!tracking::rowsChangedSince(*here_, schema::kCatalog, old));
    QVERIFY(here_->tableStamp(schema::kCatalog) != old);
}

void TestTracking::patientCopyAnswersAsTheQuery() {
    std::mt19937 random(3);
    const QString characters = QStringLiteral("张王李赵伟芳娜敏静丽");
    auto name = [&] {
        QString text;
        for (int i = 0, n = 2 + int(random() % 2); i < n; ++i)
            text += characters.at(int(random() % characters.size()));
        return text;
    };
    auto addPatients = [&](Database& db, int count) {
        Transaction transaction(db);
        for (int i = 0; i < count; ++i) {
            const QString n = name();
            const QString year = QString::number(1940 + int(random() % 80));
            run(db,
                QStringLiteral(
                    "insert into [患者信息]([序号],[姓名],[性别],[年龄],[电话]) values(?,?,'男',?,?)"),
                {n + (i % 3 ? QStringLiteral("zw") : QStringLiteral("ZW%_\\")) + year, n, year,
                 QString::number(i)});
        }
        transaction.commit();
    };
    const QStringList keys{QStringLiteral("张伟"), QStringLiteral("zw"),  QStringLiteral("Zw19"),
                           QStringLiteral("%"),    QStringLiteral("_\\"), QStringLiteral(""),
                           QStringLiteral("19"),   QStringLiteral("不在")};
    auto compareAll = [&](const char* when) {
        for (const QString& key : keys) {
            QTRY_VERIFY2(patientsText(suggestPatients(*here_, key)) ==
                             patientsText(suggestPatientsByQuery(*here_, key)),
                         qPrintable(QStringLiteral("%1, “%2”").arg(QLatin1String(when), key)));
        }
    };

    addPatients(*here_, 300);
    run(*here_, QStringLiteral("insert into [患者信息]([姓名]) values('无键')")); // no key: never offered
    compareAll("first read");
    // A list showing what was found keeps reading those rows while the copy takes in changes.
    const PatientMatches shown = findPatients(*here_, QStringLiteral("19"));
    const QString shownBefore = patientsText(suggestPatients(*here_, QStringLiteral("19")));
    // Another station adds, changes and deletes rows (the copy takes in only those rows).
    addPatients(*other_, 20);
    run(*other_,
        QStringLiteral("update [患者信息] set [序号] = '李四ls1980', [电话] = '139' where rowid = 5"));
    run(*other_, QStringLiteral("update [患者信息] set [序号] = null where rowid = 7"));
    run(*other_, QStringLiteral("delete from [患者信息] where rowid in (2, 40, 41)"));
    run(*other_, QStringLiteral("update [患者信息] set [姓名] = '王五' where rowid = 9"));
    compareAll("after another station's changes");
    std::vector<PatientRow> stillShown;
    for (std::size_t k = 0; k < shown.size(); ++k)
        stillShown.push_back(shown.row(k));
    QCOMPARE(patientsText(stillShown), shownBefore);
    QVERIFY(patientsText(suggestPatients(*here_, QStringLiteral("19"))) != shownBefore);
    // This station's own save, then a change too big for the log: read again whole.
    SheetRecord sheet;
    sheet.key = QStringLiteral("20240301100000b1");
    sheet.fields[kName] = QStringLiteral("张伟");
    sheet.fields[kAge] = QStringLiteral("40岁");
    sheet.fields[kDate] = QStringLiteral("2024-03-01");
    QVERIFY(savePrescription(*here_, sheet, true, QDate(2024, 3, 1)).saved);
    compareAll("after a save");
    run(*other_, QStringLiteral("delete from [患者信息] where rowid > 250"));
    addPatients(*other_, tracking::kLogLength + 10);
    compareAll("after a large change");
    QVERIFY(!suggestPatients(*here_, QStringLiteral("张伟")).empty());
}

void TestTracking::pickListCopyAnswersAsTheQuery() {
    const QStringList texts{QStringLiteral(""),  QStringLiteral("b"),  QStringLiteral("BS"),
                            QStringLiteral("1"), QStringLiteral("白"), QStringLiteral("%"),
                            QStringLiteral("{"), QStringLiteral("zz9")};
    auto compareAll = [&] {
        for (const QString& category : {kHerbs, kWestern}) {
            for (const QString& text : texts) {
                QTRY_COMPARE(itemsText(searchCatalog(*here_, category, text)),
                             itemsText(searchCatalogByQuery(*here_, category, text)));
                // The catalog window's grid answers from the same copy.
                QTRY_COMPARE(rowsText(searchCatalogRows(*here_, category, text)),
                             rowsText(searchCatalogRowsByQuery(*here_, category, text)));
            }
            QTRY_COMPARE(rowsText(catalogRowsOfCategory(*here_, category)),
                         rowsText(categoryByQuery(*here_, category)));
        }
    };
    compareAll();
    const CatalogMatches western = matchCatalog(*here_, kWestern, QString());

    // Changes elsewhere: a new herb, a renamed one (its place in the order moves), one moved to another
    // category, one without a search code, one deleted, names differing in case and NULL names.
    run(*other_, QStringLiteral("insert into [商品]([ID号],[名称],[查询],[分类],[常用量]) "
                                "values('n1','阿aa','阿aaa1','中药','9')"));
    run(*other_,
        QStringLiteral("insert into [商品]([ID号],[名称],[查询],[分类]) values('n2',null,'bb2','中药')"));
    run(*other_,
        QStringLiteral("insert into [商品]([ID号],[名称],[查询],[分类]) values('n3','Ab%','AB%1','中药')"));
    run(*other_, QStringLiteral("update [商品] set [名称] = '紫白芍' where [名称] = '白芍{炒}'"));
    run(*other_, QStringLiteral("update [商品] set [分类] = '西成药' where [名称] = '白术{炒}'"));
    run(*other_, QStringLiteral("update [商品] set [查询] = null where [名称] = '白前'"));
    run(*other_, QStringLiteral("delete from [商品] where [名称] = '百合'"));
    compareAll();
    // The Western list took in the moved herb; a list nobody changed stays the very same object.
    QTRY_VERIFY(matchCatalog(*here_, kWestern, QString()).list != western.list);
    const CatalogMatches herbs = matchCatalog(*here_, kHerbs, QString());
    run(*other_, QStringLiteral("update [商品] set [单价] = '9.000' where [分类] = '西成药' and rowid = "
                                "(select min(rowid) from [商品] where [分类] = '西成药')"));
    // (A server's copy of a table is read again whole on any change of it.)
    QVERIFY(test::onServer() || matchCatalog(*here_, kHerbs, QString()).list == herbs.list);
    compareAll();
    // Changes that leave a row at its place (price and usage, a search code as long or longer, letter
    // case) are taken in where the row stands; the list a window still holds keeps what it showed.
    const QString heldText = itemsText(*herbs.list);
    run(*other_, QStringLiteral("update [商品] set [单价] = '7.5', [用法] = '先煎' where [名称] = '当归'"));
    run(*other_, QStringLiteral("update [商品] set [查询] = upper([查询]) where [名称] = '党参'"));
    run(*other_, QStringLiteral("update [商品] set [名称] = '当归' where [名称] = '当归'"));
    compareAll();
    run(*other_, QStringLiteral("update [商品] set [查询] = [查询] || 'qq7' where [名称] = '丁香'"));
    compareAll();
    QCOMPARE(itemsText(*herbs.list), heldText);
    QVERIFY(!itemsText(searchCatalog(*here_, kHerbs, QStringLiteral("qq7"))).isEmpty());
    // A whole category replaced at once (an import): read again whole.
    {
        Transaction transaction(*other_);
        run(*other_, QStringLiteral("delete from [商品] where [分类] = '中药'"));
        for (int i = 0; i < 1200; ++i)
            run(*other_,
                QStringLiteral("insert into [商品]([ID号],[名称],[查询],[分类]) values(?,?,?,'中药')"),
                {QStringLiteral("i%1").arg(i), QStringLiteral("药%1").arg(i, 4, 10, QLatin1Char('0')),
                 QStringLiteral("药y%1").arg(i)});
        transaction.commit();
    }
    compareAll();
}

void TestTracking::historyByNameListAnswersAsTheQuery() {
    auto add = [&](Database& db, const QString& key, const QString& name, const QString& date) {
        run(db,
            QStringLiteral("insert into [档案]([序号],[0],[1],[2],[5],[发药]) values(?,?,'男','35岁',?,'')"),
            {key, name, date});
    };
    {
        Transaction transaction(*here_);
        const QStringList names{
            QStringLiteral("张三"), QStringLiteral("张三丰"), QStringLiteral("李四"), QStringLiteral("Tom"),
            QStringLiteral("tom%"), QStringLiteral("王_五"),  QStringLiteral(""),     QString()};
        for (int i = 0; i < 400; ++i) {
            add(*here_,
                QStringLiteral("2024%1%2100000a")
                        .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                        .arg(1 + i % 28, 2, 10, QLatin1Char('0')) +
                    QString::number(i),
                names.at(i % names.size()),
                QStringLiteral("2024-%1-%2")
                    .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                    .arg(1 + i % 28, 2, 10, QLatin1Char('0')));
        }
        transaction.commit();
    }
    add(*here_, QString(), QStringLiteral("李四"), QStringLiteral("2024-03-05")); // a row without a key
    add(*here_, QStringLiteral("20240305100000\U0001F600"), QStringLiteral("李四"),
        QStringLiteral("2024-03-05"));
    add(*here_, QStringLiteral("20240305100000\uFF21"), QStringLiteral("李四"), QStringLiteral("2024-03-05"));
    // Another station renames and deletes rows; the list keeps old names, which find nothing.
    run(*other_, QStringLiteral("update [档案] set [0] = '赵六' where [0] = '李四' and rowid % 2 = 0"));
    run(*other_, QStringLiteral("delete from [档案] where [0] = '张三丰' and rowid < 100"));
    const QStringList filters{QStringLiteral("张"),     QStringLiteral("张三"),
                              QStringLiteral("TOM"),    QStringLiteral("%"),
                              QStringLiteral("_"),      QStringLiteral("赵六"),
                              QStringLiteral(" "),      QStringLiteral("李四"),
                              QStringLiteral("无此人"), QString()};
    auto compareAll = [&](const char* when) {
        for (const QString& filter : filters) {
            for (const auto& [from, to] :
                 {std::pair{QStringLiteral("2024-1-1"), QStringLiteral("2024-12-31")},
                  std::pair{QStringLiteral("2024-03-05"), QStringLiteral("2024-05-01")}}) {
                QTRY_VERIFY2(historyText(queryHistory(*here_, filter, from, to)) ==
                                 historyText(queryHistoryByDate(*here_, filter, from, to)),
                             qPrintable(QStringLiteral("%1, filter “%2”").arg(QLatin1String(when), filter)));
            }
        }
    };
    compareAll("first");
    // Names new to the list, written by this station and by another one after the list was read.
    add(*other_, QStringLiteral("20240401000000b"), QStringLiteral("张新"), QStringLiteral("2024-04-01"));
    compareAll("after another station's save");
    add(*here_, QStringLiteral("20240402000000b"), QStringLiteral("赵张"), QStringLiteral("2024-04-02"));
    compareAll("after this station's save");
    QCOMPARE(
        queryHistory(*here_, QStringLiteral("张新"), QStringLiteral("2024-1-1"), QStringLiteral("2024-12-31"))
            .size(),
        std::size_t(1));
    QCOMPARE(
        queryHistory(*here_, QStringLiteral("TOM"), QStringLiteral("2024-1-1"), QStringLiteral("2024-12-31"))
            .size(),
        std::size_t(100)); // Tom and tom% (ASCII letters without regard to case)
    QVERIFY(
        queryHistory(*here_, QStringLiteral("张"), QStringLiteral("2024-13-1"), QStringLiteral("2024-12-31"))
            .empty());
}

// The word lists and the templates are small and read whole again when their table changed.
void TestTracking::wordListAndTemplateCopiesAnswerAsTheQuery() {
    auto names = [&](const QString& sql, const QStringList& values) {
        Statement select(*here_, sql);
        for (int i = 0; i < values.size(); ++i)
            select.bind(i + 1, values.at(i));
        QStringList found;
        while (select.next())
            found << QStringList{select.text(0), select.text(1), select.text(2)}.join(QLatin1Char('|'));
        return found;
    };
    const QStringList texts{
        QString(),           QStringLiteral("g"), QStringLiteral("GM"), QStringLiteral("感"),
        QStringLiteral("%"), QStringLiteral("_"), QStringLiteral("1")};
    auto compareAll = [&](const char* when) {
        for (const QString& text : texts) {
            const QString why = QStringLiteral("%1, “%2”").arg(QLatin1String(when), text);
            for (const QString& table : {schema::kDiagnosis, schema::kAddress}) {
                const QStringList expected =
                    names(QStringLiteral("select [名称],'','' from %1 where [序号] like ? escape '\\' "
                                         "order by rowid")
                              .arg(quoted(table)),
                          {containsPattern(text)});
                QStringList got;
                for (const QString& name : table == schema::kDiagnosis ? suggestDiagnoses(*here_, text)
                                                                       : suggestAddresses(*here_, text))
                    got << name + QStringLiteral("||");
                QVERIFY2(got == expected, qPrintable(why));
                // The word-list window lists every row for an empty text, rows without a key too.
                const QStringList all =
                    names(QStringLiteral("select rowid,[名称],'' from %1 %2 order by rowid")
                              .arg(quoted(table), text.isEmpty() ? QString()
                                                                 : QStringLiteral("where [序号] like ? "
                                                                                  "escape '\\'")),
                          text.isEmpty() ? QStringList() : QStringList{containsPattern(text)});
                QStringList listed;
                for (const WordRow& row : searchWordList(*here_, table, text))
                    listed << QStringList{QString::number(row.rowid), row.name, QString()}.join(
                        QLatin1Char('|'));
                QVERIFY2(listed == all, qPrintable(why));
            }
            for (const QString& kind : {QStringLiteral("中药方剂"), QStringLiteral("病历")}) {
                QStringList got;
                for (const TemplateItem& t : searchTemplates(*here_, kind, text))
                    got << QStringList{t.key, t.name, t.content}.join(QLatin1Char('|'));
                QVERIFY2(got ==
                             names(QStringLiteral("select [序号],[名称],[内容] from [个人模板] where [查询] "
                                                  "like ? escape '\\' and [分类] = ? order by [排序], rowid"),
                                   {containsPattern(text), kind}),
                         qPrintable(why));
            }
        }
    };
    compareAll("default rows");
    // Another station adds, changes and deletes rows; rows without a key or search code, odd orders.
    run(*other_, QStringLiteral("insert into [诊断]([名称],[序号]) values('感冒1','gm1')"));
    run(*other_, QStringLiteral("insert into [诊断]([名称],[序号]) values('无键',null)"));
    run(*other_, QStringLiteral("insert into [地址]([名称],[序号]) values('Gm%街','GM%街')"));
    run(*other_, QStringLiteral("delete from [地址] where rowid = (select min(rowid) from [地址])"));
    run(*other_, QStringLiteral("insert into [个人模板]([序号],[名称],[内容],[查询],[分类],[排序]) "
                                "values('t1','感冒方','内容','gmf1','中药方剂',null)"));
    run(*other_, QStringLiteral("insert into [个人模板]([序号],[名称],[内容],[查询],[分类],[排序]) "
                                "values('t2','甘麦方','内容2','GMF_','中药方剂','000')"));
    run(*other_, QStringLiteral("insert into [个人模板]([序号],[名称],[内容],[查询],[分类],[排序]) "
                                "values('t3','无码',null,null,'中药方剂','001')"));
    run(*other_, QStringLiteral("update [个人模板] set [排序] = 'Z9' where rowid = (select min(rowid) from "
                                "[个人模板] where [分类] = '中药方剂')"));
    compareAll("after another station's changes");
    run(*here_, QStringLiteral("delete from [个人模板] where [序号] = 't2'"));
    run(*here_, QStringLiteral("update [诊断] set [序号] = 'xx' where [名称] = '感冒1'"));
    compareAll("after this station's changes");
}

void TestTracking::copiesReadAheadAnswerAsTheQuery_data() {
    QTest::addColumn<bool>("othersWrite"); // another station writes between the slices
    QTest::addColumn<int>("lookUpAfter");  // the slices after which every list is searched once (-1: never)
    QTest::newRow("undisturbed") << false << -1;
    QTest::newRow("another station writes meanwhile") << true << -1;
    QTest::newRow("searched before the copies are complete") << true << 3;
}

void TestTracking::copiesReadAheadAnswerAsTheQuery() {
    QFETCH(bool, othersWrite);
    QFETCH(int, lookUpAfter);
    {
        Transaction transaction(*here_);
        for (int i = 0; i < 700; ++i) {
            const QString name =
                QString(QStringLiteral("张王李赵").at(i % 4)) + QStringLiteral("伟芳娜").at(i % 3);
            run(*here_, QStringLiteral("insert into [患者信息]([序号],[姓名],[年龄]) values(?,?,'1980')"),
                {name + QStringLiteral("zw") + QString::number(1900 + i), name});
            run(*here_, QStringLiteral("insert into [档案]([序号],[0],[5]) values(?,?,'2024-03-01')"),
                {QStringLiteral("20240301%1a").arg(i, 6, 10, QLatin1Char('0')),
                 name + QString::number(i % 50)});
        }
        transaction.commit();
    }
    // A connection that has read nothing yet, as after the login; the slices end at once, so each reads a
    // few rows only.
    auto fresh = test::openDatabase(dir_.filePath(QStringLiteral("shared.dat")));
    QVERIFY(fresh);
    ReadAhead ahead(*fresh);
    const QStringList keys{QStringLiteral("张伟"), QStringLiteral("zw19"), QString(), QStringLiteral("b")};
    auto compareAll = [&](const char* when) {
        for (const QString& key : keys) {
            const QString why = QStringLiteral("%1, “%2”").arg(QLatin1String(when), key);
            QTRY_VERIFY2(patientsText(suggestPatients(*fresh, key)) ==
                             patientsText(suggestPatientsByQuery(*fresh, key)),
                         qPrintable(why));
            for (const QString& category : {kHerbs, kWestern})
                QTRY_VERIFY2(itemsText(searchCatalog(*fresh, category, key)) ==
                                 itemsText(searchCatalogByQuery(*fresh, category, key)),
                             qPrintable(why));
            const QString name = key.left(1);
            QTRY_VERIFY2(historyText(queryHistory(*fresh, name, QStringLiteral("2024-1-1"),
                                                  QStringLiteral("2024-12-31"))) ==
                             historyText(queryHistoryByDate(*fresh, name, QStringLiteral("2024-1-1"),
                                                            QStringLiteral("2024-12-31"))),
                         qPrintable(why));
        }
    };
    int slices = 0;
    while (!ahead.step(QDeadlineTimer(0))) {
        ++slices;
        QVERIFY(slices < 10000);
        if (othersWrite && slices % 7 == 0) {
            const QString n = QString::number(slices);
            run(*other_, QStringLiteral("insert into [患者信息]([序号],[姓名]) values(?,'张新')"),
                {QStringLiteral("张新zx") + n});
            run(*other_, QStringLiteral("update [患者信息] set [电话] = ? where rowid = ?"), {n, n});
            run(*other_, QStringLiteral("delete from [患者信息] where rowid = ?"),
                {QString::number(slices + 1)});
            run(*other_,
                QStringLiteral("update [商品] set [单价] = ?, [名称] = [名称] || 'b' where rowid = ?"),
                {n, n});
            run(*other_, QStringLiteral("insert into [档案]([序号],[0],[5]) values(?,?,'2024-04-01')"),
                {QStringLiteral("20240401%1b").arg(slices, 6, 10, QLatin1Char('0')),
                 QStringLiteral("张新") + n});
        }
        if (slices == lookUpAfter)
            compareAll("before the copies were complete");
    }
    QVERIFY(slices > 10); // it did read in slices
    compareAll("read ahead");
    QVERIFY(ahead.step(QDeadlineTimer(0)));
}

void TestTracking::anEarlierFileIsUpgradedOnceAndStaysPlainSql() {
    const QString path = dir_.filePath(QStringLiteral("earlier.dat"));
    QVERIFY(copyEarlierFile(path));
    {
        auto db = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
        QVERIFY(db);
        QCOMPARE(number(*db, QStringLiteral("PRAGMA user_version")), qint64(schema::kVersion));
        QCOMPARE(number(*db, QStringLiteral("select count(*) from [档案姓名] where [姓名] = '张三'")), 1);
        QCOMPARE(
            queryHistory(*db, QStringLiteral("张"), QStringLiteral("2024-3-1"), QStringLiteral("2024-3-1"))
                .size(),
            std::size_t(1));
        // Nothing of it needs the program's own collation: the command-line tool reads the file as well.
        QCOMPARE(number(*db, QStringLiteral("select count(*) from sqlite_master where sql like '%GBK%'")), 0);
        QVERIFY(number(*db, QStringLiteral("select count(*) from sqlite_master where type = 'trigger'")) >=
                21);
    }
    // Opening it again changes nothing.
    const QByteArray once = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), once);
}

void TestTracking::anEarlierDatabaseGetsTheNewSettingsColumn() {
    const QString column = QStringLiteral("结算后打印取药单");
    std::unique_ptr<Database> db;
    if (test::onServer()) {
        // A server database of the earlier version: its settings table without the column.
        schema::createStatistics(*here_);
        here_->execNative(QStringLiteral("ALTER TABLE \"设置\" DROP COLUMN \"%1\"").arg(column));
        here_->setUserVersion(tracking::kVersion);
        QVERIFY(!schema::columnsOf(*here_, schema::kSettings).contains(column));
        QCOMPARE(prepareServerDatabase(*here_, QDateTime(QDate(2024, 3, 1), QTime(9, 0))), QString());
    } else {
        const QString path = dir_.filePath(QStringLiteral("earlier-settings.dat"));
        QVERIFY(copyEarlierFile(path));
        db = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
        QVERIFY(db);
    }
    Database& upgraded = db ? *db : *here_;
    QCOMPARE(upgraded.userVersion(), schema::kVersion);
    QCOMPARE(schema::columnsOf(upgraded, schema::kSettings).count(column), 1);
    // The row already there reads it as empty; it is written and read as the other settings are.
    const std::optional<SettingsRow> before = readSettingsRow(upgraded);
    QVERIFY(before);
    QCOMPARE(before->value(column, QStringLiteral("<none>")), QString());
    QVERIFY(writeSettingsRow(upgraded, {{column, QStringLiteral("1")}}));
    const std::optional<SettingsRow> after = readSettingsRow(upgraded);
    QCOMPARE(after->value(column), QStringLiteral("1"));
    QCOMPARE(after->value(QStringLiteral("单位名称")), before->value(QStringLiteral("单位名称")));
}

void TestTracking::aFileWithoutTrackingIsReadAsBefore() {
    // A file that could not be upgraded (read-only, locked by another station for long) has no counters,
    // log or name list; every search still answers, by the plain queries and the per-file stamp.
    const QString path = dir_.filePath(QStringLiteral("untracked.dat"));
    QVERIFY(copyEarlierFile(path));
    {
        auto db = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
        QVERIFY(db);
        sqlite3_set_authorizer(static_cast<detail::FileConnection&>(db->connection()).handle(), nullptr,
                               nullptr); // the program itself never drops a table
        QStringList drops;
        Statement triggers(*db, QStringLiteral("select name from sqlite_master where type = 'trigger'"));
        while (triggers.next())
            drops << QStringLiteral("drop trigger %1;").arg(quoted(triggers.text(0)));
        db->exec(drops.join(QString()) +
                 QStringLiteral("drop table [变更计数]; drop table [变更记录]; drop table [档案姓名];"));
    }
    auto db = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
    auto other = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
    QVERIFY(db && other);
    QCOMPARE(queryHistory(*db, QStringLiteral("张"), QStringLiteral("2024-3-1"), QStringLiteral("2024-3-1"))
                 .size(),
             std::size_t(1));
    QTRY_COMPARE(itemsText(searchCatalog(*db, kHerbs, QStringLiteral("hq"))),
                 itemsText(searchCatalogByQuery(*db, kHerbs, QStringLiteral("hq"))));
    run(*other, QStringLiteral(
                    "insert into [商品]([ID号],[名称],[查询],[分类]) values('n1','黄芩hq','黄芩hq','中药')"));
    QTRY_COMPARE(itemsText(searchCatalog(*db, kHerbs, QStringLiteral("hq"))),
                 itemsText(searchCatalogByQuery(*db, kHerbs, QStringLiteral("hq"))));
    QTRY_COMPARE(patientsText(suggestPatients(*db, QStringLiteral("张"))),
                 patientsText(suggestPatientsByQuery(*db, QStringLiteral("张"))));
    run(*other, QStringLiteral("insert into [患者信息]([序号],[姓名]) values('张五zw1990','张五')"));
    QTRY_COMPARE(patientsText(suggestPatients(*db, QStringLiteral("张"))),
                 patientsText(suggestPatientsByQuery(*db, QStringLiteral("张"))));
}

QTEST_GUILESS_MAIN(TestTracking)
#include "test_tracking.moc"
