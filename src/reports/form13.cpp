#include "reports/form13.h"

#include "data/audit.h"
#include "data/clock.h"
#include "data/dates.h"
#include "data/reports.h"
#include "reports/reportexports.h"
#include "reports/reportgrid.h"
#include "reports/reportwindow.h"
#include "session/messages.h"
#include "session/state.h"
#include "spreadsheet/workbookwriter.h"
#include "ui/buttons.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace lichuan {

namespace {

constexpr int kStripFrameTwips = 3075;
constexpr int kStripStartTwips = 30;
constexpr int kStripStepTwips = 100;
const QList<int> kColumnWidths{200, 90, 50, 90};

void letEventsRun() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

Form13::Form13(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("用药统计"));
    build();
    const reports::Period period = reports::defaultPeriod(services_.clock.today());
    Text3->setText(period.from);
    Text4->setText(period.to);
}

void Form13::build() {
    Text3 = reports::dateField(QStringLiteral("Text3"), this);
    Text4 = reports::dateField(QStringLiteral("Text4"), this);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->addItems({QStringLiteral("中药"), QStringLiteral("西成药"), QStringLiteral("收费项目")});
    Combo1->setCurrentText(QStringLiteral("中药"));
    Command1 = new QPushButton(QStringLiteral("统   计"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("导出Excel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    clickOnEnter(*Command1);
    clickOnEnter(*Command2);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->hide();

    model_ = new reports::TextRowsModel(
        {QStringLiteral("药物名称"), QStringLiteral("数量"), QStringLiteral("单位"), QStringLiteral("金额")},
        this);
    grid = new reports::FixedRowsView(model_, reports::kUsageGridRows, kColumnWidths, true, this);
    grid->setObjectName(QStringLiteral("Grid"));
    grid->setAccessibleName(QStringLiteral("用药统计"));
    VS1 = grid->verticalScrollBar();

    Picture1 = new QGroupBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFixedSize(twips::px(kStripFrameTwips), twips::px(300));
    Label4 = new QLabel(Picture1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setAutoFillBackground(true);
    QPalette strip = Label4->palette();
    strip.setColor(QPalette::Window, QColor(0, 0, 128));
    Label4->setPalette(strip);
    Label4->setGeometry(twips::px(15), twips::px(60), twips::px(kStripStartTwips), twips::px(180));
    Label4->hide();
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { advanceProgress(); });

    auto caption = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    auto* layout = new QGridLayout(this);
    layout->addWidget(caption(QStringLiteral("起始日期："), Text3), 0, 0);
    layout->addWidget(Text3, 0, 1);
    layout->addWidget(caption(QStringLiteral("终止日期："), Text4), 0, 2);
    layout->addWidget(Text4, 0, 3);
    layout->addWidget(caption(QStringLiteral("分类："), Combo1), 1, 0);
    layout->addWidget(Combo1, 1, 1);
    layout->addWidget(Command1, 1, 2);
    layout->addWidget(Command2, 1, 3);
    layout->addWidget(grid, 2, 0, 1, 5);
    layout->addWidget(Picture1, 3, 0, 1, 5);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Combo1);
    setTabOrder(Combo1, Command1);
    setTabOrder(Command1, Command2);

    connect(Command1, &QPushButton::clicked, this, [this] { compute(); });
    connect(Command2, &QPushButton::clicked, this, [this] { exportUsage(); });
}

void Form13::compute() {
    const QDate from = dates::parse(Text3->text());
    const QDate to = dates::parse(Text4->text());
    if (!from.isValid() || !to.isValid()) {
        services_.messages.warn(reports::kBadDates);
        return;
    }
    if (!reports::usageSpanAllowed(from, to)) {
        services_.messages.inform(reports::kSpanTooLong);
        return;
    }
    startProgress();
    lines_.clear();
    model_->clear();
    letEventsRun();
    UsageResult result;
    if (services_.state.statsDb)
        result = usageTotals(*services_.state.statsDb, Combo1->currentText(), from, to);
    lines_ = reports::usageLines(result.totals);
    std::vector<QStringList> rows;
    rows.reserve(lines_.size());
    for (const reports::UsageLine& line : lines_)
        rows.push_back({line.name, line.quantity, line.unit, reports::usageGridAmount(line.amount)});
    model_->setRows(std::move(rows));
    VS1->setValue(0);
    letEventsRun();
    stopProgress();
}

void Form13::exportUsage() {
    const QString chosen = reports::askExportPath(services_, this);
    if (chosen.isEmpty())
        return;
    Text1->setText(chosen);
    // Nothing computed yet: nothing is written and nothing is said.
    if (lines_.empty())
        return;
    reports::BusyCursor busy;
    if (reports::exportWorkbook(reports::usageWorkbook(lines_), chosen, services_.messages) &&
        services_.state.mainDb)
        audit::noteExport(*services_.state.mainDb, windowTitle(), spreadsheet::withXlsxExtension(chosen));
}

void Form13::startProgress() {
    Label4->resize(twips::px(kStripStartTwips), Label4->height());
    Label4->show();
    Timer1->start();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void Form13::stopProgress() {
    Timer1->stop();
    Label4->hide();
    Label4->resize(twips::px(kStripStartTwips), Label4->height());
    QGuiApplication::restoreOverrideCursor();
}

void Form13::advanceProgress() {
    int width = twips::fromPx(Label4->width()) + kStripStepTwips;
    if (width > kStripFrameTwips)
        width = kStripStartTwips;
    Label4->resize(twips::px(width), Label4->height());
}

} // namespace lichuan
