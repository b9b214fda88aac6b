// The pricing panel of the prescription window: amounts and total as quantities and prices are typed,
// the dose caption, the drawer sort and the scrolling of the lines.

#include "data/prescriptions.h"
#include "form2fixture.h"
#include "prescription/sheetactions.h"
#include "prescription/totals.h"
#include "prescription/totalspanel.h"
#include "ui/fieldedit.h"
#include "ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace lichuan;

namespace {

PricedLine pricedLine(const char* name, const char* quantity, const char* price, const char* amount,
                      const char* drawer, const char* category = "中药") {
    return PricedLine{QString::fromUtf8(name),    QString::fromUtf8(quantity), QStringLiteral("g"),
                      QString::fromUtf8(price),   QString::fromUtf8(amount),   QString::fromUtf8(drawer),
                      QString::fromUtf8(category)};
}

// Puts lines on the sheet as pricing does: cells written with the totals suspended.
void placeLines(Form2& form, const PricedLines& lines) {
    form.state.TotalsSuspended = true;
    form.actions().setPricedLines(lines, true);
    form.state.TotalsSuspended = false;
}

void typeInto(QLineEdit* cell, const QString& text) {
    cell->selectAll();
    QTest::keyClick(cell, Qt::Key_Backspace);
    QTest::keyClicks(cell, text);
}

} // namespace

class TestForm2Totals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typedQuantitiesAndPricesGiveAmountsAndTotal();
    void separatorsTypedIntoCellsCannotBreakTheStoredLines();
    void suspendedTotalsIgnoreEdits();
    void doseCountChangesOnlyTheCaption();
    void drawerSortOrdersPacksAndKeepsAmounts();
    void scrollingMovesTheLines();
};

void TestForm2Totals::typedQuantitiesAndPricesGiveAmountsAndTotal() {
    test::Form2Fixture f;
    Form2& form = f.open();
    PricingControls& p = form.pricing;
    QLineEdit* amountField = form.sheet.Text5[kAmount];

    typeInto(p.Lb3[0], QStringLiteral("60"));
    typeInto(p.Lb5[0], QStringLiteral("0.05"));
    QCOMPARE(p.Lb6[0]->text(), QStringLiteral("3.000"));
    QCOMPARE(p.Label16->text(), QStringLiteral("3.00"));
    QCOMPARE(amountField->text(), QStringLiteral("3.00"));

    // 3 × 0.0005 = 0.0015 shows 0.002 and adds to the total as shown.
    typeInto(p.Lb3[1], QStringLiteral("3"));
    typeInto(p.Lb5[1], QStringLiteral("0.0005"));
    QCOMPARE(p.Lb6[1]->text(), QStringLiteral("0.002"));
    QCOMPARE(p.Label16->text(), QStringLiteral("3.00"));

    // Emptying the first quantity drops its amount; 0.002 alone reads zero as a total.
    typeInto(p.Lb3[0], QString());
    QVERIFY(p.Lb6[0]->text().isEmpty());
    QVERIFY(p.Label16->text().isEmpty());
    QVERIFY(amountField->text().isEmpty());

    // A unit after the quantity is read past; half a thousandth rounds away from zero.
    typeInto(p.Lb3[2], QStringLiteral("10g"));
    typeInto(p.Lb5[2], QStringLiteral("0.3"));
    QCOMPARE(p.Lb6[2]->text(), QStringLiteral("3.000"));
    typeInto(p.Lb3[3], QStringLiteral("2.5"));
    typeInto(p.Lb5[3], QStringLiteral("0.125"));
    QCOMPARE(p.Lb6[3]->text(), QStringLiteral("0.313"));
    QCOMPARE(p.Label16->text(), QStringLiteral("3.32"));

    // A negative quantity gives a negative amount and total.
    typeInto(p.Lb3[4], QStringLiteral("-20"));
    typeInto(p.Lb5[4], QStringLiteral("0.5"));
    QCOMPARE(p.Lb6[4]->text(), QStringLiteral("-10.000"));
    QCOMPARE(p.Label16->text(), QStringLiteral("-6.69"));
    QCOMPARE(amountField->text(), QStringLiteral("-6.69"));

    // An amount typed by hand changes nothing else and lasts until the next quantity or price change.
    typeInto(p.Lb6[2], QStringLiteral("9.000"));
    QCOMPARE(p.Label16->text(), QStringLiteral("-6.69"));
    typeInto(p.Lb3[4], QString());
    QCOMPARE(p.Lb6[2]->text(), QStringLiteral("3.000"));
    QCOMPARE(p.Label16->text(), QStringLiteral("3.32"));
}

void TestForm2Totals::separatorsTypedIntoCellsCannotBreakTheStoredLines() {
    test::Form2Fixture f;
    Form2& form = f.open();
    PricingControls& p = form.pricing;
    PricedLines lines;
    lines[0] = pricedLine("黄芪", "60", "0.05", "3.000", "B2");
    lines[1] = pricedLine("当归", "30", "0.1", "3.000", "A1");
    placeLines(form, lines);

    // "$" ends a column and "@" a cell of the stored lines: typed, they become their full-width forms.
    typeInto(p.Lb3[0], QStringLiteral("6$0"));
    typeInto(p.Lb5[1], QStringLiteral("0.1@"));
    typeInto(p.Lb6[1], QStringLiteral("$3@"));
    QCOMPARE(p.Lb3[0]->text(), QStringLiteral("6＄0"));
    QCOMPARE(p.Lb5[1]->text(), QStringLiteral("0.1＠"));
    QCOMPARE(p.Lb6[1]->text(), QStringLiteral("＄3＠"));

    form.sheet.Text5[kName]->setText(QStringLiteral("张三"));
    const SaveOutcome outcome =
        savePrescription(*f.state.mainDb, form.actions().toRecord(), true, QDate(2024, 3, 1));
    QVERIFY(outcome.saved);
    const PricedLines stored = loadPrescription(*f.state.mainDb, outcome.key)->lines;
    QCOMPARE(stored[0].quantity, QStringLiteral("6＄0"));
    QCOMPARE(stored[0].unit, QStringLiteral("g"));
    QCOMPARE(stored[1].name, QStringLiteral("当归"));
    QCOMPARE(stored[1].price, QStringLiteral("0.1＠"));
    QCOMPARE(stored[1].drawer, QStringLiteral("A1"));
    QVERIFY(stored[2].name.isEmpty());
}

void TestForm2Totals::suspendedTotalsIgnoreEdits() {
    test::Form2Fixture f;
    Form2& form = f.open();
    PricingControls& p = form.pricing;
    typeInto(p.Lb3[0], QStringLiteral("60"));
    typeInto(p.Lb5[0], QStringLiteral("0.05"));

    form.state.TotalsSuspended = true;
    typeInto(p.Lb3[0], QStringLiteral("90"));
    p.Lb5[1]->setText(QStringLiteral("1"));
    p.Lb3[1]->setText(QStringLiteral("1"));
    QCOMPARE(p.Lb6[0]->text(), QStringLiteral("3.000"));
    QVERIFY(p.Lb6[1]->text().isEmpty());
    QCOMPARE(p.Label16->text(), QStringLiteral("3.00"));
    form.totals().RecalcTotals();
    QCOMPARE(p.Label16->text(), QStringLiteral("3.00"));

    form.state.TotalsSuspended = false;
    QTest::keyClicks(p.Lb3[0], QStringLiteral("0"));
    QCOMPARE(p.Lb6[0]->text(), QStringLiteral("45.000"));
    QCOMPARE(p.Lb6[1]->text(), QStringLiteral("1.000"));
    QCOMPARE(p.Label16->text(), QStringLiteral("46.00"));

    // Clearing the lines empties every amount and the total even where the cells were empty already.
    form.actions().clearPricedLines();
    QVERIFY(p.Lb6[0]->text().isEmpty() && p.Lb6[1]->text().isEmpty());
    QVERIFY(p.Label16->text().isEmpty());
    QVERIFY(form.sheet.Text5[kAmount]->text().isEmpty());
}

void TestForm2Totals::doseCountChangesOnlyTheCaption() {
    test::Form2Fixture f;
    Form2& form = f.open();
    PricingControls& p = form.pricing;
    typeInto(p.Lb3[0], QStringLiteral("60"));
    typeInto(p.Lb5[0], QStringLiteral("0.05"));

    typeInto(form.sheet.Text6, QStringLiteral("7"));
    QCOMPARE(p.Label17->text(), QStringLiteral("中药剂数：7"));
    QCOMPARE(p.Lb3[0]->text(), QStringLiteral("60"));
    QCOMPARE(p.Lb6[0]->text(), QStringLiteral("3.000"));
    QCOMPARE(p.Label16->text(), QStringLiteral("3.00"));
    form.sheet.Text6->clear();
    QCOMPARE(p.Label17->text(), QStringLiteral("中药剂数："));
}

void TestForm2Totals::drawerSortOrdersPacksAndKeepsAmounts() {
    test::Form2Fixture f;
    Form2& form = f.open();
    PricingControls& p = form.pricing;

    // Sorting a sheet without lines changes nothing.
    QTest::mouseClick(p.Command12, Qt::LeftButton);
    QCOMPARE(form.actions().pricedLines(), PricedLines());

    PricedLines lines;
    lines[0] = pricedLine("黄芪", "90", "0.03", "2.700", "B2");
    lines[1] = pricedLine("当归", "60", "0.05", "3.000", "A10");
    lines[3] = pricedLine("甘草", "30", "0.02", "0.600", "A2");
    lines[4] = pricedLine("挂号费", "1", "1", "5.000", "", "收费项目"); // amount edited by hand
    placeLines(form, lines);
    p.Label16->setText(QStringLiteral("11.30"));

    QTest::mouseClick(p.Command12, Qt::LeftButton);
    const PricedLines sorted = form.actions().pricedLines();
    QCOMPARE(sorted[0], lines[4]);
    QCOMPARE(sorted[1], lines[1]);
    QCOMPARE(sorted[2], lines[3]);
    QCOMPARE(sorted[3], lines[0]);
    for (size_t i = 4; i < kPricedLineCount; ++i)
        QVERIFY(sorted[i].name.isEmpty() && sorted[i].quantity.isEmpty() && sorted[i].amount.isEmpty());
    // Not recomputed: the hand-edited amount and the total stand as they were.
    QCOMPARE(p.Lb6[0]->text(), QStringLiteral("5.000"));
    QCOMPARE(p.Label16->text(), QStringLiteral("11.30"));
    QVERIFY(!form.state.TotalsSuspended);

    QTest::mouseClick(p.Command12, Qt::LeftButton);
    QCOMPARE(form.actions().pricedLines(), sorted);

    // The totals work again after the sort.
    typeInto(p.Lb3[0], QStringLiteral("2"));
    QCOMPARE(p.Lb6[0]->text(), QStringLiteral("2.000"));
    QCOMPARE(p.Label16->text(), QStringLiteral("8.30"));
}

void TestForm2Totals::scrollingMovesTheLines() {
    test::Form2Fixture f;
    Form2& form = f.open();
    PricingControls& p = form.pricing;
    QScrollBar* bar = p.VScroll1;

    bar->setValue(bar->maximum());
    QCOMPARE(p.Picture1->y(), twips::px(totals::linesContainerTop(bar->maximum(), bar->maximum())));
    // The last line ends at the totals bar and is not covered by the headers.
    const int lastBottom = p.Picture1->y() + p.Lb3[kPricedLineCount - 1]->geometry().bottom();
    QVERIFY2(qAbs(lastBottom - p.Picture5->y()) <= 3,
             qPrintable(QString::number(lastBottom - p.Picture5->y())));
    QVERIFY(p.Picture1->y() + p.Lb2[kPricedLineCount - 1]->y() > p.Command3[0]->height());

    bar->setValue(0);
    QCOMPARE(p.Picture1->y(), twips::px(275));
    QVERIFY(p.Picture1->y() + p.Lb2[0]->y() >= p.Command3[0]->height());
}

QTEST_MAIN(TestForm2Totals)
#include "test_form2_totals.moc"
