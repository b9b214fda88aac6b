// The clinical checks of a 30-herb sheet: the check alone against all default rules, the item text read and
// checked as the strip does it (with the rules' change stamp), and a keystroke in the item box of a real
// prescription window, the strip updated and painted.

#include "data/clinicalrules.h"
#include "data/clock.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/textrules.h"
#include "form2bench.h"
#include "prescription/form2.h"
#include "prescription/safetyitems.h"
#include "prescription/safetypanel.h"
#include "safety/check.h"
#include "safety/rulecache.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/filechooser.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace lichuan;

namespace {

// Thirty herbs of the default catalog as a doctor writes them; three of them break a rule (a pair, an
// overdose of a toxic herb, an overdose).
const char* const kThirtyHerbs =
    "黄芪15g 当归10g 白术[炒]10g 茯苓12g 党参10g 陈皮6g 甘草6g 白芍[炒]10g 熟地12g 山药15g "
    "川芎6g 桂枝9g 柴胡9g 黄芩9g 半夏9g 川乌[先煎]4g 细辛10g 防风9g 羌活9g 独活9g "
    "秦艽9g 牛膝9g 杜仲10g 续断10g 桑寄生10g 威灵仙9g 木瓜9g 薏米15g 泽泻9g 猪苓9g";

QString herbalText() {
    return layOutHerbal(QString::fromUtf8(kThirtyHerbs)).text;
}

using Workbench = bench::Form2Bench;

std::unique_ptr<Workbench> theWorkbench;
Workbench& workbench() {
    if (!theWorkbench)
        theWorkbench = std::make_unique<Workbench>();
    return *theWorkbench;
}

const safety::Patient kWoman{QStringLiteral("女"), QStringLiteral("30"), true};

void BM_CheckThirtyHerbs(benchmark::State& state) {
    const safety::RuleSet rules(clinical::defaultRules());
    const std::vector<safety::Item> items = herbsOfItemText(herbalText(), true);
    std::size_t warnings = 0;
    for (auto _ : state)
        warnings = safety::check(items, kWoman, rules).size();
    state.counters["herbs"] = double(items.size());
    state.counters["rules"] = double(rules.rules().size());
    state.counters["warnings"] = double(warnings);
}

void BM_ReadAndCheckThirtyHerbs(benchmark::State& state) {
    const Database& main = *workbench().state.mainDb;
    const QString text = herbalText();
    std::size_t warnings = 0;
    for (auto _ : state) {
        const auto rules = safety::currentRules(main);
        warnings = safety::check(herbsOfItemText(text, true), kWoman, *rules).size();
    }
    state.counters["warnings"] = double(warnings);
}

// One character typed into the item box (a digit after the last quantity) and taken back, as two
// keystrokes: each refreshes the strip; the window then lays out and paints.
void BM_ItemBoxKeystroke(benchmark::State& state) {
    Form2& form = *workbench().form;
    form.sheet.Text5[kSex]->setText(QStringLiteral("女"));
    form.sheet.Text5[kAge]->setText(QStringLiteral("30"));
    form.sheet.R1->setText(herbalText());
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form.sheet.R1->moveCaretToEnd();
        form.sheet.R1->insertAtCaret(QStringLiteral("1"));
        QCoreApplication::processEvents();
        form.sheet.R1->textCursor().deletePreviousChar();
        QCoreApplication::processEvents();
    }
    state.counters["warnings"] = double(form.safety().warnings().size());
    state.SetItemsProcessed(state.iterations() * 2);
}

} // namespace

BENCHMARK(BM_CheckThirtyHerbs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadAndCheckThirtyHerbs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ItemBoxKeystroke)->Unit(benchmark::kMillisecond);

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
