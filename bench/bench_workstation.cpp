// What the doctor waits on at the prescription window of a clinic with years of data: saving a sheet,
// reloading a saved prescription, and pricing and settling a 30-herb prescription. The files hold 200,000
// prescriptions and 3,000,000 statistics lines; they are built once per run and shared by the benchmarks.

#include "data/catalog.h"
#include "data/clock.h"
#include "data/dates.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/prescriptions.h"
#include "data/record.h"
#include "data/schema.h"
#include "data/textrules.h"
#include "prescription/form2.h"
#include "prescription/pricingpanel.h"
#include "prescription/sheetactions.h"
#include "prescription/toolbar.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/filechooser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <random>

using namespace lichuan;

namespace {

constexpr int kPrescriptions = 200'000;
constexpr int kStatisticsLines = 3'000'000;
constexpr int kLinesPerSettled = 30;
const QString kSuffix = QStringLiteral("b1");

// The files of one run, built on first use.
struct ClinicFiles {
    QTemporaryDir dir;
    QString mainPath;
    QString statsPath;
    std::vector<QString> keys; // the stored prescriptions, oldest first
    QStringList herbs;         // herb names as the sheet writes them
};

QString herbText(const QStringList& herbs, int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += herbs.at(i % herbs.size()) + QStringLiteral(" 10g");
    return layOutHerbal(text).text;
}

PricedLines pricedLinesOf(const QStringList& herbs, int count) {
    PricedLines lines;
    for (int i = 0; i < count && i < kPricedLineCount; ++i) {
        lines[static_cast<size_t>(i)] = {herbs.at(i % herbs.size()), QStringLiteral("60"),
                                         QStringLiteral("g"),        QStringLiteral("0.050"),
                                         QStringLiteral("3.000"),    QStringLiteral("A%1").arg(i),
                                         QStringLiteral("中药")};
    }
    return lines;
}

// 200,000 prescriptions over the last ten years in one transaction.
void fillArchive(Database& main, ClinicFiles& files) {
    auto characters = [](const char* text) {
        QStringList list;
        for (const QChar c : QString::fromUtf8(text))
            list << QString(c);
        return list;
    };
    const QStringList surnames = characters("张王李赵刘陈杨黄周吴徐孙马朱胡林郭何高罗");
    const QStringList given = characters("伟芳娜敏静丽强磊军洋勇艳杰涛明超秀霞平刚");
    const QDateTime newest = QDateTime::currentDateTime();
    const QDateTime oldest = newest.addYears(-10);
    const qint64 step = oldest.secsTo(newest) / kPrescriptions;

    QStringList columns{QStringLiteral("序号")};
    for (int i = 0; i < kHeaderFieldCount; ++i)
        columns << QString::number(i);
    columns << QStringLiteral("T1") << QStringLiteral("类别") << QStringLiteral("发药")
            << QStringLiteral("计价") << QStringLiteral("病历");
    QStringList quotedColumns;
    QStringList marks;
    for (const QString& column : std::as_const(columns)) {
        quotedColumns << quoted(column);
        marks << QStringLiteral("?");
    }
    const QString items = herbText(files.herbs, 20);
    const QString pricing = pricingText(pricedLinesOf(files.herbs, 20));

    Transaction transaction(main);
    Statement insert(main, QStringLiteral("insert into [档案] (%1) values (%2)")
                               .arg(quotedColumns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    files.keys.reserve(kPrescriptions);
    for (int n = 0; n < kPrescriptions; ++n) {
        const QDateTime moment = oldest.addSecs(step * n);
        const QString key = timestamp14(moment) + kSuffix;
        files.keys.push_back(key);
        insert.reset();
        int c = 1;
        insert.bind(c++, key);
        insert.bind(c++, surnames.at(n % surnames.size()) + given.at(n / 7 % given.size()));
        insert.bind(c++, n % 2 ? QStringLiteral("女") : QStringLiteral("男"));
        insert.bind(c++, QStringLiteral("%1岁").arg(20 + n % 60));
        insert.bind(c++, QStringLiteral("中医科"));
        insert.bind(c++, QStringLiteral("城关镇%1号").arg(n % 300));
        insert.bind(c++, dates::format(moment.date()));
        insert.bind(c++, QStringLiteral("慢性胃炎"));
        insert.bind(c++, QStringLiteral("李明"));
        insert.bind(c++, QStringLiteral("王芳"));
        insert.bind(c++, QStringLiteral("60.00"));
        for (int i = 10; i < kHeaderFieldCount; ++i)
            insert.bind(c++, i == kCaseNumber ? timestamp14(moment) : QString(QLatin1String("")));
        insert.bind(c++, items);
        insert.bind(c++, QStringLiteral("中"));
        insert.bind(c++, n % 3 ? kSettledMarker : QString(QLatin1String("")));
        insert.bind(c++, pricing);
        insert.bind(c++, QString(QLatin1String("")));
        insert.run();
    }
    transaction.commit();
}

// 3,000,000 statistics lines: 30 lines for each of the latest 100,000 prescriptions, in one transaction.
void fillStatistics(Database& statistics, const ClinicFiles& files) {
    Transaction transaction(statistics);
    Statement insert(statistics,
                     QStringLiteral("insert into [统计] ([ID号],[名称],[数量],[单位],[单价],[金额],"
                                    "[斗位],[分类],[备用1],[备用2],[日期]) "
                                    "values (?,?,'60','g','0.050','3.000','A1','中药','','',?)"));
    const int settled = kStatisticsLines / kLinesPerSettled;
    for (int n = kPrescriptions - settled; n < kPrescriptions; ++n) {
        const QString& key = files.keys[static_cast<size_t>(n)];
        const QString day = dates::format(QDate::fromString(key.left(8), QStringLiteral("yyyyMMdd")));
        for (int line = 0; line < kLinesPerSettled; ++line) {
            insert.reset();
            insert.bind(1, key).bind(2, files.herbs.at(line)).bind(3, day);
            insert.run();
        }
    }
    transaction.commit();
}

ClinicFiles& clinicFiles() {
    static ClinicFiles files = [] {
        ClinicFiles f;
        f.mainPath = f.dir.filePath(QStringLiteral("数据库.dat"));
        f.statsPath = f.dir.filePath(QStringLiteral("用药统计.dat"));
        QElapsedTimer timer;
        timer.start();
        auto main = Database::open(f.mainPath, databaseKey(), Database::OpenMode::CreateNew);
        schema::createMain(*main);
        defaults::fillMain(*main, QDateTime::currentDateTime());
        for (const CatalogItem& herb : catalogOfCategories(*main, {QStringLiteral("中药")})) {
            QString name = herb.name;
            f.herbs << name.replace(QLatin1Char('{'), QLatin1Char('['))
                           .replace(QLatin1Char('}'), QLatin1Char(']'));
        }
        fillArchive(*main, f);
        auto statistics = Database::open(f.statsPath, databaseKey(), Database::OpenMode::CreateNew);
        schema::createStatistics(*statistics);
        fillStatistics(*statistics, f);
        std::fprintf(stderr, "built %d prescriptions and %d statistics lines in %.1f s\n", kPrescriptions,
                     kStatisticsLines, timer.elapsed() / 1000.0);
        return f;
    }();
    return files;
}

// The prescription window on the big files, as the clinic's program opens it.
class Workstation {
public:
    Workstation() {
        ClinicFiles& files = clinicFiles();
        state.StationSuffix = kSuffix;
        state.mainDb = Database::open(files.mainPath, databaseKey(), Database::OpenMode::ExistingOnly);
        state.statsDb = Database::open(files.statsPath, databaseKey(), Database::OpenMode::ExistingOnly);
        settings = std::make_unique<SettingsStore>(state.mainDb.get(), QStringLiteral("PDF"),
                                                   [] { return QStringLiteral("PDF"); });
        services =
            std::make_unique<Services>(Services{state, *settings, clock, messages, navigator, chooser});
        form = std::make_unique<Form2>(*services);
        form->show();
    }

    // A new sheet for a patient with the given item text.
    void startSheet(const QString& items) {
        form->actions().newRecordKey();
        form->sheet.Text5[kName]->setText(QStringLiteral("赵六"));
        form->sheet.Text5[kAge]->setText(QStringLiteral("42岁"));
        form->sheet.R1->setText(items);
    }

    ProcessState state;
    SystemClock clock;
    RecordingMessages messages;
    Navigator navigator;
    QtFileChooser chooser; // never asked here
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;
    std::unique_ptr<Form2> form;
};

void reportMessages(benchmark::State& state, const Workstation& w) {
    if (!w.messages.shown.isEmpty())
        state.SkipWithError(qPrintable(QStringLiteral("message: ") + w.messages.shown.first()));
}

} // namespace

// "保存" on a new sheet: the layout of the item text, the row and the patient row, the history list.
static void BM_SaveNewPrescription(benchmark::State& state) {
    Workstation w;
    const QString items = herbText(clinicFiles().herbs, 20);
    for (auto _ : state) {
        state.PauseTiming();
        w.startSheet(items);
        state.ResumeTiming();
        w.form->toolbarActions().save();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); // until the screen shows it
    }
    reportMessages(state, w);
}
BENCHMARK(BM_SaveNewPrescription)->Unit(benchmark::kMillisecond);

// Reading a stored prescription and putting it on the sheet: fields, item text and priced lines.
static void BM_ReloadPrescription(benchmark::State& state) {
    Workstation w;
    Form2& form = *w.form;
    const std::vector<QString>& keys = clinicFiles().keys;
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> pick(0, keys.size() - 1);
    for (auto _ : state) {
        const std::optional<SheetRecord> record = loadPrescription(*w.state.mainDb, keys[pick(random)]);
        if (!record) {
            state.SkipWithError("a stored prescription was not found");
            break;
        }
        form.state.SuggestSuppressed = true;
        form.actions().applyLayout(record->herbal ? sheetgeometry::Layout::NarrowHerbal
                                                  : sheetgeometry::Layout::Western);
        for (size_t i = 0; i < kHeaderFieldCount; ++i)
            form.sheet.Text5[i]->setText(record->fields[i]);
        form.sheet.R1->setText(record->items);
        form.sheet.Label4 = record->key;
        form.sheet.Label5 = record->settled;
        w.state.PendingCaseRecord = record->caseRecord;
        form.state.SuggestSuppressed = false;
        form.state.TotalsSuspended = true;
        form.actions().setPricedLines(record->lines, false);
        form.state.TotalsSuspended = false;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}
BENCHMARK(BM_ReloadPrescription)->Unit(benchmark::kMillisecond);

// "划价结算" of a 30-herb prescription: catalog lookup, lines, totals, save, history list and the
// replacement of its statistics lines among 3,000,000.
static void BM_SettleThirtyHerbs(benchmark::State& state) {
    Workstation w;
    const QString items = herbText(clinicFiles().herbs, 30);
    w.startSheet(items);
    for (auto _ : state) {
        state.PauseTiming();
        w.form->sheet.R1->setText(items); // the same sheet each time, not one laid out again and again
        state.ResumeTiming();
        w.form->pricingPanel().settle();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    reportMessages(state, w);
}
BENCHMARK(BM_SettleThirtyHerbs)->Unit(benchmark::kMillisecond);

// The statistics part of a settlement alone: 30 lines of one prescription replaced among 3,000,000.
static void BM_ReplaceThirtyStatisticsLines(benchmark::State& state) {
    ClinicFiles& files = clinicFiles();
    auto statistics = Database::open(files.statsPath, databaseKey(), Database::OpenMode::ExistingOnly);
    const PricedLines lines = pricedLinesOf(files.herbs, kLinesPerSettled);
    const QString key = files.keys.back();
    for (auto _ : state) {
        if (!replaceStatistics(*statistics, key, QDate::currentDate(), lines)) {
            state.SkipWithError("the statistics lines were not stored");
            break;
        }
    }
}
BENCHMARK(BM_ReplaceThirtyStatisticsLines)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    clinicFiles();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
