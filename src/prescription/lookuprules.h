#pragma once
// Rules of the search panel that need no window: the text of a catalog entry in the pick list and in its
// twin, the letter pad, and the text each kind of pick puts into the item text. Line breaks are "\r\n".

#include <QString>

namespace lichuan {

struct CatalogItem;

// The six categories, indexed by the number of their button. The caption is also the 分类 of the catalog
// rows (0 … 3) or of the templates (4, 5) the category lists.
constexpr int kCategoryCount = 6;
enum Category {
    kHerbs = 0,            // 中药
    kWesternDrugs = 1,     // 西成药
    kChargeItems = 2,      // 收费项目
    kUsages = 3,           // 用法
    kWesternTemplates = 4, // 西成药组套
    kHerbalFormulas = 5,   // 中药方剂
};
QString categoryCaption(int category);
bool isTemplateCategory(int category);
bool isHerbalCategory(int category);  // 0 and 5
bool isWesternCategory(int category); // 1 and 4

// The name as the sheet shows it: notes in braces are shown in square brackets (石膏{先煎} → 石膏[先煎]).
QString shownName(const QString& catalogName);
// Pick list entry: shown name + " " + usual quantity + unit, or the shown name alone when the usual quantity
// is exactly "0" (usage phrases carry the dose "0" and no unit).
QString catalogEntryText(const CatalogItem& item);
// Twin entry: the pick list entry followed by "\" and the usage when the usage is not blank.
QString twinEntryText(const CatalogItem& item);
// The same, given the item's pick list entry (shared, not copied, when there is no usage).
QString twinEntryText(const CatalogItem& item, const QString& entry);
// The entry of the first list a window shows: shown name + " " + quantity + unit even for the dose "0",
// followed by "\" and the usage whenever the usage is not empty.
QString startupEntryText(const CatalogItem& item);

// The text a herb pick inserts at the caret: the entry padded to its cell, without the space after a
// closing bracket (石膏[先煎] 10g → 石膏[先煎]10g).
QString herbPickText(const QString& entry);
// The text a Western drug pick appends: with a usage, the drug line, a usage line indented by four spaces
// and an empty line; without, the drug line alone.
QString westernPickText(const QString& twinEntry);
// The item text after picking a charge item or a usage phrase `entry`: an empty item text gets the entry
// on its first line; a usage phrase is appended as an indented line followed by an empty line; anything
// else starts after one empty line (a text already ending in an empty line keeps at most two breaks
// before it).
QString chargeOrUsagePick(const QString& itemText, const QString& entry);

// The search text after pressing letter pad key k: keys 0 … 6 append the digits "1" … "7"; key 7 ("←")
// removes the last character (a surrogate pair as a whole) and leaves an empty text empty.
constexpr int kLetterPadKeys = 8;
constexpr int kLetterPadBackspace = 7;
QString letterPadText(const QString& searchText, int key);

} // namespace lichuan
