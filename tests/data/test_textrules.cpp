#include "data/textrules.h"

#include <QtTest>

using namespace lichuan;

namespace {

QString spaces(int n) {
    return QString(n, QLatin1Char(' '));
}

} // namespace

class TestTextRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void trimmingTouchesSpacesOnly();
    void padItemFillsThirteenColumns();
    void caretColumnCountsDoubleByteCharacters();
    void herbalLayout_data();
    void herbalLayout();
    void layoutWithoutUnitLeavesTextAlone();
    void relayingMovesOldFillerIntoTail();
    void itemsOfOneWidthPerLine();
    void trimForSaveRemovesUpToTwentyOneBreaks();
    void formulaNormalisation();
    void westernTemplateInsertion();
    void widgetLineBreakAdapters();
};

void TestTextRules::trimmingTouchesSpacesOnly() {
    QCOMPARE(trimSpaces(QStringLiteral("  当归 10g  ")), QStringLiteral("当归 10g"));
    QCOMPARE(trimSpaces(QStringLiteral("\t当归\r\n")), QStringLiteral("\t当归\r\n"));
    QCOMPARE(trimSpaces(QStringLiteral("\u3000当归\u00a0")), QStringLiteral("\u3000当归\u00a0"));
    QCOMPARE(trimLeadingSpaces(QStringLiteral("  a  ")), QStringLiteral("a  "));
    QCOMPARE(trimTrailingSpaces(QStringLiteral("  a  ")), QStringLiteral("  a"));
    QCOMPARE(trimSpaces(QStringLiteral("   ")), QString());
}

void TestTextRules::padItemFillsThirteenColumns() {
    QCOMPARE(PadItem(QStringLiteral("石斛 10g")), QStringLiteral("石斛 10g") + spaces(5));
    QCOMPARE(PadItem(QString()), spaces(13));
    // 12 columns: one space makes 13; 13 columns and wider: one space as well.
    QCOMPARE(PadItem(QStringLiteral("白花蛇舌草3g")), QStringLiteral("白花蛇舌草3g "));
    QCOMPARE(PadItem(QStringLiteral("白花蛇舌草30g")), QStringLiteral("白花蛇舌草30g "));
    QCOMPARE(PadItem(QStringLiteral("石膏[先煎]10g")), QStringLiteral("石膏[先煎]10g "));
    // A character GBK cannot encode counts one column, a surrogate pair being one character.
    QCOMPARE(PadItem(QStringLiteral("😀10g")), QStringLiteral("😀10g") + spaces(9));
}

void TestTextRules::caretColumnCountsDoubleByteCharacters() {
    QCOMPARE(CaretColumn(QString(), 0), 1);
    QCOMPARE(CaretColumn(QStringLiteral("当归"), 2), 5);
    QCOMPARE(CaretColumn(QStringLiteral("当归 10g"), 3), 6);
    const QString twoLines = QStringLiteral("当归10g\r\n黄芪a");
    QCOMPARE(CaretColumn(twoLines, int(twoLines.size())), 6);
    QCOMPARE(CaretColumn(twoLines, 7), 1); // just after the break
    QCOMPARE(CaretColumn(twoLines, 6), 9); // between "\r" and "\n": still the first line
    QCOMPARE(CaretColumn(QStringLiteral("a\r\n\r\n"), 5), 1);
    QCOMPARE(CaretColumn(QStringLiteral("abc"), 99), 4); // a position past the end counts to the end
}

void TestTextRules::herbalLayout_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QStringList>("items");

    const QString line1 = QStringLiteral("桂枝 9g") + spaces(6) + QStringLiteral("白芍 9g") + spaces(6) +
                          QStringLiteral("甘草 6g") + spaces(6);
    const QString line2 = QStringLiteral("生姜 9g") + spaces(6) + QStringLiteral("大枣 9g") + spaces(6);
    QTest::newRow("three items a line")
        << QStringLiteral("桂枝 9g白芍 9g甘草 6g生姜 9g大枣 9g") << line1 + QStringLiteral("\r\n\r\n") + line2
        << int((line1 + QStringLiteral("\r\n\r\n") + line2).size())
        << QStringList{QStringLiteral("桂枝 9g"), QStringLiteral("白芍 9g"), QStringLiteral("甘草 6g"),
                       QStringLiteral("生姜 9g"), QStringLiteral("大枣 9g")};

    // Items of 13 columns take 14: after three the column is 43 and the fourth starts a new line.
    const QString wide = QStringLiteral("白花蛇舌草30g ");
    QTest::newRow("thirteen-column items")
        << QStringLiteral("白花蛇舌草30g白花蛇舌草30g白花蛇舌草30g白花蛇舌草30g")
        << wide + wide + wide + QStringLiteral("\r\n\r\n") + wide << int(3 * 9 + 4 + 9)
        << QStringList(4, QStringLiteral("白花蛇舌草30g"));

    QTest::newRow("user's $ ends an item")
        << QStringLiteral("当归10$黄芪") << QStringLiteral("当归10") + spaces(7) + QStringLiteral("黄芪")
        << 11 << QStringList{QStringLiteral("当归10")};

    QTest::newRow("a name with a unit character is cut there")
        << QStringLiteral("五个核桃10g")
        << QStringLiteral("五个") + spaces(9) + QStringLiteral("核桃10g") + spaces(6) << 22
        << QStringList{QStringLiteral("五个"), QStringLiteral("核桃10g")};

    QTest::newRow("tail is kept behind the items")
        << QStringLiteral("当归 10g 水煎服")
        << QStringLiteral("当归 10g") + spaces(5) + QStringLiteral(" 水煎服") << 11
        << QStringList{QStringLiteral("当归 10g")};

    QTest::newRow("a break inside an item joins it")
        << QStringLiteral("当\r\n归10g  \r\n\r\n黄芪10g")
        << QStringLiteral("当归10g") + spaces(6) + QStringLiteral("黄芪10g") + spaces(6) << 22
        << QStringList{QStringLiteral("当归10g"), QStringLiteral("黄芪10g")};

    QTest::newRow("spaces after a break stay with the item")
        << QStringLiteral("当归10g\r\n  黄芪10g")
        << QStringLiteral("当归10g") + spaces(6) + QStringLiteral("  黄芪10g") + spaces(4) << 22
        << QStringList{QStringLiteral("当归10g"), QStringLiteral("  黄芪10g")};

    QTest::newRow("bracketed note, one space")
        << QStringLiteral("石膏[先煎]10g") << QStringLiteral("石膏[先煎]10g ") << 10
        << QStringList{QStringLiteral("石膏[先煎]10g")};

    QTest::newRow("every unit character")
        << QStringLiteral("蜈蚣2条大枣3枚葱白1个当归1g")
        << QStringLiteral("蜈蚣2条") + spaces(6) + QStringLiteral("大枣3枚") + spaces(6) +
               QStringLiteral("葱白1个") + spaces(6) + QStringLiteral("\r\n\r\n当归1g") + spaces(7)
        << 45
        << QStringList{QStringLiteral("蜈蚣2条"), QStringLiteral("大枣3枚"), QStringLiteral("葱白1个"),
                       QStringLiteral("当归1g")};
}

void TestTextRules::herbalLayout() {
    QFETCH(QString, input);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QStringList, items);
    const HerbalLayout layout = layOutHerbal(input);
    QCOMPARE(layout.text, text);
    QCOMPARE(layout.caret, caret);
    QCOMPARE(layout.items, items);
    QCOMPARE(layout.text.mid(layout.caret), layout.tail);
}

void TestTextRules::layoutWithoutUnitLeavesTextAlone() {
    for (const QString& text : {QString(), QStringLiteral("当归 10"), QStringLiteral("  水煎服\r\n  ")}) {
        const HerbalLayout layout = layOutHerbal(text);
        QCOMPARE(layout.text, text);
        QCOMPARE(layout.caret, 0);
        QVERIFY(layout.items.isEmpty());
        QCOMPARE(layout.tail, text);
    }
}

void TestTextRules::relayingMovesOldFillerIntoTail() {
    const HerbalLayout first = layOutHerbal(QStringLiteral("当归10g黄芪10g"));
    QCOMPARE(first.text, QStringLiteral("当归10g") + spaces(6) + QStringLiteral("黄芪10g") + spaces(6));
    const HerbalLayout second = layOutHerbal(first.text);
    QCOMPARE(second.items, first.items);
    QCOMPARE(second.caret, first.caret);
    QCOMPARE(second.text, first.text + spaces(6));
    // Trimmed first, the text lays out the same again.
    QCOMPARE(layOutHerbal(trimForSave(first.text)).text, first.text);
}

void TestTextRules::itemsOfOneWidthPerLine() {
    auto perLine = [](int width) {
        const QString item = QString(width - 1, QLatin1Char('a')) + QLatin1Char('g');
        const QString text = layOutHerbal(item + item + item + item).text;
        return int(
            text.left(text.indexOf(kCrLf) < 0 ? text.size() : text.indexOf(kCrLf)).count(QLatin1Char('g')));
    };
    QCOMPARE(perLine(12), 3);
    QCOMPARE(perLine(16), 3);
    QCOMPARE(perLine(17), 2);
    QCOMPARE(perLine(33), 2);
    QCOMPARE(perLine(34), 1);
}

void TestTextRules::trimForSaveRemovesUpToTwentyOneBreaks() {
    QString many = QStringLiteral("桂枝汤");
    for (int i = 0; i < 22; ++i)
        many += QStringLiteral(" \r\n ");
    // One break per pass: the 22nd stays, with the spaces that followed it.
    QCOMPARE(trimForSave(many), QStringLiteral("桂枝汤 \r\n  "));
    QCOMPARE(trimForSave(QStringLiteral("  桂枝汤\r\n \r\n  ")), QStringLiteral("桂枝汤"));
    QCOMPARE(trimForSave(QStringLiteral("\r\n\r\n桂枝汤")), QStringLiteral("\r\n\r\n桂枝汤"));
    QCOMPARE(trimForSave(QStringLiteral("桂枝汤\n")), QStringLiteral("桂枝汤\n"));
}

void TestTextRules::formulaNormalisation() {
    QCOMPARE(normaliseFormula(QStringLiteral("桂枝10克、白芍10克")), QStringLiteral("桂枝10g 白芍10g"));
    const QString saved =
        layOutHerbal(normaliseFormula(trimForSave(QStringLiteral("桂枝9克、甘草6克\r\n")))).text;
    QCOMPARE(saved, QStringLiteral("桂枝9g") + spaces(7) + QStringLiteral("甘草6g") + spaces(7));
}

void TestTextRules::westernTemplateInsertion() {
    const QString set = QStringLiteral("百乐眠胶囊[0.27g*24粒] 1盒");
    QCOMPARE(lichuan::westernTemplateInsertion(QString(), set), set + QStringLiteral("\r\n\r\n"));
    QCOMPARE(lichuan::westernTemplateInsertion(QStringLiteral("挂号费 1"), set),
             QStringLiteral("\r\n") + set + QStringLiteral("\r\n\r\n"));
    QCOMPARE(lichuan::westernTemplateInsertion(QStringLiteral("挂号费 1\r\n"), set),
             set + QStringLiteral("\r\n\r\n"));
}

void TestTextRules::widgetLineBreakAdapters() {
    const QString stored = QStringLiteral("当归\r\n\r\n黄芪\r\n");
    const QString shown = QStringLiteral("当归\n\n黄芪\n");
    QCOMPARE(fromCrLf(stored), shown);
    QCOMPARE(toCrLf(shown), stored);
    QCOMPARE(toCrLf(QStringLiteral("a\r\nb\u2029c")), QStringLiteral("a\r\nb\r\nc"));

    // Every position of the widget text maps to a position of the stored text and back.
    for (int p = 0; p <= shown.size(); ++p)
        QCOMPARE(crLfPositionToWidget(stored, widgetPositionToCrLf(shown, p)), p);
    QCOMPARE(widgetPositionToCrLf(shown, 3), 4);  // after the first break
    QCOMPARE(widgetPositionToCrLf(shown, 4), 6);  // after the second
    QCOMPARE(crLfPositionToWidget(stored, 8), 6); // the end of 黄芪
    QCOMPARE(crLfPositionToWidget(stored, 3), 2); // between "\r" and "\n": before the break
    QCOMPARE(crLfPositionToWidget(stored, 99), int(shown.size()));
}

QTEST_GUILESS_MAIN(TestTextRules)
#include "test_textrules.moc"
