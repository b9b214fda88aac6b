#include "data/gbk.h"
#include "data/pinyin_table.h"
#include "data/searchcodes.h"

#include <QtTest>

using namespace lichuan;

class TestSearchCodes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initials_data();
    void initials();
    void keyDigits_data();
    void keyDigits();
    void initialOfOneCharacter();
    void yBlockStandsInForMissingCharacters();
    void textOutsideGbkAddsNothing();
    void herbReadingsOverrideTheFirstReading_data();
    void herbReadingsOverrideTheFirstReading();
    void listsHoldOnlyDoubleByteCharacters();
    void commonCharactersFollowTheirPinyinOrder();
};

void TestSearchCodes::initials_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initials");
    QTest::addColumn<QString>("digits");
    QTest::newRow("formula") << QStringLiteral("桂枝汤") << QStringLiteral("gzt") << QStringLiteral("275");
    QTest::newRow("digits stay, key digits skip them")
        << QStringLiteral("2型糖尿病") << QStringLiteral("2xtnb") << QStringLiteral("6541");
    QTest::newRow("point and percent add nothing")
        << QStringLiteral("0.9%氯化钠注射液") << QStringLiteral("09lhnzsy") << QStringLiteral("324757");
    QTest::newRow("braces add nothing")
        << QStringLiteral("石膏{先煎}") << QStringLiteral("sgxj") << QStringLiteral("5263");
    QTest::newRow("upper case") << QStringLiteral("CT检查") << QStringLiteral("ctjc")
                                << QStringLiteral("1531");
    QTest::newRow("only before the first space")
        << QStringLiteral("阿莫西林 0.25g") << QStringLiteral("amxl") << QStringLiteral("1463");
    QTest::newRow("leading space") << QStringLiteral(" 桂枝") << QString() << QString();
    QTest::newRow("full-width space is no space")
        << QStringLiteral("桂枝\u3000甘草") << QStringLiteral("gzgc") << QStringLiteral("2721");
    QTest::newRow("full-width comma")
        << QStringLiteral("感冒，发热") << QStringLiteral("gmfr") << QStringLiteral("2425");
    QTest::newRow("full-width brackets")
        << QStringLiteral("利肺片（薄膜衣）") << QStringLiteral("lfpbmy") << QStringLiteral("324147");
    QTest::newRow("yi") << QStringLiteral("医") << QStringLiteral("y") << QStringLiteral("7");
    QTest::newRow("diagnosis") << QStringLiteral("高血压病") << QStringLiteral("gxyb")
                               << QStringLiteral("2671");
    QTest::newRow("record phrase") << QStringLiteral("既往史") << QStringLiteral("jws")
                                   << QStringLiteral("365");
    QTest::newRow("empty") << QString() << QString() << QString();
}

void TestSearchCodes::initials() {
    QFETCH(QString, name);
    QFETCH(QString, initials);
    QFETCH(QString, digits);
    QCOMPARE(PinyinInitials(name), initials);
    QCOMPARE(KeyDigits(PinyinInitials(name)), digits);
}

void TestSearchCodes::keyDigits_data() {
    QTest::addColumn<QString>("initials");
    QTest::addColumn<QString>("digits");
    QTest::newRow("all letters") << QStringLiteral("abcdefghijklmnopqrstuvwxyz")
                                 << QStringLiteral("11112222333344445555666677");
    QTest::newRow("letter pad") << QStringLiteral("smza") << QStringLiteral("5471");
    QTest::newRow("only lower-case letters count") << QStringLiteral("A1中z_{") << QStringLiteral("7");
    QTest::newRow("empty") << QString() << QString();
}

void TestSearchCodes::keyDigits() {
    QFETCH(QString, initials);
    QFETCH(QString, digits);
    QCOMPARE(KeyDigits(initials), digits);
}

void TestSearchCodes::initialOfOneCharacter() {
    QCOMPARE(InitialOf(u"7"), QStringLiteral("7"));
    QCOMPARE(InitialOf(u"0.5"), QStringLiteral("0"));
    QCOMPARE(InitialOf(u"Q"), QStringLiteral("q"));
    QCOMPARE(InitialOf(u"医生"), QStringLiteral("y")); // only the first character is looked at
    QCOMPARE(InitialOf(u"桂"), QStringLiteral("g"));
    for (const char16_t* none : {u"", u" ", u"{", u"%", u".", u"，", u"Ａ", u"é"})
        QVERIFY2(InitialOf(none).isEmpty(), qPrintable(QString::fromUtf16(none)));
}

void TestSearchCodes::yBlockStandsInForMissingCharacters() {
    // Every character of the y block has a reading in the lists, so the rule is shown with lists that
    // hold nothing at all.
    static const pinyin::LetterTable none{};
    QCOMPARE(pinyin::initialsOf(u"医压孕", none), QStringLiteral("yyy")); // D2BD, D1B9 (first), D4D0 (last)
    QCOMPARE(pinyin::initialsOf(u"迅匝杂", none), QString());             // D1B8 below, D4D1 and above
    QCOMPARE(pinyin::initialsOf(u"，2a医Z", none), QStringLiteral("2ayz"));
    // With the real lists the block's characters find their own letter.
    QCOMPARE(PinyinInitials(u"压孕医以义"), QStringLiteral("yyyyy"));
    QCOMPARE(PinyinInitials(u"迅匝"), QStringLiteral("xz"));
}

void TestSearchCodes::textOutsideGbkAddsNothing() {
    QCOMPARE(PinyinInitials(QStringLiteral("头😀痛")), QStringLiteral("tt"));
    QCOMPARE(PinyinInitials(QStringLiteral("•\u00A0€桂")), QStringLiteral("g"));
    // Broken surrogates are characters of their own and add nothing.
    const QString lone = QString(QChar(0xD83D)) + QStringLiteral("桂") + QChar(0xDE00);
    QCOMPARE(PinyinInitials(lone), QStringLiteral("g"));
    QCOMPARE(InitialOf(lone), QString());
    QCOMPARE(InitialOf(QStringLiteral("😀")), QString());
    QCOMPARE(KeyDigits(QStringLiteral("😀a")), QStringLiteral("1"));
}

void TestSearchCodes::herbReadingsOverrideTheFirstReading_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initials");
    QTest::newRow("术 zhú") << QStringLiteral("白术苍术莪术") << QStringLiteral("bzczez");
    QTest::newRow("参 shēn") << QStringLiteral("党参丹参人参玄参") << QStringLiteral("dsdsrsxs");
    QTest::newRow("咳 ké") << QStringLiteral("苏黄止咳胶囊") << QStringLiteral("shzkjn");
    QTest::newRow("芎 xiōng") << QStringLiteral("川芎") << QStringLiteral("cx");
    QTest::newRow("豉 chǐ") << QStringLiteral("淡豆豉") << QStringLiteral("ddc");
    QTest::newRow("蛸 xiāo") << QStringLiteral("海螵蛸") << QStringLiteral("hpx");
    QTest::newRow("壳 qiào") << QStringLiteral("枳壳") << QStringLiteral("zq");
    QTest::newRow("阿 stays ā") << QStringLiteral("阿胶阿莫西林") << QStringLiteral("ajamxl");
}

void TestSearchCodes::herbReadingsOverrideTheFirstReading() {
    QFETCH(QString, name);
    QFETCH(QString, initials);
    QCOMPARE(PinyinInitials(name), initials);
}

void TestSearchCodes::listsHoldOnlyDoubleByteCharacters() {
    int total = 0;
    for (const pinyin::InitialsList& list : pinyin::kInitialsLists) {
        QVERIFY(QByteArray("abcdefghjklmnopqrstwxyz").contains(list.letter));
        for (const char16_t* p = list.chars; *p; ++p, ++total)
            QVERIFY2(gbk::isDoubleByte(*p), qPrintable(QString(QChar(*p))));
    }
    QVERIFY(total > 20000);
}

void TestSearchCodes::commonCharactersFollowTheirPinyinOrder() {
    // The common characters (B0A1–D7F9) are ordered by reading; each letter starts at a known code.
    struct Start {
        int code;
        char letter;
    };
    const Start starts[] = {{0xB0A1, 'a'}, {0xB0C5, 'b'}, {0xB2C1, 'c'}, {0xB4EE, 'd'}, {0xB6EA, 'e'},
                            {0xB7A2, 'f'}, {0xB8C1, 'g'}, {0xB9FE, 'h'}, {0xBBF7, 'j'}, {0xBFA6, 'k'},
                            {0xC0AC, 'l'}, {0xC2E8, 'm'}, {0xC4C3, 'n'}, {0xC5B6, 'o'}, {0xC5BE, 'p'},
                            {0xC6DA, 'q'}, {0xC8BB, 'r'}, {0xC8F6, 's'}, {0xCBFA, 't'}, {0xCDDA, 'w'},
                            {0xCEF4, 'x'}, {0xD1B9, 'y'}, {0xD4D1, 'z'}, {0xD7FA, 0}};
    int common = 0;
    int agreeing = 0;
    for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
        const int code = gbk::doubleByteCode(cp);
        if (code < 0xB0A1 || code >= 0xD7FA || (code & 0xFF) < 0xA1)
            continue;
        ++common;
        const QString initial = PinyinInitials(QString(QChar(char16_t(cp))));
        QVERIFY2(initial.size() == 1, qPrintable(QString(QChar(char16_t(cp)))));
        char expected = 0;
        for (const Start& start : starts) {
            if (code >= start.code)
                expected = start.letter;
        }
        if (initial.at(0) == QLatin1Char(expected))
            ++agreeing;
    }
    QCOMPARE(common, 3755);
    // Characters with several readings may stand elsewhere; the overwhelming rest must agree.
    QVERIFY2(agreeing > common * 97 / 100, qPrintable(QString::number(agreeing)));
}

QTEST_GUILESS_MAIN(TestSearchCodes)
#include "test_searchcodes.moc"
