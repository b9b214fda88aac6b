// The printed prescription: laying out a 30-herb sheet on the recording surface, the item box's lines and
// scroll bar, and rendering the recorded page to a PDF file (after a first print of the run has loaded the
// fonts).

#include "prescription/printlayout.h"
#include "printing/output.h"
#include "printing/surface.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace lichuan;

namespace {

// 30 herbs, three to a line, a few with notes, then the usage line.
SheetContent thirtyHerbs() {
    static const QStringList herbs{
        QStringLiteral("黄芪30g"),   QStringLiteral("当归10g"), QStringLiteral("石膏[先煎]30g"),
        QStringLiteral("白术12g"),   QStringLiteral("茯苓15g"), QStringLiteral("甘草6g"),
        QStringLiteral("桂枝10g"),   QStringLiteral("白芍12g"), QStringLiteral("生姜3个"),
        QStringLiteral("大枣5枚"),   QStringLiteral("柴胡10g"), QStringLiteral("半夏[姜制]9g"),
        QStringLiteral("人参6g"),    QStringLiteral("川芎10g"), QStringLiteral("熟地15g"),
        QStringLiteral("山药15g"),   QStringLiteral("丹皮10g"), QStringLiteral("赤芍10g"),
        QStringLiteral("红花6g"),    QStringLiteral("桃仁10g"), QStringLiteral("杏仁[后下]10g"),
        QStringLiteral("麻黄6g"),    QStringLiteral("知母10g"), QStringLiteral("连翘12g"),
        QStringLiteral("金银花15g"), QStringLiteral("菊花10g"), QStringLiteral("薄荷[后下]6g"),
        QStringLiteral("牛蒡子10g"), QStringLiteral("桔梗6g"),  QStringLiteral("枳壳10g")};
    QString text;
    for (int i = 0; i < herbs.size(); ++i) {
        const QString& herb = herbs.at(i);
        int columns = 0;
        for (const QChar c : herb)
            columns += c.unicode() < 0x80 ? 1 : 2;
        text += herb + QString(qMax(1, 13 - columns), QLatin1Char(' '));
        if (i % 3 == 2)
            text += QStringLiteral("\r\n");
    }
    text += QStringLiteral("用法：水煎服，日一剂，早晚分服");
    SheetContent content;
    content.clinicName = QStringLiteral("栎川镇卫生院");
    content.fields[0] = QStringLiteral("张三");
    content.fields[1] = QStringLiteral("男");
    content.fields[2] = QStringLiteral("45岁");
    content.fields[5] = QStringLiteral("2024-03-01");
    content.fields[6] = QStringLiteral("气血两虚");
    content.doses = QStringLiteral("7");
    content.itemText = text;
    return content;
}

const PrescriptionPrintSettings kSettings{QStringLiteral("10"), QStringLiteral("10"), QStringLiteral("宋体"),
                                          QStringLiteral("14")};

void BM_LayOutPrescription(benchmark::State& state) {
    const PrintedSheet sheet = printedSheet(thirtyHerbs());
    printing::Surface surface;
    for (auto _ : state) {
        layOutPrescription(surface, sheet, kSettings);
        benchmark::DoNotOptimize(surface.endDocument());
    }
}

void BM_SheetAndLayout(benchmark::State& state) {
    const SheetContent content = thirtyHerbs();
    printing::Surface surface;
    for (auto _ : state) {
        layOutPrescription(surface, printedSheet(content), kSettings);
        benchmark::DoNotOptimize(surface.endDocument());
    }
}

// What every change of the item text costs the box: whether it shows its scroll bar (30 herbs fit; four
// times as many lines do not, and are laid out again at the narrower width).
void BM_ItemBoxScrolls(benchmark::State& state) {
    QString text = thirtyHerbs().itemText;
    for (int i = 1; i < state.range(0); ++i)
        text += QStringLiteral("\r\n") + thirtyHerbs().itemText;
    for (auto _ : state)
        benchmark::DoNotOptimize(itemBoxScrolls(text, sheetgeometry::Layout::WideHerbal));
}

void BM_RenderPdf(benchmark::State& state) {
    printing::Surface surface;
    layOutPrescription(surface, printedSheet(thirtyHerbs()), kSettings);
    const printing::Document document = surface.endDocument();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("处方.pdf"));
    const printing::PageSetup a5{QPageSize(QPageSize::A5), {}};
    printing::writePdf(document, path, a5); // the first print of the run
    for (auto _ : state) {
        if (!printing::writePdf(document, path, a5).ok)
            state.SkipWithError("the PDF was not written");
    }
}

} // namespace

BENCHMARK(BM_LayOutPrescription)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SheetAndLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ItemBoxScrolls)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderPdf)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
