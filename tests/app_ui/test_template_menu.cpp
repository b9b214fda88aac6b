// The template window and the two word-list windows as the main menu and the prescription window's
// "存为组套" open them: the real windows, fresh each time, on the kind asked for.

#include "app/form1.h"
#include "catalog/form4.h"
#include "catalog/templaterules.h"
#include "catalog/wordlistwindow.h"
#include "prescription/form2fixture.h"
#include "prescription/pricingsupport.h"
#include "prescription/toolbar.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

using namespace lichuan;

namespace {

struct MainWindow {
    test::Form2Fixture f;
    std::unique_ptr<Form1> main;
    MainWindow() {
        main = std::make_unique<Form1>(f.state, *f.settings, f.clock, f.messages, Form1::Options{});
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }
    void trigger(const QString& item) const {
        auto* action = main->menuBar()->findChild<QAction*>(item);
        QVERIFY2(action, qPrintable(item));
        action->trigger();
    }
    template <class T> T* child(Form1::ChildWindow which) const {
        QMdiSubWindow* sub = main->childWindow(which);
        return sub ? qobject_cast<T*>(sub->widget()) : nullptr;
    }
    Form4* templates() const { return child<Form4>(Form1::ChildWindow::Templates); }
};

} // namespace

class TestTemplateMenu : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuOpensTheTemplateWindowOnItsKinds();
    void menuOpensTheWordLists();
    void saveAsSetFromAHerbalAndAWesternSheet();
};

void TestTemplateMenu::menuOpensTheTemplateWindowOnItsKinds() {
    MainWindow w;
    w.trigger(QStringLiteral("个人模板"));
    Form4* form = w.templates();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("中药方剂/西成药组套/病历模板维护"));
    QCOMPARE(w.main->childWindow(Form1::ChildWindow::Templates)->windowTitle(), form->windowTitle());
    QVERIFY(form->isVisible());
    QCOMPARE(form->kind(), int(kFormula));
    QCOMPARE(form->focusWidget(), form->Text1);
    QCOMPARE(test::entries(form->List1).first(), QStringLiteral("桂枝汤"));
    form->Text1->setText(QStringLiteral("未存的名称"));

    // "病历模板维护": a fresh window switched to record phrases.
    w.trigger(QStringLiteral("病历模板"));
    QTRY_VERIFY(w.templates() && w.templates() != form);
    form = w.templates();
    QCOMPARE(form->kind(), int(kRecordPhrase));
    QVERIFY(form->Option1[kRecordPhrase]->isChecked());
    QCOMPARE(form->Label4, QStringLiteral("病历模板"));
    QCOMPARE(test::entries(form->List1).first(), QStringLiteral("高血压主诉"));
    QVERIFY(form->Text1->text().isEmpty());

    // The medical record's "编辑病历模板" goes the same way.
    static_cast<Navigator&>(*w.main).openRecordTemplates();
    QCOMPARE(w.templates()->kind(), int(kRecordPhrase));

    // "退 出" closes the window and frees its place.
    QTest::mouseClick(w.templates()->Command2, Qt::LeftButton);
    QTRY_VERIFY(!w.main->childWindow(Form1::ChildWindow::Templates));
}

void TestTemplateMenu::menuOpensTheWordLists() {
    MainWindow w;
    w.trigger(QStringLiteral("诊断名称"));
    auto* diagnoses = w.child<WordListWindow>(Form1::ChildWindow::Diagnoses);
    QVERIFY(diagnoses);
    QCOMPARE(diagnoses->windowTitle(), QStringLiteral("诊断名称维护"));
    QCOMPARE(diagnoses->focusWidget(), diagnoses->Text1);
    w.trigger(QStringLiteral("添加常用地址"));
    auto* addresses = w.child<WordListWindow>(Form1::ChildWindow::Addresses);
    QVERIFY(addresses);
    QCOMPARE(addresses->windowTitle(), QStringLiteral("添加常用地址"));

    // Exactly centred over the main window.
    QMdiSubWindow* sub = w.main->childWindow(Form1::ChildWindow::Addresses);
    const QSize area = w.main->mdiArea()->viewport()->size();
    const QPoint expected((area.width() - sub->frameGeometry().width()) / 2,
                          (area.height() - sub->frameGeometry().height()) / 2);
    QCOMPARE(sub->pos(), QPoint(std::max(0, expected.x()), std::max(0, expected.y())));
}

void TestTemplateMenu::saveAsSetFromAHerbalAndAWesternSheet() {
    MainWindow w;
    Form2* sheet = w.main->prescriptionWindow();
    QVERIFY(sheet);
    const QString herbs = QStringLiteral("桂枝 9g      白芍 9g      ");
    sheet->sheet.R1->setText(herbs);
    w.trigger(QStringLiteral("个人模板"));
    Form4* before = w.templates();
    before->Text1->setText(QStringLiteral("未存的名称"));

    test::clickToolbar(*sheet, Toolbar::SaveAsSet);
    QTRY_VERIFY(w.templates() && w.templates() != before);
    Form4* form = w.templates();
    QCOMPARE(form->windowTitle(), QStringLiteral("中药方剂/西成药组套/病历模板维护"));
    QVERIFY(form->isVisible());
    QCOMPARE(form->kind(), int(kFormula));
    QCOMPARE(form->Text2->text(), herbs);
    QVERIFY(form->Text1->text().isEmpty());
    QCOMPARE(form->focusWidget(), form->Text1);

    // Named and saved: a new formula holding the sheet's items.
    form->Text1->setText(QStringLiteral("桂芍方"));
    QTest::mouseClick(form->Command5, Qt::LeftButton);
    QCOMPARE(templatesOfKind(*w.f.state.mainDb, QStringLiteral("中药方剂")).back().content, herbs);

    // A Western sheet hands its items to a fresh window on 西成药组套.
    QTest::mouseClick(sheet->search.Command1[1], Qt::LeftButton); // 西成药
    const QString medicines =
        QStringLiteral("阿莫西林胶囊[0.25g*24粒] 2盒\r\n    用法：一次2粒 每日3次 口服");
    sheet->sheet.R1->setText(medicines);
    test::clickToolbar(*sheet, Toolbar::SaveAsSet);
    QTRY_VERIFY(w.templates() && w.templates() != form);
    form = w.templates();
    QCOMPARE(form->kind(), int(kWesternSet));
    QVERIFY(form->Option1[kWesternSet]->isChecked());
    QCOMPARE(form->Text2->text(), medicines);
    QCOMPARE(form->Text4->text(), QStringLiteral("004"));

    // An empty item text opens the window with an empty content box.
    sheet->sheet.R1->setText(QString());
    test::clickToolbar(*sheet, Toolbar::SaveAsSet);
    QTRY_VERIFY(w.templates() && w.templates() != form);
    QVERIFY(w.templates()->Text2->text().isEmpty());
}

QTEST_MAIN(TestTemplateMenu)
#include "test_template_menu.moc"
