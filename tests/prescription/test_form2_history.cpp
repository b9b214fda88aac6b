// The history panel of the prescription window: the list and its buttons, reloading a saved prescription,
// and the record menu with its delete.

#include "data/prescriptions.h"
#include "form2fixture.h"
#include "prescription/historypanel.h"
#include "prescription/safetypanel.h"
#include "prescription/sheetactions.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/picklist.h"
#include "ui/twips.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace lichuan;

namespace {

const QDate kToday(2024, 3, 1);

struct Saved {
    const char* key;
    const char* name;
    const char* date;
    bool settled = false;
};

SheetRecord record(const Saved& s) {
    SheetRecord r;
    r.key = QString::fromUtf8(s.key);
    r.fields[kName] = QString::fromUtf8(s.name);
    r.fields[kSex] = QStringLiteral("男");
    r.fields[kAge] = QStringLiteral("35岁");
    r.fields[kDate] = QString::fromUtf8(s.date);
    r.fields[kPhysician] = QStringLiteral("王医师");
    r.items = QStringLiteral("当归 10g     ");
    r.settled = s.settled ? kSettledMarker : QString();
    return r;
}

void save(test::Form2Fixture& f, const SheetRecord& r) {
    const SaveOutcome outcome = savePrescription(*f.state.mainDb, r, true, kToday);
    QVERIFY(outcome.saved);
    QCOMPARE(outcome.key, r.key);
}

// Three prescriptions of the last month and one older one.
void saveUsualRecords(test::Form2Fixture& f) {
    save(f, record({"20240301080000t1", "张三", "2024-03-01", true}));
    save(f, record({"20240229170000t1", "李四", "2024-02-29"}));
    save(f, record({"20240215090000t1", "张三", "2024-02-15"}));
    save(f, record({"20240110090000t1", "张三", "2024-01-10"}));
}

QStringList entries(const Form2& form) {
    QStringList out;
    for (int i = 0; i < form.history.List2->count(); ++i)
        out << form.history.List2->item(i)->text();
    return out;
}

QPoint entryCentre(const Form2& form, int row) {
    return form.history.List2->visualItemRect(form.history.List2->item(row)).center();
}

void clickEntry(Form2& form, int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(form.history.List2->viewport(), button, Qt::NoModifier, entryCentre(form, row));
}

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
}

int statisticsLines(test::Form2Fixture& f, const QString& key) {
    Statement select(*f.state.statsDb, QStringLiteral("select count(*) from [统计] where [ID号] = ?"));
    select.bind(1, key);
    return select.next() ? int(select.integer(0)) : -1;
}

PricedLines threeLines() {
    PricedLines lines;
    lines[0] = {QStringLiteral("当归"),
                QStringLiteral("60"),
                QStringLiteral("g"),
                QStringLiteral("0.050"),
                QStringLiteral("3.000"),
                QStringLiteral("A1"),
                QString()};
    lines[1] = {QStringLiteral("黄芪"),
                QStringLiteral("90"),
                QStringLiteral("g"),
                QStringLiteral("0.030"),
                QStringLiteral("2.700"),
                QStringLiteral("B2"),
                QString()};
    lines[2] = {QStringLiteral("挂号费"),
                QStringLiteral("1"),
                QStringLiteral("次"),
                QStringLiteral("3"),
                QStringLiteral("3.000"),
                QString(),
                QString()};
    return lines;
}

} // namespace

class TestForm2History : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openedWindowListsTheLastMonthNewestFirst();
    void buttonsSetTheRangeAndQuery();
    void nameFilterWidensTheRangeWithoutQuerying();
    void focusedButtonsAnswerEnter();
    void patientHistoryNeedsAName();
    void filterCharactersAreLiteralAndBadDatesGiveNothing();
    void reloadShowsTheStoredPrescription();
    void entriesLoadTheirOwnRowAfterTheFilterChanged();
    void onlyTheUserReloads();
    void recordMenuOpensAndCloses();
    void deleteRemovesRowLinesAndEntry();
    void deleteCancelledOrRefusedChangesNothing();
    void deleteWithStatisticsLinesLeftBehindSaysSo();
};

void TestForm2History::openedWindowListsTheLastMonthNewestFirst() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    Form2& form = f.open();
    QCOMPARE(form.history.Text3->text(), QStringLiteral("2024-02-01"));
    QCOMPARE(form.history.Text4->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(entries(form), (QStringList{QStringLiteral("张三[男,35岁,2024-03-01]-已结算"),
                                         QStringLiteral("李四[男,35岁,2024-02-29]"),
                                         QStringLiteral("张三[男,35岁,2024-02-15]")}));
    QVERIFY(form.history.Picture6->isHidden());
}

void TestForm2History::buttonsSetTheRangeAndQuery() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    Form2& form = f.open();
    HistoryControls& h = form.history;

    h.Text2->setText(QStringLiteral("李"));
    click(h.Command2); // 今日患者
    QVERIFY(h.Text2->text().isEmpty());
    QCOMPARE(h.Text3->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(h.Text4->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(entries(form), QStringList{QStringLiteral("张三[男,35岁,2024-03-01]-已结算")});

    h.Text2->setText(QStringLiteral("张"));
    click(h.Command5); // <<
    QCOMPARE(h.Text3->text(), QStringLiteral("2024-02-29"));
    QCOMPARE(h.Text4->text(), QStringLiteral("2024-02-29"));
    QVERIFY(h.Text2->text().isEmpty());
    QCOMPARE(entries(form), QStringList{QStringLiteral("李四[男,35岁,2024-02-29]")});

    click(h.Command6); // >>
    QCOMPARE(h.Text3->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(h.Text4->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(entries(form).size(), 1);

    // An end date that cannot be read leaves the dates alone and lists nothing.
    h.Text4->setText(QStringLiteral("2024-13-01"));
    click(h.Command6);
    QCOMPARE(h.Text3->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(h.Text4->text(), QStringLiteral("2024-13-01"));
    QVERIFY(entries(form).isEmpty());
}

void TestForm2History::nameFilterWidensTheRangeWithoutQuerying() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    Form2& form = f.open();
    HistoryControls& h = form.history;
    const QStringList before = entries(form);

    h.Text2->setFocus();
    QInputMethodEvent typed; // Chinese arrives through the input method
    typed.setCommitString(QStringLiteral("张"));
    QApplication::sendEvent(h.Text2, &typed);
    QCOMPARE(h.Text2->text(), QStringLiteral("张"));
    QCOMPARE(h.Text3->text(), QStringLiteral("2014-03-01"));
    QCOMPARE(h.Text4->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(entries(form), before);

    // Enter is consumed and takes the focus to "今日患者".
    QTest::keyClick(h.Text2, Qt::Key_Return);
    QCOMPARE(form.focusWidget(), static_cast<QWidget*>(h.Command2));
    QCOMPARE(h.Text2->text(), QStringLiteral("张"));

    click(h.Command7); // 查   询
    QCOMPARE(entries(form).size(), 3);

    // Emptying the filter leaves the dates; spaces alone do not widen them.
    h.Text3->setText(QStringLiteral("2024-02-20"));
    h.Text2->clear();
    h.Text2->setText(QStringLiteral("  "));
    QCOMPARE(h.Text3->text(), QStringLiteral("2024-02-20"));
}

void TestForm2History::focusedButtonsAnswerEnter() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    Form2& form = f.openActive();
    HistoryControls& h = form.history;

    // Name filter, Enter, Enter: the second Enter presses "今日患者".
    h.Text2->setFocus();
    QTest::keyClicks(h.Text2, QStringLiteral("x"));
    QTest::keyClick(h.Text2, Qt::Key_Return);
    QCOMPARE(form.focusWidget(), static_cast<QWidget*>(h.Command2));
    QTest::keyClick(h.Command2, Qt::Key_Return);
    QVERIFY(h.Text2->text().isEmpty());
    QCOMPARE(h.Text3->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(entries(form), QStringList{QStringLiteral("张三[男,35岁,2024-03-01]-已结算")});

    // The same for the buttons under the priced lines.
    form.sheet.Text5[kName]->setText(QStringLiteral("王五"));
    form.pricing.Command4->setFocus();
    QTest::keyClick(form.pricing.Command4, Qt::Key_Enter);
    QCOMPARE(form.sheet.Label5, kSettledMarker);
}

void TestForm2History::patientHistoryNeedsAName() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    Form2& form = f.open();
    HistoryControls& h = form.history;
    const QStringList before = entries(form);

    form.sheet.Text5[kName]->setText(QStringLiteral("   "));
    click(h.Command11); // 历史处方
    QVERIFY(h.Text2->text().isEmpty());
    QCOMPARE(h.Text3->text(), QStringLiteral("2024-02-01"));
    QCOMPARE(entries(form), before);

    // The same name twice still resets the range.
    form.sheet.Text5[kName]->setText(QStringLiteral("张三"));
    h.Text2->setText(QStringLiteral("张三"));
    h.Text3->setText(QStringLiteral("2024-02-20"));
    click(h.Command11);
    QCOMPARE(h.Text2->text(), QStringLiteral("张三"));
    QCOMPARE(h.Text3->text(), QStringLiteral("2014-03-01"));
    QCOMPARE(entries(form), (QStringList{QStringLiteral("张三[男,35岁,2024-03-01]-已结算"),
                                         QStringLiteral("张三[男,35岁,2024-02-15]"),
                                         QStringLiteral("张三[男,35岁,2024-01-10]")}));
}

void TestForm2History::filterCharactersAreLiteralAndBadDatesGiveNothing() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    save(f, record({"20240302080000t1", "O'Neil", "2024-02-20"}));
    save(f, record({"20240302080001t1", "50%", "2024-02-20"}));
    save(f, record({"20240302080002t1", "A_B", "2024-02-20"}));
    Form2& form = f.open();
    HistoryControls& h = form.history;
    QCOMPARE(entries(form).size(), 6);

    const auto query = [&](const QString& filter) {
        h.Text2->setText(filter);
        click(h.Command7);
        QStringList names;
        for (const QString& entry : entries(form))
            names << entry.section(QLatin1Char('['), 0, 0);
        return names;
    };
    QCOMPARE(query(QStringLiteral("'")), QStringList{QStringLiteral("O'Neil")});
    QCOMPARE(query(QStringLiteral("%")), QStringList{QStringLiteral("50%")});
    QCOMPARE(query(QStringLiteral("_")), QStringList{QStringLiteral("A_B")});

    h.Text2->clear();
    h.Text3->setText(QStringLiteral("2024-02-30"));
    click(h.Command7);
    QVERIFY(entries(form).isEmpty());
    h.Text3->setText(QStringLiteral("2024-2-1"));
    click(h.Command7);
    QCOMPARE(entries(form).size(), 6); // dates as a person types them are read
}

void TestForm2History::reloadShowsTheStoredPrescription() {
    test::Form2Fixture f;
    SheetRecord herbal = record({"20240301080000t1", "张三", "2024-03-01", true});
    herbal.fields[kAmount] = QStringLiteral("8.70");
    herbal.fields[kCaseNumber] = QStringLiteral("20240301080000");
    herbal.items = QStringLiteral("当归 60g     黄芪 90g     \r\n\r\n挂号费 1");
    herbal.caseRecord = QStringLiteral("头痛$无$");
    herbal.lines = threeLines();
    save(f, herbal);
    SheetRecord western = record({"20240229170000t1", "李四", "2024-02-29"});
    western.herbal = false;
    western.items = QStringLiteral("阿莫西林胶囊 2盒\r\n  用法：口服");
    save(f, western);
    Form2& form = f.open();
    PricingControls& p = form.pricing;

    // The doctor had chosen 西成药: the pick list lists Western drugs, the sheet is in Western layout.
    form.state.CurrentCategory = 1;
    form.actions().applyLayout(sheetgeometry::Layout::Western);
    form.actions().setBoldCategory(1);
    form.sheet.Text6->setText(QStringLiteral("7"));
    form.search.List1->setEntries({QStringLiteral("阿莫西林胶囊")});
    p.Lb8[0]->setText(QStringLiteral("西成药"));

    clickEntry(form, 0);
    QCOMPARE(form.state.HistoryIndex, 0);
    QVERIFY(form.state.saved);
    // The item box stands where the narrow layout puts it (the warning strip of its overdoses at its foot).
    QRect box = form.sheet.R1->geometry();
    if (!form.safety().strip()->isHidden())
        box.setBottom(form.safety().strip()->geometry().bottom());
    QCOMPARE(box, twips::rect(840, 2640, 5115, 4755));
    QVERIFY(form.actions().herbalMode());
    QVERIFY(form.search.Command1[0]->font().bold());
    QVERIFY(!form.search.Command1[1]->font().bold());
    QCOMPARE(form.state.CurrentCategory, 1);
    QCOMPARE(form.search.List1->count(), 1);
    QCOMPARE(form.search.List1->text(0), QStringLiteral("阿莫西林胶囊"));

    for (size_t i = 0; i < kHeaderFieldCount; ++i)
        QCOMPARE(form.sheet.Text5[i]->text(), herbal.fields[i]);
    QCOMPARE(form.sheet.R1->text(), herbal.items);
    QCOMPARE(form.sheet.Label4, herbal.key);
    QCOMPARE(form.sheet.Label5, kSettledMarker);
    QCOMPARE(f.state.PendingCaseRecord, herbal.caseRecord);
    QCOMPARE(form.sheet.Text6->text(), QStringLiteral("7")); // not stored: the sheet's count stays
    QVERIFY(!form.state.SuggestSuppressed && !form.state.TotalsSuspended);

    // Three lines as stored, the rest empty; the stored total, not a recomputed one (3 + 2.7 + 3 = 8.70
    // here, so one amount is changed to tell them apart).
    const PricedLines expected = threeLines();
    const PricedLines shown = form.actions().pricedLines();
    for (size_t i = 0; i < 3; ++i) {
        QCOMPARE(shown[i].name, expected[i].name);
        QCOMPARE(shown[i].quantity, expected[i].quantity);
        QCOMPARE(shown[i].unit, expected[i].unit);
        QCOMPARE(shown[i].price, expected[i].price);
        QCOMPARE(shown[i].amount, expected[i].amount);
        QCOMPARE(shown[i].drawer, expected[i].drawer);
    }
    for (size_t i = 3; i < kPricedLineCount; ++i)
        QVERIFY(shown[i].name.isEmpty() && shown[i].quantity.isEmpty() && shown[i].amount.isEmpty());
    QCOMPARE(p.Lb8[0]->text(), QStringLiteral("西成药"));
    QCOMPARE(p.Label16->text(), QStringLiteral("8.70"));

    // The Western record: Western layout with 西成药 in bold; its empty lines clear the herbal ones.
    clickEntry(form, 1);
    QCOMPARE(form.sheet.R1->geometry(), twips::rect(1380, 2640, 4575, 4755));
    QVERIFY(!form.actions().herbalMode());
    QVERIFY(form.search.Command1[1]->font().bold() && !form.search.Command1[0]->font().bold());
    QCOMPARE(form.sheet.Text5[kName]->text(), QStringLiteral("李四"));
    QVERIFY(form.sheet.Label5.isEmpty());
    QVERIFY(p.Lb2[0]->text().isEmpty());
    QVERIFY(p.Label16->text().isEmpty());
    QCOMPARE(form.state.HistoryIndex, 1);

    // Saving the reloaded sheet rewrites its row.
    QCOMPARE(form.actions().toRecord().key, western.key);
}

void TestForm2History::entriesLoadTheirOwnRowAfterTheFilterChanged() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    Form2& form = f.open();
    HistoryControls& h = form.history;
    // Listed: 张三 03-01, 李四 02-29, 张三 02-15. The filter and dates change but nobody queries.
    h.Text2->setText(QStringLiteral("张三"));
    h.Text3->setText(QStringLiteral("2024-01-01"));

    clickEntry(form, 1);
    QCOMPARE(form.sheet.Label4, QStringLiteral("20240229170000t1"));
    QCOMPARE(form.sheet.Text5[kName]->text(), QStringLiteral("李四"));

    // A row deleted elsewhere meanwhile loads nothing.
    QVERIFY(deletePrescription(*f.state.mainDb, f.state.statsDb.get(), QStringLiteral("20240215090000t1")));
    clickEntry(form, 2);
    QCOMPARE(form.sheet.Label4, QStringLiteral("20240229170000t1"));
}

void TestForm2History::onlyTheUserReloads() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    Form2& form = f.open();
    HistoryControls& h = form.history;
    const QString newKey = form.sheet.Label4;

    // The program selecting or refilling entries loads nothing.
    h.List2->setCurrentRow(1);
    click(h.Command7);
    h.List2->setCurrentRow(2);
    QCOMPARE(form.sheet.Label4, newKey);
    QVERIFY(form.sheet.Text5[kName]->text().isEmpty());

    // The right button neither selects nor loads.
    h.List2->setCurrentRow(0);
    clickEntry(form, 2, Qt::RightButton);
    QCOMPARE(h.List2->currentRow(), 0);
    QCOMPARE(form.sheet.Label4, newKey);

    // Arrow keys of the user do.
    h.List2->setFocus();
    QTest::keyClick(h.List2, Qt::Key_Down);
    QCOMPARE(h.List2->currentRow(), 1);
    QCOMPARE(form.sheet.Label4, QStringLiteral("20240229170000t1"));
    QTest::keyClick(h.List2, Qt::Key_Down);
    QCOMPARE(form.sheet.Label4, QStringLiteral("20240215090000t1"));
    QCOMPARE(form.state.HistoryIndex, 2);
}

void TestForm2History::recordMenuOpensAndCloses() {
    test::Form2Fixture f;
    Form2& form = f.open();
    HistoryControls& h = form.history;

    // No entries: no menu.
    QTest::mouseClick(h.List2->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
    QVERIFY(h.Picture6->isHidden());

    saveUsualRecords(f);
    click(h.Command7);
    const QPoint pointer = entryCentre(form, 0);
    clickEntry(form, 0, Qt::RightButton);
    QVERIFY(h.Picture6->isVisible());
    const QPoint inList = h.List2->viewport()->mapTo(h.List2, pointer);
    QCOMPARE(h.Picture6->pos(), twips::point(twips::fromPx(h.List2->x() + inList.x()) + 60,
                                             twips::fromPx(h.List2->y() + inList.y()) + 60));

    // Hovering lights one entry at a time.
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(h.Label9[1], &enter);
    QCOMPARE(h.Label9[1]->palette().color(QPalette::Window), highlight);
    QCOMPARE(h.Label9[1]->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(h.Label9[0]->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(h.Label9[0]->palette().color(QPalette::WindowText), QColor(Qt::black));
    QApplication::sendEvent(h.Label9[0], &enter);
    QCOMPARE(h.Label9[0]->palette().color(QPalette::Window), highlight);
    QCOMPARE(h.Label9[1]->palette().color(QPalette::Window), QColor(Qt::white));

    // 取消(E) hides it; so do a left press on the list and a click on the window's background.
    click(h.Label9[1]);
    QVERIFY(h.Picture6->isHidden());
    clickEntry(form, 0, Qt::RightButton);
    QTest::mousePress(h.List2->viewport(), Qt::LeftButton, Qt::NoModifier, entryCentre(form, 1));
    QVERIFY(h.Picture6->isHidden());
    QTest::mouseRelease(h.List2->viewport(), Qt::LeftButton, Qt::NoModifier, entryCentre(form, 1));
    clickEntry(form, 0, Qt::RightButton);
    QTest::mouseClick(&form, Qt::LeftButton, Qt::NoModifier, QPoint(5, form.height() - 5));
    QVERIFY(h.Picture6->isHidden());
    QVERIFY(f.messages.shown.isEmpty());
    QVERIFY(prescriptionExists(*f.state.mainDb, QStringLiteral("20240301080000t1")));

    // Low in the list the menu stays above the window's bottom.
    QTest::mouseClick(h.List2->viewport(), Qt::RightButton, Qt::NoModifier,
                      QPoint(20, h.List2->viewport()->height() - 2));
    QCOMPARE(h.Picture6->y(), twips::px(8580));
}

void TestForm2History::deleteRemovesRowLinesAndEntry() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    const QString key = QStringLiteral("20240229170000t1");
    const QString other = QStringLiteral("20240301080000t1");
    QVERIFY(replaceStatistics(*f.state.statsDb, key, QDate(2024, 2, 29), threeLines()));
    QVERIFY(replaceStatistics(*f.state.statsDb, other, kToday, threeLines()));
    Form2& form = f.open();
    HistoryControls& h = form.history;
    const QString pending = QStringLiteral("发热$无$");

    clickEntry(form, 1);
    QCOMPARE(form.sheet.Label4, key);
    f.state.PendingCaseRecord = pending;
    // A newer prescription is listed meanwhile: the picked entry has moved down one place.
    save(f, record({"20240301090000t1", "王五", "2024-03-01"}));
    click(h.Command7);
    QCOMPARE(entries(form).size(), 4);

    form.state.CurrentCategory = 5;
    clickEntry(form, 1, Qt::RightButton);
    click(h.Label9[0]); // 删除(D)
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("确实要永久删除该档案吗？")});
    QVERIFY(h.Picture6->isHidden());

    QVERIFY(!prescriptionExists(*f.state.mainDb, key));
    QCOMPARE(statisticsLines(f, key), 0);
    QVERIFY(prescriptionExists(*f.state.mainDb, other));
    QCOMPARE(statisticsLines(f, other), 3);
    QCOMPARE(entries(form), (QStringList{QStringLiteral("王五[男,35岁,2024-03-01]"),
                                         QStringLiteral("张三[男,35岁,2024-03-01]-已结算"),
                                         QStringLiteral("张三[男,35岁,2024-02-15]")}));

    // A new empty sheet with the settings' defaults.
    const auto& fields = form.sheet.Text5;
    QVERIFY(fields[kName]->text().isEmpty() && fields[kSex]->text().isEmpty() &&
            fields[kAge]->text().isEmpty());
    QCOMPARE(fields[kPhysician]->text(), QStringLiteral("李明"));
    QCOMPARE(fields[kDispenser]->text(), QStringLiteral("王芳"));
    QCOMPARE(fields[kDepartment]->text(), QStringLiteral("中医科"));
    QCOMPARE(fields[kFeeCategory]->text(), QStringLiteral("自费"));
    QCOMPARE(fields[kDate]->text(), QStringLiteral("2024-03-01"));
    QCOMPARE(fields[kCaseNumber]->text(), QStringLiteral("20240301093000"));
    QVERIFY(form.sheet.Label4.startsWith(QStringLiteral("20240301093")) && form.sheet.Label4 != key);
    QVERIFY(!form.state.saved);
    QVERIFY(form.sheet.R1->text().isEmpty());
    QVERIFY(form.sheet.Label5.isEmpty());
    QVERIFY(form.actions().pricedLines()[0].name.isEmpty());
    QVERIFY(form.pricing.Label16->text().isEmpty() && fields[kAmount]->text().isEmpty());
    QCOMPARE(form.sheet.R1->geometry(), twips::rect(660, 2640, 5655, 4755));
    QCOMPARE(form.sheet.Text6->text(), QStringLiteral("6"));
    QCOMPARE(form.focusWidget(), static_cast<QWidget*>(fields[kName]));
    // The deleted prescription took its record with it: the new sheet has none.
    QVERIFY(f.state.PendingCaseRecord.isEmpty());

    // Deleting the entry just loaded leaves no other entry marked as if it stood on the new sheet.
    clickEntry(form, 0);
    clickEntry(form, 0, Qt::RightButton);
    click(h.Label9[0]);
    QCOMPARE(entries(form).size(), 2);
    QVERIFY(h.List2->selectedItems().isEmpty());
    QCOMPARE(h.List2->currentRow(), -1);
}

void TestForm2History::deleteCancelledOrRefusedChangesNothing() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    const QString key = QStringLiteral("20240301080000t1");
    QVERIFY(replaceStatistics(*f.state.statsDb, key, kToday, threeLines()));
    Form2& form = f.open();
    HistoryControls& h = form.history;
    clickEntry(form, 0);
    const QStringList listed = entries(form);

    f.messages.answer = false;
    clickEntry(form, 0, Qt::RightButton);
    click(h.Label9[0]);
    QCOMPARE(f.messages.shown.size(), 1);
    QVERIFY(h.Picture6->isHidden());
    QVERIFY(prescriptionExists(*f.state.mainDb, key));
    QCOMPARE(statisticsLines(f, key), 3);
    QCOMPARE(entries(form), listed);
    QCOMPARE(form.sheet.Label4, key);
    QCOMPARE(form.sheet.Text5[kName]->text(), QStringLiteral("张三"));

    // The database refuses: the user is told, and the row, its lines, its entry and the sheet stay.
    f.state.mainDb->exec(QStringLiteral("CREATE TRIGGER [keep] BEFORE DELETE ON [档案] "
                                        "BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    f.messages.answer = true;
    clickEntry(form, 0, Qt::RightButton);
    click(h.Label9[0]);
    QCOMPARE(f.messages.shown.size(), 3);
    QCOMPARE(f.messages.shown.at(1), QStringLiteral("确实要永久删除该档案吗？"));
    QVERIFY(f.messages.shown.at(2).contains(QStringLiteral("删除失败")));
    QVERIFY(prescriptionExists(*f.state.mainDb, key));
    QCOMPARE(statisticsLines(f, key), 3);
    QCOMPARE(entries(form), listed);
    QCOMPARE(form.sheet.Label4, key);
    QCOMPARE(form.sheet.Label5, kSettledMarker);
}

void TestForm2History::deleteWithStatisticsLinesLeftBehindSaysSo() {
    test::Form2Fixture f;
    saveUsualRecords(f);
    const QString key = QStringLiteral("20240301080000t1");
    QVERIFY(replaceStatistics(*f.state.statsDb, key, kToday, threeLines()));
    f.state.statsDb->exec(QStringLiteral("CREATE TRIGGER [keep] BEFORE DELETE ON [统计] "
                                         "BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    Form2& form = f.open();
    HistoryControls& h = form.history;
    clickEntry(form, 0);
    clickEntry(form, 0, Qt::RightButton);
    click(h.Label9[0]);

    // The prescription is gone, so its entry and the sheet go too; its statistics lines still count.
    QVERIFY(!prescriptionExists(*f.state.mainDb, key));
    QCOMPARE(statisticsLines(f, key), 3);
    QCOMPARE(f.messages.shown.size(), 2);
    QCOMPARE(f.messages.shown.at(1), QStringLiteral("数据库出错，用药统计未删除！"));
    QCOMPARE(entries(form).size(), 2);
    QVERIFY(form.sheet.Label4 != key);
    QVERIFY(form.sheet.Text5[kName]->text().isEmpty());
}

QTEST_MAIN(TestForm2History)
#include "test_form2_history.moc"
