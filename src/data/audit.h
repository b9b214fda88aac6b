#pragma once
// The record of who changed, deleted, settled, printed and exported what: one line of [操作记录] per action,
// written by the data function of the change inside the change's own transaction (a change that fails leaves
// no line). Nothing in the program deletes a line. The station is the key suffix of the computer that did
// it; the time is read from the clock given to the connection.

#include "data/record.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace lichuan {

class Clock;
class Database;

namespace audit {

// The actions, as the 操作 column holds them.
inline const QString kChanged = QStringLiteral("修改"); // a saved prescription saved with other contents
inline const QString kDeleted = QStringLiteral("删除"); // a prescription deleted; 内容 holds its row
inline const QString kSettled = QStringLiteral("结算"); // settled, with its total
inline const QString kUnsettled = QStringLiteral("撤消结算");
inline const QString kPrinted = QStringLiteral("打印"); // 说明 says what: 处方, 病历, 取药单, 门诊日志
inline const QString kExported = QStringLiteral("导出"); // 说明: the window and the file
inline const QString kRestored = QStringLiteral("恢复备份");
inline const QString kPasswordChanged = QStringLiteral("修改密码");
inline const QString kPriceChanged = QStringLiteral("修改价格");

// Every action in the order the window's filter offers them.
const QStringList& actions();

// What was printed, for notePrint.
inline const QString kPrescription = QStringLiteral("处方");
inline const QString kCaseRecord = QStringLiteral("病历");
inline const QString kPickupTicket = QStringLiteral("取药单");
inline const QString kLogBook = QStringLiteral("门诊日志");

// The station and the clock the lines of this connection are written with. Without them a line has an
// empty station and the system's time.
void attach(Database& db, const QString& station, const Clock* clock);

// The time a line written now gets: "yyyy-MM-dd HH:mm:ss".
QString now(const Database& db);

// Writes one line inside the caller's transaction. A file without the log table (an older file that could
// not be upgraded) gets none. Throws DbError, so that the change it belongs to fails with it.
void write(Database& db, const QString& action, const QString& key, const QString& name, const QString& text,
           const QString& content = QString());

// The lines of actions that change nothing else, each written on its own; false when it could not be
// written. `where` names the printer (or is empty).
bool notePrint(Database& db, const QString& what, const QString& key, const QString& name,
               const QString& where = QString());
// An export: the window's title and the file written.
bool noteExport(Database& db, const QString& window, const QString& file);
// Where a printed document went: printed on `printer`, or written to `pdfFile` (an export "<what>PDF").
bool noteOutput(Database& db, const QString& what, const QString& key, const QString& name,
                const QString& printer, const QString& pdfFile);

// The line of a saved prescription saved again, settled or unsettled: `before` is its row as stored until
// now (nothing for a new row), `after` the row as it is written now. Writes nothing when nothing of note
// changed. Inside the save's transaction; throws DbError.
void noteSave(Database& db, const std::optional<SheetRecord>& before, const SheetRecord& after);

// The name a line gives header field `field` (姓名, 性别, …; the second date field is 日期2).
QString fieldName(int field);

// The text of a deleted row as the line keeps it (every stored text by column name), and the prescription
// read back from it; nothing when the text is not such a row.
QString rowText(const std::vector<std::pair<QString, QString>>& columns);
std::optional<SheetRecord> recordFromRowText(const QString& text);

struct Line {
    qint64 id = 0;   // the line's row number
    QString time;    // yyyy-MM-dd HH:mm:ss
    QString station; // 站点
    QString action;  // 操作
    QString key;     // 处方号
    QString name;    // 姓名
    QString text;    // 说明
};

struct Filter {
    QDate from;
    QDate to;       // both days included
    QString action; // empty: every action
    QString name;   // a part of the name, matched literally (', % and _ are plain characters)
};

// The lines of the filter, newest first (the order they were written in); empty when the dates are not
// valid or the query failed.
std::vector<Line> lines(const Database& db, const Filter& filter);
// The same lines as their row numbers only, read from the index of the log alone: a year of lines is found
// at once, and a list reads the lines it shows with linesWithIds.
std::vector<qint64> lineIds(const Database& db, const Filter& filter);
// The lines with these row numbers, in the order given (a number without a line is left out).
std::vector<Line> linesWithIds(const Database& db, const qint64* ids, std::size_t count);
// The 内容 of a line (the old item text, a deleted row), empty when there is none.
QString content(const Database& db, qint64 id);

} // namespace audit
} // namespace lichuan
