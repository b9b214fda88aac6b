// Pricing and settlement of the prescription window as the doctor presses "划价结算" and "撤消结算":
// the priced lines, the total, the stored prescription and its statistics lines.

#include "data/prescriptions.h"
#include "form2fixture.h"
#include "prescription/savemessages.h"
#include "prescription/sheetactions.h"
#include "pricingsupport.h"
#include "ui/crlftextedit.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

using namespace lichuan;
using test::typeField;

namespace {

// The cells Lb2 … Lb8 of priced line i, joined by "/".
QString shownLine(const Form2& form, int i) {
    const PricingControls& p = form.pricing;
    const auto k = static_cast<size_t>(i);
    return QStringList{p.Lb2[k]->text(), p.Lb3[k]->text(), p.Lb4[k]->text(), p.Lb5[k]->text(),
                       p.Lb6[k]->text(), p.Lb7[k]->text(), p.Lb8[k]->text()}
        .join(QLatin1Char('/'));
}

int usedLines(const Form2& form) {
    int used = 0;
    for (const QLabel* name : form.pricing.Lb2)
        used += name->text().isEmpty() ? 0 : 1;
    return used;
}

void settle(Form2& form) {
    QTest::mouseClick(form.pricing.Command4, Qt::LeftButton);
}

void undo(Form2& form) {
    QTest::mouseClick(form.pricing.Command9, Qt::LeftButton);
}

QStringList statistics(test::Form2Fixture& f, const Form2& form) {
    return test::statisticsLines(*f.state.statsDb, form.sheet.Label4);
}

} // namespace

class TestForm2Pricing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void herbsArePricedByTheDosesAndCounted();
    void notesInBracketsChargeItemsAndItemsLeftOut();
    void westernLinesAndNamesWithSpaces();
    void aWrappedLineIsPricedOnce();
    void onlyThirtySixLinesArePriced();
    void settlingTwiceAndUndoing();
    void noStatisticsWithoutAReadableDate();
    void settlementNeedsAName();
    void undoThatCannotBeStoredChangesNothing();
    void overlongStatisticsValuesAreReported();
};

void TestForm2Pricing::herbsArePricedByTheDosesAndCounted() {
    test::Form2Fixture f;
    test::setPrice(*f.state.mainDb, QStringLiteral("黄芪"), QStringLiteral("0.05"));
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    form.sheet.R1->setText(QStringLiteral("黄芪 10g"));
    form.pricing.VScroll1->setValue(10);

    settle(form);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|')));
    QCOMPARE(shownLine(form, 0), QStringLiteral("黄芪/60/g/0.05/3.000//中药"));
    QCOMPARE(usedLines(form), 1);
    QCOMPARE(form.pricing.VScroll1->value(), 0);
    QCOMPARE(form.pricing.Label16->text(), QStringLiteral("3.00"));
    QCOMPARE(form.sheet.Text5[kAmount]->text(), QStringLiteral("3.00"));
    QCOMPARE(form.sheet.Label5, QStringLiteral("-已结算"));
    QCOMPARE(form.sheet.R1->text(), QStringLiteral("黄芪 10g     "));

    const std::optional<SheetRecord> stored = loadPrescription(*f.state.mainDb, form.sheet.Label4);
    QVERIFY(stored);
    QCOMPARE(stored->settled, QStringLiteral("-已结算"));
    QCOMPARE(stored->fields[kAmount], QStringLiteral("3.00"));
    QCOMPARE(stored->lines[0].quantity, QStringLiteral("60"));
    QCOMPARE(stored->lines[0].amount, QStringLiteral("3.000"));
    QCOMPARE(statistics(f, form), QStringList{QStringLiteral("黄芪/60/g/0.05/3.000/中药/2024-03-01")});
    QCOMPARE(form.history.List2->count(), 1);
    QVERIFY(form.history.List2->item(0)->text().endsWith(QStringLiteral("-已结算")));
}

void TestForm2Pricing::notesInBracketsChargeItemsAndItemsLeftOut() {
    test::Form2Fixture f;
    test::setPrice(*f.state.mainDb, QStringLiteral("石膏{先煎}"), QStringLiteral("0.030"));
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    form.sheet.R1->setText(QStringLiteral("石膏[先煎]10g 当归g 某某草 5g\r\n\r\n(1) 挂号费 1\r\n"));

    settle(form);
    QCOMPARE(shownLine(form, 0), QStringLiteral("石膏[先煎]/60/g/0.030/1.800//中药"));
    QCOMPARE(shownLine(form, 1), QStringLiteral("挂号费/1/次/15.000/15.000//收费项目"));
    QCOMPARE(usedLines(form), 2);
    QCOMPARE(form.pricing.Label16->text(), QStringLiteral("16.80"));
    // The doctor learns which items were not billed, in one message.
    QCOMPARE(f.messages.shown,
             QStringList{QStringLiteral("以下项目未划价：\n当归g（没有数量）\n某某草 5g（目录中未找到）")});
    QCOMPARE(statistics(f, form),
             (QStringList{QStringLiteral("石膏[先煎]/60/g/0.030/1.800/中药/2024-03-01"),
                          QStringLiteral("挂号费/1/次/15.000/15.000/收费项目/2024-03-01")}));
}

void TestForm2Pricing::westernLinesAndNamesWithSpaces() {
    test::Form2Fixture f;
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    form.actions().applyLayout(sheetgeometry::Layout::Western);
    const QString items = QStringLiteral("阿莫西林胶囊[0.25g*24] 2盒\r\n    用法：2粒 每日3次 口服\r\n\r\n"
                                         "柏子养心丸[9g *10] 1盒\r\n    用法：2粒 每日3次 口服\r\n\r\n");
    form.sheet.R1->setText(items);

    settle(form);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|')));
    QCOMPARE(shownLine(form, 0), QStringLiteral("阿莫西林胶囊[0.25g*24]/2/盒/24.200/48.400//西成药"));
    QCOMPARE(shownLine(form, 1), QStringLiteral("柏子养心丸[9g *10]/1/盒/27.200/27.200//西成药"));
    QCOMPARE(usedLines(form), 2);
    QCOMPARE(form.pricing.Label16->text(), QStringLiteral("75.60"));
    QCOMPARE(form.sheet.R1->text(), items); // a Western sheet is not laid out
    QCOMPARE(statistics(f, form).size(), 2);
    QVERIFY(!loadPrescription(*f.state.mainDb, form.sheet.Label4)->herbal);
}

void TestForm2Pricing::aWrappedLineIsPricedOnce() {
    test::Form2Fixture f;
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    form.actions().applyLayout(sheetgeometry::Layout::Western);
    form.sheet.R1->setText(
        QStringLiteral("柏子养心丸[9g *10] 1盒 每次二十粒饭后温开水送服不可与浓茶同服孕妇慎用"));
    // The box shows the one line on several rows.
    QTRY_VERIFY(form.sheet.R1->document()->firstBlock().layout()->lineCount() > 1);

    settle(form);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|')));
    QCOMPARE(shownLine(form, 0), QStringLiteral("柏子养心丸[9g *10]/1/盒/27.200/27.200//西成药"));
    QCOMPARE(usedLines(form), 1);
}

void TestForm2Pricing::onlyThirtySixLinesArePriced() {
    test::Form2Fixture f;
    test::setPrice(*f.state.mainDb, QStringLiteral("黄芪"), QStringLiteral("0.05"));
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    QString items;
    for (int i = 1; i <= 40; ++i)
        items += QStringLiteral("黄芪 %1g ").arg(i);
    form.sheet.R1->setText(items);

    settle(form);
    QCOMPARE(usedLines(form), kPricedLineCount);
    QCOMPARE(shownLine(form, 35), QStringLiteral("黄芪/216/g/0.05/10.800//中药"));
    QCOMPARE(f.messages.shown,
             QStringList{QStringLiteral("以下项目未划价：\n黄芪 37g（超出36行）\n黄芪 38g（超出36行）\n"
                                        "黄芪 39g（超出36行）\n黄芪 40g（超出36行）")});
    QCOMPARE(statistics(f, form).size(), kPricedLineCount);
    const std::optional<SheetRecord> stored = loadPrescription(*f.state.mainDb, form.sheet.Label4);
    QCOMPARE(stored->lines[35].quantity, QStringLiteral("216"));
    // 6 × 0.05 × (1 + … + 36) = 199.8
    QCOMPARE(form.pricing.Label16->text(), QStringLiteral("199.80"));
}

void TestForm2Pricing::settlingTwiceAndUndoing() {
    test::Form2Fixture f;
    test::setPrice(*f.state.mainDb, QStringLiteral("黄芪"), QStringLiteral("0.05"));
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    form.sheet.R1->setText(QStringLiteral("黄芪 10g 艾叶 5g"));

    settle(form);
    const QString key = form.sheet.Label4;
    settle(form);
    QCOMPARE(form.sheet.Label4, key);
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 1);
    QCOMPARE(statistics(f, form), (QStringList{QStringLiteral("黄芪/60/g/0.05/3.000/中药/2024-03-01"),
                                               QStringLiteral("艾叶/30/g/0.011/0.330/中药/2024-03-01")}));
    QCOMPARE(shownLine(form, 1), QStringLiteral("艾叶/30/g/0.011/0.330/B5/中药"));
    QCOMPARE(form.pricing.Label16->text(), QStringLiteral("3.33"));

    undo(form);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|')));
    QVERIFY(statistics(f, form).isEmpty());
    QCOMPARE(usedLines(form), 0);
    QVERIFY(form.pricing.Lb3[0]->text().isEmpty() && form.pricing.Lb6[0]->text().isEmpty());
    QVERIFY(form.pricing.Label16->text().isEmpty());
    QVERIFY(form.sheet.Text5[kAmount]->text().isEmpty());
    QVERIFY(form.sheet.Label5.isEmpty());
    const std::optional<SheetRecord> stored = loadPrescription(*f.state.mainDb, key);
    QVERIFY(stored->settled.isEmpty());
    QVERIFY(stored->lines[0].name.isEmpty());
    QVERIFY(stored->fields[kAmount].isEmpty());
    QVERIFY(!form.history.List2->item(0)->text().endsWith(QStringLiteral("-已结算")));

    // Undoing again, with no lines left, only saves.
    undo(form);
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 1);
    QVERIFY(f.messages.shown.isEmpty());
}

void TestForm2Pricing::noStatisticsWithoutAReadableDate() {
    test::Form2Fixture f;
    test::setPrice(*f.state.mainDb, QStringLiteral("黄芪"), QStringLiteral("0.05"));
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    form.sheet.R1->setText(QStringLiteral("黄芪 10g"));

    for (const char* date : {"", "2024-13-01"}) {
        f.messages.shown.clear();
        typeField(form, kDate, QString::fromUtf8(date));
        settle(form);
        QCOMPARE(shownLine(form, 0), QStringLiteral("黄芪/60/g/0.05/3.000//中药"));
        QCOMPARE(f.messages.shown, QStringList{savemessages::kDateUnreadable});
        QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 0);
        QCOMPARE(test::rowCount(*f.state.statsDb, QStringLiteral("统计")), 0);
    }

    // A settled prescription whose date is spoilt afterwards keeps what was stored, lines included.
    typeField(form, kDate, QStringLiteral("2024-03-01"));
    settle(form);
    const QString key = form.sheet.Label4;
    QCOMPARE(statistics(f, form).size(), 1);
    form.sheet.R1->setText(QStringLiteral("黄芪 20g"));
    typeField(form, kDate, QStringLiteral("昨天"));
    settle(form);
    QCOMPARE(shownLine(form, 0), QStringLiteral("黄芪/120/g/0.05/6.000//中药"));
    QCOMPARE(statistics(f, form), QStringList{QStringLiteral("黄芪/60/g/0.05/3.000/中药/2024-03-01")});
    QCOMPARE(loadPrescription(*f.state.mainDb, key)->lines[0].quantity, QStringLiteral("60"));
}

void TestForm2Pricing::settlementNeedsAName() {
    test::Form2Fixture f;
    test::setPrice(*f.state.mainDb, QStringLiteral("黄芪"), QStringLiteral("0.05"));
    Form2& form = f.open();
    form.sheet.R1->setText(QStringLiteral("黄芪 10g"));
    settle(form);
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("请输入患者姓名！")});
    QCOMPARE(shownLine(form, 0), QStringLiteral("黄芪/60/g/0.05/3.000//中药"));
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 0);
    QCOMPARE(test::rowCount(*f.state.statsDb, QStringLiteral("统计")), 0);

    // Nothing was settled: saving the sheet afterwards stores it unsettled, as its statistics say.
    QVERIFY(form.sheet.Label5.isEmpty());
    typeField(form, kName, QStringLiteral("张三"));
    test::clickToolbar(form, 2); // 保存
    const std::optional<SheetRecord> stored = loadPrescription(*f.state.mainDb, form.sheet.Label4);
    QVERIFY(stored && stored->settled.isEmpty());
    QCOMPARE(stored->lines[0].name, QStringLiteral("黄芪"));
}

void TestForm2Pricing::undoThatCannotBeStoredChangesNothing() {
    test::Form2Fixture f;
    test::setPrice(*f.state.mainDb, QStringLiteral("黄芪"), QStringLiteral("0.05"));
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    form.sheet.R1->setText(QStringLiteral("黄芪 10g"));
    settle(form);
    const QString key = form.sheet.Label4;
    QCOMPARE(statistics(f, form).size(), 1);

    // The save of the undo is refused: the sheet, the stored row and its statistics lines stay settled.
    typeField(form, kName, QStringLiteral("  "));
    undo(form);
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("请输入患者姓名！")});
    QCOMPARE(form.sheet.Label5, kSettledMarker);
    QCOMPARE(shownLine(form, 0), QStringLiteral("黄芪/60/g/0.05/3.000//中药"));
    QCOMPARE(form.pricing.Label16->text(), QStringLiteral("3.00"));
    QCOMPARE(form.sheet.Text5[kAmount]->text(), QStringLiteral("3.00"));
    QCOMPARE(loadPrescription(*f.state.mainDb, key)->settled, kSettledMarker);
    QCOMPARE(statistics(f, form).size(), 1);

    // The statistics database refuses the delete: the user is told that the lines are still counted.
    f.messages.shown.clear();
    typeField(form, kName, QStringLiteral("张三"));
    f.state.statsDb->exec(QStringLiteral("CREATE TRIGGER [keep] BEFORE DELETE ON [统计] "
                                         "BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    undo(form);
    QCOMPARE(f.messages.shown, QStringList{savemessages::kStatisticsNotDeleted});
    QVERIFY(loadPrescription(*f.state.mainDb, key)->settled.isEmpty());
}

void TestForm2Pricing::overlongStatisticsValuesAreReported() {
    test::Form2Fixture f;
    test::setPrice(*f.state.mainDb, QStringLiteral("黄芪"), QStringLiteral("0.05"));
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    form.sheet.R1->setText(QStringLiteral("黄芪 100000g"));
    settle(form);
    QCOMPARE(shownLine(form, 0), QStringLiteral("黄芪/600000/g/0.05/30000.000//中药"));
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("以下内容过长，未能存入用药统计：数量：600000")});
    QCOMPARE(loadPrescription(*f.state.mainDb, form.sheet.Label4)->lines[0].quantity,
             QStringLiteral("600000"));
    QCOMPARE(statistics(f, form), QStringList{QStringLiteral("黄芪//g/0.05/30000.000/中药/2024-03-01")});
}

QTEST_MAIN(TestForm2Pricing)
#include "test_form2_pricing.moc"
