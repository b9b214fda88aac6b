// The catalog's column rules, its data functions and its spreadsheet layout, without a window.

#include "catalog/catalogexchange.h"
#include "catalog/catalogfixture.h"
#include "catalog/catalogrules.h"
#include "data/catalog.h"
#include "data/catalogrows.h"
#include "data/searchcodes.h"
#include "spreadsheet/workbookreader.h"
#include "spreadsheet/workbookwriter.h"

#include <QtTest>

using namespace lichuan;
using namespace lichuan::catalog;

namespace {

const QDateTime kNoon(QDate(2024, 3, 1), QTime(12, 0, 0));

CatalogRow herb(const QString& name, const QString& note, const QString& key, const QString& price = {}) {
    CatalogEntry entry;
    entry.name = name;
    entry.note = note;
    entry.usualQty = QStringLiteral("10");
    entry.unit = QStringLiteral("g");
    entry.price = price;
    entry.pinyin = PinyinInitials(name);
    entry.category = kHerbs;
    return rowFromEntry(entry, key);
}

QStringList namesOf(const std::vector<CatalogRow>& rows) {
    QStringList names;
    for (const CatalogRow& row : rows)
        names << row.name;
    return names;
}

} // namespace

class TestCatalogRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void columnsFromThePanel_data();
    void columnsFromThePanel();
    void namesSplitAndShown();
    void herbUnitsAndTypedText();
    void separatorsNeverReachAStoredName();
    void searchTreatsQuotesAndWildcardsAsText();
    void saveUpdatesOrAppendsAndSaysWhatWasRefused();
    void rowsStartedInOneSecondGetTheirOwnKeys();
    void deleteAndEmptyTouchOnlyTheirRows();
    void prescriptionLookupSeesEveryCatalogChange();
    void sheetRowsBecomeCatalogRows();
    void importIsOneTransactionAndNamesRefusedRows();
    void importKeysOfTwoImportsInOneSecondDiffer();
    void importKeysOfALongSheetKeepTheirFormat();
    void fixturesOfASpreadsheetApplicationImport_data();
    void fixturesOfASpreadsheetApplicationImport();
    void exportThenImportGivesTheSameRows();
};

void TestCatalogRules::columnsFromThePanel_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("usualQty");
    QTest::addColumn<QString>("price");
    QTest::newRow("plain") << "10"
                           << "10"
                           << "10.000";
    QTest::newRow("letters") << "abc"
                             << "0"
                             << "0.000";
    QTest::newRow("unit after number") << "10g"
                                       << "10"
                                       << "10.000";
    QTest::newRow("trailing zero") << "1.50"
                                   << "1.5"
                                   << "1.500";
    QTest::newRow("half") << "12.5"
                          << "12.5"
                          << "12.500";
    QTest::newRow("rounds half up") << "0.0125"
                                    << "0.0125"
                                    << "0.013";
    QTest::newRow("empty") << ""
                           << "0"
                           << "";
    QTest::newRow("spaces only") << "   "
                                 << "0"
                                 << "";
}

void TestCatalogRules::columnsFromThePanel() {
    QFETCH(QString, typed);
    QFETCH(QString, usualQty);
    QFETCH(QString, price);
    QCOMPARE(usualQuantityText(typed), usualQty);
    QCOMPARE(priceText(typed), price);
}

void TestCatalogRules::namesSplitAndShown() {
    QCOMPARE(composeName(" 石膏 ", "先煎 "), QString("石膏{先煎}"));
    QCOMPARE(composeName("甘草", "   "), QString("甘草"));
    QCOMPARE(searchCode(" 石膏", "sg "), QString("石膏sg52"));
    const CatalogRow row = herb("石膏", "先煎", "20240301120000");
    QCOMPARE(row.name, QString("石膏{先煎}"));
    QCOMPARE(row.search, QString("石膏sg52"));

    QString name;
    QString note;
    splitShownName(shownName("石膏{先煎}"), &name, &note);
    QCOMPARE(name, QString("石膏"));
    QCOMPARE(note, QString("先煎"));
    splitShownName(shownName("柏子养心丸{9g *10}"), &name, &note);
    QCOMPARE(note, QString("9g *10"));
    splitShownName("甘草", &name, &note);
    QCOMPARE(name, QString("甘草"));
    QVERIFY(note.isEmpty());
    splitShownName("坏[", &name, &note);
    QCOMPARE(name, QString("坏"));
    QVERIFY(note.isEmpty());

    QString base;
    splitStoredName("阿奇霉素注射液{0.25g}", &base, &note);
    QCOMPARE(base, QString("阿奇霉素注射液"));
    QCOMPARE(note, QString("0.25g"));
    splitStoredName("怪{a}b}", &base, &note); // a "}" inside the braced part is lost
    QCOMPARE(note, QString("ab"));
}

void TestCatalogRules::herbUnitsAndTypedText() {
    QCOMPARE(unitsFor(kHerbs).first(), QString("g"));
    QCOMPARE(unitsFor("西成药").first(), QString("片"));
    QCOMPARE(unitsFor("用法").size(), 10);
    for (const char* unit : {"", "g", "枚", "条", "个", "g枚", "枚条个"})
        QVERIFY2(herbUnitAllowed(QString::fromUtf8(unit)), unit);
    for (const char* unit : {"片", "枚g", "G", "kg", "盒"})
        QVERIFY2(!herbUnitAllowed(QString::fromUtf8(unit)), unit);
    QCOMPARE(replaceBrackets("利肺片（薄膜衣）[大]"), QString("利肺片(薄膜衣)(大)"));
}

void TestCatalogRules::separatorsNeverReachAStoredName() {
    CatalogEntry entry;
    entry.name = "维C$银翘片";
    entry.note = "0.5g@24片";
    entry.unit = "盒$";
    entry.category = "西成药";
    QStringList replaced;
    const CatalogRow row = rowFromEntry(entry, "20240301120000", &replaced);
    QCOMPARE(row.name, QString("维C＄银翘片{0.5g＠24片}"));
    QCOMPARE(row.unit, QString("盒＄"));
    QCOMPARE(replaced, (QStringList{"名称", "规格", "单位"}));
    QVERIFY(!row.search.contains('$'));
    rowFromEntry(CatalogEntry{"甘草", {}, {}, "g", {}, {}, {}, {}, {}, kHerbs}, "k", &replaced);
    QVERIFY(replaced.isEmpty());
}

void TestCatalogRules::searchTreatsQuotesAndWildcardsAsText() {
    test::CatalogDatabase data;
    QVERIFY(saveCatalogRow(*data.db, herb("O'Brien草", {}, "20240301120000"), kHerbs).stored);
    QVERIFY(saveCatalogRow(*data.db, herb("百分%草", {}, "20240301120001"), kHerbs).stored);
    QVERIFY(saveCatalogRow(*data.db, herb("下_划", {}, "20240301120002"), kHerbs).stored);
    QCOMPARE(namesOf(searchCatalogRows(*data.db, kHerbs, "O'B")), QStringList{"O'Brien草"});
    QCOMPARE(namesOf(searchCatalogRows(*data.db, kHerbs, "%")), QStringList{"百分%草"});
    QCOMPARE(namesOf(searchCatalogRows(*data.db, kHerbs, "_")), QStringList{"下_划"});
    QCOMPARE(namesOf(searchCatalogRows(*data.db, kHerbs, "'")), QStringList{"O'Brien草"});
    // Initials, Chinese and letter-pad digits, ASCII case ignored; an empty text lists the whole category.
    QVERIFY(namesOf(searchCatalogRows(*data.db, kHerbs, "SG")).contains("石膏{先煎}"));
    QCOMPARE(namesOf(searchCatalogRows(*data.db, kHerbs, "sG")),
             namesOf(searchCatalogRows(*data.db, kHerbs, "sg")));
    QCOMPARE(namesOf(searchCatalogRows(*data.db, kHerbs, "石膏")), QStringList{"石膏{先煎}"});
    QVERIFY(namesOf(searchCatalogRows(*data.db, kHerbs, "52")).contains("石膏{先煎}"));
    const QStringList all = namesOf(searchCatalogRows(*data.db, kHerbs, ""));
    QCOMPARE(all.size(), 302);
    QCOMPARE(all.first(), QString("O'Brien草")); // by name in GBK order: ASCII first, then pinyin order
    QCOMPARE(all.at(1), QString("阿胶{烊化}"));
    QVERIFY(all.indexOf("白芍{炒}") < all.indexOf("甘草"));
}

void TestCatalogRules::saveUpdatesOrAppendsAndSaysWhatWasRefused() {
    test::CatalogDatabase data;
    CatalogRow row = searchCatalogRows(*data.db, kHerbs, "石膏").at(0);
    row.price = "2.500";
    CatalogSave saved = saveCatalogRow(*data.db, row, kHerbs);
    QVERIFY(saved.stored && saved.existed);
    QCOMPARE(searchCatalogRows(*data.db, kHerbs, "石膏").at(0).price, QString("2.500"));

    // A new row with the name of another row (letter case aside) is refused and said so.
    CatalogRow twin = herb("石膏", "先煎", "20240301120000");
    saved = saveCatalogRow(*data.db, twin, kHerbs);
    QVERIFY(!saved.stored);
    QVERIFY2(saved.error.contains("已有同名"), qPrintable(saved.error));
    QVERIFY(saveCatalogRow(*data.db, herb("Abc", {}, "20240301120001"), kHerbs).stored);
    QVERIFY(!saveCatalogRow(*data.db, herb("ABC", {}, "20240301120002"), kHerbs).stored);
    // Renaming a row to another row's name is refused too; the row keeps its name.
    CatalogRow renamed = searchCatalogRows(*data.db, kHerbs, "甘草").at(0);
    renamed.name = "艾叶";
    QVERIFY(!saveCatalogRow(*data.db, renamed, kHerbs).stored);
    QCOMPARE(searchCatalogRows(*data.db, kHerbs, "甘草").at(0).name, QString("甘草"));

    // A value longer than its column is refused, naming the column.
    CatalogRow longName = herb(QString(101, QChar(u'草')), {}, "20240301120003");
    saved = saveCatalogRow(*data.db, longName, kHerbs);
    QVERIFY(!saved.stored);
    QVERIFY2(saved.error.contains("名称") && saved.error.contains("100"), qPrintable(saved.error));

    // A row moved into another category by its combo is updated in place and leaves the category; a
    // second save under the old category finds no row and its name is refused.
    CatalogRow moved = searchCatalogRows(*data.db, kHerbs, "艾叶").at(0);
    moved.category = "西成药";
    QVERIFY(saveCatalogRow(*data.db, moved, kHerbs).stored);
    QVERIFY(searchCatalogRows(*data.db, kHerbs, "艾叶").empty());
    QCOMPARE(searchCatalogRows(*data.db, "西成药", "艾叶").size(), std::size_t(1));
    QVERIFY(!saveCatalogRow(*data.db, moved, kHerbs).stored);
    QCOMPARE(searchCatalogRows(*data.db, "西成药", "艾叶").size(), std::size_t(1));
}

void TestCatalogRules::rowsStartedInOneSecondGetTheirOwnKeys() {
    test::CatalogDatabase data;
    const CatalogSave first = saveCatalogRow(*data.db, herb("新药甲", {}, "20240301120000"), kHerbs, true);
    const CatalogSave second = saveCatalogRow(*data.db, herb("新药乙", {}, "20240301120000"), kHerbs, true);
    const CatalogSave third = saveCatalogRow(*data.db, herb("新药丙", {}, "20240301120000"), kHerbs, true);
    QVERIFY(first.stored && second.stored && third.stored);
    QCOMPARE(first.key, QString("20240301120000"));
    QCOMPARE(second.key, QString("20240301120001"));
    QCOMPARE(third.key, QString("20240301120002"));
    QCOMPARE(searchCatalogRows(*data.db, kHerbs, "新药乙").at(0).key, QString("20240301120001"));
    QCOMPARE(searchCatalogRows(*data.db, kHerbs, "新药甲").at(0).key, QString("20240301120000"));
    // Saved again under its key (not a new entry), a row is updated in place.
    CatalogRow again = herb("新药丁", {}, "20240301120001");
    const CatalogSave update = saveCatalogRow(*data.db, again, kHerbs);
    QVERIFY(update.stored && update.existed);
    QVERIFY(searchCatalogRows(*data.db, kHerbs, "新药乙").empty());
    QCOMPARE(searchCatalogRows(*data.db, kHerbs, "新药丁").at(0).key, QString("20240301120001"));
}

void TestCatalogRules::deleteAndEmptyTouchOnlyTheirRows() {
    test::CatalogDatabase data;
    QCOMPARE(namesOf(searchCatalogRows(*data.db, kHerbs, "甘草")), (QStringList{"甘草", "炙甘草"}));
    const QString key = searchCatalogRows(*data.db, kHerbs, "甘草").at(0).key;
    QCOMPARE(deleteCatalogRow(*data.db, key), 1);
    QCOMPARE(namesOf(searchCatalogRows(*data.db, kHerbs, "甘草")), QStringList{"炙甘草"});
    QCOMPARE(deleteCatalogRow(*data.db, key), 0);
    QCOMPARE(emptyCatalogCategory(*data.db, "收费项目"), 3);
    QVERIFY(searchCatalogRows(*data.db, "收费项目", "").empty());
    QCOMPARE(searchCatalogRows(*data.db, kHerbs, "").size(), std::size_t(298));
    QCOMPARE(searchCatalogRows(*data.db, "西成药", "").size(), std::size_t(139));
}

void TestCatalogRules::prescriptionLookupSeesEveryCatalogChange() {
    test::CatalogDatabase data;
    const Database& db = *data.db;
    auto pickNames = [&](const QString& text) {
        QStringList names;
        for (const CatalogItem& item : searchCatalog(db, kHerbs, text))
            names << item.name;
        return names;
    };
    QCOMPARE(pickNames("石膏"), QStringList{"石膏{先煎}"});
    // Added, re-priced, renamed and deleted here: the pick list and pricing see it at the next lookup.
    QVERIFY(saveCatalogRow(*data.db, herb("生石膏", {}, "20240301120000", "0.5"), kHerbs, true).stored);
    QCOMPARE(pickNames("石膏"), (QStringList{"生石膏", "石膏{先煎}"}));
    CatalogItem priced;
    QVERIFY(findCatalogItem(db, kHerbs, "生石膏", &priced));
    QCOMPARE(priced.price, QString("0.500"));
    CatalogRow row = searchCatalogRows(db, kHerbs, "生石膏").at(0);
    row.price = "0.800";
    QVERIFY(saveCatalogRow(*data.db, row, kHerbs).stored);
    QVERIFY(findCatalogItem(db, kHerbs, "生石膏", &priced));
    QCOMPARE(priced.price, QString("0.800"));
    row.name = "熟石膏";
    row.search = searchCode("熟石膏", "ssg");
    QVERIFY(saveCatalogRow(*data.db, row, kHerbs).stored);
    QCOMPARE(pickNames("石膏"), (QStringList{"石膏{先煎}", "熟石膏"}));
    QVERIFY(!findCatalogItem(db, kHerbs, "生石膏", nullptr));
    QCOMPARE(deleteCatalogRow(*data.db, row.key), 1);
    QCOMPARE(pickNames("石膏"), QStringList{"石膏{先煎}"});
    QCOMPARE(emptyCatalogCategory(*data.db, kHerbs), 299);
    QVERIFY(pickNames("").isEmpty());
}

void TestCatalogRules::sheetRowsBecomeCatalogRows() {
    using spreadsheet::Cell;
    const QList<spreadsheet::Row> sheet = {
        {Cell::fromText("名称"), Cell::fromText("规格")},
        {Cell::fromText("石膏"), Cell::fromText("先煎"), Cell::fromNumber(10), Cell::fromText("g"),
         Cell::fromNumber(2.5), Cell(), Cell::fromText("A1"), Cell()},
        {Cell::fromText("阿奇霉素注射液"), Cell::fromText("0.25g"), Cell::fromNumber(2), Cell::fromText("瓶"),
         Cell(), Cell::fromText("静脉滴注 每日1次"), Cell(), Cell::fromText("aq")},
        {},
        {Cell::fromText("维C$片"), Cell(), Cell::fromText("1"), Cell::fromText("盒@")},
    };
    const SheetImport imported = importedRows(sheet, "西成药");
    QCOMPARE(imported.rows.size(), std::size_t(4));
    QCOMPARE(imported.separatorRows, 1);
    const CatalogRow& gypsum = imported.rows[0].row;
    QCOMPARE(imported.rows[0].sheetRow, 2);
    QCOMPARE(gypsum.name, QString("石膏{先煎}"));
    QCOMPARE(gypsum.usualQty, QString("10"));
    QCOMPARE(gypsum.price, QString("2.500"));
    QCOMPARE(gypsum.pinyin, QString("sg"));
    QCOMPARE(gypsum.search, QString("石膏sg52"));
    QCOMPARE(gypsum.category, QString("西成药"));
    const CatalogRow& drip = imported.rows[1].row;
    QVERIFY(drip.price.isEmpty());
    QCOMPARE(drip.usage, QString("静脉滴注 每日1次"));
    QCOMPARE(drip.pinyin, QString("aq"));                           // the sheet's pinyin is kept
    QCOMPARE(drip.search, QString("阿奇霉素注射液aqmszsy1545757")); // the code comes from generated initials
    QVERIFY(imported.rows[2].row.name.isEmpty());
    QCOMPARE(imported.rows[3].row.name, QString("维C＄片"));
    QCOMPARE(imported.rows[3].row.unit, QString("盒＠"));
    QVERIFY(importedRows({{Cell::fromText("名称")}}, kHerbs).rows.empty());
}

void TestCatalogRules::importIsOneTransactionAndNamesRefusedRows() {
    test::CatalogDatabase data;
    emptyCatalogCategory(*data.db, "用法");
    std::vector<ImportedCatalogRow> rows;
    auto add = [&](int sheetRow, const QString& name) {
        CatalogRow row;
        row.name = name;
        row.search = name;
        row.category = "用法";
        rows.push_back(ImportedCatalogRow{sheetRow, row});
    };
    add(2, "口服");
    add(3, "");
    add(4, "石膏{先煎}"); // the table has it (in another category)
    add(5, "外用");
    add(6, "口服"); // a second time in the sheet
    add(7, QString(101, QChar(u'长')));
    const CatalogImport result = importCatalogRows(*data.db, rows, kNoon);
    QVERIFY(result.ok);
    QCOMPARE(result.added, 2);
    QCOMPARE(result.refused.size(), std::size_t(4));
    QCOMPARE(result.refused[0].sheetRow, 3);
    QCOMPARE(result.refused[0].reason, QString("名称为空"));
    QCOMPARE(result.refused[1].sheetRow, 4);
    QCOMPARE(result.refused[2].sheetRow, 6);
    QCOMPARE(result.refused[3].sheetRow, 7);
    const std::vector<CatalogRow> stored = searchCatalogRows(*data.db, "用法", "");
    QCOMPARE(namesOf(stored), (QStringList{"口服", "外用"}));
    // Keys: the start time and a counter from 1001 that counts every sheet row, refused ones too.
    QCOMPARE(stored[0].key, QString("202403011200001001"));
    QCOMPARE(stored[1].key, QString("202403011200001004"));
    const QString message = importMessage(result, 0);
    QVERIFY2(message.contains("添加了2条") && message.contains("第4行 石膏{先煎}（已有同名的药物）"),
             qPrintable(message));

    // A database that refuses the whole transaction adds nothing and says so.
    test::refuseWrites(*data.db, QStringLiteral("INSERT"), QStringLiteral("商品"),
                       QStringLiteral("NEW.[名称] = '坏'"), QStringLiteral("disk I/O error"), true);
    std::vector<ImportedCatalogRow> failing = {rows[0], rows[1]};
    failing[0].row.name = "内服";
    failing[1].row.name = "坏";
    const CatalogImport failed = importCatalogRows(*data.db, failing, kNoon.addSecs(60));
    QVERIFY(!failed.ok);
    QCOMPARE(failed.added, 0);
    QVERIFY(searchCatalogRows(*data.db, "用法", "内服").empty());
    QVERIFY(importMessage(failed, 0).startsWith("导入失败"));
}

void TestCatalogRules::importKeysOfTwoImportsInOneSecondDiffer() {
    test::CatalogDatabase data;
    std::vector<ImportedCatalogRow> first(1);
    first[0].row.name = "甲";
    first[0].row.search = "甲";
    first[0].row.category = "用法";
    std::vector<ImportedCatalogRow> second = first;
    second[0].row.name = "乙";
    second[0].row.search = "乙";
    QCOMPARE(importCatalogRows(*data.db, first, kNoon).added, 1);
    QCOMPARE(importCatalogRows(*data.db, second, kNoon).added, 1);
    QCOMPARE(searchCatalogRows(*data.db, "用法", "甲").at(0).key, QString("202403011200001001"));
    QCOMPARE(searchCatalogRows(*data.db, "用法", "乙").at(0).key, QString("202403011200011001"));
}

// A sheet of more than 8,999 rows: the counter would need a fifth digit. The keys go on under the next
// free second instead, 18 characters each, all different, also from keys an import of that second holds.
void TestCatalogRules::importKeysOfALongSheetKeepTheirFormat() {
    test::CatalogDatabase data;
    const int before = int(searchCatalogRows(*data.db, "用法", "").size());
    std::vector<ImportedCatalogRow> earlier(1);
    earlier[0].row.name = "早";
    earlier[0].row.search = "早";
    earlier[0].row.category = "用法";
    QCOMPARE(importCatalogRows(*data.db, earlier, kNoon.addSecs(1)).added, 1); // holds 20240301120001…
    std::vector<ImportedCatalogRow> rows(9000 + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].sheetRow = int(i) + 2;
        rows[i].row.name = QStringLiteral("药%1").arg(i);
        rows[i].row.search = QStringLiteral("y%1").arg(i);
        rows[i].row.category = "用法";
    }
    const CatalogImport result = importCatalogRows(*data.db, rows, kNoon);
    QCOMPARE(result.added, int(rows.size()));
    QSet<QString> keys;
    for (const CatalogRow& row : searchCatalogRows(*data.db, "用法", "")) {
        QCOMPARE(row.key.size(), 18);
        keys.insert(row.key);
    }
    QCOMPARE(keys.size(), before + int(rows.size()) + 1);
    QCOMPARE(searchCatalogRows(*data.db, "用法", "y8998").at(0).key, QString("202403011200009999"));
    QCOMPARE(searchCatalogRows(*data.db, "用法", "y8999").at(0).key, QString("202403011200021001"));
    QCOMPARE(searchCatalogRows(*data.db, "用法", "y9000").at(0).key, QString("202403011200021002"));
}

void TestCatalogRules::fixturesOfASpreadsheetApplicationImport_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("xls") << "catalog-herbs.xls";
    QTest::newRow("xlsx") << "catalog-herbs.xlsx";
}

void TestCatalogRules::fixturesOfASpreadsheetApplicationImport() {
    QFETCH(QString, file);
    test::CatalogDatabase data;
    QCOMPARE(emptyCatalogCategory(*data.db, kHerbs), 299);
    QCOMPARE(emptyCatalogCategory(*data.db, "西成药"), 139);
    const spreadsheet::ReadResult read = spreadsheet::readFirstSheet(test::fixture(file));
    QVERIFY2(read.ok, qPrintable(read.error));
    const SheetImport sheet = importedRows(read.rows, kHerbs);
    const CatalogImport result = importCatalogRows(*data.db, sheet.rows, kNoon);
    QVERIFY(result.ok);
    QCOMPARE(result.added, 6);
    const std::vector<CatalogRow> rows = searchCatalogRows(*data.db, kHerbs, "");
    QStringList shown;
    for (const CatalogRow& row : rows)
        shown << QStringList{row.name,  row.usualQty, row.unit,   row.price,
                             row.usage, row.drawer,   row.pinyin, row.search}
                     .join('|');
    const QStringList expected = {
        "阿奇霉素注射液{0.25g}|2|瓶|5.700|静脉滴注 每日1次||aqmszsy|阿奇霉素注射液aqmszsy1545757",
        "白芍{炒}|10|g|||B3|bs|白芍bs15",
        "复方丹参滴丸{27mg*180粒}|1|盒|24.500|10粒 每日3次 口服||ffdsdw|复方丹参滴丸ffdsdw221516",
        "甘草|6|g|0.045|||gc|甘草gc21",
        "金银花|12|g|0.350||C2|jyh|金银花jyh372",
        "石膏{先煎}|10|g|2.500||A1|sg|石膏sg52",
    };
    QCOMPARE(shown, expected);
    for (const CatalogRow& row : rows)
        QCOMPARE(row.key.size(), 18);
}

void TestCatalogRules::exportThenImportGivesTheSameRows() {
    test::CatalogDatabase data;
    // Rows of 西成药 with notes, prices, usages; a name with a space inside its braces.
    const std::vector<CatalogRow> before = searchCatalogRows(*data.db, "西成药", "");
    QCOMPARE(before.size(), std::size_t(139));
    const QString path = data.path("西成药.xlsx");
    const spreadsheet::WriteResult written = spreadsheet::writeWorkbook(exportWorkbook(before), path);
    QVERIFY2(written.ok, qPrintable(written.error));

    QCOMPARE(emptyCatalogCategory(*data.db, "西成药"), 139);
    const spreadsheet::ReadResult read = spreadsheet::readFirstSheet(path);
    QVERIFY(read.ok);
    QCOMPARE(read.rows.first(),
             (spreadsheet::Row{spreadsheet::Cell::fromText("名称"), spreadsheet::Cell::fromText("规格"),
                               spreadsheet::Cell::fromText("常用量"), spreadsheet::Cell::fromText("单位"),
                               spreadsheet::Cell::fromText("单价"), spreadsheet::Cell::fromText("用法用量"),
                               spreadsheet::Cell::fromText("斗位"), spreadsheet::Cell::fromText("拼音")}));
    QVERIFY(read.rows[1][2].isNumber());
    const CatalogImport result = importCatalogRows(*data.db, importedRows(read.rows, "西成药").rows, kNoon);
    QCOMPARE(result.added, 139);
    const std::vector<CatalogRow> after = searchCatalogRows(*data.db, "西成药", "");
    QCOMPARE(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        const CatalogRow& a = before[i];
        const CatalogRow& b = after[i];
        QCOMPARE(b.name, a.name);
        QCOMPARE(b.usualQty, a.usualQty);
        QCOMPARE(b.unit, a.unit);
        QCOMPARE(b.price, a.price);
        QCOMPARE(b.usage, a.usage);
        QCOMPARE(b.drawer, a.drawer);
        QCOMPARE(b.pinyin, a.pinyin);
        QCOMPARE(b.category, a.category);
    }
}

QTEST_GUILESS_MAIN(TestCatalogRules)
#include "test_catalog_rules.moc"
