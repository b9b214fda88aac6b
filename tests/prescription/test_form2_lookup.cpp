// The search panel driven as a doctor drives it: typing into the search box, the letter pad, Enter, Down
// and double-clicks, and what each pick puts into the item text.

#include "catalogrows.h"
#include "data/textrules.h"
#include "form2fixture.h"
#include "prescription/lookuppanel.h"
#include "prescription/lookuprules.h"
#include "prescription/sheetactions.h"
#include "typing.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/picklist.h"
#include "ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace lichuan;

namespace {

void search(Form2& form, const QString& text) {
    form.search.Text1->setFocus();
    test::typeText(form.search.Text1, text);
}

// Types a search text and picks its only entry with Enter.
void pickOnly(Form2& form, const QString& text) {
    search(form, text);
    QCOMPARE(form.search.List1->count(), 1);
    QTest::keyClick(form.search.Text1, Qt::Key_Return);
}

// Double-clicks the pick list entry with this text.
void doubleClickEntry(Form2& form, const QString& text) {
    PickList* list = form.search.List1;
    const int row = static_cast<int>(list->entries().indexOf(text));
    QVERIFY2(row >= 0, qPrintable(text));
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QPoint centre = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

void pressCategory(Form2& form, int category) {
    QTest::mouseClick(form.search.Command1[static_cast<size_t>(category)], Qt::LeftButton);
}

QString herb(const QString& nameAndDose) {
    return PadItem(nameAndDose);
}

// The laid-out herbs before the caret; after it only the filler the layout moved into the tail.
void compareHerbs(const CrLfTextEdit* r1, const QString& expected) {
    const QString text = r1->text();
    QCOMPARE(text.left(r1->caret()), expected);
    QVERIFY2(trimSpaces(text.mid(r1->caret())).isEmpty(), qPrintable(text));
}

} // namespace

class TestForm2Lookup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void herbsAreLaidOutThreeToALine();
    void aNoteInBracketsLosesItsSpaceAndAHerbReplacesTheSelection();
    void westernDrugsComeWithTheirUsageLine();
    void chargeItemsAndUsagesStartAfterAnEmptyLine();
    void theStartUpListShowsEveryDoseUntilTheFirstRefill();
    void aSwitchBetweenModesStartsANewPrescription();
    void theLetterPadTypesKeyDigits();
    void enterPicksOnlyASingleEntryDownGoesToTheList();
    void searchTextIsMatchedLiterally();
    void templatesGoInWholeFromTheRowTheyWereListedFrom();
    void clicksOnTheItemText();
    void pickListRowsAre16PixelsHigh();
    void aWholePrescriptionByKeyboardOnly();
};

void TestForm2Lookup::herbsAreLaidOutThreeToALine() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    form.sheet.List3->show(); // a pick hides the header's suggestions
    pickOnly(form, QStringLiteral("石斛"));
    // The pick inserts the padded item; laying the text out again moves its filler behind the caret.
    QCOMPARE(form.sheet.R1->text(), QStringLiteral("石斛 10g     ") + QString(5, u' '));
    QCOMPARE(form.sheet.R1->caret(), 6 + 5);
    QVERIFY(form.search.Text1->text().isEmpty());
    QVERIFY(form.search.Text1->hasFocus());
    QVERIFY(form.search.List1->currentRow() < 0);
    QVERIFY(form.sheet.List3->isHidden());
    QVERIFY(form.search.List1->count() > 200); // emptying the search box listed every herb again

    pickOnly(form, QStringLiteral("苏木"));
    pickOnly(form, QStringLiteral("桂枝"));
    pickOnly(form, QStringLiteral("当归"));
    const QString expected = herb(QStringLiteral("石斛 10g")) + herb(QStringLiteral("苏木 9g")) +
                             herb(QStringLiteral("桂枝 10g")) + QStringLiteral("\r\n\r\n") +
                             herb(QStringLiteral("当归 10g"));
    compareHerbs(form.sheet.R1, expected);
}

void TestForm2Lookup::aNoteInBracketsLosesItsSpaceAndAHerbReplacesTheSelection() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    pickOnly(form, QStringLiteral("石膏"));
    compareHerbs(form.sheet.R1, QStringLiteral("石膏[先煎]10g "));
    QCOMPARE(form.sheet.R1->text(), QStringLiteral("石膏[先煎]10g  "));

    // A herb goes in at the caret of the item text, replacing what is selected there.
    form.sheet.R1->setText(QStringLiteral("桂枝 9g XYZ"));
    QTextCursor cursor = form.sheet.R1->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    form.sheet.R1->setTextCursor(cursor);
    pickOnly(form, QStringLiteral("石斛"));
    compareHerbs(form.sheet.R1, herb(QStringLiteral("桂枝 9g")) + herb(QStringLiteral("石斛 10g")));
}

void TestForm2Lookup::westernDrugsComeWithTheirUsageLine() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    pressCategory(form, kWesternDrugs);
    search(form, QStringLiteral("amxl"));
    QCOMPARE(test::entries(form.search.List1), QStringList({QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒"),
                                                            QStringLiteral("阿莫西林胶囊[0.5g*12] 1盒")}));
    QCOMPARE(form.search.List6.value(0), QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒\\2粒 每日3次 口服"));
    doubleClickEntry(form, QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒"));
    const QString amoxicillin =
        QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒\r\n    用法：2粒 每日3次 口服\r\n\r\n");
    QCOMPARE(form.sheet.R1->text(), amoxicillin);

    search(form, QStringLiteral("氯化钠"));
    doubleClickEntry(form, QStringLiteral("0.9%氯化钠注射液[250ml] 1瓶"));
    const QString expected = amoxicillin + QStringLiteral("0.9%氯化钠注射液[250ml] 1瓶\r\n");
    QCOMPARE(form.sheet.R1->text(), expected);
    QCOMPARE(form.sheet.R1->caret(), int(expected.size()));
    QVERIFY(form.search.Text1->hasFocus());
}

void TestForm2Lookup::chargeItemsAndUsagesStartAfterAnEmptyLine() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    CrLfTextEdit* r1 = form.sheet.R1;
    pressCategory(form, kChargeItems);
    QVERIFY(form.actions().herbalMode()); // charge items keep the sheet as it is
    pickOnly(form, QStringLiteral("挂号"));
    QCOMPARE(r1->text(), QStringLiteral("挂号费 1次\r\n"));
    pickOnly(form, QStringLiteral("针灸"));
    QCOMPARE(r1->text(), QStringLiteral("挂号费 1次\r\n\r\n针灸 1次\r\n"));

    r1->setText(QStringLiteral("x"));
    pickOnly(form, QStringLiteral("理疗"));
    QCOMPARE(r1->text(), QStringLiteral("x\r\n\r\n理疗费 1次\r\n"));

    // After a Western drug with its usage the text ends in an empty line: two empty lines follow.
    const QString drug = QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒\r\n    用法：2粒 每日3次 口服\r\n\r\n");
    r1->setText(drug);
    pickOnly(form, QStringLiteral("挂号"));
    QCOMPARE(r1->text(), drug + QStringLiteral("\r\n挂号费 1次\r\n"));
    QCOMPARE(r1->caret(), int(r1->text().size()));

    // Usage phrases are listed by their name alone and go in as an indented line.
    pressCategory(form, kUsages);
    search(form, QStringLiteral("静脉滴注"));
    QCOMPARE(test::entries(form.search.List1), QStringList{QStringLiteral("用法：静脉滴注 每日1次")});
    r1->setText(QStringLiteral("阿奇霉素注射液[0.25g] 2瓶\r\n"));
    QTest::keyClick(form.search.Text1, Qt::Key_Enter);
    QCOMPARE(r1->text(), QStringLiteral("阿奇霉素注射液[0.25g] 2瓶\r\n    用法：静脉滴注 每日1次\r\n\r\n"));
}

void TestForm2Lookup::theStartUpListShowsEveryDoseUntilTheFirstRefill() {
    test::Form2Fixture fixture;
    test::insertCatalogRow(*fixture.state.mainDb, QStringLiteral("冰片粉"), QStringLiteral("中药"), QString(),
                           QStringLiteral("0"));
    test::insertCatalogRow(*fixture.state.mainDb, QStringLiteral("冰糖"), QStringLiteral("中药"),
                           QStringLiteral("g"), QStringLiteral("30"), QStringLiteral("烊化"));
    Form2& form = fixture.openActive();
    PickList* list = form.search.List1;
    QVERIFY(list->entries().contains(QStringLiteral("冰片粉 0")));
    QVERIFY(list->entries().contains(QStringLiteral("冰糖 30g\\烊化")));
    QVERIFY(form.search.List6.isEmpty());

    search(form, QStringLiteral("b"));
    QTest::keyClick(form.search.Text1, Qt::Key_Backspace);
    QVERIFY(list->entries().contains(QStringLiteral("冰片粉")));
    QVERIFY(list->entries().contains(QStringLiteral("冰糖 30g")));
    QCOMPARE(form.search.List6.size(), list->count());
    QCOMPARE(form.search.List6.at(list->entries().indexOf(QStringLiteral("冰糖 30g"))),
             QStringLiteral("冰糖 30g\\烊化"));
}

void TestForm2Lookup::aSwitchBetweenModesStartsANewPrescription() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    SheetControls& s = form.sheet;
    s.Text5[kName]->setText(QStringLiteral("张三"));
    s.Text6->setText(QStringLiteral("3"));
    s.R1->setText(QStringLiteral("石斛 10g     "));
    form.pricing.Lb2[0]->setText(QStringLiteral("石斛"));
    form.pricing.Lb8[0]->setText(QStringLiteral("中药"));
    // A settled prescription with a medical record: the new one keeps the record, but it is not settled.
    s.Label5 = kSettledMarker;
    fixture.state.PendingCaseRecord = QStringLiteral("发热$");
    form.state.saved = true;
    const QString herbalKey = s.Label4;
    fixture.clock.advanceSeconds(5);

    pressCategory(form, kWesternDrugs);
    QCOMPARE(form.state.CurrentCategory, 1);
    QVERIFY(form.search.Command1[1]->font().bold() && !form.search.Command1[0]->font().bold());
    QVERIFY(form.search.Text1->hasFocus());
    QVERIFY(s.R1->text().isEmpty());
    QVERIFY(form.pricing.Lb2[0]->text().isEmpty());
    QCOMPARE(form.pricing.Lb8[0]->text(), QStringLiteral("中药")); // the category cell keeps its text
    QCOMPARE(s.Label4, QStringLiteral("20240301093005t1"));
    QCOMPARE(s.Text5[kCaseNumber]->text(), QStringLiteral("20240301093005"));
    QVERIFY(!form.state.saved);
    QVERIFY(s.Label5.isEmpty());
    QCOMPARE(fixture.state.PendingCaseRecord, QStringLiteral("发热$"));
    QVERIFY(s.Text6->isHidden());
    QCOMPARE(s.R1->geometry(), twips::rect(1380, 2640, 4575, 4755));
    QCOMPARE(s.Text5[kName]->text(), QStringLiteral("张三"));
    QCOMPARE(form.search.List1->entries().count(QStringLiteral("阿莫西林胶囊[0.5g*12] 1盒")), 1);

    // Within a mode, and with charge items and usages, the sheet stays.
    s.R1->setText(QStringLiteral("x\r\n"));
    s.Label5 = kSettledMarker;
    form.state.saved = true;
    const QString westernKey = s.Label4;
    for (int category : {kWesternTemplates, kChargeItems, kUsages, kWesternDrugs}) {
        pressCategory(form, category);
        QCOMPARE(s.R1->text(), QStringLiteral("x\r\n"));
        QCOMPARE(s.Label4, westernKey);
        QCOMPARE(s.Label5, kSettledMarker);
        QVERIFY(form.state.saved);
        QVERIFY(s.Text6->isHidden());
    }
    QVERIFY(westernKey != herbalKey);

    pressCategory(form, kHerbs);
    QVERIFY(s.R1->text().isEmpty());
    QVERIFY(s.Label5.isEmpty());
    QCOMPARE(s.Text6->text(), QStringLiteral("6"));
    QVERIFY(s.Text6->isVisible());
    QCOMPARE(s.R1->geometry(), twips::rect(840, 2640, 5115, 4755));
    QVERIFY(s.Label4 != westernKey);
    const QString newHerbalKey = s.Label4;
    s.R1->setText(QStringLiteral("y"));
    pressCategory(form, kHerbalFormulas);
    QCOMPARE(s.R1->text(), QStringLiteral("y"));
    QCOMPARE(s.Label4, newHerbalKey);
    QVERIFY(form.search.Command1[5]->font().bold());
    QCOMPARE(test::entries(form.search.List1).first(), QStringLiteral("桂枝汤"));
}

void TestForm2Lookup::theLetterPadTypesKeyDigits() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    QLineEdit* box = form.search.Text1;
    QTest::mouseClick(form.search.Command8[4], Qt::LeftButton);
    QTest::mouseClick(form.search.Command8[6], Qt::LeftButton);
    QCOMPARE(box->text(), QStringLiteral("57"));
    QVERIFY(box->hasFocus());
    QCOMPARE(box->cursorPosition(), 2);
    QVERIFY(form.search.List1->entries().contains(QStringLiteral("苏子 10g")));
    QVERIFY(!form.search.List1->entries().contains(QStringLiteral("石斛 10g")));

    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(form.search.Command8[kLetterPadBackspace], Qt::LeftButton);
    QVERIFY(box->text().isEmpty());

    // Digits go after what was typed before.
    search(form, QStringLiteral("sz"));
    QTest::mouseClick(form.search.Command8[4], Qt::LeftButton);
    QCOMPARE(box->text(), QStringLiteral("sz5"));
    QVERIFY(form.search.List1->entries().contains(QStringLiteral("苏子 10g")));
    search(form, QStringLiteral("苏"));
    QTest::mouseClick(form.search.Command8[6], Qt::LeftButton);
    QCOMPARE(box->text(), QStringLiteral("sz5苏7"));
    QCOMPARE(form.search.List1->count(), 0);
}

void TestForm2Lookup::enterPicksOnlyASingleEntryDownGoesToTheList() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    search(form, QStringLiteral("苏"));
    QVERIFY(form.search.List1->count() > 1);
    QTest::keyClick(form.search.Text1, Qt::Key_Return);
    QVERIFY(form.sheet.R1->text().isEmpty());
    QCOMPARE(form.search.Text1->text(), QStringLiteral("苏"));
    QVERIFY(form.search.Text1->hasFocus());

    QTest::keyClick(form.search.Text1, Qt::Key_Down);
    QVERIFY(form.search.List1->hasFocus());
    QCOMPARE(form.search.List1->currentRow(), 0);
    const QString first = form.search.List1->text(0);
    QTest::keyClick(form.search.List1, Qt::Key_Down);
    QCOMPARE(form.search.List1->currentRow(), 1);
    const QString second = form.search.List1->text(1);
    QTest::keyClick(form.search.List1, Qt::Key_Return);
    compareHerbs(form.sheet.R1, herbPickText(second));
    QVERIFY(form.search.Text1->hasFocus());
    QVERIFY(first != second);

    // Nothing to pick: nothing happens.
    search(form, QStringLiteral("zzzz"));
    QCOMPARE(form.search.List1->count(), 0);
    QTest::keyClick(form.search.Text1, Qt::Key_Down);
    const QString before = form.sheet.R1->text();
    QTest::keyClick(form.search.List1, Qt::Key_Return);
    QCOMPARE(form.sheet.R1->text(), before);
}

void TestForm2Lookup::searchTextIsMatchedLiterally() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    search(form, QStringLiteral("石'"));
    QCOMPARE(form.search.List1->count(), 0);
    form.search.Text1->clear();
    search(form, QStringLiteral("%"));
    QCOMPARE(form.search.List1->count(), 0); // no herb's code holds a "%"
    form.search.Text1->clear();
    search(form, QStringLiteral("_"));
    QCOMPARE(form.search.List1->count(), 0);

    pressCategory(form, kWesternDrugs);
    search(form, QStringLiteral("%"));
    QCOMPARE(test::entries(form.search.List1), QStringList({QStringLiteral("0.9%氯化钠注射液[250ml] 1瓶"),
                                                            QStringLiteral("0.9%氯化钠注射液[500ml] 1瓶")}));
    pressCategory(form, kHerbalFormulas);
    search(form, QStringLiteral("'"));
    QCOMPARE(form.search.List1->count(), 0);
    QTest::keyClick(form.search.Text1, Qt::Key_Return);
    QVERIFY(form.sheet.R1->text().isEmpty());
}

void TestForm2Lookup::templatesGoInWholeFromTheRowTheyWereListedFrom() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    CrLfTextEdit* r1 = form.sheet.R1;
    pressCategory(form, kHerbalFormulas);
    r1->setText(QStringLiteral("甘草 6g       "));
    pickOnly(form, QStringLiteral("gzt"));
    const QString guizhi = layOutHerbal(QStringLiteral("桂枝 9g 白芍 9g 甘草 6g 生姜 9g 大枣 9g")).text;
    QCOMPARE(r1->text(), QStringLiteral("甘草 6g       ") + guizhi); // appended, not laid out again
    QVERIFY(form.search.Text1->text().isEmpty());

    pressCategory(form, kWesternTemplates);
    QVERIFY(r1->text().isEmpty()); // a new Western prescription
    const QString sleep =
        QStringLiteral("百乐眠胶囊[0.27g*24粒] 1盒\r\n    用法：一次2粒 每日3次 口服\r\n\r\n"
                       "参苓白术丸[6g*5] 1盒\r\n    用法：一次2粒 每日3次 口服");
    pickOnly(form, QStringLiteral("smza"));
    QCOMPARE(r1->text(), sleep + QStringLiteral("\r\n\r\n"));
    r1->append(QStringLiteral("x"));
    pickOnly(form, QStringLiteral("smza"));
    QCOMPARE(r1->text(), sleep + QStringLiteral("\r\n\r\nx\r\n") + sleep + QStringLiteral("\r\n\r\n"));

    // The list was filled; then a row that sorts first is added. The pick still takes the row its entry
    // shows, not the row now standing at its position.
    r1->clear();
    QCOMPARE(test::entries(form.search.List1),
             QStringList({QStringLiteral("睡眠障碍"), QStringLiteral("上呼吸道感染"),
                          QStringLiteral("阿齐霉素组套")}));
    test::insertTemplateRow(*fixture.state.mainDb, QStringLiteral("新组套"), QStringLiteral("西成药组套"),
                            QStringLiteral("000"), QStringLiteral("新内容"));
    doubleClickEntry(form, QStringLiteral("上呼吸道感染"));
    QVERIFY(r1->text().startsWith(QStringLiteral("蓝芩口服液[10ml*12支] 1盒")));
    QCOMPARE(test::entries(form.search.List1).first(), QStringLiteral("新组套"));
}

void TestForm2Lookup::clicksOnTheItemText() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    CrLfTextEdit* r1 = form.sheet.R1;
    form.sheet.List4->show();
    QTest::mouseClick(r1->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(form.sheet.List4->isHidden());

    const QString typed = QStringLiteral("桂枝9g白芍9g");
    r1->setText(typed);
    QTest::mouseDClick(r1->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(r1->text(), herb(QStringLiteral("桂枝9g")) + herb(QStringLiteral("白芍9g")));

    pressCategory(form, kWesternDrugs);
    r1->setText(typed);
    QTest::mouseDClick(r1->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(r1->text(), typed);
}

void TestForm2Lookup::pickListRowsAre16PixelsHigh() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    PickList* list = form.search.List1;
    QVERIFY(list->count() > 2);
    QCOMPARE(list->visualRect(list->model()->index(0, 0)).height(), 16);
    QCOMPARE(list->visualRect(list->model()->index(1, 0)).top(),
             list->visualRect(list->model()->index(0, 0)).top() + 16);
    pressCategory(form, kWesternDrugs);
    QCOMPARE(list->visualRect(list->model()->index(0, 0)).height(), 16);
}

void TestForm2Lookup::aWholePrescriptionByKeyboardOnly() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    SheetControls& s = form.sheet;
    auto type = [](const QString& text) { test::typeText(QApplication::focusWidget(), text); };
    auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };

    s.Text5[kName]->setFocus();
    type(QStringLiteral("王五"));
    key(Qt::Key_Return);
    type(QStringLiteral("1"));
    key(Qt::Key_Return);
    type(QStringLiteral("40岁"));
    key(Qt::Key_Return);
    key(Qt::Key_Return); // department from the settings
    type(QStringLiteral("dg"));
    key(Qt::Key_Down);
    key(Qt::Key_Return); // 东关村
    key(Qt::Key_Return);
    key(Qt::Key_Return); // today's date
    type(QStringLiteral("gxy"));
    key(Qt::Key_Down);
    key(Qt::Key_Return); // 高血压病
    key(Qt::Key_Return);
    QVERIFY(form.search.Text1->hasFocus());
    for (const QString& name :
         {QStringLiteral("石斛"), QStringLiteral("苏木"), QStringLiteral("桂枝"), QStringLiteral("石膏")}) {
        type(name);
        key(Qt::Key_Return);
    }
    type(QStringLiteral("当"));
    key(Qt::Key_Down);
    key(Qt::Key_Return); // 当归, the first of the herbs with 当

    QCOMPARE(s.Text5[kName]->text(), QStringLiteral("王五"));
    QCOMPARE(s.Text5[kSex]->text(), QStringLiteral("男"));
    QCOMPARE(s.Text5[kAge]->text(), QStringLiteral("40岁"));
    QCOMPARE(s.Text5[kDepartment]->text(), QStringLiteral("中医科"));
    QCOMPARE(s.Text5[kAddress]->text(), QStringLiteral("东关村"));
    QCOMPARE(s.Text5[kDate]->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(s.Text5[kDiagnosis]->text(), QStringLiteral("高血压病"));
    compareHerbs(s.R1, herb(QStringLiteral("石斛 10g")) + herb(QStringLiteral("苏木 9g")) +
                           herb(QStringLiteral("桂枝 10g")) + QStringLiteral("\r\n\r\n") +
                           herb(QStringLiteral("石膏[先煎]10g")) + herb(QStringLiteral("当归 10g")));
    for (PickList* list : {s.List3, s.List4, s.List5})
        QVERIFY(list->isHidden());
    QVERIFY(form.search.Text1->hasFocus());
}

QTEST_MAIN(TestForm2Lookup)
#include "test_form2_lookup.moc"
