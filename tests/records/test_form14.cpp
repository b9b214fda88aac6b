// The medical-record window beside the prescription window: header, fields to and from the pending record,
// save with the prescription and reload from the history, templates, citation, the "$" kept out.

#include "data/prescriptions.h"
#include "data/settingsrow.h"
#include "data/textrules.h"
#include "prescription/historypanel.h"
#include "prescription/pricingsupport.h"
#include "prescription/sheetactions.h"
#include "prescription/sheetgeometry.h"
#include "prescription/toolbar.h"
#include "prescription/typing.h"
#include "printing/printui.h"
#include "printing/textboxlines.h"
#include "recordfixture.h"
#include "records/recordgeometry.h"
#include "records/recordprint.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <random>

using namespace lichuan;

namespace {

void typeLines(QWidget* field, const QStringList& lines) {
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(field, Qt::Key_Return);
        test::typeText(field, lines.at(i));
    }
}

void setHeader(Form2& form, int field, const QString& text) {
    form.sheet.Text5[static_cast<size_t>(field)]->setText(text);
}

// Record texts as doctors write them: Chinese, Latin words, digits, spaces, full-width and ASCII
// punctuation, now and then a line break.
QString randomRecordText(std::mt19937& random) {
    static const QStringList pieces{
        QStringLiteral("咳嗽"),       QStringLiteral("三天"),    QStringLiteral("，"),
        QStringLiteral("。"),         QStringLiteral("T 37.8℃"), QStringLiteral("BP"),
        QStringLiteral("120/80mmHg"), QStringLiteral(" "),       QStringLiteral("舌红苔黄腻"),
        QStringLiteral("脉滑数"),     QStringLiteral("(+)"),     QStringLiteral("WBC 12.5×10^9/L"),
        QStringLiteral("；"),         QStringLiteral("iiii"),    QStringLiteral("WWWW"),
        QStringLiteral("1111"),       QStringLiteral("、"),      QStringLiteral("“"),
        QStringLiteral("”"),          QStringLiteral("\r\n"),    QStringLiteral("①"),
        QStringLiteral("±"),          QStringLiteral("μg"),      QStringLiteral("≥"),
        QStringLiteral("~")};
    QString text;
    const int count = std::uniform_int_distribution<int>(1, 40)(random);
    for (int i = 0; i < count; ++i)
        text += pieces.at(std::uniform_int_distribution<int>(0, int(pieces.size()) - 1)(random));
    return text;
}

// Picks the first herb the search text finds, with Down and Enter.
void pickHerb(Form2& form, const QString& text) {
    form.search.Text1->clear();
    test::typeText(form.search.Text1, text);
    QTest::keyClick(form.search.Text1, Qt::Key_Down);
    QTest::keyClick(form.search.List1, Qt::Key_Return);
}

void typeInto(Form14& record, int field, const QString& text) {
    record.Text2[static_cast<size_t>(field)]->setFocus();
    record.Text2[static_cast<size_t>(field)]->moveCaretToEnd();
    test::typeText(record.Text2[static_cast<size_t>(field)], text);
}

CaseRecordFields storedRecord(test::RecordFixture& f, const QString& key) {
    const std::optional<SheetRecord> row = loadPrescription(*f.sheet.state.mainDb, key);
    return readCaseRecordText(row ? row->caseRecord : QString());
}

enum class KeyChange { New, Renew, Copy, Reload, Delete, ModeSwitch };

} // namespace

class TestForm14 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newPatientShowsHeaderAndDiagnosis();
    void recordStaysWithItsKey_data();
    void recordStaysWithItsKey();
    void recordRoundTripThroughSaveAndHistory();
    void dollarTypedIsWrittenFullWidth();
    void templateInsertedAtTheCaretOfTheLastField();
    void citePrescriptionInBothModes();
    void editTemplatesKeepsTheRecordAndOpensTheTemplates();
    void printWithoutThePrinterNamesItAndShowsThePreview();
    void fieldsWrapWhereThePrintedLinesWrap();
};

void TestForm14::newPatientShowsHeaderAndDiagnosis() {
    test::RecordFixture f;
    f.form().sheet.Label4 = QStringLiteral("20240305143012t1");
    setHeader(f.form(), kName, QStringLiteral("张三"));
    setHeader(f.form(), kSex, QStringLiteral("男"));
    setHeader(f.form(), kAge, QStringLiteral("35岁"));
    setHeader(f.form(), kDepartment, QStringLiteral("中医科"));
    setHeader(f.form(), kAddress, QStringLiteral("东关村 13800000000"));
    setHeader(f.form(), kDiagnosis, QStringLiteral("感冒"));

    Form14& record = f.openRecord();
    QCOMPARE(record.Label2[0]->text(), QStringLiteral("栎川中医诊所门诊病历"));
    // Centred over the panel.
    QVERIFY(qAbs(record.Label2[0]->geometry().center().x() - record.Picture1->width() / 2) <= 1);
    // The creation time of the prescription, not the time the window opened (the clock says 2024-03-01).
    QCOMPARE(record.Label2[1]->text(), QStringLiteral("就诊时间：2024年03月05日14时30分"));
    QCOMPARE(record.Label2[2]->text(), QStringLiteral("姓名：张三"));
    QCOMPARE(record.Label2[3]->text(), QStringLiteral("性别：男"));
    QCOMPARE(record.Label2[4]->text(), QStringLiteral("年龄：35岁"));
    QCOMPARE(record.Label2[5]->text(), QStringLiteral("科别：中医科"));
    QCOMPARE(record.Label2[6]->text(), QStringLiteral("住址/电话：东关村 13800000000"));
    for (int i = 0; i < kRecordFieldCount; ++i)
        QCOMPARE(record.Text2[static_cast<size_t>(i)]->text(),
                 i == kChineseDiagnosis ? QStringLiteral("感冒") : QString());
    for (int i = 0; i < kRecordFieldCount; ++i)
        QCOMPARE(record.Label1[static_cast<size_t>(i)]->buddy(), record.Text2[static_cast<size_t>(i)]);

    // Closing keeps what was typed; reopening shows it, the diagnosis no longer overwrites it.
    record.Text2[0]->setFocus();
    test::typeText(record.Text2[0], QStringLiteral("咳嗽三天"));
    QTest::mouseClick(record.Command4, Qt::LeftButton);
    QCOMPARE(f.sheet.state.PendingCaseRecord, QStringLiteral("咳嗽三天$$$$$$$感冒$$$"));
    setHeader(f.form(), kDiagnosis, QStringLiteral("胃痛"));
    Form14& again = f.openRecord();
    QCOMPARE(again.Text2[0]->text(), QStringLiteral("咳嗽三天"));
    QCOMPARE(again.Text2[kChineseDiagnosis]->text(), QStringLiteral("感冒"));
}

void TestForm14::recordStaysWithItsKey_data() {
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("shownAfter"); // the 主诉 the window shows for the new sheet
    QTest::addColumn<bool>("settle");        // the new sheet is stored by 划价结算, not 保存
    QTest::newRow("新建") << int(KeyChange::New) << QString() << false;
    QTest::newRow("续开") << int(KeyChange::Renew) << QString() << true;
    QTest::newRow("复制处方") << int(KeyChange::Copy) << QString() << false;
    QTest::newRow("调出历史处方") << int(KeyChange::Reload) << QStringLiteral("腹痛") << true;
    QTest::newRow("删除") << int(KeyChange::Delete) << QString() << false;
    // Leaving one mode for the other starts the same patient's prescription over: the record goes along.
    QTest::newRow("换成西成药") << int(KeyChange::ModeSwitch) << QStringLiteral("头痛三日") << false;
}

void TestForm14::recordStaysWithItsKey() {
    QFETCH(int, change);
    QFETCH(QString, shownAfter);
    QFETCH(bool, settle);
    test::RecordFixture f;
    Form2& form = f.form();
    SheetRecord other; // another patient's prescription with its record
    other.key = QStringLiteral("20240229100000t1");
    other.fields[kName] = QStringLiteral("王五");
    other.fields[kDate] = QStringLiteral("2024-02-29");
    other.caseRecord = QStringLiteral("腹痛$$$$$$$$$$");
    QVERIFY(savePrescription(*f.sheet.state.mainDb, other, true, f.sheet.clock.today()).saved);
    // 张三's record saved from the record window, which stays open and takes more text.
    test::typeField(form, kName, QStringLiteral("张三"));
    pickHerb(form, QStringLiteral("当归"));
    Form14& record = f.openRecord();
    typeInto(record, kComplaint, QStringLiteral("头痛三日"));
    QTest::mouseClick(record.Command3, Qt::LeftButton);
    const QString key = form.sheet.Label4;
    typeInto(record, kPresentIllness, QStringLiteral("昨起"));

    f.sheet.clock.advanceSeconds(60);
    const KeyChange what = KeyChange(change);
    if (what == KeyChange::New || what == KeyChange::Renew || what == KeyChange::Copy)
        test::clickToolbar(form, what == KeyChange::New     ? Toolbar::New
                                 : what == KeyChange::Renew ? Toolbar::Renew
                                                            : Toolbar::Copy);
    if (what == KeyChange::Reload) {
        form.historyPanel().runQuery();
        form.historyPanel().reload(form.history.List2->count() - 1);
        QCOMPARE(form.sheet.Label4, other.key);
    }
    if (what == KeyChange::Delete)
        form.historyPanel().deleteSheetRecord(); // confirmed
    if (what == KeyChange::ModeSwitch)
        form.search.Command1[1]->click();
    QVERIFY(form.sheet.Label4 != key);

    // What the window held for 张三 is in his row (a deleted row took it along); the window shows the new
    // sheet's record under the new sheet's visit time.
    QCOMPARE(storedRecord(f, key)[kPresentIllness],
             what == KeyChange::Delete ? QString() : QStringLiteral("昨起"));
    QCOMPARE(record.Text2[kComplaint]->text(), shownAfter);
    QCOMPARE(record.Label2[1]->text(), visitTimeCaption(form.sheet.Label4));
    // The new sheet is stored with what the window shows now, not saved in the window; 张三's row keeps his.
    test::typeField(form, kName, QStringLiteral("李四"));
    typeInto(record, kExamination, QStringLiteral("舌淡"));
    if (settle)
        QTest::mouseClick(form.pricing.Command4, Qt::LeftButton);
    else
        test::clickToolbar(form, Toolbar::Save);
    QCOMPARE(storedRecord(f, form.sheet.Label4)[kComplaint], shownAfter);
    QCOMPARE(storedRecord(f, form.sheet.Label4)[kExamination], QStringLiteral("舌淡"));
    QCOMPARE(storedRecord(f, key)[kExamination], QString());
}

void TestForm14::recordRoundTripThroughSaveAndHistory() {
    test::RecordFixture f;
    Form2& form = f.form();
    setHeader(form, kName, QStringLiteral("王五"));
    setHeader(form, kAge, QStringLiteral("40岁"));
    form.sheet.R1->setText(QStringLiteral("桂枝9g白芍9g"));
    const QString key = form.sheet.Label4;

    Form14& record = f.openRecord();
    CaseRecordFields typed;
    for (int i = 0; i < kRecordFieldCount; ++i) {
        const QStringList lines{QStringLiteral("第%1项").arg(i), QStringLiteral("  第二行 "), QString(),
                                QStringLiteral("末行")};
        CrLfTextEdit* field = record.Text2[static_cast<size_t>(i)];
        field->setFocus();
        field->selectAll();
        typeLines(field, lines);
        typed[static_cast<size_t>(i)] = lines.join(kCrLf);
    }
    QCOMPARE(record.fields(), typed);

    QTest::mouseClick(record.Command3, Qt::LeftButton);
    QVERIFY(f.sheet.messages.shown.isEmpty());
    QVERIFY(record.isVisible());
    // Saved with the prescription, in herbal mode after the herbal layout of the item text.
    const std::optional<SheetRecord> stored = loadPrescription(*f.sheet.state.mainDb, key);
    QVERIFY(stored);
    QCOMPARE(stored->caseRecord, caseRecordText(typed));
    QVERIFY(stored->caseRecord.contains(QStringLiteral("第0项\r\n  第二行 \r\n\r\n末行$第1项")));
    QCOMPARE(stored->items, layOutHerbal(QStringLiteral("桂枝9g白芍9g")).text);
    QCOMPARE(form.sheet.R1->text(), stored->items);
    // The history list shows the saved row.
    QCOMPARE(form.history.List2->count(), 1);
    f.closeRecord();

    // A new sheet has no record; reloading the prescription brings every field back.
    form.toolbarActions().run(Toolbar::New);
    QVERIFY(f.sheet.state.PendingCaseRecord.isEmpty());
    QCOMPARE(f.openRecord().Text2[0]->text(), QString());
    f.closeRecord();
    form.historyPanel().runQuery();
    form.historyPanel().reload(0);
    QCOMPARE(form.sheet.Label4, key);
    QCOMPARE(f.openRecord().fields(), typed);
}

void TestForm14::dollarTypedIsWrittenFullWidth() {
    test::RecordFixture f;
    Form14& record = f.openRecord();
    QVERIFY(!record.Label3->isVisibleTo(&record));
    record.Text2[0]->setFocus();
    test::typeText(record.Text2[0], QStringLiteral("诊费$20"));
    QCOMPARE(record.Text2[0]->text(), QStringLiteral("诊费＄20"));
    QCOMPARE(record.Text2[0]->caret(), 5);
    QVERIFY(record.Label3->isVisibleTo(&record));
    QVERIFY(record.Label3->text().contains(QStringLiteral("＄")));
    // Pasted or set as a whole, it is replaced too.
    record.Text2[1]->setText(QStringLiteral("$a$b"));
    QCOMPARE(record.Text2[1]->text(), QStringLiteral("＄a＄b"));
    record.Text2[2]->setFocus();
    test::typeText(record.Text2[2], QStringLiteral("既往"));
    f.closeRecord();

    const QString& stored = f.sheet.state.PendingCaseRecord;
    QCOMPARE(stored.count(QLatin1Char('$')), kRecordFieldCount);
    const CaseRecordFields back = readCaseRecordText(stored);
    QCOMPARE(back[0], QStringLiteral("诊费＄20"));
    QCOMPARE(back[2], QStringLiteral("既往"));
}

void TestForm14::templateInsertedAtTheCaretOfTheLastField() {
    test::RecordFixture f;
    Form14& record = f.openRecord();
    QCOMPARE(record.List1->count(), 6);
    QCOMPARE(record.List1->item(0)->text(), QStringLiteral("高血压主诉"));

    // The window opens with the caret in the first field.
    QCOMPARE(record.currentField(), 0);
    // While no field has had the focus, a pick inserts nothing.
    {
        Form14 hidden(*f.services);
        QCOMPARE(hidden.currentField(), -1);
        Q_EMIT hidden.List1->itemClicked(hidden.List1->item(4));
        for (CrLfTextEdit* field : hidden.Text2)
            QCOMPARE(field->text(), QString());
    }
    const QPoint allergy = record.List1->visualItemRect(record.List1->item(4)).center();

    record.Text2[4]->setFocus();
    test::typeText(record.Text2[4], QStringLiteral("甲乙"));
    record.Text2[4]->setCaret(1);
    record.Text2[5]->setText(QStringLiteral("不变"));
    QTest::mouseClick(record.List1->viewport(), Qt::LeftButton, Qt::NoModifier, allergy);
    QCOMPARE(record.Text2[4]->text(), QStringLiteral("甲无药物过敏史。乙"));
    QCOMPARE(record.Text2[5]->text(), QStringLiteral("不变"));
    QCOMPARE(record.Text2[4]->caret(), 8);
    QCOMPARE(QApplication::focusWidget(), record.Text2[4]);

    // The search narrows the list by name or initials; a pick maps to its own row.
    test::typeText(record.Text1, QStringLiteral("gxy"));
    QCOMPARE(test::entries(record.List1),
             (QStringList{QStringLiteral("高血压主诉"), QStringLiteral("高血压现病史")}));
    record.Text2[0]->setFocus();
    QTest::mouseClick(record.List1->viewport(), Qt::LeftButton, Qt::NoModifier,
                      record.List1->visualItemRect(record.List1->item(0)).center());
    QCOMPARE(record.Text2[0]->text(), QStringLiteral("发现血压增高3年，头晕2天。"));
    record.Text1->clear();
    test::typeText(record.Text1, QStringLiteral("%"));
    QCOMPARE(record.List1->count(), 0);
}

void TestForm14::citePrescriptionInBothModes() {
    test::RecordFixture f;
    Form2& form = f.form();
    const QString herbal = layOutHerbal(QStringLiteral("桂枝9g白芍9g甘草6g生姜9g")).text;
    form.sheet.R1->setText(herbal);
    Form14& record = f.openRecord();
    record.Text2[kTreatment]->setText(QStringLiteral("处理："));
    record.Text2[kTreatment]->moveCaretToEnd();
    QTest::mouseClick(record.Command2, Qt::LeftButton);
    const QStringList herbalLines = herbal.split(kCrLf);
    QStringList expected;
    for (const QString& line : herbalLines) {
        if (!line.isEmpty())
            expected << line;
    }
    QCOMPARE(expected.size(), 2);
    QCOMPARE(record.Text2[kTreatment]->text(), QStringLiteral("处理：\r\n") + expected.join(kCrLf));
    // Twice cites twice.
    QTest::mouseClick(record.Command2, Qt::LeftButton);
    QCOMPARE(record.Text2[kTreatment]->text(),
             QStringLiteral("处理：\r\n") + expected.join(kCrLf) + kCrLf + expected.join(kCrLf));
    f.closeRecord();

    form.actions().applyLayout(sheetgeometry::Layout::Western);
    form.sheet.R1->setText(QStringLiteral(
        "百乐眠胶囊[0.27g*24粒] 1盒\r\n    用法：口服\r\n\r\n   \r\n维生素C片[0.1g*100片] 1瓶"));
    Form14& western = f.openRecord();
    western.Text2[kTreatment]->setText(QString());
    QTest::mouseClick(western.Command2, Qt::LeftButton);
    QCOMPARE(western.Text2[kTreatment]->text(),
             QStringLiteral(
                 "\r\n百乐眠胶囊[0.27g*24粒] 1盒\r\n    用法：口服\r\n   \r\n维生素C片[0.1g*100片] 1瓶"));
    // Saving in Western mode leaves the item text as it is.
    setHeader(form, kName, QStringLiteral("赵六"));
    const QString items = form.sheet.R1->text();
    QTest::mouseClick(western.Command3, Qt::LeftButton);
    QCOMPARE(form.sheet.R1->text(), items);
    QVERIFY(loadPrescription(*f.sheet.state.mainDb, form.sheet.Label4));
}

void TestForm14::editTemplatesKeepsTheRecordAndOpensTheTemplates() {
    test::RecordFixture f;
    Form14& record = f.openRecord();
    record.Text2[3]->setText(QStringLiteral("吸烟"));
    QTest::mouseClick(record.Command5, Qt::LeftButton);
    QVERIFY(!record.isVisible());
    QCOMPARE(f.navigator.opened, QStringList{QStringLiteral("recordTemplates")});
    QCOMPARE(readCaseRecordText(f.sheet.state.PendingCaseRecord)[3], QStringLiteral("吸烟"));
}

void TestForm14::printWithoutThePrinterNamesItAndShowsThePreview() {
    test::RecordFixture f;
    QVERIFY(writeSettingsRow(*f.sheet.state.mainDb,
                             SettingsRow{{QStringLiteral("打印机2"), QStringLiteral("病历室")},
                                         {QStringLiteral("左边距1"), QStringLiteral("15")}}));
    f.sheet.settings->drop();
    Form14& record = f.openRecord();
    record.Text2[0]->setText(QStringLiteral("咳嗽"));
    record.Text2[kTreatment]->setText(QStringList(12, QStringLiteral("继服")).join(kCrLf));

    // What is printed: the header as shown, the fields, the doctor of the sheet, the record margins.
    const printing::Document document = record.printedRecord();
    QCOMPARE(document.pages.size(), size_t(2));
    QStringList texts;
    for (const printing::TextOp* text : document.texts())
        texts << text->text;
    QVERIFY(texts.contains(record.Label2[0]->text()));
    QVERIFY(texts.contains(QStringLiteral("咳嗽")));
    QVERIFY(texts.contains(QStringLiteral("医师：李明")));
    QVERIFY(texts.contains(QStringLiteral("第 2 页")));
    // The title 5 mm lower than on the window: the stored top margin is 10 mm, 5 mm gives no shift.
    QCOMPARE(document.texts().front()->y, 150.0 + 5 * 56.7);

    QTest::mouseClick(record.Command1, Qt::LeftButton);
    QCOMPARE(f.sheet.messages.shown, QStringList{QStringLiteral("打印机“病历室”没有安装，不能打印。")});
    printing::PreviewWindow* preview = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<printing::PreviewWindow*>(window))
            preview = found;
    }
    QVERIFY(preview);
    QCOMPARE(preview->document().pages.size(), size_t(2));
    delete preview;

    // 打印预览 beside 打印病历 shows the same pages and says nothing.
    QCOMPARE(record.Command6->y(), record.Command1->y());
    QTest::mouseClick(record.Command6, Qt::LeftButton);
    QCOMPARE(f.sheet.messages.shown.size(), 1);
    preview = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        preview = preview ? preview : qobject_cast<printing::PreviewWindow*>(window);
    QVERIFY(preview && preview->windowTitle() == QStringLiteral("打印预览"));
    QCOMPARE(preview->document().pages.size(), size_t(2));
    delete preview;
}

void TestForm14::fieldsWrapWhereThePrintedLinesWrap() {
    test::RecordFixture f;
    Form14& record = f.openRecord();
    // Each field wraps its text at the width its printed lines are counted at: a sunken frame of two
    // pixels took two pixels off every field.
    for (int field = 0; field < kRecordFieldCount; ++field) {
        CrLfTextEdit* edit = record.Text2[static_cast<size_t>(field)];
        const int textWidth = edit->viewport()->width() - 2 * int(edit->document()->documentMargin());
        QCOMPARE(textWidth, recordgeometry::kFields[static_cast<size_t>(field)].width / 15 -
                                2 * printing::kTextBoxMarginPixels);
    }
    std::mt19937 random(20261210);
    int compared = 0;
    for (int round = 0; round < 100; ++round) {
        for (int field = 0; field < kRecordFieldCount; ++field) {
            const QString text = randomRecordText(random);
            CrLfTextEdit* edit = record.Text2[static_cast<size_t>(field)];
            edit->setText(text);
            QApplication::processEvents();
            const QStringList printed = recordFieldLines(record.fields()[static_cast<size_t>(field)], field);
            QCOMPARE(test::shownLines(edit), printed);
            compared += int(printed.size());
        }
    }
    QVERIFY(compared > 1000);
}

QTEST_MAIN(TestForm14)
#include "test_form14.moc"
