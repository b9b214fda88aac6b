#include "prescription/pricingrules.h"

#include <QtTest>

using namespace lichuan;

namespace {

CatalogItem row(const QString& name, const QString& category, const QString& unit, const QString& price,
                const QString& drawer = QString()) {
    CatalogItem item;
    item.name = name;
    item.category = category;
    item.unit = unit;
    item.price = price;
    item.drawer = drawer;
    item.usualQty = QStringLiteral("1");
    return item;
}

PricingCatalog clinicCatalog() {
    const QString herb = QStringLiteral("中药");
    const QString western = QStringLiteral("西成药");
    const QString charge = QStringLiteral("收费项目");
    return PricingCatalog({
        row(QStringLiteral("黄芪"), herb, QStringLiteral("g"), QStringLiteral("0.05"), QStringLiteral("B2")),
        row(QStringLiteral("石膏{先煎}"), herb, QStringLiteral("g"), QStringLiteral("0.100"),
            QStringLiteral("A7")),
        row(QStringLiteral("当归  "), herb, QStringLiteral("g"), QStringLiteral("0.080")),
        row(QStringLiteral("大枣"), herb, QStringLiteral("枚"), QStringLiteral("")),
        row(QStringLiteral("阿莫西林胶囊{0.25g*24}"), western, QStringLiteral("盒"),
            QStringLiteral("24.200")),
        row(QStringLiteral("柏子养心丸{9g *10}"), western, QStringLiteral("盒"), QStringLiteral("27.200")),
        row(QStringLiteral("板蓝根颗粒"), western, QStringLiteral("袋"), QStringLiteral("1.500")),
        row(QStringLiteral("板蓝根颗粒{10g*20袋}"), western, QStringLiteral("盒"), QStringLiteral("18.000")),
        row(QStringLiteral("VC银翘片{0.5g*24}"), western, QStringLiteral("盒"), QStringLiteral("6.000")),
        row(QStringLiteral("挂号费"), charge, QStringLiteral("次"), QStringLiteral("15.000")),
        row(QStringLiteral("针灸"), charge, QStringLiteral("次"), QStringLiteral("20.000")),
        row(QStringLiteral("一次性针头5支"), charge, QStringLiteral("包"), QStringLiteral("2.000")),
        row(QStringLiteral("加水100ml分3次煎服"), QStringLiteral("用法"), QString(), QString()),
    });
}

// A priced line as one text, its cells joined by "/".
QString cells(const PricedLine& l) {
    return QStringList{l.name, l.quantity, l.unit, l.price, l.amount, l.drawer, l.category}.join(
        QLatin1Char('/'));
}

UnpricedItem unpriced(const char* text, UnpricedItem::Reason reason) {
    return {QString::fromUtf8(text), reason};
}

using Reason = UnpricedItem::Reason;

} // namespace

namespace lichuan {
// How QCOMPARE shows the values when they differ.
char* toString(const UnpricedItem& u) {
    return qstrdup((u.text + QStringLiteral(" #") + QString::number(int(u.reason))).toUtf8().constData());
}
} // namespace lichuan

class TestPricingRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void quantities_data();
    void quantities();
    void digitsAreRemovedFromNames();
    void enumerations_data();
    void enumerations();
    void herbsAreMultipliedByTheDoses();
    void herbsThatCannotBePricedAreListed();
    void chargeItemsAfterTheHerbs();
    void onlyThirtySixLinesArePriced();
    void westernLinesWithTheirUsage();
    void westernNamesMatchTheLongestCatalogName();
    void westernLinesThatCannotBePricedAreListed();
    void theMessageListsEveryItemWithItsReason();
};

void TestPricingRules::quantities_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quantity");
    QTest::newRow("unit after") << QStringLiteral("10g") << QStringLiteral("10");
    QTest::newRow("trailing zero") << QStringLiteral("1.50") << QStringLiteral("1.5");
    QTest::newRow("space between digits") << QStringLiteral("1 0g") << QStringLiteral("10");
    QTest::newRow("name first") << QStringLiteral("黄芪 10") << QStringLiteral("10");
    QTest::newRow("from the first digit") << QStringLiteral("{0.25g*24} 2盒") << QStringLiteral("0.25");
    QTest::newRow("point before the digit") << QStringLiteral("x.5") << QStringLiteral("5");
    QTest::newRow("exponent") << QStringLiteral("1E2g") << QStringLiteral("100");
    QTest::newRow("exponent D") << QStringLiteral("2D1") << QStringLiteral("20");
    QTest::newRow("no digit") << QStringLiteral("盒") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestPricingRules::quantities() {
    QFETCH(QString, text);
    QFETCH(QString, quantity);
    QCOMPARE(ggm(text), quantity);
}

void TestPricingRules::digitsAreRemovedFromNames() {
    QCOMPARE(DelNumberReg(QStringLiteral("黄芪 10")), QStringLiteral("黄芪 "));
    QCOMPARE(DelNumberReg(QStringLiteral("石膏{先煎}1.5")), QStringLiteral("石膏{先煎}."));
    QCOMPARE(DelNumberReg(QStringLiteral("abc")), QStringLiteral("abc"));
    QCOMPARE(DelNumberReg(QStringLiteral("０9")), QStringLiteral("０")); // only ASCII digits
}

void TestPricingRules::enumerations_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("brackets") << QStringLiteral("(1) 挂号费 1") << QStringLiteral("挂号费 1");
    QTest::newRow("full-width brackets") << QStringLiteral("（2）针灸 1") << QStringLiteral("针灸 1");
    QTest::newRow("point") << QStringLiteral("1.挂号费 1") << QStringLiteral("挂号费 1");
    QTest::newRow("comma") << QStringLiteral("2、针灸 1") << QStringLiteral("针灸 1");
    QTest::newRow("space") << QStringLiteral("3 理疗费 2") << QStringLiteral("理疗费 2");
    QTest::newRow("two digits") << QStringLiteral("(20)挂号费 1") << QStringLiteral("挂号费 1");
    QTest::newRow("every occurrence") << QStringLiteral("(1)挂号费(1)") << QStringLiteral("挂号费");
    QTest::newRow("beyond four characters") << QStringLiteral("挂号费 (1)") << QStringLiteral("挂号费 (1)");
    QTest::newRow("no enumeration") << QStringLiteral("  阿莫西林胶囊[0.25g*24] 2盒 ")
                                    << QStringLiteral("阿莫西林胶囊[0.25g*24] 2盒");
    QTest::newRow("only spaces") << QStringLiteral("    ") << QString();
}

void TestPricingRules::enumerations() {
    QFETCH(QString, line);
    QFETCH(QString, stripped);
    QCOMPARE(stripEnumeration(line), stripped);
}

void TestPricingRules::herbsAreMultipliedByTheDoses() {
    const PricingCatalog catalog = clinicCatalog();
    PricingResult r = priceItems(QStringLiteral("黄芪 10g"), true, QStringLiteral("6"), catalog);
    QCOMPARE(r.lines.size(), size_t(1));
    QCOMPARE(cells(r.lines[0]), QStringLiteral("黄芪/60/g/0.05/3.000/B2/中药"));
    QVERIFY(r.unpriced.empty());

    // Notes in brackets are looked up in braces and shown in brackets again; the space before the quantity,
    // trailing spaces of a catalog name and the point of a decimal quantity do not hinder the lookup.
    r = priceItems(QStringLiteral("石膏[先煎]10g 当归 1.5g   黄芪3g\r\n\r\n大枣 5枚"), true,
                   QStringLiteral("7"), catalog);
    QCOMPARE(r.lines.size(), size_t(4));
    QCOMPARE(cells(r.lines[0]), QStringLiteral("石膏[先煎]/70/g/0.100/7.000/A7/中药"));
    QCOMPARE(cells(r.lines[1]), QStringLiteral("当归  /10.5/g/0.080/0.840//中药"));
    QCOMPARE(cells(r.lines[2]), QStringLiteral("黄芪/21/g/0.05/1.050/B2/中药"));
    QCOMPARE(cells(r.lines[3]), QStringLiteral("大枣/35/枚//0.000//中药"));
    QVERIFY(r.unpriced.empty());
}

void TestPricingRules::herbsThatCannotBePricedAreListed() {
    const PricingCatalog catalog = clinicCatalog();
    const PricingResult r =
        priceItems(QStringLiteral("黄芪 g  某某草 9g  当归10g"), true, QStringLiteral("6"), catalog);
    QCOMPARE(r.lines.size(), size_t(1));
    QCOMPARE(r.lines[0].name, QStringLiteral("当归  "));
    QCOMPARE(r.unpriced.size(), size_t(2));
    QCOMPARE(r.unpriced[0], unpriced("黄芪 g", Reason::NoQuantity));
    QCOMPARE(r.unpriced[1], unpriced("某某草 9g", Reason::NotInCatalog));
}

void TestPricingRules::chargeItemsAfterTheHerbs() {
    const PricingCatalog catalog = clinicCatalog();
    const QString text = QStringLiteral("黄芪 10g     \r\n\r\n(1) 挂号费 1\r\n    用法：水煎服 每日一剂\r\n"
                                        "加水100ml分3次煎服\r\n针灸\r\n某某费 2\r\n");
    const PricingResult r = priceItems(text, true, QStringLiteral("6"), catalog);
    QCOMPARE(r.lines.size(), size_t(2));
    QCOMPARE(cells(r.lines[1]), QStringLiteral("挂号费/1/次/15.000/15.000//收费项目"));
    const std::vector<UnpricedItem> expected{unpriced("针灸", Reason::NoQuantity),
                                             unpriced("某某费 2", Reason::NotInCatalog)};
    QCOMPARE(r.unpriced, expected);

    // A charge name with digits typed alone has no quantity: the digits of its name are not billed.
    const PricingResult alone =
        priceItems(QStringLiteral("黄芪 10g     \r\n一次性针头5支\r\n一次性针头5支 2"), true,
                   QStringLiteral("1"), catalog);
    QCOMPARE(alone.lines.size(), size_t(2));
    QCOMPARE(cells(alone.lines[1]), QStringLiteral("一次性针头5支/2/包/2.000/4.000//收费项目"));
    QCOMPARE(alone.unpriced, std::vector<UnpricedItem>{unpriced("一次性针头5支", Reason::NoQuantity)});
}

void TestPricingRules::onlyThirtySixLinesArePriced() {
    QString text;
    for (int i = 1; i <= 40; ++i)
        text += QStringLiteral("黄芪 %1g ").arg(i);
    const PricingResult r = priceItems(text, true, QStringLiteral("1"), clinicCatalog());
    QCOMPARE(r.lines.size(), size_t(kPricedLineCount));
    QCOMPARE(r.lines[35].quantity, QStringLiteral("36"));
    QCOMPARE(r.unpriced.size(), size_t(4));
    QCOMPARE(r.unpriced[0], unpriced("黄芪 37g", Reason::BeyondLastLine));
    QCOMPARE(r.unpriced[3], unpriced("黄芪 40g", Reason::BeyondLastLine));
}

void TestPricingRules::westernLinesWithTheirUsage() {
    const QString text = QStringLiteral("阿莫西林胶囊[0.25g*24] 2盒\r\n    用法：2粒 每日3次 口服\r\n\r\n"
                                        "1. 挂号费 1\r\n");
    const PricingResult r = priceItems(text, false, QStringLiteral("6"), clinicCatalog());
    QCOMPARE(r.lines.size(), size_t(2));
    QCOMPARE(cells(r.lines[0]), QStringLiteral("阿莫西林胶囊[0.25g*24]/2/盒/24.200/48.400//西成药"));
    QCOMPARE(cells(r.lines[1]), QStringLiteral("挂号费/1/次/15.000/15.000//收费项目"));
    QVERIFY(r.unpriced.empty());
}

void TestPricingRules::westernNamesMatchTheLongestCatalogName() {
    const PricingCatalog catalog = clinicCatalog();
    const QString text =
        QStringLiteral("柏子养心丸[9g *10] 1盒\r\n板蓝根颗粒[10g*20袋] 2盒\r\n板蓝根颗粒 3袋\r\n"
                       "vc银翘片[0.5g*24] 1盒");
    const PricingResult r = priceItems(text, false, QString(), catalog);
    QCOMPARE(r.lines.size(), size_t(4));
    QCOMPARE(cells(r.lines[0]), QStringLiteral("柏子养心丸[9g *10]/1/盒/27.200/27.200//西成药"));
    QCOMPARE(r.lines[1].name, QStringLiteral("板蓝根颗粒[10g*20袋]"));
    QCOMPARE(r.lines[1].quantity, QStringLiteral("2"));
    QCOMPARE(r.lines[2].name, QStringLiteral("板蓝根颗粒"));
    QCOMPARE(r.lines[2].amount, QStringLiteral("4.500"));
    QCOMPARE(r.lines[3].name, QStringLiteral("VC银翘片[0.5g*24]"));
    QVERIFY(r.unpriced.empty());

    int length = -1;
    QVERIFY(!catalog.longestWesternPrefix(QStringLiteral("板蓝根颗粒冲剂 1盒"), &length));
    QCOMPARE(length, 0);
}

void TestPricingRules::westernLinesThatCannotBePricedAreListed() {
    const QString text =
        QStringLiteral("阿莫西林胶囊[0.25g*24粒] 2盒\r\n柏子养心丸[9g *10]\r\n挂号费1\r\n\r\n   \r\n"
                       "用法：静脉滴注 每日1次");
    const PricingResult r = priceItems(text, false, QString(), clinicCatalog());
    QVERIFY(r.lines.empty());
    const std::vector<UnpricedItem> expected{unpriced("阿莫西林胶囊[0.25g*24粒] 2盒", Reason::NotInCatalog),
                                             unpriced("柏子养心丸[9g *10]", Reason::NoQuantity),
                                             unpriced("挂号费1", Reason::NotInCatalog)};
    QCOMPARE(r.unpriced, expected);
}

void TestPricingRules::theMessageListsEveryItemWithItsReason() {
    QVERIFY(unpricedMessage({}).isEmpty());
    const QString message =
        unpricedMessage({unpriced("某某草 9g", Reason::NotInCatalog), unpriced("黄芪 g", Reason::NoQuantity),
                         unpriced("黄芪 37g", Reason::BeyondLastLine)});
    QCOMPARE(message, QStringLiteral("以下项目未划价：\n某某草 9g（目录中未找到）\n黄芪 g（没有数量）\n"
                                     "黄芪 37g（超出36行）"));
}

QTEST_GUILESS_MAIN(TestPricingRules)
#include "test_pricing_rules.moc"
