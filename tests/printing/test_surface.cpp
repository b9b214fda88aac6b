// The printing surface as the layouts use it: units, edge coordinates, texts that end or stay on the line,
// real printer metrics of the Song face, pages and the end of a document.

#include "printing/fonts.h"
#include "printing/surface.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QtTest>

using namespace lichuan::printing;

namespace {

const QString kSong = QStringLiteral("宋体");

const TextOp& textAt(const Document& document, size_t i) {
    return *document.texts().at(i);
}

} // namespace

class SurfaceTest : public QObject {
    Q_OBJECT
private slots:
    void songFaceIsTheMappedFaceWithHalfWidthLatin();
    void positionsAreRelativeToTheEdgeCoordinates();
    void millimetresLandWhereTheyShould();
    void textEndingAndStayingOnTheLine();
    void lineBreaksInsideATextPrintSeveralLines();
    void linesKeepTheirPenWidth();
    void onePagePerNewPageCall();
    void aDocumentEndedWithoutDrawingIsEmpty();
    void everyDocumentStartsFromTheDefaults();
};

void SurfaceTest::songFaceIsTheMappedFaceWithHalfWidthLatin() {
    Surface surface;
    surface.setFont(kSong, 12, false);
    QVERIFY2(QFontInfo(printerFont(kSong, 12, false)).family().contains(QStringLiteral("UMing")),
             qPrintable(QFontInfo(printerFont(kSong, 12, false)).family()));
    // 12 points = 240 twips: a Chinese character is one em wide, a digit or a space half of it.
    QCOMPARE(qRound(surface.textWidth(QStringLiteral("黄"))), 240);
    QCOMPARE(qRound(surface.textWidth(QStringLiteral("10"))), 240);
    QCOMPARE(qRound(surface.textWidth(QStringLiteral("    "))), 480);
    // The line height is the font's height on the printer: a little more than its size.
    QVERIFY2(surface.lineHeight() > 240 && surface.lineHeight() < 320,
             qPrintable(QString::number(surface.lineHeight())));
    // Bold and larger sizes are measured as such.
    const double plain = surface.lineHeight();
    surface.setFont(kSong, 24, true);
    QVERIFY(surface.lineHeight() > 1.9 * plain);
}

void SurfaceTest::positionsAreRelativeToTheEdgeCoordinates() {
    Surface surface;
    QCOMPARE(surface.unit(), Unit::Twips);
    surface.setOrigin(567 - 1134, 567 - 567); // left margin 20 mm, top margin 10 mm of the prescription
    surface.setPosition(1000, 2000);
    QCOMPARE(surface.x(), 1000.0);
    QCOMPARE(surface.y(), 2000.0);
    surface.print(QStringLiteral("Rp"), false);
    surface.line(300, 7860, 6000, 7860);
    const Document document = surface.endDocument();
    QCOMPARE(textAt(document, 0).x, 1000.0 + 567);
    QCOMPARE(textAt(document, 0).y, 2000.0);
    const LineOp& rule = *document.lines().at(0);
    QCOMPARE(rule.x1, 300.0 + 567);
    QCOMPARE(rule.x2, 6000.0 + 567);
    QCOMPARE(rule.y1, 7860.0);
}

void SurfaceTest::millimetresLandWhereTheyShould() {
    Surface surface;
    surface.setUnit(Unit::Millimetres);
    surface.setOrigin(-10, 10 - 10); // the log's margins 10 and 10
    surface.line(0, 15, 260, 15);
    surface.setPosition(2, 28);
    QCOMPARE(surface.x(), 2.0);
    surface.setFont(kSong, 11, false);
    const double heightMm = surface.lineHeight();
    surface.print(QStringLiteral("张三"), true);
    QCOMPARE(surface.x(), -10.0); // back to the left edge coordinate
    QVERIFY(qAbs(surface.y() - (28 + heightMm)) < 1e-9);
    const Document document = surface.endDocument();
    const LineOp& line = *document.lines().at(0);
    // 10 mm from the left edge, 15 mm from the top, in twips (1440 per inch).
    QVERIFY(qAbs(line.x1 - 10 * 1440 / 25.4) < 1e-6);
    QVERIFY(qAbs(line.y1 - 15 * 1440 / 25.4) < 1e-6);
    QVERIFY(qAbs(line.x2 - 270 * 1440 / 25.4) < 1e-6);
    QVERIFY(qAbs(textAt(document, 0).x - 12 * 1440 / 25.4) < 1e-6);
    // 11 points in millimetres: the height is the twips height over 56.69.
    Surface twips;
    twips.setFont(kSong, 11, false);
    QVERIFY(qAbs(heightMm * 1440 / 25.4 - twips.lineHeight()) < 1e-6);
}

void SurfaceTest::textEndingAndStayingOnTheLine() {
    Surface surface;
    surface.setOrigin(-100, -50);
    surface.setFont(kSong, 14, false);
    surface.setPosition(500, 600);
    const double width = surface.textWidth(QStringLiteral("黄芪10g"));
    surface.print(QStringLiteral("黄芪10g"), false);
    QCOMPARE(surface.x(), 500 + width);
    QCOMPARE(surface.y(), 600.0);
    surface.print(QStringLiteral("当归"), true);
    QCOMPARE(surface.x(), -100.0);
    QCOMPARE(surface.y(), 600 + surface.lineHeight());
    surface.print(QString(), true); // an empty text moves down and draws nothing
    QCOMPARE(surface.y(), 600 + 2 * surface.lineHeight());
    const Document document = surface.endDocument();
    QCOMPARE(document.texts().size(), size_t(2));
    const TextOp& second = textAt(document, 1);
    QCOMPARE(second.x, 600 + width);
    QCOMPARE(second.y, 650.0);
    QCOMPARE(second.font, kSong);
    QCOMPARE(second.points, 14.0);
    QCOMPARE(second.bold, false);
}

void SurfaceTest::lineBreaksInsideATextPrintSeveralLines() {
    Surface surface;
    surface.setPosition(300, 1000);
    surface.print(QStringLiteral("第一行\r\n第二行"), false);
    const double height = surface.lineHeight();
    QCOMPARE(surface.y(), 1000 + height);
    QCOMPARE(surface.x(), surface.textWidth(QStringLiteral("第二行")));
    const Document document = surface.endDocument();
    QCOMPARE(document.texts().size(), size_t(2));
    QCOMPARE(textAt(document, 0).x, 300.0);
    QCOMPARE(textAt(document, 1).text, QStringLiteral("第二行"));
    QCOMPARE(textAt(document, 1).x, 0.0);
    QCOMPARE(textAt(document, 1).y, 1000 + height);
}

void SurfaceTest::linesKeepTheirPenWidth() {
    Surface surface;
    surface.line(0, 0, 100, 0);
    surface.setPenWidth(3);
    surface.line(0, 10, 100, 10);
    surface.setPenWidth(0);
    surface.line(0, 20, 100, 20);
    const Document document = surface.endDocument();
    QCOMPARE(document.lines().at(0)->penWidth, 1);
    QCOMPARE(document.lines().at(1)->penWidth, 3);
    QCOMPARE(document.lines().at(2)->penWidth, 1);
}

void SurfaceTest::onePagePerNewPageCall() {
    Surface surface;
    surface.print(QStringLiteral("第 1 页"), true);
    surface.newPage();
    surface.newPage();
    surface.print(QStringLiteral("第 3 页"), true);
    surface.newPage(); // the last new page gets no drawing: no blank sheet comes out
    const Document document = surface.endDocument();
    QCOMPARE(document.pages.size(), size_t(3));
    QCOMPARE(document.pages.at(0).operations.size(), size_t(1));
    QVERIFY(document.pages.at(1).operations.empty());
    QCOMPARE(std::get<TextOp>(document.pages.at(2).operations.at(0)).text, QStringLiteral("第 3 页"));
}

void SurfaceTest::aDocumentEndedWithoutDrawingIsEmpty() {
    Surface surface;
    surface.setFont(kSong, 12, true);
    surface.setPosition(100, 100);
    surface.print(QStringLiteral("  "), false);
    QVERIFY(!surface.endDocument().isEmpty());
    surface.newPage();
    surface.print(QString(), true);
    const Document nothing = surface.endDocument();
    QVERIFY(nothing.isEmpty());
    QVERIFY(nothing.pages.empty());
    QVERIFY(surface.endDocument().isEmpty());
}

void SurfaceTest::everyDocumentStartsFromTheDefaults() {
    // A landscape document in millimetres (the log book), then a prescription: upright, in twips.
    Surface surface;
    surface.setUnit(Unit::Millimetres);
    surface.setOrientation(Orientation::Landscape);
    surface.setOrigin(-10, 0);
    surface.setFont(kSong, 26, true);
    surface.setPenWidth(2);
    surface.print(QStringLiteral("门 诊 日 志 登 记 本"), true);
    QCOMPARE(surface.endDocument().orientation, Orientation::Landscape);

    QCOMPARE(surface.unit(), Unit::Twips);
    QCOMPARE(surface.orientation(), Orientation::Portrait);
    QCOMPARE(surface.originLeft(), 0.0);
    QCOMPARE(surface.fontPoints(), 9.0);
    QCOMPARE(surface.fontBold(), false);
    QCOMPARE(surface.penWidth(), 1);
    surface.setPosition(567, 567);
    surface.print(QStringLiteral("处  方  笺"), true);
    const Document prescription = surface.endDocument();
    QCOMPARE(prescription.orientation, Orientation::Portrait);
    QCOMPARE(textAt(prescription, 0).x, 567.0);
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    SurfaceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_surface.moc"
