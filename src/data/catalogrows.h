#pragma once
// The catalog (商品) as the catalog window keeps it: whole rows of one category, saving one row, deleting
// one row or a whole category, and appending the rows of an import in one transaction. Every write goes
// through the main connection, so the prescription window's pick list and pricing see it at once.

#include <QDateTime>
#include <QString>
#include <vector>

namespace lichuan {

class Database;

struct CatalogRow {
    QString key;      // ID号
    QString name;     // 名称, a note in braces
    QString usualQty; // 常用量
    QString unit;     // 单位
    QString price;    // 单价
    QString usage;    // 用法
    QString drawer;   // 斗位
    QString pinyin;   // 拼音
    QString remark;   // 备用1
    QString category; // 分类
    QString search;   // 查询
};

// Rows of `category` whose search code (查询) contains `text` literally (ASCII letters without regard to
// case; %, _ and an apostrophe are plain characters), ordered by name in GBK order, then as stored. Answered
// from the copy of the category that this connection keeps current (the pick list's). A failing query gives
// an empty list.
std::vector<CatalogRow> searchCatalogRows(const Database& main, const QString& category, const QString& text);
// The same rows by one query each time, ordered by the engine.
std::vector<CatalogRow> searchCatalogRowsByQuery(const Database& main, const QString& category,
                                                 const QString& text);

// Every row of `category` ordered by name (rows without a search code too), for the export.
std::vector<CatalogRow> catalogRowsOfCategory(const Database& main, const QString& category);

struct CatalogSave {
    bool stored = false;
    bool existed = false; // the row was found under the key and the category and updated
    QString key;          // the key the row was stored under (a new row may get a later free key)
    QString error;        // what was not stored and why
};

// Saves `row`. A row of a new entry is appended; when another row already has its key it gets the next free
// key of the same form (the time one second on), so two entries started in one second never overwrite each
// other. Otherwise, when a row with `row.key` exists under `currentCategory`, the first such row is updated,
// and when none does (the row was moved to another category) a new row is appended. A name that another row
// has, or a value longer than its column, is refused and nothing is written. A changed price of a row that
// existed is noted in the log with the old and the new price.
CatalogSave saveCatalogRow(Database& main, const CatalogRow& row, const QString& currentCategory,
                           bool newEntry = false);

// Deletes the first row whose key is `key`; the number of rows deleted, -1 when the database refused.
int deleteCatalogRow(Database& main, const QString& key);

// Deletes every row of `category`; the number of rows deleted, -1 when the database refused.
int emptyCatalogCategory(Database& main, const QString& category);

// The key of a row started at `time`: "yyyymmddhhmmss".
QString catalogKeyAt(const QDateTime& time);

struct CatalogImportRefusal {
    int sheetRow = 0; // 1-based row of the spreadsheet
    QString name;
    QString reason;
};

struct CatalogImport {
    bool ok = false; // false: nothing was added (the transaction failed as a whole)
    int added = 0;
    std::vector<CatalogImportRefusal> refused;
    QString error;
};

// An imported row and the spreadsheet row it came from.
struct ImportedCatalogRow {
    int sheetRow = 0;
    CatalogRow row; // key left empty: given here
};

// Appends the rows in one transaction. Keys are the start time "yyyymmddhhmmss" followed by a counter
// from 1001; when another import already used keys of that second, the stamp moves on by seconds until the
// keys are free. After 9999 the rows go on under the next free second from 1001, so that every key keeps its
// 18 characters. A row with an empty name, with a name that the table or an earlier row of the sheet has,
// or with a value longer than its column is refused and named; the others are added.
CatalogImport importCatalogRows(Database& main, const std::vector<ImportedCatalogRow>& rows,
                                const QDateTime& start);

} // namespace lichuan
