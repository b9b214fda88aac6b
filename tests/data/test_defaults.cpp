#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/searchcodes.h"
#include "data/textrules.h"
#include "testsupport.h"

#include <QtTest>
#include <set>

using namespace lichuan;

namespace {

const QDateTime kCreated(QDate(2024, 3, 5), QTime(8, 9, 10));

int count(const Database& db, const QString& sql, const QString& value = QString()) {
    Statement statement(db, sql);
    if (!value.isNull())
        statement.bind(1, value);
    return statement.next() ? int(statement.integer(0)) : -1;
}

// The named columns of the first row that matches `where` (one bound value).
QStringList row(const Database& db, const QString& table, const QStringList& columns, const QString& where,
                const QString& value) {
    QStringList quotedColumns;
    for (const QString& column : columns)
        quotedColumns << quoted(column);
    Statement statement(
        db, QStringLiteral("select %1 from %2 where %3").arg(quotedColumns.join(u','), quoted(table), where));
    statement.bind(1, value);
    QStringList values;
    if (statement.next()) {
        for (int i = 0; i < columns.size(); ++i)
            values << (statement.isNull(i) ? QStringLiteral("<null>") : statement.text(i));
    }
    return values;
}

QString templateContent(const Database& db, const QString& name) {
    const QStringList values =
        row(db, schema::kTemplate, {QStringLiteral("内容")}, QStringLiteral("[名称] = ?"), name);
    return values.value(0);
}

} // namespace

class TestDefaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void rowCounts();
    void catalogRows_data();
    void catalogRows();
    void everyCatalogRowHasItsSearchCodeAndKey();
    void searchKeys();
    void formulasAreLaidOut();
    void medicineSetsUseCatalogMedicines();
    void recordPhrases();
    void templateKeysAndOrder();
    void settingsRow();
    void everyValueFitsItsColumn();
    void fillingIsOneTransaction();

private:
    QTemporaryDir dir_;
    std::unique_ptr<Database> db_;
};

void TestDefaults::initTestCase() {
    db_ = test::createDatabase(dir_.filePath(QStringLiteral("数据库.dat")));
    QVERIFY(db_);
    schema::createMain(*db_);
    defaults::fillMain(*db_, kCreated);
}

void TestDefaults::rowCounts() {
    const QString byCategory = QStringLiteral("select count(*) from [商品] where [分类] = ?");
    QCOMPARE(count(*db_, byCategory, QStringLiteral("收费项目")), 3);
    QCOMPARE(count(*db_, byCategory, QStringLiteral("用法")), 6);
    QCOMPARE(count(*db_, byCategory, QStringLiteral("中药")), 299);
    QCOMPARE(count(*db_, byCategory, QStringLiteral("西成药")), 139);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [商品]")), 447);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [商品] where [单价] <> ''")), 3 + 10 + 15);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [商品] where [斗位] <> ''")), 10);

    const QString byKind = QStringLiteral("select count(*) from [个人模板] where [分类] = ?");
    QCOMPARE(count(*db_, byKind, QStringLiteral("中药方剂")), 4);
    QCOMPARE(count(*db_, byKind, QStringLiteral("西成药组套")), 3);
    QCOMPARE(count(*db_, byKind, QStringLiteral("病历模板")), 6);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [个人模板]")), 13);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [诊断]")), 7);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [地址]")), 3);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [设置]")), 1);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [档案]")), 0);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [患者信息]")), 0);
}

void TestDefaults::catalogRows_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("expected"); // 分类 单位 常用量 单价 用法 斗位
    auto add = [](const char* name, QStringList expected) {
        QTest::newRow(name) << QString::fromUtf8(name) << expected;
    };
    add("挂号费", {"收费项目", "次", "1", "15.000", "", ""});
    add("理疗费", {"收费项目", "次", "1", "12.000", "", ""});
    add("用法：静脉推注 每日1次", {"用法", "", "0", "", "", ""});
    add("水煎或酒水各半煎服", {"用法", "", "0", "", "", ""});
    // A herb whose largest dose is below 10 g is picked with that dose.
    add("阿胶{烊化}", {"中药", "g", "9", "1.200", "", "A2"});
    add("细辛", {"中药", "g", "3", "", "", ""});
    add("冰片", {"中药", "g", "0.3", "", "", ""});
    add("白豆寇{后下}", {"中药", "g", "6", "0.125", "", "E3"});
    add("白芥子", {"中药", "g", "9", "0.280", "", "C2"});
    add("石膏{先煎}", {"中药", "g", "10", "", "", ""});
    add("紫苑", {"中药", "g", "10", "", "", ""});
    add("复方丹参滴丸{27mg*180粒}", {"西成药", "盒", "1", "", "10粒 每日3次 口服", ""});
    add("藿香正气水{10ml*10瓶}", {"西成药", "盒", "1", "", "1支 每日3次 口服", ""});
    add("强力枇杷露{100ml}", {"西成药", "盒", "1", "", "10ml 每日3次 口服", ""});
    add("0.9%氯化钠注射液{250ml}", {"西成药", "瓶", "1", "2.500", "", ""});
    add("0.9%氯化钠注射液{500ml}", {"西成药", "瓶", "1", "2.300", "", ""});
    add("阿奇霉素注射液{0.25g}", {"西成药", "瓶", "2", "5.700", "静脉滴注 每日1次", ""});
    add("保利尔胶囊{0.3g*30粒}", {"西成药", "盒", "1", "19.241", "2粒 每日3次 口服", ""});
    add("柏子养心丸{9g *10}", {"西成药", "盒", "1", "27.200", "2粒 每日3次 口服", ""});
    add("阿莫西林胶囊{0.5g*12}", {"西成药", "盒", "1", "25.600", "2粒 每日3次 口服", ""});
    add("龙胆泻肝丸{6g *5  }", {"西成药", "盒", "1", "", "2粒 每日3次 口服", ""});
    add("心宝{20粒/10小盒/大盒}", {"西成药", "盒", "1", "", "2粒 每日3次 口服", ""});
}

void TestDefaults::catalogRows() {
    QFETCH(QString, name);
    QFETCH(QStringList, expected);
    const QStringList values = row(*db_, schema::kCatalog,
                                   {QStringLiteral("分类"), QStringLiteral("单位"), QStringLiteral("常用量"),
                                    QStringLiteral("单价"), QStringLiteral("用法"), QStringLiteral("斗位")},
                                   QStringLiteral("[名称] = ?"), name);
    QCOMPARE(values, expected); // empty values are empty text, never null
}

void TestDefaults::everyCatalogRowHasItsSearchCodeAndKey() {
    Statement all(*db_,
                  QStringLiteral("select [ID号],[名称],[拼音],[查询],[备用1],[备用2],[备用3] from [商品]"));
    const QString stamp = kCreated.toString(QStringLiteral("yyyyMMddhhmmss"));
    std::set<QString> keys;
    int rows = 0;
    while (all.next()) {
        ++rows;
        const QString name = all.text(1);
        const QString base = trimSpaces(name.left(name.indexOf(u'{') < 0 ? name.size() : name.indexOf(u'{')));
        QVERIFY2(!all.text(2).isEmpty(), qPrintable(name));
        QCOMPARE(all.text(2), PinyinInitials(base));
        QCOMPARE(all.text(3), base + all.text(2) + KeyDigits(all.text(2)));
        QVERIFY(all.text(0).size() == 18 && all.text(0).startsWith(stamp));
        keys.insert(all.text(0));
        QVERIFY(!all.isNull(4) && all.text(4).isEmpty());
        QVERIFY(all.isNull(5) && all.isNull(6));
    }
    QCOMPARE(rows, 447);
    QCOMPARE(int(keys.size()), 447);
}

void TestDefaults::searchKeys() {
    const QStringList catalogKeys = {QStringLiteral("拼音"), QStringLiteral("查询")};
    QCOMPARE(
        row(*db_, schema::kCatalog, catalogKeys, QStringLiteral("[名称] = ?"), QStringLiteral("石膏{先煎}")),
        QStringList({"sg", "石膏sg52"}));
    QCOMPARE(row(*db_, schema::kCatalog, catalogKeys, QStringLiteral("[名称] = ?"),
                 QStringLiteral("0.9%氯化钠注射液{250ml}")),
             QStringList({"09lhnzsy", "0.9%氯化钠注射液09lhnzsy324757"}));
    QCOMPARE(
        row(*db_, schema::kCatalog, catalogKeys, QStringLiteral("[名称] = ?"), QStringLiteral("白术{炒}")),
        QStringList({"bz", "白术bz17"}));
    QCOMPARE(row(*db_, schema::kCatalog, catalogKeys, QStringLiteral("[名称] = ?"),
                 QStringLiteral("用法：静脉推注 每日1次")),
             QStringList({"yfjmtz", "用法：静脉推注 每日1次yfjmtz723457"}));

    const QStringList templateKeys = {QStringLiteral("拼音"), QStringLiteral("查询")};
    QCOMPARE(
        row(*db_, schema::kTemplate, templateKeys, QStringLiteral("[名称] = ?"), QStringLiteral("桂枝汤")),
        QStringList({"gzt", "桂枝汤gzt275"}));
    QCOMPARE(
        row(*db_, schema::kTemplate, templateKeys, QStringLiteral("[名称] = ?"), QStringLiteral("既往史")),
        QStringList({"jws", "既往史jws"}));

    const QStringList dictionaryKeys = {QStringLiteral("拼音"), QStringLiteral("序号")};
    QCOMPARE(row(*db_, schema::kDiagnosis, dictionaryKeys, QStringLiteral("[名称] = ?"),
                 QStringLiteral("高血压病")),
             QStringList({"gxyb", "高血压病gxyb"}));
    QCOMPARE(row(*db_, schema::kDiagnosis, dictionaryKeys, QStringLiteral("[名称] = ?"),
                 QStringLiteral("2型糖尿病")),
             QStringList({"2xtnb", "2型糖尿病2xtnb"}));
    Statement addresses(*db_, QStringLiteral("select [名称],[拼音],[序号] from [地址]"));
    while (addresses.next()) {
        QCOMPARE(addresses.text(1), PinyinInitials(addresses.text(0)));
        QCOMPARE(addresses.text(2), addresses.text(0) + addresses.text(1));
    }
}

void TestDefaults::formulasAreLaidOut() {
    QCOMPARE(templateContent(*db_, QStringLiteral("桂枝汤")),
             QStringLiteral("桂枝 9g      白芍 9g      甘草 6g      \r\n\r\n生姜 9g      大枣 9g      "));
    Statement formulas(*db_,
                       QStringLiteral("select [名称],[内容] from [个人模板] where [分类] = '中药方剂'"));
    int rows = 0;
    while (formulas.next()) {
        ++rows;
        const QString content = formulas.text(1);
        QVERIFY2(!content.startsWith(u' ') && content.endsWith(u' '), qPrintable(formulas.text(0)));
        // Stored laid out: laying the trimmed text out again gives it back unchanged.
        QCOMPARE(layOutHerbal(trimSpaces(content)).text, content);
        QVERIFY(layOutHerbal(content).items.size() >= 4);
    }
    QCOMPARE(rows, 4);
}

void TestDefaults::medicineSetsUseCatalogMedicines() {
    QCOMPARE(templateContent(*db_, QStringLiteral("睡眠障碍")),
             QStringLiteral("百乐眠胶囊[0.27g*24粒] 1盒\r\n    用法：一次2粒 每日3次 口服\r\n\r\n"
                            "参苓白术丸[6g*5] 1盒\r\n    用法：一次2粒 每日3次 口服"));
    Statement sets(*db_, QStringLiteral("select [名称],[内容] from [个人模板] where [分类] = '西成药组套'"));
    int medicines = 0;
    while (sets.next()) {
        const QString content = sets.text(1);
        QVERIFY2(content == trimForSave(content), qPrintable(sets.text(0)));
        QVERIFY(content.contains(QStringLiteral("\r\n    用法：")));
        for (const QString& line : content.split(kCrLf)) {
            if (line.isEmpty() || line.startsWith(u' '))
                continue;
            // Every medicine line is "name[specification] quantity unit" of a catalog medicine.
            QString name = line.left(line.indexOf(u' '));
            name.replace(u'[', u'{').replace(u']', u'}');
            QVERIFY2(
                count(*db_,
                      QStringLiteral("select count(*) from [商品] where [名称] = ? and [分类] = '西成药'"),
                      name) == 1,
                qPrintable(name));
            ++medicines;
        }
    }
    QCOMPARE(medicines, 6);
    QVERIFY(
        templateContent(*db_, QStringLiteral("阿齐霉素组套"))
            .startsWith(QStringLiteral("阿奇霉素注射液[0.25g] 2瓶\r\n    用法：静脉滴注 每日1次\r\n\r\n")));
}

void TestDefaults::recordPhrases() {
    QCOMPARE(templateContent(*db_, QStringLiteral("高血压主诉")),
             QStringLiteral("发现血压增高3年，头晕2天。"));
    QCOMPARE(templateContent(*db_, QStringLiteral("既往史")),
             QStringLiteral("否认“高血压、糖尿病、肝炎”病史。"));
    QCOMPARE(templateContent(*db_, QStringLiteral("个人史")), QStringLiteral("无特殊嗜好。"));
    QCOMPARE(templateContent(*db_, QStringLiteral("过敏史")), QStringLiteral("无药物过敏史。"));
    Statement phrases(
        *db_, QStringLiteral("select [名称],[内容],[查询] from [个人模板] where [分类] = '病历模板'"));
    while (phrases.next()) {
        QVERIFY(!phrases.text(1).isEmpty());
        QCOMPARE(phrases.text(1), trimForSave(phrases.text(1)));
        QCOMPARE(phrases.text(2), phrases.text(0) + PinyinInitials(phrases.text(0))); // no key digits
    }
}

void TestDefaults::templateKeysAndOrder() {
    Statement all(
        *db_, QStringLiteral("select [分类],[排序],[名称],[序号] from [个人模板] order by [分类],[排序]"));
    QStringList listed;
    std::set<QString> keys;
    while (all.next()) {
        listed << all.text(0) + u' ' + all.text(1) + u' ' + all.text(2);
        QCOMPARE(all.text(3).size(), 14);
        QVERIFY(all.text(3) <= kCreated.toString(QStringLiteral("yyyyMMddhhmmss")));
        keys.insert(all.text(3));
    }
    QCOMPARE(int(keys.size()), 13); // a key and a kind name the row a save or delete works on
    const QStringList expected = {
        "中药方剂 001 桂枝汤",        "中药方剂 002 麻杏石甘汤", "中药方剂 003 龙胆泻肝汤",
        "中药方剂 004 白头翁汤",      "病历模板 001 高血压主诉", "病历模板 002 高血压现病史",
        "病历模板 003 既往史",        "病历模板 004 个人史",     "病历模板 005 过敏史",
        "病历模板 006 体格检查",      "西成药组套 001 睡眠障碍", "西成药组套 002 上呼吸道感染",
        "西成药组套 003 阿齐霉素组套"};
    QStringList sortedExpected = expected;
    QStringList sortedListed = listed;
    sortedExpected.sort();
    sortedListed.sort();
    QCOMPARE(sortedListed, sortedExpected);
}

void TestDefaults::settingsRow() {
    const QStringList columns = {"密码",     "单位名称",   "医师",       "科别",      "发药人",
                                 "备用1",    "备用2",      "备用3",      "左边距",    "上边距",
                                 "自动打印", "默认打印机", "处方打印机", "左边距1",   "上边距1",
                                 "左边距2",  "上边距2",    "打印机2",    "打印机3",   "费别",
                                 "处方字体", "处方字号",   "日志上边距", "日志左边距"};
    const QString null = QStringLiteral("<null>");
    const QStringList expected = {defaults::kPassword,
                                  "栎川中医诊所",
                                  "李明",
                                  "中医科",
                                  "王芳",
                                  null,
                                  null,
                                  null,
                                  "10",
                                  "20",
                                  "0",
                                  null,
                                  null,
                                  "10",
                                  "10",
                                  "10",
                                  "10",
                                  null,
                                  null,
                                  "自费",
                                  "宋体",
                                  "14",
                                  "20",
                                  "10"};
    QCOMPARE(row(*db_, schema::kSettings, columns, QStringLiteral("[密码] = ?"), defaults::kPassword),
             expected);
}

void TestDefaults::everyValueFitsItsColumn() {
    for (const schema::Table& table : schema::mainTables()) {
        QStringList names;
        for (const schema::Column& column : table.columns)
            names << quoted(column.name);
        Statement all(*db_, QStringLiteral("select %1 from %2").arg(names.join(u','), quoted(table.name)));
        while (all.next()) {
            for (int i = 0; i < int(table.columns.size()); ++i) {
                QVERIFY2(schema::fits(table.name, table.columns[i].name, all.text(i)),
                         qPrintable(table.name + u'.' + table.columns[i].name + u' ' + all.text(i)));
            }
        }
    }
}

void TestDefaults::fillingIsOneTransaction() {
    // A second fill collides with the unique names of the first; nothing of it stays.
    QVERIFY_THROWS_EXCEPTION(DbError, defaults::fillMain(*db_, kCreated.addSecs(60)));
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [设置]")), 1);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [个人模板]")), 13);
    QCOMPARE(count(*db_, QStringLiteral("select count(*) from [商品]")), 447);
}

QTEST_GUILESS_MAIN(TestDefaults)
#include "test_defaults.moc"
