#include "data/catalog.h"

#include "data/engine.h"
#include "data/gbk.h"

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <algorithm>
#include <map>
#include <sqlite3.h>
#include <unordered_map>

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
// copy is used only while the file has not changed since it was read (Database::changeStamp, which sees
// the changes of every connection); otherwise it is read again.
struct CategoryCopy {
    qint64 stamp = 0;
    std::vector<CatalogItem> items; // ordered by 名称 in GBK order, then by rowid
    QString codes;                  // the folded 查询 of every item, each followed by a NUL
    std::vector<qsizetype> starts;  // where the code of item k starts in `codes`; one more entry at the end
};

struct ConnectionCache {
    sqlite3* handle = nullptr;
    std::map<QString, CategoryCopy> categories;
};

// Caches by connection handle. Each cache is tied to its connection's lifetime through the destructor of
// an (unused) SQL function registered on it, so a handle reused by a later connection never finds the
// copy of an earlier one.
std::unordered_map<sqlite3*, ConnectionCache*>& caches() {
    // Never destroyed, so that a connection closed during exit still finds it.
    static auto* instance = new std::unordered_map<sqlite3*, ConnectionCache*>;
    return *instance;
}

void dropCache(void* data) {
    auto* cache = static_cast<ConnectionCache*>(data);
    caches().erase(cache->handle);
    delete cache;
}

void unusedFunction(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_null(context);
}

ConnectionCache* cacheOf(const Database& db) {
    const auto found = caches().find(db.handle());
    if (found != caches().end())
        return found->second;
    auto* cache = new ConnectionCache;
    cache->handle = db.handle();
    // The engine calls dropCache when the connection closes, and also at once when the registration fails.
    if (sqlite3_create_function_v2(db.handle(), "lichuan_catalog_cache", 0, SQLITE_UTF8, cache,
                                   unusedFunction, nullptr, nullptr, dropCache) != SQLITE_OK)
        return nullptr;
    caches()[db.handle()] = cache;
    return cache;
}

const CategoryCopy& categoryCopy(const Database& main, ConnectionCache& cache, const QString& category,
                                 qint64 stamp) {
    CategoryCopy& copy = cache.categories[category];
    if (copy.stamp == stamp)
        return copy;
    copy = CategoryCopy();

    // Rows without a search code never match a LIKE pattern; they are left out. The order is that of
    // "order by [名称] collate GBK, rowid", computed here with the collation's sort keys.
    struct Row {
        CatalogItem item;
        QString code;
        QByteArray sortKey;
        bool nullName = false;
        qint64 rowid = 0;
    };
    std::vector<Row> rows;
    Statement select(
        main, QStringLiteral("select %1,[查询],rowid from [商品] where [分类] = ? and [查询] is not null")
                  .arg(kItemColumns));
    select.bind(1, category);
    while (select.next()) {
        Row row{itemFrom(select), foldAscii(select.text(7)), QByteArray(), select.isNull(0),
                select.integer(8)};
        row.sortKey = gbk::sortKey(row.item.name);
        rows.push_back(std::move(row));
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (a.nullName != b.nullName)
            return a.nullName; // NULL sorts first
        if (const int order = a.sortKey.compare(b.sortKey))
            return order < 0;
        return a.rowid < b.rowid;
    });

    copy.items.reserve(rows.size());
    copy.starts.reserve(rows.size() + 1);
    for (Row& row : rows) {
        copy.starts.push_back(copy.codes.size());
        copy.codes += row.code;
        copy.codes += QChar(0);
        copy.items.push_back(std::move(row.item));
    }
    copy.starts.push_back(copy.codes.size());
    copy.stamp = stamp;
    return copy;
}

// The items whose folded code contains `needle`, in list order.
std::vector<CatalogItem> searchCopy(const CategoryCopy& copy, const QString& needle) {
    if (needle.isEmpty())
        return copy.items;
    std::vector<CatalogItem> found;
    std::size_t k = 0;
    qsizetype from = 0;
    for (qsizetype at = copy.codes.indexOf(needle, from); at >= 0; at = copy.codes.indexOf(needle, from)) {
        while (copy.starts[k + 1] <= at)
            ++k;
        if (at + needle.size() < copy.starts[k + 1]) { // inside the code of item k (before its NUL)
            found.push_back(copy.items[k]);
            from = copy.starts[k + 1];
        } else {
            from = at + 1;
        }
        if (from >= copy.codes.size())
            break;
    }
    return found;
}

std::vector<CatalogItem> searchWithSql(const Database& main, const QString& category, const QString& text) {
    std::vector<CatalogItem> items;
    Statement select(main,
                     QStringLiteral("select %1 from [商品] where [查询] like ? escape '\\' and [分类] = ? "
                                    "order by [名称] collate GBK, rowid")
                         .arg(kItemColumns));
    select.bind(1, containsPattern(text)).bind(2, category);
    while (select.next())
        items.push_back(itemFrom(select));
    return items;
}

} // namespace

std::vector<CatalogItem> searchCatalog(const Database& main, const QString& category, const QString& text) {
    try {
        ConnectionCache* cache = cacheOf(main);
        const qint64 stamp = main.changeStamp();
        if (!cache || stamp <= 0)
            return searchWithSql(main, category, text);
        return searchCopy(categoryCopy(main, *cache, category, stamp), foldAscii(text));
    } catch (const DbError&) {
        if (ConnectionCache* cache = cacheOf(main))
            cache->categories.erase(category);
        return {};
    }
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
