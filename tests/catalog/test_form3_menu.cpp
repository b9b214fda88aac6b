// "药物维护(Y)" in the main window's menu opens the real catalog window, centred, and afresh each time.

#include "app/form1.h"
#include "catalog/form3.h"
#include "data/clock.h"
#include "data/defaults.h"
#include "data/schema.h"
#include "prescription/typing.h"
#include "session/messages.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/fieldedit.h"
#include "ui/placement.h"

#include <QMdiArea>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace lichuan;

class TestForm3Menu : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuOpensTheCatalogWindowAfresh();
};

void TestForm3Menu::menuOpensTheCatalogWindowAfresh() {
    QTemporaryDir dir;
    const QDateTime now(QDate(2024, 3, 8), QTime(10, 0));
    ProcessState state;
    state.DataFolder = dir.path();
    state.MainConnStr = dir.filePath("数据库.dat");
    state.StatsConnStr = dir.filePath("用药统计.dat");
    state.mainDb = Database::open(state.MainConnStr, databaseKey(), Database::OpenMode::CreateNew);
    state.statsDb = Database::open(state.StatsConnStr, databaseKey(), Database::OpenMode::CreateNew);
    schema::createMain(*state.mainDb);
    defaults::fillMain(*state.mainDb, now);
    schema::createStatistics(*state.statsDb);
    SettingsStore settings(state.mainDb.get(), "PDF", [] { return QStringLiteral("PDF"); });
    FixedClock clock(now);
    RecordingMessages messages;
    Form1 main(state, settings, clock, messages, Form1::Options{dir.filePath("backup"), {}});
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    auto* action = main.menuBar()->findChild<QAction*>("药物维护");
    QVERIFY(action);
    action->trigger();
    QMdiSubWindow* sub = main.childWindow(Form1::ChildWindow::Catalog);
    QVERIFY(sub);
    auto* form = qobject_cast<Form3*>(sub->widget());
    QVERIFY(form);
    QVERIFY(sub->isVisible());
    QCOMPARE(sub->windowTitle(), QString("药物维护"));
    QCOMPARE(main.mdiArea()->activeSubWindow(), sub);
    QCOMPARE(sub->pos(), centredPosition(main.mdiArea()->viewport()->size(), sub->frameGeometry().size()));
    QCOMPARE(form->controls().Text3[0]->text(), QString());
    // The keyboard is in the search box: typing searches at once.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->controls().Text2));
    QTest::keyClicks(QApplication::focusWidget(), "sg");
    QCOMPARE(form->controls().Text2->text(), QString("sg"));

    // Opened again while open: an unsaved edit is gone, the window starts afresh.
    test::typeText(form->controls().Text3[0], "未保存");
    QCOMPARE(form->controls().Text3[0]->text(), QString("未保存"));
    action->trigger();
    QTRY_VERIFY(main.childWindow(Form1::ChildWindow::Catalog) != sub);
    sub = main.childWindow(Form1::ChildWindow::Catalog);
    form = qobject_cast<Form3*>(sub->widget());
    QVERIFY(form);
    QCOMPARE(form->controls().Text3[0]->text(), QString());
    QCOMPARE(form->currentCategory(), QString("中药"));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->controls().Text2));
}

QTEST_MAIN(TestForm3Menu)
#include "test_form3_menu.moc"
