// The header fields driven as a doctor drives them: sex shortcuts, Enter walking the fields, the
// suggestion lists of diagnoses, addresses and known patients.

#include "data/prescriptions.h"
#include "form2fixture.h"
#include "prescription/headerfields.h"
#include "typing.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QLineEdit>
#include <QListWidget>

using namespace lichuan;

namespace {

FieldEdit* field(Form2& form, int i) {
    return form.sheet.Text5[static_cast<size_t>(i)];
}

// Saves a prescription of a patient, which also stores the patient row.
void savePatient(test::Form2Fixture& fixture, const QString& key, const QString& name, const QString& sex,
                 const QString& age, const QString& phone) {
    SheetRecord sheet;
    sheet.key = key;
    sheet.fields[kName] = name;
    sheet.fields[kSex] = sex;
    sheet.fields[kAge] = age;
    sheet.fields[kAddress] = QStringLiteral("城关镇");
    sheet.fields[kDate] = QStringLiteral("2024-02-20");
    sheet.fields[kDiagnosis] = QStringLiteral("高血压病");
    sheet.fields[kPhone] = phone;
    sheet.fields[kInsuranceNumber] = QStringLiteral("YB-") + phone;
    sheet.fields[kFeeCategory] = QStringLiteral("医保");
    const SaveOutcome outcome = savePrescription(*fixture.state.mainDb, sheet, true, QDate(2024, 2, 20));
    QVERIFY2(outcome.saved, qPrintable(outcome.error));
}

} // namespace

class TestForm2Header : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sexShortcutsAndClicks();
    void enterWalksTheFieldsToTheSearchBox();
    void downMovesOnlyIntoASuggestionList();
    void diagnosisSuggestionsCompleteTheLastDiagnosis();
    void addressSuggestions();
    void aKnownPatientIsTakenOverWithAge();
    void aPatientWithoutABirthYearShiftsNoOtherEntry();
    void suppressedFieldsOpenNoList();
};

void TestForm2Header::sexShortcutsAndClicks() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    FieldEdit* sex = field(form, kSex);
    sex->setFocus();
    QTest::keyClicks(sex, QStringLiteral("1"));
    QCOMPARE(sex->text(), QStringLiteral("男"));
    QCOMPARE(sex->cursorPosition(), 1);
    sex->clear();
    QTest::keyClicks(sex, QStringLiteral("2"));
    QCOMPARE(sex->text(), QStringLiteral("女"));
    sex->clear();
    QTest::keyClicks(sex, QStringLiteral("3"));
    QCOMPARE(sex->text(), QStringLiteral("3"));

    sex->clear();
    QTest::mouseClick(sex, Qt::LeftButton);
    QCOMPARE(sex->text(), QStringLiteral("男"));
    QTest::mouseClick(sex, Qt::LeftButton);
    QCOMPARE(sex->text(), QStringLiteral("女"));
    QTest::mouseClick(sex, Qt::LeftButton);
    QCOMPARE(sex->text(), QStringLiteral("男"));

    // Also while the program writes the fields.
    form.state.SuggestSuppressed = true;
    sex->setText(QStringLiteral("2"));
    QCOMPARE(sex->text(), QStringLiteral("女"));
    form.state.SuggestSuppressed = false;
}

void TestForm2Header::enterWalksTheFieldsToTheSearchBox() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    field(form, kName)->setFocus();
    for (int next : {kSex, kAge, kDepartment, kAddress, kDate, kDiagnosis}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), field(form, next));
        QCOMPARE(field(form, next)->cursorPosition(), field(form, next)->text().size());
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), form.search.Text1);
    // Enter adds nothing to a field.
    QCOMPARE(field(form, kDate)->text(), QStringLiteral("2024-03-01"));
}

void TestForm2Header::downMovesOnlyIntoASuggestionList() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    FieldEdit* age = field(form, kAge);
    age->setFocus();
    QTest::keyClicks(age, QStringLiteral("35"));
    age->setCursorPosition(1);
    QTest::keyClick(age, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), age);
    QCOMPARE(age->cursorPosition(), 1);
    QCOMPARE(age->text(), QStringLiteral("35"));
    QTest::keyClick(age, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), field(form, kDepartment));

    // The date field is the last before the diagnosis: Down does not move on either.
    FieldEdit* date = field(form, kDate);
    date->setFocus();
    QTest::keyClick(date, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), date);

    // The name field without suggestions stays where it is.
    FieldEdit* name = field(form, kName);
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), name);
}

void TestForm2Header::diagnosisSuggestionsCompleteTheLastDiagnosis() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    PickList* list = form.sheet.List3;
    FieldEdit* diagnosis = field(form, kDiagnosis);

    // An empty field lists every diagnosis when it gets the focus.
    diagnosis->setFocus();
    QVERIFY(list->isVisible());
    QCOMPARE(list->count(), 7);

    test::typeText(diagnosis, QStringLiteral("高血压病 2x"));
    QCOMPARE(test::entries(list), QStringList{QStringLiteral("2型糖尿病")});
    QVERIFY(list->isVisible());
    QTest::keyClick(diagnosis, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), list);
    QCOMPARE(list->currentRow(), 0);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(diagnosis->text(), QStringLiteral("高血压病 2型糖尿病"));
    QCOMPARE(QApplication::focusWidget(), diagnosis);
    QCOMPARE(diagnosis->cursorPosition(), diagnosis->text().size());
    QVERIFY(list->isHidden());

    // Focus with text: the whole text is the key, spaces included.
    form.search.Text1->setFocus();
    QVERIFY(list->isHidden());
    diagnosis->setText(QStringLiteral("高血压"));
    QVERIFY(list->isVisible()); // typing or writing the field suggests too
    form.search.Text1->setFocus();
    diagnosis->setFocus();
    QCOMPARE(test::entries(list), QStringList{QStringLiteral("高血压病")});
    diagnosis->setText(QStringLiteral("消化 高血压"));
    QCOMPARE(test::entries(list), QStringList{QStringLiteral("高血压病")});
    form.search.Text1->setFocus();
    diagnosis->setFocus();
    QVERIFY(list->isHidden()); // no name holds "消化 高血压"

    // A double-click picks as Enter does; the search box hides the list.
    diagnosis->setText(QStringLiteral("gzx"));
    QCOMPARE(test::entries(list), QStringList{QStringLiteral("高脂血症")});
    const QRect rect = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(diagnosis->text(), QStringLiteral("高脂血症"));
    QVERIFY(list->isHidden());
}

void TestForm2Header::addressSuggestions() {
    test::Form2Fixture fixture;
    Form2& form = fixture.openActive();
    PickList* list = form.sheet.List4;
    FieldEdit* address = field(form, kAddress);
    address->setFocus();
    QCOMPARE(list->count(), 3);
    QVERIFY(list->isVisible());
    QTest::keyClicks(address, QStringLiteral(" dg "));
    QCOMPARE(test::entries(list), QStringList{QStringLiteral("东关村")});
    QTest::keyClick(address, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(address->text(), QStringLiteral("东关村"));
    QCOMPARE(QApplication::focusWidget(), address);
    QVERIFY(list->isHidden());

    // An apostrophe is only a character: no list, no failure.
    address->clear();
    QTest::keyClicks(address, QStringLiteral("'"));
    QVERIFY(list->isHidden());
    form.sheet.List4->show();
    form.search.Text1->setFocus();
    QVERIFY(list->isHidden());
}

void TestForm2Header::aKnownPatientIsTakenOverWithAge() {
    test::Form2Fixture fixture;
    savePatient(fixture, QStringLiteral("20240220100000t1"), QStringLiteral("张三"), QStringLiteral("男"),
                QStringLiteral("35岁"), QStringLiteral("13800000001"));
    Form2& form = fixture.openActive();
    PickList* list = form.sheet.List5;
    FieldEdit* name = field(form, kName);
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("z"));
    QVERIFY(list->isHidden()); // one character opens nothing
    QTest::keyClicks(name, QStringLiteral("s"));
    QCOMPARE(test::entries(list), QStringList{QStringLiteral("张三[35岁]")});
    QVERIFY(list->isVisible());
    QTest::keyClick(name, Qt::Key_Backspace);
    QVERIFY(list->isVisible()); // a one-character name leaves an open list as it is
    QTest::keyClick(name, Qt::Key_Backspace);
    test::typeText(name, QStringLiteral("张三"));
    QTest::keyClick(name, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Return);

    QCOMPARE(name->text(), QStringLiteral("张三"));
    QCOMPARE(field(form, kSex)->text(), QStringLiteral("男"));
    QCOMPARE(field(form, kAge)->text(), QStringLiteral("35岁")); // born 1989, now 2024
    QCOMPARE(field(form, kAddress)->text(), QStringLiteral("城关镇"));
    QCOMPARE(field(form, kPhone)->text(), QStringLiteral("13800000001"));
    QCOMPARE(field(form, kInsuranceNumber)->text(), QStringLiteral("YB-13800000001"));
    QCOMPARE(field(form, kFeeCategory)->text(), QStringLiteral("医保"));
    QVERIFY(field(form, kDiagnosis)->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), field(form, kDiagnosis));
    QVERIFY(list->isHidden());
    QVERIFY(form.sheet.List4->isHidden());
    QVERIFY(form.sheet.List3->isVisible()); // the empty diagnosis field offers every diagnosis
    QVERIFY(!form.state.SuggestSuppressed);

    // The birth year finds the patient too.
    name->setFocus();
    name->clear();
    QTest::keyClicks(name, QStringLiteral("1989"));
    QCOMPARE(test::entries(list), QStringList{QStringLiteral("张三[35岁]")});
}

void TestForm2Header::aPatientWithoutABirthYearShiftsNoOtherEntry() {
    test::Form2Fixture fixture;
    savePatient(fixture, QStringLiteral("20240220100000t1"), QStringLiteral("张三"), QStringLiteral("男"),
                QStringLiteral("35岁"), QStringLiteral("13800000001"));
    savePatient(fixture, QStringLiteral("20240220100100t1"), QStringLiteral("张三丰"), QStringLiteral("男"),
                QStringLiteral("60岁"), QStringLiteral("13800000002"));
    // A row of older data whose birth year is not a number, stored before the others would be found.
    {
        Statement update(*fixture.state.mainDb,
                         QStringLiteral("update [患者信息] set [年龄] = ? where [姓名] = ?"));
        update.bind(1, QStringLiteral("不详")).bind(2, QStringLiteral("张三"));
        QCOMPARE(update.run(), 1);
    }
    Form2& form = fixture.openActive();
    FieldEdit* name = field(form, kName);
    name->setFocus();
    test::typeText(name, QStringLiteral("张三"));
    PickList* list = form.sheet.List5;
    QCOMPARE(test::entries(list), QStringList{QStringLiteral("张三丰[60岁]")});
    const QRect rect = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(name->text(), QStringLiteral("张三丰"));
    QCOMPARE(field(form, kAge)->text(), QStringLiteral("60岁"));
    QCOMPARE(field(form, kPhone)->text(), QStringLiteral("13800000002"));
}

void TestForm2Header::suppressedFieldsOpenNoList() {
    test::Form2Fixture fixture;
    savePatient(fixture, QStringLiteral("20240220100000t1"), QStringLiteral("张三"), QStringLiteral("男"),
                QStringLiteral("35岁"), QStringLiteral("13800000001"));
    Form2& form = fixture.openActive();
    form.state.SuggestSuppressed = true;
    field(form, kName)->setText(QStringLiteral("张三"));
    field(form, kAddress)->setFocus();
    field(form, kAddress)->setText(QStringLiteral("城"));
    field(form, kDiagnosis)->setFocus();
    field(form, kDiagnosis)->setText(QStringLiteral("高"));
    for (PickList* list : {form.sheet.List3, form.sheet.List4, form.sheet.List5})
        QVERIFY(list->isHidden());
    form.state.SuggestSuppressed = false;

    // The window coming back to the front with the focus in the diagnosis field opens nothing either.
    QFocusEvent activated(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(field(form, kDiagnosis), &activated);
    QVERIFY(form.sheet.List3->isHidden());
}

QTEST_MAIN(TestForm2Header)
#include "test_form2_header.moc"
