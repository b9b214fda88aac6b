#include "catalog/catalogexchange.h"

#include "catalog/catalogrules.h"
#include "data/searchcodes.h"

namespace lichuan::catalog {

using spreadsheet::Cell;
using spreadsheet::cellAt;

namespace {

// A stored number text as a number cell when it is one ("10", "2.500"), else as text.
Cell numberCell(const QString& text, const QString& format = QString()) {
    if (text.isEmpty())
        return Cell();
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? Cell::fromNumber(value, format) : Cell::fromText(text);
}

constexpr int kMaxListedRefusals = 20;

} // namespace

void splitStoredName(const QString& name, QString* base, QString* note) {
    const qsizetype open = name.indexOf(QLatin1Char('{'));
    if (open < 0) {
        *base = name;
        note->clear();
        return;
    }
    *base = name.left(open);
    *note = name.mid(open + 1).remove(QLatin1Char('}'));
}

spreadsheet::Workbook exportWorkbook(const std::vector<CatalogRow>& rows) {
    spreadsheet::Sheet sheet;
    for (int c = 0; c < kSheetHeader.size(); ++c)
        sheet.setText(0, c, kSheetHeader.at(c));
    sheet.rowStyles[0].bold = true;
    sheet.rows.reserve(int(rows.size()) + 1);
    for (const CatalogRow& row : rows) {
        QString base;
        QString note;
        splitStoredName(row.name, &base, &note);
        sheet.rows.append(spreadsheet::Row{
            Cell::fromText(base), Cell::fromText(note), numberCell(row.usualQty), Cell::fromText(row.unit),
            numberCell(row.price, QStringLiteral("0.000")), Cell::fromText(row.usage),
            Cell::fromText(row.drawer), Cell::fromText(row.pinyin)});
    }
    spreadsheet::Workbook book;
    book.sheets.append(sheet);
    return book;
}

SheetImport importedRows(const QList<spreadsheet::Row>& sheet, const QString& category) {
    SheetImport result;
    for (int r = 1; r < sheet.size(); ++r) {
        const spreadsheet::Row& cells = sheet.at(r);
        QString base = cellAt(cells, 0).toText();
        QString note = cellAt(cells, 1).toText();
        QString unit = cellAt(cells, 3).toText();
        bool replaced = replaceSeparators(&base);
        replaced = replaceSeparators(&note) || replaced;
        replaced = replaceSeparators(&unit) || replaced;
        if (replaced)
            ++result.separatorRows;

        CatalogRow row;
        row.name = note.isEmpty() ? base : base + QLatin1Char('{') + note + QLatin1Char('}');
        row.usualQty = cellAt(cells, 2).toText();
        row.unit = unit;
        row.price = priceText(cellAt(cells, 4).toText());
        row.usage = cellAt(cells, 5).toText();
        row.drawer = cellAt(cells, 6).toText();
        const QString initials = PinyinInitials(base);
        const QString pinyin = cellAt(cells, 7).toText();
        row.pinyin = pinyin.isEmpty() ? initials : pinyin;
        // The search code always comes from the generated initials, whatever the sheet's pinyin says.
        row.search = base + initials + KeyDigits(initials);
        row.category = category;
        result.rows.push_back(ImportedCatalogRow{r + 1, row});
    }
    return result;
}

QString importMessage(const CatalogImport& result, int separatorRows) {
    if (!result.ok)
        return QStringLiteral("导入失败，没有添加任何药物：%1").arg(result.error);
    QString text = QStringLiteral("导入完成，添加了%1条药物。").arg(result.added);
    if (!result.refused.empty()) {
        text += QStringLiteral("\n以下%1行没有导入：").arg(result.refused.size());
        int listed = 0;
        for (const CatalogImportRefusal& refusal : result.refused) {
            if (listed++ == kMaxListedRefusals) {
                text += QStringLiteral("\n……");
                break;
            }
            text +=
                QStringLiteral("\n第%1行 %2（%3）").arg(refusal.sheetRow).arg(refusal.name, refusal.reason);
        }
    }
    if (separatorRows > 0)
        text += QStringLiteral("\n%1行的名称、规格或单位中的“$”“@”已换成全角的“＄”“＠”。").arg(separatorRows);
    return text;
}

} // namespace lichuan::catalog
