#include "prescription/lookuprules.h"

#include "data/catalog.h"
#include "data/textrules.h"

#include <algorithm>
#include <array>

namespace lichuan {

namespace {

const QString kUsageSeparator = QStringLiteral("\\");

} // namespace

QString categoryCaption(int category) {
    static const std::array<QString, kCategoryCount> captions{
        QStringLiteral("中药"), QStringLiteral("西成药"),     QStringLiteral("收费项目"),
        QStringLiteral("用法"), QStringLiteral("西成药组套"), QStringLiteral("中药方剂"),
    };
    if (category < 0 || category >= kCategoryCount)
        return {};
    return captions[static_cast<size_t>(category)];
}

bool isTemplateCategory(int category) {
    return category == kWesternTemplates || category == kHerbalFormulas;
}

bool isHerbalCategory(int category) {
    return category == kHerbs || category == kHerbalFormulas;
}

bool isWesternCategory(int category) {
    return category == kWesternDrugs || category == kWesternTemplates;
}

QString shownName(const QString& catalogName) {
    QString name = catalogName;
    name.replace(QLatin1Char('{'), QLatin1Char('['));
    name.replace(QLatin1Char('}'), QLatin1Char(']'));
    return name;
}

namespace {

bool hasBraces(const QString& name) {
    return name.contains(QLatin1Char('{')) || name.contains(QLatin1Char('}'));
}

bool isBlank(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == QLatin1Char(' '); });
}

// shown name + " " + quantity + unit in one allocation (the pick list is filled on every keystroke).
QString nameWithDose(const CatalogItem& item) {
    QString entry;
    entry.reserve(item.name.size() + 1 + item.usualQty.size() + item.unit.size());
    entry.append(item.name).append(QLatin1Char(' ')).append(item.usualQty).append(item.unit);
    if (hasBraces(item.name))
        entry.replace(QLatin1Char('{'), QLatin1Char('[')).replace(QLatin1Char('}'), QLatin1Char(']'));
    return entry;
}

} // namespace

QString catalogEntryText(const CatalogItem& item) {
    if (item.usualQty == QLatin1String("0"))
        return hasBraces(item.name) ? shownName(item.name) : item.name;
    return nameWithDose(item);
}

QString twinEntryText(const CatalogItem& item) {
    return twinEntryText(item, catalogEntryText(item));
}

QString twinEntryText(const CatalogItem& item, const QString& entry) {
    if (isBlank(item.usage))
        return entry;
    return entry + kUsageSeparator + item.usage;
}

QString startupEntryText(const CatalogItem& item) {
    QString entry = nameWithDose(item);
    if (!item.usage.isEmpty())
        entry += kUsageSeparator + item.usage;
    return entry;
}

QString herbPickText(const QString& entry) {
    QString text = PadItem(entry);
    text.replace(QStringLiteral("] "), QStringLiteral("]"));
    return text;
}

QString westernPickText(const QString& twinEntry) {
    if (!twinEntry.contains(kUsageSeparator))
        return twinEntry + kCrLf;
    QString text = twinEntry;
    text.replace(kUsageSeparator, kCrLf + QStringLiteral("    用法："));
    return text + kCrLf + kCrLf;
}

QString chargeOrUsagePick(const QString& itemText, const QString& entry) {
    if (trimSpaces(itemText).isEmpty())
        return itemText + entry + kCrLf;
    if (entry.contains(QStringLiteral("用法")))
        return itemText + QStringLiteral("    ") + entry + kCrLf + kCrLf;
    // One scan from the left: four breaks in a row become three, six become four.
    QString text = itemText + kCrLf + kCrLf + entry;
    text.replace(kCrLf + kCrLf + kCrLf, kCrLf + kCrLf);
    return text + kCrLf;
}

QString letterPadText(const QString& searchText, int key) {
    if (key >= 0 && key < kLetterPadBackspace)
        return searchText + QString::number(key + 1);
    if (key != kLetterPadBackspace || searchText.isEmpty())
        return searchText;
    qsizetype cut = searchText.size() - 1;
    if (cut > 0 && searchText.at(cut).isLowSurrogate() && searchText.at(cut - 1).isHighSurrogate())
        --cut;
    return searchText.left(cut);
}

} // namespace lichuan
