// The running program in-process: login, main window and menu, about window, exit backup, the end of the run.

#include "app/form1.h"
#include "app/form10.h"
#include "app/form9.h"
#include "app/login.h"
#include "app/shell.h"
#include "app/weblinks.h"
#include "captiontable.h"
#include "data/clock.h"
#include "data/defaults.h"
#include "data/settingsrow.h"
#include "prescription/form2.h"
#include "session/appfixtures.h"
#include "session/backup.h"
#include "session/messages.h"
#include "session/startup.h"
#include "ui/fieldedit.h"
#include "ui/picklist.h"
#include "ui/placement.h"
#include "ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using namespace lichuan;

namespace {

QDateTime on(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(18, 30));
}

// One run of the program on a temporary machine, with its ends and browser calls observed.
struct Run {
    explicit Run(test::FakeMachine& machine, const QDateTime& now, QString backupRoot = {}) : clock(now) {
        ShellOptions options;
        options.platform = machine.platform;
        options.backupRoot = backupRoot.isEmpty() ? machine.path(QStringLiteral("backup")) : backupRoot;
        options.hooks.quit = [this] { ++quits; };
        options.hooks.openUrl = [this](const QUrl& address) {
            opened << address;
            return true;
        };
        shell = std::make_unique<Shell>(std::move(options), clock, messages);
        shell->start();
    }

    Form9& login() const { return *shell->loginWindow(); }
    QLineEdit* password() const { return login().findChild<QLineEdit*>(QStringLiteral("Text1")); }

    void logIn(const QString& entry) {
        password()->clear();
        QTest::keyClicks(password(), entry);
        QTest::keyClick(password(), Qt::Key_Return);
    }
    Form1& main() const { return *shell->mainWindow(); }
    Form10* about() {
        logIn(QStringLiteral("888"));
        trigger(QStringLiteral("版本信息"));
        return shell->aboutWindow();
    }
    void trigger(const QString& item) const {
        auto* action = main().menuBar()->findChild<QAction*>(item);
        QVERIFY2(action, qPrintable(item));
        action->trigger();
    }

    FixedClock clock;
    RecordingMessages messages;
    int quits = 0;
    QList<QUrl> opened;
    std::unique_ptr<Shell> shell;
};

QString storedPassword(const QString& mainFile) {
    auto db = Database::open(mainFile, databaseKey(), Database::OpenMode::ExistingOnly);
    if (!db)
        return QStringLiteral("<unreadable>");
    const auto row = readSettingsRow(*db);
    return row ? row->value(QStringLiteral("密码")) : QStringLiteral("<no row>");
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captions_data();
    void captions();
    void passwordRules_data();
    void passwordRules();
    void loginWindow();
    void loginHintFollowsStoredPassword();
    void noReadableSettingsRowLetsNobodyIn_data();
    void noReadableSettingsRowLetsNobodyIn();
    void emptiedMainFileNeverReplacesTheDaysBackup();
    void cancellingLoginEndsTheProgram();
    void menuItemsAndCaptions();
    void mainWindowLook();
    void prescriptionWindowStaysCentredAndComesBack();
    void aboutFromMenuOpensAfreshAndOnlyCloses();
    void webAddressesAreConsistent();
    void exitBacksUpThenAboutEndsTheRun();
    void exitGoesOnWhenNoBackupCanBeWritten();
    void childThatKeepsItselfOpenCancelsTheExit();
    void copiesAreReadAheadWhileTheLoginWaits_data();
    void copiesAreReadAheadWhileTheLoginWaits();
    void wholeRun();
};

void TestShell::captions_data() {
    test::captionColumns<Run>();
    const auto row = test::captionRow<Run>;
    row("登录", "登录", [](Run& r) { return r.login().windowTitle(); });
    row("登录 Command1", "确  定", [](Run& r) { return test::textOf(&r.login(), "Command1"); });
    row("登录 Command2", "取  消", [](Run& r) { return test::textOf(&r.login(), "Command2"); });
    row("登录 lblVersion", "请输入登录密码", [](Run& r) { return test::textOf(&r.login(), "lblVersion"); });
    row("登录 Label2", "栎川", [](Run& r) { return test::textOf(&r.login(), "Label2"); });
    row("关于 Command2", "操作帮助", [](Run& r) { return test::textOf(r.about(), "Command2"); });
    row("关于 Label4", "版本：V8.0", [](Run& r) { return test::textOf(r.about(), "Label4"); });
}

void TestShell::captions() {
    QFETCH(test::Caption<Run>, caption);
    QFETCH(QString, expected);
    test::FakeMachine machine;
    Run run(machine, on(2024, 3, 8));
    QCOMPARE(caption(run), expected);
}

void TestShell::passwordRules_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("matches");
    QTest::newRow("same") << "888"
                          << "888" << true;
    QTest::newRow("case ignored") << "secret"
                                  << "SeCrEt" << true;
    QTest::newRow("upper typed") << "ABC1"
                                 << "abc1" << true;
    QTest::newRow("spaces around entry") << "  abc1 "
                                         << "abc1" << true;
    QTest::newRow("spaces around stored") << "abc1"
                                          << " ABC1  " << true;
    QTest::newRow("inner space counts") << "ab c1"
                                        << "abc1" << false;
    QTest::newRow("tab is not a space") << "\tabc1"
                                        << "abc1" << false;
    QTest::newRow("wrong") << "889"
                           << "888" << false;
    QTest::newRow("empty entry, stored set") << ""
                                             << "888" << false;
    QTest::newRow("empty stored, empty entry") << ""
                                               << "" << true;
    QTest::newRow("empty stored, spaces entry") << "   "
                                                << "" << true;
    QTest::newRow("empty stored, text entry") << "888"
                                              << "" << false;
    QTest::newRow("chinese") << "中药"
                             << "中药" << true;
}

void TestShell::passwordRules() {
    QFETCH(QString, entry);
    QFETCH(QString, stored);
    QFETCH(bool, matches);
    QCOMPARE(passwordMatches(entry, stored), matches);
}

void TestShell::loginWindow() {
    test::FakeMachine machine;
    Run run(machine, on(2024, 3, 8));
    Form9& login = run.login();
    QVERIFY(login.isVisible());
    QVERIFY2(!login.inherits("QDialog"), "a dialog would close on Esc and press a default button on Enter");
    QCOMPARE(run.password()->echoMode(), QLineEdit::Password);

    // A wrong entry: the message, the window stays, the entry stays for another try.
    QTest::keyClicks(run.password(), QStringLiteral("887"));
    QTest::keyClick(run.password(), Qt::Key_Return);
    QCOMPARE(run.messages.shown, QStringList{QStringLiteral("密码错误！")});
    QVERIFY(login.isVisible());
    QCOMPARE(run.password()->text(), QStringLiteral("887"));
    QCOMPARE(run.password()->displayText(), QStringLiteral("***"));
    QVERIFY(!run.shell->mainWindow());

    // Esc does not close the window, and nothing ends.
    QTest::keyClick(run.password(), Qt::Key_Escape);
    QVERIFY(login.isVisible());
    QCOMPARE(run.quits, 0);

    // The confirm button, focused, answers Enter too.
    run.password()->setText(QStringLiteral(" 888 "));
    auto* confirm = login.findChild<QPushButton*>(QStringLiteral("Command1"));
    QTest::keyClick(confirm, Qt::Key_Return);
    QVERIFY(!login.isVisible());
    QVERIFY(run.shell->mainWindow());
    QVERIFY(run.main().isVisible());
    QVERIFY(run.main().isMaximized());
    QCOMPARE(run.messages.shown.size(), 1);
    QCOMPARE(run.quits, 0);
}

void TestShell::loginHintFollowsStoredPassword() {
    {
        test::FakeMachine machine;
        Run run(machine, on(2024, 3, 8));
        QCOMPARE(run.shell->state().LoginPassword, defaults::kPassword);
        auto* hint = run.login().findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(hint->text(), QStringLiteral("(原始密码：888)"));
        QVERIFY(hint->isVisible());
    }
    {
        // Changed (even only in case): no hint; the stored case does not matter for the entry.
        test::FakeMachine machine;
        test::makeMainFile(machine.path(QStringLiteral("c/中医处方数据库/数据库.dat")),
                           QStringLiteral("Tcm2024"));
        test::makeStatsFile(machine.path(QStringLiteral("c/中医处方数据库/用药统计.dat")));
        Run run(machine, on(2024, 3, 8));
        QCOMPARE(run.shell->state().LoginPassword, QStringLiteral("Tcm2024"));
        QVERIFY(run.login().findChild<QLabel*>(QStringLiteral("Label1"))->isHidden());
        run.logIn(QStringLiteral("888"));
        QCOMPARE(run.messages.shown, QStringList{QStringLiteral("密码错误！")});
        run.logIn(QStringLiteral("tcm2024"));
        QVERIFY(run.shell->mainWindow() && run.main().isVisible());
    }
}

void TestShell::noReadableSettingsRowLetsNobodyIn_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a database") << QStringLiteral("garbage");
    QTest::newRow("emptied main file") << QStringLiteral("empty");
    QTest::newRow("tables without the settings row") << QStringLiteral("no-settings");
}

void TestShell::noReadableSettingsRowLetsNobodyIn() {
    // Without a settings row there is no password: the program says the database cannot be used and ends,
    // instead of letting an empty entry in.
    QFETCH(QString, kind);
    test::FakeMachine machine;
    const QString mainFile = machine.path(QStringLiteral("c/中医处方数据库/数据库.dat"));
    if (kind == QLatin1String("garbage")) {
        QVERIFY(test::writeBytes(mainFile, QByteArray(4096, 'x')));
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(test::writeBytes(mainFile, QByteArray()));
    } else {
        QDir().mkpath(QFileInfo(mainFile).path());
        auto db = test::createDatabase(mainFile);
        QVERIFY(db);
        schema::createMain(*db);
    }
    Run run(machine, on(2024, 3, 8));
    QVERIFY(!run.shell->loginWindow());
    QVERIFY(!run.shell->mainWindow());
    QCOMPARE(run.quits, 1);
    QCOMPARE(run.messages.shown.size(), 2);
    QVERIFY(run.messages.shown.at(0).contains(mainFile));
    QVERIFY2(run.messages.shown.at(1).startsWith(QStringLiteral("数据库无法使用，程序将退出。")),
             qPrintable(run.messages.shown.at(1)));
}

void TestShell::emptiedMainFileNeverReplacesTheDaysBackup() {
    test::FakeMachine machine;
    const QString backupRoot = machine.path(QStringLiteral("备份"));
    const QString mainFile = machine.path(QStringLiteral("c/中医处方数据库/数据库.dat"));
    {
        Run run(machine, on(2024, 3, 8), backupRoot);
        run.logIn(QStringLiteral("888"));
        QVERIFY(run.main().close());
    }
    const QString copy = backupRoot + QStringLiteral("/8日/数据库.dat");
    const QByteArray good = test::readBytes(copy);
    QCOMPARE(storedPassword(copy), defaults::kPassword);

    // The main file is emptied; the next run that day ends at start-up and the day's copy stays as it was.
    QVERIFY(test::writeBytes(mainFile, QByteArray()));
    Run run(machine, on(2024, 3, 8), backupRoot);
    QVERIFY(!run.shell->loginWindow());
    QCOMPARE(run.quits, 1);
    QVERIFY(run.messages.shown.last().contains(QDir::toNativeSeparators(backupRoot)));
    QCOMPARE(test::readBytes(copy), good);
    QCOMPARE(QFileInfo(mainFile).size(), 0); // and the emptied file is left for the user to replace
}

void TestShell::cancellingLoginEndsTheProgram() {
    test::FakeMachine machine;
    {
        Run run(machine, on(2024, 3, 8));
        QTest::mouseClick(run.login().findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(run.quits, 1);
        QVERIFY(!run.login().isVisible());
        QVERIFY(!run.shell->mainWindow());
    }
    {
        Run run(machine, on(2024, 3, 8));
        run.login().close(); // the title bar's close button
        QCOMPARE(run.quits, 1);
    }
    QVERIFY2(!QDir(machine.path(QStringLiteral("backup"))).exists(), "no backup without the main window");
}

void TestShell::menuItemsAndCaptions() {
    test::FakeMachine machine;
    Run run(machine, on(2024, 3, 8));
    run.logIn(QStringLiteral("888"));
    // Every menu's items in order, as "object name=caption"; the letter after & is the access key.
    const auto items = [](const QList<QAction*>& actions) {
        QStringList named;
        for (const QAction* action : actions)
            named << action->objectName() + QLatin1Char('=') + action->text();
        return named;
    };
    QCOMPARE(run.main().windowTitle(), QStringLiteral("栎川 V8.0"));
    const QList<QAction*> top = run.main().menuBar()->actions();
    QCOMPARE(items(top),
             (QStringList{"综合设置=综合设置(&S)", "药物维护=药物维护(&Y)", "模板维护=模板维护(&M)",
                          "开具处方=处方录入(&C)", "门诊病历=门诊病历(&B)", "业务统计=业务统计(&T)",
                          "日志报表=门诊日志(&Z)", "用药统计=用药统计(&J)", "数据维护=数据维护(&D)",
                          "帮助=操作帮助(&H)"}));
    const auto menu = [&](int index) {
        return top[index]->menu() ? items(top[index]->menu()->actions()) : QStringList();
    };
    QCOMPARE(menu(2), (QStringList{"个人模板=中药方剂\\西成药组套", "病历模板=病历模板维护",
                                   "添加常用地址=添加常用地址", "诊断名称=添加常用诊断",
                                   "用药警示维护=用药警示维护"}));
    QCOMPARE(menu(8), (QStringList{"恢复备份=恢复备份…", "操作记录=操作记录…"}));
    QCOMPARE(menu(9), (QStringList{"操作帮助=操作帮助", "访问作者主页=访问作者主页", "版本信息=版本信息"}));
}

void TestShell::mainWindowLook() {
    test::FakeMachine machine;
    Run run(machine, on(2024, 3, 8));
    run.logIn(QStringLiteral("888"));
    Form1& main = run.main();
    QCOMPARE(main.mdiArea()->background().color(), QColor(144, 163, 178));
    QCOMPARE(main.minimumSize(), twips::size(15630, 10950));
    main.showNormal();
    main.resize(400, 300);
    QCOMPARE(main.size(), twips::size(15630, 10950));
}

void TestShell::prescriptionWindowStaysCentredAndComesBack() {
    test::FakeMachine machine;
    Run run(machine, on(2024, 3, 8));
    run.logIn(QStringLiteral("888"));
    Form1& main = run.main();
    QMdiArea* area = main.mdiArea();
    QPointer<QMdiSubWindow> sub = main.prescriptionSubWindow();
    QVERIFY(sub);
    QVERIFY(sub->isVisible());
    QVERIFY(qobject_cast<Form2*>(sub->widget()));
    // The sub-window holds the whole fixed-size sheet window.
    QVERIFY(sub->width() > sub->widget()->width() && sub->height() > sub->widget()->height());

    auto isCentred = [&] {
        return sub->pos() == centredPosition(area->viewport()->size(), sub->frameGeometry().size());
    };
    QVERIFY(isCentred());
    main.showNormal();
    for (const QSize& size : {QSize(1400, 1000), QSize(1100, 760), QSize(1600, 1200)}) {
        main.resize(size);
        QCoreApplication::processEvents();
        QVERIFY2(isCentred(), qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
    }

    // Showing it again keeps the same window and its content.
    Form2* sheet = main.prescriptionWindow();
    run.trigger(QStringLiteral("开具处方"));
    QCOMPARE(main.prescriptionWindow(), sheet);

    // Closed by the user: a resize brings it back hidden, "处方录入(C)" shows it, centred.
    sub->close();
    QTRY_VERIFY(!sub);
    main.resize(1500, 1100);
    QCoreApplication::processEvents();
    sub = main.prescriptionSubWindow();
    QVERIFY(sub);
    QVERIFY(!sub->isVisible());
    QVERIFY(main.prescriptionWindow() != nullptr);
    run.trigger(QStringLiteral("开具处方"));
    QVERIFY(sub->isVisible());
    QVERIFY(isCentred());
    QCOMPARE(area->activeSubWindow(), sub.data());
}

void TestShell::aboutFromMenuOpensAfreshAndOnlyCloses() {
    test::FakeMachine machine;
    Run run(machine, on(2024, 3, 8));
    QPointer<Form10> first = run.about();
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->windowTitle(), QStringLiteral("关于"));
    QVERIFY(run.shell->state().AboutFromMenu);

    run.trigger(QStringLiteral("版本信息"));
    QPointer<Form10> second = run.shell->aboutWindow();
    QVERIFY(second && second != first);
    QVERIFY(second->isVisible());
    QTRY_VERIFY(!first); // the old one is discarded, without ending anything
    QCOMPARE(run.quits, 0);
    QVERIFY(run.shell->state().AboutFromMenu);

    second->close();
    QVERIFY(!run.shell->state().AboutFromMenu);
    QCOMPARE(run.quits, 0);
    QTRY_VERIFY(!second);
    QVERIFY(run.main().isVisible());

    // The prescription window asks through the navigator: the same rule.
    static_cast<Navigator&>(run.main()).openAbout();
    QPointer<Form10> third = run.shell->aboutWindow();
    QVERIFY(third && third->isVisible());
    QVERIFY(run.shell->state().AboutFromMenu);
    third->close();
    QCOMPARE(run.quits, 0);
}

void TestShell::webAddressesAreConsistent() {
    const QUrl home(weblinks::homePage());
    const QUrl download(weblinks::downloadPage());
    for (const QUrl& address : {home, download}) {
        QVERIFY2(address.isValid() && address.scheme() == QStringLiteral("http"),
                 qPrintable(address.toString()));
        QVERIFY(address.host().endsWith(QStringLiteral(".example")));
    }
    QVERIFY(home != download);

    // The help page is a real page beside the program in the build tree.
    const QString page = weblinks::findHelpPage(QStringLiteral(LICHUAN_BUILD_DIR));
    QCOMPARE(page, QStringLiteral(LICHUAN_BUILD_DIR "/help/index.html"));
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (const char* topic :
         {"登录", "/mnt/", "中医处方数据库备份", "fcitx5-frontend-qt6", "ibus", "剂数", "划价结算"})
        QVERIFY2(html.contains(QString::fromUtf8(topic)), topic);
    // An installed program finds it under share/lichuan/help.
    QTemporaryDir prefix;
    QDir().mkpath(prefix.filePath(QStringLiteral("bin")));
    QDir().mkpath(prefix.filePath(QStringLiteral("share/lichuan/help")));
    QVERIFY(QFile::copy(page, prefix.filePath(QStringLiteral("share/lichuan/help/index.html"))));
    QCOMPARE(weblinks::findHelpPage(prefix.filePath(QStringLiteral("bin"))),
             prefix.filePath(QStringLiteral("share/lichuan/help/index.html")));

    // Menu, about window and its link open the same addresses.
    test::FakeMachine machine;
    Run run(machine, on(2024, 3, 8));
    Form10* about = run.about();
    run.trigger(QStringLiteral("访问作者主页"));
    auto* link = about->findChild<QLabel*>(QStringLiteral("Label7"));
    QCOMPARE(link->text(), home.toString());
    QTest::mouseClick(link, Qt::LeftButton);
    QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
    QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(run.opened, (QList<QUrl>{home, home, home, download}));
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("Label8"))->palette().color(QPalette::Window),
             QColor(75, 121, 198));
}

void TestShell::exitBacksUpThenAboutEndsTheRun() {
    test::FakeMachine machine;
    const QString backupRoot = machine.path(QStringLiteral("备份"));
    const QString mainFile = machine.path(QStringLiteral("c/中医处方数据库/数据库.dat"));
    for (const QDateTime& when : {on(2024, 3, 1), on(2024, 3, 31)}) {
        Run run(machine, when, backupRoot);
        run.logIn(QStringLiteral("888"));
        run.trigger(QStringLiteral("版本信息")); // an about window open on demand is replaced at exit
        QVERIFY(run.main().close());
        QVERIFY(!run.main().isVisible());
        QVERIFY(!run.main().prescriptionSubWindow() || !run.main().prescriptionSubWindow()->isVisible());
        const QString copy = dailyBackupFolder(backupRoot, when.date()) + QStringLiteral("/数据库.dat");
        QVERIFY2(QFile::exists(copy), qPrintable(copy));
        QCOMPARE(storedPassword(copy), defaults::kPassword);
        Form10* about = run.shell->aboutWindow();
        QVERIFY(about && about->isVisible());
        QVERIFY(!run.shell->state().AboutFromMenu);
        QCOMPARE(run.quits, 0);
        about->close();
        QCOMPARE(run.quits, 1);
    }
    QVERIFY(QFile::exists(backupRoot + QStringLiteral("/1日/数据库.dat")));
    QVERIFY(QFile::exists(backupRoot + QStringLiteral("/31日/数据库.dat")));

    // A second close on the same day number replaces that day's copy with the newer state.
    {
        auto db = Database::open(mainFile, databaseKey(), Database::OpenMode::ExistingOnly);
        QVERIFY(db);
        QVERIFY(writeSettingsRow(*db, {{QStringLiteral("密码"), QStringLiteral("new1")}}));
    }
    Run again(machine, on(2024, 4, 1), backupRoot);
    again.logIn(QStringLiteral("NEW1"));
    QVERIFY(again.main().close());
    QCOMPARE(storedPassword(backupRoot + QStringLiteral("/1日/数据库.dat")), QStringLiteral("new1"));
    QCOMPARE(storedPassword(backupRoot + QStringLiteral("/31日/数据库.dat")), defaults::kPassword);
    QCOMPARE(QDir(backupRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
}

void TestShell::exitGoesOnWhenNoBackupCanBeWritten() {
    test::FakeMachine machine;
    // The backup folder's place is taken by a file: no folder, no copy.
    const QString blocked = machine.path(QStringLiteral("blocked"));
    QVERIFY(test::writeBytes(blocked, "not a folder"));
    Run run(machine, on(2024, 3, 8), blocked);
    run.logIn(QStringLiteral("888"));
    run.messages.shown.clear();
    QVERIFY(run.main().close());
    // The user is told that no copy was made; the program still ends as usual.
    QCOMPARE(run.messages.shown.size(), 1);
    QVERIFY2(run.messages.shown.first().startsWith(QStringLiteral("数据库未能备份：")),
             qPrintable(run.messages.shown.first()));
    QVERIFY(QFileInfo(blocked).isFile());
    Form10* about = run.shell->aboutWindow();
    QVERIFY(about && about->isVisible());
    about->close();
    QCOMPARE(run.quits, 1);
}

namespace {
// A child window that refuses to close while it holds unsaved work.
class Unsaved final : public QWidget {
public:
    bool keep = true;

protected:
    void closeEvent(QCloseEvent* event) override { keep ? event->ignore() : event->accept(); }
};
} // namespace

void TestShell::childThatKeepsItselfOpenCancelsTheExit() {
    test::FakeMachine machine;
    Run run(machine, on(2024, 3, 8));
    run.logIn(QStringLiteral("888"));
    auto* unsaved = new Unsaved;
    run.main().mdiArea()->addSubWindow(unsaved)->show();
    QVERIFY(!run.main().close());
    QVERIFY(run.main().isVisible());
    QVERIFY(!QDir(machine.path(QStringLiteral("backup"))).exists());
    QVERIFY(!run.shell->aboutWindow());
    QVERIFY(run.main().prescriptionSubWindow() && run.main().prescriptionSubWindow()->isVisible());

    unsaved->keep = false;
    QVERIFY(run.main().close());
    QVERIFY(QDir(machine.path(QStringLiteral("backup/8日"))).exists());
    QVERIFY(run.shell->aboutWindow());
}

void TestShell::copiesAreReadAheadWhileTheLoginWaits_data() {
    QTest::addColumn<bool>("waitForIt");
    QTest::newRow("password typed after the copies were read") << true;
    QTest::newRow("password typed at once") << false;
}

void TestShell::copiesAreReadAheadWhileTheLoginWaits() {
    QFETCH(bool, waitForIt);
    test::FakeMachine machine;
    {
        Run first(machine, on(2024, 3, 8));
        Database& main = *first.shell->state().mainDb;
        Transaction transaction(main);
        for (int i = 0; i < 3000; ++i) {
            Statement insert(main,
                             QStringLiteral("insert into [患者信息]([序号],[姓名],[年龄]) values(?,?,?)"));
            const QString name = i % 100 == 0 ? QStringLiteral("张三") : QStringLiteral("李%1").arg(i);
            insert.bind(1, name + QStringLiteral("zs") + QString::number(1950 + i % 50))
                .bind(2, name)
                .bind(3, QString::number(1950 + i % 50));
            insert.run();
        }
        transaction.commit();
    }
    Run run(machine, on(2024, 3, 8));
    QVERIFY(run.shell->readingAhead()); // from the login window on
    QSignalSpy finished(run.shell.get(), &Shell::readAheadFinished);
    if (waitForIt)
        QVERIFY(finished.wait(20000));
    run.logIn(QStringLiteral("888"));
    QVERIFY(run.messages.shown.isEmpty());
    Form2* form = run.main().prescriptionWindow();
    QVERIFY(form && form->isVisible());
    FieldEdit* name = form->sheet.Text5[kName];
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("张三"));
    QCoreApplication::sendEvent(name, &typed);
    QCOMPARE(form->sheet.List5->count(), 30);
    QCOMPARE(form->sheet.List5->text(0), QStringLiteral("张三[74岁]"));
    QTRY_VERIFY(!run.shell->readingAhead());
    QCOMPARE(finished.count(), 1);
}

void TestShell::wholeRun() {
    test::FakeMachine machine;
    Run run(machine, on(2024, 2, 29));
    QVERIFY(QFile::exists(machine.path(QStringLiteral("c/中医处方数据库/数据库.dat"))));
    QVERIFY(run.shell->settings());
    QVERIFY(QTest::qWaitForWindowExposed(&run.login()));
    run.logIn(QStringLiteral("888"));
    QVERIFY(QTest::qWaitForWindowExposed(&run.main()));
    QVERIFY(run.main().prescriptionSubWindow()->isVisible());
    run.main().close();
    QVERIFY(QFile::exists(machine.path(QStringLiteral("backup/29日/数据库.dat"))));
    QVERIFY(QTest::qWaitForWindowExposed(run.shell->aboutWindow()));
    run.shell->aboutWindow()->close();
    QCOMPARE(run.quits, 1);
    QVERIFY(run.messages.shown.isEmpty());
}

QTEST_MAIN(TestShell)
#include "test_shell.moc"
