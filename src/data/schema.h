#pragma once
// The tables and columns of both database files, their widths, and the statements that create them.
// Every column is TEXT (dates too, as yyyy-MM-dd), so that "001" and "15.000" come back as typed.

#include <QString>
#include <QStringList>
#include <vector>

namespace lichuan {

class Database;

namespace schema {

inline const QString kArchive = QStringLiteral("档案");
inline const QString kAddress = QStringLiteral("地址");
inline const QString kTemplate = QStringLiteral("个人模板");
inline const QString kPatient = QStringLiteral("患者信息");
inline const QString kCatalog = QStringLiteral("商品");
inline const QString kSettings = QStringLiteral("设置");
inline const QString kDiagnosis = QStringLiteral("诊断");
inline const QString kStatistics = QStringLiteral("统计");
// The record of who changed, deleted, settled, printed and exported what (audit.h).
inline const QString kAuditLog = QStringLiteral("操作记录");

// Version of the schema written into new files (PRAGMA user_version).
constexpr int kVersion = 1;

struct Column {
    QString name;
    int width; // maximum length in characters; 0 for long text and dates
};

struct Table {
    QString name;
    std::vector<Column> columns;
    // A table of a later version: a file written before it gets the table the first time this version
    // opens it (tracking::upgrade), and one that could not be upgraded then (read-only, locked for long)
    // is still used without it.
    bool addedLater = false;
};

// The tables of the main database (数据库.dat) and of the statistics database (用药统计.dat), columns in
// order.
const std::vector<Table>& mainTables();
const std::vector<Table>& statisticsTables();
const Table* findTable(const QString& name);

// Width of a column in characters, 0 when unlimited, -1 when the column does not exist.
int columnWidth(const QString& table, const QString& column);

// True when `value` fits its column (counted in characters, a surrogate pair being one).
bool fits(const QString& table, const QString& column, const QString& value);

// Creates the tables and indexes of an empty file (in one transaction). Throws DbError.
void createMain(Database& db);
// Adds the later tables of the main database (and their indexes) that `db` lacks, inside the caller's
// transaction; true when it added any. Throws DbError.
bool addLaterTables(Database& db);
void createStatistics(Database& db);

} // namespace schema
} // namespace lichuan
