// The clinical checks on the prescription window: the strip as the items change, the 妊娠 box, the
// "用药警示" dialog on 保存, 打印 and 划价结算, and the confirmation stored, reloaded and printed.

#include "data/prescriptions.h"
#include "form2fixture.h"
#include "pdftext.h"
#include "prescription/historypanel.h"
#include "prescription/safetydialog.h"
#include "prescription/safetypanel.h"
#include "prescription/sheetactions.h"
#include "prescription/sheetlink.h"
#include "prescription/toolbar.h"
#include "pricingsupport.h"
#include "ui/crlftextedit.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace lichuan;
using test::clickToolbar;
using test::typeField;

namespace {

const QString kPair = QStringLiteral("川乌[先煎]3g  半夏9g        ");
const QString kOrdinary = QStringLiteral("黄芪15g       当归10g       白术[炒]10g   \r\n"
                                         "茯苓12g       陈皮6g        甘草6g        ");

void fillPatient(Form2& form, const QString& sex = QStringLiteral("男"),
                 const QString& age = QStringLiteral("40")) {
    typeField(form, kName, QStringLiteral("王五"));
    typeField(form, kSex, sex);
    typeField(form, kAge, age);
}

enum class Answer { Back, Confirm };

// Answers the "用药警示" dialog the next action opens, as the doctor would: 返回修改, or a reason and
// 确认用药. `asked` receives the warnings it listed ("" when no dialog came).
void answerDialog(Answer answer, QString* asked, const QString& reason = QStringLiteral("久痹，已告知")) {
    asked->clear();
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<SafetyDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *asked = dialog->warnings().join(QLatin1Char('\n'));
        if (answer == Answer::Back) {
            dialog->backButton->click();
            return;
        }
        QVERIFY(!dialog->confirmButton->isEnabled()); // no reason yet
        dialog->reasonEdit->setText(reason);
        dialog->confirmButton->click();
    });
}

// After a dialog the window is the active one again, as under the doctor's hands, so that its keys work.
void activate(Form2& form) {
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.sheet.R1->setFocus();
}

bool stored(test::Form2Fixture& f, const Form2& form) {
    return prescriptionExists(*f.state.mainDb, form.sheet.Label4);
}

} // namespace

class TestForm2Safety : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theStripListsWhatTheItemsBreak_data();
    void theStripListsWhatTheItemsBreak();
    void thePregnantBoxFollowsTheSex();
    void aFormulaPickedWholeIsChecked();
    void saveAsksForAConfirmation();
    void printAsksForAConfirmation();
    void settlementAsksForAConfirmation();
    void aConfirmedSheetAsksAgainOnlyWhenItsWarningsChange();
    void theConfirmationIsReloadedAndPrinted();
};

void TestForm2Safety::theStripListsWhatTheItemsBreak_data() {
    QTest::addColumn<bool>("herbal");
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("strip");
    QTest::newRow("ordinary") << true << kOrdinary << QStringLiteral("女") << QString();
    QTest::newRow("a pair") << true << kPair << QStringLiteral("男")
                            << QStringLiteral("十八反：川乌—半夏；有毒：川乌（大毒）、半夏（有毒）");
    QTest::newRow("an overdose") << true << QStringLiteral("细辛10g       ") << QStringLiteral("男")
                                 << QStringLiteral("超量：细辛 10g（药典 1～3g）；有毒：细辛（小毒）");
    QTest::newRow("a woman") << true << QStringLiteral("莪术6g        ") << QStringLiteral("女")
                             << QStringLiteral("孕妇禁用：莪术");
    QTest::newRow("a line of the tail naming a herb")
        << true << QStringLiteral("黄芪15g\r\n\r\n细辛 10克") << QStringLiteral("男")
        << QStringLiteral("超量：细辛 10g（药典 1～3g）；有毒：细辛（小毒）");
    QTest::newRow("a Western sheet")
        << false
        << QStringLiteral("蓝芩口服液[10ml*12支] 1盒\r\n    用法：一次10ml\r\n\r\n"
                          "黑附子 20g")
        << QStringLiteral("男") << QStringLiteral("超量：黑附子 20g（药典 3～15g）；有毒：黑附子（有毒）");
}

void TestForm2Safety::theStripListsWhatTheItemsBreak() {
    QFETCH(bool, herbal);
    QFETCH(QString, items);
    QFETCH(QString, sex);
    QFETCH(QString, strip);
    test::Form2Fixture f;
    Form2& form = f.open();
    fillPatient(form, sex, QStringLiteral("30"));
    if (!herbal)
        form.actions().applyLayout(sheetgeometry::Layout::Western);
    const QRect box = form.sheet.R1->geometry();
    form.sheet.R1->setText(items);
    QLabel* shown = form.safety().strip();
    if (strip.isEmpty()) {
        QVERIFY(shown->isHidden());
        QCOMPARE(form.sheet.R1->geometry(), box); // no room taken from the items
        return;
    }
    QVERIFY(!shown->isHidden());
    QCOMPARE(shown->accessibleName(), QStringLiteral("用药警示：") + strip);
    // The strip stands at the foot of the item box, which gives it the room.
    QCOMPARE(shown->geometry().bottom(), box.bottom());
    QCOMPARE(form.sheet.R1->geometry().bottom() + 1, shown->geometry().top());
    form.sheet.R1->setText(QString());
    QVERIFY(shown->isHidden());
    QCOMPARE(form.sheet.R1->geometry(), box);
}

void TestForm2Safety::thePregnantBoxFollowsTheSex() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    QCheckBox* pregnant = form.safety().pregnant();
    fillPatient(form, QStringLiteral("男"), QStringLiteral("30"));
    QVERIFY(pregnant->isHidden());
    typeField(form, kSex, QStringLiteral("女"));
    QVERIFY(!pregnant->isHidden());
    form.sheet.R1->setText(QStringLiteral("莪术6g        "));
    QCOMPARE(form.safety().warnings().at(0).hard, false);
    // Alt+Y from the item box ticks it, and 孕妇禁用 becomes hard.
    form.sheet.R1->setFocus();
    QTest::keyClick(form.sheet.R1, Qt::Key_Y, Qt::AltModifier);
    QVERIFY(pregnant->isChecked());
    QCOMPARE(form.safety().warnings().at(0).hard, true);
    QCOMPARE(form.safety().strip()->accessibleDescription(), QStringLiteral("须医师确认：孕妇禁用：莪术"));
    QTest::keyClick(form.sheet.R1, Qt::Key_Y, Qt::AltModifier);
    QVERIFY(!pregnant->isChecked());
    pregnant->setChecked(true);
    typeField(form, kSex, QStringLiteral("男"));
    QVERIFY(pregnant->isHidden());
    QVERIFY(!pregnant->isChecked());
    QVERIFY(form.safety().warnings().empty());
}

void TestForm2Safety::aFormulaPickedWholeIsChecked() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    fillPatient(form, QStringLiteral("女"), QStringLiteral("30"));
    QTest::mouseClick(form.search.Command1[5], Qt::LeftButton); // 中药方剂
    form.search.Text1->setFocus();
    QTest::keyClicks(form.search.Text1, QStringLiteral("gzt"));
    QTest::keyClick(form.search.Text1, Qt::Key_Return);
    QVERIFY(form.sheet.R1->text().startsWith(QStringLiteral("桂枝")));
    QCOMPARE(form.safety().strip()->accessibleName(), QStringLiteral("用药警示：孕妇慎用：桂枝"));
}

void TestForm2Safety::saveAsksForAConfirmation() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    fillPatient(form);
    form.sheet.R1->setText(kPair);
    QString asked;
    answerDialog(Answer::Back, &asked);
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(asked, QStringLiteral("十八反：川乌—半夏"));
    QVERIFY(!stored(f, form));
    QCOMPARE(form.sheet.R1->text(), kPair); // not even laid out anew
    answerDialog(Answer::Back, &asked);
    QVERIFY(!SheetLink([&form] { return &form; }).saveSheet()); // the record window's 保存
    QCOMPARE(asked, QStringLiteral("十八反：川乌—半夏"));
    QVERIFY(!stored(f, form));

    activate(form);
    answerDialog(Answer::Confirm, &asked);
    QTest::keyClick(form.sheet.R1, Qt::Key_S, Qt::ControlModifier); // the key goes the same way
    QCOMPARE(asked, QStringLiteral("十八反：川乌—半夏"));
    QVERIFY(stored(f, form));
    const ClinicalNote note = loadPrescription(*f.state.mainDb, form.sheet.Label4)->clinical;
    QCOMPARE(note.reason, QStringLiteral("久痹，已告知"));
    QCOMPARE(note.warnings, QStringLiteral("十八反：川乌—半夏"));
    QCOMPARE(note.time, QStringLiteral("2024-03-01 09:30:00"));
    QVERIFY(note.station.endsWith(QStringLiteral(" t1")));
    QVERIFY(f.messages.shown.isEmpty());
}

void TestForm2Safety::printAsksForAConfirmation() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    fillPatient(form);
    form.sheet.R1->setText(kPair);
    QString asked;
    answerDialog(Answer::Back, &asked);
    clickToolbar(form, Toolbar::Print);
    QVERIFY(!asked.isEmpty());
    QVERIFY(f.messages.shown.isEmpty()); // nothing printed, no printer asked for

    // Confirmed, the print goes on: the unsaved sheet is printed unsaved when the doctor says so, and with
    // no printer here it says so (and opens the preview).
    activate(form);
    answerDialog(Answer::Confirm, &asked);
    f.messages.threeWayAnswer = Messages::Answer::No;
    QTest::keyClick(form.sheet.R1, Qt::Key_P, Qt::ControlModifier);
    QVERIFY(!asked.isEmpty());
    QCOMPARE(f.messages.shown.size(), 2);
    QCOMPARE(f.messages.shown.first(), QStringLiteral("处方尚未保存，是否先保存再打印？"));
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->windowTitle() == QStringLiteral("打印预览"))
            w->close();
    }
    QVERIFY(!stored(f, form)); // printing stores nothing
    QCOMPARE(form.safety().printedConfirmation(), QStringLiteral("医师确认：久痹，已告知"));
}

void TestForm2Safety::settlementAsksForAConfirmation() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    fillPatient(form);
    form.sheet.R1->setText(QStringLiteral("川乌4g        黄芪10g       "));
    QString asked;
    activate(form);
    answerDialog(Answer::Back, &asked);
    QTest::keyClick(form.sheet.R1, Qt::Key_F9);
    QCOMPARE(asked, QStringLiteral("超量：川乌 4g（药典 1.5～3g）"));
    QVERIFY(form.pricing.Lb2[0]->text().isEmpty()); // nothing priced
    QVERIFY(form.sheet.Label5.isEmpty());
    answerDialog(Answer::Confirm, &asked);
    form.pricing.Command4->click();
    QCOMPARE(form.sheet.Label5, kSettledMarker);
    QVERIFY(stored(f, form));
}

void TestForm2Safety::aConfirmedSheetAsksAgainOnlyWhenItsWarningsChange() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    fillPatient(form);
    QStringList asked;
    form.safety().askReason = [&](const QStringList& warnings, const QString&) -> std::optional<QString> {
        asked << warnings.join(QLatin1Char('|'));
        return QStringLiteral("已告知");
    };
    form.sheet.R1->setText(kPair);
    clickToolbar(form, Toolbar::Save);
    clickToolbar(form, Toolbar::Save); // the same warnings: kept, not asked again
    QCOMPARE(asked.size(), 1);
    form.sheet.R1->setText(QStringLiteral("半夏9g        川乌[先煎]3g  黄芪10g       ")); // reordered, added
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(asked.size(), 1);
    form.sheet.R1->setText(form.sheet.R1->text() + QStringLiteral("丁香3g        郁金10g       "));
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked.last(), QStringLiteral("十八反：川乌—半夏|十九畏：丁香—郁金"));
    // 续开 starts a new prescription: its warnings are asked again.
    clickToolbar(form, Toolbar::Renew);
    form.sheet.R1->setText(kPair);
    clickToolbar(form, Toolbar::Save);
    QCOMPARE(asked.size(), 3);
}

void TestForm2Safety::theConfirmationIsReloadedAndPrinted() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    fillPatient(form, QStringLiteral("女"), QStringLiteral("30"));
    form.safety().pregnant()->setChecked(true);
    form.safety().askReason = [](const QStringList&, const QString&) -> std::optional<QString> {
        return QStringLiteral("病情需要，已签字");
    };
    form.sheet.R1->setText(QStringLiteral("莪术6g        黄芪10g       "));
    clickToolbar(form, Toolbar::Save);
    const QString key = form.sheet.Label4;
    QVERIFY(stored(f, form));

    clickToolbar(form, Toolbar::New);
    QVERIFY(!form.safety().pregnant()->isChecked());
    QVERIFY(form.safety().printedConfirmation().isEmpty());
    form.historyPanel().runQuery();
    form.historyPanel().reload(0);
    QCOMPARE(form.sheet.Label4, key);
    QVERIFY(form.safety().pregnant()->isChecked());
    QVERIFY(!form.safety().warnings().empty() && form.safety().warnings().front().hard);
    QCOMPARE(form.safety().printedConfirmation(), QStringLiteral("医师确认：病情需要，已签字"));

    // Printed under the items, the herbs above it.
    const QString pdf = f.dir.filePath(QStringLiteral("confirmed.pdf"));
    QVERIFY(form.toolbarActions().exportPdf(pdf));
    const std::vector<test::PdfWord> words = test::pdfWords(pdf);
    const test::PdfWord* line = nullptr;
    const test::PdfWord* herb = nullptr;
    for (const test::PdfWord& word : words) {
        if (word.text.startsWith(QStringLiteral("医师确认：")))
            line = &word;
        if (word.text.startsWith(QStringLiteral("莪术")))
            herb = &word;
    }
    QVERIFY2(line && herb, qPrintable(test::pdfLayoutText(pdf)));
    QVERIFY(test::pdfLayoutText(pdf).contains(QStringLiteral("医师确认：病情需要，已签字")));
    QVERIFY(line->yMin > herb->yMax);
}

QTEST_MAIN(TestForm2Safety)
#include "test_form2_safety.moc"
