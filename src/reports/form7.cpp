#include "reports/form7.h"

#include "data/audit.h"
#include "data/clock.h"
#include "data/dates.h"
#include "data/record.h"
#include "printing/output.h"
#include "printing/printui.h"
#include "printing/surface.h"
#include "reports/logbook.h"
#include "reports/reportexports.h"
#include "reports/reportgrid.h"
#include "reports/reportrules.h"
#include "reports/reportwindow.h"
#include "session/messages.h"
#include "session/state.h"
#include "spreadsheet/workbookwriter.h"
#include "ui/buttons.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <limits>

namespace lichuan {

namespace {

const QList<int> kColumnWidths{80, 40, 50, 150, 180, 90, 80};

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    clickOnEnter(*b);
    return b;
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QStringList gridRow(const LogRow& row) {
    return {row.name, row.sex, row.age, row.diagnosis, row.address, row.date};
}

} // namespace

Form7::Form7(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("门诊日志"));
    build();
    const reports::Period period = reports::defaultPeriod(services_.clock.today());
    Text3->setText(period.from);
    Text4->setText(period.to);
    query();
    if (services_.state.mainDb) {
        const LogMargins margins = readLogMargins(*services_.state.mainDb);
        Text1->setText(margins.left);
        Text5->setText(margins.top);
    }
}

Form7::~Form7() = default;

void Form7::build() {
    Text3 = reports::dateField(QStringLiteral("Text3"), this);
    Text4 = reports::dateField(QStringLiteral("Text4"), this);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("查  询"), this);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));

    auto* top = new QHBoxLayout;
    top->addWidget(caption(QStringLiteral("起始日期："), Text3, this));
    top->addWidget(Text3);
    top->addWidget(caption(QStringLiteral("终止日期："), Text4, this));
    top->addWidget(Text4);
    top->addWidget(Command1);
    top->addSpacing(twips::px(600));
    top->addWidget(Label1);
    top->addStretch();

    const QStringList headings{QStringLiteral("姓名"),      QStringLiteral("性别"),
                               QStringLiteral("年龄"),      QStringLiteral("诊断"),
                               QStringLiteral("住址/电话"), QStringLiteral("就诊日期"),
                               QStringLiteral("备注")};
    // The heading buttons stand on the grid's column lines: each spans its column and both lines around
    // it, so that neighbours share the line between them (the grid's frame line is the first one).
    auto* headingStrip = new QWidget(this);
    int left = 0;
    for (int i = 0; i < 7; ++i) {
        Cm2[size_t(i)] = new QPushButton(headings.at(i), headingStrip);
        Cm2[size_t(i)]->setObjectName(QStringLiteral("Cm2_%1").arg(i));
        Cm2[size_t(i)]->setFocusPolicy(Qt::NoFocus);
        const int height = Cm2[size_t(i)]->sizeHint().height();
        Cm2[size_t(i)]->setGeometry(left, 0, kColumnWidths.at(i) + 1, height);
        headingStrip->setFixedSize(left + kColumnWidths.at(i) + 1, height);
        left += kColumnWidths.at(i);
    }

    model_ = new reports::TextRowsModel(headings, this);
    grid = new reports::FixedRowsView(model_, reports::kLogGridRows, kColumnWidths, false, this);
    grid->setObjectName(QStringLiteral("Grid"));
    grid->setAccessibleName(QStringLiteral("门诊日志"));
    VS1 = grid->verticalScrollBar();
    HS1 = new QScrollBar(Qt::Horizontal, this);
    HS1->setObjectName(QStringLiteral("HS1"));
    HS1->setAccessibleName(QStringLiteral("HS1"));
    HS1->setFixedWidth(grid->width());
    HS1->setEnabled(false);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFixedWidth(twips::px(600));
    Text5 = new QLineEdit(this);
    Text5->setObjectName(QStringLiteral("Text5"));
    Text5->setFixedWidth(twips::px(600));
    Text6 = new QLineEdit(this);
    Text6->setObjectName(QStringLiteral("Text6"));
    Text6->hide();
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("导出Excel"), this);
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("打  印"), this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(caption(QStringLiteral("打印边距(mm)：左"), Text1, this));
    bottom->addWidget(Text1);
    bottom->addWidget(caption(QStringLiteral("上"), Text5, this));
    bottom->addWidget(Text5);
    bottom->addStretch();
    bottom->addWidget(Command3);
    bottom->addWidget(Command2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(twips::px(120));
    layout->addWidget(headingStrip);
    layout->setSpacing(0);
    layout->addWidget(grid);
    layout->addWidget(HS1);
    layout->addSpacing(twips::px(120));
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Command1);
    setTabOrder(Command1, Text1);
    setTabOrder(Text1, Text5);
    setTabOrder(Text5, Command3);
    setTabOrder(Command3, Command2);

    connect(Command1, &QPushButton::clicked, this, [this] { query(); });
    connect(Command2, &QPushButton::clicked, this, [this] { exportLog(); });
    connect(Command3, &QPushButton::clicked, this, [this] { printLog(); });
}

bool Form7::readDates(QDate* from, QDate* to) const {
    *from = dates::parse(Text3->text());
    *to = dates::parse(Text4->text());
    return from->isValid() && to->isValid();
}

void Form7::query() {
    reports::BusyCursor busy;
    results_.clear();
    model_->clear();
    QDate from;
    QDate to;
    if (!readDates(&from, &to)) {
        Label1->setText(reports::logCountCaption(0));
        services_.messages.warn(reports::kBadDates);
        return;
    }
    LogResult found;
    if (services_.state.mainDb)
        found = queryLog(*services_.state.mainDb, from, to, reports::kLogRowLimit);
    if (found.tooMany) {
        services_.messages.inform(reports::kTooManyRows);
        return;
    }
    results_ = std::move(found.rows);
    Label1->setText(reports::logCountCaption(int(results_.size())));
    std::vector<QStringList> rows;
    rows.reserve(results_.size());
    for (const LogRow& row : results_)
        rows.push_back(gridRow(row));
    model_->setRows(std::move(rows));
    VS1->setValue(0);
}

void Form7::exportLog() {
    const QString chosen = reports::askExportPath(services_, this);
    if (chosen.isEmpty())
        return;
    Text6->setText(chosen);
    reports::BusyCursor busy;
    QDate from;
    QDate to;
    if (!readDates(&from, &to)) {
        services_.messages.warn(reports::kBadDates);
        return;
    }
    LogResult found;
    if (services_.state.mainDb)
        found = queryLog(*services_.state.mainDb, from, to, std::numeric_limits<int>::max() - 1);
    if (found.failed) {
        services_.messages.warn(reports::kBadDates);
        return;
    }
    Label1->setText(reports::logExportCountCaption(int(found.rows.size())));
    if (found.rows.empty())
        return;
    if (reports::exportWorkbook(reports::logWorkbook(found.rows), chosen, services_.messages) &&
        services_.state.mainDb)
        audit::noteExport(*services_.state.mainDb, windowTitle(), spreadsheet::withXlsxExtension(chosen));
}

printing::Document Form7::logBook() {
    reports::LogBookInput input;
    QDate from;
    QDate to;
    if (readDates(&from, &to) && services_.state.mainDb)
        input.rows = queryLog(*services_.state.mainDb, from, to, std::numeric_limits<int>::max() - 1).rows;
    input.leftMargin = Text1->text();
    input.topMargin = Text5->text();
    if (services_.sheet)
        input.physician = services_.sheet->headerField(kPhysician);
    printing::Surface surface;
    reports::layOutLogBook(surface, input);
    return surface.endDocument();
}

void Form7::printLog() {
    printing::Document document;
    {
        reports::BusyCursor busy;
        document = logBook();
    }
    if (document.isEmpty())
        return;
    const QString what = QStringLiteral("%1 %2至%3").arg(audit::kLogBook, Text3->text(), Text4->text());
    printing::deliver(document, printing::systemDefaultPrinter(), services_.messages, services_.files, this,
                      printing::noteInLog(services_.state, what));
}

void Form7::closeEvent(QCloseEvent* event) {
    if (services_.state.mainDb)
        writeLogMargins(*services_.state.mainDb, {Text1->text(), Text5->text()});
    QWidget::closeEvent(event);
}

} // namespace lichuan
