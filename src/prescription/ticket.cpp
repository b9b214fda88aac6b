#include "prescription/ticket.h"

#include "data/numbers.h"
#include "data/textrules.h"
#include "prescription/drawersort.h"
#include "prescription/pricingrules.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace lichuan::ticket {

namespace {

const QString kHerbs = QStringLiteral("中药");

// The per-dose quantities of the herb items of a herbal item text, by catalog name; each item is taken by
// the first priced line of its name.
struct HerbQuantities {
    struct Item {
        QString key;
        QString quantity;
        bool taken = false;
    };
    std::vector<Item> items;

    explicit HerbQuantities(const QString& itemText) {
        for (const QString& item : layOutHerbal(itemText).items) {
            if (item.isEmpty())
                continue;
            const HerbItemText read = readHerbItem(item);
            if (!read.quantity.isEmpty())
                items.push_back({catalogNameKey(read.name), read.quantity});
        }
    }

    std::optional<QString> take(const QString& shownName) {
        const QString key = catalogNameKey(toCatalogBrackets(shownName));
        for (Item& item : items) {
            if (!item.taken && item.key == key) {
                item.taken = true;
                return item.quantity;
            }
        }
        return std::nullopt;
    }
};

bool sameValue(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
}

} // namespace

QString NoteGroup::text() const {
    return note + QStringLiteral("：") + names.join(QLatin1Char(' '));
}

void splitNote(const QString& shownName, QString* name, QString* note) {
    const qsizetype open = shownName.indexOf(QLatin1Char('['));
    const qsizetype close = open < 0 ? -1 : shownName.indexOf(QLatin1Char(']'), open);
    if (open <= 0 || close < 0) {
        *name = trimSpaces(shownName);
        note->clear();
        return;
    }
    *name = trimSpaces(shownName.left(open) + shownName.mid(close + 1));
    *note = trimSpaces(shownName.mid(open + 1, close - open - 1));
}

std::vector<Line> inDrawerOrder(std::vector<Line> lines) {
    // The drawer sort's own order (drawer, then name …) for the lines that have a drawer.
    const auto hasDrawer = [](const Line& line) { return !trimSpaces(line.drawer).isEmpty(); };
    const auto withoutDrawer = std::stable_partition(lines.begin(), lines.end(), hasDrawer);
    const auto entry = [](const Line& line) {
        PricedLine priced;
        priced.drawer = line.drawer;
        priced.name = line.name;
        priced.quantity = line.quantity;
        priced.unit = line.unit;
        return drawersort::sortEntry(priced);
    };
    std::vector<std::pair<QString, Line>> keyed;
    keyed.reserve(static_cast<size_t>(withoutDrawer - lines.begin()));
    for (auto it = lines.begin(); it != withoutDrawer; ++it)
        keyed.emplace_back(entry(*it), *it);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return drawersort::entryLess(a.first, b.first); });
    std::vector<Line> ordered;
    ordered.reserve(lines.size());
    for (auto& [key, line] : keyed)
        ordered.push_back(std::move(line));
    for (auto it = withoutDrawer; it != lines.end(); ++it)
        ordered.push_back(std::move(*it));
    return ordered;
}

Lines ticketLines(const PricedSheet& sheet) {
    Lines result;
    HerbQuantities herbs(sheet.herbal ? sheet.itemText : QString());
    struct Read {
        Line line;
        std::optional<QString> perDose; // from the item text
        bool herb = false;
    };
    std::vector<Read> read;
    numbers::Decimal4 total;
    for (const PricedLine& priced : sheet.lines) {
        if (trimSpaces(priced.name).isEmpty())
            continue;
        total += numbers::Decimal4::fromText(priced.amount);
        Read r;
        r.line.drawer = trimSpaces(priced.drawer);
        r.line.quantity = trimSpaces(priced.quantity);
        r.line.unit = trimSpaces(priced.unit);
        if (sheet.herbal) {
            r.perDose = herbs.take(priced.name);
            r.herb = r.perDose.has_value() || priced.category == kHerbs;
        }
        if (r.herb)
            splitNote(priced.name, &r.line.name, &r.line.note);
        else
            r.line.name = trimSpaces(priced.name);
        read.push_back(std::move(r));
    }
    result.total = total.toFixed2();

    if (sheet.herbal) {
        // The dose count the herbs were priced for: the one ratio of their quantities to their items'.
        std::optional<double> ratio;
        bool agree = true;
        for (const Read& r : read) {
            if (!r.perDose)
                continue;
            const double perDose = numbers::leadingNumber(*r.perDose);
            if (perDose <= 0) {
                agree = false;
                continue;
            }
            const double value = numbers::leadingNumber(r.line.quantity) / perDose;
            if (ratio && !sameValue(*ratio, value))
                agree = false;
            ratio = value;
        }
        result.doses = agree && ratio && *ratio > 0 ? numbers::shortest(*ratio)
                                                    : numbers::shortest(numbers::leadingNumber(sheet.doses));
        const double doses = numbers::leadingNumber(result.doses);
        for (Read& r : read) {
            if (r.perDose)
                r.line.perDose = *r.perDose;
            else if (r.herb && doses > 0)
                r.line.perDose = numbers::shortest(numbers::leadingNumber(r.line.quantity) / doses);
        }
    }

    std::vector<Line> lines;
    lines.reserve(read.size());
    for (Read& r : read)
        lines.push_back(std::move(r.line));
    result.lines = inDrawerOrder(std::move(lines));
    return result;
}

std::vector<NoteGroup> groupNotes(const std::vector<Line>& lines) {
    std::vector<NoteGroup> groups;
    for (const Line& line : lines) {
        if (line.note.isEmpty())
            continue;
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&line](const NoteGroup& g) { return g.note == line.note; });
        if (group == groups.end()) {
            groups.push_back({line.note, {}});
            group = groups.end() - 1;
        }
        group->names << line.name;
    }
    return groups;
}

} // namespace lichuan::ticket
