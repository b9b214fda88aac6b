// The log, business statistics and drug usage windows driven as the doctor drives them, on real database
// files; and the menu and toolbar entries that open them in the main window.

#include "app/form1.h"
#include "data/clock.h"
#include "data/reports.h"
#include "prescription/form2.h"
#include "prescription/toolbar.h"
#include "printing/document.h"
#include "printing/printui.h"
#include "reportdata.h"
#include "reports/form12.h"
#include "reports/form13.h"
#include "reports/form7.h"
#include "reports/reportgrid.h"
#include "reports/reportrules.h"
#include "session/messages.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "spreadsheet/workbookreader.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using namespace lichuan;
using test::line;

namespace {

class FixedSheet final : public SheetAccess {
public:
    QString headerField(int field) const override { return field == kPhysician ? physician : QString(); }
    QString recordKey() const override { return {}; }
    QString itemText() const override { return {}; }
    QStringList itemLinesAsShown() const override { return {}; }
    bool herbalMode() const override { return true; }
    void layOutItems() override {}
    bool saveSheet() override { return false; }
    void setClinicTitle(const QString&) override {}
    void previewPrescription(const QString&, const QString&) override {}
    QString physician = QStringLiteral("王医师");
};

// The two database files of a clinic and the services a window is given.
struct Clinic {
    test::ClinicData data;
    ProcessState state;
    FixedClock clock{QDateTime(QDate(2017, 2, 15), QTime(9, 0))};
    RecordingMessages messages;
    Navigator navigator;
    test::ScriptedFileChooser files;
    FixedSheet sheet;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;

    Clinic() {
        state.DataFolder = data.dir.path();
        settings = std::make_unique<SettingsStore>(data.main.get(), QString(), [] { return QString(); });
        services =
            std::make_unique<Services>(Services{state, *settings, clock, messages, navigator, files, &sheet});
    }
    // The connections go to the state once the files are filled (the helpers write through them too).
    void open() {
        state.mainDb = std::move(data.main);
        state.statsDb = std::move(data.statistics);
    }
};

void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void setText(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
}

} // namespace

class TestReportWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void logOpensOnTheLastMonthWithItsMargins() {
        Clinic clinic;
        clinic.data.addPrescription(QStringLiteral("2017-01-14"), QStringLiteral("之前"));
        clinic.data.addPrescription(QStringLiteral("2017-01-15"), QStringLiteral("张三"));
        clinic.data.addPrescription(QStringLiteral("2017-02-15"), QStringLiteral("李四"));
        clinic.open();
        Form7 form(*clinic.services);
        QCOMPARE(form.Text3->text(), QStringLiteral("2017-01-15"));
        QCOMPARE(form.Text4->text(), QStringLiteral("2017-02-15"));
        QCOMPARE(form.Label1->text(), QStringLiteral("记录数：2"));
        QCOMPARE(form.grid->cellText(0, 0), QStringLiteral("张三"));
        QCOMPARE(form.grid->cellText(1, 0), QStringLiteral("李四"));
        QCOMPARE(form.grid->cellText(1, 5), QStringLiteral("2017-02-15"));
        QCOMPARE(form.grid->cellText(2, 0), QString());
        QCOMPARE(form.Text1->text(), QStringLiteral("10"));
        QCOMPARE(form.Text5->text(), QStringLiteral("20"));
        QCOMPARE(form.Cm2[4]->text(), QStringLiteral("住址/电话"));
        QVERIFY(clinic.messages.shown.isEmpty());
    }

    void logHeadingsStandOnTheGridLines() {
        Clinic clinic;
        clinic.open();
        Form7 form(*clinic.services);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The line left of column 0 is the grid's frame; the line right of column i is its grid line.
        const int gridLeft = form.grid->mapTo(&form, QPoint(0, 0)).x();
        const int cellsLeft = form.grid->viewport()->mapTo(&form, QPoint(0, 0)).x();
        int lineBefore = gridLeft;
        for (int i = 0; i < 7; ++i) {
            const QRect heading(form.Cm2[size_t(i)]->mapTo(&form, QPoint(0, 0)), form.Cm2[size_t(i)]->size());
            const int lineAfter =
                cellsLeft + form.grid->columnViewportPosition(i) + form.grid->columnWidth(i) - 1;
            QCOMPARE(heading.left(), lineBefore);
            QCOMPARE(heading.right(), lineAfter);
            QCOMPARE(heading.bottom() + 1, form.grid->mapTo(&form, QPoint(0, 0)).y());
            lineBefore = lineAfter;
        }
    }

    void logGridScrollsThroughTheResults() {
        Clinic clinic;
        for (int i = 0; i < 20; ++i)
            clinic.data.addPrescription(QStringLiteral("2017-02-01"), QStringLiteral("患者%1").arg(i));
        clinic.data.addPrescription(QStringLiteral("2017-02-02"), QStringLiteral("患者20"));
        clinic.data.addPrescription(QStringLiteral("2017-03-01"), QStringLiteral("三月"));
        clinic.open();
        Form7 form(*clinic.services);
        form.show();
        QCOMPARE(form.Label1->text(), QStringLiteral("记录数：21"));
        QVERIFY(form.VS1->isEnabled());
        QCOMPARE(form.VS1->minimum(), 0);
        QCOMPARE(form.VS1->maximum(), 1);
        QCOMPARE(form.grid->cellText(19, 0), QStringLiteral("患者19"));
        form.VS1->setValue(1);
        QCOMPARE(form.grid->cellText(0, 0), QStringLiteral("患者1"));
        QCOMPARE(form.grid->cellText(19, 0), QStringLiteral("患者20"));
        // Dates as a person types them; exactly twenty results fill the grid with the scroll bar off.
        setText(form.Text3, QStringLiteral("2017-2-1"));
        setText(form.Text4, QStringLiteral("2017/2/1"));
        click(form.Command1);
        QCOMPARE(form.Label1->text(), QStringLiteral("记录数：20"));
        QVERIFY(!form.VS1->isEnabled());
        QCOMPARE(form.VS1->value(), 0);
        QCOMPARE(form.grid->cellText(19, 0), QStringLiteral("患者19"));
        // A result that fits: the scroll bar is off and the rows below the results stay empty.
        setText(form.Text3, QStringLiteral("2017-02-03"));
        setText(form.Text4, QStringLiteral("2017-03-31"));
        click(form.Command1);
        QCOMPARE(form.Label1->text(), QStringLiteral("记录数：1"));
        QVERIFY(!form.VS1->isEnabled());
        QCOMPARE(form.grid->cellText(0, 0), QStringLiteral("三月"));
        QCOMPARE(form.grid->cellText(1, 0), QString());
        // A start after the end lists nothing.
        setText(form.Text3, QStringLiteral("2017-03-31"));
        setText(form.Text4, QStringLiteral("2017-02-01"));
        click(form.Command1);
        QCOMPARE(form.Label1->text(), QStringLiteral("记录数：0"));
        QVERIFY(clinic.messages.shown.isEmpty());
    }

    void logRefusesTooManyRowsAndUnreadableDates() {
        Clinic clinic;
        {
            // 30,001 prescriptions of one day, written in one go.
            Transaction transaction(*clinic.data.main);
            Statement insert(
                *clinic.data.main,
                QStringLiteral("insert into [档案] ([序号],[0],[5]) values (?, ?, '2017-02-10')"));
            for (int i = 0; i <= reports::kLogRowLimit; ++i) {
                insert.reset();
                insert.bind(1, QStringLiteral("2017021000%1").arg(i, 6, 10, QLatin1Char('0')))
                    .bind(2, QStringLiteral("患者"));
                insert.run();
            }
            transaction.commit();
        }
        clinic.open();
        Form7 form(*clinic.services);
        QCOMPARE(clinic.messages.shown, QStringList{reports::kTooManyRows});
        QVERIFY(form.results().empty());
        QCOMPARE(form.grid->cellText(0, 0), QString());

        setText(form.Text3, QStringLiteral("2017-02-30"));
        click(form.Command1);
        QCOMPARE(clinic.messages.warnings, QStringList{reports::kBadDates});
        QCOMPARE(form.Label1->text(), QStringLiteral("记录数：0"));
        // Nothing to print for an unreadable date.
        QVERIFY(form.logBook().isEmpty());
    }

    void logMarginsAreWrittenOnCloseAndUsedByThePrint() {
        Clinic clinic;
        clinic.data.addPrescription(QStringLiteral("2017-02-01"), QStringLiteral("张三"));
        clinic.open();
        {
            Form7 form(*clinic.services);
            form.show();
            setText(form.Text1, QStringLiteral("15"));
            setText(form.Text5, QStringLiteral("12"));
            const printing::Document book = form.logBook();
            QCOMPARE(int(book.pages.size()), 1);
            QCOMPARE(book.orientation, printing::Orientation::Landscape);
            bool physician = false;
            for (const printing::TextOp* text : book.texts())
                physician = physician || text->text == QStringLiteral("医师：王医师");
            QVERIFY(physician);
            form.close();
        }
        const LogMargins stored = readLogMargins(*clinic.state.mainDb);
        QCOMPARE(stored.left, QStringLiteral("15"));
        QCOMPARE(stored.top, QStringLiteral("12"));
        Form7 again(*clinic.services);
        QCOMPARE(again.Text1->text(), QStringLiteral("15"));
        QCOMPARE(again.Text3->text(), QStringLiteral("2017-01-15"));
    }

    void logExportWritesTheRangeOrNothing() {
        Clinic clinic;
        clinic.data.addPrescription(QStringLiteral("2017-02-01"), QStringLiteral("O'Brien"));
        clinic.data.addPrescription(QStringLiteral("2017-02-02"), QStringLiteral("李四"));
        clinic.open();
        Form7 form(*clinic.services);
        QString answer = clinic.data.dir.filePath(QStringLiteral("日志"));
        clinic.files.answer = [&answer] { return answer; };
        click(form.Command2);
        QCOMPARE(clinic.messages.shown, QStringList{reports::kExported});
        QCOMPARE(form.Label1->text(), QStringLiteral("计录数：2"));
        QCOMPARE(form.Text6->text(), answer);
        const spreadsheet::ReadResult read = spreadsheet::readFirstSheet(answer + QStringLiteral(".xlsx"));
        QVERIFY(read.ok);
        QCOMPARE(int(read.rows.size()), 4);
        QCOMPARE(spreadsheet::cellAt(read.rows[2], 0).toText(), QStringLiteral("O'Brien"));
        QCOMPARE(spreadsheet::cellAt(read.rows[3], 5).toText(), QStringLiteral("2017-02-02"));

        // An empty range writes no file and says nothing; a cancelled dialog does nothing.
        clinic.messages.shown.clear();
        answer = clinic.data.dir.filePath(QStringLiteral("空"));
        setText(form.Text3, QStringLiteral("2016-01-01"));
        setText(form.Text4, QStringLiteral("2016-01-31"));
        click(form.Command2);
        QVERIFY(clinic.messages.shown.isEmpty());
        QCOMPARE(form.Label1->text(), QStringLiteral("计录数：0"));
        QVERIFY(!QFile::exists(answer + QStringLiteral(".xlsx")));
        answer.clear();
        click(form.Command2);
        QVERIFY(clinic.messages.shown.isEmpty());
        // An unreadable date: the warning, no file.
        answer = clinic.data.dir.filePath(QStringLiteral("坏"));
        setText(form.Text4, QStringLiteral("2016-13-01"));
        click(form.Command2);
        QCOMPARE(clinic.messages.warnings, QStringList{reports::kBadDates});
        QVERIFY(!QFile::exists(answer + QStringLiteral(".xlsx")));
    }

    void businessStatisticsOfAPeriodTodayAndNothing() {
        Clinic clinic;
        clinic.data.addPrescription(QStringLiteral("2017-02-01"), QStringLiteral("甲"),
                                    QStringLiteral("12.50"));
        clinic.data.addPrescription(QStringLiteral("2017-02-03"), QStringLiteral("乙"), QString());
        clinic.data.addPrescription(QStringLiteral("2017-02-15"), QStringLiteral("丙"),
                                    QStringLiteral("0.10"));
        clinic.data.addPrescription(QStringLiteral("2017-02-15"), QStringLiteral("丁"),
                                    QStringLiteral("0.20"));
        clinic.open();
        Form12 form(*clinic.services);
        QCOMPARE(form.Picture1->title(), QStringLiteral("工作量统计"));
        QCOMPARE(form.Label4->text(), QString());
        setText(form.Text3, QStringLiteral("2017-02-01"));
        setText(form.Text4, QStringLiteral("2017-02-03"));
        click(form.Command1);
        QCOMPARE(form.Label4->text(), QStringLiteral("门诊处方数：2张，业务额(￥)：12.50"));
        click(form.Command2);
        QCOMPARE(form.Text3->text(), QStringLiteral("2017-02-15"));
        QCOMPARE(form.Text4->text(), QStringLiteral("2017-02-15"));
        QCOMPARE(form.Label4->text(), QStringLiteral("门诊处方数：2张，业务额(￥)：0.30"));
        clinic.clock.set(QDateTime(QDate(2017, 2, 16), QTime(9, 0)));
        click(form.Command2);
        QCOMPARE(form.Label4->text(), QStringLiteral("无统计数字"));
        setText(form.Text3, QStringLiteral("2017-02-01'"));
        click(form.Command1);
        QCOMPARE(form.Label4->text(), QStringLiteral("无统计数字"));
        QVERIFY(clinic.messages.shown.isEmpty());
    }

    void usageStatisticsComputeShowAndExport() {
        Clinic clinic;
        QVERIFY(clinic.data.addLines(QDate(2017, 1, 1), {line(QStringLiteral("黄芪"), QStringLiteral("600"),
                                                              QStringLiteral("g"), QStringLiteral("30.000")),
                                                         line(QStringLiteral("大枣"), QStringLiteral("1500"),
                                                              QStringLiteral("g"), QString())}));
        QVERIFY(clinic.data.addLines(
            QDate(2017, 2, 2),
            {line(QStringLiteral("阿莫西林胶囊"), QStringLiteral("2"), QStringLiteral("盒"),
                  QStringLiteral("48.400"), QStringLiteral("西成药"))}));
        QVERIFY(clinic.data.addLines(
            QDate(2017, 1, 20),
            {line(QStringLiteral("阿莫西林胶囊"), QStringLiteral("3"), QStringLiteral("盒"),
                  QStringLiteral("72.600"), QStringLiteral("西成药"))}));
        clinic.open();
        Form13 form(*clinic.services);
        form.show();
        QCOMPARE(form.Combo1->currentText(), QStringLiteral("中药"));
        QCOMPARE(form.Text3->text(), QStringLiteral("2017-01-15"));
        QString answer = clinic.data.dir.filePath(QStringLiteral("用药"));
        clinic.files.answer = [&answer] { return answer; };
        // Nothing computed yet: the export writes nothing and says nothing.
        click(form.Command2);
        QVERIFY(clinic.messages.shown.isEmpty());
        QVERIFY(!QFile::exists(answer + QStringLiteral(".xlsx")));

        setText(form.Text3, QStringLiteral("2017-01-01"));
        setText(form.Text4, QStringLiteral("2017-02-03"));
        click(form.Command1);
        QCOMPARE(clinic.messages.shown, QStringList{reports::kSpanTooLong});
        QCOMPARE(form.grid->cellText(0, 0), QString());
        setText(form.Text4, QStringLiteral("2017-02-02"));
        click(form.Command1);
        QCOMPARE(clinic.messages.shown.size(), 1);
        QCOMPARE(form.grid->cellText(0, 0), QStringLiteral("大枣"));
        QCOMPARE(form.grid->cellText(0, 1), QStringLiteral("1.50"));
        QCOMPARE(form.grid->cellText(0, 2), QStringLiteral("kg"));
        QCOMPARE(form.grid->cellText(0, 3), QString()); // no amount: empty in the grid
        QCOMPARE(form.grid->cellText(1, 0), QStringLiteral("黄芪"));
        QCOMPARE(form.grid->cellText(1, 1), QStringLiteral("0.60"));
        QCOMPARE(form.grid->cellText(1, 3), QStringLiteral("30.00"));
        QVERIFY(!form.VS1->isEnabled());
        QVERIFY(form.Label4->isHidden());
        QVERIFY(!form.Timer1->isActive());

        form.Combo1->setCurrentText(QStringLiteral("西成药"));
        click(form.Command1);
        QCOMPARE(form.grid->cellText(0, 0), QStringLiteral("阿莫西林胶囊"));
        QCOMPARE(form.grid->cellText(0, 1), QStringLiteral("5"));
        QCOMPARE(form.grid->cellText(0, 2), QStringLiteral("盒"));
        QCOMPARE(form.grid->cellText(0, 3), QStringLiteral("121.00"));

        form.Combo1->setCurrentText(QStringLiteral("中药"));
        click(form.Command1);
        // The inputs change afterwards: the export writes the last result.
        setText(form.Text3, QStringLiteral("2016-01-01"));
        click(form.Command2);
        QCOMPARE(clinic.messages.shown.last(), reports::kExported);
        QCOMPARE(form.Text1->text(), answer);
        const spreadsheet::ReadResult read = spreadsheet::readFirstSheet(answer + QStringLiteral(".xlsx"));
        QVERIFY(read.ok);
        QCOMPARE(int(read.rows.size()), 4);
        QCOMPARE(spreadsheet::cellAt(read.rows[2], 3).toText(), QStringLiteral("0.00"));
        QCOMPARE(spreadsheet::cellAt(read.rows[3], 1).toText(), QStringLiteral("0.60"));

        // An unreadable date says how a date is written.
        form.Text4->setText(QStringLiteral("二月"));
        click(form.Command1);
        QCOMPARE(clinic.messages.warnings, QStringList{reports::kBadDates});
    }

    void usageGridScrollsSixteenRows() {
        Clinic clinic;
        std::vector<PricedLine> lines;
        for (int i = 0; i < 20; ++i)
            lines.push_back(line(QStringLiteral("药%1").arg(QChar(0x4e00 + i)), QStringLiteral("10"),
                                 QStringLiteral("g"), QStringLiteral("1.000")));
        QVERIFY(clinic.data.addLines(QDate(2017, 2, 1), lines));
        clinic.open();
        Form13 form(*clinic.services);
        form.show();
        click(form.Command1);
        QVERIFY(form.VS1->isEnabled());
        QCOMPARE(form.VS1->maximum(), 20 - 16);
        form.VS1->setValue(4);
        QCOMPARE(form.grid->cellText(15, 0), form.lines().back().name);
    }

    void menuAndToolbarOpenTheWindows() {
        Clinic clinic;
        clinic.data.addPrescription(QStringLiteral("2017-02-01"), QStringLiteral("张三"));
        clinic.open();
        Form1 main(clinic.state, *clinic.settings, clinic.clock, clinic.messages, {});
        main.resize(1200, 900);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto activeTitle = [&main] {
            QMdiSubWindow* sub = main.mdiArea()->activeSubWindow();
            return sub && sub->widget() ? sub->widget()->windowTitle() : QString();
        };
        const std::pair<const char*, const char*> items[] = {
            {"日志报表", "门诊日志"}, {"业务统计", "统计"}, {"用药统计", "用药统计"}};
        for (const auto& [item, title] : items) {
            main.menuBar()->findChild<QAction*>(QString::fromUtf8(item))->trigger();
            QCOMPARE(activeTitle(), QString::fromUtf8(title));
        }
        // The log opened again replaces the open one, which wrote its margins when it closed.
        auto* log = main.childWindow(Form1::ChildWindow::Log)->widget();
        log->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("7"));
        Form2* sheet = main.prescriptionWindow();
        QLabel* logButton = sheet->toolbar.Label18[Toolbar::Log];
        QTest::mousePress(logButton, Qt::LeftButton);
        QTest::mouseRelease(logButton, Qt::LeftButton);
        QCOMPARE(activeTitle(), QStringLiteral("门诊日志"));
        QCOMPARE(main.childWindow(Form1::ChildWindow::Log)
                     ->widget()
                     ->findChild<QLineEdit*>(QStringLiteral("Text1"))
                     ->text(),
                 QStringLiteral("7"));
        QCOMPARE(
            main.mdiArea()->activeSubWindow()->widget()->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
            QStringLiteral("记录数：1"));
        QLabel* statisticsButton = sheet->toolbar.Label18[Toolbar::Statistics];
        QTest::mousePress(statisticsButton, Qt::LeftButton);
        QTest::mouseRelease(statisticsButton, Qt::LeftButton);
        QCOMPARE(activeTitle(), QStringLiteral("统计"));
        main.close();
        QCOMPARE(readLogMargins(*clinic.state.mainDb).left, QStringLiteral("7"));
    }
};

QTEST_MAIN(TestReportWindows)
#include "test_report_windows.moc"
