#pragma once
// The workbooks the log and the drug usage statistics export: titles, headings, one row per line, fonts,
// row heights and column widths.

#include "data/audit.h"
#include "data/reports.h"
#include "reports/reportrules.h"
#include "spreadsheet/workbookwriter.h"

#include <vector>

namespace lichuan::reports {

// "门 诊 日 志 登 记 本" in D1, the seven headings in row 2, one prescription a row from row 3.
spreadsheet::Workbook logWorkbook(const std::vector<LogRow>& rows);

// "操作记录" in A1, the six headings in row 2, one line of the log a row from row 3, newest first.
spreadsheet::Workbook auditWorkbook(const std::vector<audit::Line>& lines);

// "药品用量统计" in A1, the four headings in row 2, one name a row from row 3 (amounts as "0.00" too).
spreadsheet::Workbook usageWorkbook(const std::vector<UsageLine>& lines);

} // namespace lichuan::reports
