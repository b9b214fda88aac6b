#include "data/audit.h"

#include "data/clock.h"
#include "data/dates.h"
#include "data/engine.h"
#include "data/quietread.h"
#include "data/schema.h"
#include "data/sqltexts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <functional>

namespace lichuan::audit {

namespace {

// What the lines of one connection are written with; kept with the connection.
struct Writer {
    QString station;
    const Clock* clock = nullptr;
    int hasTable = -1; // -1 not known yet; the table is never dropped, so one look suffices
};

const sql::Text kInsertLine{
    QStringLiteral("insert into [操作记录]([时间],[站点],[操作],[处方号],[姓名],[说明],[内容]) "
                   "values(?,?,?,?,?,?,?)")};

// The header fields by number, as a line names them.
const char* const kFieldNames[kHeaderFieldCount] = {"姓名",  "性别", "年龄",   "科别",   "住址",
                                                    "日期",  "诊断", "医师",   "发药",   "金额",
                                                    "日期2", "电话", "病历号", "医保号", "费别"};

QString totalText(const QString& amount) {
    return QStringLiteral("合计 ") + (amount.isEmpty() ? QStringLiteral("0.00") : amount);
}

bool hasLogTable(Database& db) {
    Writer& writer = db.attachment<Writer>();
    if (writer.hasTable < 0)
        writer.hasTable = db.hasTable(schema::kAuditLog) ? 1 : 0;
    return writer.hasTable == 1;
}

// The 说明 of a prescription saved with other contents: each header field that changed with its old and
// new value, then whether the item text changed and what else did; empty when nothing of that changed.
// `withTotal` names a changed total too (a settlement or its undo explains the total by itself).
QString changeText(const SheetRecord& before, const SheetRecord& after, bool withTotal) {
    QStringList changes;
    for (int i = 0; i < kHeaderFieldCount; ++i) {
        const auto field = std::size_t(i);
        if (before.fields[field] == after.fields[field] || (i == kAmount && !withTotal))
            continue;
        changes << QStringLiteral("%1：%2→%3").arg(fieldName(i), before.fields[field], after.fields[field]);
    }
    if (before.herbal != after.herbal)
        changes << (after.herbal ? QStringLiteral("改为中药处方") : QStringLiteral("改为西药处方"));
    const bool items = before.items != after.items;
    const bool priced = withTotal && pricingText(before.lines) != pricingText(after.lines);
    const bool record = before.caseRecord != after.caseRecord;
    if (changes.isEmpty() && !items && !priced && !record)
        return {};
    changes << (items ? QStringLiteral("药品内容已改") : QStringLiteral("药品内容未改"));
    if (priced)
        changes << QStringLiteral("计价已改");
    if (record)
        changes << QStringLiteral("病历已改");
    return changes.join(QStringLiteral("；"));
}

QString stored(const QJsonObject& row, const char* column) {
    return row.value(QString::fromUtf8(column)).toString();
}

} // namespace

QString fieldName(int field) {
    return field >= 0 && field < kHeaderFieldCount ? QString::fromUtf8(kFieldNames[field]) : QString();
}

const QStringList& actions() {
    static const QStringList list{kChanged,  kDeleted,  kSettled,         kUnsettled,   kPrinted,
                                  kExported, kRestored, kPasswordChanged, kPriceChanged};
    return list;
}

void attach(Database& db, const QString& station, const Clock* clock) {
    Writer& writer = db.attachment<Writer>();
    writer.station = station;
    writer.clock = clock;
}

QString now(const Database& db) {
    const Writer& writer = db.attachment<Writer>();
    const QDateTime time = writer.clock ? writer.clock->now() : QDateTime::currentDateTime();
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void write(Database& db, const QString& action, const QString& key, const QString& name, const QString& text,
           const QString& content) {
    if (!hasLogTable(db))
        return;
    Statement insert(db, kInsertLine);
    insert.bind(1, now(db))
        .bind(2, db.attachment<Writer>().station)
        .bind(3, action)
        .bind(4, key)
        .bind(5, name)
        .bind(6, text)
        .bind(7, content);
    insert.run();
}

bool notePrint(Database& db, const QString& what, const QString& key, const QString& name,
               const QString& where) {
    try {
        write(db, kPrinted, key, name, where.isEmpty() ? what : QStringLiteral("%1（%2）").arg(what, where));
        return true;
    } catch (const DbError&) {
        return false;
    }
}

bool noteExport(Database& db, const QString& window, const QString& file) {
    try {
        write(db, kExported, QString(), QString(), QStringLiteral("%1：%2").arg(window, file));
        return true;
    } catch (const DbError&) {
        return false;
    }
}

bool noteOutput(Database& db, const QString& what, const QString& key, const QString& name,
                const QString& printer, const QString& pdfFile) {
    if (!pdfFile.isEmpty())
        return noteExport(db, what + QStringLiteral("PDF"), pdfFile);
    return notePrint(db, what, key, name, printer);
}

void noteSave(Database& db, const std::optional<SheetRecord>& before, const SheetRecord& after) {
    const QString& name = after.fields[kName];
    const bool settledBefore = before && before->settled == kSettledMarker;
    const bool settledAfter = after.settled == kSettledMarker;
    if (before) {
        const QString changed = changeText(*before, after, settledBefore == settledAfter);
        if (!changed.isEmpty())
            write(db, kChanged, after.key, name, changed, before->items);
    }
    if (!settledBefore && settledAfter)
        write(db, kSettled, after.key, name, totalText(after.fields[kAmount]));
    else if (settledBefore && !settledAfter)
        write(db, kUnsettled, after.key, name, totalText(before->fields[kAmount]));
}

QString rowText(const std::vector<std::pair<QString, QString>>& columns) {
    QJsonObject row;
    for (const auto& [column, value] : columns)
        row.insert(column, value);
    return QString::fromUtf8(QJsonDocument(row).toJson(QJsonDocument::Compact));
}

std::optional<SheetRecord> recordFromRowText(const QString& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject row = document.object();
    if (!row.contains(QStringLiteral("序号")))
        return std::nullopt;
    SheetRecord record;
    record.key = stored(row, "序号");
    for (int i = 0; i < kHeaderFieldCount; ++i)
        record.fields[std::size_t(i)] = row.value(QString::number(i)).toString();
    const QDate date = dates::parse(record.fields[kDate]);
    if (date.isValid())
        record.fields[kDate] = dates::format(date);
    record.items = stored(row, "T1");
    record.herbal = stored(row, "类别") == QStringLiteral("中");
    record.settled = stored(row, "发药");
    record.caseRecord = stored(row, "病历");
    record.lines = readPricingText(stored(row, "计价"));
    return record;
}

namespace {

const QString kLineColumns = QStringLiteral("rowid, [时间], [站点], [操作], [处方号], [姓名], [说明]");
const QString kActionIs = QStringLiteral(" and [操作] = ?");
const QString kNameLike = QStringLiteral(" and [姓名] like ? escape '\\'");
// Newest first is the order they were written in, the lines of one second too.
const QString kNewestFirst = QStringLiteral(" order by rowid desc");

// %1 the columns, %2 the conditions of the action and the name, %3 the order.
const sql::Text kFilteredLines{
    QStringLiteral("select %1 from [操作记录] where [时间] >= ? and [时间] < ?%2%3"), [] {
        std::vector<QStringList> fillings;
        for (const QString& columns : {kLineColumns, QStringLiteral("rowid")}) {
            for (const QString& conditions : {QString(), kActionIs, kNameLike, kActionIs + kNameLike})
                fillings.push_back({columns, conditions, columns == kLineColumns ? kNewestFirst : QString()});
        }
        return fillings;
    }};
const sql::Text kLineWithId{QStringLiteral("select %1 from [操作记录] where rowid = ?").arg(kLineColumns)};
const sql::Text kContentOfLine{QStringLiteral("select [内容] from [操作记录] where rowid = ?")};

// The query of a filter over `columns`; the index on time, action and name answers the conditions.
QString filteredSql(const QString& columns, const Filter& filter, bool ordered) {
    QString conditions;
    if (!filter.action.isEmpty())
        conditions += kActionIs;
    if (!filter.name.isEmpty())
        conditions += kNameLike;
    return kFilteredLines.arg(columns, conditions, ordered ? kNewestFirst : QString());
}

void bindFilter(Statement& select, const Filter& filter) {
    int index = 1;
    select.bind(index++, dates::format(filter.from));
    select.bind(index++, dates::format(filter.to.addDays(1)));
    if (!filter.action.isEmpty())
        select.bind(index++, filter.action);
    if (!filter.name.isEmpty())
        select.bind(index++, containsPattern(filter.name));
}

Line lineFrom(const Statement& select) {
    return {select.integer(0), select.text(1), select.text(2), select.text(3),
            select.text(4),    select.text(5), select.text(6)};
}

} // namespace

std::vector<Line> lines(const Database& db, const Filter& filter) {
    if (!filter.from.isValid() || !filter.to.isValid())
        return {};
    return readQuietly([&] {
        std::vector<Line> found;
        Statement select(db, filteredSql(kLineColumns, filter, true));
        bindFilter(select, filter);
        while (select.next())
            found.push_back(lineFrom(select));
        return found;
    });
}

std::vector<qint64> lineIds(const Database& db, const Filter& filter) {
    if (!filter.from.isValid() || !filter.to.isValid())
        return {};
    return readQuietly([&] {
        std::vector<qint64> found;
        // Read from the index in its own order, then put newest first here: no sorter on the engine's side.
        Statement select(db, filteredSql(QStringLiteral("rowid"), filter, false));
        bindFilter(select, filter);
        while (select.next())
            found.push_back(select.integer(0));
        std::sort(found.begin(), found.end(), std::greater<>());
        return found;
    });
}

std::vector<Line> linesWithIds(const Database& db, const qint64* ids, std::size_t count) {
    return readQuietly([&] {
        std::vector<Line> found;
        found.reserve(count);
        Statement select(db, kLineWithId);
        for (std::size_t i = 0; i < count; ++i) {
            select.reset();
            select.bind(1, ids[i]);
            if (select.next())
                found.push_back(lineFrom(select));
        }
        return found;
    });
}

QString content(const Database& db, qint64 id) {
    return readQuietly([&] {
        Statement select(db, kContentOfLine);
        select.bind(1, id);
        return select.next() ? select.text(0) : QString();
    });
}

} // namespace lichuan::audit
