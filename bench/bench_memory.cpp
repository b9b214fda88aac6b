// The resident size of the workstation on ten years of data: 200,000 prescriptions, 50,000 patients and
// 20,000 catalog items. The files are written by a child run of this program (so that what writing them
// took is not counted); this run opens them as the program does, opens the prescription window and uses
// every copy it keeps: the pick list of every category, the patient suggestions, the history by a name part
// over ten years. The counters give the resident size (VmRSS) and its peak (VmHWM) in MB.

#include "benchsupport.h"
#include "data/clock.h"
#include "data/dates.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/record.h"
#include "data/schema.h"
#include "data/searchcodes.h"
#include "prescription/form2.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/fieldedit.h"
#include "ui/filechooser.h"
#include "ui/picklist.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

using namespace lichuan;

namespace {

constexpr int kPrescriptions = 200'000;
constexpr int kPatients = 50'000;
constexpr int kCatalogItems = 20'000;
const QDateTime kNow(QDate(2024, 6, 30), QTime(9, 30));

QString archiveInsert() {
    QStringList columns{QStringLiteral("序号")};
    for (int i = 0; i < kHeaderFieldCount; ++i)
        columns << QString::number(i);
    columns << QStringLiteral("T1") << QStringLiteral("类别") << QStringLiteral("发药")
            << QStringLiteral("计价");
    QStringList quotedColumns;
    QStringList marks;
    for (const QString& column : std::as_const(columns)) {
        quotedColumns << quoted(column);
        marks << QStringLiteral("?");
    }
    return QStringLiteral("insert into [档案] (%1) values (%2)")
        .arg(quotedColumns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
}

void writeFiles(const QString& folder) {
    std::mt19937 random(17);
    const bench::ClinicDatabases files = bench::createClinicDatabases(QDir(folder));
    const std::unique_ptr<Database>& main = files.main;
    defaults::fillMain(*main, kNow);
    Transaction transaction(*main);
    Statement item(*main,
                   QStringLiteral("insert into [商品]([ID号],[名称],[查询],[拼音],[分类],[常用量],[单位],"
                                  "[单价],[斗位],[用法]) values(?,?,?,?,?,'10','g','0.050','A1','')"));
    const QStringList categories{QStringLiteral("中药"), QStringLiteral("西成药"),
                                 QStringLiteral("收费项目")};
    for (int i = 0; i < kCatalogItems; ++i) {
        const QString name = bench::randomName(random, 2, 4) + QString::number(i);
        const QString initials = PinyinInitials(name);
        item.reset();
        item.bind(1, QStringLiteral("m%1").arg(i))
            .bind(2, name)
            .bind(3, name + initials + KeyDigits(initials))
            .bind(4, initials)
            .bind(5, categories.at(i % 10 < 7 ? 0 : (i % 10 < 9 ? 1 : 2)));
        item.run();
    }
    Statement patient(*main,
                      QStringLiteral("insert into [患者信息]([序号],[姓名],[性别],[年龄],[电话],[住址],"
                                     "[费别],[诊断]) values(?,?,'男',?,?,'城关镇','自费','高血压病')"));
    std::uniform_int_distribution<int> year(1930, 2023);
    for (int i = 0; i < kPatients; ++i) {
        const QString name = bench::randomName(random, 2, 3);
        const QString born = QString::number(year(random));
        patient.reset();
        patient.bind(1, name + bench::initialsOf(name) + born)
            .bind(2, name)
            .bind(3, born)
            .bind(4, QStringLiteral("138%1").arg(i, 8, 10, QLatin1Char('0')));
        patient.run();
    }
    Statement row(*main, archiveInsert());
    const QString items = QStringLiteral("当归 10g     黄芪 15g     白芍 10g\r\n\r\n川芎 6g      甘草 6g");
    const QString pricing =
        QStringLiteral("当归@黄芪@白芍@川芎@甘草$60@90@60@36@36$g@g@g@g@g$0.050@0.030@0.040@"
                       "0.060@0.020$3.000@2.700@2.400@2.160@0.720$A1@B2@C3@D4@E5$");
    const QDateTime oldest = kNow.addYears(-10);
    const qint64 step = oldest.secsTo(kNow) / kPrescriptions;
    std::uniform_int_distribution<int> someone(0, 19999);
    QStringList names;
    for (int i = 0; i < 20000; ++i)
        names << bench::randomName(random, 2, 3);
    for (int n = 0; n < kPrescriptions; ++n) {
        const QDateTime moment = oldest.addSecs(step * n);
        row.reset();
        int c = 1;
        row.bind(c++, timestamp14(moment) + QStringLiteral("m1"));
        for (int i = 0; i < kHeaderFieldCount; ++i) {
            switch (i) {
            case kName:
                row.bind(c++, names.at(someone(random)));
                break;
            case kSex:
                row.bind(c++, QStringLiteral("男"));
                break;
            case kAge:
                row.bind(c++, QStringLiteral("45岁"));
                break;
            case kDate:
                row.bind(c++, dates::format(moment.date()));
                break;
            case kDiagnosis:
                row.bind(c++, QStringLiteral("慢性胃炎"));
                break;
            default:
                row.bind(c++, QString(QLatin1String("")));
                break;
            }
        }
        row.bind(c++, items);
        row.bind(c++, QStringLiteral("中"));
        row.bind(c++, QString(QLatin1String("")));
        row.bind(c++, pricing);
        row.run();
    }
    transaction.commit();
}

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

QString folder;

void BM_ResidentSize(benchmark::State& state) {
    ProcessState process;
    FixedClock clock(kNow);
    RecordingMessages messages;
    Navigator navigator;
    QtFileChooser chooser; // never asked here
    process.StationSuffix = QStringLiteral("m2");
    process.mainDb = Database::open(folder + QStringLiteral("/数据库.dat"), databaseKey(),
                                    Database::OpenMode::ExistingOnly);
    process.statsDb = Database::open(folder + QStringLiteral("/用药统计.dat"), databaseKey(),
                                     Database::OpenMode::ExistingOnly);
    SettingsStore settings(process.mainDb.get(), QStringLiteral("PDF"), [] { return QStringLiteral("PDF"); });
    Services services{process, settings, clock, messages, navigator, chooser};
    Form2 form(services);
    form.show();
    for (auto _ : state) {
        for (int category : {1, 2, 0}) {
            form.search.Command1[std::size_t(category)]->click();
            form.search.Text1->setText(QStringLiteral("1"));
            QCoreApplication::processEvents();
        }
        form.search.Text1->clear();
        form.sheet.Text5[kName]->setText(QStringLiteral("当归"));
        form.history.Text2->setText(QStringLiteral("当"));
        form.history.Command7->click();
        QCoreApplication::processEvents();
    }
    state.counters["entries"] = form.search.List1->count();
    state.counters["history"] = form.history.List2->count();
    state.counters["VmRSS_MB"] = double(statusKilobytes("VmRSS:")) / 1024.0;
    state.counters["VmHWM_MB"] = double(statusKilobytes("VmHWM:")) / 1024.0;
}
BENCHMARK(BM_ResidentSize)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--write") == 0) {
        QCoreApplication app(argc, argv);
        writeFiles(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    folder = dir.path();
    if (QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--write"), folder}) !=
        0) {
        std::fprintf(stderr, "writing the files failed\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
