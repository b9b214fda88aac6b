// The first minutes of the day as the doctor meets them: the program started on files (or a server) that
// hold years of data and that nothing has read yet, the login window, the password typed, Enter, the
// prescription window, the first patient's name, the first item, the history's 查询 with a name part.
// Each iteration is a new program (Shell) on the same data. Its counters are the doctor's waits, each as
// wall time (_ms) and as the processor time of the program's thread (_cpu, which says more on a busy
// machine):
//
//   start           start-up (both databases opened) until the login window is shown
//   login_key_ms    the longest wait of a key typed into the password field
//   enter           Enter in the password field until the prescription window is shown, its lists filled
//   name_key1       the first character of the name (no list yet)
//   name_key2       the second character: the first patient suggestions
//   search_key      the first key in the search box: the pick list of the herbs
//   history         查询 with one character of a name over ten years: query and list
//   history_again   the same 查询 once more (the pages it reads are in the engine's cache now)
//   usage           (twenty years) the drug usage statistics of the last month, query and sums
//   ahead_ms        when, after the login window was shown, the copies the lists search had all been read
//                   ahead (-1: not by the end of the run)
//   page_cache_MB, heap_MB, VmRSS_MB, VmHWM_MB  what the process holds at the end
//
// Paces: "doctor" waits as a person does between the steps (the password typed in about a second, a moment
// before the name and the item); "settled" the same, but confirms the password only once the copies have
// been read (a computer that is busy with nothing else); "at_once" presses every key as soon as the last one
// is done, the worst case for reading ahead. The files are written once into the temp folder and kept
// (twenty years take many minutes); the server runs start a throwaway cluster of their own with
// tests/server/pgcluster.sh and copy the ten-year files into it. Run a twenty-year run alone
// (--benchmark_filter=twenty_years_settled) for its resident size without what other runs left behind.
//
// BM_TwentyYears_*: the data functions behind the lists on twenty years once their copies are read, each
// beside the plain query the program used before it kept copies, and every keystroke path of the
// prescription window (the text changed, the list filled and painted).

#include "app/form1.h"
#include "app/form9.h"
#include "app/shell.h"
#include "clinicfiles.h"
#include "data/catalog.h"
#include "data/clock.h"
#include "data/dates.h"
#include "data/engine_file.h"
#include "data/lookups.h"
#include "data/prescriptions.h"
#include "data/readahead.h"
#include "data/reports.h"
#include "data/transfer.h"
#include "prescription/form2.h"
#include "session/messages.h"
#include "session/services.h"
#include "settings/settingsstore.h"
#include "ui/appearance.h"
#include "ui/fieldedit.h"
#include "ui/filechooser.h"
#include "ui/picklist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <malloc.h>
#include <memory>
#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

using namespace lichuan;

namespace {

const char* const kClusterFolder = "/tmp/lichuan-bench-firstuse-pg";

// Doctor: a person's pauses (the password typed in about a second, a moment before the name and the item).
// Settled: the same, but the password is confirmed only once the copies have been read ahead (as on a
// computer that is not busy with anything else). AtOnce: every key as soon as the last one is done.
enum class Pace { Doctor, Settled, AtOnce };

// Lets the program run for `ms` as it does while the doctor is busy elsewhere.
void idle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double msSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The wall time of a step and the processor time the program's thread spent on it (on a busy machine the
// second says more).
struct Wait {
    double wall = 0;
    double cpu = 0;
    Wait& operator+=(const Wait& o) {
        wall += o.wall;
        cpu += o.cpu;
        return *this;
    }
};

class Stopwatch {
public:
    Stopwatch() { restart(); }
    void restart() {
        wall_.start();
        cpu_ = threadCpuMs();
    }
    Wait read() const { return {msSince(wall_), threadCpuMs() - cpu_}; }

private:
    QElapsedTimer wall_;
    double cpu_ = 0;
};

// Commits Chinese text as an input method does.
void commitText(QWidget* widget, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(widget, &event);
}

// How long key presses posted to a widget wait until the widget gets them.
class KeyWaits : public QObject {
public:
    explicit KeyWaits(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
    // Posts a key press from a timer, as the window system delivers keys: between other events.
    void post(Qt::Key key, const QString& text) {
        posted_.start();
        waiting_ = true;
        QCoreApplication::postEvent(widget_, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
        QCoreApplication::postEvent(widget_, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
    }
    // Types `count` keys `gap` ms apart while the program runs.
    void type(int count, int gap) {
        QEventLoop loop;
        for (int i = 1; i <= count; ++i)
            QTimer::singleShot(gap * i, this, [this] { post(Qt::Key_8, QStringLiteral("8")); });
        QTimer::singleShot(gap * (count + 1), &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::sendPostedEvents(); // keys still on their way
    }
    double longest() const { return longest_; }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::KeyPress && waiting_) {
            waiting_ = false;
            longest_ = std::max(longest_, msSince(posted_));
        }
        return false;
    }

private:
    QWidget* widget_;
    QElapsedTimer posted_;
    bool waiting_ = false;
    double longest_ = 0;
};

qint64 statusKilobytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Steps {
    Wait start, enter, nameKey1, nameKey2, searchKey, history, historyAgain, usage;
    double loginKey = 0; // wall
    double ahead = 0;    // wall, from the login window shown
    double pageCacheMb = 0, heapMb = 0;
    int patients = 0, items = 0, historyEntries = 0;

    Steps& operator+=(const Steps& o) {
        start += o.start;
        enter += o.enter;
        nameKey1 += o.nameKey1;
        nameKey2 += o.nameKey2;
        searchKey += o.searchKey;
        history += o.history;
        historyAgain += o.historyAgain;
        usage += o.usage;
        loginKey += o.loginKey;
        ahead += o.ahead;
        pageCacheMb += o.pageCacheMb;
        heapMb += o.heapMb;
        patients += o.patients;
        items += o.items;
        historyEntries += o.historyEntries;
        return *this;
    }
};

// One newcomer: a new program on the machine folder `driveC` (whose data folder holds the files, or a
// computer-name file naming the server).
Steps newcomer(const QString& driveC, Pace pace, bool usage) {
    Steps steps;
    FixedClock clock(bench::kClinicNow);
    RecordingMessages messages;
    ShellOptions options;
    options.platform.driveC = driveC;
    options.platform.machineId = QStringLiteral("bench-firstuse");
    options.platform.defaultPrinter = QStringLiteral("PDF");
    options.backupRoot = QDir(driveC).filePath(QStringLiteral("backup"));
    options.hooks.quit = [] {};
    options.hooks.openUrl = [](const QUrl&) { return true; };
    Shell shell(std::move(options), clock, messages);

    QElapsedTimer sinceLogin;
    QObject::connect(&shell, &Shell::readAheadFinished, [&] { steps.ahead = msSince(sinceLogin); });
    Stopwatch watch;
    if (!shell.start())
        qFatal("the program did not start on %s", qPrintable(driveC));
    sinceLogin.start();
    QCoreApplication::processEvents();
    steps.start = watch.read();

    auto* password = shell.loginWindow()->findChild<QLineEdit*>(QStringLiteral("Text1"));
    const bool pauses = pace != Pace::AtOnce;
    {
        KeyWaits waits(password);
        waits.type(3, pauses ? 250 : 1);
        steps.loginKey = waits.longest();
    }
    if (pace == Pace::Settled) {
        QEventLoop loop;
        QObject::connect(&shell, &Shell::readAheadFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        if (shell.readingAhead())
            loop.exec();
    }

    watch.restart();
    QTest::keyClick(password, Qt::Key_Return);
    QCoreApplication::processEvents();
    Form2* form = shell.mainWindow() ? shell.mainWindow()->prescriptionWindow() : nullptr;
    if (!form || !form->isVisible())
        qFatal("the prescription window did not open");
    steps.enter = watch.read();

    FieldEdit* name = form->sheet.Text5[kName];
    if (pauses)
        idle(300);
    watch.restart();
    commitText(name, QStringLiteral("当"));
    QCoreApplication::processEvents();
    steps.nameKey1 = watch.read();
    if (pauses)
        idle(150);
    watch.restart();
    commitText(name, QStringLiteral("归"));
    QCoreApplication::processEvents();
    steps.nameKey2 = watch.read();
    steps.patients = form->sheet.List5->count();

    if (pauses)
        idle(300);
    watch.restart();
    QTest::keyClick(form->search.Text1, Qt::Key_D);
    QCoreApplication::processEvents();
    steps.searchKey = watch.read();
    steps.items = form->search.List1->count();

    form->history.Text2->setText(QStringLiteral("当"));
    QCoreApplication::processEvents();
    watch.restart();
    form->history.Command7->click();
    QCoreApplication::processEvents();
    steps.history = watch.read();
    steps.historyEntries = form->history.List2->count();
    watch.restart();
    form->history.Command7->click(); // the same again, now that the engine has the pages it needs
    QCoreApplication::processEvents();
    steps.historyAgain = watch.read();

    if (usage && shell.state().statsDb) {
        const QDate today = clock.today();
        watch.restart();
        const UsageResult result =
            usageTotals(*shell.state().statsDb, QStringLiteral("中药"), today.addMonths(-1), today);
        steps.usage = watch.read();
        benchmark::DoNotOptimize(result.totals.size());
    }
    if (shell.readingAhead())
        steps.ahead = -1;
    // What the resident size is made of: the engine's page caches of both files, and the heap in use.
    const auto cacheOf = [](const Database* db) -> double {
        auto* file = db ? dynamic_cast<detail::FileConnection*>(&db->connection()) : nullptr;
        int current = 0;
        int highest = 0;
        if (file)
            sqlite3_db_status(file->handle(), SQLITE_DBSTATUS_CACHE_USED, &current, &highest, 0);
        return double(current) / 1048576.0;
    };
    steps.pageCacheMb = cacheOf(shell.state().mainDb.get()) + cacheOf(shell.state().statsDb.get());
    steps.heapMb = double(mallinfo2().uordblks) / 1048576.0;
    return steps;
}

void report(benchmark::State& state, const Steps& sum, int runs) {
    const double n = runs;
    const auto wait = [&](const char* name, const Wait& w) {
        state.counters[std::string(name) + "_ms"] = w.wall / n;
        state.counters[std::string(name) + "_cpu"] = w.cpu / n;
    };
    wait("start", sum.start);
    state.counters["login_key_ms"] = sum.loginKey / n;
    wait("enter", sum.enter);
    wait("name_key1", sum.nameKey1);
    wait("name_key2", sum.nameKey2);
    wait("search_key", sum.searchKey);
    wait("history", sum.history);
    wait("history_again", sum.historyAgain);
    if (sum.usage.wall > 0)
        wait("usage", sum.usage);
    state.counters["ahead_ms"] = sum.ahead / n;
    state.counters["patients"] = sum.patients / n;
    state.counters["items"] = sum.items / n;
    state.counters["history_entries"] = sum.historyEntries / n;
    state.counters["page_cache_MB"] = sum.pageCacheMb / n;
    state.counters["heap_MB"] = sum.heapMb / n;
    state.counters["VmRSS_MB"] = double(statusKilobytes("VmRSS:")) / 1024.0;
    state.counters["VmHWM_MB"] = double(statusKilobytes("VmHWM:")) / 1024.0;
}

void runNewcomers(benchmark::State& state, const QString& driveC, Pace pace, bool usage) {
    Steps sum;
    int runs = 0;
    for (auto _ : state) {
        sum += newcomer(driveC, pace, usage);
        ++runs;
    }
    report(state, sum, runs);
}

QString tenYears() {
    static const QString machine =
        bench::keptClinicFiles(QStringLiteral("firstuse-ten-v1"), bench::ClinicSize::tenYears());
    return machine;
}

QString twentyYears() {
    static const QString machine =
        bench::keptClinicFiles(QStringLiteral("firstuse-twenty-v1"), bench::ClinicSize::twentyYears());
    return machine;
}

// A throwaway cluster holding the ten-year files, and a machine folder whose computer-name file names it.
class ServerMachine {
public:
    ServerMachine() {
        cluster("start");
        const QString address =
            QStringLiteral("postgresql:///lichuan_test?host=%1&user=postgres").arg(kClusterFolder);
        {
            const QString data = QDir(tenYears()).filePath(QStringLiteral("中医处方数据库"));
            auto main = Database::open(QDir(data).filePath(QStringLiteral("数据库.dat")), databaseKey(),
                                       Database::OpenMode::ExistingOnly);
            auto statistics = Database::open(QDir(data).filePath(QStringLiteral("用药统计.dat")),
                                             databaseKey(), Database::OpenMode::ExistingOnly);
            QString error;
            auto server = Database::connect(address, QString(), &error);
            if (!main || !statistics || !server)
                qFatal("cannot copy the files to the server: %s", qPrintable(error));
            transfer::copyFilesToServer(*main, *statistics, *server);
            server->execNative(QStringLiteral("VACUUM ANALYZE"));
        }
        const QString folder = dir_.filePath(QStringLiteral("中医处方数据库"));
        QDir().mkpath(folder);
        QFile name(QDir(folder).filePath(QStringLiteral("计算机名.txt")));
        if (!name.open(QIODevice::WriteOnly))
            qFatal("cannot write the computer-name file");
        name.write(address.toUtf8() + '\n');
    }
    ~ServerMachine() { cluster("stop"); }
    QString driveC() const { return dir_.path(); }

private:
    static void cluster(const char* action) {
        QProcess script;
        script.start(QStringLiteral("sh"),
                     {QStringLiteral(LICHUAN_CLUSTER_SCRIPT), QString::fromLatin1(action),
                      QString::fromLatin1(kClusterFolder)});
        if (!script.waitForFinished(300000) || script.exitCode() != 0)
            qFatal("the benchmark cluster did not %s: %s", action, script.readAllStandardError().constData());
    }
    QTemporaryDir dir_;
};

std::unique_ptr<ServerMachine> theServer;

QString serverMachine() {
    if (!theServer)
        theServer = std::make_unique<ServerMachine>();
    return theServer->driveC();
}

void BM_Newcomer(benchmark::State& state, int data, Pace pace) {
    switch (data) {
    case 10:
        runNewcomers(state, tenYears(), pace, false);
        break;
    case 20:
        runNewcomers(state, twentyYears(), pace, true);
        break;
    default:
        runNewcomers(state, serverMachine(), pace, false);
        break;
    }
}

constexpr int kServerTenYears = 0;

// After the first minutes: the data functions behind the lists on twenty years of data, each beside the plain
// query the program used before it kept copies, on connections that have read their copies.
struct TwentyYears {
    std::unique_ptr<Database> main;
    std::unique_ptr<Database> statistics;
    TwentyYears() {
        const QString data = QDir(twentyYears()).filePath(QStringLiteral("中医处方数据库"));
        main = Database::open(QDir(data).filePath(QStringLiteral("数据库.dat")), databaseKey(),
                              Database::OpenMode::ExistingOnly);
        statistics = Database::open(QDir(data).filePath(QStringLiteral("用药统计.dat")), databaseKey(),
                                    Database::OpenMode::ExistingOnly);
        if (!main || !statistics)
            qFatal("cannot open the twenty-year files");
    }
};

TwentyYears& twenty() {
    static TwentyYears files;
    return files;
}

template <class Run> void measure(benchmark::State& state, Run run) {
    std::size_t found = run(); // the copies are read before the first timed run
    for (auto _ : state) {
        found = run();
        benchmark::DoNotOptimize(found);
    }
    state.counters["rows"] = double(found);
}

const QDate kToday = bench::kClinicNow.date();
const QString kTenYearsBack = dates::format(kToday.addYears(-10));
const QString kMonthBack = dates::format(kToday.addMonths(-1));
const QString kTodayText = dates::format(kToday);

void BM_TwentyYears_Patients(benchmark::State& state, bool copy) {
    const Database& db = *twenty().main;
    measure(state, [&] {
        return copy ? findPatients(db, QStringLiteral("当归")).size()
                    : suggestPatientsByQuery(db, QStringLiteral("当归")).size();
    });
}

void BM_TwentyYears_Catalog(benchmark::State& state, bool copy) {
    const Database& db = *twenty().main;
    measure(state, [&] {
        return copy ? matchCatalog(db, QStringLiteral("中药"), QStringLiteral("d")).rows.size()
                    : searchCatalogByQuery(db, QStringLiteral("中药"), QStringLiteral("d")).size();
    });
}

void BM_TwentyYears_History(benchmark::State& state, bool copy, int nameLength) {
    const Database& db = *twenty().main;
    const QString name = QStringLiteral("当归").left(nameLength);
    const QString& from = nameLength > 0 ? kTenYearsBack : kMonthBack;
    measure(state, [&] {
        return copy ? queryHistory(db, name, from, kTodayText).size()
                    : queryHistoryByDate(db, name, from, kTodayText).size();
    });
}

void BM_TwentyYears_UsageOfAMonth(benchmark::State& state) {
    const Database& db = *twenty().statistics;
    measure(state, [&] {
        return usageTotals(db, QStringLiteral("中药"), kToday.addMonths(-1), kToday).totals.size();
    });
}

// Every keystroke path of the prescription window on twenty years of data, as bench_refill measures it: the
// text of a field changed as one key changes it, the list filled and painted.
struct TwentyYearsWindow {
    ProcessState process;
    FixedClock clock{bench::kClinicNow};
    RecordingMessages messages;
    Navigator navigator;
    QtFileChooser chooser; // never asked here
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;
    std::unique_ptr<Form2> form;
    TwentyYearsWindow() {
        const QString data = QDir(twentyYears()).filePath(QStringLiteral("中医处方数据库"));
        process.StationSuffix = QStringLiteral("m2");
        process.mainDb = Database::open(QDir(data).filePath(QStringLiteral("数据库.dat")), databaseKey(),
                                        Database::OpenMode::ExistingOnly);
        ReadAhead ahead(*process.mainDb);
        ahead.step(QDeadlineTimer(QDeadlineTimer::Forever));
        settings = std::make_unique<SettingsStore>(process.mainDb.get(), QStringLiteral("PDF"),
                                                   [] { return QStringLiteral("PDF"); });
        services =
            std::make_unique<Services>(Services{process, *settings, clock, messages, navigator, chooser});
        form = std::make_unique<Form2>(*services);
        form->show();
        QCoreApplication::processEvents();
    }
};

std::unique_ptr<TwentyYearsWindow> theWindow;

void BM_TwentyYears_Keystroke(benchmark::State& state, int field, const QString& before,
                              const QString& after) {
    if (!theWindow)
        theWindow = std::make_unique<TwentyYearsWindow>();
    Form2& form = *theWindow->form;
    QLineEdit* box = field < 0     ? static_cast<QLineEdit*>(form.search.Text1)
                     : field == 99 ? form.history.Text2
                                   : form.sheet.Text5[std::size_t(field)];
    box->setFocus();
    for (auto _ : state) {
        state.PauseTiming();
        box->setText(before);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        box->setText(after);
        QCoreApplication::processEvents();
    }
}

} // namespace

#define LICHUAN_NEWCOMER(name, data, pace)                                                                   \
    BENCHMARK_CAPTURE(BM_Newcomer, name, data, pace)->Unit(benchmark::kMillisecond)->Iterations(3)
LICHUAN_NEWCOMER(files_ten_years_doctor, 10, Pace::Doctor);
LICHUAN_NEWCOMER(files_ten_years_settled, 10, Pace::Settled);
LICHUAN_NEWCOMER(files_ten_years_at_once, 10, Pace::AtOnce);
LICHUAN_NEWCOMER(files_twenty_years_doctor, 20, Pace::Doctor);
LICHUAN_NEWCOMER(files_twenty_years_settled, 20, Pace::Settled);
LICHUAN_NEWCOMER(server_ten_years_doctor, kServerTenYears, Pace::Doctor);
LICHUAN_NEWCOMER(server_ten_years_settled, kServerTenYears, Pace::Settled);
LICHUAN_NEWCOMER(server_ten_years_at_once, kServerTenYears, Pace::AtOnce);

BENCHMARK_CAPTURE(BM_TwentyYears_Patients, copy, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Patients, plain_query, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Catalog, copy, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Catalog, plain_query, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_History, one_character_ten_years, true, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_History, one_character_ten_years_plain_query, false, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_History, default_month, true, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_History, default_month_plain_query, false, 0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwentyYears_UsageOfAMonth)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Keystroke, search_first_letter, -1, QString(), QStringLiteral("d"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Keystroke, search_second_letter, -1, QStringLiteral("d"),
                  QStringLiteral("dg"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Keystroke, search_erased, -1, QStringLiteral("d"), QString())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Keystroke, name_second_character, int(kName), QStringLiteral("当"),
                  QStringLiteral("当归"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Keystroke, name_initials, int(kName), QStringLiteral("d"),
                  QStringLiteral("dg"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Keystroke, diagnosis, int(kDiagnosis), QString(), QStringLiteral("g"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Keystroke, address, int(kAddress), QString(), QStringLiteral("c"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TwentyYears_Keystroke, history_name_filter, 99, QString(), QStringLiteral("当"))
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    prepareApplication(app);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theWindow.reset();
    theServer.reset();
    return 0;
}
