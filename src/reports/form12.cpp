#include "reports/form12.h"

#include "data/clock.h"
#include "data/dates.h"
#include "data/reports.h"
#include "reports/reportrules.h"
#include "reports/reportwindow.h"
#include "session/state.h"
#include "ui/buttons.h"
#include "ui/twips.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lichuan {

Form12::Form12(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("统计"));

    Text3 = reports::dateField(QStringLiteral("Text3"), this);
    Text4 = reports::dateField(QStringLiteral("Text4"), this);
    Command1 = new QPushButton(QStringLiteral("统 计"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("今 日"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    clickOnEnter(*Command1);
    clickOnEnter(*Command2);
    Picture1 = new QGroupBox(QStringLiteral("工作量统计"), this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Label4 = new QLabel(Picture1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setMinimumWidth(twips::px(4800));
    auto* inner = new QVBoxLayout(Picture1);
    inner->addWidget(Label4);

    auto* from = new QLabel(QStringLiteral("起始日期："), this);
    from->setBuddy(Text3);
    auto* to = new QLabel(QStringLiteral("终止日期："), this);
    to->setBuddy(Text4);
    auto* layout = new QGridLayout(this);
    layout->addWidget(from, 0, 0);
    layout->addWidget(Text3, 0, 1);
    layout->addWidget(Command1, 0, 2);
    layout->addWidget(to, 1, 0);
    layout->addWidget(Text4, 1, 1);
    layout->addWidget(Command2, 1, 2);
    layout->addWidget(Picture1, 2, 0, 1, 3);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Command1);
    setTabOrder(Command1, Command2);

    const reports::Period period = reports::defaultPeriod(services_.clock.today());
    Text3->setText(period.from);
    Text4->setText(period.to);
    connect(Command1, &QPushButton::clicked, this, [this] { compute(); });
    connect(Command2, &QPushButton::clicked, this, [this] { today(); });
}

void Form12::compute() {
    reports::BusyCursor busy;
    // A date that cannot be read counts nothing.
    BusinessTotals totals;
    if (services_.state.mainDb)
        totals =
            businessTotals(*services_.state.mainDb, dates::parse(Text3->text()), dates::parse(Text4->text()));
    Label4->setText(reports::businessLine(totals));
}

void Form12::today() {
    const QString day = dates::format(services_.clock.today());
    Text3->setText(day);
    Text4->setText(day);
    compute();
}

} // namespace lichuan
