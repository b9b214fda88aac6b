#include "reports/reportexports.h"

namespace lichuan::reports {

namespace {

void setRowTexts(spreadsheet::Sheet& sheet, int row, const QStringList& texts) {
    for (int column = 0; column < texts.size(); ++column)
        sheet.setText(row, column, texts.at(column));
}

void styleRows(spreadsheet::Sheet& sheet, int lineCount, const spreadsheet::RowStyle& title,
               const spreadsheet::RowStyle& headings, const spreadsheet::RowStyle& lines) {
    sheet.rowStyles.insert(0, title);
    sheet.rowStyles.insert(1, headings);
    for (int row = 2; row < lineCount + 2; ++row)
        sheet.rowStyles.insert(row, lines);
}

} // namespace

spreadsheet::Workbook logWorkbook(const std::vector<LogRow>& rows) {
    spreadsheet::Sheet sheet;
    sheet.setText(0, 3, QStringLiteral("门 诊 日 志 登 记 本"));
    setRowTexts(sheet, 1,
                {QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("年龄"),
                 QStringLiteral("诊断"), QStringLiteral("住址/电话"), QStringLiteral("就诊日期"),
                 QStringLiteral("备注")});
    int row = 2;
    for (const LogRow& line : rows)
        setRowTexts(sheet, row++, {line.name, line.sex, line.age, line.diagnosis, line.address, line.date});
    styleRows(sheet, int(rows.size()), {true, 20, 30}, {true, 10, 20}, {false, 10, 20});
    const double widths[] = {10, 5, 5, 25, 25, 10};
    for (int column = 0; column < 6; ++column)
        sheet.columnWidths.insert(column, widths[column]);
    sheet.fitColumns = false; // the remarks column keeps the default width
    spreadsheet::Workbook workbook;
    workbook.sheets << sheet;
    return workbook;
}

spreadsheet::Workbook auditWorkbook(const std::vector<audit::Line>& lines) {
    spreadsheet::Sheet sheet;
    sheet.setText(0, 0, QStringLiteral("操作记录"));
    setRowTexts(sheet, 1,
                {QStringLiteral("时间"), QStringLiteral("站点"), QStringLiteral("操作"),
                 QStringLiteral("处方号"), QStringLiteral("姓名"), QStringLiteral("说明")});
    int row = 2;
    for (const audit::Line& line : lines)
        setRowTexts(sheet, row++, {line.time, line.station, line.action, line.key, line.name, line.text});
    styleRows(sheet, int(lines.size()), {true, 16, 30}, {true, 10, 0}, {false, 10, 0});
    const double widths[] = {20, 8, 10, 22, 12, 60};
    for (int column = 0; column < 6; ++column)
        sheet.columnWidths.insert(column, widths[column]);
    sheet.fitColumns = false;
    spreadsheet::Workbook workbook;
    workbook.sheets << sheet;
    return workbook;
}

spreadsheet::Workbook usageWorkbook(const std::vector<UsageLine>& lines) {
    spreadsheet::Sheet sheet;
    sheet.setText(0, 0, QStringLiteral("药品用量统计"));
    setRowTexts(
        sheet, 1,
        {QStringLiteral("名称"), QStringLiteral("数量"), QStringLiteral("单位"), QStringLiteral("金额")});
    int row = 2;
    for (const UsageLine& line : lines)
        setRowTexts(sheet, row++, {line.name, line.quantity, line.unit, line.amount});
    styleRows(sheet, int(lines.size()), {true, 16, 30}, {true, 10, 0}, {false, 10, 0});
    const double widths[] = {25, 10, 5, 10};
    for (int column = 0; column < 4; ++column)
        sheet.columnWidths.insert(column, widths[column]);
    sheet.fitColumns = false;
    spreadsheet::Workbook workbook;
    workbook.sheets << sheet;
    return workbook;
}

} // namespace lichuan::reports
