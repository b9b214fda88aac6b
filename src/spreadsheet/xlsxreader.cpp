// The first worksheet of an .xlsx workbook: the zip container is opened with minizip's unzip functions,
// the parts are read with QXmlStreamReader. (QuaZip carries its own copy of minizip whose exported
// functions take the place of libxlsxwriter's in one process, which then crashes on its first write; so
// the zip is read with the minizip that libxlsxwriter itself uses.) The sheet is found through the workbook
// and its relationships (it need not be called sheet1.xml); shared strings may be split into runs, which are
// joined (phonetic runs skipped).

#include "spreadsheet/workbookreader.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <unzip.h>

namespace lichuan::spreadsheet {

namespace {

constexpr int kMaxColumns = 16384;

constexpr quint64 kMaxPartSize = 512ull * 1024 * 1024;

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

// The uncompressed content of one part of the archive (its name compared without regard to case).
bool readEntry(Archive& zip, const QString& name, QByteArray* content) {
    if (unzLocateFile(zip.handle(), name.toUtf8().constData(), 2) != UNZ_OK)
        return false;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip.handle(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.uncompressed_size > kMaxPartSize)
        return false;
    if (unzOpenCurrentFile(zip.handle()) != UNZ_OK)
        return false;
    content->resize(qsizetype(info.uncompressed_size));
    qsizetype done = 0;
    int got = 0;
    bool ok = true;
    while (done < content->size() && (got = unzReadCurrentFile(zip.handle(), content->data() + done,
                                                               unsigned(content->size() - done))) > 0)
        done += got;
    if (got < 0 || done != content->size())
        ok = false;
    // A clean end also checks the part's CRC.
    if (unzCloseCurrentFile(zip.handle()) != UNZ_OK)
        ok = false;
    return ok;
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

// "C5" → column 2 (0-based) and row 4; -1 where the reference does not say.
void parseReference(QStringView reference, int* column, int* row) {
    int c = 0;
    int i = 0;
    while (i < reference.size() && reference.at(i).isLetter() && c <= kMaxColumns) {
        c = c * 26 + (reference.at(i).toUpper().unicode() - 'A' + 1);
        ++i;
    }
    *column = (i > 0 && c <= kMaxColumns) ? c - 1 : -1;
    bool ok = false;
    const int r = reference.mid(i).toInt(&ok);
    *row = (ok && r > 0) ? r - 1 : -1;
}

Cell cellFromValue(const QString& type, const QString& value, bool hasValue, const QStringList& shared) {
    if (!hasValue)
        return Cell();
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.trimmed().toInt(&ok);
        return (ok && index >= 0 && index < shared.size()) ? Cell::fromText(shared.at(index)) : Cell();
    }
    if (type == QLatin1String("b"))
        return Cell::fromText(value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE")
                                                                    : QStringLiteral("FALSE"));
    if (type.isEmpty() || type == QLatin1String("n")) {
        if (value.trimmed().isEmpty())
            return Cell();
        bool ok = false;
        const double number = value.trimmed().toDouble(&ok);
        return ok ? Cell::fromNumber(number) : Cell::fromText(value);
    }
    return Cell::fromText(value); // "str", "inlineStr", "e", "d"
}

void placeCell(QList<Row>& rows, int row, int column, const Cell& cell) {
    if (cell.isEmpty() || row < 0 || column < 0 || column >= kMaxColumns)
        return;
    while (rows.size() <= row)
        rows.append(Row());
    Row& target = rows[row];
    while (target.size() <= column)
        target.append(Cell());
    target[column] = cell;
}

bool readSheet(const QByteArray& xml, const QStringList& shared, QList<Row>* rows) {
    QXmlStreamReader reader(xml);
    int row = -1;
    int column = -1;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("row")) {
            bool ok = false;
            const int number = reader.attributes().value(QLatin1String("r")).toInt(&ok);
            row = (ok && number > 0) ? number - 1 : row + 1;
            column = -1;
        } else if (reader.name() == QLatin1String("c")) {
            const auto attributes = reader.attributes();
            int refColumn = -1;
            int refRow = -1;
            parseReference(attributes.value(QLatin1String("r")), &refColumn, &refRow);
            column = refColumn >= 0 ? refColumn : column + 1;
            const int cellRow = refRow >= 0 ? refRow : std::max(row, 0);
            const QString type = attributes.value(QLatin1String("t")).toString();
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
            placeCell(*rows, cellRow, column, cellFromValue(type, value, hasValue, shared));
        }
    }
    return !reader.hasError();
}

ReadResult failed(const QString& path, const QString& reason) {
    ReadResult result;
    result.error = QStringLiteral("%1：%2").arg(reason, QDir::toNativeSeparators(path));
    return result;
}

} // namespace

ReadResult readXlsx(const QString& path) {
    Archive zip(path);
    if (!zip.isOpen())
        return failed(path, QStringLiteral("不是Excel工作簿或文件已损坏"));

    QString workbookPart = QStringLiteral("xl/workbook.xml");
    QByteArray xml;
    if (readEntry(zip, QStringLiteral("_rels/.rels"), &xml)) {
        const Relationships root = readRelationships(xml, QString());
        const QString office = root.byTypeSuffix.value(QStringLiteral("officeDocument"));
        if (!office.isEmpty())
            workbookPart = office;
    }
    if (!readEntry(zip, workbookPart, &xml))
        return failed(path, QStringLiteral("工作簿中找不到工作表"));
    QString firstSheetId;
    {
        QXmlStreamReader reader(xml);
        while (!reader.atEnd() && firstSheetId.isEmpty()) {
            reader.readNext();
            if (reader.isStartElement() && reader.name() == QLatin1String("sheet")) {
                for (const auto& attribute : reader.attributes()) {
                    if (attribute.name() == QLatin1String("id"))
                        firstSheetId = attribute.value().toString();
                }
            }
        }
    }
    const QString workbookFolder = folderOf(workbookPart);
    const QString relsPart = QStringLiteral("%1/_rels/%2.rels")
                                 .arg(workbookFolder, workbookPart.mid(workbookPart.lastIndexOf('/') + 1));
    Relationships relationships;
    if (readEntry(zip, workbookFolder.isEmpty() ? relsPart.mid(1) : relsPart, &xml))
        relationships = readRelationships(xml, workbookFolder);
    const QString sheetPart = relationships.byId.value(firstSheetId);
    if (sheetPart.isEmpty())
        return failed(path, QStringLiteral("工作簿中找不到工作表"));

    QStringList shared;
    const QString sharedPart = relationships.byTypeSuffix.value(QStringLiteral("sharedStrings"));
    if (!sharedPart.isEmpty() && readEntry(zip, sharedPart, &xml))
        shared = readSharedStrings(xml);

    if (!readEntry(zip, sheetPart, &xml))
        return failed(path, QStringLiteral("工作表不能读取，文件已损坏"));
    ReadResult result;
    if (!readSheet(xml, shared, &result.rows))
        return failed(path, QStringLiteral("工作表内容有错误，文件已损坏"));
    trimEmptyEdges(result.rows);
    result.ok = true;
    return result;
}

} // namespace lichuan::spreadsheet
