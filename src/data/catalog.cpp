#include "data/catalog.h"

#include "data/catalogcopy.h"
#include "data/engine.h"
#include "data/quietread.h"
#include "data/smallcopies.h"
#include "data/sqltexts.h"

namespace lichuan {

namespace {

const QString kItemColumns = QStringLiteral("[名称],[常用量],[单位],[用法],[单价],[斗位],[分类]");

const sql::Text kItemsByQuery{
    QStringLiteral("select %1 from [商品] where [查询] like ? escape '\\' and [分类] = ? "
                   "order by [名称] collate GBK, rowid")
        .arg(kItemColumns)};
// %2: a mark per category.
const sql::Text kItemsOfCategories{
    QStringLiteral("select %1 from [商品] where [分类] in (%2) order by rowid").arg(kItemColumns), [] {
        return std::vector<QStringList>{{sql::marks(1)}, {sql::marks(3)}};
    }};
// Trailing spaces do not count on either side, letter case does not count (as names are unique).
// The range on 名称 lets the unique NOCASE index find the candidates ("+" keeps the engine from
// reading the whole category through the index of 分类 instead).
const sql::Text kItemByName{QStringLiteral("select %1 from [商品] where [名称] >= ?1 collate nocase and "
                                           "[名称] <= ?2 collate nocase and rtrim([名称], ' ') = ?1 collate "
                                           "nocase and +[分类] = ?3 order by rowid limit 1")
                                .arg(kItemColumns)};
const sql::Text kTemplatesByQuery{
    QStringLiteral("select [序号],[名称],[内容] from [个人模板] "
                   "where [查询] like ? escape '\\' and [分类] = ? order by [排序], rowid")};

CatalogItem itemFrom(const Statement& row) {
    return CatalogItem{row.text(0), row.text(1), row.text(2), row.text(3),
                       row.text(4), row.text(5), row.text(6)};
}

} // namespace

std::vector<CatalogItem> searchCatalogByQuery(const Database& main, const QString& category,
                                              const QString& text) {
    return readQuietly([&] {
        std::vector<CatalogItem> items;
        Statement select(main, kItemsByQuery);
        select.bind(1, containsPattern(text)).bind(2, category);
        while (select.next())
            items.push_back(itemFrom(select));
        return items;
    });
}

CatalogMatches matchCatalog(const Database& main, const QString& category, const QString& text) {
    CatalogMatches matches;
    try {
        if (const catalogcopy::Category* copy = catalogcopy::category(main, category)) {
            matches.list = copy->items;
            matches.rows = catalogcopy::search(*copy, text);
            return matches;
        }
    } catch (const DbError&) {
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
    if (categories.isEmpty())
        return {};
    return readQuietly([&] {
        std::vector<CatalogItem> items;
        Statement select(main, kItemsOfCategories.arg(sql::marks(int(categories.size()))));
        int index = 1;
        for (const QString& category : categories)
            select.bind(index++, category);
        while (select.next())
            items.push_back(itemFrom(select));
        return items;
    });
}

bool findCatalogItem(const Database& main, const QString& category, const QString& name, CatalogItem* item) {
    QString trimmed = name;
    while (trimmed.endsWith(QLatin1Char(' ')))
        trimmed.chop(1);
    return readQuietly([&] {
        Statement select(main, kItemByName);
        select.bind(1, trimmed).bind(2, trimmed + QString(200, QLatin1Char(' '))).bind(3, category);
        if (!select.next())
            return false;
        if (item)
            *item = itemFrom(select);
        return true;
    });
}

std::vector<TemplateItem> searchTemplates(const Database& main, const QString& kind, const QString& text) {
    return readQuietly([&] {
        std::vector<TemplateItem> templates;
        if (const smallcopies::TemplateKind* copy = smallcopies::templatesOfKind(main, kind)) {
            for (const int k : copy->codes.find(copies::foldAscii(text))) {
                const smallcopies::Template& t = copy->rows[std::size_t(k)];
                templates.push_back(TemplateItem{t.key, t.name, t.content});
            }
            return templates;
        }
        Statement select(main, kTemplatesByQuery);
        select.bind(1, containsPattern(text)).bind(2, kind);
        while (select.next())
            templates.push_back(TemplateItem{select.text(0), select.text(1), select.text(2)});
        return templates;
    });
}

} // namespace lichuan
