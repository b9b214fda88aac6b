#include "captiontable.h"
#include "form2fixture.h"
#include "prescription/lookuprules.h"
#include "prescription/sheetactions.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

using namespace lichuan;

class TestForm2Sheet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captions_data();
    void captions();
    void aNewWindowShowsAnEmptySheetWithTheDefaults();
    void pricedLinesAreBuiltOnceAndTinted();
    void layoutsMoveTheItemTextAndTheDoseCount();
    void typingLimitsCutOnlyWhatTheUserTypes();
    void keysOfSheetsStartedInOneSecondDiffer();
};

void TestForm2Sheet::captions_data() {
    test::captionColumns<Form2>();
    const auto row = test::captionRow<Form2>;
    row("title", "处方录入", [](Form2& f) { return f.windowTitle(); });
    row("保存", "保存 (Ctrl+S)", [](Form2& f) { return f.toolbar.Label18[2]->toolTip(); });
    row("打印", "打印 (Ctrl+P)；右键：打印预览 (Ctrl+Shift+P)、输出PDF (Ctrl+E)",
        [](Form2& f) { return f.toolbar.Label18[3]->toolTip(); });
    row("复制处方", "复制处方 (Ctrl+Shift+C)", [](Form2& f) { return f.toolbar.Label18[9]->toolTip(); });
    row("划价结算", "划价结算 (F9)", [](Form2& f) { return f.pricing.Command4->toolTip(); });
    row("撤消结算", "撤消结算 (Shift+F9)", [](Form2& f) { return f.pricing.Command9->toolTip(); });
    row("按斗位排序", "按斗位排序 (F8)", [](Form2& f) { return f.pricing.Command12->toolTip(); });
    row("取药单", "取药单", [](Form2& f) { return f.pricing.ticketButton->text(); });
    row("取药单 key", "取药单 (Ctrl+Shift+D)；右键：打印预览、输出PDF",
        [](Form2& f) { return f.pricing.ticketButton->toolTip(); });
    row("中药方剂", "中药方剂 (Alt+5)",
        [](Form2& f) { return f.search.Command1[kHerbalFormulas]->toolTip(); });
    row("西成药组套", "西成药组套 (Alt+6)",
        [](Form2& f) { return f.search.Command1[kWesternTemplates]->toolTip(); });
}

void TestForm2Sheet::captions() {
    QFETCH(test::Caption<Form2>, caption);
    QFETCH(QString, expected);
    test::Form2Fixture f;
    QCOMPARE(caption(f.open()), expected);
}

void TestForm2Sheet::aNewWindowShowsAnEmptySheetWithTheDefaults() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    form.setFocus();
    QVERIFY(form.sheet.Text5[kName]->hasFocus()); // the doctor starts typing the name at once
    const auto& fields = form.sheet.Text5;
    QCOMPARE(fields[kCaseNumber]->text(), QStringLiteral("20240301093000"));
    QCOMPARE(fields[kDate]->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(fields[kPhysician]->text(), QStringLiteral("李明"));
    QCOMPARE(fields[kDispenser]->text(), QStringLiteral("王芳"));
    QCOMPARE(fields[kDepartment]->text(), QStringLiteral("中医科"));
    QCOMPARE(fields[kFeeCategory]->text(), QStringLiteral("自费"));
    for (int i : {kName, kSex, kAge, kAddress, kDiagnosis, kAmount, kDate2, kPhone, kInsuranceNumber})
        QVERIFY2(fields[static_cast<size_t>(i)]->text().isEmpty(), qPrintable(QString::number(i)));
    for (int i = 0; i < kHeaderFieldCount; ++i)
        QCOMPARE(form.sheet.Picture7[static_cast<size_t>(i)]->isVisible(), i < 10);

    QCOMPARE(form.sheet.Label4, QStringLiteral("20240301093000t1"));
    QVERIFY(form.sheet.Label5.isEmpty());
    QVERIFY(form.sheet.R1->text().isEmpty());
    QCOMPARE(form.sheet.Text6->text(), QStringLiteral("6"));
    QVERIFY(form.sheet.Text6->isVisible());
    QCOMPARE(form.pricing.Label17->text(), QStringLiteral("中药剂数：6"));
    QVERIFY(form.pricing.Label16->text().isEmpty());
    QCOMPARE(form.state.CurrentCategory, 0);
    QVERIFY(form.actions().herbalMode());

    QCOMPARE(form.sheet.Label2[0]->text(), QStringLiteral("栎川中医诊所"));
    const int sheetWidth = form.sheet.Picture2->width();
    for (QLabel* title : {form.sheet.Label2[0], form.sheet.Label2[3]})
        QVERIFY(qAbs(title->x() * 2 + title->width() - sheetWidth) <= 1);
    for (PickList* list : {form.sheet.List3, form.sheet.List4, form.sheet.List5})
        QVERIFY(list->isHidden());
}

void TestForm2Sheet::pricedLinesAreBuiltOnceAndTinted() {
    test::Form2Fixture fixture;
    Form2& form = fixture.open();
    const PricingControls& p = form.pricing;
    for (size_t i = 0; i < kPricedLineCount; ++i) {
        QVERIFY(p.Lb2[i]->text().isEmpty() && p.Lb3[i]->text().isEmpty() && p.Lb6[i]->text().isEmpty());
        const QColor background = p.Lb1[i]->palette().color(QPalette::Window);
        QCOMPARE(background, i % 2 ? QColor(249, 248, 245) : QColor(Qt::white));
        QCOMPARE(p.Lb3[i]->palette().color(QPalette::Base), background);
        QCOMPARE(p.Lb2[i]->y(), twips::px(315 * static_cast<int>(i) + 45));
    }
    QCOMPARE(p.VScroll1->value(), 0);
}

void TestForm2Sheet::layoutsMoveTheItemTextAndTheDoseCount() {
    test::Form2Fixture fixture;
    Form2& form = fixture.open();
    CrLfTextEdit* r1 = form.sheet.R1;
    QCOMPARE(r1->geometry(), twips::rect(660, 2640, 5655, 4755));
    form.actions().applyLayout(sheetgeometry::Layout::Western);
    QCOMPARE(r1->geometry(), twips::rect(1380, 2640, 4575, 4755));
    QVERIFY(form.sheet.Text6->isHidden() && form.sheet.Label2[1]->isHidden() &&
            form.pricing.Label17->isHidden());
    QVERIFY(!form.actions().herbalMode());
    form.actions().applyLayout(sheetgeometry::Layout::NarrowHerbal);
    QCOMPARE(r1->geometry(), twips::rect(840, 2640, 5115, 4755));
    QVERIFY(form.actions().herbalMode());
}

void TestForm2Sheet::typingLimitsCutOnlyWhatTheUserTypes() {
    test::Form2Fixture fixture;
    Form2& form = fixture.open();
    FieldEdit* name = form.sheet.Text5[kName];
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("abcdefgh"));
    QCOMPARE(name->text(), QStringLiteral("abcdef"));
    name->setText(QStringLiteral("一个很长很长的名字"));
    QCOMPARE(name->text(), QStringLiteral("一个很长很长的名字"));
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClick(name, Qt::Key_Backspace);
    QCOMPARE(name->text(), QStringLiteral("一个很长很长的名"));
    QTest::keyClicks(name, QStringLiteral("x"));
    QCOMPARE(name->text(), QStringLiteral("一个很长很长的名"));
}

void TestForm2Sheet::keysOfSheetsStartedInOneSecondDiffer() {
    test::Form2Fixture fixture;
    Form2& form = fixture.open();
    const QString first = form.sheet.Label4;
    form.actions().newRecordKey();
    QVERIFY(form.sheet.Label4 != first);
    QCOMPARE(form.sheet.Label4, QStringLiteral("20240301093001t1"));
    QCOMPARE(form.sheet.Label4.size(), 16);
}

QTEST_MAIN(TestForm2Sheet)
#include "test_form2_sheet.moc"
