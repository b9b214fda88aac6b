#pragma once
// The copy of the catalog (商品) that a connection keeps for the lists searched on every keystroke (the
// prescription window's pick list, the catalog window's grid): per category, the rows with a search code in
// list order (名称 in GBK order, then as stored), their search codes folded and joined. A category is read
// once; when the catalog's change stamp moved, the rows changed since are read again and put in their
// places (changes of other categories leave the copy as it is), or the whole category when they are not
// known.

#include "data/catalog.h"
#include "data/catalogrows.h"
#include "data/tablecopy.h"

#include <memory>
#include <vector>

namespace lichuan {
class Statement;
}

namespace lichuan::catalogcopy {

// Where a row stands in the list order.
struct Placed {
    QString code;       // folded 查询
    QByteArray sortKey; // GBK sort key of 名称
    bool nullName = false;
    qint64 rowid = 0;
};

// The order of "order by [名称] collate GBK, rowid": NULL names first.
bool placedBefore(const Placed& a, const Placed& b);
Placed placeOf(const CatalogRow& row, bool nullName, qint64 rowid);

struct CategoryAhead;

struct Category {
    copies::CopyStamp at;
    std::shared_ptr<CategoryAhead> ahead;                  // while it is read ahead
    std::shared_ptr<const std::vector<CatalogRow>> rows;   // in list order
    std::shared_ptr<const std::vector<CatalogItem>> items; // item k is row k (sharing its texts)
    std::vector<Placed> placed;                            // entry k belongs to row k
    copies::JoinedTexts codes;                             // the folded 查询 of every row
};

// The copy of `category`, current; null when the file gives no change stamp (read by query then). Throws
// DbError (the copy is then forgotten).
const Category* category(const Database& main, const QString& category);

// Reads the copy of `category` ahead, a slice at a time until `deadline`, so that the first keystroke of the
// day finds it built (rows changed meanwhile are taken in by the first lookup). True when there is nothing
// more to read: the copy is built, or the file gives no change stamp, or reading failed (the first lookup
// then reads the category itself). A lookup that comes before it is complete reads the rest at once.
bool readCategoryAhead(const Database& main, const QString& category, const QDeadlineTimer& deadline);

// The rows of `copy` whose search code contains `text` (ASCII letters without regard to case).
std::vector<int> search(const Category& copy, const QString& text);

// The columns of a catalog row as CatalogRow has them, for "select" lists.
inline const QString kRowColumns =
    QStringLiteral("[ID号],[名称],[常用量],[单位],[单价],[用法],[斗位],[拼音],[备用1],[分类],[查询]");
CatalogRow rowFrom(const Statement& select);

} // namespace lichuan::catalogcopy
