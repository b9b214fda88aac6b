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
// The rules of the clinical checks, and the doctor's confirmations of the prescriptions that break them.
inline const QString kClinicalRules = QStringLiteral("用药规则");
inline const QString kClinicalConfirmations = QStringLiteral("用药确认");
// The record of who changed, deleted, settled, printed and exported what (audit.h).
inline const QString kAuditLog = QStringLiteral("操作记录");

// Version of the schema (PRAGMA user_version; on a server, the table lichuan_schema): 1 for the files of
// the first release, 2 with the change tracking (tracking.h), 3 with the clinical tables and the default
// rules of this release. New files are written at this version; older ones are brought up to it when they
// are opened (upgrade.h).
constexpr int kVersion = 3;

struct Column {
    QString name;
    int width; // maximum length in characters; 0 for long text and dates
};

struct Table {
    QString name;
    std::vector<Column> columns;
    // Added by a later release: made when an older file is opened, but a file without it (one that could
    // not be written then) is still usable and is read as before.
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

// Whether a column of that name can hold NULL in some table: every column of the tables above can (TEXT
// without NOT NULL), and so can any name this schema does not know; only the row number (rowid, the files'
// own and the server's key column) never does.
bool canBeNull(const QString& column);

// The columns a table of `db` has, in their order. Throws DbError.
QStringList columnsOf(const Database& db, const QString& table);

// Adds to the tables of a database written by an earlier version the columns they lack (TEXT, empty in the
// rows already there). Runs inside the caller's transaction. Throws DbError.
void addMissingColumns(Database& db);

// Creates the tables and indexes of an empty file (in one transaction). Throws DbError.
void createMain(Database& db);
void createStatistics(Database& db);

// Creates the tables of the main database that a later release added, with their indexes, where they are
// missing (inside the caller's transaction). Throws DbError.
void addLaterTables(Database& db);

} // namespace schema
} // namespace lichuan
