#include "spreadsheet/workbookwriter.h"

#include "data/gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <xlsxwriter.h>

namespace lichuan::spreadsheet {

void Sheet::setCell(int row, int column, const Cell& cell) {
    if (row < 0 || column < 0)
        return;
    while (rows.size() <= row)
        rows.append(Row());
    Row& target = rows[row];
    while (target.size() <= column)
        target.append(Cell());
    target[column] = cell;
}

void Sheet::setText(int row, int column, const QString& value) {
    setCell(row, column, Cell::fromText(value));
}

void Sheet::setNumber(int row, int column, double value, const QString& format) {
    setCell(row, column, Cell::fromNumber(value, format));
}

QString withXlsxExtension(const QString& path) {
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return path;
    if (path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return path + QLatin1Char('x');
    return path + QLatin1String(".xlsx");
}

double fittedWidth(int displayColumns, double fontSize, double baseFontSize) {
    if (displayColumns <= 0)
        return 0;
    const double scale = (fontSize > 0 && baseFontSize > 0) ? fontSize / baseFontSize : 1.0;
    return std::min(255.0, std::ceil(displayColumns * scale) + 2.0);
}

namespace {

// The text a cell shows, for measuring it.
QString shownText(const Cell& cell) {
    if (cell.kind == Cell::Kind::Number && !cell.numberFormat.isEmpty()) {
        const int point = cell.numberFormat.indexOf(QLatin1Char('.'));
        const int decimals = point < 0 ? 0 : int(cell.numberFormat.size()) - point - 1;
        return QString::number(cell.number, 'f', decimals);
    }
    return cell.toText();
}

} // namespace

QMap<int, double> columnWidthsToWrite(const Sheet& sheet, double baseFontSize) {
    QMap<int, double> widths;
    if (sheet.fitColumns) {
        for (int r = 0; r < sheet.rows.size(); ++r) {
            const double size = sheet.rowStyles.value(r).fontSize;
            const Row& row = sheet.rows.at(r);
            for (int c = 0; c < row.size(); ++c) {
                if (sheet.columnWidths.contains(c))
                    continue;
                const double width =
                    fittedWidth(gbk::displayColumns(shownText(row.at(c))), size, baseFontSize);
                if (width > widths.value(c))
                    widths[c] = width;
            }
        }
    }
    for (auto it = sheet.columnWidths.cbegin(); it != sheet.columnWidths.cend(); ++it)
        widths[it.key()] = it.value();
    return widths;
}

namespace {

QString closeErrorText(lxw_error error) {
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
        return QStringLiteral("不能创建文件（文件夹不存在或没有写入权限）");
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
        return QStringLiteral("不能使用临时文件（临时文件夹已满或没有写入权限）");
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("写入文件时出错（磁盘可能已满）");
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("内存不足");
    default:
        break;
    }
    return QString::fromUtf8(lxw_strerror(error));
}

WriteResult failure(const QString& path, const QString& reason) {
    WriteResult result;
    result.error = QStringLiteral("文件没有导出：%1\n%2").arg(QDir::toNativeSeparators(path), reason);
    return result;
}

// The formats of one workbook, one per distinct (bold, size, number format).
class Formats {
public:
    Formats(lxw_workbook* workbook, const Workbook& source) : workbook_(workbook), source_(source) {}

    lxw_format* get(const RowStyle& style, const QString& numberFormat) {
        const double size = style.fontSize > 0 ? style.fontSize : source_.fontSize;
        auto key = std::make_tuple(style.bold, size, numberFormat);
        auto found = formats_.find(key);
        if (found != formats_.end())
            return found->second;
        lxw_format* format = workbook_add_format(workbook_);
        if (format) {
            format_set_font_name(format, source_.fontName.toUtf8().constData());
            format_set_font_size(format, size);
            if (style.bold)
                format_set_bold(format);
            if (!numberFormat.isEmpty())
                format_set_num_format(format, numberFormat.toUtf8().constData());
        }
        formats_.emplace(key, format);
        return format;
    }

private:
    lxw_workbook* workbook_;
    const Workbook& source_;
    std::map<std::tuple<bool, double, QString>, lxw_format*> formats_;
};

// Writes one sheet; false when a cell could not be written.
bool writeSheet(lxw_worksheet* worksheet, const Sheet& sheet, Formats& formats, double baseFontSize,
                QString* error) {
    for (int r = 0; r < sheet.rows.size(); ++r) {
        const RowStyle style = sheet.rowStyles.value(r);
        const Row& row = sheet.rows.at(r);
        for (int c = 0; c < row.size(); ++c) {
            const Cell& cell = row.at(c);
            lxw_error status = LXW_NO_ERROR;
            switch (cell.kind) {
            case Cell::Kind::Number:
                status = worksheet_write_number(worksheet, lxw_row_t(r), lxw_col_t(c), cell.number,
                                                formats.get(style, cell.numberFormat));
                break;
            case Cell::Kind::Text:
                if (!cell.text.isEmpty()) {
                    status = worksheet_write_string(worksheet, lxw_row_t(r), lxw_col_t(c),
                                                    cell.text.toUtf8().constData(), formats.get(style, {}));
                    break;
                }
                Q_FALLTHROUGH();
            case Cell::Kind::Empty:
                status = worksheet_write_blank(worksheet, lxw_row_t(r), lxw_col_t(c), formats.get(style, {}));
                break;
            }
            if (status != LXW_NO_ERROR) {
                *error = QStringLiteral("第%1行第%2列不能写入（%3）")
                             .arg(r + 1)
                             .arg(c + 1)
                             .arg(QString::fromUtf8(lxw_strerror(status)));
                return false;
            }
        }
    }
    for (auto it = sheet.rowStyles.cbegin(); it != sheet.rowStyles.cend(); ++it) {
        if (it.value().height > 0)
            worksheet_set_row(worksheet, lxw_row_t(it.key()), it.value().height, nullptr);
    }
    const QMap<int, double> widths = columnWidthsToWrite(sheet, baseFontSize);
    for (auto it = widths.cbegin(); it != widths.cend(); ++it)
        worksheet_set_column(worksheet, lxw_col_t(it.key()), lxw_col_t(it.key()), it.value(), nullptr);
    return true;
}

bool syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// The permissions a newly created file gets (0666 less the process's umask).
void setNewFilePermissions(const QString& path) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
}

} // namespace

WriteResult writeWorkbook(const Workbook& workbook, const QString& path) {
    const QFileInfo target(path);
    const QDir folder = target.absoluteDir();
    if (!folder.exists())
        return failure(path, QStringLiteral("文件夹不存在：%1").arg(QDir::toNativeSeparators(folder.path())));
    if (target.isDir())
        return failure(path, QStringLiteral("这个名称是一个文件夹"));

    QString temporaryPath;
    {
        QTemporaryFile placeholder(folder.filePath(QStringLiteral(".%1.XXXXXX.tmp").arg(target.fileName())));
        placeholder.setAutoRemove(false);
        if (!placeholder.open())
            return failure(path, QStringLiteral("不能在文件夹中创建文件（没有写入权限或磁盘已满）"));
        temporaryPath = placeholder.fileName();
    }
    auto abandon = [&](const QString& reason) {
        QFile::remove(temporaryPath);
        return failure(path, reason);
    };

    const QByteArray encodedTemporary = QFile::encodeName(temporaryPath);
    lxw_workbook* book = workbook_new(encodedTemporary.constData());
    if (!book)
        return abandon(QStringLiteral("不能创建工作簿"));
    Formats formats(book, workbook);
    QList<Sheet> sheets = workbook.sheets;
    if (sheets.isEmpty())
        sheets.append(Sheet());
    QString cellError;
    for (const Sheet& sheet : sheets) {
        lxw_worksheet* worksheet = workbook_add_worksheet(book, sheet.name.toUtf8().constData());
        if (!worksheet) {
            workbook_close(book);
            return abandon(QStringLiteral("工作表名称不能使用：%1").arg(sheet.name));
        }
        if (!writeSheet(worksheet, sheet, formats, workbook.fontSize, &cellError)) {
            workbook_close(book);
            return abandon(cellError);
        }
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        return abandon(closeErrorText(closed));
    if (!syncFile(temporaryPath))
        return abandon(QStringLiteral("写入文件时出错（磁盘可能已满）"));
    setNewFilePermissions(temporaryPath);
    if (std::rename(encodedTemporary.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) !=
        0)
        return abandon(QStringLiteral("不能替换原有文件（文件可能被占用或没有写入权限）"));
    WriteResult result;
    result.ok = true;
    return result;
}

} // namespace lichuan::spreadsheet
