#pragma once
// The rules of the catalog window: categories and their units, how the edit panel's texts become the
// stored columns of a catalog row and back, and the texts it changes while the user types.

#include "data/catalogrows.h"

#include <QString>
#include <QStringList>

namespace lichuan::catalog {

// The four categories in the order of their option buttons; "中药" is chosen when the window opens.
inline const QStringList kCategories = {QStringLiteral("西成药"), QStringLiteral("中药"),
                                        QStringLiteral("收费项目"), QStringLiteral("用法")};
inline const QString kHerbs = QStringLiteral("中药");
constexpr int kHerbsIndex = 1;

// Units offered for a category; the first is the unit combo's initial text.
QStringList unitsFor(const QString& category);
// Whether a unit may be used for herbs: empty, or a part of "g枚条个" ("g枚" passes, "片" does not).
bool herbUnitAllowed(const QString& unit);
inline const QString kHerbUnitMessage = QStringLiteral("中药的单位仅限于“g”，“枚”，“条”，“个”4种！");

// The texts of the edit panel.
struct CatalogEntry {
    QString name;     // Text3(0)
    QString note;     // Text3(1) 煎法 / 规格
    QString usualQty; // Text3(2)
    QString unit;     // Combo1(0)
    QString price;    // Text3(3)
    QString usage;    // Text3(4)
    QString drawer;   // Text3(5)
    QString remark;   // Text3(6)
    QString pinyin;   // Text3(7)
    QString category; // Combo1(1)
};

// 名称: the trimmed name, followed by "{note}" when the trimmed note is not empty.
QString composeName(const QString& name, const QString& note);
// 常用量: the leading number as a plain decimal ("10g" → "10", "1.50" → "1.5", "abc" → "0").
QString usualQuantityText(const QString& typed);
// 单价: empty for an empty text, else the leading number with three decimals ("12.5" → "12.500").
QString priceText(const QString& typed);
// 查询: trimmed name (without the note), trimmed pinyin, and the letter-pad digits of the pinyin.
QString searchCode(const QString& name, const QString& pinyin);

// "$" and "@" separate the cells and columns of stored priced lines and end herbal items: in a name, a note
// or a unit they become their full-width forms "＄" and "＠". True when anything was replaced.
bool replaceSeparators(QString* text);

// The row a save writes for the entry under `key`; `separatorsReplaced` names the fields in which "$" or
// "@" was replaced (empty when none).
CatalogRow rowFromEntry(const CatalogEntry& entry, const QString& key,
                        QStringList* separatorsReplaced = nullptr);

// The name as the lists show it: "{" and "}" as "[" and "]".
QString shownName(const QString& storedName);
// A shown name split at its first "[": the part before it, and the text between it and the last character
// (the closing "]"); without "[" the whole name and an empty note.
void splitShownName(const QString& shown, QString* name, QString* note);

// The name box's automatic replacement: "（" "）" "[" "]" become "(" ")" "(" ")" (lengths are kept, so the
// caret stays where it was).
QString replaceBrackets(const QString& text);

} // namespace lichuan::catalog
