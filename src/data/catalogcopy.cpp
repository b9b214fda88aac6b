#include "data/catalogcopy.h"

#include "data/engine.h"
#include "data/gbk.h"
#include "data/schema.h"
#include "data/sqltexts.h"

#include <algorithm>
#include <map>
#include <set>

namespace lichuan::catalogcopy {

CatalogRow rowFrom(const Statement& select) {
    return CatalogRow{select.text(0), select.text(1), select.text(2), select.text(3),
                      select.text(4), select.text(5), select.text(6), select.text(7),
                      select.text(8), select.text(9), select.text(10)};
}

bool placedBefore(const Placed& a, const Placed& b) {
    if (a.nullName != b.nullName)
        return a.nullName;
    if (const int order = a.sortKey.compare(b.sortKey))
        return order < 0;
    return a.rowid < b.rowid;
}

Placed placeOf(const CatalogRow& row, bool nullName, qint64 rowid) {
    return Placed{copies::foldAscii(row.search), gbk::sortKey(row.name), nullName, rowid};
}

namespace {

struct Cache {
    std::map<QString, Category> categories;
};

const QString kCopyColumns = kRowColumns + QStringLiteral(",rowid");
const sql::Text kRowsOfCategory{QStringLiteral("select %1 from [商品] where [分类] = ?").arg(kCopyColumns)};
const sql::Text kRowsOfCategoryAfter{
    QStringLiteral("select %1 from [商品] where [分类] = ? and rowid > ? order by rowid limit ?")
        .arg(kCopyColumns)};
const sql::Text kRowById{QStringLiteral("select %1 from [商品] where rowid = ?").arg(kCopyColumns)};

struct Row {
    CatalogRow row;
    Placed placed;
};

// A row of "select kCopyColumns". Rows without a search code never match a LIKE pattern; they are left out.
bool readRow(const Statement& select, Row* row) {
    if (select.isNull(10))
        return false;
    row->row = rowFrom(select);
    row->placed = placeOf(row->row, select.isNull(1), select.integer(11));
    return true;
}

CatalogItem itemOf(const CatalogRow& row) {
    return CatalogItem{row.name, row.usualQty, row.unit, row.usage, row.price, row.drawer, row.category};
}

void joinCodes(Category& copy) {
    copy.codes.clear();
    qsizetype characters = 0;
    for (const Placed& placed : copy.placed)
        characters += placed.code.size();
    copy.codes.reserve(copy.placed.size(), characters);
    for (const Placed& placed : copy.placed)
        copy.codes.append(placed.code);
}

// Makes the lists of the copy from rows in list order.
void assign(Category& copy, std::vector<Row>& ordered);

// Makes the lists of the copy from rows in any order: they are put in list order first (by their places,
// so that the rows themselves move once).
void orderAndAssign(Category& copy, std::vector<Row>& rows) {
    std::vector<std::size_t> order(rows.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return placedBefore(rows[a].placed, rows[b].placed); });
    std::vector<Row> ordered;
    ordered.reserve(rows.size());
    for (const std::size_t k : order)
        ordered.push_back(std::move(rows[k]));
    assign(copy, ordered);
}

void assign(Category& copy, std::vector<Row>& ordered) {
    auto rows = std::make_shared<std::vector<CatalogRow>>();
    auto items = std::make_shared<std::vector<CatalogItem>>();
    rows->reserve(ordered.size());
    items->reserve(ordered.size());
    copy.placed.clear();
    copy.placed.reserve(ordered.size());
    for (Row& row : ordered) {
        items->push_back(itemOf(row.row));
        rows->push_back(std::move(row.row));
        copy.placed.push_back(std::move(row.placed));
    }
    copy.rows = std::move(rows);
    copy.items = std::move(items);
    joinCodes(copy);
}

void readWhole(const Database& main, const QString& category, Category& copy) {
    std::vector<Row> rows;
    Statement select(main, kRowsOfCategory);
    select.bind(1, category);
    while (select.next()) {
        Row row;
        if (readRow(select, &row))
            rows.push_back(std::move(row));
    }
    orderAndAssign(copy, rows);
}

// The lists of the copy to change in place: the very lists when nobody else holds them, otherwise copies
// (a window may still show the matches of the last keystroke).
template <class T> std::shared_ptr<std::vector<T>> ownLists(std::shared_ptr<const std::vector<T>>& lists) {
    if (lists.use_count() == 1)
        return std::const_pointer_cast<std::vector<T>>(lists);
    auto own = std::make_shared<std::vector<T>>(*lists);
    lists = own;
    return own;
}

// A change that leaves every changed row at its place in the order (a new price, usage or drawer; the most
// common change by far) is put into the lists in place. False, with nothing changed, for any other change.
bool changeInPlace(Category& copy, const std::set<qint64>& changed, std::vector<Row>& current) {
    constexpr std::size_t kFewRows = 16;
    if (current.size() != changed.size() || current.size() > kFewRows)
        return false; // a row left the category or lost its code, or too many to look up one by one
    std::vector<std::size_t> places;
    for (const Row& row : current) {
        const auto at = std::find_if(copy.placed.begin(), copy.placed.end(),
                                     [&](const Placed& p) { return p.rowid == row.placed.rowid; });
        if (at == copy.placed.end() || at->nullName != row.placed.nullName ||
            at->sortKey != row.placed.sortKey)
            return false; // new to the category, or renamed
        places.push_back(std::size_t(at - copy.placed.begin()));
    }
    const auto rows = ownLists(copy.rows);
    const auto items = ownLists(copy.items);
    bool joinAgain = false;
    for (std::size_t c = 0; c < current.size(); ++c) {
        const std::size_t k = places[c];
        Row& row = current[c];
        if (copy.placed[k].code != row.placed.code && !copy.codes.replace(k, row.placed.code))
            joinAgain = true;
        (*items)[k] = itemOf(row.row);
        (*rows)[k] = std::move(row.row);
        copy.placed[k] = std::move(row.placed);
    }
    if (joinAgain)
        joinCodes(copy);
    return true;
}

// Puts the current state of the changed rows into the copy: each changed row leaves its old place, and
// comes back at its place in the order when it still belongs to the category.
void applyChanges(const Database& main, const QString& category, Category& copy,
                  const std::vector<qint64>& rowids) {
    if (rowids.empty())
        return;
    std::vector<Row> current;
    Statement select(main, kRowById);
    for (const qint64 rowid : rowids) {
        select.reset();
        select.bind(1, rowid);
        Row row;
        if (select.next() && !select.isNull(9) && select.text(9) == category && readRow(select, &row))
            current.push_back(std::move(row));
    }
    const std::set<qint64> changed(rowids.begin(), rowids.end());
    const bool touched = std::any_of(copy.placed.begin(), copy.placed.end(),
                                     [&](const Placed& p) { return changed.count(p.rowid) > 0; });
    if (current.empty() && !touched)
        return; // changes of other categories: the lists stay the very same
    if (changeInPlace(copy, changed, current))
        return;
    std::vector<Row> ordered;
    ordered.reserve(copy.placed.size() + current.size());
    for (std::size_t k = 0; k < copy.placed.size(); ++k) {
        if (!changed.count(copy.placed[k].rowid))
            ordered.push_back(Row{(*copy.rows)[k], std::move(copy.placed[k])});
    }
    std::sort(current.begin(), current.end(),
              [](const Row& a, const Row& b) { return placedBefore(a.placed, b.placed); });
    std::vector<Row> merged;
    merged.reserve(ordered.size() + current.size());
    std::merge(std::make_move_iterator(ordered.begin()), std::make_move_iterator(ordered.end()),
               std::make_move_iterator(current.begin()), std::make_move_iterator(current.end()),
               std::back_inserter(merged),
               [](const Row& a, const Row& b) { return placedBefore(a.placed, b.placed); });
    assign(copy, merged);
}

} // namespace

// A copy being read ahead in slices: the catalog's stamp before the first piece, and the rows read so far.
struct CategoryAhead {
    qint64 stamp = -1;
    copies::Slices slices;
    std::vector<Row> rows;
};

namespace {

// Reads on at the copy being read ahead until `deadline`; when it is complete it becomes the copy, current
// as of the stamp before its first piece. True when there is nothing more to read ahead. Throws DbError.
bool readAhead(const Database& main, const QString& category, Category& copy,
               const QDeadlineTimer& deadline) {
    if (copy.at.read) {
        copy.ahead.reset();
        return true;
    }
    if (!copy.ahead) {
        const qint64 stamp = main.tableStamp(schema::kCatalog);
        if (stamp < 0)
            return true;
        copy.ahead = std::make_shared<CategoryAhead>(CategoryAhead{
            stamp, copies::Slices(copies::Slices::Key::Rowid, kRowsOfCategoryAfter, 11, {category}), {}});
    }
    CategoryAhead& ahead = *copy.ahead;
    const bool read = ahead.slices.read(main, deadline, [&](const Statement& select) {
        Row row;
        if (readRow(select, &row))
            ahead.rows.push_back(std::move(row));
    });
    if (!read)
        return false;
    orderAndAssign(copy, ahead.rows);
    copy.at.stamp = ahead.stamp;
    copy.at.read = true;
    copy.ahead.reset();
    return true;
}

} // namespace

bool readCategoryAhead(const Database& main, const QString& category, const QDeadlineTimer& deadline) {
    Cache& cache = main.attachment<Cache>();
    try {
        return readAhead(main, category, cache.categories[category], deadline);
    } catch (const DbError&) {
        cache.categories.erase(category); // the first lookup reads the category itself
        return true;
    }
}

const Category* category(const Database& main, const QString& category) {
    const qint64 now = main.tableStamp(schema::kCatalog);
    if (now < 0)
        return nullptr;
    Cache& cache = main.attachment<Cache>();
    Category& copy = cache.categories[category];
    try {
        if (copy.ahead) // a lookup before the copy read ahead is complete reads the rest at once
            readAhead(main, category, copy, QDeadlineTimer(QDeadlineTimer::Forever));
        copies::refresh(
            main, schema::kCatalog, copy.at, now,
            [&](const std::vector<qint64>& rowids) { applyChanges(main, category, copy, rowids); },
            [&] { readWhole(main, category, copy); });
    } catch (const DbError&) {
        cache.categories.erase(category);
        throw;
    }
    return &copy;
}

std::vector<int> search(const Category& copy, const QString& text) {
    return copy.codes.find(copies::foldAscii(text));
}

} // namespace lichuan::catalogcopy
