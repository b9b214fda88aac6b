#pragma once
// Lookups in the catalog (商品) and the templates (个人模板) for the prescription window.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace lichuan {

class Database;

struct CatalogItem {
    QString name;     // 名称, notes in braces
    QString usualQty; // 常用量
    QString unit;     // 单位
    QString usage;    // 用法
    QString price;    // 单价
    QString drawer;   // 斗位
    QString category; // 分类
};

// Rows of one category whose search code (查询) contains `text` literally (ASCII letters without regard to
// case), ordered by name in GBK order. A failing query gives an empty list.
std::vector<CatalogItem> searchCatalog(const Database& main, const QString& category, const QString& text);

// The rows that searchCatalog gives, as positions in the category's list as this connection holds it. The
// list stays the same object while the category does not change, so a caller may keep what it derives from
// its items (the pick list keeps its entry texts) for as long as it keeps `list`.
struct CatalogMatches {
    std::shared_ptr<const std::vector<CatalogItem>> list;
    std::vector<int> rows;
};
CatalogMatches matchCatalog(const Database& main, const QString& category, const QString& text);

// The rows of searchCatalog read by one query each time, as the program did before it kept copies.
std::vector<CatalogItem> searchCatalogByQuery(const Database& main, const QString& category,
                                              const QString& text);

// Every row of the given categories (for pricing, which matches names itself).
std::vector<CatalogItem> catalogOfCategories(const Database& main, const QStringList& categories);

// The first row of a category whose name equals `name` without regard to trailing spaces.
bool findCatalogItem(const Database& main, const QString& category, const QString& name, CatalogItem* item);

struct TemplateItem {
    QString key;     // 序号
    QString name;    // 名称
    QString content; // 内容
};

// Templates of one kind whose search code contains `text` literally, ordered by 排序.
std::vector<TemplateItem> searchTemplates(const Database& main, const QString& kind, const QString& text);

} // namespace lichuan
