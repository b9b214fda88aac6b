// The first worksheet of an old binary .xls workbook, read with freexl (text comes as UTF-8, integers
// and doubles separately, dates as text, empty cells as null).

#include "spreadsheet/workbookreader.h"

#include <QDir>
#include <QFile>
#include <freexl.h>

namespace lichuan::spreadsheet {

namespace {

QString openErrorText(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("文件不存在或不能读取");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("内存不足");
    case FREEXL_BIFF_OBFUSCATED:
        return QStringLiteral("工作簿有密码保护");
    case FREEXL_CRAFTED_FILE:
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
        return QStringLiteral("不是Excel工作簿或文件已损坏");
    default:
        break;
    }
    return QStringLiteral("文件已损坏（错误%1）").arg(code);
}

ReadResult failed(const QString& path, const QString& reason) {
    ReadResult result;
    result.error = QStringLiteral("%1：%2").arg(reason, QDir::toNativeSeparators(path));
    return result;
}

// Closes the handle however the reading ends (also after a failed open).
struct Handle {
    const void* value = nullptr;
    ~Handle() {
        if (value)
            freexl_close(value);
    }
};

} // namespace

ReadResult readXls(const QString& path) {
    Handle handle;
    const int opened = freexl_open(QFile::encodeName(path).constData(), &handle.value);
    if (opened != FREEXL_OK)
        return failed(path, openErrorText(opened));
    if (freexl_select_active_worksheet(handle.value, 0) != FREEXL_OK)
        return failed(path, QStringLiteral("工作簿中找不到工作表"));
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    if (freexl_worksheet_dimensions(handle.value, &rowCount, &columnCount) != FREEXL_OK)
        return failed(path, QStringLiteral("工作表不能读取，文件已损坏"));

    ReadResult result;
    result.rows.reserve(int(rowCount));
    for (unsigned int r = 0; r < rowCount; ++r) {
        Row row;
        row.reserve(columnCount);
        for (unsigned short c = 0; c < columnCount; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle.value, r, c, &value) != FREEXL_OK) {
                row.append(Cell());
                continue;
            }
            switch (value.type) {
            case FREEXL_CELL_INT:
                row.append(Cell::fromNumber(value.value.int_value));
                break;
            case FREEXL_CELL_DOUBLE:
                row.append(Cell::fromNumber(value.value.double_value));
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                row.append(value.value.text_value ? Cell::fromText(QString::fromUtf8(value.value.text_value))
                                                  : Cell());
                break;
            default:
                row.append(Cell());
                break;
            }
        }
        result.rows.append(row);
    }
    trimEmptyEdges(result.rows);
    result.ok = true;
    return result;
}

} // namespace lichuan::spreadsheet
