// The catalog window on a category of 20,000 herbs: a keystroke in its search box (query and grid refill,
// laid out and painted), the import of a 10,000-row workbook and the export of the 20,000 rows.

#include "catalog/catalogexchange.h"
#include "catalog/cataloggrid.h"
#include "catalog/form3.h"
#include "data/catalogrows.h"
#include "data/clock.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/searchcodes.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "spreadsheet/workbookreader.h"
#include "spreadsheet/workbookwriter.h"
#include "ui/fieldedit.h"
#include "ui/filechooser.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace lichuan;

namespace {

constexpr int kCategoryRows = 20000;
constexpr int kImportRows = 10000;
const QString kHerbs = QStringLiteral("中药");
const QString kNameCharacters = QStringLiteral(
    "白半北柴川大丹当地独茯甘葛桂海黄鸡金荆桔菊苦莱连龙麦牡木牛佩蒲前秦青人肉桑沙山生石熟苏太桃天"
    "土菟王威乌五细夏仙香小辛杏玄旋益茵银郁远泽知枳猪紫草根皮仁子花叶参芪术芍药归芎苓枣膏香胶");

QString randomName(QRandomGenerator& random, int serial) {
    QString name;
    for (int i = 2 + random.bounded(3); i > 0; --i)
        name += kNameCharacters.at(random.bounded(int(kNameCharacters.size())));
    return name + QString::number(serial);
}

// Catalog rows in the sheet layout, as an import reads them.
QList<spreadsheet::Row> sheetOf(int rows, int firstSerial) {
    QRandomGenerator random(7);
    QList<spreadsheet::Row> sheet{{}};
    for (int i = 0; i < rows; ++i) {
        using spreadsheet::Cell;
        sheet.append({Cell::fromText(randomName(random, firstSerial + i)),
                      Cell::fromText(i % 5 == 0 ? QStringLiteral("先煎") : QString()), Cell::fromNumber(10),
                      Cell::fromText(QStringLiteral("g")), Cell::fromNumber(0.125 * (i % 40)), Cell(),
                      Cell::fromText(QStringLiteral("A%1").arg(i % 9)), Cell()});
    }
    return sheet;
}

struct Bench {
    Bench() : clock(QDateTime(QDate(2024, 3, 1), QTime(9, 0))) {
        state.DataFolder = dir.path();
        state.mainDb = Database::open(dir.filePath(QStringLiteral("数据库.dat")), databaseKey(),
                                      Database::OpenMode::CreateNew);
        schema::createMain(*state.mainDb);
        defaults::fillMain(*state.mainDb, clock.now());
        const catalog::SheetImport herbs = catalog::importedRows(sheetOf(kCategoryRows - 299, 0), kHerbs);
        importCatalogRows(*state.mainDb, herbs.rows, clock.now());
        settings = std::make_unique<SettingsStore>(state.mainDb.get(), QStringLiteral("PDF"),
                                                   [] { return QStringLiteral("PDF"); });
        services =
            std::make_unique<Services>(Services{state, *settings, clock, messages, navigator, chooser});
        form = std::make_unique<Form3>(*services);
        form->show();
        QCoreApplication::processEvents();
        spreadsheet::Workbook book;
        book.sheets.append(spreadsheet::Sheet());
        book.sheets[0].rows = sheetOf(kImportRows, 100000);
        const spreadsheet::WriteResult written =
            spreadsheet::writeWorkbook(book, dir.filePath(QStringLiteral("import.xlsx")));
        if (!written.ok)
            qFatal("%s", qPrintable(written.error));
    }

    QTemporaryDir dir;
    ProcessState state;
    FixedClock clock;
    RecordingMessages messages;
    Navigator navigator;
    QtFileChooser chooser; // never asked here
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;
    std::unique_ptr<Form3> form;
};

std::unique_ptr<Bench> theBench;
Bench& bench() {
    if (!theBench)
        theBench = std::make_unique<Bench>();
    return *theBench;
}

// One keystroke in the search box: the query, the grid's 19 rows, the scroll bar, painted.
void BM_SearchAsTyped(benchmark::State& state, const QString& before, const QString& after) {
    Form3& form = *bench().form;
    FieldEdit* box = form.controls().Text2;
    for (auto _ : state) {
        state.PauseTiming();
        box->setText(before);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        box->setText(after);
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = double(form.grid().results().size());
}

void BM_SearchQueryOnly(benchmark::State& state, const QString& text) {
    const Database& db = *bench().state.mainDb;
    std::size_t rows = 0;
    for (auto _ : state)
        rows = searchCatalogRows(db, kHerbs, text).size();
    state.counters["rows"] = double(rows);
}

// The same rows by one query per keystroke, as the window asked before it shared the pick list's copy.
void BM_SearchOneQuery(benchmark::State& state, const QString& text) {
    const Database& db = *bench().state.mainDb;
    std::size_t rows = 0;
    for (auto _ : state)
        rows = searchCatalogRowsByQuery(db, kHerbs, text).size();
    state.counters["rows"] = double(rows);
}

// Reading the 10,000-row workbook, making the rows and appending them in one transaction; the rows are
// deleted again between iterations (untimed).
void BM_Import10000(benchmark::State& state) {
    Bench& b = bench();
    const QString path = b.dir.filePath(QStringLiteral("import.xlsx"));
    int added = 0;
    for (auto _ : state) {
        const spreadsheet::ReadResult read =
            spreadsheet::readFirstSheet(path, int(catalog::kSheetHeader.size()));
        const catalog::SheetImport sheet = catalog::importedRows(read.rows, QStringLiteral("用法"));
        added = importCatalogRows(*b.state.mainDb, sheet.rows, b.clock.now()).added;
        state.PauseTiming();
        emptyCatalogCategory(*b.state.mainDb, QStringLiteral("用法"));
        b.clock.advanceSeconds(1);
        state.ResumeTiming();
    }
    state.counters["added"] = added;
}

// Reading the 10,000-row workbook alone, its eight columns.
void BM_Read10000(benchmark::State& state) {
    const QString path = bench().dir.filePath(QStringLiteral("import.xlsx"));
    qsizetype rows = 0;
    for (auto _ : state)
        rows = spreadsheet::readFirstSheet(path, int(catalog::kSheetHeader.size())).rows.size();
    state.counters["rows"] = double(rows);
}

void BM_Export20000(benchmark::State& state) {
    Bench& b = bench();
    const QString path = b.dir.filePath(QStringLiteral("export.xlsx"));
    std::size_t rows = 0;
    for (auto _ : state) {
        const std::vector<CatalogRow> category = catalogRowsOfCategory(*b.state.mainDb, kHerbs);
        rows = category.size();
        if (!spreadsheet::writeWorkbook(catalog::exportWorkbook(category), path).ok)
            state.SkipWithError("export failed");
    }
    state.counters["rows"] = double(rows);
}

} // namespace

BENCHMARK_CAPTURE(BM_SearchAsTyped, first_letter, QString(), QStringLiteral("s"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAsTyped, second_letter, QStringLiteral("s"), QStringLiteral("sh"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAsTyped, chinese, QString(), QStringLiteral("石"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAsTyped, erased_whole_category, QStringLiteral("s"), QString())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchQueryOnly, first_letter, QStringLiteral("s"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchQueryOnly, whole_category, QString())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchOneQuery, first_letter, QStringLiteral("s"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchOneQuery, whole_category, QString())->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Read10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export20000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theBench.reset();
    return 0;
}
