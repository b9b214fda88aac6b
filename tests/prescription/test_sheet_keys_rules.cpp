// The keys of the prescription window without a window: where the quantity of the last item stands, and the
// key table against what the help page and the README tell the user.

#include "prescription/itemquantity.h"
#include "prescription/shortcutkeys.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace lichuan;

Q_DECLARE_METATYPE(std::optional<TextSpan>)

namespace {

// The text a span selects, or "<none>".
QString selected(const QString& text, const std::optional<TextSpan>& span) {
    if (!span)
        return QStringLiteral("<none>");
    return text.mid(span->start, span->end - span->start);
}

QString readSourceFile(const QString& relative) {
    QFile file(QStringLiteral(LICHUAN_SOURCE_DIR "/") + relative);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The part of a text from `start` up to the next match of `end` (or its end).
QString sectionOf(const QString& text, const QString& start, const QRegularExpression& end) {
    const qsizetype from = text.indexOf(start);
    if (from < 0)
        return {};
    const qsizetype to = text.indexOf(end, from + start.size());
    return text.mid(from, to < 0 ? -1 : to - from);
}

} // namespace

class TestSheetKeysRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lastHerbQuantity_data();
    void lastHerbQuantity();
    void lastWesternQuantity_data();
    void lastWesternQuantity();
    void keysAreDistinctAndNeverPlainTyping();
    void helpPageAndReadmeListEveryKey();
};

void TestSheetKeysRules::lastHerbQuantity_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<int>("start");
    QTest::newRow("one herb") << QStringLiteral("黄芪 10g      ") << QStringLiteral("10") << 3;
    QTest::newRow("the last of three on a line")
        << QStringLiteral("黄芪 10g      当归 9g       石斛 12g      ") << QStringLiteral("12") << 27;
    QTest::newRow("a note before the quantity")
        << QStringLiteral("黄芪 10g      石膏[先煎]10g ") << QStringLiteral("10") << 18;
    QTest::newRow("on the second line, charge items after it")
        << QStringLiteral("黄芪 10g      当归 9g       石斛 10g      \r\n\r\n大枣 3枚      \r\n挂号费 1")
        << QStringLiteral("3") << 43;
    QTest::newRow("a decimal quantity") << QStringLiteral("冰片 0.5g     ") << QStringLiteral("0.5") << 3;
    QTest::newRow("no number before the unit: the caret before it")
        << QStringLiteral("生姜 片g ") << QString() << 4;
    QTest::newRow("a text without an item") << QStringLiteral("挂号费 1") << QStringLiteral("<none>") << -1;
    QTest::newRow("empty") << QString() << QStringLiteral("<none>") << -1;
}

void TestSheetKeysRules::lastHerbQuantity() {
    QFETCH(QString, text);
    QFETCH(QString, quantity);
    QFETCH(int, start);
    const std::optional<TextSpan> span = lastItemQuantity(text, true);
    QCOMPARE(selected(text, span), quantity);
    QCOMPARE(span ? span->start : -1, start);
}

void TestSheetKeysRules::lastWesternQuantity_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<int>("start");
    const QString amoxicillin = QStringLiteral("阿莫西林胶囊[0.25g*24] 1盒");
    QTest::newRow("a drug with its usage line")
        << amoxicillin + QStringLiteral("\r\n    用法：2粒 每日3次 口服\r\n\r\n") << QStringLiteral("1")
        << 17;
    QTest::newRow("the last of two drugs")
        << amoxicillin + QStringLiteral("\r\n    用法：2粒 每日3次 口服\r\n\r\n") +
               QStringLiteral("藿香正气水[10ml*10瓶] 12盒\r\n")
        << QStringLiteral("12") << 58;
    QTest::newRow("a space inside the package size")
        << QStringLiteral("柏子养心丸[9g *10] 2盒") << QStringLiteral("2") << 14;
    QTest::newRow("a charge item without a bracket")
        << QStringLiteral("挂号费 1\r\n") << QStringLiteral("1") << 4;
    QTest::newRow("no quantity: the caret at the end of the line")
        << QStringLiteral("复方甘草片[100片]  \r\n") << QString() << 11;
    QTest::newRow("usage lines only")
        << QStringLiteral("    用法：口服\r\n") << QStringLiteral("<none>") << -1;
}

void TestSheetKeysRules::lastWesternQuantity() {
    QFETCH(QString, text);
    QFETCH(QString, quantity);
    QFETCH(int, start);
    const std::optional<TextSpan> span = lastItemQuantity(text, false);
    QCOMPARE(selected(text, span), quantity);
    QCOMPARE(span ? span->start : -1, start);
}

void TestSheetKeysRules::keysAreDistinctAndNeverPlainTyping() {
    QSet<QString> keys;
    for (const SheetKeyInfo& info : kSheetKeys) {
        const QString key = QString::fromLatin1(info.keys);
        QVERIFY2(!keys.contains(key), qPrintable(key));
        keys.insert(key);
        // A key that types (a letter, a digit, Enter, Tab, Down) would take it from the sheet.
        const bool chord = key.contains(QLatin1Char('+')) ||
                           QRegularExpression(QStringLiteral("^F\\d+$")).match(key).hasMatch();
        QVERIFY2(chord, qPrintable(key));
        // The main window's menu letters stay the menu's.
        QVERIFY2(!QRegularExpression(QStringLiteral("^Alt\\+[SYMCBTZJH]$")).match(key).hasMatch(),
                 qPrintable(key));
        QVERIFY2(&sheetKeyInfo(info.key) == &info, qPrintable(key));
    }
    for (int k = 0; k < 6; ++k) {
        int keysOfCategory = 0;
        for (const SheetKeyInfo& info : kSheetKeys)
            keysOfCategory += categoryOfKey(info.key) == k ? 1 : 0;
        QCOMPARE(keysOfCategory, 1);
    }
    QCOMPARE(withKeyHint(QStringLiteral("保存"), SheetKey::Save), QStringLiteral("保存 (Ctrl+S)"));
}

void TestSheetKeysRules::helpPageAndReadmeListEveryKey() {
    const QString help = readSourceFile(QStringLiteral("resources/help/index.html"));
    const QString keysSection =
        sectionOf(help, QStringLiteral("id=\"keys\""), QRegularExpression(QStringLiteral("<h2 ")));
    QVERIFY2(keysSection.contains(QStringLiteral("快捷键")), "no 快捷键 section on the help page");
    const QString readme = readSourceFile(QStringLiteral("README.md"));
    const QString readmeSection =
        sectionOf(readme, QStringLiteral("快捷键"), QRegularExpression(QStringLiteral("\n## ")));
    QVERIFY2(!readmeSection.isEmpty(), "no 快捷键 section in the README");
    for (const SheetKeyInfo& info : kSheetKeys) {
        const QString key = QString::fromLatin1(info.keys);
        // The help page gives every key a row of its own, each part of a chord marked up as a key.
        const QString marked = QStringLiteral("<tr><td><kbd>") +
                               key.split(QLatin1Char('+')).join(QStringLiteral("</kbd>+<kbd>")) +
                               QStringLiteral("</kbd></td>");
        const QString caption = QString::fromUtf16(info.caption).toHtmlEscaped();
        const qsizetype at = keysSection.indexOf(marked);
        QVERIFY2(at >= 0, qPrintable(key));
        QVERIFY2(keysSection.indexOf(QStringLiteral("</tr>"), at) > keysSection.indexOf(caption, at) &&
                     keysSection.indexOf(caption, at) >= 0,
                 qPrintable(key + QStringLiteral(": ") + caption));
        QVERIFY2(readmeSection.contains(key), qPrintable(key));
    }
}

QTEST_GUILESS_MAIN(TestSheetKeysRules)
#include "test_sheet_keys_rules.moc"
