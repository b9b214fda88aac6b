// The settings and medical-record windows as the user opens them: from the menu of the main window and
// from the prescription window's toolbar, each time afresh.

#include "app/form1.h"
#include "app/shell.h"
#include "catalog/clinicalrulesgrid.h"
#include "catalog/clinicalruleswindow.h"
#include "data/clinicalrules.h"
#include "data/clock.h"
#include "prescription/form2.h"
#include "prescription/safetypanel.h"
#include "prescription/toolbar.h"
#include "records/form14.h"
#include "session/appfixtures.h"
#include "session/messages.h"
#include "settings/form8.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using namespace lichuan;

namespace {

struct Run {
    explicit Run(test::FakeMachine& machine) : clock(QDateTime(QDate(2024, 3, 8), QTime(9, 0))) {
        ShellOptions options;
        options.platform = machine.platform;
        options.backupRoot = machine.path(QStringLiteral("backup"));
        options.hooks.quit = [] {};
        options.hooks.openUrl = [](const QUrl&) { return true; };
        shell = std::make_unique<Shell>(std::move(options), clock, messages);
        shell->start();
        auto* password = shell->loginWindow()->findChild<QLineEdit*>(QStringLiteral("Text1"));
        QTest::keyClicks(password, QStringLiteral("888"));
        QTest::keyClick(password, Qt::Key_Return);
    }
    Form1& main() const { return *shell->mainWindow(); }
    void trigger(const QString& item) const {
        auto* action = main().menuBar()->findChild<QAction*>(item);
        QVERIFY2(action, qPrintable(item));
        action->trigger();
    }
    template <typename Window> Window* child(Form1::ChildWindow which) const {
        QMdiSubWindow* sub = main().childWindow(which);
        return sub ? qobject_cast<Window*>(sub->widget()) : nullptr;
    }

    FixedClock clock;
    RecordingMessages messages;
    std::unique_ptr<Shell> shell;
};

} // namespace

class TestMenuWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void settingsFromTheMenu();
    void caseRecordFromTheMenuAndTheToolbar();
    void clinicalRulesFromTheMenuReachTheSheet();
};

void TestMenuWindows::settingsFromTheMenu() {
    test::FakeMachine machine;
    Run run(machine);
    run.trigger(QStringLiteral("综合设置"));
    QPointer<Form8> first = run.child<Form8>(Form1::ChildWindow::Settings);
    QVERIFY(first);
    QCOMPARE(run.main().childWindow(Form1::ChildWindow::Settings)->windowTitle(), QStringLiteral("综合设置"));
    QVERIFY(first->isVisible());
    // The start-up printer of this machine fills the printer boxes of a fresh database.
    QCOMPARE(first->Combo2[1]->currentText(), QStringLiteral("前台打印机"));

    // Opened again, it starts afresh: what was typed is gone, nothing was written.
    first->Text1->setText(QStringLiteral("未保存"));
    run.trigger(QStringLiteral("综合设置"));
    QTRY_VERIFY(!first);
    Form8* second = run.child<Form8>(Form1::ChildWindow::Settings);
    QVERIFY(second);
    QCOMPARE(second->Text1->text(), QStringLiteral("栎川中医诊所"));

    // Saving re-titles the prescription sheet at once.
    second->Text1->setText(QStringLiteral("东关村卫生室"));
    QTest::mouseClick(second->Command1, Qt::LeftButton);
    QTRY_VERIFY(!run.main().childWindow(Form1::ChildWindow::Settings));
    QCOMPARE(run.main().prescriptionWindow()->sheet.Label2[0]->text(), QStringLiteral("东关村卫生室"));
}

void TestMenuWindows::caseRecordFromTheMenuAndTheToolbar() {
    test::FakeMachine machine;
    Run run(machine);
    Form2* sheet = run.main().prescriptionWindow();
    QVERIFY(sheet);
    sheet->sheet.Text5[0]->setText(QStringLiteral("张三"));

    run.trigger(QStringLiteral("门诊病历"));
    QPointer<Form14> fromMenu = run.child<Form14>(Form1::ChildWindow::CaseRecord);
    QVERIFY(fromMenu);
    QCOMPARE(run.main().childWindow(Form1::ChildWindow::CaseRecord)->windowTitle(),
             QStringLiteral("门诊病历"));
    QCOMPARE(fromMenu->Label2[0]->text(), QStringLiteral("栎川中医诊所门诊病历"));
    QCOMPARE(fromMenu->Label2[2]->text(), QStringLiteral("姓名：张三"));
    fromMenu->Text2[0]->setText(QStringLiteral("头痛"));

    // The toolbar's "门诊病历" replaces it with a fresh window that shows what was typed.
    QLabel* button = sheet->toolbar.Label18[Toolbar::CaseRecord];
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    QTRY_VERIFY(!fromMenu);
    Form14* fromToolbar = run.child<Form14>(Form1::ChildWindow::CaseRecord);
    QVERIFY(fromToolbar);
    QVERIFY(fromToolbar->isVisible());
    QCOMPARE(fromToolbar->windowTitle(), QStringLiteral("门诊病历"));
    QCOMPARE(fromToolbar->Text2[0]->text(), QStringLiteral("头痛"));
    QCOMPARE(run.main().mdiArea()->activeSubWindow(), run.main().childWindow(Form1::ChildWindow::CaseRecord));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fromToolbar->Text2[0]));

    // Its save stores the record with the prescription.
    QTest::mouseClick(fromToolbar->Command3, Qt::LeftButton);
    QCOMPARE(run.shell->state().PendingCaseRecord, QStringLiteral("头痛$$$$$$$$$$"));
    QVERIFY(run.messages.shown.isEmpty());
    // "关  闭" closes its frame too.
    QTest::mouseClick(fromToolbar->Command4, Qt::LeftButton);
    QTRY_VERIFY(!run.main().childWindow(Form1::ChildWindow::CaseRecord));
}

void TestMenuWindows::clinicalRulesFromTheMenuReachTheSheet() {
    test::FakeMachine machine;
    Run run(machine);
    run.main().showPrescriptionWindow();
    Form2* sheet = run.main().prescriptionWindow();
    QVERIFY(sheet);
    sheet->sheet.Text5[kSex]->setText(QStringLiteral("女"));
    sheet->sheet.R1->setText(QStringLiteral("川乌3g        半夏9g        "));
    QVERIFY(sheet->safety().strip()->accessibleName().contains(QStringLiteral("十八反：川乌—半夏")));

    // Alt+Y in the sheet ticks 妊娠: the menu's 药物维护(Y) does not take the key from it.
    sheet->sheet.R1->setFocus();
    QTest::keyClick(sheet->sheet.R1, Qt::Key_Y, Qt::AltModifier);
    QVERIFY(sheet->safety().pregnant()->isChecked());
    QVERIFY(!run.main().childWindow(Form1::ChildWindow::Catalog));

    run.trigger(QStringLiteral("用药警示维护"));
    auto* rules = run.child<ClinicalRulesWindow>(Form1::ChildWindow::ClinicalRules);
    QVERIFY(rules);
    QCOMPARE(run.main().childWindow(Form1::ChildWindow::ClinicalRules)->windowTitle(),
             QStringLiteral("用药警示维护"));
    rules->selectRow(rules->grid().rowOf(
        clinical::defaultKey(clinical::kEighteen, QStringLiteral("川乌"), QStringLiteral("半夏"))));
    QTest::mouseClick(rules->switchButton, Qt::LeftButton);
    // The sheet's next check goes without the rule switched off.
    sheet->sheet.R1->setText(sheet->sheet.R1->text() + QStringLiteral("黄芪10g       "));
    QVERIFY(!sheet->safety().strip()->accessibleName().contains(QStringLiteral("十八反")));
}

QTEST_MAIN(TestMenuWindows)
#include "test_menu_windows.moc"
