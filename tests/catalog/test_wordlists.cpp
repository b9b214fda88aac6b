// The diagnosis and address windows: one window built twice, its search, save, delete and messages, and the
// sheet's header suggestions that see a saved word at the next keystroke.

#include "catalog/wordlistwindow.h"
#include "data/schema.h"
#include "data/templates.h"
#include "prescription/form2fixture.h"
#include "prescription/typing.h"
#include "ui/fieldedit.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace lichuan;

namespace {

QStringList stored(const Database& db, const QString& table) {
    Statement select(db,
                     QStringLiteral("select [名称],[拼音],[序号] from %1 order by rowid").arg(quoted(table)));
    QStringList rows;
    while (select.next())
        rows << select.text(0) + u'/' + select.text(1) + u'/' + select.text(2);
    return rows;
}

void selectEntry(QListWidget* list, const QString& name) {
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(name));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

void typeInto(QWidget* box, const QString& text) {
    box->setFocus();
    test::typeText(box, text);
}

} // namespace

class TestWordLists : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoWindowsOfOneKind();
    void saveWithEnterAndSearchAsTyped();
    void duplicatesAndOverlongNamesAreReported();
    void deleteWhileFiltered();
    void theSheetOffersNewWordsAtOnce();
};

void TestWordLists::twoWindowsOfOneKind() {
    test::Form2Fixture f;
    std::unique_ptr<WordListWindow> diagnoses(WordListWindow::createForm5(*f.services));
    std::unique_ptr<WordListWindow> addresses(WordListWindow::createForm6(*f.services));
    QCOMPARE(diagnoses->objectName(), QStringLiteral("Form5"));
    QCOMPARE(diagnoses->nameLabel->text(), QStringLiteral("诊断名称："));
    QCOMPARE(addresses->objectName(), QStringLiteral("Form6"));
    QCOMPARE(addresses->nameLabel->text(), QStringLiteral("地址名称："));
    QCOMPARE(test::entries(diagnoses->List1).size(), 7);
    QCOMPARE(test::entries(addresses->List1),
             (QStringList{QStringLiteral("城关镇"), QStringLiteral("东关村"), QStringLiteral("西河村")}));
    for (WordListWindow* window : {diagnoses.get(), addresses.get()}) {
        for (QLabel* label : window->findChildren<QLabel*>())
            QVERIFY2(label->buddy(), qPrintable(label->text()));
        QCOMPARE(window->Command2->text(), QStringLiteral("保  存"));
        QCOMPARE(window->Command1->text(), QStringLiteral("删  除"));
    }
}

void TestWordLists::saveWithEnterAndSearchAsTyped() {
    test::Form2Fixture f;
    Database& db = *f.state.mainDb;
    Statement(db, QStringLiteral("delete from [诊断]")).run();
    WordListWindow window(*f.services, diagnosisList());
    window.show();
    QCOMPARE(window.List1->count(), 0);

    // Blank names are not saved.
    typeInto(window.Text3, QStringLiteral("   "));
    QTest::keyClick(window.Text3, Qt::Key_Return);
    QVERIFY(stored(db, schema::kDiagnosis).isEmpty());

    window.Text3->clear();
    typeInto(window.Text3, QStringLiteral("高血压病"));
    QCOMPARE(window.Text5->text(), QStringLiteral("gxyb"));
    typeInto(window.Text1, QStringLiteral("zz")); // a search is standing when the save comes
    QTest::keyClick(window.Text3, Qt::Key_Return);
    QCOMPARE(stored(db, schema::kDiagnosis), QStringList{QStringLiteral("高血压病/gxyb/高血压病gxyb")});
    QVERIFY(window.Text1->text().isEmpty());
    QCOMPARE(test::entries(window.List1), QStringList{QStringLiteral("高血压病")});
    QVERIFY(window.Text3->text().isEmpty() && window.Text5->text().isEmpty());
    QCOMPARE(window.focusWidget(), window.Text3);

    typeInto(window.Text3, QStringLiteral("2型糖尿病"));
    QCOMPARE(window.Text5->text(), QStringLiteral("2xtnb"));
    QTest::mouseClick(window.Command2, Qt::LeftButton);
    QCOMPARE(stored(db, schema::kDiagnosis).last(), QStringLiteral("2型糖尿病/2xtnb/2型糖尿病2xtnb"));

    for (const char* text : {"gxy", "血压"}) {
        window.Text1->clear();
        typeInto(window.Text1, QString::fromUtf8(text));
        QCOMPARE(test::entries(window.List1), QStringList{QStringLiteral("高血压病")});
    }
    window.Text1->clear();
    QCOMPARE(window.List1->count(), 2);
    QVERIFY(f.messages.shown.isEmpty());
}

void TestWordLists::duplicatesAndOverlongNamesAreReported() {
    test::Form2Fixture f;
    Database& db = *f.state.mainDb;
    const QStringList before = stored(db, schema::kDiagnosis);
    WordListWindow window(*f.services, diagnosisList());
    window.show();
    typeInto(window.Text3, QStringLiteral("高血压病"));
    QTest::keyClick(window.Text3, Qt::Key_Return);
    QCOMPARE(f.messages.shown, QStringList{QStringLiteral("诊断名称“高血压病”已经存在，没有保存。")});
    QCOMPARE(stored(db, schema::kDiagnosis), before);
    QCOMPARE(window.Text3->text(), QStringLiteral("高血压病")); // kept, to be corrected

    f.messages.shown.clear();
    WordListWindow addresses(*f.services, addressList());
    addresses.show();
    const QString street = QStringLiteral("幸福路一百二十三号幸福小区东门对面的第二个巷子里旁边");
    addresses.Text3->setText(street);
    QTest::mouseClick(addresses.Command2, Qt::LeftButton);
    QCOMPARE(f.messages.shown,
             QStringList{QStringLiteral("地址名称太长：地址名称与拼音代码合计最多50个字，没有保存。")});
    QCOMPARE(stored(db, schema::kAddress).size(), 3);

    // Quotes and wildcards are characters, in the save and in the search.
    f.messages.shown.clear();
    addresses.Text3->setText(QStringLiteral("O'Neil路100%"));
    QTest::mouseClick(addresses.Command2, Qt::LeftButton);
    QVERIFY(f.messages.shown.isEmpty());
    typeInto(addresses.Text1, QStringLiteral("%"));
    QCOMPARE(test::entries(addresses.List1), QStringList{QStringLiteral("O'Neil路100%")});
    addresses.Text1->clear();
    typeInto(addresses.Text1, QStringLiteral("'"));
    QCOMPARE(test::entries(addresses.List1), QStringList{QStringLiteral("O'Neil路100%")});
}

void TestWordLists::deleteWhileFiltered() {
    test::Form2Fixture f;
    Database& db = *f.state.mainDb;
    WordListWindow window(*f.services, diagnosisList());
    window.show();

    // No entry selected: nothing goes.
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QCOMPARE(stored(db, schema::kDiagnosis).size(), 7);

    typeInto(window.Text1, QStringLiteral("高"));
    QCOMPARE(test::entries(window.List1),
             (QStringList{QStringLiteral("高血压病"), QStringLiteral("高脂血症")}));
    selectEntry(window.List1, QStringLiteral("高脂血症"));
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QCOMPARE(test::entries(window.List1), QStringList{QStringLiteral("高血压病")});
    QCOMPARE(stored(db, schema::kDiagnosis).size(), 6);
    QVERIFY(!searchWordList(db, schema::kDiagnosis, QStringLiteral("高脂")).size());

    // The list was filled; then another computer removes the entry above the one chosen. The chosen
    // entry is the one deleted, not whatever stands at its position now.
    window.Text1->clear();
    typeInto(window.Text1, QStringLiteral("感染"));
    QCOMPARE(test::entries(window.List1),
             (QStringList{QStringLiteral("肺部感染"), QStringLiteral("上呼吸道感染")}));
    Statement(db, QStringLiteral("delete from [诊断] where [名称] = '肺部感染'")).run();
    selectEntry(window.List1, QStringLiteral("上呼吸道感染"));
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QVERIFY(window.List1->count() == 0);
    QCOMPARE(stored(db, schema::kDiagnosis).size(), 4);
    QVERIFY(f.messages.shown.isEmpty());
}

void TestWordLists::theSheetOffersNewWordsAtOnce() {
    test::Form2Fixture f;
    Form2& sheet = f.openActive();
    FieldEdit* diagnosisField = sheet.sheet.Text5[kDiagnosis];
    FieldEdit* addressField = sheet.sheet.Text5[kAddress];
    diagnosisField->setFocus();
    QTest::keyClicks(diagnosisField, QStringLiteral("q"));
    QVERIFY(!test::entries(sheet.sheet.List3).contains(QStringLiteral("气虚便秘")));

    WordListWindow diagnoses(*f.services, diagnosisList());
    diagnoses.Text3->setText(QStringLiteral("气虚便秘"));
    QTest::mouseClick(diagnoses.Command2, Qt::LeftButton);
    WordListWindow addresses(*f.services, addressList());
    addresses.Text3->setText(QStringLiteral("南山村"));
    QTest::mouseClick(addresses.Command2, Qt::LeftButton);
    QVERIFY(f.messages.shown.isEmpty());

    sheet.activateWindow();
    diagnosisField->setFocus();
    QTest::keyClicks(diagnosisField, QStringLiteral("x"));
    QCOMPARE(test::entries(sheet.sheet.List3), QStringList{QStringLiteral("气虚便秘")});
    addressField->setFocus();
    QTest::keyClicks(addressField, QStringLiteral("ns"));
    QCOMPARE(test::entries(sheet.sheet.List4), QStringList{QStringLiteral("南山村")});
}

QTEST_MAIN(TestWordLists)
#include "test_wordlists.moc"
