#pragma once
// Lookups in the catalog (商品) and the templates (个人模板) for the prescription window.

#include <QString>
#include <QStringList>

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
