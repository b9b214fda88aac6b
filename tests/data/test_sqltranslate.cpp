// The server form of the program's SQL texts: quoting, parameters, case-blind comparisons, GBK order and
// the order of NULLs.

#include "data/sqltranslate.h"

#include <QtTest>

using namespace lichuan;

class TestSqlTranslate : public QObject {
    Q_OBJECT
private slots:
    void translates_data();
    void translates();
    void countsParameters();
};

void TestSqlTranslate::translates_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("server");
    QTest::newRow("names and parameters in order")
        << "select [名称],[5] from [档案] where [5] between ? and ? limit ?"
        << "select \"名称\",\"5\" from \"档案\" where \"5\" between $1 and $2 limit $3";
    QTest::newRow("numbered parameters keep their numbers")
        << "select 1 where [a] = ?2 or [b] = ?1 or [c] = ?"
        << "select 1 where \"a\" = $2 or \"b\" = $1 or \"c\" = $3";
    QTest::newRow("texts are left alone") << "select '[x] ? like' from [t] where [a] = 'it''s ?'"
                                          << "select '[x] ? like' from \"t\" where \"a\" = 'it''s ?'";
    QTest::newRow("case-blind equality folds both sides")
        << "delete from [档案] where [序号] = ? collate nocase"
        << "delete from \"档案\" where lower(\"序号\" collate \"C\") = lower($1::text collate \"C\")";
    QTest::newRow("a trimmed call as the left side")
        << "select 1 from [商品] where [名称] >= ?1 collate nocase and rtrim([名称], ' ') = ?1 collate nocase"
        << "select 1 from \"商品\" where lower(\"名称\" collate \"C\") >= lower($1::text collate \"C\") and "
           "lower(rtrim(\"名称\", ' ') collate \"C\") = lower($1::text collate \"C\")";
    QTest::newRow("an index column")
        << "CREATE UNIQUE INDEX [商品_名称] ON [商品]([名称] COLLATE NOCASE)"
        << "CREATE UNIQUE INDEX \"商品_名称\" ON \"商品\"(lower(\"名称\" collate \"C\"))";
    QTest::newRow("like ignores the case of ASCII letters")
        << "select [名称] from [诊断] where [序号] like ? escape '\\' order by rowid"
        << "select \"名称\" from \"诊断\" where lower(\"序号\" collate \"C\") like lower($1::text collate "
           "\"C\") "
           "escape '\\' order by rowid nulls first";
    QTest::newRow("GBK order, NULLs first, descending NULLs last")
        << "select [名称] from [商品] where [分类] = ? order by [名称] collate GBK, rowid desc limit 5"
        << "select \"名称\" from \"商品\" where \"分类\" = $1 order by lichuan_gbk(\"名称\") nulls first, "
           "rowid desc nulls last limit 5";
    QTest::newRow("order inside a sub-query ends at its parenthesis")
        << "select * from (select [a] from [t] order by [a]) where [b] = ?"
        << "select * from (select \"a\" from \"t\" order by \"a\" nulls first) where \"b\" = $1";
    QTest::newRow("index hints and unary plus go")
        << "select [序号] from [档案] indexed by [档案_姓名] where [0] = ? and +[分类] = ? and [a]+[b] = 1"
        << "select \"序号\" from \"档案\" where \"0\" = $1 and \"分类\" = $2 and \"a\"+\"b\" = 1";
    QTest::newRow("rows that break a unique key are skipped")
        << "insert or ignore into [商品]([名称]) values(?)"
        << "insert into \"商品\"(\"名称\") values($1) on conflict do nothing";
    QTest::newRow("functions of the other engine") << "select last_insert_rowid(), instr([0], ?) > 0"
                                                   << "select lastval(), strpos(\"0\", $1) > 0";
}

void TestSqlTranslate::translates() {
    QFETCH(QString, file);
    QFETCH(QString, server);
    QCOMPARE(sql::serverSql(file).text, server);
}

void TestSqlTranslate::countsParameters() {
    QCOMPARE(sql::serverSql(QStringLiteral("select 1")).parameters, 0);
    QCOMPARE(sql::serverSql(QStringLiteral("insert into [t] values(?,?,'?',?)")).parameters, 3);
    QCOMPARE(sql::serverSql(QStringLiteral("select ?3, ?1")).parameters, 3);
}

QTEST_GUILESS_MAIN(TestSqlTranslate)
#include "test_sqltranslate.moc"
