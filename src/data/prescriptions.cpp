#include "data/prescriptions.h"

#include "data/audit.h"
#include "data/clinicalnotes.h"
#include "data/dates.h"
#include "data/engine.h"
#include "data/quietread.h"
#include "data/schema.h"
#include "data/sqltexts.h"
#include "data/textrules.h"

#include <algorithm>
#include <utility>

namespace lichuan {

namespace {

using ColumnValues = std::vector<std::pair<QString, QString>>;

// Keys are compared as the old files compared them, without regard to ASCII case (the unique index of
// 档案.序号 is NOCASE; comparing the same way lets the lookup use it).
const QString kArchiveKeyEquals = QStringLiteral("[序号] = ? collate nocase");

// The tables a save writes, for the fillings of the texts with a table (%1).
std::vector<QStringList> savedTables(const std::function<QStringList(const schema::Table&)>& fill) {
    std::vector<QStringList> fillings;
    for (const QString& name : {schema::kArchive, schema::kPatient})
        fillings.push_back(fill(*schema::findTable(name)));
    return fillings;
}

// %1 the table, %2 the condition on the key.
const sql::Text kFindRow{QStringLiteral("select rowid from %1 where %2 order by rowid limit 1"), [] {
                             return savedTables([](const schema::Table& table) {
                                 return QStringList{quoted(table.name), kArchiveKeyEquals};
                             });
                         }};
// %1 the table, %2 "[column] = ?" for each column written.
const sql::Text kUpdateRow{QStringLiteral("update %1 set %2 where rowid = ?"), [] {
                               return savedTables([](const schema::Table& table) {
                                   return QStringList{
                                       quoted(table.name),
                                       sql::columnsOf(table, QStringLiteral(","), QStringLiteral(" = ?"))};
                               });
                           }};
// %1 the table, %2 the columns written, %3 a mark for each.
const sql::Text kInsertRow{QStringLiteral("insert into %1 (%2) values (%3)"), [] {
                               return savedTables([](const schema::Table& table) {
                                   return QStringList{quoted(table.name),
                                                      sql::columnsOf(table, QStringLiteral(",")),
                                                      sql::marks(int(table.columns.size()))};
                               });
                           }};
const sql::Text kArchiveKeyExists{QStringLiteral("select 1 from [档案] where ") + kArchiveKeyEquals};

QString loadText() {
    QStringList columns{QStringLiteral("序号")};
    for (int i = 0; i < kHeaderFieldCount; ++i)
        columns << QString::number(i);
    columns << QStringLiteral("T1") << QStringLiteral("类别") << QStringLiteral("发药")
            << QStringLiteral("病历") << QStringLiteral("计价");
    QStringList quotedColumns;
    for (const QString& column : std::as_const(columns))
        quotedColumns << quoted(column);
    return QStringLiteral("select %1 from [档案] where %2 order by rowid limit 1")
        .arg(quotedColumns.join(QLatin1Char(',')), kArchiveKeyEquals);
}

// The columns of SheetRecord in its order: the key, the header fields, T1, 类别, 发药, 病历, 计价.
const sql::Text kLoadPrescription{loadText()};
const sql::Text kDeletePrescription{QStringLiteral("delete from [档案] where ") + kArchiveKeyEquals};
// Every column of a prescription's row, as the log line of its deletion keeps it.
const sql::Text kWholePrescription{
    QStringLiteral("select %1 from [档案] where %2 order by rowid limit 1")
        .arg(sql::columnsOf(*schema::findTable(schema::kArchive), QStringLiteral(",")), kArchiveKeyEquals)};
const sql::Text kStoreCaseRecord{QStringLiteral("update [档案] set [病历] = ? where ") + kArchiveKeyEquals};
const sql::Text kDeleteStatistics{QStringLiteral("delete from [统计] where [ID号] = ?")};
const sql::Text kInsertStatistics{
    QStringLiteral("insert into [统计] ([ID号],[名称],[数量],[单位],[单价],[金额],"
                   "[斗位],[分类],[备用1],[备用2],[日期]) "
                   "values (?,?,?,?,?,?,?,?,'','',?)")};

QString columnList(const ColumnValues& values) {
    QStringList names;
    for (const auto& column : values)
        names << quoted(column.first);
    return names.join(QLatin1Char(','));
}

// Drops the values that do not fit their column and names them in `refused` (with `prefix`).
ColumnValues fitting(const QString& table, const ColumnValues& values, QStringList* refused,
                     const QString& prefix = QString()) {
    ColumnValues kept;
    for (const auto& column : values) {
        if (schema::fits(table, column.first, column.second))
            kept.push_back(column);
        else if (refused)
            *refused << prefix + column.first;
    }
    return kept;
}

// Updates the first row of `table` found by `where` (one bound key) or inserts one; true when it updated.
bool updateOrInsert(Database& db, const QString& table, const QString& where, const QString& key,
                    const ColumnValues& values) {
    qint64 rowid = -1;
    {
        Statement find(db, kFindRow.arg(quoted(table), where));
        find.bind(1, key);
        if (find.next())
            rowid = find.integer(0);
    }
    if (values.empty())
        return rowid >= 0;
    if (rowid >= 0) {
        QStringList assignments;
        for (const auto& column : values)
            assignments << quoted(column.first) + QStringLiteral(" = ?");
        Statement update(db, kUpdateRow.arg(quoted(table), assignments.join(QLatin1Char(','))));
        int index = 1;
        for (const auto& column : values)
            update.bind(index++, column.second);
        update.bind(index, rowid);
        update.run();
        return true;
    }
    Statement insert(db, kInsertRow.arg(quoted(table), columnList(values), sql::marks(int(values.size()))));
    int index = 1;
    for (const auto& column : values)
        insert.bind(index++, column.second);
    insert.run();
    return false;
}

bool archiveKeyExists(const Database& db, const QString& key) {
    Statement find(db, kArchiveKeyExists);
    find.bind(1, key);
    return find.next();
}

// The key one second after `key` (same 14-digit form, same suffix); empty when `key` is not of that form.
QString followingKey(const QString& key) {
    // Plain calendar arithmetic in UTC: no daylight-saving gap can make a key unreadable.
    const QDateTime moment(QDate::fromString(key.left(8), QStringLiteral("yyyyMMdd")),
                           QTime::fromString(key.mid(8, 6), QStringLiteral("HHmmss")), Qt::UTC);
    if (key.size() < 14 || !moment.isValid())
        return QString();
    return timestamp14(moment.addSecs(1)) + key.mid(14);
}

// The row as a save writes it: the key it was written under, the date in its stored form, the priced lines
// as their text keeps them, and the old value where a new one was too long for its column.
SheetRecord storedRow(const SheetRecord& sheet, const QString& key, const QDate& date,
                      const std::optional<SheetRecord>& before, const QStringList& refused) {
    SheetRecord row = sheet;
    row.key = key;
    row.fields[kDate] = dates::format(date);
    row.lines = readPricingText(pricingText(sheet.lines));
    const SheetRecord old = before.value_or(SheetRecord());
    for (int i = 0; i < kHeaderFieldCount; ++i) {
        if (refused.contains(QString::number(i)))
            row.fields[std::size_t(i)] = old.fields[std::size_t(i)];
    }
    if (refused.contains(QStringLiteral("类别")))
        row.herbal = old.herbal;
    if (refused.contains(QStringLiteral("发药")))
        row.settled = old.settled;
    return row;
}

} // namespace

SaveOutcome savePrescription(Database& main, const SheetRecord& sheet, bool firstWrite, const QDate& today) {
    SaveOutcome outcome;
    const QDate date = dates::parse(sheet.fields[kDate]);
    if (!date.isValid()) {
        outcome.dateUnreadable = true;
        return outcome;
    }
    try {
        Transaction transaction(main);

        QString key = sheet.key;
        if (key.isEmpty() || !schema::fits(schema::kArchive, QStringLiteral("序号"), key))
            throw DbError(QStringLiteral("处方编号无效：%1").arg(key));
        if (firstWrite) {
            // A new sheet never overwrites another prescription: move on to the next free second.
            while (archiveKeyExists(main, key)) {
                key = followingKey(key);
                if (key.isEmpty())
                    throw DbError(QStringLiteral("处方编号已被占用：%1").arg(sheet.key));
            }
        }

        // The row as it was, for the log line of what this save changes (a new sheet's key is free).
        const std::optional<SheetRecord> before = firstWrite ? std::nullopt : loadPrescription(main, key);

        ColumnValues row;
        row.emplace_back(QStringLiteral("类别"), sheet.herbal ? QStringLiteral("中") : QStringLiteral("西"));
        for (int i = 0; i < kHeaderFieldCount; ++i)
            row.emplace_back(QString::number(i),
                             i == kDate ? dates::format(date) : sheet.fields[std::size_t(i)]);
        row.emplace_back(QStringLiteral("T1"), sheet.items);
        row.emplace_back(QStringLiteral("病历"), sheet.caseRecord);
        row.emplace_back(QStringLiteral("序号"), key);
        row.emplace_back(QStringLiteral("发药"), sheet.settled);
        row.emplace_back(QStringLiteral("计价"), pricingText(sheet.lines));
        updateOrInsert(main, schema::kArchive, kArchiveKeyEquals, key,
                       fitting(schema::kArchive, row, &outcome.refusedColumns));
        clinical::writeNote(main, key, sheet.clinical);
        audit::noteSave(main, before, storedRow(sheet, key, date, before, outcome.refusedColumns));

        const QString& name = sheet.fields[kName];
        const QString& age = sheet.fields[kAge];
        if (!name.isEmpty() && !age.isEmpty()) {
            const QString patient = patientKey(name, age, today.year());
            const QString prefix = schema::kPatient + QLatin1Char('.');
            if (!schema::fits(schema::kPatient, QStringLiteral("序号"), patient)) {
                outcome.refusedColumns << prefix + QStringLiteral("序号");
            } else {
                const ColumnValues patientRow{
                    {QStringLiteral("序号"), patient},
                    {QStringLiteral("姓名"), name},
                    {QStringLiteral("性别"), sheet.fields[kSex]},
                    {QStringLiteral("年龄"), birthYear(age, today.year())},
                    {QStringLiteral("医疗证号"), sheet.fields[kInsuranceNumber]},
                    {QStringLiteral("住址"), sheet.fields[kAddress]},
                    {QStringLiteral("诊断"), sheet.fields[kDiagnosis]},
                    {QStringLiteral("费别"), sheet.fields[kFeeCategory]},
                    {QStringLiteral("电话"), sheet.fields[kPhone]},
                    {QStringLiteral("备用1"), QLatin1String("")},
                    {QStringLiteral("备用2"), QLatin1String("")},
                };
                updateOrInsert(main, schema::kPatient, QStringLiteral("[序号] = ? collate nocase"), patient,
                               fitting(schema::kPatient, patientRow, &outcome.refusedColumns, prefix));
            }
        }

        transaction.commit();
        outcome.saved = true;
        outcome.key = key;
    } catch (const std::exception& e) {
        outcome.saved = false;
        outcome.refusedColumns.clear();
        outcome.error = QString::fromUtf8(e.what());
    }
    return outcome;
}

std::optional<SheetRecord> loadPrescription(const Database& main, const QString& key) {
    return readQuietly([&]() -> std::optional<SheetRecord> {
        Statement select(main, kLoadPrescription);
        select.bind(1, key);
        if (!select.next())
            return std::nullopt;
        SheetRecord sheet;
        int column = 0;
        sheet.key = select.text(column++);
        for (auto& field : sheet.fields)
            field = select.text(column++);
        // Dates are shown as yyyy-MM-dd; a stored text that is no date is shown as it is.
        const QDate date = dates::parse(sheet.fields[kDate]);
        if (date.isValid())
            sheet.fields[kDate] = dates::format(date);
        sheet.items = select.text(column++);
        sheet.herbal = select.text(column++) == QStringLiteral("中");
        sheet.settled = select.text(column++);
        sheet.caseRecord = select.text(column++);
        sheet.lines = readPricingText(select.text(column++));
        sheet.clinical = clinical::readNote(main, sheet.key);
        return sheet;
    });
}

bool prescriptionExists(const Database& main, const QString& key) {
    return readQuietly([&] { return archiveKeyExists(main, key); });
}

bool storeCaseRecord(Database& main, const QString& key, const QString& caseRecord) {
    try {
        Statement update(main, kStoreCaseRecord);
        update.bind(1, caseRecord.isNull() ? QString(QLatin1String("")) : caseRecord);
        update.bind(2, key);
        update.run();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

bool deletePrescription(Database& main, Database* statistics, const QString& key) {
    try {
        Transaction transaction(main);
        // The whole row goes into the log line, every column as it is stored, so that it can be read back.
        const schema::Table& archive = *schema::findTable(schema::kArchive);
        std::vector<std::pair<QString, QString>> stored;
        {
            Statement select(main, kWholePrescription);
            select.bind(1, key);
            if (select.next()) {
                for (int i = 0; i < int(archive.columns.size()); ++i) {
                    if (!select.isNull(i))
                        stored.emplace_back(archive.columns[std::size_t(i)].name, select.text(i));
                }
            }
        }
        Statement remove(main, kDeletePrescription);
        remove.bind(1, key);
        if (remove.run() > 0) {
            auto valueOf = [&stored](const char* column) {
                for (const auto& [name, value] : stored) {
                    if (name == QLatin1String(column))
                        return value;
                }
                return QString();
            };
            const QString total = valueOf("9").isEmpty() ? QStringLiteral("0.00") : valueOf("9");
            audit::write(main, audit::kDeleted, key, valueOf("0"),
                         QStringLiteral("日期 %1，合计 %2%3").arg(valueOf("5"), total, valueOf("发药")),
                         audit::rowText(stored));
        }
        clinical::deleteNote(main, key);
        transaction.commit();
    } catch (const DbError&) {
        // The prescription stays, and so do its statistics lines: they still count in the statistics.
        return false;
    }
    return !statistics || deleteStatistics(*statistics, key);
}

bool replaceStatistics(Database& statistics, const QString& key, const QDate& date, const PricedLines& lines,
                       QStringList* refused) {
    if (!date.isValid() || key.isEmpty() || !schema::fits(schema::kStatistics, QStringLiteral("ID号"), key))
        return false;
    QStringList tooLong;
    try {
        Transaction transaction(statistics);
        Statement remove(statistics, kDeleteStatistics);
        remove.bind(1, key);
        remove.run();

        Statement insert(statistics, kInsertStatistics);
        const QString day = dates::format(date);
        for (const PricedLine& line : lines) {
            if (trimSpaces(line.name).isEmpty())
                continue;
            const std::pair<QString, const QString*> cells[] = {
                {QStringLiteral("名称"), &line.name},     {QStringLiteral("数量"), &line.quantity},
                {QStringLiteral("单位"), &line.unit},     {QStringLiteral("单价"), &line.price},
                {QStringLiteral("金额"), &line.amount},   {QStringLiteral("斗位"), &line.drawer},
                {QStringLiteral("分类"), &line.category},
            };
            insert.reset();
            insert.bind(1, key);
            int index = 2;
            for (const auto& [column, value] : cells) {
                if (schema::fits(schema::kStatistics, column, *value)) {
                    insert.bind(index++, *value);
                } else {
                    insert.bindNull(index++);
                    tooLong << column + QStringLiteral("：") + *value;
                }
            }
            insert.bind(index, day);
            insert.run();
        }
        transaction.commit();
    } catch (const DbError&) {
        return false;
    }
    if (refused)
        *refused = tooLong;
    return true;
}

bool deleteStatistics(Database& statistics, const QString& key) {
    try {
        Statement remove(statistics, kDeleteStatistics);
        remove.bind(1, key);
        remove.run();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

QString RecordKeys::next(const QDateTime& now) {
    QDateTime second = now.addMSecs(-now.time().msec());
    if (last_.isValid() && second <= last_)
        second = last_.addSecs(1);
    last_ = second;
    return timestamp14(second) + suffix_;
}

} // namespace lichuan
