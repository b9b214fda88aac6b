// The menu 数据维护 and its two windows as the user works with them: the log of what was changed lists,
// filters and reopens prescriptions; a copy is looked into without changing anything, and a restore from the
// window shows the restored data at once; on the server road nothing is restored.

#include "app/form1.h"
#include "app/restorewindow.h"
#include "app/shell.h"
#include "data/audit.h"
#include "data/clock.h"
#include "data/prescriptions.h"
#include "prescription/form2.h"
#include "prescription/historypanel.h"
#include "prescription/toolbar.h"
#include "reports/auditlogwindow.h"
#include "session/appfixtures.h"
#include "session/backup.h"
#include "session/messages.h"
#include "settings/settingsstore.h"
#include "spreadsheet/workbookreader.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

using namespace lichuan;

namespace {

const QDate kToday(2024, 3, 8);

struct Run {
    explicit Run(test::FakeMachine& machine) : clock(QDateTime(kToday, QTime(9, 0))) {
        ShellOptions options;
        options.platform = machine.platform;
        options.backupRoot = machine.path(QStringLiteral("backup"));
        options.hooks.quit = [] {};
        options.hooks.openUrl = [](const QUrl&) { return true; };
        options.files = &files;
        shell = std::make_unique<Shell>(std::move(options), clock, messages);
        shell->start();
        auto* password = shell->loginWindow()->findChild<QLineEdit*>(QStringLiteral("Text1"));
        QTest::keyClicks(password, QStringLiteral("888"));
        QTest::keyClick(password, Qt::Key_Return);
    }
    Form1& main() const { return *shell->mainWindow(); }
    Form2& sheet() const { return *main().prescriptionWindow(); }
    Database& db() const { return *shell->state().mainDb; }
    void trigger(const QString& item) const {
        auto* action = main().menuBar()->findChild<QAction*>(item);
        QVERIFY2(action, qPrintable(item));
        action->trigger();
    }
    template <typename Window> Window* child(Form1::ChildWindow which) const {
        QMdiSubWindow* sub = main().childWindow(which);
        return sub ? qobject_cast<Window*>(sub->widget()) : nullptr;
    }
    // A new sheet for `name`, saved from the toolbar; then saved again with another diagnosis.
    void saveTwice(const QString& name) {
        Form2& form = sheet();
        form.toolbarActions().run(Toolbar::New);
        form.sheet.Text5[kName]->setText(name);
        form.sheet.Text5[kAge]->setText(QStringLiteral("40岁"));
        form.sheet.Text5[kDiagnosis]->setText(QStringLiteral("感冒"));
        form.sheet.R1->setText(QStringLiteral("黄芪 10g"));
        form.toolbarActions().run(Toolbar::Save);
        form.sheet.Text5[kDiagnosis]->setText(QStringLiteral("咳嗽"));
        form.toolbarActions().run(Toolbar::Save);
        clock.advanceSeconds(60);
    }
    void doubleClick(QAbstractItemView* view, int row) const {
        const QRect cell = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }

    FixedClock clock;
    RecordingMessages messages;
    test::ScriptedFileChooser files;
    std::unique_ptr<Shell> shell;
};

QStringList namesListed(const AuditLogWindow& window) {
    QStringList names;
    for (int row = 0; row < window.lineCount(); ++row)
        names << window.line(row).action + QLatin1Char(' ') + window.line(row).name;
    return names;
}

} // namespace

class TestMaintenance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theLogListsFiltersReopensAndExports();
    void aRestoreShowsTheRestoredDataAtOnce();
    void theServerRoadOffersNoRestore();
};

void TestMaintenance::theLogListsFiltersReopensAndExports() {
    if (test::onServer())
        QSKIP("the files' road");
    test::FakeMachine machine;
    Run run(machine);
    QStringList menus;
    for (QAction* action : run.main().menuBar()->actions())
        menus << action->text();
    QCOMPARE(menus.indexOf(QStringLiteral("数据维护(&D)")) + 1,
             menus.indexOf(QStringLiteral("操作帮助(&H)")));
    run.saveTwice(QStringLiteral("O'Neil"));
    run.saveTwice(QStringLiteral("张三"));
    const QString zhangKey = run.sheet().sheet.Label4;
    run.messages.answer = true;
    run.sheet().historyPanel().deleteSheetRecord();

    run.trigger(QStringLiteral("操作记录"));
    AuditLogWindow* log = run.child<AuditLogWindow>(Form1::ChildWindow::AuditLog);
    QVERIFY(log && log->isVisible());
    QCOMPARE(run.main().childWindow(Form1::ChildWindow::AuditLog)->windowTitle(), QStringLiteral("操作记录"));
    QCOMPARE(log->fromDate->text() + log->toDate->text(), QStringLiteral("2024-03-082024-03-08"));
    QCOMPARE(namesListed(*log), (QStringList{"删除 张三", "修改 张三", "修改 O'Neil"}));
    QCOMPARE(log->line(0).station, run.shell->state().StationSuffix);

    // The name filter takes an apostrophe as it is; the whole text of a change names the old item text.
    QTest::keyClicks(log->nameFilter, QStringLiteral("O'"));
    QCOMPARE(namesListed(*log), QStringList{"修改 O'Neil"});
    log->list->setCurrentIndex(log->list->model()->index(0, 0));
    QVERIFY2(log->detail->toPlainText().contains(QStringLiteral("诊断：感冒→咳嗽")) &&
                 log->detail->toPlainText().contains(QStringLiteral("修改前的药品内容：\n黄芪")),
             qPrintable(log->detail->toPlainText()));

    // A double click puts the prescription that still exists on the sheet, as saved.
    run.sheet().toolbarActions().run(Toolbar::New);
    run.doubleClick(log->list, 0);
    QCOMPARE(run.sheet().sheet.Text5[kName]->text(), QStringLiteral("O'Neil"));
    QVERIFY(run.sheet().state.saved);

    // A deleted one comes back, after the question, as a new sheet holding it; saving it stores it again.
    log->nameFilter->clear();
    log->actionFilter->setCurrentText(audit::kDeleted);
    QCOMPARE(namesListed(*log), QStringList{"删除 张三"});
    run.doubleClick(log->list, 0);
    QCOMPARE(run.sheet().sheet.Text5[kDiagnosis]->text(), QStringLiteral("咳嗽"));
    QVERIFY(!run.sheet().state.saved);
    run.sheet().toolbarActions().run(Toolbar::Save);
    QVERIFY(prescriptionExists(run.db(), zhangKey));

    // The export writes what is listed, and is itself noted.
    QTemporaryDir out;
    log->actionFilter->setCurrentIndex(0);
    run.files.answers << out.filePath(QStringLiteral("记录"));
    log->exportLines();
    const spreadsheet::ReadResult read =
        spreadsheet::readFirstSheet(out.filePath(QStringLiteral("记录.xlsx")));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.rows.size(), 2 + qsizetype(log->lineCount()));
    QCOMPARE(spreadsheet::cellAt(read.rows.at(2), 4).toText(), QStringLiteral("张三"));
    log->query();
    QVERIFY(log->line(0).text.endsWith(QStringLiteral("记录.xlsx")));
}

void TestMaintenance::aRestoreShowsTheRestoredDataAtOnce() {
    if (test::onServer())
        QSKIP("the files' road");
    test::FakeMachine machine;
    Run run(machine);
    run.saveTwice(QStringLiteral("李四"));
    QString error;
    QVERIFY2(writeDailyBackup(run.shell->state(), run.shell->backupRoot(), kToday, &error),
             qPrintable(error));
    const QString copy = run.shell->backupRoot() + QStringLiteral("/8日/数据库.dat");
    const QByteArray bytes = test::readBytes(copy);
    run.saveTwice(QStringLiteral("王五"));
    run.saveTwice(QStringLiteral("赵六"));
    // A damaged copy of another day is listed greyed and cannot be chosen.
    QVERIFY(
        test::writeBytes(run.shell->backupRoot() + QStringLiteral("/2日/数据库.dat"), QByteArray(8192, 'x')));
    run.trigger(QStringLiteral("操作记录"));
    QPointer<AuditLogWindow> log = run.child<AuditLogWindow>(Form1::ChildWindow::AuditLog);

    run.trigger(QStringLiteral("恢复备份"));
    RestoreWindow* restore = run.child<RestoreWindow>(Form1::ChildWindow::Restore);
    QVERIFY(restore && restore->isVisible());
    QCOMPARE(run.main().childWindow(Form1::ChildWindow::Restore)->windowTitle(), QStringLiteral("恢复备份"));
    QTRY_VERIFY(!restore->inspecting());
    QCOMPARE(restore->copies().size(), std::size_t(2));
    const int good = restore->copies().front().place == QStringLiteral("8日") ? 0 : 1;
    QCOMPARE(restore->copyTable->item(1 - good, 0)->flags(), Qt::NoItemFlags);
    QVERIFY(restore->copyTable->item(1 - good, 6)->text().startsWith(QStringLiteral("未通过：")));

    // Looked into, the copy puts its prescription on the sheet unsaved and stays as it was.
    restore->selectCopy(good);
    restore->lookIntoSelected();
    QCOMPARE(restore->lookList->count(), 1);
    run.doubleClick(restore->lookList, 0);
    QCOMPARE(run.sheet().sheet.Text5[kName]->text(), QStringLiteral("李四"));
    QVERIFY(!run.sheet().state.saved);
    QCOMPARE(test::readBytes(copy), bytes);

    run.messages.answer = true;
    run.messages.shown.clear();
    restore->restoreSelected();
    QCOMPARE(run.messages.shown.size(), 2);
    QVERIFY2(run.messages.shown.at(0).contains(QStringLiteral("当前数据库：处方 3 张")) &&
                 run.messages.shown.at(0).contains(QStringLiteral("处方 1 张")),
             qPrintable(run.messages.shown.at(0)));
    QVERIFY2(run.messages.shown.at(1).startsWith(QStringLiteral("备份已恢复")),
             qPrintable(run.messages.shown.at(1)));

    // The other windows were closed; a new sheet and the lists read the restored file without a restart.
    QTRY_VERIFY(!log);
    QCOMPARE(test::countRows(run.db(), schema::kArchive), 1);
    Form2& sheet = run.sheet();
    QVERIFY(sheet.sheet.Text5[kName]->text().isEmpty());
    sheet.historyPanel().runQuery();
    QCOMPARE(sheet.history.List2->count(), 1);
    QVERIFY(sheet.history.List2->item(0)->text().startsWith(QStringLiteral("李四")));
    QCOMPARE(run.shell->settings()->values().clinicName, QStringLiteral("栎川中医诊所"));
    run.trigger(QStringLiteral("操作记录"));
    QCOMPARE(run.child<AuditLogWindow>(Form1::ChildWindow::AuditLog)->line(0).action, audit::kRestored);
}

void TestMaintenance::theServerRoadOffersNoRestore() {
    if (!test::onServer())
        QSKIP("needs the test server");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("数据库.dat"));
    test::makeMainFile(path, QStringLiteral("888"));
    ProcessState state;
    state.mainDb = test::openDatabase(path);
    QVERIFY(state.mainDb && state.mainDb->engine() == Database::Engine::Server);
    FixedClock clock(QDateTime(kToday, QTime(9, 0)));
    RecordingMessages messages;
    SettingsStore settings(state.mainDb.get(), QString(), [] { return QString(); });
    Navigator navigator;
    test::ScriptedFileChooser files;
    Services services{state, settings, clock, messages, navigator, files};
    struct : RestoreHost {
        bool closeOtherWindows() override { return asked = true; }
        void reopenWindows() override {}
        bool asked = false;
    } host;
    // The station's daily copy of the server is there to be looked into, not to be restored.
    const QString root = dir.filePath(QStringLiteral("backup"));
    QVERIFY(writeCheckedCopy(*state.mainDb, root + QStringLiteral("/8日/数据库.dat")).isEmpty());

    RestoreWindow window(services, root, host);
    QVERIFY(!window.restoreButton->isVisibleTo(&window));
    QVERIFY(window.noticeLabel->text().contains(QStringLiteral("由其管理员恢复")));
    QTRY_VERIFY(!window.inspecting());
    window.selectCopy(0);
    window.restoreSelected();
    QVERIFY(!host.asked);
    QVERIFY(messages.shown.last().contains(QStringLiteral("由其管理员恢复")));
    window.lookIntoSelected();
    QVERIFY(window.lookList->isEnabled());
}

QTEST_MAIN(TestMaintenance)
#include "test_maintenance.moc"
