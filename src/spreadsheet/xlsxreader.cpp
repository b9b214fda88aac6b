// The first worksheet of an .xlsx workbook: the zip container is opened with minizip's unzip functions,
// the parts are read with QXmlStreamReader. (QuaZip carries its own copy of minizip whose exported
// functions take the place of libxlsxwriter's in one process, which then crashes on its first write; so
// the zip is read with the minizip that libxlsxwriter itself uses.) The sheet is found through the workbook
// and its relationships (it need not be called sheet1.xml); shared strings may be split into runs, which are
// joined (phonetic runs skipped). Number formats come from the styles part, so that dates and times are
// given as text. A crafted file is refused before it can cost more than its parts' size allows: every part
// is unpacked to at most kMaxPartBytes, a cell beyond the largest sheet is a damaged file, and only the
// columns asked for are kept.

#include "spreadsheet/numberformats.h"
#include "spreadsheet/workbookreader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <new>
#include <unzip.h>

namespace lichuan::spreadsheet {

namespace {

// An open zip archive, closed when it goes out of scope.
class Archive {
public:
    explicit Archive(const QString& path) : file_(unzOpen64(QFile::encodeName(path).constData())) {}
    ~Archive() {
        if (file_)
            unzClose(file_);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    bool isOpen() const { return file_ != nullptr; }
    unzFile handle() const { return file_; }

private:
    unzFile file_;
};

enum class PartRead { Ok, Missing, TooLarge, Damaged };

// The uncompressed content of one part of the archive (its name compared without regard to case). A part
// that says it is larger than kMaxPartBytes is not unpacked; one that turns out larger while it is
// unpacked is not kept.
PartRead readEntry(Archive& zip, const QString& name, QByteArray* content) {
    content->clear();
    if (unzLocateFile(zip.handle(), name.toUtf8().constData(), 2) != UNZ_OK)
        return PartRead::Missing;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip.handle(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return PartRead::Damaged;
    if (info.uncompressed_size > quint64(kMaxPartBytes))
        return PartRead::TooLarge;
    if (unzOpenCurrentFile(zip.handle()) != UNZ_OK)
        return PartRead::Damaged;
    content->reserve(qsizetype(info.uncompressed_size));
    PartRead result = PartRead::Ok;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    int got = 0;
    while ((got = unzReadCurrentFile(zip.handle(), chunk.data(), unsigned(chunk.size()))) > 0) {
        if (content->size() + got > kMaxPartBytes) {
            result = PartRead::TooLarge;
            break;
        }
        content->append(chunk.constData(), got);
    }
    if (got < 0)
        result = PartRead::Damaged;
    // A clean end also checks the part's CRC.
    if (unzCloseCurrentFile(zip.handle()) != UNZ_OK && result == PartRead::Ok)
        result = PartRead::Damaged;
    if (result != PartRead::Ok)
        content->clear();
    return result;
}

// Why a part could not be read, for the user.
QString partReason(PartRead read, const QString& part) {
    if (read == PartRead::TooLarge)
        return QStringLiteral("工作簿的“%1”解压后超过%2 MB，文件太大或已损坏")
            .arg(part)
            .arg(kMaxPartBytes / (1024 * 1024));
    return QStringLiteral("工作簿的“%1”不能解压，文件已损坏").arg(part);
}

// The part a relationship target names, relative to the folder of the part that holds the relationship.
QString resolvePart(const QString& baseFolder, const QString& target) {
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target.mid(1));
    return QDir::cleanPath(baseFolder.isEmpty() ? target : baseFolder + QLatin1Char('/') + target);
}

QString folderOf(const QString& part) {
    const int slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash);
}

// Relationship id → target part, and the target of the first relationship whose type ends in `typeSuffix`.
struct Relationships {
    QHash<QString, QString> byId;
    QHash<QString, QString> byTypeSuffix;
};

Relationships readRelationships(const QByteArray& xml, const QString& baseFolder) {
    Relationships result;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("Relationship")) {
            const auto attributes = reader.attributes();
            const QString target =
                resolvePart(baseFolder, attributes.value(QLatin1String("Target")).toString());
            result.byId.insert(attributes.value(QLatin1String("Id")).toString(), target);
            const QString type = attributes.value(QLatin1String("Type")).toString();
            const QString suffix = type.mid(type.lastIndexOf(QLatin1Char('/')) + 1);
            if (!result.byTypeSuffix.contains(suffix))
                result.byTypeSuffix.insert(suffix, target);
        }
    }
    return result;
}

// The first sheet's relationship id, and whether dates count from 1904.
struct WorkbookPart {
    QString firstSheetId;
    bool date1904 = false;
};

WorkbookPart readWorkbookPart(const QByteArray& xml) {
    WorkbookPart result;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd() && result.firstSheetId.isEmpty()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("workbookPr")) {
            const QStringView value = reader.attributes().value(QLatin1String("date1904"));
            result.date1904 = value == QLatin1String("1") || value == QLatin1String("true");
        } else if (reader.name() == QLatin1String("sheet")) {
            for (const auto& attribute : reader.attributes()) {
                if (attribute.name() == QLatin1String("id"))
                    result.firstSheetId = attribute.value().toString();
            }
        }
    }
    return result;
}

// The text of a string item (<si>, <is>): its <t> elements joined, phonetic runs left out. The reader
// stands on the item's start element and ends on its end element.
QString readStringItem(QXmlStreamReader& reader) {
    QString text;
    const QString itemName = reader.name().toString();
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == itemName)
            break;
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("rPh"))
            reader.skipCurrentElement();
        else if (reader.name() == QLatin1String("t"))
            text += reader.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    return text;
}

QStringList readSharedStrings(const QByteArray& xml) {
    QStringList strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si"))
            strings.append(readStringItem(reader));
    }
    return strings;
}

// The number format of each cell style (<cellXfs>), by the style's index: what kind of value it shows, and
// its format text for booleans. Styles beyond the number a spreadsheet can hold are left out (their cells
// show as plain numbers).
struct CellFormat {
    FormatKind kind = FormatKind::Number;
    QString code;
};

QList<CellFormat> readCellFormats(const QByteArray& xml) {
    constexpr int kMaxStyles = 65536;
    QHash<int, QString> codes;
    QList<CellFormat> formats;
    QXmlStreamReader reader(xml);
    bool inNumFmts = false;
    bool inCellXfs = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        if (reader.isEndElement() && reader.name() == QLatin1String("numFmts"))
            inNumFmts = false;
        if (!reader.isStartElement())
            continue;
        const auto attributes = reader.attributes();
        if (reader.name() == QLatin1String("numFmts")) {
            inNumFmts = true;
        } else if (inNumFmts && reader.name() == QLatin1String("numFmt") && codes.size() < kMaxStyles) {
            codes.insert(attributes.value(QLatin1String("numFmtId")).toInt(),
                         attributes.value(QLatin1String("formatCode")).toString());
        } else if (reader.name() == QLatin1String("cellXfs")) {
            inCellXfs = true;
        } else if (inCellXfs && reader.name() == QLatin1String("xf") && formats.size() < kMaxStyles) {
            const int id = attributes.value(QLatin1String("numFmtId")).toInt();
            const QString code = codes.value(id);
            formats.append(CellFormat{formatKind(id, code), code});
            reader.skipCurrentElement();
        }
    }
    return formats;
}

// A cell reference ("C5"): its 0-based column and row, -1 where it says none. False when it names a
// cell beyond the largest sheet.
bool parseReference(QStringView reference, int* column, int* row) {
    qint64 c = 0;
    qsizetype i = 0;
    while (i < reference.size() && c <= kMaxSheetColumns) {
        const char16_t letter = reference.at(i).toUpper().unicode();
        if (letter < u'A' || letter > u'Z')
            break;
        c = c * 26 + (letter - u'A' + 1);
        ++i;
    }
    qint64 r = 0;
    qsizetype digits = i;
    while (digits < reference.size() && reference.at(digits).isDigit() && r <= kMaxSheetRows) {
        r = r * 10 + reference.at(digits).digitValue();
        ++digits;
    }
    if (c > kMaxSheetColumns || r > kMaxSheetRows)
        return false;
    *column = c > 0 ? int(c) - 1 : -1;
    *row = (digits > i && digits == reference.size() && r > 0) ? int(r) - 1 : -1;
    return true;
}

// What the cells of the sheet are read with.
struct SheetContext {
    QStringList shared;
    QList<CellFormat> formats;
    bool date1904 = false;
    int columns = kMaxSheetColumns;
};

Cell cellFromValue(const QString& type, int style, const QString& value, const SheetContext& context) {
    const CellFormat format = context.formats.value(style);
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.trimmed().toInt(&ok);
        return (ok && index >= 0 && index < context.shared.size()) ? Cell::fromText(context.shared.at(index))
                                                                   : Cell();
    }
    if (type == QLatin1String("b"))
        return Cell::fromText(booleanText(value.trimmed() == QLatin1String("1"), format.code));
    if (type.isEmpty() || type == QLatin1String("n")) {
        if (value.trimmed().isEmpty())
            return Cell();
        bool ok = false;
        const double number = value.trimmed().toDouble(&ok);
        if (!ok)
            return Cell::fromText(value);
        const QString dated = serialText(number, format.kind, context.date1904);
        return dated.isEmpty() ? Cell::fromNumber(number) : Cell::fromText(dated);
    }
    if (type == QLatin1String("d")) { // an ISO 8601 date and time
        const QDateTime when = QDateTime::fromString(value.trimmed(), Qt::ISODate);
        if (when.isValid()) {
            const bool hasTime = when.time() != QTime(0, 0) || format.kind == FormatKind::DateTime;
            return Cell::fromText(when.toString(hasTime ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                                        : QStringLiteral("yyyy-MM-dd")));
        }
    }
    return Cell::fromText(value); // "str", "inlineStr", "e"
}

void placeCell(QList<Row>& rows, int row, int column, const Cell& cell) {
    if (cell.isEmpty())
        return;
    if (rows.size() <= row)
        rows.resize(row + 1);
    Row& target = rows[row];
    if (target.size() <= column)
        target.resize(column + 1);
    target[column] = cell;
}

QString rowBeyondSheet(qint64 row) {
    return QStringLiteral("第%1行超出了工作表的最大行数%2，文件已损坏").arg(row).arg(kMaxSheetRows);
}

// The rows of the sheet part, or why it is damaged.
QString readSheet(const QByteArray& xml, const SheetContext& context, QList<Row>* rows) {
    const QString columnBeyond =
        QStringLiteral("单元格超出了工作表的最大列数%1（XFD列），文件已损坏").arg(kMaxSheetColumns);
    QXmlStreamReader reader(xml);
    int row = -1;
    int column = -1;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("row")) {
            const QStringView number = reader.attributes().value(QLatin1String("r"));
            bool ok = false;
            const qint64 r = number.toLongLong(&ok);
            if (ok && r > kMaxSheetRows)
                return rowBeyondSheet(r);
            if (!ok && !number.isEmpty() &&
                std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); }))
                return rowBeyondSheet(kMaxSheetRows + 1ll); // too many digits for a number
            row = (ok && r > 0) ? int(r) - 1 : row + 1;
            if (row >= kMaxSheetRows)
                return rowBeyondSheet(row + 1ll);
            column = -1;
        } else if (reader.name() == QLatin1String("c")) {
            const auto attributes = reader.attributes();
            int refColumn = -1;
            int refRow = -1;
            const QStringView reference = attributes.value(QLatin1String("r"));
            if (!parseReference(reference, &refColumn, &refRow))
                return QStringLiteral("单元格%1超出了工作表的范围（最大%2行、%3列），文件已损坏")
                    .arg(reference.left(20).toString())
                    .arg(kMaxSheetRows)
                    .arg(kMaxSheetColumns);
            column = refColumn >= 0 ? refColumn : column + 1;
            if (column >= kMaxSheetColumns)
                return columnBeyond;
            const int cellRow = refRow >= 0 ? refRow : std::max(row, 0);
            const QString type = attributes.value(QLatin1String("t")).toString();
            const int style = attributes.value(QLatin1String("s")).toInt();
            QString value;
            bool hasValue = false;
            while (!reader.atEnd()) {
                reader.readNext();
                if (reader.isEndElement() && reader.name() == QLatin1String("c"))
                    break;
                if (!reader.isStartElement())
                    continue;
                if (reader.name() == QLatin1String("v")) {
                    value = reader.readElementText(QXmlStreamReader::IncludeChildElements);
                    hasValue = true;
                } else if (reader.name() == QLatin1String("is")) {
                    value = readStringItem(reader);
                    hasValue = true;
                } else {
                    reader.skipCurrentElement();
                }
            }
            if (hasValue && column < context.columns)
                placeCell(*rows, cellRow, column, cellFromValue(type, style, value, context));
        }
    }
    return reader.hasError() ? QStringLiteral("工作表内容有错误，文件已损坏") : QString();
}

ReadResult failed(const QString& path, const QString& reason) {
    ReadResult result;
    result.error = QStringLiteral("%1：%2").arg(reason, QDir::toNativeSeparators(path));
    return result;
}

ReadResult readXlsxParts(const QString& path, int columns) {
    Archive zip(path);
    if (!zip.isOpen())
        return failed(path, QStringLiteral("不是Excel工作簿或文件已损坏"));

    QString workbookPart = QStringLiteral("xl/workbook.xml");
    QByteArray xml;
    PartRead read = readEntry(zip, QStringLiteral("_rels/.rels"), &xml);
    if (read == PartRead::Ok) {
        const Relationships root = readRelationships(xml, QString());
        const QString office = root.byTypeSuffix.value(QStringLiteral("officeDocument"));
        if (!office.isEmpty())
            workbookPart = office;
    } else if (read != PartRead::Missing) {
        return failed(path, partReason(read, QStringLiteral("_rels/.rels")));
    }
    read = readEntry(zip, workbookPart, &xml);
    if (read == PartRead::Missing)
        return failed(path, QStringLiteral("工作簿中找不到工作表"));
    if (read != PartRead::Ok)
        return failed(path, partReason(read, workbookPart));
    SheetContext context;
    context.columns = std::clamp(columns, 0, kMaxSheetColumns);
    const WorkbookPart workbook = readWorkbookPart(xml);
    context.date1904 = workbook.date1904;
    const QString workbookFolder = folderOf(workbookPart);
    const QString relsPart = QStringLiteral("%1/_rels/%2.rels")
                                 .arg(workbookFolder, workbookPart.mid(workbookPart.lastIndexOf('/') + 1));
    Relationships relationships;
    const QString relsName = workbookFolder.isEmpty() ? relsPart.mid(1) : relsPart;
    read = readEntry(zip, relsName, &xml);
    if (read == PartRead::Ok)
        relationships = readRelationships(xml, workbookFolder);
    else if (read != PartRead::Missing)
        return failed(path, partReason(read, relsName));
    const QString sheetPart = relationships.byId.value(workbook.firstSheetId);
    if (sheetPart.isEmpty())
        return failed(path, QStringLiteral("工作簿中找不到工作表"));

    // Shared strings and styles: a missing part leaves its cells without them, a damaged one refuses the
    // file.
    const QString sharedPart = relationships.byTypeSuffix.value(QStringLiteral("sharedStrings"));
    if (!sharedPart.isEmpty()) {
        read = readEntry(zip, sharedPart, &xml);
        if (read != PartRead::Ok && read != PartRead::Missing)
            return failed(path, partReason(read, sharedPart));
        context.shared = readSharedStrings(xml);
    }
    const QString stylesPart = relationships.byTypeSuffix.value(QStringLiteral("styles"));
    if (!stylesPart.isEmpty()) {
        read = readEntry(zip, stylesPart, &xml);
        if (read != PartRead::Ok && read != PartRead::Missing)
            return failed(path, partReason(read, stylesPart));
        context.formats = readCellFormats(xml);
    }

    read = readEntry(zip, sheetPart, &xml);
    if (read == PartRead::Missing)
        return failed(path, QStringLiteral("工作表不能读取，文件已损坏"));
    if (read != PartRead::Ok)
        return failed(path, partReason(read, sheetPart));
    ReadResult result;
    const QString damaged = readSheet(xml, context, &result.rows);
    if (!damaged.isEmpty())
        return failed(path, damaged);
    trimEmptyEdges(result.rows);
    result.ok = true;
    return result;
}

} // namespace

ReadResult readXlsx(const QString& path, int columns) {
    try {
        return readXlsxParts(path, columns);
    } catch (const std::bad_alloc&) {
        return failed(path, outOfMemoryReason());
    }
}

} // namespace lichuan::spreadsheet
