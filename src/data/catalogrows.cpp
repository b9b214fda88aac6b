#include "data/catalogrows.h"

#include "data/audit.h"
#include "data/catalogcopy.h"
#include "data/engine.h"
#include "data/quietread.h"
#include "data/schema.h"
#include "data/sqltexts.h"

#include <QSet>
#include <algorithm>

namespace lichuan {

namespace {

using catalogcopy::kRowColumns;
using catalogcopy::rowFrom;
const QString kKeyFormat = QStringLiteral("yyyyMMddHHmmss");
// Imported keys are the stamp and a four-digit counter: 18 characters.
constexpr int kFirstImportCounter = 1001;
constexpr int kLastImportCounter = 9999;

// The columns a save writes, with their values (备用2 and 备用3 are never written).
std::vector<std::pair<QString, QString>> writtenColumns(const CatalogRow& row) {
    return {{QStringLiteral("ID号"), row.key},        {QStringLiteral("名称"), row.name},
            {QStringLiteral("常用量"), row.usualQty}, {QStringLiteral("单位"), row.unit},
            {QStringLiteral("单价"), row.price},      {QStringLiteral("拼音"), row.pinyin},
            {QStringLiteral("用法"), row.usage},      {QStringLiteral("分类"), row.category},
            {QStringLiteral("斗位"), row.drawer},     {QStringLiteral("查询"), row.search},
            {QStringLiteral("备用1"), row.remark}};
}

QString insertText() {
    QStringList names;
    for (const auto& column : writtenColumns(CatalogRow()))
        names << quoted(column.first);
    return QStringLiteral("insert into [商品] (%1) values (%2)")
        .arg(names.join(QLatin1Char(',')), sql::marks(int(names.size())));
}

QString updateText() {
    QStringList sets;
    for (const auto& column : writtenColumns(CatalogRow()))
        sets << quoted(column.first) + QStringLiteral(" = ?");
    return QStringLiteral("update [商品] set %1 where rowid = ?").arg(sets.join(QLatin1Char(',')));
}

const sql::Text kInsertRow{insertText()};
const sql::Text kUpdateRow{updateText()};
const sql::Text kRowWithName{
    QStringLiteral("select rowid from [商品] where [名称] = ? collate nocase limit 1")};
const sql::Text kKeyExists{QStringLiteral("select 1 from [商品] where [ID号] = ? limit 1")};
const sql::Text kRowsByQuery{
    QStringLiteral("select %1 from [商品] where [查询] like ? escape '\\' and [分类] = ? "
                   "order by [名称] collate GBK, rowid")
        .arg(kRowColumns)};
const sql::Text kRowsOfCategory{
    QStringLiteral("select %1,rowid from [商品] where [分类] = ?").arg(kRowColumns)};
const sql::Text kRowOfKey{QStringLiteral("select rowid, [单价] from [商品] where [ID号] = ? and [分类] = ? "
                                         "order by [ID号] desc limit 1")};
const sql::Text kDeleteKey{QStringLiteral("delete from [商品] where rowid = "
                                          "(select rowid from [商品] where [ID号] = ? limit 1)")};
const sql::Text kDeleteCategory{QStringLiteral("delete from [商品] where [分类] = ?")};
const sql::Text kStampUsed{QStringLiteral("select 1 from [商品] where [ID号] >= ? and [ID号] < ? limit 1")};

// Why a row cannot be stored as it is (a value longer than its column), or empty.
QString tooLong(const CatalogRow& row) {
    for (const auto& [column, value] : writtenColumns(row)) {
        if (!schema::fits(schema::kCatalog, column, value))
            return QStringLiteral("“%1”太长（最多%2个字）")
                .arg(column)
                .arg(schema::columnWidth(schema::kCatalog, column));
    }
    return QString();
}

// The rowid of another row with this name (names compare without regard to ASCII case), or 0.
qint64 rowWithName(const Database& main, const QString& name) {
    Statement select(main, kRowWithName);
    select.bind(1, name);
    return select.next() ? select.integer(0) : 0;
}

bool keyExists(const Database& main, const QString& key) {
    Statement select(main, kKeyExists);
    select.bind(1, key);
    return select.next();
}

// `key` when no row has it yet; otherwise the first later second whose key is free.
QString freeKey(const Database& main, const QString& key) {
    QDateTime time = QDateTime::fromString(key, kKeyFormat);
    if (!time.isValid())
        return key;
    QString candidate = key;
    while (keyExists(main, candidate)) {
        time = time.addSecs(1);
        candidate = catalogKeyAt(time);
    }
    return candidate;
}

void insertRow(Database& main, const CatalogRow& row) {
    const auto columns = writtenColumns(row);
    Statement insert(main, kInsertRow);
    int index = 1;
    for (const auto& column : columns)
        insert.bind(index++, column.second);
    insert.run();
}

void updateRow(Database& main, qint64 rowid, const CatalogRow& row) {
    const auto columns = writtenColumns(row);
    Statement update(main, kUpdateRow);
    int index = 1;
    for (const auto& column : columns)
        update.bind(index++, column.second);
    update.bind(index, rowid);
    update.run();
}

std::vector<CatalogRow> selectRows(const Database& main, const QString& sql, const QStringList& values) {
    return readQuietly([&] {
        std::vector<CatalogRow> rows;
        Statement select(main, sql);
        int index = 1;
        for (const QString& value : values)
            select.bind(index++, value);
        while (select.next())
            rows.push_back(rowFrom(select));
        return rows;
    });
}

} // namespace

QString catalogKeyAt(const QDateTime& time) {
    return time.toString(kKeyFormat);
}

std::vector<CatalogRow> searchCatalogRows(const Database& main, const QString& category,
                                          const QString& text) {
    return readQuietly([&] {
        std::vector<CatalogRow> rows;
        const catalogcopy::Category* copy = catalogcopy::category(main, category);
        if (!copy)
            return searchCatalogRowsByQuery(main, category, text);
        const std::vector<int> found = catalogcopy::search(*copy, text);
        rows.reserve(found.size());
        for (const int k : found)
            rows.push_back((*copy->rows)[std::size_t(k)]);
        return rows;
    });
}

std::vector<CatalogRow> searchCatalogRowsByQuery(const Database& main, const QString& category,
                                                 const QString& text) {
    return selectRows(main, kRowsByQuery, {containsPattern(text), category});
}

std::vector<CatalogRow> catalogRowsOfCategory(const Database& main, const QString& category) {
    struct Row {
        CatalogRow row;
        catalogcopy::Placed placed;
    };
    std::vector<Row> rows;
    const bool read = readQuietly([&] {
        Statement select(main, kRowsOfCategory);
        select.bind(1, category);
        while (select.next()) {
            Row row{rowFrom(select), {}};
            row.placed = catalogcopy::placeOf(row.row, select.isNull(1), select.integer(11));
            rows.push_back(std::move(row));
        }
        return true;
    });
    if (!read)
        return {};
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return catalogcopy::placedBefore(a.placed, b.placed); });
    std::vector<CatalogRow> ordered;
    ordered.reserve(rows.size());
    for (Row& row : rows)
        ordered.push_back(std::move(row.row));
    return ordered;
}

CatalogSave saveCatalogRow(Database& main, const CatalogRow& row, const QString& currentCategory,
                           bool newEntry) {
    CatalogSave result;
    const QString notStored = QStringLiteral("“%1”没有保存：").arg(row.name);
    try {
        Transaction transaction(main);
        qint64 existing = 0;
        QString oldPrice;
        if (!newEntry) {
            Statement select(main, kRowOfKey);
            select.bind(1, row.key).bind(2, currentCategory);
            if (select.next()) {
                existing = select.integer(0);
                oldPrice = select.text(1);
            }
        }
        CatalogRow stored = row;
        if (!existing)
            stored.key = freeKey(main, row.key);
        if (const QString why = tooLong(stored); !why.isEmpty()) {
            result.error = notStored + why;
            return result;
        }
        const qint64 sameName = rowWithName(main, stored.name);
        if (sameName && sameName != existing) {
            result.error = notStored + QStringLiteral("已有同名的药物");
            return result;
        }
        if (existing)
            updateRow(main, existing, stored);
        else
            insertRow(main, stored);
        if (existing && oldPrice != stored.price)
            audit::write(main, audit::kPriceChanged, QString(), QString(),
                         QStringLiteral("%1：%2→%3")
                             .arg(stored.name, oldPrice.isEmpty() ? QStringLiteral("（无）") : oldPrice,
                                  stored.price.isEmpty() ? QStringLiteral("（无）") : stored.price));
        transaction.commit();
        result.stored = true;
        result.existed = existing != 0;
        result.key = stored.key;
    } catch (const DbError& error) {
        result.error = notStored + error.message();
    }
    return result;
}

int deleteCatalogRow(Database& main, const QString& key) {
    try {
        Statement remove(main, kDeleteKey);
        remove.bind(1, key);
        return remove.run();
    } catch (const DbError&) {
        return -1;
    }
}

int emptyCatalogCategory(Database& main, const QString& category) {
    try {
        Statement remove(main, kDeleteCategory);
        remove.bind(1, category);
        return remove.run();
    } catch (const DbError&) {
        return -1;
    }
}

CatalogImport importCatalogRows(Database& main, const std::vector<ImportedCatalogRow>& rows,
                                const QDateTime& start) {
    CatalogImport result;
    try {
        Transaction transaction(main);
        // A stamp no earlier import has used: keys of the form stamp + digits lie in [stamp0, stamp:).
        QDateTime time = start;
        QString stamp;
        auto takeFreeStamp = [&] {
            for (stamp = catalogKeyAt(time);; stamp = catalogKeyAt(time)) {
                Statement used(main, kStampUsed);
                used.bind(1, stamp + QLatin1Char('0')).bind(2, stamp + QLatin1Char(':'));
                if (!used.next())
                    return;
                time = time.addSecs(1);
            }
        };
        takeFreeStamp();
        QSet<QString> namesOfSheet;
        int counter = 1000;
        for (const ImportedCatalogRow& imported : rows) {
            // The counter keeps four digits: after 9999 the keys go on under the next free second.
            if (++counter > kLastImportCounter) {
                time = time.addSecs(1);
                takeFreeStamp();
                counter = kFirstImportCounter;
            }
            CatalogRow row = imported.row;
            row.key = stamp + QString::number(counter);
            const QString folded = row.name.toLower();
            QString reason;
            if (row.name.trimmed().isEmpty())
                reason = QStringLiteral("名称为空");
            else if (namesOfSheet.contains(folded))
                reason = QStringLiteral("与表格中前面的行同名");
            else if (rowWithName(main, row.name))
                reason = QStringLiteral("已有同名的药物");
            else
                reason = tooLong(row);
            if (reason.isEmpty()) {
                try {
                    insertRow(main, row);
                } catch (const DbError& error) {
                    reason = error.message();
                }
            }
            if (!reason.isEmpty()) {
                result.refused.push_back(CatalogImportRefusal{imported.sheetRow, row.name, reason});
                continue;
            }
            namesOfSheet.insert(folded);
            ++result.added;
        }
        transaction.commit();
        result.ok = true;
    } catch (const DbError& error) {
        result = CatalogImport();
        result.error = error.message();
    }
    return result;
}

} // namespace lichuan
