// The settings window: what it shows on a fresh database, save, cancel, the password change, the pick-up
// ticket's fields and option, and saves the database refuses.

#include "data/settingsrow.h"
#include "prescription/form2fixture.h"
#include "prescription/sheetlink.h"
#include "prescription/toolbar.h"
#include "prescription/typing.h"
#include "printing/printui.h"
#include "settings/form8.h"
#include "settings/settingsform.h"
#include "ui/fieldedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace lichuan;

namespace {

const QStringList kPrinters{QStringLiteral("前台打印机"), QStringLiteral("病历打印机A")};

// A settings window beside a real prescription window, on a store whose start-up printer and system
// default printer differ.
struct SettingsFixture {
    SettingsFixture() : link([this] { return sheet.form.get(); }) {
        sheet.settings =
            std::make_unique<SettingsStore>(sheet.state.mainDb.get(), QStringLiteral("前台打印机"),
                                            [] { return QStringLiteral("系统打印机"); });
        sheet.services = std::make_unique<Services>(Services{sheet.state, *sheet.settings, sheet.clock,
                                                             sheet.messages, sheet.navigator, sheet.files});
        sheet.open();
        services = std::make_unique<Services>(Services{sheet.state, *sheet.settings, sheet.clock,
                                                       sheet.messages, sheet.navigator, sheet.files, &link});
    }
    Form8& open() {
        window = std::make_unique<Form8>(*services, [] { return kPrinters; });
        window->show();
        return *window;
    }
    QString stored(const QString& column) const {
        const auto row = readSettingsRow(*sheet.state.mainDb);
        return row ? row->value(column) : QStringLiteral("<no row>");
    }
    void store(const QString& column, const QString& value) {
        QVERIFY(writeSettingsRow(*sheet.state.mainDb, SettingsRow{{column, value}}));
    }
    static void retype(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        test::typeText(field, text);
    }

    test::Form2Fixture sheet;
    SheetLink link;
    std::unique_ptr<Services> services;
    std::unique_ptr<Form8> window;
};

QStringList items(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class TestForm8 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void freshDatabaseShowsTheStartupPrinter();
    void saveChangesTheTitleAtOnceAndTheDoctorAtTheNextNew();
    void cancelWritesNothing();
    void passwordChange();
    void pickupTicketFieldsAreEditedAndKept();
    void refusedValuesAreNamedAndTheRestIsStored();
    void previewUsesTheMarginsAsTyped();
};

void TestForm8::freshDatabaseShowsTheStartupPrinter() {
    SettingsFixture f;
    Form8& w = f.open();
    for (int i : {1, 2, 3}) {
        QCOMPARE(w.Combo2[static_cast<size_t>(i)]->currentText(), QStringLiteral("前台打印机"));
        QCOMPARE(items(w.Combo2[static_cast<size_t>(i)]), kPrinters);
    }
    // The hidden default printer keeps its stored (empty) value.
    QVERIFY(!w.Combo2[0]->isVisibleTo(&w));
    QCOMPARE(w.Combo2[0]->currentText(), QString());
    QCOMPARE(w.Text1->text(), QStringLiteral("栎川中医诊所"));
    QCOMPARE(w.Text2->text(), QStringLiteral("李明"));
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("宋体"));
    QVERIFY(w.Combo1->count() > 0);
    QCOMPARE(w.Combo3->currentText(), QStringLiteral("14"));
    QCOMPARE(items(w.Combo3), (QStringList{"10", "11", "12", "14", "16"}));
    QCOMPARE(w.Text4->text(), QStringLiteral("10"));
    QCOMPARE(w.Text5->text(), QStringLiteral("20"));

    // Every field has its caption.
    for (QLineEdit* field : {w.Text1, w.Text2, w.Text6, w.Text7, w.Text3, w.Text4, w.Text5, w.Text11,
                             w.Text10, w.Text14, w.Text13, w.Text8, w.Text12}) {
        bool captioned = false;
        for (QLabel* label : w.findChildren<QLabel*>())
            captioned = captioned || label->buddy() == field;
        QVERIFY2(captioned, qPrintable(field->objectName()));
    }

    // A printer typed into the box is kept as typed; saving stores the start-up printer's name.
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QVERIFY(f.sheet.messages.shown.isEmpty());
    QCOMPARE(f.stored(QStringLiteral("处方打印机")), QStringLiteral("前台打印机"));
    QCOMPARE(f.stored(QStringLiteral("打印机2")), QStringLiteral("前台打印机"));
    QCOMPARE(f.stored(QStringLiteral("打印机3")), QStringLiteral("前台打印机"));
    QCOMPARE(f.stored(QStringLiteral("默认打印机")), QString());
}

void TestForm8::saveChangesTheTitleAtOnceAndTheDoctorAtTheNextNew() {
    SettingsFixture f;
    Form2& sheet = *f.sheet.form;
    QCOMPARE(sheet.sheet.Text5[kPhysician]->text(), QStringLiteral("李明"));
    Form8& w = f.open();
    SettingsFixture::retype(w.Text1, QStringLiteral("东关村卫生室"));
    SettingsFixture::retype(w.Text2, QStringLiteral("赵医师"));
    w.Combo2[2]->setFocus();
    w.Combo2[2]->lineEdit()->selectAll();
    test::typeText(w.Combo2[2], QStringLiteral("病历打印机A"));
    QTest::keyClick(w.Combo2[2], Qt::Key_Return);
    QCOMPARE(w.Combo2[2]->count(), kPrinters.size());
    QSignalSpy closed(&w, &QObject::destroyed);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QVERIFY(!w.isVisible());

    QCOMPARE(f.stored(QStringLiteral("单位名称")), QStringLiteral("东关村卫生室"));
    QCOMPARE(f.stored(QStringLiteral("医师")), QStringLiteral("赵医师"));
    QCOMPARE(f.stored(QStringLiteral("打印机2")), QStringLiteral("病历打印机A"));
    // The sheet's title at once, centred in its panel.
    QLabel* title = sheet.sheet.Label2[0];
    QCOMPARE(title->text(), QStringLiteral("东关村卫生室"));
    QVERIFY(qAbs(title->geometry().center().x() - sheet.sheet.Picture2->width() / 2) <= 1);
    // The doctor at the next New, not before.
    QCOMPARE(sheet.sheet.Text5[kPhysician]->text(), QStringLiteral("李明"));
    sheet.toolbarActions().run(Toolbar::New);
    QCOMPARE(sheet.sheet.Text5[kPhysician]->text(), QStringLiteral("赵医师"));
    QCOMPARE(f.sheet.settings->values().recordPrinter, QStringLiteral("病历打印机A"));
}

void TestForm8::cancelWritesNothing() {
    SettingsFixture f;
    const SettingsRow before = *readSettingsRow(*f.sheet.state.mainDb);
    Form8& w = f.open();
    SettingsFixture::retype(w.Text1, QStringLiteral("别的名字"));
    SettingsFixture::retype(w.Text11, QStringLiteral("15"));
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(*readSettingsRow(*f.sheet.state.mainDb), before);
    QVERIFY(!f.sheet.settings->isFilled());
    QCOMPARE(f.sheet.settings->values().clinicName, QStringLiteral("栎川中医诊所"));
    QCOMPARE(f.sheet.form->sheet.Label2[0]->text(), QStringLiteral("栎川中医诊所"));

    // A value changed by another computer is seen once the window has dropped the store.
    f.store(QStringLiteral("医师"), QStringLiteral("钱医师"));
    QCOMPARE(f.sheet.settings->values().doctor, QStringLiteral("李明"));
    f.open().close();
    QCOMPARE(f.sheet.settings->values().doctor, QStringLiteral("钱医师"));
}

void TestForm8::passwordChange() {
    SettingsFixture f;
    f.store(QStringLiteral("密码"), QStringLiteral("Abc"));
    QStringList& shown = f.sheet.messages.shown;
    Form8& w = f.open();

    test::typeText(w.Text8, QStringLiteral("Abc"));
    test::typeText(w.Text12, QStringLiteral("   "));
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    QCOMPARE(shown, QStringList{QStringLiteral("请输入新密码！")});

    // The login accepts either letter case; the change does not.
    SettingsFixture::retype(w.Text8, QStringLiteral("abc"));
    SettingsFixture::retype(w.Text12, QStringLiteral("xyz"));
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    QCOMPARE(shown.last(), QStringLiteral("原密码不正确，无法修改密码！"));
    QCOMPARE(f.stored(QStringLiteral("密码")), QStringLiteral("Abc"));
    QVERIFY(w.isVisible());
    QCOMPARE(w.Text12->text(), QStringLiteral("xyz"));

    // Too long for its column: not stored, and not reported as a success.
    SettingsFixture::retype(w.Text8, QStringLiteral("Abc"));
    SettingsFixture::retype(w.Text12, QString(21, QLatin1Char('p')));
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    QVERIFY(shown.last().contains(QStringLiteral("密码没有修改")));
    QVERIFY(!shown.contains(QStringLiteral("修改密码成功，请牢记新密码！")));
    QCOMPARE(f.stored(QStringLiteral("密码")), QStringLiteral("Abc"));
    QVERIFY(w.isVisible());

    // The other fields are not saved by a password change.
    SettingsFixture::retype(w.Text1, QStringLiteral("不保存的名字"));
    SettingsFixture::retype(w.Text8, QStringLiteral(" Abc "));
    SettingsFixture::retype(w.Text12, QStringLiteral(" Xyz9 "));
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    QCOMPARE(shown.last(), QStringLiteral("修改密码成功，请牢记新密码！"));
    QCOMPARE(f.stored(QStringLiteral("密码")), QStringLiteral("Xyz9"));
    QCOMPARE(f.stored(QStringLiteral("单位名称")), QStringLiteral("栎川中医诊所"));
    QVERIFY(!w.isVisible());
    // Used from the next start: the password of this run stays.
    QCOMPARE(f.sheet.state.LoginPassword, QString());
}

void TestForm8::pickupTicketFieldsAreEditedAndKept() {
    SettingsFixture f;
    f.store(QStringLiteral("左边距2"), QStringLiteral("7.5"));
    f.store(QStringLiteral("上边距2"), QStringLiteral("3"));
    f.store(QStringLiteral("打印机3"), QStringLiteral("取药单机"));
    Form8& w = f.open();
    QCOMPARE(w.Text14->text(), QStringLiteral("7.5"));
    QCOMPARE(w.Text13->text(), QStringLiteral("3"));
    QCOMPARE(w.Combo2[3]->currentText(), QStringLiteral("取药单机"));
    QVERIFY(!w.ticketCheck->isChecked());
    QCOMPARE(w.ticketCheck->text(), QStringLiteral("结算后打印取药单"));

    // Kept through a save of other fields.
    SettingsFixture::retype(w.Text4, QStringLiteral("12"));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QCOMPARE(f.stored(QStringLiteral("左边距")), QStringLiteral("12"));
    QCOMPARE(f.stored(QStringLiteral("左边距2")), QStringLiteral("7.5"));
    QCOMPARE(f.stored(QStringLiteral("上边距2")), QStringLiteral("3"));
    QCOMPARE(f.stored(QStringLiteral("打印机3")), QStringLiteral("取药单机"));
    QCOMPARE(f.stored(QStringLiteral("结算后打印取药单")), QStringLiteral("0"));

    // Edited as the other fields are; the check box by the keyboard beside the ticket printer.
    Form8& again = f.open();
    for (QWidget* ticket :
         std::initializer_list<QWidget*>{again.Combo2[3], again.Text14, again.Text13, again.ticketCheck})
        QVERIFY(ticket->isEnabled());
    SettingsFixture::retype(again.Text14, QStringLiteral("12"));
    SettingsFixture::retype(again.Text13, QStringLiteral("8"));
    again.Combo2[3]->setFocus();
    again.Combo2[3]->lineEdit()->selectAll();
    test::typeText(again.Combo2[3], QStringLiteral("病历打印机A"));
    QTest::keyClick(again.Combo2[3], Qt::Key_Tab);
    QCOMPARE(again.focusWidget(), again.ticketCheck);
    QTest::keyClick(again.ticketCheck, Qt::Key_Space);
    QTest::mouseClick(again.Command1, Qt::LeftButton);
    QCOMPARE(f.stored(QStringLiteral("左边距2")), QStringLiteral("12"));
    QCOMPARE(f.stored(QStringLiteral("上边距2")), QStringLiteral("8"));
    QCOMPARE(f.stored(QStringLiteral("打印机3")), QStringLiteral("病历打印机A"));
    QCOMPARE(f.stored(QStringLiteral("结算后打印取药单")), QStringLiteral("1"));
    QVERIFY(f.sheet.settings->values().printsTicketAfterSettlement());
    QVERIFY(f.open().ticketCheck->isChecked());
}

void TestForm8::refusedValuesAreNamedAndTheRestIsStored() {
    SettingsFixture f;
    Form8& w = f.open();
    const QString longName(51, QChar(0x8BCA));
    w.Text1->setText(longName);
    SettingsFixture::retype(w.Text2, QStringLiteral("孙医师"));
    w.Combo3->setEditText(QStringLiteral("123456"));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QCOMPARE(f.sheet.messages.shown.size(), 1);
    const QString message = f.sheet.messages.shown.first();
    QVERIFY2(message.contains(QStringLiteral("单位名称")) && message.contains(QStringLiteral("处方字体大小")),
             qPrintable(message));
    QVERIFY(!message.contains(QStringLiteral("医师")));
    // Still open with the entries as typed, the rest stored, the title showing what is stored.
    QVERIFY(w.isVisible());
    QCOMPARE(w.Text1->text(), longName);
    QCOMPARE(f.stored(QStringLiteral("单位名称")), QStringLiteral("栎川中医诊所"));
    QCOMPARE(f.stored(QStringLiteral("医师")), QStringLiteral("孙医师"));
    QCOMPARE(f.stored(QStringLiteral("处方字号")), QStringLiteral("14"));
    QCOMPARE(f.sheet.form->sheet.Label2[0]->text(), QStringLiteral("栎川中医诊所"));

    QCOMPARE(settingsSaveMessage(false, {}), QStringLiteral("设置无法写入数据库，没有保存！"));
    QCOMPARE(settingsSaveMessage(true, {}), QString());
}

void TestForm8::previewUsesTheMarginsAsTyped() {
    SettingsFixture f;
    f.sheet.form->sheet.Text5[kName]->setText(QStringLiteral("张三"));
    Form8& w = f.open();
    auto previewed = [&] {
        QTest::mouseClick(w.previewButton, Qt::LeftButton);
        printing::PreviewWindow* preview = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<printing::PreviewWindow*>(window))
                preview = found;
        }
        if (!preview)
            return printing::Document{};
        printing::Document document = preview->document();
        delete preview;
        return document;
    };
    const printing::Document stored = previewed();
    QVERIFY(!stored.isEmpty());
    SettingsFixture::retype(w.Text4, QStringLiteral("25"));
    SettingsFixture::retype(w.Text5, QStringLiteral("20"));
    const printing::Document typed = previewed();
    QCOMPARE(typed.texts().size(), stored.texts().size());
    // 15 mm further right, the same height; nothing was saved.
    QVERIFY(qAbs(typed.texts().front()->x - stored.texts().front()->x - 15 * 56.7) < 0.5);
    QCOMPARE(typed.texts().front()->y, stored.texts().front()->y);
    QCOMPARE(f.stored(QStringLiteral("左边距")), QStringLiteral("10"));
    QVERIFY(f.sheet.messages.shown.isEmpty());
}

QTEST_MAIN(TestForm8)
#include "test_form8.moc"
