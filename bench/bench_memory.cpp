// The resident size of the workstation on ten years of data: 200,000 prescriptions, 50,000 patients and
// 20,000 catalog items. The files are written by a child run of this program (so that what writing them
// took is not counted); this run opens them as the program does, opens the prescription window and uses
// every copy it keeps: the pick list of every category, the patient suggestions, the history by a name part
// over ten years. The counters give the resident size (VmRSS) and its peak (VmHWM) in MB.

#include "clinicfiles.h"
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
    FixedClock clock(bench::kClinicNow);
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
        bench::writeClinicFiles(QString::fromLocal8Bit(argv[2]), bench::ClinicSize::tenYears());
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
