// The keys of the prescription window: each does what its button's click does, tooltips name them, the keys
// the sheet already had keep working, and the dose count and the last quantity are reached and left by
// keyboard.

#include "data/prescriptions.h"
#include "data/settingsrow.h"
#include "data/textrules.h"
#include "form2fixture.h"
#include "keyboard.h"
#include "prescription/itemquantity.h"
#include "prescription/lookuprules.h"
#include "prescription/sheetactions.h"
#include "prescription/shortcuts.h"
#include "prescription/toolbar.h"
#include "previews.h"
#include "pricingsupport.h"
#include "printing/printui.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>

using namespace lichuan;
using test::Keyboard;

namespace {

using test::closePreviews;
using test::openPreviews;

// The preview is a window of its own here (the sheet is not inside the main window): once it has closed, the
// sheet is the active window again.
void backToTheSheet(Form2& form) {
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.search.Text1->setFocus();
}

QWidget* focused() {
    return QApplication::focusWidget();
}

// Types search initials and picks the entry that starts with `name`: Enter when it is the only one, else Down
// to it and Enter.
void pickByKeyboard(Keyboard& keys, Form2& form, const QString& initials, const QString& name) {
    keys.type(initials);
    const QStringList list = test::entries(form.search.List1);
    qsizetype row = -1;
    for (qsizetype i = 0; i < list.size() && row < 0; ++i)
        row = list.at(i).startsWith(name) ? i : -1;
    QVERIFY2(row >= 0, qPrintable(initials + QStringLiteral(": ") + list.join(u'|')));
    if (list.size() > 1) {
        keys.press(Qt::Key_Down);
        for (qsizetype i = 0; i < row; ++i)
            keys.press(Qt::Key_Down);
    }
    keys.press(Qt::Key_Return);
}

} // namespace

class TestForm2Keys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toolbarKeysRunTheToolbar();
    void categoryKeysSwitchAndPutTheCaretInTheSearchBox();
    void pricingAndHistoryKeysPressTheirButtons();
    void tooltipsNameTheKeys();
    void keysWorkWhileTypingInEveryField();
    void doseCountIsOnTheEnterRoad();
    void lastQuantityIsSelectedAndEnterReturns();
    void westernLastQuantity();
    void theSheetsOwnKeysStayAsTheyWere();
};

void TestForm2Keys::toolbarKeysRunTheToolbar() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    Keyboard keys;
    keys.press(SheetKey::Save); // the focus is in the empty name field
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("请输入患者姓名！")});

    test::typeField(form, kName, QStringLiteral("张三"));
    form.search.Text1->setFocus();
    keys.press(SheetKey::Save);
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 1);
    QVERIFY(form.state.saved);

    for (SheetKey key : {SheetKey::Log, SheetKey::SaveAsSet, SheetKey::CaseRecord, SheetKey::Statistics,
                         SheetKey::Help, SheetKey::About})
        keys.press(key);
    QCOMPARE(f.navigator.opened,
             (QStringList{QStringLiteral("log"), QStringLiteral("templates:herbal"), QStringLiteral("record"),
                          QStringLiteral("statistics"), QStringLiteral("help"), QStringLiteral("about")}));

    const QString savedKey = form.sheet.Label4;
    f.clock.advanceSeconds(1);
    form.sheet.R1->setText(QStringLiteral("黄芪 10g      "));
    keys.press(SheetKey::Renew);
    QVERIFY(form.sheet.Label4 != savedKey);
    QCOMPARE(form.sheet.Text5[kName]->text(), QStringLiteral("张三"));
    QCOMPARE(form.sheet.R1->text(), QString());
    QCOMPARE(focused(), form.search.Text1);

    f.clock.advanceSeconds(1);
    const QString renewedKey = form.sheet.Label4;
    form.sheet.R1->setText(QStringLiteral("黄芪 10g      "));
    keys.press(SheetKey::Copy);
    QVERIFY(form.sheet.Label4 != renewedKey);
    QCOMPARE(form.sheet.R1->text(), QStringLiteral("黄芪 10g      "));

    keys.press(SheetKey::New);
    QCOMPARE(form.sheet.Text5[kName]->text(), QString());
    QCOMPARE(form.sheet.R1->text(), QString());
    QCOMPARE(focused(), form.sheet.Text5[kName]);
    // The print keys go the ways of 打印 and its right-click menu; none of them stores anything.
    QVERIFY(
        writeSettingsRow(*f.state.mainDb, {{QStringLiteral("处方打印机"), QStringLiteral("诊室打印机")}}));
    f.settings->drop();
    test::typeField(form, kName, QStringLiteral("张三"));
    // The unsaved sheet asks first; 否 prints it as it is.
    f.messages.threeWayAnswer = Messages::Answer::No;
    keys.press(SheetKey::Print);
    QCOMPARE(f.messages.shown.size(), 3);
    QCOMPARE(f.messages.shown.at(1), Toolbar::kSaveBeforePrinting);
    QVERIFY2(f.messages.shown.last().contains(QStringLiteral("诊室打印机")),
             qPrintable(f.messages.shown.last()));
    QCOMPARE(openPreviews().size(), 1);
    closePreviews();
    backToTheSheet(form);
    keys.press(SheetKey::PrintPreview);
    QCOMPARE(openPreviews().size(), 1);
    QCOMPARE(openPreviews().first()->windowTitle(), QStringLiteral("打印预览"));
    closePreviews();
    backToTheSheet(form);
    const QString pdf = f.dir.filePath(QStringLiteral("处方.pdf"));
    f.files.answer = [&f] { return f.dir.filePath(QStringLiteral("处方")); };
    keys.press(SheetKey::ExportPdf);
    QVERIFY(QFileInfo(pdf).size() > 0);
    QCOMPARE(f.messages.shown.size(), 3);
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 1);
}

void TestForm2Keys::categoryKeysSwitchAndPutTheCaretInTheSearchBox() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    Keyboard keys;
    form.sheet.R1->setText(QStringLiteral("黄芪 10g      "));
    struct Step {
        SheetKey key;
        int category;
        bool herbal;
    };
    // Within a mode the sheet stays; 中药 → 西成药 starts a new one (the click does the same).
    for (const Step& step :
         {Step{SheetKey::HerbalFormulas, kHerbalFormulas, true},
          Step{SheetKey::ChargeItems, kChargeItems, true}, Step{SheetKey::Usages, kUsages, true},
          Step{SheetKey::WesternDrugs, kWesternDrugs, false},
          Step{SheetKey::WesternSets, kWesternTemplates, false}, Step{SheetKey::Herbs, kHerbs, true}}) {
        test::typeField(form, kAge, QStringLiteral("35"));
        keys.press(step.key);
        QCOMPARE(form.state.CurrentCategory, step.category);
        QCOMPARE(form.actions().herbalMode(), step.herbal);
        QCOMPARE(focused(), form.search.Text1);
        QVERIFY(form.search.Command1[static_cast<size_t>(step.category)]->font().bold());
        if (step.key == SheetKey::Usages)
            QCOMPARE(form.sheet.R1->text(), QStringLiteral("黄芪 10g      "));
    }
    QCOMPARE(form.sheet.R1->text(), QString());
    QVERIFY(test::entries(form.search.List1).first().endsWith(QStringLiteral("g")));
}

void TestForm2Keys::pricingAndHistoryKeysPressTheirButtons() {
    test::Form2Fixture f;
    test::setPrice(*f.state.mainDb, QStringLiteral("黄芪"), QStringLiteral("0.05"));
    test::setPrice(*f.state.mainDb, QStringLiteral("当归"), QStringLiteral("0.10"));
    for (const auto& [name, drawer] : {std::pair{QStringLiteral("黄芪"), QStringLiteral("B2")},
                                       std::pair{QStringLiteral("当归"), QStringLiteral("A1")}}) {
        Statement update(*f.state.mainDb, QStringLiteral("update [商品] set [斗位] = ? where [名称] = ?"));
        update.bind(1, drawer).bind(2, name);
        QCOMPARE(update.run(), 1);
    }
    Form2& form = f.openActive();
    Keyboard keys;
    test::typeField(form, kName, QStringLiteral("李四"));
    form.sheet.R1->setText(QStringLiteral("黄芪 10g      当归 9g       "));
    form.search.Text1->setFocus();

    keys.press(SheetKey::Settle);
    QCOMPARE(form.sheet.Label5, kSettledMarker);
    QCOMPARE(form.pricing.Lb2[0]->text(), QStringLiteral("黄芪"));
    QCOMPARE(form.pricing.Label16->text(), QStringLiteral("8.40"));
    QCOMPARE(test::statisticsLines(*f.state.statsDb, form.sheet.Label4).size(), 2);
    keys.press(SheetKey::DrawerSort);
    QCOMPARE(form.pricing.Lb2[0]->text(), QStringLiteral("当归"));
    keys.press(SheetKey::UndoSettlement);
    QCOMPARE(form.sheet.Label5, QString());
    QCOMPARE(form.pricing.Lb2[0]->text(), QString());
    QVERIFY(test::statisticsLines(*f.state.statsDb, form.sheet.Label4).isEmpty());
    QCOMPARE(focused(), form.search.Text1);

    // History: the list takes the focus, and an arrow key loads the prescription it moves to.
    HistoryControls& h = form.history;
    keys.press(SheetKey::HistoryFilter);
    QCOMPARE(focused(), h.Text2);
    keys.type(QStringLiteral("zz"));
    keys.press(SheetKey::HistoryQuery);
    QCOMPARE(h.List2->count(), 0);
    QCOMPARE(focused(), h.List2);
    keys.press(SheetKey::TodaysPatients);
    QCOMPARE(h.Text2->text(), QString());
    QCOMPARE(h.List2->count(), 1);
    keys.press(SheetKey::New);
    keys.press(SheetKey::PatientHistory); // empty name: the button does nothing, the list keeps its entries
    QCOMPARE(h.List2->count(), 1);
    QCOMPARE(focused(), h.List2);
    keys.press(SheetKey::HistoryQuery);
    keys.press(Qt::Key_Down);
    QCOMPARE(form.sheet.Text5[kName]->text(), QStringLiteral("李四"));
    keys.press(SheetKey::PreviousDay);
    QCOMPARE(h.Text3->text(), QStringLiteral("2024-02-29"));
    QCOMPARE(h.List2->count(), 0);
    keys.press(SheetKey::NextDay);
    QCOMPARE(h.Text4->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(h.List2->count(), 1);
}

void TestForm2Keys::tooltipsNameTheKeys() {
    test::Form2Fixture f;
    Form2& form = f.open();
    QVERIFY(form.sheet.Text6->toolTip().contains(QStringLiteral("Ctrl+D")));
    // Every toolbar button names its key, and every key of the table is one shortcut of this window.
    for (QLabel* button : form.toolbar.Label18)
        QVERIFY2(button->toolTip().contains(QStringLiteral(" (")), qPrintable(button->objectName()));
    for (const SheetKeyInfo& info : kSheetKeys) {
        QShortcut* shortcut = form.shortcuts().shortcut(info.key);
        QVERIFY(shortcut);
        QCOMPARE(shortcut->key(), QKeySequence(QString::fromLatin1(info.keys)));
        QCOMPARE(shortcut->context(), Qt::WidgetWithChildrenShortcut);
        QCOMPARE(shortcut->parent(), static_cast<QObject*>(&form));
    }
}

void TestForm2Keys::keysWorkWhileTypingInEveryField() {
    // A text field claims the keys it edits with (Ctrl+C, Ctrl+Z, Home …); none of the sheet's keys may be
    // one.
    test::Form2Fixture f;
    Form2& form = f.openActive();
    const QList<QWidget*> editors{form.sheet.Text5[kName], form.sheet.Text5[kDiagnosis],
                                  form.search.Text1,       form.sheet.R1,
                                  form.sheet.Text6,        form.pricing.Lb3[0],
                                  form.pricing.Lb5[0],     form.history.Text2,
                                  form.history.List2,      form.search.List1};
    for (QWidget* editor : editors) {
        for (const SheetKeyInfo& info : kSheetKeys) {
            const QKeyCombination chord = QKeySequence(QString::fromLatin1(info.keys))[0];
            QKeyEvent override(QEvent::ShortcutOverride, chord.key(), chord.keyboardModifiers());
            override.ignore();
            QCoreApplication::sendEvent(editor, &override);
            QVERIFY2(!override.isAccepted(), qPrintable(editor->objectName() + QLatin1Char(' ') + info.keys));
        }
    }
    // And pressed there, a key acts: 西成药 from a priced quantity cell, 中药 from the item text.
    Keyboard keys;
    form.pricing.Lb3[0]->setFocus();
    keys.press(SheetKey::WesternDrugs);
    QCOMPARE(form.state.CurrentCategory, kWesternDrugs);
    form.sheet.R1->setFocus();
    keys.press(SheetKey::Herbs);
    QCOMPARE(form.state.CurrentCategory, kHerbs);
    QCOMPARE(focused(), form.search.Text1);
}

void TestForm2Keys::doseCountIsOnTheEnterRoad() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    form.setFocus(); // as the main window hands the window its focus
    Keyboard keys;
    // The header's Enter walk is as it was: name, sex, age, department, address, date, diagnosis, search box.
    QCOMPARE(focused(), form.sheet.Text5[kName]);
    for (int field : {kSex, kAge, kDepartment, kAddress, kDate, kDiagnosis}) {
        keys.press(Qt::Key_Return);
        QCOMPARE(focused(), form.sheet.Text5[static_cast<size_t>(field)]);
    }
    keys.press(Qt::Key_Return);
    QCOMPARE(focused(), form.search.Text1);

    keys.press(SheetKey::DoseCount);
    QCOMPARE(focused(), form.sheet.Text6);
    QCOMPARE(form.sheet.Text6->selectedText(), QStringLiteral("6"));
    keys.type(QStringLiteral("7"));
    keys.press(Qt::Key_Return);
    QCOMPARE(focused(), form.search.Text1);
    QCOMPARE(form.sheet.Text6->text(), QStringLiteral("7"));
    QCOMPARE(form.pricing.Label17->text(), QStringLiteral("中药剂数：7"));
    QCOMPARE(keys.strokes, 10);

    // A Western sheet has no dose count: the key leaves the caret where it is.
    keys.press(SheetKey::WesternDrugs);
    keys.press(SheetKey::DoseCount);
    QCOMPARE(focused(), form.search.Text1);
    QVERIFY(!form.sheet.Text6->isVisible());
}

void TestForm2Keys::lastQuantityIsSelectedAndEnterReturns() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    Keyboard keys;
    form.search.Text1->setFocus();
    pickByKeyboard(keys, form, QStringLiteral("hq"), QStringLiteral("黄芪"));
    pickByKeyboard(keys, form, QStringLiteral("dg"), QStringLiteral("当归"));
    // Each pick leaves its filler spaces behind the last item, as the herbal layout does.
    auto items = [&form] { return layOutHerbal(form.sheet.R1->text()).items; };
    QCOMPARE(items(), (QStringList{QStringLiteral("黄芪 10g"), QStringLiteral("当归 10g")}));

    const QString twoHerbs = form.sheet.R1->text();
    const std::optional<TextSpan> quantity = lastItemQuantity(twoHerbs, true);
    QVERIFY(quantity);

    keys.press(SheetKey::LastQuantity);
    QCOMPARE(focused(), form.sheet.R1);
    QCOMPARE(form.sheet.R1->textCursor().selectedText(), QStringLiteral("10"));
    keys.type(QStringLiteral("120"));
    keys.press(Qt::Key_Return);
    QCOMPARE(focused(), form.search.Text1);
    // The text is as typed by hand; the next pick goes after the last item, not into the changed one.
    QCOMPARE(form.sheet.R1->text(),
             twoHerbs.left(quantity->start) + QStringLiteral("120") + twoHerbs.mid(quantity->end));
    pickByKeyboard(keys, form, QStringLiteral("gz"), QStringLiteral("桂枝"));
    QCOMPARE(items(), (QStringList{QStringLiteral("黄芪 10g"), QStringLiteral("当归 120g"),
                                   QStringLiteral("桂枝 10g")}));
    const QString threeHerbs = form.sheet.R1->text();

    // Typing elsewhere than the quantity's line, or a click into the text, gives Enter its line break back.
    keys.press(SheetKey::LastQuantity);
    keys.press(Qt::Key_End);
    keys.press(Qt::Key_Return);
    QCOMPARE(focused(), form.search.Text1);
    keys.press(SheetKey::LastQuantity);
    QTest::mouseClick(form.sheet.R1->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    keys.press(Qt::Key_End);
    keys.press(Qt::Key_Return);
    QCOMPARE(focused(), form.sheet.R1);
    QVERIFY(form.sheet.R1->text().endsWith(kCrLf));

    // The text is stored as the save lays it out, exactly as after a change typed by hand.
    test::typeField(form, kName, QStringLiteral("王五"));
    form.search.Text1->setFocus();
    keys.press(SheetKey::Save);
    const auto stored = loadPrescription(*f.state.mainDb, form.sheet.Label4);
    QVERIFY(stored);
    QCOMPARE(stored->items, layOutHerbal(threeHerbs + kCrLf).text);
}

void TestForm2Keys::westernLastQuantity() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    Keyboard keys;
    keys.press(SheetKey::WesternDrugs);
    pickByKeyboard(keys, form, QStringLiteral("amxl"), QStringLiteral("阿莫西林胶囊[0.25g*24]"));
    const QString before = form.sheet.R1->text();
    QVERIFY2(before.contains(QStringLiteral("用法：")), qPrintable(before));
    keys.press(SheetKey::LastQuantity);
    QCOMPARE(form.sheet.R1->textCursor().selectedText(), QStringLiteral("1"));
    keys.type(QStringLiteral("3"));
    keys.press(Qt::Key_Return);
    QCOMPARE(focused(), form.search.Text1);
    const qsizetype firstLineEnd = before.indexOf(kCrLf);
    QCOMPARE(form.sheet.R1->text(),
             before.left(firstLineEnd - 2) + QStringLiteral("3") + before.mid(firstLineEnd - 1));
    QCOMPARE(form.sheet.R1->caret(), form.sheet.R1->text().size());
    // Nothing to select in an empty text: the key does nothing.
    keys.press(SheetKey::New);
    keys.press(SheetKey::LastQuantity);
    QCOMPARE(focused(), form.sheet.Text5[kName]);
}

void TestForm2Keys::theSheetsOwnKeysStayAsTheyWere() {
    test::Form2Fixture f;
    Form2& form = f.openActive();
    Keyboard keys;
    form.search.Text1->setFocus();
    // Digits of the letter pad and Enter with several entries (nothing), Down and Enter (a pick).
    keys.type(QStringLiteral("57"));
    QVERIFY(test::entries(form.search.List1).size() > 1);
    keys.press(Qt::Key_Return);
    QCOMPARE(form.sheet.R1->text(), QString());
    keys.press(Qt::Key_Down);
    QCOMPARE(focused(), form.search.List1);
    keys.press(Qt::Key_Return);
    QVERIFY(!form.sheet.R1->text().isEmpty());
    QCOMPARE(focused(), form.search.Text1);
    // Tab from the item text moves on; Enter in the item text breaks the line.
    form.sheet.R1->setFocus();
    form.sheet.R1->moveCaretToEnd();
    keys.press(Qt::Key_Return);
    QVERIFY(form.sheet.R1->text().endsWith(kCrLf));
    keys.press(Qt::Key_Tab);
    QVERIFY(focused() != form.sheet.R1);
    // Down in the age field does nothing; the dose count's Enter leaves nothing typed behind.
    form.sheet.Text5[kAge]->setFocus();
    keys.press(Qt::Key_Down);
    QCOMPARE(focused(), form.sheet.Text5[kAge]);
}

QTEST_MAIN(TestForm2Keys)
#include "test_form2_keys.moc"
