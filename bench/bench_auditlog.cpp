// The log of who changed what, at the size of ten years of a clinic's saves: 55 prescriptions a day, each
// settled and printed, one in four saved again with other contents, one in fifty undone and settled again,
// one in two hundred deleted, all written by the program's own functions. It reports how many bytes a line
// takes in the file, and measures the 操作记录 window listing 100,000 lines. The file takes minutes to build,
// so it is kept in the temp folder and used again by the next run.

#include "data/audit.h"
#include "data/clock.h"
#include "data/dates.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "data/textrules.h"
#include "reports/auditlogwindow.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/filechooser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

using namespace lichuan;

namespace {

constexpr int kYears = 10;
constexpr int kPerDay = 55;
const QDate kLastDay(2026, 11, 30);
const QString kFilesVersion = QStringLiteral("auditlog-v2");

struct LogFile {
    QString path;
    qint64 lines = 0;
    double bytesPerLine = 0;
};

SheetRecord sheetFor(int n, const QDate& day, const QDateTime& moment, const QStringList& herbs) {
    static const QStringList surnames =
        QStringLiteral("张王李赵刘陈杨黄周吴徐孙马朱胡林郭何高罗").split(QString(), Qt::SkipEmptyParts);
    static const QStringList given =
        QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰涛明超秀霞平刚").split(QString(), Qt::SkipEmptyParts);
    SheetRecord sheet;
    sheet.key = timestamp14(moment) + QStringLiteral("b1");
    sheet.fields = {surnames.at(n % surnames.size()) + given.at(n / 7 % given.size()),
                    n % 2 ? QStringLiteral("女") : QStringLiteral("男"),
                    QStringLiteral("%1岁").arg(20 + n % 60),
                    QStringLiteral("中医科"),
                    QStringLiteral("城关镇%1号").arg(n % 300),
                    dates::format(day),
                    QStringLiteral("慢性胃炎"),
                    QStringLiteral("李明"),
                    QStringLiteral("王芳"),
                    QString(),
                    QString(),
                    QString(),
                    timestamp14(moment),
                    QString(),
                    QStringLiteral("自费")};
    QString items;
    for (int i = 0; i < 12; ++i)
        items += herbs.at((n + i * 7) % herbs.size()) + QStringLiteral(" %1g").arg(6 + (n + i) % 10);
    sheet.items = layOutHerbal(items).text;
    return sheet;
}

void settle(SheetRecord& sheet) {
    sheet.settled = kSettledMarker;
    sheet.fields[kAmount] = QStringLiteral("36.50");
    for (int i = 0; i < 12; ++i)
        sheet.lines[std::size_t(i)] = {QStringLiteral("药%1").arg(i), QStringLiteral("60"),
                                       QStringLiteral("g"),           QStringLiteral("0.050"),
                                       QStringLiteral("3.000"),       QStringLiteral("A1"),
                                       QStringLiteral("中药")};
}

// The file size after a VACUUM of a copy of `db`, with or without its log lines.
qint64 compactSize(Database& db, const QString& copy, bool withoutLog) {
    QFile::remove(copy);
    db.backupTo(copy, databaseKey());
    {
        auto compact = Database::open(copy, databaseKey(), Database::OpenMode::ExistingOnly);
        if (withoutLog)
            compact->exec(QStringLiteral("delete from [操作记录] where rowid > 0"));
        compact->exec(QStringLiteral("VACUUM"));
    }
    const qint64 size = QFileInfo(copy).size();
    QFile::remove(copy);
    return size;
}

LogFile& logFile() {
    static LogFile file = [] {
        LogFile f;
        const QString folder = QDir::temp().filePath(QStringLiteral("lichuan-bench-") + kFilesVersion);
        f.path = QDir(folder).filePath(QStringLiteral("数据库.dat"));
        const QString done = QDir(folder).filePath(QStringLiteral("complete"));
        QFile marker(done);
        if (marker.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> figures = marker.readAll().split(' ');
            f.lines = figures.value(0).toLongLong();
            f.bytesPerLine = figures.value(1).toDouble();
            return f;
        }
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QElapsedTimer timer;
        timer.start();
        auto main = Database::open(f.path, databaseKey(), Database::OpenMode::CreateNew);
        schema::createMain(*main);
        defaults::fillMain(*main, QDateTime(kLastDay, QTime(8, 0)));
        QStringList herbs;
        {
            Statement select(*main, QStringLiteral("select [名称] from [商品] where [分类] = '中药'"));
            while (select.next())
                herbs << select.text(0)
                             .replace(QLatin1Char('{'), QLatin1Char('['))
                             .replace(QLatin1Char('}'), QLatin1Char(']'));
        }
        FixedClock clock(QDateTime(kLastDay, QTime(8, 0)));
        audit::attach(*main, QStringLiteral("b1"), &clock);
        const QDate first = kLastDay.addYears(-kYears);
        int n = 0;
        Transaction transaction(*main);
        for (QDate day = first; day <= kLastDay; day = day.addDays(1)) {
            for (int i = 0; i < kPerDay; ++i, ++n) {
                const QDateTime moment(day, QTime(8, 0).addSecs(i * 600));
                clock.set(moment);
                SheetRecord sheet = sheetFor(n, day, moment, herbs);
                savePrescription(*main, sheet, true, day);
                if (n % 4 == 0) {
                    sheet.fields[kDiagnosis] = QStringLiteral("脾胃虚弱");
                    sheet.items += QStringLiteral("\r\n水煎服");
                    savePrescription(*main, sheet, false, day);
                }
                settle(sheet);
                savePrescription(*main, sheet, false, day);
                audit::notePrint(*main, audit::kPrescription, sheet.key, sheet.fields[kName],
                                 QStringLiteral("处方打印机"));
                if (n % 50 == 0) {
                    SheetRecord undone = sheet;
                    undone.settled.clear();
                    undone.fields[kAmount].clear();
                    undone.lines = PricedLines();
                    savePrescription(*main, undone, false, day);
                    savePrescription(*main, sheet, false, day);
                }
                if (n % 200 == 0)
                    deletePrescription(*main, nullptr, sheet.key);
            }
        }
        transaction.commit();
        {
            Statement count(*main, QStringLiteral("select count(*) from [操作记录]"));
            count.next();
            f.lines = count.integer(0);
        }
        const QString copy = QDir(folder).filePath(QStringLiteral("compact.dat"));
        const qint64 with = compactSize(*main, copy, false);
        const qint64 without = compactSize(*main, copy, true);
        f.bytesPerLine = double(with - without) / double(f.lines);
        if (marker.open(QIODevice::WriteOnly))
            marker.write(QByteArray::number(f.lines) + ' ' + QByteArray::number(f.bytesPerLine));
        std::fprintf(stderr, "built %d prescriptions, %lld log lines in %.1f s in %s\n", n, f.lines,
                     timer.elapsed() / 1000.0, qPrintable(folder));
        return f;
    }();
    return file;
}

// The window on the big file, with the date range of the newest 100,000 lines.
struct Window {
    ProcessState state;
    FixedClock clock{QDateTime(kLastDay, QTime(18, 0))};
    RecordingMessages messages;
    Navigator navigator;
    QtFileChooser chooser; // never asked here
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;
    std::unique_ptr<AuditLogWindow> form;

    Window() {
        state.mainDb = Database::open(logFile().path, databaseKey(), Database::OpenMode::ExistingOnly);
        settings = std::make_unique<SettingsStore>(state.mainDb.get(), QString(), [] { return QString(); });
        services =
            std::make_unique<Services>(Services{state, *settings, clock, messages, navigator, chooser});
        form = std::make_unique<AuditLogWindow>(*services);
        Statement oldest(*state.mainDb,
                         QStringLiteral("select [时间] from [操作记录] order by [时间] desc, rowid desc "
                                        "limit 1 offset 99999"));
        oldest.next();
        form->fromDate->setText(oldest.text(0).left(10));
        form->toDate->setText(dates::format(kLastDay));
        form->show();
    }
};

void BM_WindowListsAHundredThousandLines(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        window.form->query();
        benchmark::DoNotOptimize(window.form->list->viewport()->grab());
    }
    state.counters["lines"] = double(window.form->lineCount());
}
BENCHMARK(BM_WindowListsAHundredThousandLines)->Unit(benchmark::kMillisecond);

// The same range filtered by a part of a name, as it is typed.
void BM_WindowFiltersThemByName(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        window.form->nameFilter->setText(QStringLiteral("张伟"));
        window.form->nameFilter->clear();
    }
}
BENCHMARK(BM_WindowFiltersThemByName)->Unit(benchmark::kMillisecond);

// The window as it opens: today's lines.
void BM_WindowOpensOnToday(benchmark::State& state) {
    Window window;
    window.form->fromDate->setText(dates::format(kLastDay));
    for (auto _ : state)
        window.form->query();
    state.counters["lines"] = double(window.form->lineCount());
}
BENCHMARK(BM_WindowOpensOnToday)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const LogFile& file = logFile();
    std::fprintf(stderr, "%lld log lines over %d years: %.0f bytes a line in the file, %.1f MB a year\n",
                 file.lines, kYears, file.bytesPerLine,
                 file.bytesPerLine * double(file.lines) / kYears / (1024.0 * 1024.0));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
