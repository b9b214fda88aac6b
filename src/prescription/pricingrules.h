#pragma once
// Pricing of an item text against the catalog: the text rules that read names and quantities, and the two
// roads (herbal sheet, Western sheet) that turn the item text into priced lines and a list of the items
// that could not be priced. Plain functions; nothing here touches a widget or the database.

#include "data/catalog.h"
#include "data/record.h"
#include "data/textrules.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace lichuan {

// The text with every digit 0–9 removed; nothing else is removed.
QString DelNumberReg(const QString& text);

// The number that starts at the first digit of the text, as its shortest decimal text: from that digit
// on, digits with at most one decimal point (spaces between them skipped) and an optional exponent E or D.
// "10g" → "10", "1.50" → "1.5", "1 0g" → "10"; a text without any digit gives "".
QString ggm(const QString& text);

// Removes a leading enumeration from a line: for n = 1 … 20 and each of "(n)", "（n）", "n、", "n.", "n "
// in this order, a pattern that occurs within the first four characters is removed everywhere in the
// line; then the surrounding spaces go. "(1) 挂号费 1" → "挂号费 1".
QString stripEnumeration(const QString& line);

// The name of a herb item as pricing reads it (units already removed, catalog brackets): its digits removed,
// then the spaces and the point that stood before the quantity ("黄芪 1.5" → "黄芪").
QString herbItemName(const QString& item);

// The lines of a text by its own "\r\n" breaks (never by how a text box wraps them).
QStringList logicalLines(const QString& text);

// "[" "]" → "{" "}" (how the catalog writes notes) and back (how the sheet shows them).
QString toCatalogBrackets(QString text);
QString toSheetBrackets(QString text);

// A herb item of the laid-out item text as pricing reads it: the name it is looked up by (catalog
// brackets, without the quantity and the space before it) and its quantity per dose ("" when it has none).
// "石膏[先煎]30g" → "石膏{先煎}", "30".
struct HerbItemText {
    QString name;
    QString quantity;
};
HerbItemText readHerbItem(const QString& item);

// How names are compared with the catalog's: without trailing spaces and without regard to letter case.
QString catalogNameKey(const QString& name);

// The catalog rows pricing looks items up in. Names compare without regard to trailing spaces and to
// letter case, as the catalog's unique names do; of two equal names the first row counts.
class PricingCatalog {
public:
    PricingCatalog() = default;
    explicit PricingCatalog(std::vector<CatalogItem> rows);

    // The categories a catalog for pricing needs.
    static QStringList categories();

    const CatalogItem* herb(const QString& name) const;
    const CatalogItem* chargeItem(const QString& name) const;
    // Whether the line is one of the catalog's usage phrases (category "用法").
    bool isUsagePhrase(const QString& line) const;
    // The 西成药 or 收费项目 row with the longest name the line starts with (in catalog brackets), where
    // the name is followed by the end of the line, a space, or ends in "}" itself. `length` receives
    // the length of the matched name within the line.
    const CatalogItem* longestWesternPrefix(const QString& line, int* length) const;

private:
    std::vector<CatalogItem> rows_;
    QHash<QString, int> herbs_;
    QHash<QString, int> charges_;
    QHash<QString, int> usages_;
    std::vector<std::pair<QString, int>> western_; // match key, row
};

struct UnpricedItem {
    enum class Reason { NotInCatalog, NoQuantity, BeyondLastLine };
    QString text; // the item as the sheet holds it
    Reason reason = Reason::NotInCatalog;
    bool operator==(const UnpricedItem& o) const { return text == o.text && reason == o.reason; }
};

struct PricingResult {
    std::vector<PricedLine> lines;      // at most 36 entries, shown names in square brackets
    std::vector<UnpricedItem> unpriced; // in the order of the item text
};

// Herbal sheet: every herb item of the layout (quantity per dose × doses) followed by the charge items
// among the logical lines of the tail.
PricingResult priceHerbal(const HerbalLayout& layout, const QString& doses, const PricingCatalog& catalog);
// Western sheet: every logical line of the item text that is not a usage line, matched by the longest
// 西成药 or 收费项目 name it starts with.
PricingResult priceWestern(const QString& itemText, const PricingCatalog& catalog);
// The road of the sheet's mode; a herbal item text is laid out first.
PricingResult priceItems(const QString& itemText, bool herbal, const QString& doses,
                         const PricingCatalog& catalog);

// The one message that lists the items pricing left out, one a line with the reason; "" when none.
QString unpricedMessage(const std::vector<UnpricedItem>& items);

} // namespace lichuan
