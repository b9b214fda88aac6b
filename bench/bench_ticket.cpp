// The pick-up ticket of a 30-item prescription: its lines from the priced lines (drawer order, quantities
// per dose, the dose count), and the ticket laid out on the recording surface for A5 paper and for an 80 mm
// roll; what a click on "取药单" computes before the page goes to the printer.

#include "prescription/ticket.h"
#include "prescription/ticketlayout.h"
#include "printing/surface.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace lichuan;

namespace {

// 28 herbs (a few with notes, two without a drawer) and two charge items, priced for 7 doses.
ticket::PricedSheet thirtyItems() {
    static const QStringList herbs{
        QStringLiteral("黄芪"),   QStringLiteral("当归"), QStringLiteral("石膏[先煎]"),
        QStringLiteral("白术"),   QStringLiteral("茯苓"), QStringLiteral("甘草"),
        QStringLiteral("桂枝"),   QStringLiteral("白芍"), QStringLiteral("阿胶[烊化]"),
        QStringLiteral("大枣"),   QStringLiteral("柴胡"), QStringLiteral("半夏"),
        QStringLiteral("人参"),   QStringLiteral("川芎"), QStringLiteral("熟地"),
        QStringLiteral("山药"),   QStringLiteral("丹皮"), QStringLiteral("赤芍"),
        QStringLiteral("红花"),   QStringLiteral("桃仁"), QStringLiteral("龙骨[先煎]"),
        QStringLiteral("麻黄"),   QStringLiteral("知母"), QStringLiteral("连翘"),
        QStringLiteral("金银花"), QStringLiteral("菊花"), QStringLiteral("薄荷[后下]"),
        QStringLiteral("牛蒡子")};
    ticket::PricedSheet sheet;
    sheet.doses = QStringLiteral("7");
    for (int i = 0; i < herbs.size(); ++i) {
        const QString quantity = QString::number(6 + i % 10);
        sheet.itemText += herbs.at(i) + quantity + QStringLiteral("g ");
        PricedLine line;
        line.name = herbs.at(i);
        line.quantity = QString::number((6 + i % 10) * 7);
        line.unit = QStringLiteral("g");
        line.amount = QStringLiteral("1.250");
        line.drawer =
            i % 13 == 5 ? QString() : QStringLiteral("%1%2").arg(QChar(u'A' + (i * 7) % 9)).arg(i % 6 + 1);
        line.category = QStringLiteral("中药");
        sheet.lines.push_back(line);
    }
    sheet.itemText += QStringLiteral("\r\n挂号费 1\r\n针灸 2");
    for (const QString& charge : {QStringLiteral("挂号费"), QStringLiteral("针灸")}) {
        PricedLine line;
        line.name = charge;
        line.quantity = QStringLiteral("1");
        line.unit = QStringLiteral("次");
        line.amount = QStringLiteral("15.000");
        line.category = QStringLiteral("收费项目");
        sheet.lines.push_back(line);
    }
    return sheet;
}

ticket::Content contentOf(const ticket::Lines& lines) {
    ticket::Content content;
    content.clinicName = QStringLiteral("栎川镇卫生院");
    content.key = QStringLiteral("20240301093000t1");
    content.date = QStringLiteral("2024-03-01");
    content.patient = QStringLiteral("张三");
    content.sex = QStringLiteral("男");
    content.age = QStringLiteral("45岁");
    content.doses = lines.doses;
    content.lines = lines.lines;
    content.total = lines.total;
    content.doctor = QStringLiteral("李明");
    content.dispenser = QStringLiteral("王芳");
    return content;
}

void BM_TicketLines(benchmark::State& state) {
    const ticket::PricedSheet sheet = thirtyItems();
    for (auto _ : state)
        benchmark::DoNotOptimize(ticket::ticketLines(sheet));
}

void layOut(benchmark::State& state, const TicketPaper& paper) {
    const ticket::PricedSheet sheet = thirtyItems();
    printing::Surface surface;
    for (auto _ : state) {
        layOutTicket(surface, contentOf(ticket::ticketLines(sheet)),
                     {QStringLiteral("10"), QStringLiteral("10")}, paper);
        benchmark::DoNotOptimize(surface.endDocument());
    }
}

void BM_TicketOnA5(benchmark::State& state) {
    layOut(state, TicketPaper{148, 210, 0, 0});
}

void BM_TicketOnRoll80(benchmark::State& state) {
    layOut(state, TicketPaper{80, 297, 0, 0});
}

} // namespace

BENCHMARK(BM_TicketLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TicketOnA5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TicketOnRoll80)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
