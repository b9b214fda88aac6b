#include "catalog/catalogrules.h"

#include "data/numbers.h"
#include "data/searchcodes.h"
#include "data/textrules.h"

namespace lichuan::catalog {

QStringList unitsFor(const QString& category) {
    if (category == kHerbs)
        return {QStringLiteral("g"), QStringLiteral("枚"), QStringLiteral("条"), QStringLiteral("个")};
    return {QStringLiteral("片"), QStringLiteral("粒"), QStringLiteral("支"), QStringLiteral("包"),
            QStringLiteral("袋"), QStringLiteral("盒"), QStringLiteral("瓶"), QStringLiteral("个"),
            QStringLiteral("次"), QStringLiteral("枚")};
}

bool herbUnitAllowed(const QString& unit) {
    return unit.isEmpty() || QStringLiteral("g枚条个").contains(unit);
}

QString composeName(const QString& name, const QString& note) {
    const QString trimmedNote = trimSpaces(note);
    if (trimmedNote.isEmpty())
        return trimSpaces(name);
    return trimSpaces(name) + QLatin1Char('{') + trimmedNote + QLatin1Char('}');
}

QString usualQuantityText(const QString& typed) {
    return numbers::shortest(numbers::leadingNumber(typed));
}

QString priceText(const QString& typed) {
    if (trimSpaces(typed).isEmpty())
        return QString();
    return numbers::fixed(numbers::leadingNumber(typed), 3);
}

QString searchCode(const QString& name, const QString& pinyin) {
    const QString initials = trimSpaces(pinyin);
    return trimSpaces(name) + initials + KeyDigits(initials);
}

bool replaceSeparators(QString* text) {
    const QString before = *text;
    text->replace(QLatin1Char('$'), QChar(0xFF04)).replace(QLatin1Char('@'), QChar(0xFF20));
    return *text != before;
}

CatalogRow rowFromEntry(const CatalogEntry& entry, const QString& key, QStringList* separatorsReplaced) {
    CatalogEntry clean = entry;
    QStringList replaced;
    if (replaceSeparators(&clean.name))
        replaced << QStringLiteral("名称");
    if (replaceSeparators(&clean.note))
        replaced << (entry.category == kHerbs ? QStringLiteral("煎法") : QStringLiteral("规格"));
    if (replaceSeparators(&clean.unit))
        replaced << QStringLiteral("单位");
    if (separatorsReplaced)
        *separatorsReplaced = replaced;

    CatalogRow row;
    row.key = key;
    row.name = composeName(clean.name, clean.note);
    row.usualQty = usualQuantityText(clean.usualQty);
    row.unit = clean.unit;
    row.price = priceText(clean.price);
    row.usage = clean.usage;
    row.drawer = clean.drawer;
    row.pinyin = clean.pinyin;
    row.remark = clean.remark;
    row.category = clean.category;
    row.search = searchCode(clean.name, clean.pinyin);
    return row;
}

QString shownName(const QString& storedName) {
    QString shown = storedName;
    return shown.replace(QLatin1Char('{'), QLatin1Char('[')).replace(QLatin1Char('}'), QLatin1Char(']'));
}

void splitShownName(const QString& shown, QString* name, QString* note) {
    const qsizetype open = shown.indexOf(QLatin1Char('['));
    if (open < 0) {
        *name = shown;
        note->clear();
        return;
    }
    *name = shown.left(open);
    // The text between "[" and the last character, which is the closing "]".
    *note = shown.mid(open + 1, std::max<qsizetype>(0, shown.size() - open - 2));
}

QString replaceBrackets(const QString& text) {
    QString replaced = text;
    replaced.replace(QChar(0xFF08), QLatin1Char('(')).replace(QChar(0xFF09), QLatin1Char(')'));
    replaced.replace(QLatin1Char('['), QLatin1Char('(')).replace(QLatin1Char(']'), QLatin1Char(')'));
    return replaced;
}

} // namespace lichuan::catalog
