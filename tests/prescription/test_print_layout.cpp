// The printed prescription on the recording surface: the sheet copied at 1.2 times its size from the
// margins' origin, and the item text laid out anew (herb columns, raised notes, text lines, empty lines).

#include "prescription/printlayout.h"
#include "printing/surface.h"

#include <QGuiApplication>
#include <QtTest>

using namespace lichuan;
using namespace lichuan::printing;

namespace {

const double kLeft = 660; // the item box of the wide herbal layout
const double kTop = 2640;

PrintedSheet itemsOnly(const QStringList& lines, bool herbal = true) {
    PrintedSheet sheet;
    sheet.itemsLeft = kLeft;
    sheet.itemsTop = kTop;
    sheet.itemLines = lines;
    sheet.herbal = herbal;
    return sheet;
}

PrescriptionPrintSettings settings(const QString& left = QStringLiteral("10"),
                                   const QString& top = QStringLiteral("10"),
                                   const QString& size = QStringLiteral("14")) {
    return {left, top, QStringLiteral("宋体"), size};
}

Document print(const PrintedSheet& sheet, const PrescriptionPrintSettings& values) {
    Surface surface;
    layOutPrescription(surface, sheet, values);
    return surface.endDocument();
}

const TextOp* find(const Document& document, const QString& text) {
    for (const TextOp* op : document.texts()) {
        if (op->text == text)
            return op;
    }
    return nullptr;
}

double lineHeight(double points) {
    Surface surface;
    surface.setFont(QStringLiteral("宋体"), points, false);
    return surface.lineHeight();
}

double width(const QString& text, double points) {
    Surface surface;
    surface.setFont(QStringLiteral("宋体"), points, false);
    return surface.textWidth(text);
}

SheetContent content(bool herbal) {
    SheetContent c;
    c.clinicName = QStringLiteral("栎川镇卫生院");
    for (size_t i = 0; i < c.fields.size(); ++i)
        c.fields[i] = QStringLiteral("字段%1").arg(i);
    c.doses = QStringLiteral("7");
    c.herbal = herbal;
    c.layout = herbal ? sheetgeometry::Layout::WideHerbal : sheetgeometry::Layout::Western;
    c.itemText = herbal ? QStringLiteral("黄芪10g       当归6g        石膏[先煎]30g\r\n用法：水煎服")
                        : QStringLiteral("阿莫西林胶囊 2盒\r\n用法：口服");
    return c;
}

// Where a printed piece of a herbal line stands: its printed row and column, and whether it starts as an
// item with a note (whose columns are 2097.9 + 60 twips apart).
struct Placed {
    QString text;
    int row = 0;
    int column = 0;
    bool bracketed = false;
};
using Placements = QList<Placed>;

} // namespace

Q_DECLARE_METATYPE(Placements)

class PrintLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void herbsStandInColumnsWithRaisedNotes();
    void everyPieceOfAHerbalLineIsPrinted_data();
    void everyPieceOfAHerbalLineIsPrinted();
    void textLinesAndEmptyLinesMoveAsTheyShould();
    void westernLinesPrintWhole();
    void theItemFontFallsBackTo14AndComesBackAfterANote();
    void marginsShiftTheWholePage();
    void theSheetIsCopiedAtOnePointTwo();
    void hiddenFieldsAndTheWesternDoseCountAreNotPrinted();
};

void PrintLayoutTest::herbsStandInColumnsWithRaisedNotes() {
    const Document document = print(itemsOnly({QStringLiteral("黄芪10g       当归6g        石膏[先煎]30g "),
                                               QStringLiteral("白术10g       ")}),
                                    settings());
    const double rowTop = kTop * 1.2;
    const TextOp* first = find(document, QStringLiteral("黄芪10g"));
    const TextOp* second = find(document, QStringLiteral("当归6g"));
    const TextOp* name = find(document, QStringLiteral("石膏"));
    const TextOp* note = find(document, QStringLiteral("[先煎]"));
    const TextOp* tail = find(document, QStringLiteral("30g"));
    QVERIFY(first && second && name && note && tail);
    QCOMPARE(first->x, kLeft);
    QCOMPARE(first->y, rowTop);
    QCOMPARE(first->points, 14.0);
    QCOMPARE(second->x, kLeft + 2154.6);
    QCOMPARE(second->y, rowTop);
    QCOMPARE(name->x, kLeft + 4315.8);
    QCOMPARE(name->y, rowTop);
    // The note: 8-point 宋体, raised 170 twips, starting 200 twips before the end of the name.
    QVERIFY(qAbs(note->x - (kLeft + 4315.8 + width(QStringLiteral("石膏"), 14) - 200)) < 1e-6);
    QCOMPARE(note->y, rowTop - 170);
    QCOMPARE(note->points, 8.0);
    QCOMPARE(note->font, QStringLiteral("宋体"));
    QVERIFY(qAbs(tail->x - (note->x + width(QStringLiteral("[先煎]"), 8))) < 1e-6);
    QCOMPARE(tail->y, rowTop);
    QCOMPARE(tail->points, 14.0);
    // The next row 420 twips lower.
    QCOMPARE(find(document, QStringLiteral("白术10g"))->y, rowTop + 420);
}

void PrintLayoutTest::everyPieceOfAHerbalLineIsPrinted_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<Placements>("placed");
    // The line is followed by 知母10g on a line of its own, one row below the line's last row.
    QTest::newRow("a herb without its quantity")
        << QStringLiteral("黄芪 10g     当归 10g                 石膏")
        << Placements{{"黄芪 10g", 0, 0}, {"当归 10g", 0, 1}, {"石膏", 0, 2}, {"知母10g", 1, 0}};
    QTest::newRow("an instruction after the item")
        << QStringLiteral("甘草6g  水煎服  ")
        << Placements{{"甘草6g", 0, 0}, {"水煎服", 0, 1}, {"知母10g", 1, 0}};
    QTest::newRow("a piece after three items starts the next row")
        << QStringLiteral("黄芪10g       当归6g        白芍10g       石膏")
        << Placements{{"白芍10g", 0, 2}, {"石膏", 1, 0}, {"知母10g", 2, 0}};
    QTest::newRow("seven items in three rows")
        << QStringLiteral("黄芪10g 当归6g 白芍10g 川芎6g 大枣3枚 生姜3个 葱白2条 ")
        << Placements{{"黄芪10g", 0, 0}, {"白芍10g", 0, 2}, {"川芎6g", 1, 0}, {"大枣3枚", 1, 1},
                      {"生姜3个", 1, 2}, {"葱白2条", 2, 0}, {"知母10g", 3, 0}};
    QTest::newRow("a herb with its note and no quantity")
        << QStringLiteral("黄芪10g       石膏 [先煎]")
        << Placements{{"黄芪10g", 0, 0}, {"石膏", 0, 1, true}, {"[先煎]", 0, 1, true}, {"知母10g", 1, 0}};
    QTest::newRow("a note the box wrapped before its bracket closes")
        << QStringLiteral("黄芪10g       石膏 [先煎")
        << Placements{{"石膏", 0, 1, true}, {"[先煎", 0, 1, true}, {"知母10g", 1, 0}};
    QTest::newRow("a long instruction does not run off the sheet")
        << QStringLiteral("黄芪10g       当归6g        水煎服，日一剂，早晚分服")
        << Placements{{"当归6g", 0, 1}, {"水煎服，日一剂，早晚分服", 1, 0}, {"知母10g", 2, 0}};
}

void PrintLayoutTest::everyPieceOfAHerbalLineIsPrinted() {
    QFETCH(QString, line);
    QFETCH(Placements, placed);
    const Document document = print(itemsOnly({line, QStringLiteral("知母10g ")}), settings());
    for (const Placed& piece : placed) {
        const TextOp* op = find(document, piece.text);
        QVERIFY2(op, qPrintable(piece.text));
        const double columnLeft = kLeft + piece.column * (piece.bracketed ? 2097.9 + 60 : 2154.6) +
                                  (piece.text.startsWith('[') ? width(QStringLiteral("石膏"), 14) - 200 : 0);
        const double rowTop = kTop * 1.2 + piece.row * 420 - (piece.text.startsWith('[') ? 170 : 0);
        QVERIFY2(qAbs(op->x - columnLeft) < 1e-6, qPrintable(piece.text));
        QVERIFY2(qAbs(op->y - rowTop) < 1e-6, qPrintable(piece.text));
        QVERIFY(op->x + width(piece.text, piece.text.startsWith('[') ? 8 : 14) < 6293 * 1.2);
    }
}

void PrintLayoutTest::textLinesAndEmptyLinesMoveAsTheyShould() {
    const double h = lineHeight(14);
    const Document document =
        print(itemsOnly({QStringLiteral("黄芪10g       "), QStringLiteral("用法：水煎服，日一剂"),
                         QStringLiteral("   "), QStringLiteral("早晚分服")}),
              settings());
    const double rowTop = kTop * 1.2;
    const TextOp* usage = find(document, QStringLiteral("用法：水煎服，日一剂"));
    QVERIFY(usage);
    // A herbal line without unit characters: whole, 120 twips below the previous row's end.
    QCOMPARE(usage->x, kLeft);
    QVERIFY(qAbs(usage->y - (rowTop + 420 + 120)) < 1e-9);
    // The empty line moves 200 up and one line down; the next text line gets its 120.
    const TextOp* after = find(document, QStringLiteral("早晚分服"));
    QVERIFY(qAbs(after->y - (usage->y + h - 200 + h + 120)) < 1e-6);
    int visible = 0;
    for (const TextOp* text : document.texts())
        visible += text->text.trimmed().isEmpty() ? 0 : 1;
    QCOMPARE(visible, 3); // the blank line shows nothing
}

void PrintLayoutTest::westernLinesPrintWhole() {
    const double h = lineHeight(12);
    const Document document =
        print(itemsOnly({QStringLiteral("阿莫西林胶囊{0.25g*24} 2盒"),
                         QStringLiteral("用法：口服，一次2粒，一日3次")},
                        false),
              settings(QStringLiteral("10"), QStringLiteral("10"), QStringLiteral("12")));
    const TextOp* drug = find(document, QStringLiteral("阿莫西林胶囊{0.25g*24} 2盒"));
    const TextOp* usage = find(document, QStringLiteral("用法：口服，一次2粒，一日3次"));
    QVERIFY(drug && usage);
    QCOMPARE(drug->x, kLeft);
    QCOMPARE(drug->y, kTop * 1.2 + 120);
    QCOMPARE(drug->points, 12.0);
    QVERIFY(qAbs(usage->y - (drug->y + h + 120)) < 1e-6);
}

void PrintLayoutTest::theItemFontFallsBackTo14AndComesBackAfterANote() {
    for (const QString& size : {QString(), QStringLiteral("0"), QStringLiteral("abc")}) {
        const Document document = print(itemsOnly({QStringLiteral("石膏[先煎]30g 知母10g ")}),
                                        settings(QStringLiteral("10"), QStringLiteral("10"), size));
        QCOMPARE(find(document, QStringLiteral("石膏"))->points, 14.0);
        QCOMPARE(find(document, QStringLiteral("[先煎]"))->points, 8.0);
        QCOMPARE(find(document, QStringLiteral("30g"))->points, 14.0);
        QCOMPARE(find(document, QStringLiteral("知母10g"))->points, 14.0);
    }
    // Halves round to the even size.
    const Document rounded =
        print(itemsOnly({QStringLiteral("知母10g ")}),
              settings(QStringLiteral("10"), QStringLiteral("10"), QStringLiteral("12.5")));
    QCOMPARE(find(rounded, QStringLiteral("知母10g"))->points, 12.0);
}

void PrintLayoutTest::marginsShiftTheWholePage() {
    PrintedSheet sheet = itemsOnly({QStringLiteral("黄芪10g ")});
    sheet.labels.push_back({QStringLiteral("Rp"), QStringLiteral("宋体"), 18, true, 300, 1980, true});
    sheet.rules.push_back({300, 7860, 6000, 7860, 1, true});
    const Document base = print(sheet, settings(QStringLiteral("10"), QStringLiteral("10")));
    const Document shifted = print(sheet, settings(QStringLiteral("20"), QStringLiteral("20")));
    // 10 mm: the sheet's positions × 1.2 stand at the printable area's corner.
    QCOMPARE(find(base, QStringLiteral("Rp"))->x, 360.0);
    QCOMPARE(find(base, QStringLiteral("Rp"))->y, 2376.0);
    QCOMPARE(base.lines().at(0)->x1, 360.0);
    QCOMPARE(base.lines().at(0)->y1, 7860 * 1.2);
    // 20 mm moves everything 10 mm (567 twips) right and down.
    for (const QString& text : {QStringLiteral("Rp"), QStringLiteral("黄芪10g")}) {
        QVERIFY(qAbs(find(shifted, text)->x - find(base, text)->x - 567) < 1e-6);
        QVERIFY(qAbs(find(shifted, text)->y - find(base, text)->y - 567) < 1e-6);
    }
    QVERIFY(qAbs(shifted.lines().at(0)->x2 - base.lines().at(0)->x2 - 567) < 1e-6);
}

void PrintLayoutTest::theSheetIsCopiedAtOnePointTwo() {
    const Document document = print(printedSheet(content(true)), settings());
    const TextOp* rp = find(document, QStringLiteral("Rp"));
    QVERIFY(rp);
    QCOMPARE(rp->points, 20.0);
    QVERIFY(rp->bold);
    const TextOp* title = find(document, QStringLiteral("栎川镇卫生院"));
    QVERIFY(title);
    QCOMPARE(title->points, 17.75);
    QCOMPARE(title->y, 72.0);
    // The title is centred on the sheet: its middle near the sheet's middle, × 1.2.
    const double middle = title->x / 1.2 + width(QStringLiteral("栎川镇卫生院"), 15.75) / 2;
    QVERIFY2(qAbs(middle - 6293 / 2.0) < 120, qPrintable(QString::number(middle)));
    // Header caption 姓名 at its container (240, 1020) + (60, 60), its field after it, both at 9.75 + 2.
    const TextOp* caption = find(document, QStringLiteral("姓名："));
    QCOMPARE(caption->x, 300 * 1.2);
    QCOMPARE(caption->y, 1080 * 1.2);
    QCOMPARE(caption->points, 11.75);
    const TextOp* name = find(document, QStringLiteral("字段0"));
    QVERIFY(name->x > caption->x + width(QStringLiteral("姓名："), 9.75));
    QCOMPARE(name->y, 1050 * 1.2);
    // The rule and fifteen minus five underlines.
    QCOMPARE(document.lines().size(), size_t(1 + 10));
    QCOMPARE(document.lines().at(0)->y1, 7860 * 1.2);
    // The dose count, bold, after "中药剂数：".
    const TextOp* doses = find(document, QStringLiteral("7"));
    QVERIFY(doses && doses->bold);
    QCOMPARE(doses->x, 1440 * 1.2);
    QVERIFY(find(document, QStringLiteral("中药剂数：")));
    // The items follow.
    QCOMPARE(find(document, QStringLiteral("石膏"))->x, 660 + 4315.8);
    QVERIFY(find(document, QStringLiteral("用法：水煎服")));
}

void PrintLayoutTest::hiddenFieldsAndTheWesternDoseCountAreNotPrinted() {
    const Document document = print(printedSheet(content(false)), settings());
    for (int i = 0; i < 10; ++i)
        QVERIFY2(find(document, QStringLiteral("字段%1").arg(i)), qPrintable(QString::number(i)));
    for (int i = 10; i < 15; ++i)
        QVERIFY2(!find(document, QStringLiteral("字段%1").arg(i)), qPrintable(QString::number(i)));
    QVERIFY(!find(document, QStringLiteral("病历号：")));
    QVERIFY(!find(document, QStringLiteral("医保号：")));
    QVERIFY(!find(document, QStringLiteral("中药剂数：")));
    QVERIFY(!find(document, QStringLiteral("7")));
    // Western items stand at the Western box's left, whole.
    const TextOp* drug = find(document, QStringLiteral("阿莫西林胶囊 2盒"));
    QVERIFY(drug);
    QCOMPARE(drug->x, 1380.0);
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    PrintLayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_print_layout.moc"
