#include "spreadsheet/workbookreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lichuan::spreadsheet {

void trimEmptyEdges(QList<Row>& rows) {
    for (Row& row : rows) {
        while (!row.isEmpty() && row.constLast().isEmpty())
            row.removeLast();
    }
    while (!rows.isEmpty() && rows.constLast().isEmpty())
        rows.removeLast();
}

QString outOfMemoryReason() {
    return QStringLiteral("内存不足，工作簿太大或已损坏");
}

ReadResult readFirstSheet(const QString& path, int columns) {
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        result.error = QStringLiteral("文件不存在：%1").arg(QDir::toNativeSeparators(path));
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("文件不能打开（没有读取权限）：%1").arg(QDir::toNativeSeparators(path));
        return result;
    }
    const QByteArray signature = file.read(8);
    file.close();
    if (signature.startsWith(QByteArray("PK\x03\x04", 4)))
        return readXlsx(path, columns);
    if (signature.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")))
        return readXls(path, columns);
    result.error = QStringLiteral("不是Excel工作簿（.xls或.xlsx）：%1").arg(QDir::toNativeSeparators(path));
    return result;
}

} // namespace lichuan::spreadsheet
