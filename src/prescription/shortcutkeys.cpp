#include "prescription/shortcutkeys.h"

#include "prescription/lookuprules.h"

namespace lichuan {

const SheetKeyInfo& sheetKeyInfo(SheetKey key) {
    for (const SheetKeyInfo& info : kSheetKeys) {
        if (info.key == key)
            return info;
    }
    return kSheetKeys.front();
}

int categoryOfKey(SheetKey key) {
    switch (key) {
    case SheetKey::Herbs:
        return kHerbs;
    case SheetKey::WesternDrugs:
        return kWesternDrugs;
    case SheetKey::ChargeItems:
        return kChargeItems;
    case SheetKey::Usages:
        return kUsages;
    case SheetKey::HerbalFormulas:
        return kHerbalFormulas;
    case SheetKey::WesternSets:
        return kWesternTemplates;
    default:
        return -1;
    }
}

QString withKeyHint(const QString& caption, SheetKey key) {
    return caption + QStringLiteral(" (") + QString::fromLatin1(sheetKeyInfo(key).keys) + QLatin1Char(')');
}

} // namespace lichuan
