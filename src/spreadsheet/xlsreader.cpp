// The first worksheet of an old binary .xls workbook, read with freexl (text comes as UTF-8, integers
// and doubles separately, dates as text, booleans as integers, empty cells as null). freexl allocates
// and fills a cell for every row and column its sheets declare while it opens the file, whatever the file
// holds: it opens the file under a limit of the address space, so that a crafted size fails there instead
// of taking the machine's memory, and a sheet larger than a spreadsheet holds is refused.

#include "spreadsheet/workbookreader.h"

#include <QDir>
#include <QFile>
#include <freexl.h>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

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

// For the life of the object, the process may map at most `headroom` bytes beyond what it maps now.
// Without a readable size the limit stays as it is.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(qint64 headroom) {
        QFile statm(QStringLiteral("/proc/self/statm"));
        bool ok = false;
        const qint64 pages =
            statm.open(QIODevice::ReadOnly) ? statm.readLine().split(' ').value(0).toLongLong(&ok) : 0;
        if (!ok || getrlimit(RLIMIT_AS, &saved_) != 0)
            return;
        rlimit limited = saved_;
        const rlim_t wanted = rlim_t(pages * sysconf(_SC_PAGESIZE) + headroom);
        if (saved_.rlim_cur != RLIM_INFINITY && saved_.rlim_cur <= wanted)
            return;
        limited.rlim_cur = wanted;
        active_ = setrlimit(RLIMIT_AS, &limited) == 0;
    }
    ~AddressSpaceLimit() {
        if (active_)
            setrlimit(RLIMIT_AS, &saved_);
    }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

private:
    rlimit saved_{};
    bool active_ = false;
};

// The largest sheet of the old format (65,536 rows of 256 cells) takes freexl about 270 MB.
constexpr qint64 kOpenHeadroom = 768ll * 1024 * 1024;

Cell cellOf(const FreeXL_CellValue& value) {
    switch (value.type) {
    case FREEXL_CELL_INT:
        return Cell::fromNumber(value.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return Cell::fromNumber(value.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return value.value.text_value ? Cell::fromText(QString::fromUtf8(value.value.text_value)) : Cell();
    default:
        break;
    }
    return Cell();
}

ReadResult readSheet(const QString& path, int columns) {
    Handle handle;
    int opened = FREEXL_OK;
    {
        AddressSpaceLimit limit(kOpenHeadroom);
        opened = freexl_open(QFile::encodeName(path).constData(), &handle.value);
    }
    if (opened != FREEXL_OK)
        return failed(path, openErrorText(opened));
    // freexl reports a sheet it could not allocate as an open without a handle.
    if (!handle.value)
        return failed(path, QStringLiteral("工作表声明的行列数太大，文件已损坏"));
    if (freexl_select_active_worksheet(handle.value, 0) != FREEXL_OK)
        return failed(path, QStringLiteral("工作簿中找不到工作表"));
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    if (freexl_worksheet_dimensions(handle.value, &rowCount, &columnCount) != FREEXL_OK)
        return failed(path, QStringLiteral("工作表不能读取，文件已损坏"));
    if (rowCount > unsigned(kMaxSheetRows))
        return failed(path, QStringLiteral("工作表有%1行，超出了工作表的最大行数%2，文件已损坏")
                                .arg(rowCount)
                                .arg(kMaxSheetRows));
    if (columnCount > kMaxSheetColumns)
        return failed(path, QStringLiteral("工作表有%1列，超出了工作表的最大列数%2，文件已损坏")
                                .arg(columnCount)
                                .arg(kMaxSheetColumns));

    const int kept = std::min(int(columnCount), std::clamp(columns, 0, kMaxSheetColumns));
    ReadResult result;
    for (unsigned int r = 0; r < rowCount; ++r) {
        Row row;
        for (int c = 0; c < kept; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle.value, r, static_cast<unsigned short>(c), &value) != FREEXL_OK)
                continue;
            const Cell cell = cellOf(value);
            if (cell.isEmpty())
                continue;
            row.resize(c + 1); // the cells before it stay empty; an empty row holds none
            row[c] = cell;
        }
        if (!row.isEmpty()) {
            result.rows.resize(qsizetype(r) + 1);
            result.rows[qsizetype(r)] = row;
        }
    }
    trimEmptyEdges(result.rows);
    result.ok = true;
    return result;
}

} // namespace

ReadResult readXls(const QString& path, int columns) {
    try {
        return readSheet(path, columns);
    } catch (const std::bad_alloc&) {
        return failed(path, outOfMemoryReason());
    }
}

} // namespace lichuan::spreadsheet
