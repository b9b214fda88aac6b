#pragma once
// Reading and writing prescriptions: the 档案 row with its patient row, the history query, the delete,
// and the statistics lines of a settled prescription. Every value is a bound parameter; every save that
// writes more than one row is one transaction. No function here throws.

#include "data/record.h"

#include <QDeadlineTimer>
#include <QStringList>
#include <optional>
#include <vector>

namespace lichuan {

class Database;

struct SaveOutcome {
    bool saved = false;          // the 档案 row was written
    QString key;                 // the key the row was written under (may differ from the sheet's, see below)
    QStringList refusedColumns;  // values too long for their column, not stored (the row keeps the old value)
    bool dateUnreadable = false; // the date field is not a date: nothing was written
    QString error;               // database error text when nothing could be written
};

// Writes the sheet into 档案 (one row per key, updated in place when it exists) and, when the name and the
// age are both non-empty, the patient row of 患者信息, in one transaction.
// `firstWrite` is true while the sheet has not been saved yet: if another row already holds its key, the
// row is written under the next free key of the same form (14 digits + suffix), so a new sheet never
// overwrites another prescription. `today` gives the current year for the patient's birth year. A saved
// row written with other contents, a settlement and its undo are noted in the log (audit.h) in the same
// transaction.
SaveOutcome savePrescription(Database& main, const SheetRecord& sheet, bool firstWrite, const QDate& today);

// The 档案 row with this key, or nothing.
std::optional<SheetRecord> loadPrescription(const Database& main, const QString& key);
bool prescriptionExists(const Database& main, const QString& key);

// The history query: rows whose name (column 0) contains `nameFilter` literally and whose date lies in
// [from, to] (dates as the user typed them), newest key first. Unreadable dates give an empty list.
std::vector<HistoryRow> queryHistory(const Database& main, const QString& nameFilter, const QString& from,
                                     const QString& to);
// The same rows by one plain query over the date range, ordered by the engine (it serves files without
// the name list).
std::vector<HistoryRow> queryHistoryByDate(const Database& main, const QString& nameFilter,
                                           const QString& from, const QString& to);
// Reads the list of names that queryHistory finds a name part in ahead, a slice at a time until `deadline`,
// so that the first query with a name finds it read. True when there is nothing more to read (or reading
// failed: the first query then reads it itself). A query that comes before it is complete reads the rest at
// once.
bool readArchiveNamesAhead(const Database& main, const QDeadlineTimer& deadline);

// Writes `caseRecord` into 病历 of the 档案 row with this key and leaves the rest of the row as it is; a key
// without a row changes nothing. False when the database refused it.
bool storeCaseRecord(Database& main, const QString& key, const QString& caseRecord);

// Deletes the 档案 row with this key and its statistics lines; true when nothing failed. The log line of the
// deletion, written in the same transaction, keeps the whole row.
bool deletePrescription(Database& main, Database* statistics, const QString& key);

// Replaces the statistics lines of a prescription as a whole (delete by ID号, then append the lines with
// a non-empty name) in one transaction. Returns false and leaves the old lines when anything failed;
// `refused` lists the values that were too long for their column.
bool replaceStatistics(Database& statistics, const QString& key, const QDate& date, const PricedLines& lines,
                       QStringList* refused = nullptr);
bool deleteStatistics(Database& statistics, const QString& key);

// Issues record keys: "yyyyMMddhhmmss" + suffix, strictly increasing within the run, so that New, Renew and
// Copy within one second never give two sheets the same key.
class RecordKeys {
public:
    explicit RecordKeys(QString suffix) : suffix_(std::move(suffix)) {}
    QString next(const QDateTime& now);
    const QString& suffix() const { return suffix_; }

private:
    QString suffix_;
    QDateTime last_;
};

} // namespace lichuan
