// The server form of the program's SQL texts: quoting, parameters, case-blind comparisons, GBK order and
// the order of NULLs; shapes it does not know are refused.

#include "data/engine.h"
#include "data/sqltranslate.h"

#include <QtTest>

using namespace lichuan;

class TestSqlTranslate : public QObject {
    Q_OBJECT
private slots:
    void translates_data();
    void translates();
    void countsParameters();
    void refusesShapesItDoesNotKnow_data();
    void refusesShapesItDoesNotKnow();
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
           "escape '\\' order by rowid";
    QTest::newRow("GBK order, NULLs first; the row number is never NULL")
        << "select [名称] from [商品] where [分类] = ? order by [名称] collate GBK, rowid desc limit 5"
        << "select \"名称\" from \"商品\" where \"分类\" = $1 order by lichuan_gbk(\"名称\") nulls first, "
           "rowid desc limit 5";
    QTest::newRow("columns that can be NULL: first when ascending, last when descending")
        << "select 1 from [档案] order by [序号] desc, [5] asc, rowid limit ?"
        << "select 1 from \"档案\" order by \"序号\" desc nulls last, \"5\" asc nulls first, rowid limit $1";
    QTest::newRow("a page by the row number")
        << "select rowid, [名称] from [商品] where rowid > ? order by rowid limit ?"
        << "select rowid, \"名称\" from \"商品\" where rowid > $1 order by rowid limit $2";
    QTest::newRow("order inside a sub-query ends at its parenthesis")
        << "select * from (select [a] from [t] order by [a]) where [b] = ?"
        << "select * from (select \"a\" from \"t\" order by \"a\" nulls first) where \"b\" = $1";
    QTest::newRow("index hints and unary plus go")
        << "select [序号] from [档案] indexed by [档案_姓名] where [0] = ? and +[分类] = ? and [a]+[b] = 1"
        << "select \"序号\" from \"档案\" where \"0\" = $1 and \"分类\" = $2 and \"a\"+\"b\" = 1";
    QTest::newRow("rows that break a unique key are skipped")
        << "insert or ignore into [商品]([名称]) values(?)"
        << "insert into \"商品\"(\"名称\") values($1) on conflict do nothing";
    QTest::newRow("functions of the other engine") << "select last_insert_rowid(), instr([0], ?) + 1"
                                                   << "select lastval(), strpos(\"0\", $1) + 1";
    QTest::newRow("a substring test is a pattern with its wildcards escaped")
        << "select 1 from [档案姓名] where instr([姓名], ?) > 0 and [a] = ?"
        << "select 1 from \"档案姓名\" where (\"姓名\" like '%' || replace(replace(replace($1::text, '\\', "
           "'\\\\'), '%', '\\%'), '_', '\\_') || '%') and \"a\" = $2";
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

void TestSqlTranslate::refusesShapesItDoesNotKnow_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("shape"); // what the refusal names
    QTest::newRow("not like") << "select 1 from [t] where [a] not like ?"
                              << "not like";
    QTest::newRow("a qualified column before like") << "select 1 from [t] where [t].[a] like ?"
                                                    << "qualified";
    QTest::newRow("a qualified pattern") << "select 1 from [t] where [a] like [t].[b]"
                                         << "qualified";
    QTest::newRow("a joined text before like") << "select 1 from [t] where [a] || [b] like ?"
                                               << "compound";
    QTest::newRow("a joined pattern") << "select 1 from [t] where [a] like ? || '%'"
                                      << "compound";
    QTest::newRow("a parenthesis before like") << "select 1 from [t] where ([a]) like ?"
                                               << "compound";
    QTest::newRow("a qualified column before collate")
        << "select 1 from [t] where [a] = [t].[b] collate nocase"
        << "qualified";
    QTest::newRow("a qualified left side") << "select 1 from [t] where [t].[a] = ? collate nocase"
                                           << "qualified";
    QTest::newRow("a sum before collate") << "select 1 from [t] where [a] = [b] + [c] collate nocase"
                                          << "compound";
    QTest::newRow("a joined left side") << "select 1 from [t] where [a] || [b] = ? collate nocase"
                                        << "compound";
    QTest::newRow("an order term of a parenthesis") << "select 1 from [t] order by ([a] || [b]) collate GBK"
                                                    << "compound";
    QTest::newRow("collate after like") << "select 1 from [t] where [a] like ? collate nocase"
                                        << "collate after like";
    QTest::newRow("collate after between") << "select 1 from [t] where [a] between ? and ? collate nocase"
                                           << "collate after between";
    QTest::newRow("collate on the low bound") << "select 1 from [t] where [a] between ? collate nocase and ?"
                                              << "collate after between";
    QTest::newRow("collate inside in") << "select 1 from [t] where [a] in (?, ? collate nocase)"
                                       << "collate after in";
    QTest::newRow("collate after in") << "select 1 from [t] where [a] in (?, ?) collate nocase"
                                      << "collate after in";
    QTest::newRow("collate on the left") << "select 1 from [t] where [a] collate nocase = ?"
                                         << "left";
    QTest::newRow("another collation") << "select 1 from [t] order by [a] collate rtrim"
                                       << "collate rtrim";
    QTest::newRow("a line comment") << "select 1 from [t] -- the rest\nwhere [a] = ?"
                                    << "comment";
    QTest::newRow("a block comment") << "select 1 /* one */ from [t]"
                                     << "comment";
    QTest::newRow("a named parameter") << "select 1 from [t] where [a] = :name"
                                       << ":name";
    QTest::newRow("an @ parameter") << "select 1 from [t] where [a] = @name"
                                    << "@name";
    QTest::newRow("a $ parameter") << "select 1 from [t] where [a] = $name"
                                   << "$name";
    QTest::newRow("insert or replace") << "insert or replace into [t]([a]) values(?)"
                                       << "insert or replace";
    QTest::newRow("replace into") << "replace into [t]([a]) values(?)"
                                  << "replace into";
    QTest::newRow("update or") << "update or abort [t] set [a] = ?"
                               << "update or abort";
    QTest::newRow("glob") << "select 1 from [t] where [a] glob ?"
                          << "glob";
}

void TestSqlTranslate::refusesShapesItDoesNotKnow() {
    QFETCH(QString, file);
    QFETCH(QString, shape);
    try {
        const QString server = sql::serverSql(file).text;
        QFAIL(qPrintable(QStringLiteral("translated to: ") + server));
    } catch (const DbError& error) {
        QVERIFY2(error.message().contains(shape) && error.message().contains(file),
                 qPrintable(error.message()));
    }
}

QTEST_GUILESS_MAIN(TestSqlTranslate)
#include "test_sqltranslate.moc"
