// The template window as the doctor uses it: kinds, the list by ordering key, new entries, pick, save and
// delete, and what the prescription window's pick list offers right after a save.

#include "catalog/form4.h"
#include "catalog/templaterules.h"
#include "data/templates.h"
#include "prescription/form2fixture.h"
#include "prescription/typing.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using namespace lichuan;

namespace {

const QString kFormulaKind = QStringLiteral("中药方剂");

QStringList listed(const Form4& form) {
    return test::entries(form.List1);
}

void typeInto(QWidget* box, const QString& text) {
    box->setFocus();
    test::typeText(box, text);
}

void clickEntry(Form4& form, const QString& name) {
    const QList<QListWidgetItem*> found = form.List1->findItems(name, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(name));
    const QRect place = form.List1->visualItemRect(found.first());
    QTest::mouseClick(form.List1->viewport(), Qt::LeftButton, {}, place.center());
}

// A new entry with this name and content, saved with the button.
void addTemplate(Form4& form, const QString& name, const QString& content) {
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    typeInto(form.Text1, name);
    form.Text2->setText(content);
    QTest::mouseClick(form.Command5, Qt::LeftButton);
}

std::optional<TemplateRow> storedByName(const Database& db, const QString& kind, const QString& name) {
    for (const TemplateRow& row : templatesOfKind(db, kind)) {
        if (row.name == name)
            return row;
    }
    return std::nullopt;
}

struct Setup {
    test::Form2Fixture f;
    std::unique_ptr<Form4> form;
    Form4& open() {
        // A minute after the default rows were made, so that a new entry's key is a time of its own.
        f.clock.set(QDateTime(QDate(2024, 3, 1), QTime(9, 31, 0)));
        form = std::make_unique<Form4>(*f.services);
        form->show();
        return *form;
    }
    int rows(const QString& kind) const { return countTemplatesOfKind(*f.state.mainDb, kind); }
};

} // namespace

class TestForm4 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensOnFormulasAndSwitchesKinds();
    void orderKeysOfNewEntries();
    void savedFormulaIsLaidOutAndOfferedAtOnce();
    void recordTemplateLosesTrailingBlankLines();
    void pickKeepsStoredPinyinAndSavesTheSameRow();
    void reorderedTemplateMovesInTheSheetsList();
    void newEntriesInOneSecondGetTheirOwnRows();
    void emptyNameAndRefusedSaveAreReported();
    void deleteActsOnTheChosenRow();
};

void TestForm4::opensOnFormulasAndSwitchesKinds() {
    Setup s;
    Form4& form = s.open();
    QVERIFY(form.Option1[kFormula]->isChecked());
    QCOMPARE(form.Label4, kFormulaKind);
    QCOMPARE(listed(form), (QStringList{QStringLiteral("桂枝汤"), QStringLiteral("麻杏石甘汤"),
                                        QStringLiteral("龙胆泻肝汤"), QStringLiteral("白头翁汤")}));
    QCOMPARE(form.Text4->text(), QStringLiteral("005"));
    QCOMPARE(form.Label3, QStringLiteral("20240301093100"));
    QCOMPARE(form.focusWidget(), form.Text1);

    QTest::mouseClick(form.Option1[kWesternSet], Qt::LeftButton);
    QCOMPARE(form.Label4, QStringLiteral("西成药组套"));
    QCOMPARE(listed(form).first(), QStringLiteral("睡眠障碍"));
    form.selectKind(kRecordPhrase);
    QVERIFY(form.Option1[kRecordPhrase]->isChecked() && !form.Option1[kWesternSet]->isChecked());
    QCOMPARE(listed(form).first(), QStringLiteral("高血压主诉"));
    QCOMPARE(form.Text4->text(), nextOrderKey(s.rows(QStringLiteral("病历模板"))));
    // Every field is named by its caption.
    for (QLabel* label : form.findChildren<QLabel*>())
        QVERIFY2(label->buddy(), qPrintable(label->text()));
}

void TestForm4::orderKeysOfNewEntries() {
    Setup s;
    Statement(*s.f.state.mainDb, QStringLiteral("delete from [个人模板]")).run();
    Form4& form = s.open();
    QCOMPARE(form.Text4->text(), QStringLiteral("001"));
    addTemplate(form, QStringLiteral("一号方"), QStringLiteral("甲 1g"));
    addTemplate(form, QStringLiteral("二号方"), QStringLiteral("乙 1g"));
    addTemplate(form, QStringLiteral("三号方"), QStringLiteral("丙 1g"));
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(form.Text4->text(), QStringLiteral("004"));
    QCOMPARE(listed(form),
             (QStringList{QStringLiteral("一号方"), QStringLiteral("二号方"), QStringLiteral("三号方")}));

    // Deleting 002 of three: the next new entry shows 003 again, and both 003 stay listed.
    clickEntry(form, QStringLiteral("二号方"));
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    QCOMPARE(form.Text4->text(), QStringLiteral("003"));
    addTemplate(form, QStringLiteral("四号方"), QStringLiteral("丁 1g"));
    QCOMPARE(listed(form),
             (QStringList{QStringLiteral("一号方"), QStringLiteral("三号方"), QStringLiteral("四号方")}));
}

void TestForm4::savedFormulaIsLaidOutAndOfferedAtOnce() {
    Setup s;
    Form2& sheet = s.f.open();
    QTest::mouseClick(sheet.search.Command1[5], Qt::LeftButton); // 中药方剂
    QVERIFY(!test::entries(sheet.search.List1).contains(QStringLiteral("小柴胡汤")));

    Form4& form = s.open();
    typeInto(form.Text1, QStringLiteral("小柴胡汤"));
    QCOMPARE(form.Text3->text(), QStringLiteral("xcht"));
    typeInto(form.Text2, QStringLiteral("桂枝10克、白芍10克"));
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    const QString laidOut = QStringLiteral("桂枝10g      白芍10g      ");
    QCOMPARE(form.Text2->text(), laidOut);
    const std::optional<TemplateRow> row =
        storedByName(*s.f.state.mainDb, kFormulaKind, QStringLiteral("小柴胡汤"));
    QVERIFY(row);
    QCOMPARE(row->content, laidOut);
    QCOMPARE(row->search, QStringLiteral("小柴胡汤xcht6125"));
    QCOMPARE(row->order, QStringLiteral("005"));
    QCOMPARE(row->key, QStringLiteral("20240301093100"));
    QCOMPARE(listed(form).last(), QStringLiteral("小柴胡汤"));
    QVERIFY(s.f.messages.shown.isEmpty());

    // The sheet's next keystroke in the formula category offers it, and a pick inserts the stored text.
    sheet.search.Text1->setFocus();
    QTest::keyClicks(sheet.search.Text1, QStringLiteral("xc"));
    QCOMPARE(test::entries(sheet.search.List1), QStringList{QStringLiteral("小柴胡汤")});
    sheet.search.List1->setCurrentRow(0);
    emit sheet.search.List1->rowDoubleClicked(0);
    QCOMPARE(sheet.sheet.R1->text(), laidOut);
}

void TestForm4::recordTemplateLosesTrailingBlankLines() {
    Setup s;
    Form4& form = s.open();
    form.selectKind(kRecordPhrase);
    typeInto(form.Text1, QStringLiteral("头痛主诉"));
    typeInto(form.Text2, QStringLiteral("头痛3天。"));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(form.Text2, Qt::Key_Return);
    QCOMPARE(form.Text2->text(), QStringLiteral("头痛3天。\r\n\r\n\r\n"));
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    const auto row = storedByName(*s.f.state.mainDb, QStringLiteral("病历模板"), QStringLiteral("头痛主诉"));
    QVERIFY(row);
    QCOMPARE(row->content, QStringLiteral("头痛3天。"));
    QCOMPARE(row->search, QStringLiteral("头痛主诉ttzs5575"));
}

void TestForm4::pickKeepsStoredPinyinAndSavesTheSameRow() {
    Setup s;
    Database& db = *s.f.state.mainDb;
    Statement(db, QStringLiteral("update [个人模板] set [拼音] = 'gzdf' where [名称] = '桂枝汤'")).run();
    const TemplateRow before = *storedByName(db, kFormulaKind, QStringLiteral("桂枝汤"));
    const int rows = s.rows(kFormulaKind);

    Form4& form = s.open();
    clickEntry(form, QStringLiteral("桂枝汤"));
    QCOMPARE(form.Text1->text(), QStringLiteral("桂枝汤"));
    QCOMPARE(form.Text3->text(), QStringLiteral("gzdf")); // not made again from the name
    QCOMPARE(form.Text4->text(), QStringLiteral("001"));
    QCOMPARE(form.Text2->text(), before.content);
    QCOMPARE(form.Label3, before.key);

    // Saved unchanged: the same row, the same text, nothing appended.
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    QCOMPARE(s.rows(kFormulaKind), rows);
    const TemplateRow after = *loadTemplate(db, before.rowid);
    QCOMPARE(after.content, before.content);
    QCOMPARE(after.key, before.key);
    QCOMPARE(after.search, QStringLiteral("桂枝汤gzdf2712"));

    // A name edited by hand makes the pinyin again; a second save still rewrites that row.
    form.Text1->setFocus();
    form.Text1->end(false);
    test::typeText(form.Text1, QStringLiteral("加味"));
    QCOMPARE(form.Text3->text(), QStringLiteral("gztjw"));
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    QCOMPARE(s.rows(kFormulaKind), rows);
    QCOMPARE(loadTemplate(db, before.rowid)->name, QStringLiteral("桂枝汤加味"));
    QCOMPARE(listed(form).first(), QStringLiteral("桂枝汤加味"));
}

void TestForm4::reorderedTemplateMovesInTheSheetsList() {
    Setup s;
    Form4& form = s.open();
    for (const char* name : {"五号方", "六号方", "七号方", "八号方", "九号方"})
        addTemplate(form, QString::fromUtf8(name), QStringLiteral("甘草 6g"));
    QCOMPARE(s.rows(kFormulaKind), 9);

    clickEntry(form, QStringLiteral("桂枝汤"));
    form.Text4->setFocus();
    form.Text4->selectAll();
    QTest::keyClicks(form.Text4, QStringLiteral("010"));
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    QCOMPARE(listed(form).last(), QStringLiteral("桂枝汤"));
    QCOMPARE(listed(form).at(7), QStringLiteral("九号方"));

    Form2& sheet = s.f.open();
    QTest::mouseClick(sheet.search.Command1[5], Qt::LeftButton);
    const QStringList offered = test::entries(sheet.search.List1);
    QCOMPARE(offered.size(), 9);
    QCOMPARE(offered.at(7), QStringLiteral("九号方"));
    QCOMPARE(offered.last(), QStringLiteral("桂枝汤"));
}

void TestForm4::newEntriesInOneSecondGetTheirOwnRows() {
    Setup s;
    Form4& form = s.open();
    addTemplate(form, QStringLiteral("甲方"), QStringLiteral("甘草 6g"));
    addTemplate(form, QStringLiteral("乙方"), QStringLiteral("甘草 9g")); // the clock has not moved
    Database& db = *s.f.state.mainDb;
    const auto first = storedByName(db, kFormulaKind, QStringLiteral("甲方"));
    const auto second = storedByName(db, kFormulaKind, QStringLiteral("乙方"));
    QVERIFY(first && second);
    QCOMPARE(first->key, QStringLiteral("20240301093100"));
    QCOMPARE(second->key, QStringLiteral("20240301093101"));
    QCOMPARE(form.Label3, second->key);
    QCOMPARE(first->content, QStringLiteral("甘草 6g      "));

    // An entry started in the very second an older formula was made leaves that formula alone.
    const TemplateRow older = *storedByName(db, kFormulaKind, QStringLiteral("桂枝汤"));
    s.f.clock.set(QDateTime::fromString(older.key, QStringLiteral("yyyyMMddHHmmss")));
    addTemplate(form, QStringLiteral("丙方"), QStringLiteral("甘草 3g"));
    const auto third = storedByName(db, kFormulaKind, QStringLiteral("丙方"));
    QVERIFY(third && third->key != older.key);
    QCOMPARE(third->key.size(), 14);
    QCOMPARE(loadTemplate(db, older.rowid)->content, older.content);
    QCOMPARE(loadTemplate(db, older.rowid)->name, QStringLiteral("桂枝汤"));
}

void TestForm4::emptyNameAndRefusedSaveAreReported() {
    Setup s;
    Form4& form = s.open();
    const int rows = s.rows(kFormulaKind);
    typeInto(form.Text1, QStringLiteral("   "));
    form.Text2->setText(QStringLiteral("甘草 6g"));
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    QCOMPARE(s.f.messages.shown, QStringList{QStringLiteral("请输入药物名称！")});
    QCOMPARE(s.rows(kFormulaKind), rows);

    // An ordering key the program was handed longer than its column: said so, nothing written, nothing
    // cleared.
    s.f.messages.shown.clear();
    form.Text1->setText(QStringLiteral("长序号方"));
    form.Text4->setText(QStringLiteral("00000000001"));
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    QCOMPARE(s.f.messages.shown, QStringList{QStringLiteral("排序（最多10个字）太长，模板没有保存。")});
    QCOMPARE(s.rows(kFormulaKind), rows);
    QCOMPARE(form.Text1->text(), QStringLiteral("长序号方"));
    QCOMPARE(form.editedRow(), qint64(-1));

    // Quotes and wildcards in a name are characters.
    form.Text4->setText(QStringLiteral("005"));
    form.Text1->setText(QStringLiteral("王氏'秘方%"));
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    QCOMPARE(s.rows(kFormulaKind), rows + 1);
    QCOMPARE(listed(form).last(), QStringLiteral("王氏'秘方%"));
}

void TestForm4::deleteActsOnTheChosenRow() {
    Setup s;
    Database& db = *s.f.state.mainDb;
    Form4& form = s.open();
    const int rows = s.rows(kFormulaKind);

    // Delete on a new entry never saved: nothing goes, another new entry starts.
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    QCOMPARE(s.rows(kFormulaKind), rows);
    QCOMPARE(form.Text4->text(), QStringLiteral("005"));

    // The list was filled; then another computer adds a formula that sorts first. The entry clicked is
    // the row loaded and the row deleted, not the row now at its position.
    Statement(db, QStringLiteral("insert into [个人模板]([序号],[名称],[内容],[分类],[排序]) "
                                 "values('20240101000000','外来方','x','中药方剂','000')"))
        .run();
    clickEntry(form, QStringLiteral("麻杏石甘汤"));
    QCOMPARE(form.Text1->text(), QStringLiteral("麻杏石甘汤"));
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    QVERIFY(!storedByName(db, kFormulaKind, QStringLiteral("麻杏石甘汤")));
    QVERIFY(storedByName(db, kFormulaKind, QStringLiteral("外来方")));
    QVERIFY(storedByName(db, kFormulaKind, QStringLiteral("桂枝汤")));
    QCOMPARE(listed(form), (QStringList{QStringLiteral("外来方"), QStringLiteral("桂枝汤"),
                                        QStringLiteral("龙胆泻肝汤"), QStringLiteral("白头翁汤")}));
    QVERIFY(form.Text1->text().isEmpty());
    QCOMPARE(form.editedRow(), qint64(-1));

    // An entry whose row is gone meanwhile loads nothing; the list shows what is there now.
    Statement(db, QStringLiteral("delete from [个人模板] where [名称] = '白头翁汤'")).run();
    clickEntry(form, QStringLiteral("白头翁汤"));
    QVERIFY(form.Text1->text().isEmpty());
    QVERIFY(!listed(form).contains(QStringLiteral("白头翁汤")));
}

QTEST_MAIN(TestForm4)
#include "test_form4.moc"
