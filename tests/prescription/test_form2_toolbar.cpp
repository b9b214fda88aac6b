// The toolbar of the prescription window: new, renew, copy and save as the doctor uses them, the windows
// it asks for, and the look of a pressed button.

#include "data/prescriptions.h"
#include "form2fixture.h"
#include "prescription/savemessages.h"
#include "prescription/sheetactions.h"
#include "prescription/toolbar.h"
#include "pricingsupport.h"
#include "typing.h"
#include "ui/crlftextedit.h"
#include "ui/twips.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

using namespace lichuan;
using test::clickToolbar;
using test::typeField;

namespace {

const QString kArchive = QStringLiteral("档案");

// A sheet with a patient, a herbal item text and priced lines, as a doctor leaves it before starting anew.
void fillSheet(Form2& form) {
    typeField(form, kName, QStringLiteral("张三"));
    typeField(form, kSex, QStringLiteral("男"));
    typeField(form, kAge, QStringLiteral("35岁"));
    typeField(form, kDiagnosis, QStringLiteral("感冒"));
    form.sheet.R1->setText(QStringLiteral("黄芪 10g      当归 9g       "));
    PricedLines lines;
    lines[0] = {
        QStringLiteral("黄芪"), QStringLiteral("60"),  QStringLiteral("g"), QStringLiteral("0.05"), QString(),
        QStringLiteral("B2"),   QStringLiteral("中药")};
    form.actions().setPricedLines(lines, true);
    form.sheet.Label5 = kSettledMarker;
}

} // namespace

class TestForm2Toolbar : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveNeedsAName();
    void saveTwiceWritesOneRowAndNewStartsAnother();
    void newSheetsNeverOverwriteAnotherPrescription();
    void saveKeepsTheItemTextAsTyped();
    void unreadableDateAndOverlongValuesAreReported();
    void newClearsTheSheetAndFollowsTheCategory();
    void renewKeepsThePatient();
    void copyKeepsTheItemTextAfterAPause();
    void buttonsOpenTheirWindows();
    void pressedAndFlatLook();
};

void TestForm2Toolbar::saveNeedsAName() {
    test::Form2Fixture f;
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("   "));
    form.sheet.R1->setText(QStringLiteral("黄芪 10g"));
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("请输入患者姓名！")});
    QCOMPARE(test::rowCount(*f.state.mainDb, kArchive), 0);
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("患者信息")), 0);
    QVERIFY(!form.state.saved);
}

void TestForm2Toolbar::saveTwiceWritesOneRowAndNewStartsAnother() {
    test::Form2Fixture f;
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    typeField(form, kAge, QStringLiteral("35岁"));
    const QString key = form.sheet.Label4;
    clickToolbar(form, Toolbar::Save);
    typeField(form, kDiagnosis, QStringLiteral("感冒"));
    clickToolbar(form, Toolbar::Save);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|')));
    QCOMPARE(test::rowCount(*f.state.mainDb, kArchive), 1);
    QCOMPARE(loadPrescription(*f.state.mainDb, key)->fields[kDiagnosis], QStringLiteral("感冒"));
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("患者信息")), 1);
    // The saved row is listed in the history at once.
    QCOMPARE(form.history.List2->count(), 1);

    clickToolbar(form, Toolbar::New);
    QVERIFY(form.sheet.Label4 != key);
    QVERIFY(form.sheet.Text5[kName]->text().isEmpty());
    typeField(form, kName, QStringLiteral("李四"));
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(test::rowCount(*f.state.mainDb, kArchive), 2);
    QCOMPARE(loadPrescription(*f.state.mainDb, key)->fields[kName], QStringLiteral("张三"));
}

void TestForm2Toolbar::newSheetsNeverOverwriteAnotherPrescription() {
    test::Form2Fixture f;
    Form2& form = f.open();
    // Another workstation with the same suffix has already stored a prescription under the key the next
    // new sheet of this one gets (the clock stands still: every sheet starts in the same second).
    SheetRecord other;
    other.key = QStringLiteral("20240301093001t1");
    other.fields[kName] = QStringLiteral("王五");
    other.fields[kDate] = QStringLiteral("2024-03-01");
    QVERIFY(savePrescription(*f.state.mainDb, other, true, QDate(2024, 3, 1)).saved);

    QStringList keys;
    for (const char* name : {"张三", "李四"}) {
        clickToolbar(form, Toolbar::New);
        typeField(form, kName, QString::fromUtf8(name));
        clickToolbar(form, Toolbar::Save);
        clickToolbar(form, Toolbar::Save);
        keys << form.sheet.Label4;
    }
    QCOMPARE(test::rowCount(*f.state.mainDb, kArchive), 3);
    QCOMPARE(loadPrescription(*f.state.mainDb, other.key)->fields[kName], QStringLiteral("王五"));
    QVERIFY(keys[0] != keys[1] && !keys.contains(other.key));
    // The key the row was written under is the sheet's key from then on.
    QCOMPARE(loadPrescription(*f.state.mainDb, keys[0])->fields[kName], QStringLiteral("张三"));
    QCOMPARE(loadPrescription(*f.state.mainDb, keys[1])->fields[kName], QStringLiteral("李四"));
    QCOMPARE(keys[0].size(), 16);
}

void TestForm2Toolbar::saveKeepsTheItemTextAsTyped() {
    test::Form2Fixture f;
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));

    // A Western sheet keeps its line breaks exactly.
    form.actions().applyLayout(sheetgeometry::Layout::Western);
    const QString western =
        QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒\r\n    用法：2粒 每日3次 口服\r\n\r\n挂号费 1次\r\n");
    form.sheet.R1->setText(western);
    clickToolbar(form, Toolbar::Save);
    std::optional<SheetRecord> stored = loadPrescription(*f.state.mainDb, form.sheet.Label4);
    QVERIFY(stored);
    QCOMPARE(stored->items, western);
    QCOMPARE(stored->items.count(QStringLiteral("\r\n")), 4);
    QVERIFY(!stored->herbal);

    // A no-break space typed by the doctor, a line separator and a tab pasted in are stored as they are and
    // come back the same.
    form.sheet.R1->setText(QString());
    form.sheet.R1->setFocus();
    test::typeText(form.sheet.R1, QStringLiteral("板蓝根颗粒"));
    QTest::sendKeyEvent(QTest::Click, form.sheet.R1, Qt::Key_unknown, QStringLiteral("\u00a0"),
                        Qt::NoModifier);
    test::typeText(form.sheet.R1, QStringLiteral("2袋"));
    form.sheet.R1->insertPlainText(QStringLiteral("\u2028\t用法：冲服"));
    QTest::keyClick(form.sheet.R1, Qt::Key_Return);
    const QString typed = QStringLiteral("板蓝根颗粒\u00a02袋\u2028\t用法：冲服\r\n");
    QCOMPARE(form.sheet.R1->text(), typed);
    clickToolbar(form, Toolbar::Save);
    stored = loadPrescription(*f.state.mainDb, form.sheet.Label4);
    QVERIFY(stored);
    QCOMPARE(stored->items, typed);
    form.sheet.R1->setText(QString());
    form.sheet.R1->setText(stored->items);
    QCOMPARE(form.sheet.R1->text(), typed);

    // A herbal sheet is laid out in 13-column cells before it is written.
    form.actions().applyLayout(sheetgeometry::Layout::NarrowHerbal);
    form.sheet.R1->setText(QStringLiteral("黄芪10g当归 9g 白芍9g 甘草 6g"));
    clickToolbar(form, Toolbar::Save);
    const QString laidOut = QStringLiteral("黄芪10g      当归 9g      白芍9g       \r\n\r\n甘草 6g      ");
    QCOMPARE(form.sheet.R1->text(), laidOut);
    stored = loadPrescription(*f.state.mainDb, form.sheet.Label4);
    QCOMPARE(stored->items, laidOut);
    QVERIFY(stored->herbal);
}

void TestForm2Toolbar::unreadableDateAndOverlongValuesAreReported() {
    test::Form2Fixture f;
    Form2& form = f.open();
    typeField(form, kName, QStringLiteral("张三"));
    typeField(form, kDate, QStringLiteral("2024-02-30"));
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(f.messages.shown, QStringList{savemessages::kDateUnreadable});
    QCOMPARE(test::rowCount(*f.state.mainDb, kArchive), 0);
    QVERIFY(!form.state.saved);

    // A person types dates loosely; the row is stored with the date in its one form.
    f.messages.shown.clear();
    typeField(form, kDate, QStringLiteral("2024-3-1"));
    form.sheet.Text5[kAddress]->setText(QString(60, QChar(0x8857))); // longer than its column
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("以下内容过长，未能保存：住址（电话）")});
    const std::optional<SheetRecord> stored = loadPrescription(*f.state.mainDb, form.sheet.Label4);
    QVERIFY(stored);
    QCOMPARE(stored->fields[kDate], QStringLiteral("2024-03-01"));
    QVERIFY(stored->fields[kAddress].isEmpty());
    QVERIFY(form.state.saved);

    // Without a database the doctor learns that nothing was stored.
    f.messages.shown.clear();
    f.state.mainDb.reset();
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(f.messages.shown, QStringList{savemessages::kNotSaved});
}

void TestForm2Toolbar::newClearsTheSheetAndFollowsTheCategory() {
    test::Form2Fixture f;
    Form2& form = f.open();
    fillSheet(form);
    f.state.PendingCaseRecord = QStringLiteral("主诉$现病史$");
    const QString key = form.sheet.Label4;

    clickToolbar(form, Toolbar::New);
    for (int i : {kName, kSex, kAge, kDiagnosis, kAmount})
        QVERIFY2(form.sheet.Text5[static_cast<size_t>(i)]->text().isEmpty(), qPrintable(QString::number(i)));
    QCOMPARE(form.sheet.Text5[kPhysician]->text(), QStringLiteral("李明"));
    QCOMPARE(form.sheet.Text5[kDate]->text(), QStringLiteral("2024-03-01"));
    QVERIFY(form.sheet.Label4 != key);
    QVERIFY(form.sheet.R1->text().isEmpty());
    QVERIFY(form.pricing.Lb2[0]->text().isEmpty() && form.pricing.Lb3[0]->text().isEmpty());
    QVERIFY(form.pricing.Label16->text().isEmpty());
    QVERIFY(form.sheet.Label5.isEmpty());
    QVERIFY(f.state.PendingCaseRecord.isEmpty());
    QTRY_VERIFY(form.sheet.Text5[kName]->hasFocus());
    QCOMPARE(form.sheet.R1->geometry(), twips::rect(660, 2640, 5655, 4755));

    // Charge items and usages keep the layout of the sheet; Western categories give the Western layout.
    form.actions().applyLayout(sheetgeometry::Layout::Western);
    form.state.CurrentCategory = 2;
    clickToolbar(form, Toolbar::New);
    QVERIFY(!form.actions().herbalMode());
    form.state.CurrentCategory = 0;
    form.sheet.Text6->setText(QStringLiteral("3"));
    clickToolbar(form, Toolbar::New);
    QVERIFY(form.actions().herbalMode());
    QCOMPARE(form.sheet.Text6->text(), QStringLiteral("6"));
    form.state.CurrentCategory = 4;
    clickToolbar(form, Toolbar::New);
    QVERIFY(!form.actions().herbalMode());
}

void TestForm2Toolbar::renewKeepsThePatient() {
    test::Form2Fixture f;
    Form2& form = f.open();
    fillSheet(form);
    f.state.PendingCaseRecord = QStringLiteral("主诉$");
    const QString key = form.sheet.Label4;

    clickToolbar(form, Toolbar::Renew);
    QCOMPARE(form.sheet.Text5[kName]->text(), QStringLiteral("张三"));
    QCOMPARE(form.sheet.Text5[kAge]->text(), QStringLiteral("35岁"));
    QCOMPARE(form.sheet.Text5[kDiagnosis]->text(), QStringLiteral("感冒"));
    // The renewed prescription is a visit of its own: the record stays with the one it was written for.
    QVERIFY(f.state.PendingCaseRecord.isEmpty());
    QVERIFY(form.sheet.Label4 != key);
    QVERIFY(form.sheet.R1->text().isEmpty());
    QVERIFY(form.pricing.Lb2[0]->text().isEmpty());
    QVERIFY(form.pricing.Label16->text().isEmpty());
    QVERIFY(form.sheet.Text5[kAmount]->text().isEmpty());
    QVERIFY(form.sheet.Label5.isEmpty());
    QTRY_VERIFY(form.search.Text1->hasFocus());

    // The renewed sheet is a prescription of its own.
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(test::rowCount(*f.state.mainDb, kArchive), 1);
    QCOMPARE(loadPrescription(*f.state.mainDb, form.sheet.Label4)->fields[kName], QStringLiteral("张三"));
}

void TestForm2Toolbar::copyKeepsTheItemTextAfterAPause() {
    test::Form2Fixture f;
    Form2& form = f.open();
    fillSheet(form);
    clickToolbar(form, Toolbar::Save);
    const QString key = form.sheet.Label4;
    const QString items = form.sheet.R1->text();

    // Halfway through the pause the item text is away.
    QString duringPause = QStringLiteral("not looked at");
    QTimer::singleShot(Toolbar::kCopyPauseMs / 2, &form, [&] { duringPause = form.sheet.R1->text(); });
    QElapsedTimer elapsed;
    elapsed.start();
    clickToolbar(form, Toolbar::Copy);
    QVERIFY(elapsed.elapsed() >= Toolbar::kCopyPauseMs - 20);
    QVERIFY(duringPause.isEmpty());

    QCOMPARE(form.sheet.R1->text(), items);
    QCOMPARE(form.sheet.Text5[kName]->text(), QStringLiteral("张三"));
    QCOMPARE(form.sheet.Text5[kDiagnosis]->text(), QStringLiteral("感冒"));
    QVERIFY(form.sheet.Label4 != key);
    QVERIFY(form.pricing.Lb2[0]->text().isEmpty());
    QVERIFY(form.pricing.Label16->text().isEmpty());
    QVERIFY(form.sheet.Text5[kAmount]->text().isEmpty());
    QVERIFY(form.sheet.Label5.isEmpty());
    QVERIFY(form.actions().herbalMode());
    QTRY_VERIFY(form.search.Text1->hasFocus());

    clickToolbar(form, Toolbar::Save);
    QCOMPARE(test::rowCount(*f.state.mainDb, kArchive), 2);
    // Laid out again before it is written, the copy holds the same items.
    const QString stored = loadPrescription(*f.state.mainDb, form.sheet.Label4)->items;
    QCOMPARE(stored, form.sheet.R1->text());
    QVERIFY(stored.startsWith(items));
}

void TestForm2Toolbar::buttonsOpenTheirWindows() {
    test::Form2Fixture f;
    Form2& form = f.open();
    form.sheet.R1->setText(QStringLiteral("桂枝 9g       白芍 9g       "));
    // "打印" has tests of its own (test_form2_print).
    for (int button :
         {Toolbar::Log, Toolbar::SaveAsSet, Toolbar::CaseRecord, Toolbar::Statistics, Toolbar::Help})
        clickToolbar(form, button);
    QCOMPARE(f.navigator.opened, (QStringList{"log", "templates:herbal", "record", "statistics", "help"}));
    QCOMPARE(f.navigator.templateContent, QStringLiteral("桂枝 9g       白芍 9g       "));
    QVERIFY(f.messages.shown.isEmpty());

    QVERIFY(!f.state.AboutFromMenu);
    clickToolbar(form, Toolbar::About);
    QCOMPARE(f.navigator.opened.last(), QStringLiteral("about"));
    QVERIFY(f.state.AboutFromMenu);

    // A Western sheet becomes a set of Western medicines; an empty item text an empty content.
    form.actions().applyLayout(sheetgeometry::Layout::Western);
    form.sheet.R1->setText(QString());
    clickToolbar(form, Toolbar::SaveAsSet);
    QCOMPARE(f.navigator.opened.last(), QStringLiteral("templates:western"));
    QVERIFY(f.navigator.templateContent.isEmpty());
}

void TestForm2Toolbar::pressedAndFlatLook() {
    test::Form2Fixture f;
    Form2& form = f.open();
    QFrame* frame = form.toolbar.Picture4[Toolbar::Log];
    QCOMPARE(frame->frameShape(), QFrame::NoFrame);
    QVERIFY(!form.toolbar.Image7[Toolbar::Log]->pixmap().isNull());

    form.sheet.List3->show();
    QLabel* target = form.toolbar.Label18[Toolbar::Log];
    QTest::mousePress(target, Qt::LeftButton);
    QCOMPARE(frame->frameShape(), QFrame::Panel);
    QCOMPARE(frame->frameShadow(), QFrame::Sunken);
    QCOMPARE(frame->lineWidth(), 1);
    QVERIFY(f.navigator.opened.isEmpty()); // the action waits for the button to come up

    QTest::mouseRelease(target, Qt::LeftButton);
    QCOMPARE(frame->frameShape(), QFrame::NoFrame);
    QVERIFY(frame->autoFillBackground());
    QCOMPARE(frame->palette().color(QPalette::Window), frame->palette().color(QPalette::Button));
    QCOMPARE(f.navigator.opened, QStringList{"log"});
    QVERIFY(form.sheet.List3->isHidden());
    QVERIFY(!form.state.SuggestSuppressed);

    // Any mouse button runs the action.
    QTest::mousePress(form.toolbar.Label18[Toolbar::Help], Qt::RightButton);
    QTest::mouseRelease(form.toolbar.Label18[Toolbar::Help], Qt::RightButton);
    QCOMPARE(f.navigator.opened.last(), QStringLiteral("help"));
}

QTEST_MAIN(TestForm2Toolbar)
#include "test_form2_toolbar.moc"
