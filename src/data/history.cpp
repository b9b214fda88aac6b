// The history list: prescriptions by a part of the name and a date range, newest key first.
//
// The list is sorted here rather than by the engine: the rows of a name part are found through the list of
// names of 档案 ([档案姓名], kept by triggers), which this connection holds folded and joined so that one
// scan finds the names; then the rows of each name within the dates are read through the index on name and
// date. Without a name part the rows of the dates are read through the date index. Either way the rows are
// then ordered by key, newest first, as "order by [序号] desc" orders them.

#include "data/dates.h"
#include "data/engine.h"
#include "data/prescriptions.h"
#include "data/quietread.h"
#include "data/schema.h"
#include "data/sqltexts.h"
#include "data/tablecopy.h"
#include "data/tracking.h"

#include <algorithm>

namespace lichuan {

namespace {

const QString kEntryColumns = QStringLiteral("[序号],[0],[1],[2],[5],[发药]");

const sql::Text kCountNames{
    QStringLiteral("select count([姓名]) from %1").arg(quoted(tracking::kArchiveNames))};
const sql::Text kNames{QStringLiteral("select [姓名] from %1").arg(quoted(tracking::kArchiveNames))};
// %2: a mark per name.
const sql::Text kEntriesOfNames{
    QStringLiteral("select %1 from [档案] where [0] in (%2) and [5] between ? and ?").arg(kEntryColumns), [] {
        return std::vector<QStringList>{{sql::marks(1)}, {sql::marks(200)}};
    }};
const sql::Text kEntriesOfDates{
    QStringLiteral("select %1 from [档案] where [5] between ? and ? and [0] is not null").arg(kEntryColumns)};
const sql::Text kEntriesByPattern{QStringLiteral("select %1 from [档案] where [0] like ? escape '\\' and [5] "
                                                 "between ? and ? order by [序号] desc")
                                      .arg(kEntryColumns)};

// The names of [档案姓名], as the current stamp of 档案 has them. Names are only ever added to that list
// (a renamed or deleted prescription leaves its old name there), so a list of the same length is the same.
struct ArchiveNames {
    copies::CopyStamp at;
    std::vector<QString> names;
    copies::JoinedTexts folded;
};

void readNames(const Database& main, ArchiveNames& list) {
    {
        Statement count(main, kCountNames);
        if (count.next() && list.at.read && count.integer(0) == qint64(list.names.size()))
            return;
    }
    list.names.clear();
    list.folded.clear();
    Statement select(main, kNames);
    while (select.next()) {
        if (!select.isNull(0))
            list.names.push_back(select.text(0));
    }
    qsizetype characters = 0;
    for (const QString& name : list.names)
        characters += name.size();
    list.folded.reserve(list.names.size(), characters);
    for (const QString& name : list.names)
        list.folded.append(name);
}

const ArchiveNames& archiveNames(const Database& main) {
    ArchiveNames& list = main.attachment<ArchiveNames>();
    const qint64 now = main.tableStamp(schema::kArchive);
    if (!list.at.current(now)) {
        try {
            readNames(main, list);
        } catch (const DbError&) {
            list = ArchiveNames();
            throw;
        }
        list.at.stamp = now;
        list.at.read = true;
    }
    return list;
}

HistoryRow entryFrom(const Statement& select) {
    return HistoryRow{select.text(0), select.text(1), select.text(2),
                      select.text(3), select.text(4), select.text(5)};
}

// The rows read, and then their order: newest key first, rows without a key last in the order read (as
// the engine orders them; keys are unique, so no two rows with a key tie).
struct Entries {
    std::vector<HistoryRow> rows;
    std::vector<HistoryRow> withoutKey;

    void add(const Statement& select) { (select.isNull(0) ? withoutKey : rows).push_back(entryFrom(select)); }

    std::vector<HistoryRow> newestFirst() {
        std::sort(rows.begin(), rows.end(), [](const HistoryRow& a, const HistoryRow& b) {
            return copies::compareCodePoints(a.key, b.key) > 0;
        });
        for (HistoryRow& row : withoutKey)
            rows.push_back(std::move(row));
        return std::move(rows);
    }
};

// How many names one statement asks for (an engine takes some hundreds of parameters at least).
constexpr std::size_t kNamesPerStatement = 200;

std::vector<HistoryRow> historyOfNames(const Database& main, const QString& namePart, const QDate& first,
                                       const QDate& last) {
    const ArchiveNames& list = archiveNames(main);
    const std::vector<int> matching = list.folded.find(copies::foldAscii(namePart));
    const QString firstDay = dates::format(first);
    const QString lastDay = dates::format(last);
    Entries entries;
    // A guess of a dozen rows per name spares most of the regrowth of a long list.
    entries.rows.reserve(matching.size() * 12);
    // The names in groups, each group one statement (the engine seeks each name in the index on name and
    // date); the last group is shorter.
    for (std::size_t from = 0; from < matching.size(); from += kNamesPerStatement) {
        const std::size_t count = std::min(kNamesPerStatement, matching.size() - from);
        Statement select(main, kEntriesOfNames.arg(sql::marks(int(count))));
        int index = 1;
        for (std::size_t i = 0; i < count; ++i)
            select.bind(index++, list.names[std::size_t(matching[from + i])]);
        select.bind(index, firstDay).bind(index + 1, lastDay);
        while (select.next())
            entries.add(select);
    }
    return entries.newestFirst();
}

std::vector<HistoryRow> historyOfDates(const Database& main, const QDate& first, const QDate& last) {
    Entries entries;
    entries.rows.reserve(2048); // about a month of a busy clinic
    Statement select(main, kEntriesOfDates);
    select.bind(1, dates::format(first)).bind(2, dates::format(last));
    while (select.next())
        entries.add(select);
    return entries.newestFirst();
}

} // namespace

std::vector<HistoryRow> queryHistory(const Database& main, const QString& nameFilter, const QString& from,
                                     const QString& to) {
    const QDate first = dates::parse(from);
    const QDate last = dates::parse(to);
    if (!first.isValid() || !last.isValid())
        return {};
    try {
        if (nameFilter.isEmpty())
            return historyOfDates(main, first, last);
        return historyOfNames(main, nameFilter, first, last);
    } catch (const DbError&) {
        // A file without the name list (it could not be upgraded): the query over the whole table.
    }
    return queryHistoryByDate(main, nameFilter, from, to);
}

std::vector<HistoryRow> queryHistoryByDate(const Database& main, const QString& nameFilter,
                                           const QString& from, const QString& to) {
    const QDate first = dates::parse(from);
    const QDate last = dates::parse(to);
    if (!first.isValid() || !last.isValid())
        return {};
    return readQuietly([&] {
        std::vector<HistoryRow> rows;
        Statement select(main, kEntriesByPattern);
        select.bind(1, containsPattern(nameFilter))
            .bind(2, dates::format(first))
            .bind(3, dates::format(last));
        while (select.next())
            rows.push_back(entryFrom(select));
        return rows;
    });
}

} // namespace lichuan
