#include "prescription/pricingrules.h"

#include "data/gbk.h"
#include "data/numbers.h"

namespace lichuan {

namespace {

const QString kHerbs = QStringLiteral("中药");
const QString kWestern = QStringLiteral("西成药");
const QString kCharges = QStringLiteral("收费项目");
const QString kUsages = QStringLiteral("用法");

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString matchKey(const QString& name) {
    return catalogNameKey(name);
}

// A line that names no item to price: empty after its enumeration is stripped, or a usage line.
bool isItemLine(const QString& line, const PricingCatalog& catalog) {
    return !line.isEmpty() && !line.contains(kUsages) && !catalog.isUsagePhrase(line);
}

class Collector {
public:
    explicit Collector(PricingResult& result) : result_(result) {}

    void add(const QString& itemText, const CatalogItem& row, const QString& quantity,
             const QString& amount) {
        if (result_.lines.size() >= static_cast<size_t>(kPricedLineCount)) {
            unpriced(itemText, UnpricedItem::Reason::BeyondLastLine);
            return;
        }
        PricedLine line;
        line.name = toSheetBrackets(row.name);
        line.quantity = toSheetBrackets(quantity);
        line.unit = toSheetBrackets(row.unit);
        line.price = toSheetBrackets(row.price);
        line.amount = toSheetBrackets(amount);
        line.drawer = toSheetBrackets(row.drawer);
        line.category = toSheetBrackets(row.category);
        result_.lines.push_back(line);
    }

    void unpriced(const QString& itemText, UnpricedItem::Reason reason) {
        result_.unpriced.push_back({itemText, reason});
    }

private:
    PricingResult& result_;
};

// A line of charge items or Western drugs once its name row is known: the quantity is read from the rest.
void priceLine(Collector& collector, const QString& line, const CatalogItem* row, const QString& rest) {
    if (!row) {
        collector.unpriced(line, UnpricedItem::Reason::NotInCatalog);
        return;
    }
    const QString quantity = ggm(rest);
    if (quantity.isEmpty()) {
        collector.unpriced(line, UnpricedItem::Reason::NoQuantity);
        return;
    }
    const double amount = numbers::leadingNumber(quantity) * numbers::leadingNumber(row->price);
    collector.add(line, *row, quantity, numbers::fixed(amount, 3));
}

} // namespace

HerbItemText readHerbItem(const QString& item) {
    QString s = item;
    for (const QChar unit :
         {QChar(0x6761) /* 条 */, QChar(QLatin1Char('g')), QChar(0x679A) /* 枚 */, QChar(0x4E2A) /* 个 */})
        s.remove(unit);
    s = trimSpaces(toCatalogBrackets(s));
    return {herbItemName(s), ggm(s)};
}

// Names are compared as the catalog's unique index compares them: trailing spaces and letter case aside.
QString catalogNameKey(const QString& name) {
    return trimTrailingSpaces(name).toCaseFolded();
}

QString DelNumberReg(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!isDigit(c))
            result += c;
    }
    return result;
}

QString herbItemName(const QString& item) {
    QString name = DelNumberReg(item);
    qsizetype end = name.size();
    while (end > 0 && (name.at(end - 1) == QLatin1Char(' ') || name.at(end - 1) == QLatin1Char('.')))
        --end;
    name.truncate(end);
    return name;
}

QString ggm(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isDigit(text.at(i)))
            return numbers::shortest(numbers::leadingNumber(QStringView(text).mid(i)));
    }
    return QString();
}

QString stripEnumeration(const QString& line) {
    QString result = line;
    for (int n = 1; n <= 20; ++n) {
        const QString number = QString::number(n);
        const QString patterns[] = {
            QLatin1Char('(') + number + QLatin1Char(')'),
            QStringLiteral("（") + number + QStringLiteral("）"),
            number + QStringLiteral("、"),
            number + QLatin1Char('.'),
            number + QLatin1Char(' '),
        };
        for (const QString& pattern : patterns) {
            if (gbk::leftChars(result, 4).contains(pattern))
                result.remove(pattern);
        }
    }
    return trimSpaces(result);
}

QStringList logicalLines(const QString& text) {
    return text.split(kCrLf);
}

QString toCatalogBrackets(QString text) {
    text.replace(QLatin1Char('['), QLatin1Char('{'));
    text.replace(QLatin1Char(']'), QLatin1Char('}'));
    return text;
}

QString toSheetBrackets(QString text) {
    text.replace(QLatin1Char('{'), QLatin1Char('['));
    text.replace(QLatin1Char('}'), QLatin1Char(']'));
    return text;
}

PricingCatalog::PricingCatalog(std::vector<CatalogItem> rows) : rows_(std::move(rows)) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        const CatalogItem& row = rows_[i];
        const int index = static_cast<int>(i);
        const QString key = matchKey(row.name);
        if (row.category == kHerbs) {
            herbs_.insert(key, herbs_.value(key, index));
        } else if (row.category == kCharges || row.category == kWestern) {
            if (row.category == kCharges)
                charges_.insert(key, charges_.value(key, index));
            western_.emplace_back(trimTrailingSpaces(row.name), index);
        } else if (row.category == kUsages) {
            usages_.insert(key, index);
        }
    }
}

QStringList PricingCatalog::categories() {
    return {kHerbs, kWestern, kCharges, kUsages};
}

const CatalogItem* PricingCatalog::herb(const QString& name) const {
    const auto found = herbs_.constFind(matchKey(name));
    return found == herbs_.cend() ? nullptr : &rows_[static_cast<size_t>(*found)];
}

const CatalogItem* PricingCatalog::chargeItem(const QString& name) const {
    const auto found = charges_.constFind(matchKey(name));
    return found == charges_.cend() ? nullptr : &rows_[static_cast<size_t>(*found)];
}

bool PricingCatalog::isUsagePhrase(const QString& line) const {
    return usages_.contains(matchKey(line));
}

const CatalogItem* PricingCatalog::longestWesternPrefix(const QString& line, int* length) const {
    const CatalogItem* best = nullptr;
    qsizetype bestLength = 0;
    for (const auto& [name, index] : western_) {
        if (name.size() <= bestLength || !line.startsWith(name, Qt::CaseInsensitive))
            continue;
        // The name must stand on its own: "阿莫西林胶囊 2盒" is not a line of "阿莫西林".
        const bool ends = line.size() == name.size() || line.at(name.size()) == QLatin1Char(' ') ||
                          name.endsWith(QLatin1Char('}'));
        if (!ends)
            continue;
        best = &rows_[static_cast<size_t>(index)];
        bestLength = name.size();
    }
    if (length)
        *length = static_cast<int>(bestLength);
    return best;
}

PricingResult priceHerbal(const HerbalLayout& layout, const QString& doses, const PricingCatalog& catalog) {
    PricingResult result;
    Collector collector(result);
    const double doseCount = numbers::leadingNumber(doses);

    for (const QString& item : layout.items) {
        if (item.isEmpty())
            continue;
        const HerbItemText read = readHerbItem(item);
        const CatalogItem* row = catalog.herb(read.name);
        const QString& quantity = read.quantity;
        if (!row) {
            collector.unpriced(item, UnpricedItem::Reason::NotInCatalog);
        } else if (quantity.isEmpty()) {
            collector.unpriced(item, UnpricedItem::Reason::NoQuantity);
        } else {
            const double perDose = numbers::leadingNumber(quantity);
            const double price = numbers::leadingNumber(row->price);
            collector.add(item, *row, numbers::shortest(doseCount * perDose),
                          numbers::fixed(perDose * price * doseCount, 3));
        }
    }

    // The charge items after the last herb, one a line.
    for (const QString& rawLine : logicalLines(layout.tail)) {
        const QString line = stripEnumeration(rawLine);
        if (!isItemLine(line, catalog))
            continue;
        // The name stands before the first space; a line without a space is a name without quantity (the
        // digits of a name such as 一次性针头5支 are no quantity).
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        const QString name = space < 0 ? line : trimSpaces(line.left(space));
        const QString rest = space < 0 ? QString() : trimSpaces(line.mid(space + 1));
        priceLine(collector, line, catalog.chargeItem(toCatalogBrackets(name)), rest);
    }
    return result;
}

PricingResult priceWestern(const QString& itemText, const PricingCatalog& catalog) {
    PricingResult result;
    Collector collector(result);
    for (const QString& rawLine : logicalLines(itemText)) {
        const QString line = stripEnumeration(rawLine);
        if (!isItemLine(line, catalog))
            continue;
        const QString mapped = toCatalogBrackets(line);
        int length = 0;
        const CatalogItem* row = catalog.longestWesternPrefix(mapped, &length);
        priceLine(collector, line, row, trimSpaces(mapped.mid(length)));
    }
    return result;
}

PricingResult priceItems(const QString& itemText, bool herbal, const QString& doses,
                         const PricingCatalog& catalog) {
    if (herbal)
        return priceHerbal(layOutHerbal(itemText), doses, catalog);
    return priceWestern(itemText, catalog);
}

QString unpricedMessage(const std::vector<UnpricedItem>& items) {
    if (items.empty())
        return QString();
    QString text = QStringLiteral("以下项目未划价：");
    for (const UnpricedItem& item : items) {
        QString reason;
        switch (item.reason) {
        case UnpricedItem::Reason::NotInCatalog:
            reason = QStringLiteral("目录中未找到");
            break;
        case UnpricedItem::Reason::NoQuantity:
            reason = QStringLiteral("没有数量");
            break;
        case UnpricedItem::Reason::BeyondLastLine:
            reason = QStringLiteral("超出36行");
            break;
        }
        text += QLatin1Char('\n') + item.text + QStringLiteral("（") + reason + QStringLiteral("）");
    }
    return text;
}

} // namespace lichuan
