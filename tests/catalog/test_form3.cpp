// The catalog window driven as a clinic's manager does: search, select, change, save, add, delete, empty,
// and the rules of its edit panel.

#include "catalog/catalogrules.h"
#include "catalog/form3fixture.h"
#include "data/catalogrows.h"

#include <QApplication>
#include <QHeaderView>
#include <QtTest>

using namespace lichuan;
using namespace lichuan::catalog;

namespace {

const QString kHerbUnit = QStringLiteral("中药的单位仅限于“g”，“枚”，“条”，“个”4种！");

CatalogRow storedRow(const Database& db, const QString& category, const QString& text) {
    const auto rows = searchCatalogRows(db, category, text);
    return rows.empty() ? CatalogRow() : rows.front();
}

} // namespace

class TestForm3 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensOnHerbsListedByName();
    void searchSelectChangePriceAndSave();
    void savedRowKeepsItsScrollPositionAndHighlight();
    void addRowsWithQuotesAndKeysOfOneSecond();
    void panelRulesOnSave();
    void refusedSavesSayWhatWasNotStored();
    void deleteAndEmptyTheCategory();
    void scrollBarFollowsTheResult();
    void clickBelowTheLastResultOnlyResetsTheShading();
    void changingTheSearchTextStartsANewEntry();
    void categoriesSwitchUnitsCaptionsAndFields();
    void herbUnitCheck();
    void typingReplacesBracketsAndFillsPinyin();
    void enterWalksTheFieldsAndQuickInsertTypesAtTheCaret();
};

void TestForm3::opensOnHerbsListedByName() {
    test::Form3Fixture f;
    Form3& form = f.open();
    QVERIFY(f.c().Option1[1]->isChecked());
    QCOMPARE(form.currentCategory(), QString("中药"));
    QCOMPARE(f.cell(0, 0), QString("阿胶[烊化]"));
    QCOMPARE(f.cell(0, 3), QString("1.200"));
    QCOMPARE(f.cell(0, 5), QString("A2"));
    QStringList headers;
    for (int c = 0; c < 8; ++c)
        headers << f.grid().headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers,
             (QStringList{"药物名称", "常用量", "单位", "单价", "用法用量", "斗位", "拼音", "备注"}));
    QCOMPARE(f.grid().rowCount(), 19);
    QCOMPARE(f.grid().results().size(), std::size_t(299));
    QVERIFY(f.c().VScroll1->isEnabled());
    QCOMPARE(f.c().VScroll1->maximum(), 280);
    QVERIFY(!f.c().Command4->isEnabled());
    QCOMPARE(form.currentKey(), QString("20240301093000"));
    QCOMPARE(f.c().noteCaption->text(), QString("煎法"));
    QCOMPARE(f.c().noteCaption->buddy(), f.c().Text3[1]);
    QVERIFY(!f.c().Text3[4]->isEnabled());
    QVERIFY(f.c().Text3[5]->isEnabled());
    QCOMPARE(f.c().Combo1[0]->currentText(), QString("g"));
    // Shading: even rows light, odd rows white, none highlighted.
    QCOMPARE(f.grid().data(f.grid().index(0, 0), Qt::BackgroundRole).value<QBrush>().color(),
             QColor(249, 248, 245));
    QCOMPARE(f.grid().data(f.grid().index(1, 0), Qt::BackgroundRole).value<QBrush>().color(),
             QColor(Qt::white));
}

void TestForm3::searchSelectChangePriceAndSave() {
    test::Form3Fixture f;
    Form3& form = f.open();
    f.typeInto(f.c().Text2, "sg");
    QVERIFY(f.shownNames().contains("石膏[先煎]"));
    f.replaceText(f.c().Text2, "石膏");
    QCOMPARE(f.shownNames(), QStringList{"石膏[先煎]"});
    QVERIFY(!f.c().VScroll1->isEnabled());

    f.clickRow(0);
    QCOMPARE(f.c().Text3[0]->text(), QString("石膏"));
    QCOMPARE(f.c().Text3[1]->text(), QString("先煎"));
    QCOMPARE(f.c().Text3[2]->text(), QString("10"));
    QCOMPARE(f.c().Combo1[0]->currentText(), QString("g"));
    QCOMPARE(f.c().Text3[7]->text(), QString("sg"));
    QCOMPARE(f.c().Combo1[1]->currentText(), QString("中药"));
    QVERIFY(f.c().Command4->isEnabled());
    QCOMPARE(f.grid().highlighted(), 0);
    QCOMPARE(f.grid().data(f.grid().index(0, 3), Qt::BackgroundRole).value<QBrush>().color(),
             QColor(0, 255, 255));
    QCOMPARE(QApplication::focusWidget(), f.c().Text3[0]);
    const QString key = form.currentKey();
    QCOMPARE(key, storedRow(*f.state.mainDb, "中药", "石膏").key);

    f.replaceText(f.c().Text3[3], "12.5");
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    const CatalogRow saved = storedRow(*f.state.mainDb, "中药", "石膏");
    QCOMPARE(saved.key, key);
    QCOMPARE(saved.name, QString("石膏{先煎}"));
    QCOMPARE(saved.price, QString("12.500"));
    QCOMPARE(saved.search, QString("石膏sg52"));
    QCOMPARE(f.cell(0, 3), QString("12.500"));
    QCOMPARE(f.grid().highlighted(), 0);
    QCOMPARE(QApplication::focusWidget(), f.c().Command2);
    QVERIFY(f.messages.shown.isEmpty());
}

void TestForm3::savedRowKeepsItsScrollPositionAndHighlight() {
    test::Form3Fixture f;
    f.open();
    f.c().VScroll1->setValue(100);
    QCOMPARE(f.grid().first(), 100);
    const QString name = f.cell(5, 0);
    f.clickRow(5);
    f.replaceText(f.c().Text3[5], "Z9");
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    QCOMPARE(f.c().VScroll1->value(), 100);
    QCOMPARE(f.grid().highlighted(), 5);
    QCOMPARE(f.cell(5, 0), name);
    QCOMPARE(f.cell(5, 5), QString("Z9"));
}

void TestForm3::addRowsWithQuotesAndKeysOfOneSecond() {
    test::Form3Fixture f;
    Form3& form = f.open();
    f.c().VScroll1->setValue(40);
    QTest::mouseClick(f.c().Command2, Qt::LeftButton);
    QCOMPARE(f.c().VScroll1->value(), 0);
    QCOMPARE(QApplication::focusWidget(), f.c().Text3[0]);
    test::typeText(f.c().Text3[0], "O'Brien草");
    QCOMPARE(f.c().Text3[7]->text(), QString("obrienc"));
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    CatalogRow added = storedRow(*f.state.mainDb, "中药", "O'B");
    QCOMPARE(added.name, QString("O'Brien草"));
    QCOMPARE(added.key, QString("20240301093000"));
    QCOMPARE(added.usualQty, QString("0"));
    QCOMPARE(added.unit, QString("g"));
    QVERIFY(added.price.isEmpty());
    QCOMPARE(f.grid().highlighted(), -1);

    // The same second again: a second new row gets a key of its own.
    QTest::mouseClick(f.c().Command2, Qt::LeftButton);
    test::typeText(f.c().Text3[0], "50%_草");
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    added = storedRow(*f.state.mainDb, "中药", "50%_");
    QCOMPARE(added.name, QString("50%_草"));
    QCOMPARE(added.key, QString("20240301093001"));
    QCOMPARE(form.currentKey(), QString("20240301093001"));
    f.typeInto(f.c().Text2, "'");
    QCOMPARE(f.shownNames(), QStringList{"O'Brien草"});
    f.replaceText(f.c().Text2, "%");
    QCOMPARE(f.shownNames(), QStringList{"50%_草"});
    QVERIFY(f.messages.shown.isEmpty());
}

void TestForm3::panelRulesOnSave() {
    test::Form3Fixture f;
    f.open();
    QTest::mouseClick(f.c().Option1[0], Qt::LeftButton);
    QTest::mouseClick(f.c().Command2, Qt::LeftButton);
    test::typeText(f.c().Text3[0], "新药");
    test::typeText(f.c().Text3[1], "0.5g*24片");
    test::typeText(f.c().Text3[2], "abc");
    test::typeText(f.c().Text3[4], "2粒 每日3次 口服");
    test::typeText(f.c().Text3[6], "备注");
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    CatalogRow row = storedRow(*f.state.mainDb, "西成药", "新药");
    QCOMPARE(row.name, QString("新药{0.5g*24片}"));
    QCOMPARE(row.usualQty, QString("0"));
    QVERIFY(row.price.isEmpty());
    QCOMPARE(row.unit, QString("片"));
    QCOMPARE(row.usage, QString("2粒 每日3次 口服"));
    QCOMPARE(row.remark, QString("备注"));
    QCOMPARE(row.search, QString("新药xy67"));

    f.typeInto(f.c().Text2, "新药");
    f.clickRow(0);
    f.replaceText(f.c().Text3[2], "10g");
    f.replaceText(f.c().Text3[3], "15");
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    row = storedRow(*f.state.mainDb, "西成药", "新药");
    QCOMPARE(row.usualQty, QString("10"));
    QCOMPARE(row.price, QString("15.000"));

    // "$" and "@" are stored full-width, and the user is told.
    f.clickRow(0);
    f.replaceText(f.c().Text3[0], "新药$");
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    QCOMPARE(storedRow(*f.state.mainDb, "西成药", "新药").name, QString("新药＄{0.5g*24片}"));
    QCOMPARE(f.messages.shown.size(), 1);
    QVERIFY(f.messages.shown.last().contains("名称"));
}

void TestForm3::refusedSavesSayWhatWasNotStored() {
    test::Form3Fixture f;
    f.open();
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    QCOMPARE(f.messages.shown, QStringList{"请输入药物名称！"});

    test::typeText(f.c().Text3[0], "甘草");
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    QCOMPARE(f.messages.shown.size(), 2);
    QVERIFY2(f.messages.shown.last().contains("没有保存") && f.messages.shown.last().contains("同名"),
             qPrintable(f.messages.shown.last()));
    QCOMPARE(searchCatalogRows(*f.state.mainDb, "中药", "甘草").size(), std::size_t(2)); // 甘草, 炙甘草
}

void TestForm3::deleteAndEmptyTheCategory() {
    test::Form3Fixture f;
    f.open();
    f.typeInto(f.c().Text2, "甘草");
    QCOMPARE(f.shownNames(), (QStringList{"甘草", "炙甘草"}));
    f.clickRow(1);
    QTest::mouseClick(f.c().Command4, Qt::LeftButton);
    QCOMPARE(f.shownNames(), QStringList{"甘草"});
    QVERIFY(!f.c().Command4->isEnabled());
    QVERIFY(f.c().Text3[0]->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), f.c().Command2);

    f.messages.answer = false;
    QTest::mouseClick(f.c().Command8, Qt::LeftButton);
    QCOMPARE(f.messages.shown, QStringList{"在进行清空操作前，务必先将药品导出备份，否则不能恢复！"});
    QCOMPARE(searchCatalogRows(*f.state.mainDb, "中药", "").size(), std::size_t(298));
    f.messages.answer = true;
    QTest::mouseClick(f.c().Command8, Qt::LeftButton);
    QVERIFY(searchCatalogRows(*f.state.mainDb, "中药", "").empty());
    QVERIFY(f.shownNames().isEmpty());
    QCOMPARE(searchCatalogRows(*f.state.mainDb, "西成药", "").size(), std::size_t(139));
    QCOMPARE(searchCatalogRows(*f.state.mainDb, "收费项目", "").size(), std::size_t(3));
}

void TestForm3::scrollBarFollowsTheResult() {
    test::Form3Fixture f;
    f.open();
    QTest::mouseClick(f.c().Option1[2], Qt::LeftButton); // 收费项目: 3 rows
    for (int i = 0; i < 16; ++i) {
        CatalogEntry entry{QStringLiteral("项目%1").arg(i, 2, 10, QChar('0')),
                           {},
                           "1",
                           "次",
                           "1",
                           {},
                           {},
                           {},
                           "xm",
                           "收费项目"};
        QVERIFY(saveCatalogRow(*f.state.mainDb,
                               rowFromEntry(entry, QStringLiteral("2024010100%1").arg(i + 1000)), "收费项目")
                    .stored);
    }
    QTest::mouseClick(f.c().Command1, Qt::LeftButton);
    QCOMPARE(f.grid().results().size(), std::size_t(19));
    QVERIFY(!f.c().VScroll1->isEnabled());
    CatalogEntry twentieth{"项目99", {}, "1", "次", "1", {}, {}, {}, "xm", "收费项目"};
    QVERIFY(saveCatalogRow(*f.state.mainDb, rowFromEntry(twentieth, "20240101002000"), "收费项目").stored);
    QTest::mouseClick(f.c().Command1, Qt::LeftButton);
    QVERIFY(f.c().VScroll1->isEnabled());
    QCOMPARE(f.c().VScroll1->maximum(), 1);
    const QString second = f.cell(1, 0);
    f.clickRow(3);
    QVERIFY(f.c().Command4->isEnabled());
    f.c().VScroll1->setValue(1);
    QCOMPARE(f.cell(0, 0), second);
    QCOMPARE(f.grid().highlighted(), -1);
    QVERIFY(!f.c().Command4->isEnabled());
    // The wheel over the grid moves the scroll bar.
    QWheelEvent wheel(QPointF(10, 30), QPointF(), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.c().grid->viewport(), &wheel);
    QCOMPARE(f.c().VScroll1->value(), 0);
}

void TestForm3::clickBelowTheLastResultOnlyResetsTheShading() {
    test::Form3Fixture f;
    f.open();
    f.typeInto(f.c().Text2, "甘草");
    f.clickRow(0);
    QCOMPARE(f.grid().highlighted(), 0);
    const QString key = f.form->currentKey();
    f.clickRow(5);
    QCOMPARE(f.grid().highlighted(), -1);
    QCOMPARE(f.form->currentKey(), key);
    QCOMPARE(f.c().Text3[0]->text(), QString("甘草"));
}

void TestForm3::changingTheSearchTextStartsANewEntry() {
    test::Form3Fixture f;
    f.open();
    f.typeInto(f.c().Text2, "甘草");
    f.clickRow(0);
    f.replaceText(f.c().Text3[3], "9.9");
    f.clock.advanceSeconds(5);
    QTest::keyClick(f.c().Text2, Qt::Key_Backspace);
    QVERIFY(f.c().Text3[0]->text().isEmpty());
    QVERIFY(f.c().Text3[3]->text().isEmpty());
    QCOMPARE(f.form->currentKey(), QString("20240301093005"));
    QVERIFY(!f.c().Command4->isEnabled());
    QVERIFY(storedRow(*f.state.mainDb, "中药", "甘草").price.isEmpty());
}

void TestForm3::categoriesSwitchUnitsCaptionsAndFields() {
    test::Form3Fixture f;
    Form3& form = f.open();
    QTest::mouseClick(f.c().Option1[0], Qt::LeftButton);
    QCOMPARE(form.currentCategory(), QString("西成药"));
    QCOMPARE(f.c().Combo1[1]->currentText(), QString("西成药"));
    QCOMPARE(f.c().noteCaption->text(), QString("规格"));
    QVERIFY(f.c().Text3[4]->isEnabled());
    QVERIFY(!f.c().Text3[5]->isEnabled());
    QCOMPARE(f.c().Text3[5]->palette().color(QPalette::Disabled, QPalette::Base), QColor(224, 224, 224));
    QCOMPARE(f.c().Combo1[0]->currentText(), QString("片"));
    QCOMPARE(f.c().Combo1[0]->count(), 10);
    QCOMPARE(f.grid().results().size(), std::size_t(139));
    QVERIFY(f.messages.shown.isEmpty());
    QTest::mouseClick(f.c().Option1[3], Qt::LeftButton);
    QCOMPARE(f.shownNames().size(), 6);
    QTest::mouseClick(f.c().Option1[1], Qt::LeftButton);
    QCOMPARE(f.c().noteCaption->text(), QString("煎法"));
    QCOMPARE(f.c().Combo1[0]->currentText(), QString("g"));
    QVERIFY(!f.c().Text3[4]->isEnabled());
    QVERIFY(f.messages.shown.isEmpty());

    // A row moved into another category by the 分类 combo leaves this one at its first save.
    f.typeInto(f.c().Text2, "艾叶");
    f.clickRow(0);
    f.c().Combo1[1]->setEditText("用法");
    QTest::mouseClick(f.c().Command3, Qt::LeftButton);
    QVERIFY(f.shownNames().isEmpty());
    QCOMPARE(storedRow(*f.state.mainDb, "用法", "艾叶").name, QString("艾叶"));
}

void TestForm3::herbUnitCheck() {
    test::Form3Fixture f;
    f.open();
    f.typeInto(f.c().Combo1[0]->lineEdit(), "片");
    QCOMPARE(f.messages.shown, QStringList{kHerbUnit});
    QTRY_VERIFY(f.c().Combo1[0]->currentText().isEmpty());
    QCOMPARE(f.messages.shown.size(), 1);
    f.typeInto(f.c().Combo1[0]->lineEdit(), "g枚");
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.c().Combo1[0]->currentText(), QString("g枚"));
    QTest::mouseClick(f.c().Option1[0], Qt::LeftButton);
    f.typeInto(f.c().Combo1[0]->lineEdit(), "支");
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.c().Combo1[0]->currentText(), QString("支"));
}

void TestForm3::typingReplacesBracketsAndFillsPinyin() {
    test::Form3Fixture f;
    f.open();
    test::typeText(f.c().Text3[0], "利肺片（薄膜衣");
    QCOMPARE(f.c().Text3[0]->text(), QString("利肺片(薄膜衣"));
    QCOMPARE(f.c().Text3[7]->text(), QString("lfpbmy"));
    f.c().Text3[0]->setCursorPosition(3);
    test::typeText(f.c().Text3[0], "[");
    QCOMPARE(f.c().Text3[0]->text(), QString("利肺片((薄膜衣"));
    QCOMPARE(f.c().Text3[0]->cursorPosition(), 4);
    test::typeText(f.c().Text3[1], "[大]");
    QCOMPARE(f.c().Text3[1]->text(), QString("(大)"));
    // The pinyin stays editable; the name box's next change fills it again.
    f.replaceText(f.c().Text3[7], "lfp");
    QCOMPARE(f.c().Text3[7]->text(), QString("lfp"));
    test::typeText(f.c().Text3[0], "x");
    QVERIFY(f.c().Text3[7]->text().startsWith("lfp"));
    QVERIFY(f.c().Text3[7]->text() != QString("lfp"));
}

void TestForm3::enterWalksTheFieldsAndQuickInsertTypesAtTheCaret() {
    test::Form3Fixture f;
    f.open();
    QTest::mouseClick(f.c().Option1[0], Qt::LeftButton);
    f.c().Text3[0]->setFocus();
    QTest::keyClick(f.c().Text3[0], Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), f.c().Text3[1]);
    QTest::keyClick(f.c().Text3[1], Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), f.c().Text3[2]);
    QTest::keyClick(f.c().Text3[2], Qt::Key_Return);
    QVERIFY(f.c().Combo1[0]->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), f.c().Text3[3]);
    QCOMPARE(f.c().Combo1[0]->count(), 10); // Enter added nothing to the list

    f.c().Text3[4]->setFocus();
    test::typeText(f.c().Text3[4], "每次");
    f.c().Text3[4]->setCursorPosition(0);
    QTest::mouseClick(f.c().Label5[5], Qt::LeftButton);
    QCOMPARE(f.c().Text3[4]->text(), QString("2粒 每日3次 口服每次"));
    QTest::mouseClick(f.c().Label5[6], Qt::LeftButton); // no caption: nothing
    QCOMPARE(f.c().Text3[4]->text(), QString("2粒 每日3次 口服每次"));
    f.c().Text3[2]->setFocus();
    QTest::mouseClick(f.c().Label5[0], Qt::LeftButton);
    QCOMPARE(f.c().Text3[2]->text(), QString("mg"));
    QVERIFY(!f.c().Label5[0]->accessibleName().isEmpty());
}

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
