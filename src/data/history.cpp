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
#include <array>
#include <cstdint>

namespace lichuan {

namespace {

const QString kEntryColumns = QStringLiteral("[序号],[0],[1],[2],[5],[发药]");

// An empty name is left out: no name part is found in it.
const sql::Text kCountNames{
    QStringLiteral("select count(*) from %1 where [姓名] > ''").arg(quoted(tracking::kArchiveNames))};
const sql::Text kNames{
    QStringLiteral("select [姓名] from %1 where [姓名] > ''").arg(quoted(tracking::kArchiveNames))};
// %2: a mark per name.
const sql::Text kEntriesOfNames{
    QStringLiteral("select %1 from [档案] where [0] in (%2) and [5] between ? and ?").arg(kEntryColumns), [] {
        return std::vector<QStringList>{{sql::marks(1)}, {sql::marks(200)}};
    }};
const sql::Text kEntriesOfDates{
    QStringLiteral("select %1 from [档案] where [5] between ? and ? and [0] is not null "
                   "order by [5] desc, [序号] desc")
        .arg(kEntryColumns)};
const sql::Text kEntriesByPattern{QStringLiteral("select %1 from [档案] where [0] like ? escape '\\' and [5] "
                                                 "between ? and ? order by [序号] desc")
                                      .arg(kEntryColumns)};

const sql::Text kNamesAfter{QStringLiteral("select [姓名] from %1 where [姓名] > ? order by [姓名] limit ?")
                                .arg(quoted(tracking::kArchiveNames))};

// The names of [档案姓名], as the current stamp of 档案 has them. Names are only ever added to that list
// (a renamed or deleted prescription leaves its old name there), so a list of the same length is the same.
struct NamesAhead {
    qint64 stamp = -1;
    copies::Slices slices{copies::Slices::Key::Text, kNamesAfter, 0};
    std::vector<QString> names;
};

struct ArchiveNames {
    copies::CopyStamp at;
    std::vector<QString> names;
    copies::JoinedTexts folded;
    std::shared_ptr<NamesAhead> ahead; // while the list is read ahead

    void fold() {
        folded.clear();
        qsizetype characters = 0;
        for (const QString& name : names)
            characters += name.size();
        folded.reserve(names.size(), characters);
        for (const QString& name : names)
            folded.append(name);
    }
};

// Reads on at the list being read ahead until `deadline`; when it is complete it becomes the list, current as
// of the stamp before its first piece. True when there is nothing more to read ahead. Throws DbError.
bool readAhead(const Database& main, ArchiveNames& list, const QDeadlineTimer& deadline) {
    if (list.at.read) {
        list.ahead.reset();
        return true;
    }
    if (!list.ahead) {
        list.ahead = std::make_shared<NamesAhead>();
        list.ahead->stamp = main.tableStamp(schema::kArchive);
    }
    NamesAhead& ahead = *list.ahead;
    if (!ahead.slices.read(main, deadline, [&](const Statement& row) { ahead.names.push_back(row.text(0)); }))
        return false;
    list.names = std::move(ahead.names);
    list.fold();
    list.at.stamp = ahead.stamp;
    list.at.read = true;
    list.ahead.reset();
    return true;
}

void readNames(const Database& main, ArchiveNames& list) {
    // An empty name is left out: no name part is found in it.
    {
        Statement count(main, kCountNames);
        if (count.next() && list.at.read && count.integer(0) == qint64(list.names.size()))
            return;
    }
    list.names.clear();
    list.folded.clear();
    Statement select(main, kNames);
    while (select.next())
        list.names.push_back(select.text(0));
    list.fold();
}

const ArchiveNames& archiveNames(const Database& main) {
    ArchiveNames& list = main.attachment<ArchiveNames>();
    if (list.ahead) { // a query before the list read ahead is complete reads the rest at once
        try {
            readAhead(main, list, QDeadlineTimer(QDeadlineTimer::Forever));
        } catch (const DbError&) {
            list = ArchiveNames();
            throw;
        }
    }
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

// A column whose values repeat from row to row (a name within its rows, sex, age, date, the settled
// marker): a value the same as one of the last few is not decoded again, and the entries share its text.
class RepeatedTexts {
public:
    const QString& read(const Statement& select, int column) {
        const QByteArrayView bytes = select.textBytes(column);
        const bool null = select.isNull(column);
        for (Seen& seen : seen_) {
            if (seen.used && seen.null == null && QByteArrayView(seen.bytes) == bytes)
                return seen.text;
        }
        Seen& slot = seen_[next_++ % seen_.size()];
        slot = Seen{true, null, bytes.toByteArray(), select.text(column)};
        return slot.text;
    }

private:
    struct Seen {
        bool used = false;
        bool null = false;
        QByteArray bytes;
        QString text;
    };
    std::array<Seen, 4> seen_;
    std::size_t next_ = 0;
};

// The rows read, and then their order: newest key first, rows without a key last in the order read (as
// the engine orders them; keys are unique, so no two rows with a key tie).
struct Entries {
    std::vector<HistoryRow> rows;
    std::vector<HistoryRow> withoutKey;
    std::array<RepeatedTexts, 5> repeated; // columns 1 … 5 of kEntryColumns (a name repeats within its rows)

    void add(const Statement& select) {
        (select.isNull(0) ? withoutKey : rows)
            .push_back(HistoryRow{select.text(0), repeated[0].read(select, 1), repeated[1].read(select, 2),
                                  repeated[2].read(select, 3), repeated[3].read(select, 4),
                                  repeated[4].read(select, 5)});
    }

    std::vector<HistoryRow> newestFirst() {
        const auto newer = [](const HistoryRow& a, const HistoryRow& b) {
            return copies::compareCodePoints(a.key, b.key) > 0;
        };
        // Rows read newest date first are mostly in order already; others are ordered by their positions,
        // so that each row moves once.
        if (!std::is_sorted(rows.begin(), rows.end(), newer)) {
            std::vector<std::uint32_t> order(rows.size());
            for (std::size_t k = 0; k < order.size(); ++k)
                order[k] = std::uint32_t(k);
            std::sort(order.begin(), order.end(),
                      [&](std::uint32_t a, std::uint32_t b) { return newer(rows[a], rows[b]); });
            std::vector<HistoryRow> ordered;
            ordered.reserve(rows.size() + withoutKey.size());
            for (const std::uint32_t k : order)
                ordered.push_back(std::move(rows[k]));
            rows = std::move(ordered);
        }
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
    // Backwards through the index on date and key: a key is mostly the moment its sheet was started, so
    // the rows come newest key first and need no sorting.
    Statement select(main, kEntriesOfDates);
    select.bind(1, dates::format(first)).bind(2, dates::format(last));
    while (select.next())
        entries.add(select);
    return entries.newestFirst();
}

} // namespace

bool readArchiveNamesAhead(const Database& main, const QDeadlineTimer& deadline) {
    ArchiveNames& list = main.attachment<ArchiveNames>();
    try {
        return readAhead(main, list, deadline);
    } catch (const DbError&) {
        list = ArchiveNames(); // the first query reads the list itself, or does without it
        return true;
    }
}

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
