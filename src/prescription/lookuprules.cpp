#include "prescription/lookuprules.h"

#include "data/catalog.h"
#include "data/textrules.h"

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

QString catalogEntryText(const CatalogItem& item) {
    if (item.usualQty == QLatin1String("0"))
        return shownName(item.name);
    return shownName(item.name) + QLatin1Char(' ') + item.usualQty + item.unit;
}

QString twinEntryText(const CatalogItem& item) {
    const QString entry = catalogEntryText(item);
    if (trimSpaces(item.usage).isEmpty())
        return entry;
    return entry + kUsageSeparator + item.usage;
}

QString startupEntryText(const CatalogItem& item) {
    QString entry = shownName(item.name) + QLatin1Char(' ') + item.usualQty + item.unit;
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
