#include "data/catalogcopy.h"

#include "data/engine.h"
#include "data/gbk.h"
#include "data/schema.h"

#include <algorithm>
#include <map>
#include <set>

namespace lichuan::catalogcopy {

const QString kRowColumns =
    QStringLiteral("[ID号],[名称],[常用量],[单位],[单价],[用法],[斗位],[拼音],[备用1],[分类],[查询]");

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

// Makes the lists of the copy from rows in list order.
void assign(Category& copy, std::vector<Row>& ordered) {
    auto rows = std::make_shared<std::vector<CatalogRow>>();
    auto items = std::make_shared<std::vector<CatalogItem>>();
    rows->reserve(ordered.size());
    items->reserve(ordered.size());
    copy.placed.clear();
    copy.placed.reserve(ordered.size());
    copy.codes.clear();
    qsizetype characters = 0;
    for (const Row& row : ordered)
        characters += row.placed.code.size();
    copy.codes.reserve(ordered.size(), characters);
    for (Row& row : ordered) {
        copy.codes.append(row.placed.code);
        items->push_back(itemOf(row.row));
        rows->push_back(std::move(row.row));
        copy.placed.push_back(std::move(row.placed));
    }
    copy.rows = std::move(rows);
    copy.items = std::move(items);
}

void readWhole(const Database& main, const QString& category, Category& copy) {
    std::vector<Row> ordered;
    Statement select(main, QStringLiteral("select %1 from [商品] where [分类] = ?").arg(kCopyColumns));
    select.bind(1, category);
    while (select.next()) {
        Row row;
        if (readRow(select, &row))
            ordered.push_back(std::move(row));
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const Row& a, const Row& b) { return placedBefore(a.placed, b.placed); });
    assign(copy, ordered);
}

// Puts the current state of the changed rows into the copy: each changed row leaves its old place, and
// comes back at its place in the order when it still belongs to the category.
void applyChanges(const Database& main, const QString& category, Category& copy,
                  const std::vector<qint64>& rowids) {
    if (rowids.empty())
        return;
    std::vector<Row> current;
    Statement select(main, QStringLiteral("select %1 from [商品] where rowid = ?").arg(kCopyColumns));
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

const Category* category(const Database& main, const QString& category) {
    const qint64 now = main.tableStamp(schema::kCatalog);
    if (now < 0)
        return nullptr;
    Cache& cache = main.attachment<Cache>();
    Category& copy = cache.categories[category];
    try {
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
