// What the doctor waits for while typing: the pick list refilled after a character in the search box on a
// catalog of 20,000 herbs, and the patient suggestions opened by two characters of a name among 50,000
// patients. Each iteration is one change of the box's text, query and list fill included.

#include "data/catalog.h"
#include "data/clock.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/lookups.h"
#include "data/schema.h"
#include "data/searchcodes.h"
#include "form2bench.h"
#include "prescription/form2.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/fieldedit.h"
#include "ui/filechooser.h"
#include "ui/picklist.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace lichuan;

namespace {

constexpr int kCatalogRows = 20000;
constexpr int kPatientRows = 50000;

// Common characters of drug and patient names, so that initials spread over the whole alphabet.
const QString kNameCharacters = QStringLiteral(
    "白半北柴川大丹当地独茯甘葛桂海黄鸡金荆桔菊苦莱连龙麦牡木牛佩蒲前秦青人肉桑沙山生石熟苏太桃天"
    "土菟王威乌五细夏仙香小辛杏玄旋益茵银郁远泽知枳猪紫草根皮仁子花叶参芪术芍药归芎苓枣膏香胶");
const QString kSurnames = QStringLiteral("王李张刘陈杨赵黄周吴徐孙胡朱高林何郭马罗梁宋郑谢韩唐冯于董萧程曹");
const QString kGivenNames = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰红梅建国志");

QString randomName(QRandomGenerator& random, const QString& pool, int length) {
    QString name;
    for (int i = 0; i < length; ++i)
        name += pool.at(random.bounded(int(pool.size())));
    return name;
}

void insertCatalog(Database& db, QRandomGenerator& random) {
    Statement insert(db,
                     QStringLiteral("insert into [商品]([ID号],[查询],[用法],[名称],[拼音],[单位],[常用量],"
                                    "[单价],[分类],[斗位]) values(?,?,?,?,?,?,?,?,?,?)"));
    for (int i = 0; i < kCatalogRows; ++i) {
        const QString name = randomName(random, kNameCharacters, 2 + random.bounded(3)) + QString::number(i);
        const QString initials = PinyinInitials(name);
        insert.bind(1, QStringLiteral("b%1").arg(i))
            .bind(2, name + initials + KeyDigits(initials))
            .bind(3, QString())
            .bind(4, name)
            .bind(5, initials)
            .bind(6, QStringLiteral("g"))
            .bind(7, QStringLiteral("10"))
            .bind(8, QStringLiteral("0.100"))
            .bind(9, QStringLiteral("中药"))
            .bind(10, QString());
        insert.run();
        insert.reset();
    }
}

void insertPatients(Database& db, QRandomGenerator& random) {
    Statement insert(db,
                     QStringLiteral("insert into [患者信息]([序号],[姓名],[性别],[年龄],[医疗证号],[电话],"
                                    "[住址],[费别],[诊断]) values(?,?,?,?,?,?,?,?,?)"));
    for (int i = 0; i < kPatientRows; ++i) {
        const QString name =
            randomName(random, kSurnames, 1) + randomName(random, kGivenNames, 1 + random.bounded(2));
        const QString year = QString::number(1930 + random.bounded(90));
        insert.bind(1, name + PinyinInitials(name) + year)
            .bind(2, name)
            .bind(3, random.bounded(2) ? QStringLiteral("男") : QStringLiteral("女"))
            .bind(4, year)
            .bind(5, QString())
            .bind(6, QStringLiteral("138%1").arg(i, 8, 10, QLatin1Char('0')))
            .bind(7, QStringLiteral("城关镇"))
            .bind(8, QStringLiteral("自费"))
            .bind(9, QStringLiteral("高血压病"));
        insert.run();
        insert.reset();
    }
}

// A prescription window on a main database with the default rows plus the synthetic catalog and patients.
// The catalog and the patients of a large clinic.
struct Workbench : bench::Form2Bench {
    Workbench()
        : Form2Bench([](Database& main) {
              QRandomGenerator random(20240301);
              Transaction transaction(main);
              insertCatalog(main, random);
              insertPatients(main, random);
              transaction.commit();
          }) {}
};

// Made on first use, destroyed before the application object.
std::unique_ptr<Workbench> theWorkbench;
Workbench& workbench() {
    if (!theWorkbench)
        theWorkbench = std::make_unique<Workbench>();
    return *theWorkbench;
}

// Types `before` (untimed, the list then shows its entries), then changes the text to `after` as one
// keystroke would, and lets the window lay out and paint what changed.
void changeText(QLineEdit* box, const QString& before, const QString& after, benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        box->setText(before);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        box->setText(after);
        QCoreApplication::processEvents();
    }
}

void BM_SearchBoxRefill(benchmark::State& state, const QString& before, const QString& after) {
    Form2& form = *workbench().form;
    changeText(form.search.Text1, before, after, state);
    state.counters["entries"] = form.search.List1->count();
}

void BM_CatalogQueryOnly(benchmark::State& state, const QString& text) {
    const Database& db = *workbench().state.mainDb;
    std::size_t rows = 0;
    for (auto _ : state)
        rows = searchCatalog(db, QStringLiteral("中药"), text).size();
    state.counters["rows"] = double(rows);
}

void BM_PatientSuggestions(benchmark::State& state, const QString& before, const QString& after) {
    Form2& form = *workbench().form;
    FieldEdit* name = form.sheet.Text5[kName];
    changeText(name, before, after, state);
    state.counters["entries"] = form.sheet.List5->count();
}

void BM_PatientQueryOnly(benchmark::State& state, const QString& key) {
    const Database& db = *workbench().state.mainDb;
    std::size_t rows = 0;
    for (auto _ : state)
        rows = findPatients(db, key).size();
    state.counters["rows"] = double(rows);
}

} // namespace

BENCHMARK_CAPTURE(BM_SearchBoxRefill, first_letter, QString(), QStringLiteral("s"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchBoxRefill, second_letter, QStringLiteral("s"), QStringLiteral("sh"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchBoxRefill, chinese, QString(), QStringLiteral("石"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchBoxRefill, pad_digit, QString(), QStringLiteral("5"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchBoxRefill, erased_whole_list, QStringLiteral("s"), QString())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogQueryOnly, first_letter, QStringLiteral("s"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogQueryOnly, whole_list, QString())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestions, two_chinese, QStringLiteral("张"), QStringLiteral("张伟"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestions, two_initials, QStringLiteral("z"), QStringLiteral("zw"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestions, birth_year, QStringLiteral("197"), QStringLiteral("1975"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestions, birth_decade, QStringLiteral("19"), QStringLiteral("197"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientQueryOnly, two_chinese, QStringLiteral("张伟"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientQueryOnly, birth_year, QStringLiteral("1975"))->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theWorkbench.reset();
    return 0;
}
