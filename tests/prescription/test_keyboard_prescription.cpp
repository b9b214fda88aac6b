// A whole herbal prescription written, saved, settled, printed (on a PDF printer of the test's own print
// server) and followed by the next one with nothing but keys, in the prescription window inside the main
// window; the same prescription the old way, with the mouse, for comparison; and the window's keys staying
// inside it.

#include "app/form1.h"
#include "cupsserver.h"
#include "data/prescriptions.h"
#include "data/settingsrow.h"
#include "data/textrules.h"
#include "form2fixture.h"
#include "keyboard.h"
#include "prescription/itemquantity.h"
#include "prescription/lookuprules.h"
#include "prescription/shortcuts.h"
#include "prescription/toolbar.h"
#include "pricingsupport.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

using namespace lichuan;
using test::Keyboard;

namespace {

// The six herbs: search initials, the name their entry starts with, and a price.
struct Herb {
    const char* initials;
    const char16_t* name;
    const char* price;
};
constexpr std::array<Herb, 6> kHerbs{{{"gz", u"桂枝", "0.04"},
                                      {"bs", u"白芍[炒]", "0.06"},
                                      {"zgc", u"炙甘草", "0.05"},
                                      {"dz", u"大枣", "0.02"},
                                      {"hq", u"黄芪", "0.05"},
                                      {"dg", u"当归", "0.10"}}};

// The main window on the fixture's data, shown and active, with the prescription window open in it.
struct MainWindowRun {
    explicit MainWindowRun(test::Form2Fixture& f) {
        Form1::Options options;
        options.backupRoot = f.dir.filePath(QStringLiteral("backup"));
        options.hooks.openUrl = [](const QUrl&) { return true; };
        options.hooks.quit = [] {};
        main = std::make_unique<Form1>(f.state, *f.settings, f.clock, f.messages, std::move(options));
        main->show();
        if (!QTest::qWaitForWindowActive(main.get()))
            qWarning("the main window did not become active");
    }
    Form2& form() const { return *main->prescriptionWindow(); }

    std::unique_ptr<Form1> main;
};

QString herbName(const Herb& herb) {
    return QString::fromUtf16(herb.name);
}

// Picks a herb as a doctor does: initials, then Enter when one entry is left, else Down to it and Enter.
void pickHerb(Keyboard& keys, Form2& form, const Herb& herb) {
    keys.type(QString::fromLatin1(herb.initials));
    const QStringList list = test::entries(form.search.List1);
    qsizetype row = -1;
    for (qsizetype i = 0; i < list.size() && row < 0; ++i)
        row = list.at(i).startsWith(herbName(herb) + QLatin1Char(' ')) ? i : -1;
    QVERIFY2(row >= 0, qPrintable(list.join(u'|')));
    if (list.size() > 1) {
        for (qsizetype i = 0; i <= row; ++i)
            keys.press(Qt::Key_Down);
    }
    keys.press(Qt::Key_Return);
}

// The header and the six herbs, typed the same way on both roads.
void typeHeaderAndHerbs(Keyboard& keys, Form2& form) {
    QCOMPARE(QApplication::focusWidget(), form.sheet.Text5[kName]);
    keys.typeChinese(QStringLiteral("赵六"), QStringLiteral("zhaoliu"));
    keys.press(Qt::Key_Return);
    keys.type(QStringLiteral("1")); // 男
    keys.press(Qt::Key_Return);
    keys.type(QStringLiteral("42"));
    for (int field = kAge; field < kDiagnosis;
         ++field) // on to the department, the address, the date, the diagnosis
        keys.press(Qt::Key_Return);
    keys.typeChinese(QStringLiteral("感冒"), QStringLiteral("ganmao"));
    keys.press(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), form.search.Text1);
    for (const Herb& herb : kHerbs)
        pickHerb(keys, form, herb);
}

void priceTheHerbs(test::Form2Fixture& f) {
    for (const Herb& herb : kHerbs) {
        QString name = herbName(herb);
        name.replace(QLatin1Char('['), QLatin1Char('{')).replace(QLatin1Char(']'), QLatin1Char('}'));
        test::setPrice(*f.state.mainDb, name, QString::fromLatin1(herb.price));
    }
}

// The item text both roads store: the six picks, each laid out as it goes in, 当归's 10 typed over with 15,
// and laid out again by the save and by the settlement.
QString expectedItems() {
    QString text;
    int caret = 0;
    for (const Herb& herb : kHerbs) {
        text.insert(caret, herbPickText(herbName(herb) + QStringLiteral(" 10g")));
        const HerbalLayout layout = layOutHerbal(text);
        text = layout.text;
        caret = layout.caret;
    }
    const std::optional<TextSpan> quantity = lastItemQuantity(text, true);
    if (!quantity)
        return QStringLiteral("<no quantity>");
    text.replace(quantity->start, quantity->end - quantity->start, QStringLiteral("15"));
    return layOutHerbal(layOutHerbal(text).text).text;
}

// What both roads must have stored: the header, the laid-out items with 当归 15g, the dose count in the
// quantities, the settled marker and the statistics lines.
void checkStoredRow(test::Form2Fixture& f, const QString& key) {
    const std::optional<SheetRecord> row = loadPrescription(*f.state.mainDb, key);
    QVERIFY(row);
    QCOMPARE(row->fields[kName], QStringLiteral("赵六"));
    QCOMPARE(row->fields[kSex], QStringLiteral("男"));
    QCOMPARE(row->fields[kAge], QStringLiteral("42"));
    QCOMPARE(row->fields[kDiagnosis], QStringLiteral("感冒"));
    QCOMPARE(row->items, expectedItems());
    // Three herbs to a line, each in its 13 columns.
    auto pad = [](const char16_t* item) { return PadItem(QString::fromUtf16(item)); };
    QVERIFY(row->items.startsWith(pad(u"桂枝 10g") + pad(u"白芍[炒]10g") + pad(u"炙甘草 10g") + kCrLf +
                                  kCrLf + pad(u"大枣 10g") + pad(u"黄芪 10g") + pad(u"当归 15g")));
    QVERIFY(row->herbal);
    QCOMPARE(row->settled, kSettledMarker);
    QCOMPARE(row->lines[5].name, QStringLiteral("当归"));
    QCOMPARE(row->lines[5].quantity, QStringLiteral("105")); // 15 g × 7 doses
    QCOMPARE(row->lines[0].quantity, QStringLiteral("70"));
    QCOMPARE(row->fields[kAmount], QStringLiteral("25.90"));
    QCOMPARE(test::statisticsLines(*f.state.statsDb, key).size(), 6);
}

// The printer made one page with something on it (its PDF keeps no readable text: an empty page is about
// 1 KB).
void checkPdf(const QString& pdf) {
    QVERIFY2(QFileInfo(pdf).size() > 2000,
             qPrintable(pdf + QLatin1Char(' ') + QString::number(QFileInfo(pdf).size())));
}

} // namespace

class TestKeyboardPrescription : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void wholeHerbalPrescriptionByKeyboard();
    void sameHerbalPrescriptionTheOldWay();
    void keysStayInThePrescriptionWindow();

private:
    // Points the prescription printer at the test's PDF printer, with a clinic name that titles the job.
    QString usePdfPrinter(test::Form2Fixture& f);
    // The PDF the printer made of the job titled `title`.
    QString printedPdf(const QString& title);

    test::CupsServer cups_;
    QString queue_;
    bool cupsReady_ = false;
};

void TestKeyboardPrescription::initTestCase() {
    queue_ = QStringLiteral("KeysPDF%1").arg(QCoreApplication::applicationPid());
    cupsReady_ = cups_.start() && cups_.addQueue(queue_);
}

QString TestKeyboardPrescription::usePdfPrinter(test::Form2Fixture& f) {
    const QString title = test::CupsServer::uniqueTitle(QStringLiteral("Clinic"));
    if (!writeSettingsRow(*f.state.mainDb,
                          {{QStringLiteral("处方打印机"), queue_}, {QStringLiteral("单位名称"), title}}))
        return {};
    f.settings->drop();
    return title;
}

QString TestKeyboardPrescription::printedPdf(const QString& title) {
    return cups_.waitForJob(title);
}

void TestKeyboardPrescription::wholeHerbalPrescriptionByKeyboard() {
    if (!cupsReady_)
        LICHUAN_SKIP(QStringLiteral("no print server can run here: ") + cups_.whyNot());
    test::Form2Fixture f;
    priceTheHerbs(f);
    const QString title = usePdfPrinter(f);
    QVERIFY(!title.isEmpty());
    MainWindowRun run(f);
    Form2& form = run.form();
    Keyboard keys;

    typeHeaderAndHerbs(keys, form);
    const int headerAndHerbs = keys.strokes;
    keys.press(SheetKey::LastQuantity);
    keys.type(QStringLiteral("15"));
    keys.press(Qt::Key_Return);
    keys.press(SheetKey::DoseCount);
    keys.type(QStringLiteral("7"));
    keys.press(Qt::Key_Return);
    keys.press(SheetKey::Save);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|')));
    keys.press(SheetKey::Settle);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|')));
    const QString key = form.sheet.Label4;
    keys.press(SheetKey::Print);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|') + cups_.errorLog()));
    keys.press(SheetKey::New);
    checkPdf(printedPdf(title));

    checkStoredRow(f, key);
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 1);
    // The next prescription has begun: an empty sheet with a new key, the caret in the name field.
    QVERIFY(form.sheet.Label4 != key);
    QCOMPARE(form.sheet.Text5[kName]->text(), QString());
    QCOMPARE(QApplication::focusWidget(), form.sheet.Text5[kName]);
    qInfo("keyboard road: %d keystrokes (%d for the header and the six herbs, %d for the rest), no click",
          keys.strokes, headerAndHerbs, keys.strokes - headerAndHerbs);
}

void TestKeyboardPrescription::sameHerbalPrescriptionTheOldWay() {
    if (!cupsReady_)
        LICHUAN_SKIP(QStringLiteral("no print server can run here: ") + cups_.whyNot());
    test::Form2Fixture f;
    priceTheHerbs(f);
    const QString title = usePdfPrinter(f);
    QVERIFY(!title.isEmpty());
    MainWindowRun run(f);
    Form2& form = run.form();
    Keyboard keys;
    int clicks = 0;
    auto click = [&clicks](QWidget* target, QPoint at = QPoint()) {
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        ++clicks;
    };
    auto clickToolbar = [&clicks, &form](int button) {
        test::clickToolbar(form, button);
        ++clicks;
    };

    typeHeaderAndHerbs(keys, form);
    const int headerAndHerbs = keys.strokes;
    // The quantity: a click just after 10 of 当归, two Backspaces, 15, and a click back into the search box.
    CrLfTextEdit* r1 = form.sheet.R1;
    const std::optional<TextSpan> quantity = lastItemQuantity(r1->text(), true);
    QVERIFY(quantity);
    QTextCursor at(r1->document());
    at.setPosition(crLfPositionToWidget(r1->text(), quantity->end));
    click(r1->viewport(), r1->cursorRect(at).center());
    QCOMPARE(r1->caret(), quantity->end);
    keys.press(Qt::Key_Backspace);
    keys.press(Qt::Key_Backspace);
    keys.type(QStringLiteral("15"));
    click(form.search.Text1);
    // The dose count: a double click selects the 6, then 7.
    QTest::mouseDClick(form.sheet.Text6, Qt::LeftButton);
    clicks += 2;
    keys.type(QStringLiteral("7"));
    clickToolbar(Toolbar::Save);
    click(form.pricing.Command4);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|')));
    const QString key = form.sheet.Label4;
    clickToolbar(Toolbar::Print);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|') + cups_.errorLog()));
    clickToolbar(Toolbar::New);
    checkPdf(printedPdf(title));

    checkStoredRow(f, key);
    qInfo("mouse road: %d keystrokes and %d clicks (%d keystrokes for the header and the six herbs, then %d "
          "keystrokes and %d clicks)",
          keys.strokes, clicks, headerAndHerbs, keys.strokes - headerAndHerbs, clicks);
}

void TestKeyboardPrescription::keysStayInThePrescriptionWindow() {
    test::Form2Fixture f;
    MainWindowRun run(f);
    Form2& form = run.form();
    Keyboard keys;
    int ambiguous = 0;
    for (QShortcut* shortcut : form.findChildren<QShortcut*>())
        connect(shortcut, &QShortcut::activatedAmbiguously, this, [&ambiguous] { ++ambiguous; });

    // No key of the sheet is a menu letter or a shortcut of the main window.
    QList<QKeySequence> taken;
    for (const QAction* action : run.main->findChildren<QAction*>()) {
        if (form.isAncestorOf(qobject_cast<QWidget*>(action->parent())))
            continue;
        taken << action->shortcuts();
        const QKeySequence letter = QKeySequence::mnemonic(action->text());
        if (!letter.isEmpty())
            taken << letter;
    }
    QVERIFY(taken.contains(QKeySequence(QStringLiteral("Alt+S"))));
    for (const SheetKeyInfo& info : kSheetKeys)
        QVERIFY2(!taken.contains(QKeySequence(QString::fromLatin1(info.keys))), info.keys);

    // Another child window with the focus keeps its keys to itself.
    auto* other = new QLineEdit;
    other->setObjectName(QStringLiteral("other"));
    QMdiSubWindow* sub = run.main->mdiArea()->addSubWindow(other);
    sub->show();
    run.main->mdiArea()->setActiveSubWindow(sub);
    other->setFocus();
    QCOMPARE(QApplication::focusWidget(), other);
    test::typeField(form, kName, QStringLiteral("钱七"));
    other->setFocus();
    for (SheetKey key : {SheetKey::WesternDrugs, SheetKey::Save, SheetKey::Settle, SheetKey::New})
        keys.press(key);
    QCOMPARE(form.state.CurrentCategory, 0);
    QCOMPARE(form.sheet.Text5[kName]->text(), QStringLiteral("钱七"));
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 0);
    QCOMPARE(QApplication::focusWidget(), other);

    // Back in the prescription window the same keys act, and the menu letters still open the menu.
    run.main->showPrescriptionWindow();
    keys.press(SheetKey::WesternDrugs);
    QCOMPARE(form.state.CurrentCategory, 1);
    keys.press(SheetKey::Save);
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 1);
    QCOMPARE(ambiguous, 0);
}

QTEST_MAIN(TestKeyboardPrescription)
#include "test_keyboard_prescription.moc"
