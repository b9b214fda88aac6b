#include "data/catalog.h"

#include "data/engine.h"
#include "data/gbk.h"
#include "data/schema.h"
#include "data/tracking.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace lichuan {

namespace {

const QString kItemColumns = QStringLiteral("[名称],[常用量],[单位],[用法],[单价],[斗位],[分类]");

CatalogItem itemFrom(const Statement& row) {
    return CatalogItem{row.text(0), row.text(1), row.text(2), row.text(3),
                       row.text(4), row.text(5), row.text(6)};
}

// ASCII letters to lower case and nothing else, as the engine's LIKE compares.
QString foldAscii(const QString& text) {
    QString folded = text;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
}

// The pick list runs on every keystroke, so each connection keeps a copy of the categories it searched,
// in list order, with their search codes folded and joined into one text that a single scan searches. A
// copy is used while the catalog's change stamp stays the same; when it moved, the rows changed since are
// read again and put in their places (other categories' changes leave the copy as it is), or, when they are
// not known, the whole category is read again.
struct Placed {
    QString code;       // folded 查询
    QByteArray sortKey; // GBK sort key of 名称
    bool nullName = false;
    qint64 rowid = 0;
};

// The order of "order by [名称] collate GBK, rowid": NULL names first.
bool placedBefore(const Placed& a, const Placed& b) {
    if (a.nullName != b.nullName)
        return a.nullName;
    if (const int order = a.sortKey.compare(b.sortKey))
        return order < 0;
    return a.rowid < b.rowid;
}

struct CategoryCopy {
    qint64 stamp = -1;
    bool read = false;
    std::shared_ptr<std::vector<CatalogItem>> items; // ordered by 名称 in GBK order, then by rowid
    std::vector<Placed> placed;                      // entry k belongs to item k
    QString codes;                 // the folded 查询 of every item, each followed by a NUL
    std::vector<qsizetype> starts; // where the code of item k starts in `codes`; one more entry at the end

    void joinCodes() {
        codes.clear();
        starts.clear();
        starts.reserve(placed.size() + 1);
        qsizetype length = 0;
        for (const Placed& p : placed)
            length += p.code.size() + 1;
        codes.reserve(length);
        for (const Placed& p : placed) {
            starts.push_back(codes.size());
            codes += p.code;
            codes += QChar(0);
        }
        starts.push_back(codes.size());
    }
};

struct CatalogCache {
    std::map<QString, CategoryCopy> categories;
};

const QString kCopyColumns = kItemColumns + QStringLiteral(",[查询],rowid");

// An item of the copy from a row of "select kCopyColumns". Rows without a search code never match a LIKE
// pattern; they are left out.
bool readPlaced(const Statement& row, CatalogItem* item, Placed* placed) {
    if (row.isNull(7))
        return false;
    *item = itemFrom(row);
    placed->code = foldAscii(row.text(7));
    placed->nullName = row.isNull(0);
    placed->sortKey = gbk::sortKey(item->name);
    placed->rowid = row.integer(8);
    return true;
}

void readWhole(const Database& main, const QString& category, CategoryCopy& copy) {
    struct Row {
        CatalogItem item;
        Placed placed;
    };
    std::vector<Row> rows;
    Statement select(main, QStringLiteral("select %1 from [商品] where [分类] = ?").arg(kCopyColumns));
    select.bind(1, category);
    while (select.next()) {
        Row row;
        if (readPlaced(select, &row.item, &row.placed))
            rows.push_back(std::move(row));
    }
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return placedBefore(a.placed, b.placed); });
    auto items = std::make_shared<std::vector<CatalogItem>>();
    items->reserve(rows.size());
    copy.placed.clear();
    copy.placed.reserve(rows.size());
    for (Row& row : rows) {
        items->push_back(std::move(row.item));
        copy.placed.push_back(std::move(row.placed));
    }
    copy.items = std::move(items);
    copy.joinCodes();
}

// Puts the current state of the changed rows into the copy: each changed row leaves its old place, and
// comes back at its place in the order when it still belongs to the category.
void applyChanges(const Database& main, const QString& category, CategoryCopy& copy,
                  const std::vector<qint64>& rowids) {
    if (rowids.empty())
        return;
    std::vector<std::pair<CatalogItem, Placed>> current;
    Statement select(main, QStringLiteral("select %1,[分类] from [商品] where rowid = ?").arg(kCopyColumns));
    for (const qint64 rowid : rowids) {
        select.reset();
        select.bind(1, rowid);
        if (!select.next() || select.isNull(9) || select.text(9) != category)
            continue;
        std::pair<CatalogItem, Placed> row;
        if (readPlaced(select, &row.first, &row.second))
            current.push_back(std::move(row));
    }
    const std::set<qint64> changed(rowids.begin(), rowids.end());
    const bool touched = std::any_of(copy.placed.begin(), copy.placed.end(),
                                     [&](const Placed& p) { return changed.count(p.rowid) > 0; });
    if (current.empty() && !touched)
        return; // changes of other categories: the list stays the very same
    auto items = std::make_shared<std::vector<CatalogItem>>();
    std::vector<Placed> placed;
    items->reserve(copy.items->size() + current.size());
    placed.reserve(copy.placed.size() + current.size());
    for (std::size_t k = 0; k < copy.placed.size(); ++k) {
        if (changed.count(copy.placed[k].rowid))
            continue;
        items->push_back((*copy.items)[k]);
        placed.push_back(std::move(copy.placed[k]));
    }
    for (auto& [item, place] : current) {
        const auto at = std::lower_bound(placed.begin(), placed.end(), place, placedBefore);
        const auto index = at - placed.begin();
        items->insert(items->begin() + index, std::move(item));
        placed.insert(at, std::move(place));
    }
    copy.items = std::move(items);
    copy.placed = std::move(placed);
    copy.joinCodes();
}

CategoryCopy& categoryCopy(const Database& main, CatalogCache& cache, const QString& category, qint64 stamp) {
    CategoryCopy& copy = cache.categories[category];
    if (copy.read && copy.stamp == stamp)
        return copy;
    std::optional<std::vector<qint64>> changed;
    if (copy.read)
        changed = tracking::rowsChangedSince(main, schema::kCatalog, copy.stamp);
    copy.read = false;
    if (changed)
        applyChanges(main, category, copy, *changed);
    else
        readWhole(main, category, copy);
    copy.stamp = stamp;
    copy.read = true;
    return copy;
}

// The positions of the items whose folded code contains `needle`, in list order.
std::vector<int> searchCopy(const CategoryCopy& copy, const QString& needle) {
    std::vector<int> found;
    if (needle.isEmpty()) {
        found.resize(copy.items->size());
        for (std::size_t k = 0; k < found.size(); ++k)
            found[k] = int(k);
        return found;
    }
    std::size_t k = 0;
    qsizetype from = 0;
    for (qsizetype at = copy.codes.indexOf(needle, from); at >= 0; at = copy.codes.indexOf(needle, from)) {
        while (copy.starts[k + 1] <= at)
            ++k;
        if (at + needle.size() < copy.starts[k + 1]) { // inside the code of item k (before its NUL)
            found.push_back(int(k));
            from = copy.starts[k + 1];
        } else {
            from = at + 1;
        }
        if (from >= copy.codes.size())
            break;
    }
    return found;
}

} // namespace

std::vector<CatalogItem> searchCatalogByQuery(const Database& main, const QString& category,
                                              const QString& text) {
    std::vector<CatalogItem> items;
    try {
        Statement select(
            main, QStringLiteral("select %1 from [商品] where [查询] like ? escape '\\' and [分类] = ? "
                                 "order by [名称] collate GBK, rowid")
                      .arg(kItemColumns));
        select.bind(1, containsPattern(text)).bind(2, category);
        while (select.next())
            items.push_back(itemFrom(select));
    } catch (const DbError&) {
        items.clear();
    }
    return items;
}

CatalogMatches matchCatalog(const Database& main, const QString& category, const QString& text) {
    CatalogMatches matches;
    try {
        const qint64 stamp = main.tableStamp(schema::kCatalog);
        if (stamp >= 0) {
            const CategoryCopy& copy = categoryCopy(main, main.attachment<CatalogCache>(), category, stamp);
            matches.list = copy.items;
            matches.rows = searchCopy(copy, foldAscii(text));
            return matches;
        }
    } catch (const DbError&) {
        main.attachment<CatalogCache>().categories.erase(category);
        return matches;
    }
    auto items = std::make_shared<std::vector<CatalogItem>>(searchCatalogByQuery(main, category, text));
    matches.rows.resize(items->size());
    for (std::size_t k = 0; k < items->size(); ++k)
        matches.rows[k] = int(k);
    matches.list = std::move(items);
    return matches;
}

std::vector<CatalogItem> searchCatalog(const Database& main, const QString& category, const QString& text) {
    const CatalogMatches matches = matchCatalog(main, category, text);
    std::vector<CatalogItem> items;
    items.reserve(matches.rows.size());
    for (const int row : matches.rows)
        items.push_back((*matches.list)[std::size_t(row)]);
    return items;
}

std::vector<CatalogItem> catalogOfCategories(const Database& main, const QStringList& categories) {
    std::vector<CatalogItem> items;
    if (categories.isEmpty())
        return items;
    try {
        QStringList marks;
        for (qsizetype i = 0; i < categories.size(); ++i)
            marks << QStringLiteral("?");
        Statement select(main, QStringLiteral("select %1 from [商品] where [分类] in (%2) order by rowid")
                                   .arg(kItemColumns, marks.join(QLatin1Char(','))));
        int index = 1;
        for (const QString& category : categories)
            select.bind(index++, category);
        while (select.next())
            items.push_back(itemFrom(select));
    } catch (const DbError&) {
        items.clear();
    }
    return items;
}

bool findCatalogItem(const Database& main, const QString& category, const QString& name, CatalogItem* item) {
    // Trailing spaces do not count on either side, letter case does not count (as names are unique).
    // The range on 名称 lets the unique NOCASE index find the candidates ("+" keeps the engine from
    // reading the whole category through the index of 分类 instead).
    QString trimmed = name;
    while (trimmed.endsWith(QLatin1Char(' ')))
        trimmed.chop(1);
    try {
        Statement select(main,
                         QStringLiteral("select %1 from [商品] where [名称] >= ?1 collate nocase and "
                                        "[名称] <= ?2 collate nocase and rtrim([名称], ' ') = ?1 collate "
                                        "nocase and +[分类] = ?3 order by rowid limit 1")
                             .arg(kItemColumns));
        select.bind(1, trimmed).bind(2, trimmed + QString(200, QLatin1Char(' '))).bind(3, category);
        if (!select.next())
            return false;
        if (item)
            *item = itemFrom(select);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

std::vector<TemplateItem> searchTemplates(const Database& main, const QString& kind, const QString& text) {
    std::vector<TemplateItem> templates;
    try {
        Statement select(
            main, QStringLiteral("select [序号],[名称],[内容] from [个人模板] "
                                 "where [查询] like ? escape '\\' and [分类] = ? order by [排序], rowid"));
        select.bind(1, containsPattern(text)).bind(2, kind);
        while (select.next())
            templates.push_back(TemplateItem{select.text(0), select.text(1), select.text(2)});
    } catch (const DbError&) {
        templates.clear();
    }
    return templates;
}

} // namespace lichuan
